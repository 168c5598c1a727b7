#pragma once

#include "filefailure.h"
#include "skippedfiles.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What an edit run and an undo need from the window and the file list, in
// three parts by role, so that a test fake implements only the part the code
// under test reads. The window implements all three with its real controls.
// All calls happen on the one user-interface thread.

// The texts and ticks a run reads.
class EditInputs
{
public:
    virtual ~EditInputs() = default;

    // Combo2 and Combo3, with CR LF where the user pressed Enter.
    virtual QString findText() const = 0;
    virtual QString withText() const = 0;

    // List2 items 0..3 (see ReadOption).
    virtual bool isOptionTicked(int index) const = 0;

    // List1, the mode list.
    virtual int modeCount() const = 0;
    virtual QString modeText(int index) const = 0;
    virtual bool isModeTicked(int index) const = 0;

    // File > Edit Files Inside Folders: a folder row stands for the text
    // files below it. A host that never lists folders need not say.
    virtual bool editsInsideFolders() const { return false; }
};

// The file list: rows at 1-based positions. A row's tag is its path as the
// exact bytes the drop delivered (not necessarily UTF-8).
class FileRows
{
public:
    virtual ~FileRows() = default;

    virtual qint64 rowCount() const = 0;
    virtual QByteArray rowTag(qint64 position) const = 0;
    virtual void removeAllRows() = 0;
};

// What the window shows of a run and of an undo, and the questions it asks.
class EditDisplay
{
public:
    virtual ~EditDisplay() = default;

    // Command1 index 0 and index 1.
    virtual void setExecuteEnabled(bool enabled) = 0;
    virtual bool isStopEnabled() const = 0;
    virtual void setStopEnabled(bool enabled) = 0;
    // File > Undo Last Edit Run.
    virtual void setUndoEnabled(bool enabled) = 0;

    virtual void setBusyPointer(bool busy) = 0;

    // Information box with OK (title "Textorum").
    virtual void showInformation(const QString &text) = 0;
    // Yes/No box without icon, Yes the default (title "Textorum"); true only for Yes.
    virtual bool askYesNo(const QString &text) = 0;
    // Yes/No box with the question icon, No the default (title "Textorum");
    // true only for Yes.
    virtual bool askToUndo(const QString &text) = 0;

    // Label1 (status line) and Label3 (mode line).
    virtual void setStatusCaption(const QString &caption) = 0;
    virtual void setModeCaption(const QString &caption) = 0;

    // Handles the window events that are waiting, then returns.
    virtual void yield() = 0;

    // The files of the run that just ended and could not be edited (empty when
    // none); called once at the end of every run that got past the empty-list
    // test, stopped runs included, so the window can show why.
    virtual void showFailures(const QList<FileFailure> &failures) = 0;
    // What the run that just ended passed by (see SkippedFiles); called right
    // after showFailures(), when that is. A host that never lists folders
    // need not show it.
    virtual void showSkipped(const SkippedFiles &) {}
    // The files an undo left as they are, with the reason; called once at the
    // end of every undo that was started, stopped ones included.
    virtual void showLeftAsTheyAre(const QList<FileFailure> &files) = 0;
};
