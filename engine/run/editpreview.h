#pragma once

#include "edithost.h"
#include "filepreviewer.h"
#include "filesseen.h"
#include "frozeninputs.h"
#include "jobsahead.h"
#include "previewedfile.h"
#include "runresults.h"

#include <QByteArray>

#include <memory>
#include <optional>
#include <vector>

struct OrderStep;

// What a preview shows as it goes.
class PreviewDisplay
{
public:
    virtual ~PreviewDisplay() = default;

    // The file the preview is about to read.
    virtual void showPreviewProgress(const Progress &progress) = 0;
    // A file the edit would change, as soon as it is known.
    virtual void filePreviewed(const PreviewedFile &file) = 0;
    // Handles the window events that are waiting, then returns.
    virtual void yield() = 0;
};

// Preview Edit Process: goes through the files as a run would, in its order
// (the rows from the last to the first, a listed folder's files in its place
// when folders are walked) and makes each file's edit through the run's own
// code, writing nothing: it tells which files would change, with how many
// occurrences of the Find text, and counts what the run would count. Over
// many files, worker threads look at them ahead of their turn, as they
// prepare a run's files; what shows still comes in the run's order.
// The texts and ticks are taken once, when it is made.
class EditPreview
{
public:
    EditPreview(const EditInputs &inputs, FileRows &rows, PreviewDisplay &display);
    ~EditPreview();

    // Goes through the files, until the end or stop(); yields before each.
    RunSummary run();
    // Ends the preview before its next file.
    void stop() { m_stopped = true; }
    bool isRunning() const { return m_running; }
    // What the preview has counted so far.
    const RunSummary &summary() const { return m_summary; }

    // The texts and ticks the preview was made with.
    const FrozenInputs &inputs() const { return m_inputs; }

    // The worker threads a preview of many files uses (as a run's); 1 keeps
    // it on its own thread.
    void setWorkerCount(int workers) { m_workers = qMax(1, workers); }

private:
    // Whether to go on with the next file, after a yield.
    bool goOn();
    FileResult visitFile(const OrderStep &file);

    // What the workers look at ahead; they go before the previewers they use.
    struct Ahead
    {
        Ahead(int workers, const FrozenInputs &inputs);

        std::vector<std::unique_ptr<FilePreviewer>> previewers;   // one per worker
        JobsAhead<FilePreview> jobs;
    };

    FrozenInputs m_inputs;
    const FileTicks m_ticks;
    FileRows &m_rows;
    PreviewDisplay &m_display;
    FilePreviewer m_previewer;   // for the files looked at in their turn
    int m_workers = 0;   // 0: workerCount()'s choice
    std::optional<FilesSeen> m_seen;   // when folders are walked
    std::unique_ptr<Ahead> m_ahead;    // while a preview of many files goes on
    RunSummary m_summary;
    bool m_stopped = false;
    bool m_running = false;
};
