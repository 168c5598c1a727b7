#pragma once

#include "edithost.h"
#include "editoptions.h"
#include "filefailure.h"
#include "filesseen.h"
#include "saferewrite.h"
#include "skippedfiles.h"
#include "sourcefile.h"
#include "undojournal.h"

#include <QByteArray>
#include <QList>

#include <optional>

class RunTexts;

// The engine's two long operations: the edit run, which walks the file list
// from the last row to the first and edits every file that holds the Find
// text, and the undo of the last run that changed files.
//
// A file is streamed at most twice through one reused buffer: the first pass
// reads it in its reading style, makes the Find test and the edit alongside
// and compares the edit with the file's bytes, until the file is known to
// need rewriting; the second produces the edited text straight into the new
// file. A file whose bytes the edit would not change is read once and never
// written. Where its line end matters (a line-wise style, a line break in the
// texts) its first bytes are read for it before. No file is ever held whole.
class EditRun
{
public:
    EditRun(EditInputs &inputs, FileRows &rows, EditDisplay &display);

    // Execute: edits the listed files.
    void execute();
    // Stop: the run or the undo in progress ends before its next file.
    void stop();
    // Clear: empties the file list after a question.
    void clear();
    // Undo Last Edit Run: puts back, after a question, the files the last run
    // that changed any changed, from the last one to the first.
    void undo();

    // A run or an undo is in progress.
    bool isBusy() const { return m_busy; }
    // There is something an undo can put back, and nothing is in progress.
    bool canUndo() const { return !m_busy && m_journal.restorableCount() > 0; }

    // Sets the stop flag without touching the buttons, for a window that is
    // going away: the run or the undo ends at its next file.
    void requestStop() { g_bolStop = true; }

    // The size of the buffer that files are read and searched through; tests
    // make it small to put buffer boundaries everywhere.
    void setBufferSize(qsizetype bytes);

    // Whether a run keeps what an undo needs (it does unless told); off only
    // to measure what keeping it costs.
    void setKeepsUndo(bool keeps) { m_keepsUndo = keeps; }

private:
    // What became of one row.
    enum class FileOutcome { Skipped, Unchanged, Changed, Failed };

    // What a run has done so far.
    struct Tally
    {
        qint64 visited = 0;
        qint64 changed = 0;
        qint64 failed = 0;
        QList<FileFailure> failures;
        SkippedFiles skipped;
        std::optional<FilesSeen> seen;   // when folder rows are walked
    };

    // One row, whose folder, if it is one, is only counted.
    void visitRow(const QByteArray &path, RunTexts &texts, Tally &tally);
    // One row with folders walked (editfolder.cpp): a folder row stands for
    // the files below it, in the row's place, and a file that a walk reached
    // is visited once.
    void visitWithFolders(const QByteArray &path, const QString &progress, RunTexts &texts, Tally &tally);
    void editFolder(const QByteArray &folder, const QString &progress, RunTexts &texts, Tally &tally);
    void visitOnce(const QByteArray &path, const struct stat &status, FilesSeen::Through through,
                   RunTexts &texts, Tally &tally);
    void endStopped(const Tally &tally);
    void showReport(const Tally &tally);
    // Counts one file's outcome in the tally.
    static void count(FileOutcome outcome, Tally &tally);

    FileOutcome editFile(const QByteArray &path, RunTexts &texts, QList<FileFailure> &failures);
    FileOutcome editExistingFile(const QByteArray &path, RunTexts &texts, QList<FileFailure> &failures);
    void keepForUndo(const QByteArray &path, RewriteOutcome &outcome);
    QString undoQuestion() const;
    void endBusy();

    EditInputs &m_inputs;
    FileRows &m_rows;
    EditDisplay &m_display;
    bool g_bolStop = false;
    bool m_busy = false;
    bool m_listCleared = false;
    bool m_keepsUndo = true;
    bool m_changedAny = false;   // the run in progress has changed a file
    QByteArray m_readBuffer;
    SourceFile m_source;
    SafeRewriter m_rewriter;
    UndoJournal m_journal;
};
