#pragma once

#include "runresults.h"

#include <QByteArray>
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

// What the engine is doing. Stop and Clear come in while a run yields.
enum class Activity { Idle, Running, Undoing };

// What decides the window's buttons, pointer and caption throttling.
struct RunState
{
    Activity activity = Activity::Idle;
    bool stopRequested = false;   // Stop was pressed; the run ends before its next file
    bool canUndo = false;         // idle, with something an undo can put back
};

// What the window shows of a run and of an undo, and the questions it asks.
// The engine gives numbers and paths; the window words them.
class EditDisplay
{
public:
    virtual ~EditDisplay() = default;

    // The run or the undo started or ended, or Stop was pressed.
    virtual void activityChanged(const RunState &state) = 0;

    // Execute with an empty list: the run goes no further.
    virtual void showNothingListed() = 0;
    // Clear: whether to empty the list; true only for Yes.
    virtual bool askToClear() = 0;
    // Undo Last Edit Run: whether to put the files back; true only for Yes.
    virtual bool askToUndo(const UndoQuestion &question) = 0;

    // The file a run is about to edit.
    virtual void showProgress(const Progress &progress) = 0;
    // The file passed the Find test and the ticked modes are applied to it.
    virtual void showModePass() = 0;
    // The run ended: its counts, failures and what it passed by.
    virtual void showRunEnd(const RunSummary &summary) = 0;

    // The file an undo is about to put back.
    virtual void showUndoProgress(const Progress &progress) = 0;
    // The undo ended.
    virtual void showUndoEnd(const UndoSummary &summary) = 0;

    // Handles the window events that are waiting, then returns.
    virtual void yield() = 0;
};
