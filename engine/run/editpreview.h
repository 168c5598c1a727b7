#pragma once

#include "edithost.h"
#include "filesseen.h"
#include "frozeninputs.h"
#include "previewedfile.h"
#include "runresults.h"
#include "sourcefile.h"

#include <QByteArray>

#include <optional>

class RunTexts;

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
// occurrences of the Find text, and counts what the run would count.
// The texts and ticks are taken once, when it is made.
class EditPreview
{
public:
    EditPreview(const EditInputs &inputs, FileRows &rows, PreviewDisplay &display);

    // Goes through the files, until the end or stop(); yields before each.
    RunSummary run();
    // Ends the preview before its next file.
    void stop() { m_stopped = true; }
    bool isRunning() const { return m_running; }
    // What the preview has counted so far.
    const RunSummary &summary() const { return m_summary; }

    // The texts and ticks the preview was made with.
    const FrozenInputs &inputs() const { return m_inputs; }

private:
    // Whether to go on with the next file, after a yield.
    bool goOn();
    void visitRow(const Progress &progress, RunTexts &texts, RunSummary &summary);
    FileResult previewFile(const QByteArray &path, RunTexts &texts);
    FileResult previewExistingFile(const QByteArray &path, RunTexts &texts);

    FrozenInputs m_inputs;
    FileRows &m_rows;
    PreviewDisplay &m_display;
    std::optional<FilesSeen> m_seen;   // when folders are walked
    QByteArray m_buffer;
    SourceFile m_source;
    RunSummary m_summary;
    bool m_stopped = false;
    bool m_running = false;
};
