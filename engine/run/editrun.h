#pragma once

#include "edithost.h"
#include "editoptions.h"
#include "filelocation.h"
#include "filesahead.h"
#include "filesseen.h"
#include "ordervisit.h"
#include "runresults.h"
#include "runsource.h"
#include "saferewrite.h"
#include "sourcefile.h"
#include "undoahead.h"
#include "undojournal.h"

#include <QByteArray>

#include <optional>

class RunTexts;
struct EditRecipe;

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
// texts) its first bytes are read for it before. No file is ever held whole;
// one that fits the buffer is edited from the bytes of its first pass.
//
// Over many rows, worker threads read and check the files ahead of their
// turn and write the new content of those that change into new files
// (FilesAhead); the run's own thread still takes the files strictly in
// its order, and puts each in place, counts it, keeps it for the undo and
// tells the window at its turn, as it would have done alone.
class EditRun
{
public:
    EditRun(EditInputs &inputs, FileRows &rows, EditDisplay &display);

    // Execute: edits the listed files.
    void execute();
    // Execute Ticked Files: edits the files of a preview, with the texts and
    // ticks it was made with; a file no longer as the preview read it fails.
    void executePreviewed(const PreviewedRun &run);
    // Stop: the run or the undo in progress ends before its next file.
    void stop();
    // Clear: empties the file list after a question.
    void clear();
    // Undo Last Edit Run: puts back, after a question, the files the last run
    // that changed any changed, from the last one to the first.
    void undo();

    // What the engine is doing, and whether Stop was pressed.
    RunState state() const;
    // A run or an undo is in progress.
    bool isBusy() const { return m_activity != Activity::Idle; }
    // There is something an undo can put back, and nothing is in progress.
    bool canUndo() const { return !isBusy() && m_journal.restorableCount() > 0; }

    // Asks the run or the undo to end at its next file without telling the
    // window, which is going away.
    void requestStop() { m_stop = StopRequest::Stop; }

    // The size of the buffer that files are read and searched through; tests
    // make it small to put buffer boundaries everywhere.
    void setBufferSize(qsizetype bytes);

    // What the last run that changed files keeps to put them back.
    const UndoJournal &journal() const { return m_journal; }

    // Whether a run keeps what an undo needs (it does unless told); off only
    // to measure what keeping it costs.
    void setKeepsUndo(bool keeps) { m_keepsUndo = keeps; }

    // The worker threads a run over many rows uses (by default as many as
    // the processor has cores, 2 to 8); 1 keeps every run on its own thread.
    void setWorkerCount(int workers) { m_workers = qMax(1, workers); }

private:
    // Why the run or the undo in progress is to end early: Stop ends it
    // without a summary, a Clear of the list ends the run with the summary of
    // the rows it visited.
    enum class StopRequest { None, Stop, ListCleared };

    void setActivity(Activity activity);
    // The rows from the last to the first, until the end, a Stop or a Clear.
    RunSummary editRows(qint64 rowCount);
    // One file at its turn in the run's order, from what was prepared of it
    // ahead where that is usable (editahead.cpp).
    FileResult visitFile(const OrderStep &file, RunTexts &texts);
    FileResult commitCatching(PreparedFile &file, RunTexts &texts);
    FileResult commitPrepared(PreparedFile &file, RunTexts &texts);
    FileResult commitChange(PreparedFile &file, RunTexts &texts);

    FileResult editFile(const QByteArray &path, RunTexts &texts);
    FileResult editExistingFile(const QByteArray &path, RunTexts &texts);
    // Rewrites the file read and checked as `source`; `inBuffer`: its whole
    // content is still in m_readBuffer.
    FileResult rewriteChecked(SourceFile &source, const EditRecipe &recipe, bool inBuffer);
    // Notes the change for the undo. `oldContent`: the file's old content where
    // `source` was closed after its read.
    void keepForUndo(SourceFile &source, RewriteOutcome &outcome, QByteArray oldContent = {});

    // The undo's loop (editundo.cpp), from the file the run changed last.
    UndoSummary putBackAll();
    // Puts back the entry just taken from the journal, from what was
    // prepared for it ahead where that is usable.
    std::optional<FileFailure> putBackOne(const UndoJournal::Entry &entry, std::optional<PreparedUndo> &prepared,
                                          std::optional<UndosAhead> &ahead);
    // Yields before the next file and shows it, unless Stop was pressed.
    bool isUndoTurn(const Progress &progress);

    RunSource m_from;   // the window's inputs and rows, or a preview's
    EditInputs &m_inputs;
    FileRows &m_rows;
    EditDisplay &m_display;
    Activity m_activity = Activity::Idle;
    StopRequest m_stop = StopRequest::None;
    bool m_keepsUndo = true;
    int m_workers = 0;   // 0: workerCount()'s choice
    bool m_changedAny = false;           // the run in progress has changed a file
    std::optional<FilesSeen> m_seen;     // when the run in progress walks folder rows
    std::optional<FilesAhead> m_ahead;   // when the run in progress has files prepared ahead
    QByteArray m_readBuffer;
    SourceFile m_source;
    FolderCache m_folders;
    SafeRewriter m_rewriter;
    UndoJournal m_journal;
};
