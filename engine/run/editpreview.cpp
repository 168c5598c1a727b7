#include "editpreview.h"

#include "editmodes.h"
#include "editpass.h"
#include "filerecipe.h"
#include "filesink.h"
#include "folderrows.h"

#include <QScopeGuard>

#include <new>

namespace {

std::optional<FileFailure> readFailure(const QByteArray &path, const ReadOutcome &read)
{
    if (read.end == ReadOutcome::End::Failed)
        return fileFailure(path, FileFailureReason::ReadFailed, read.error);
    if (read.end == ReadOutcome::End::Changed)
        return changedFailure(path);
    return std::nullopt;
}

}   // namespace

EditPreview::EditPreview(const EditInputs &inputs, FileRows &rows, PreviewDisplay &display)
    : m_inputs(inputs)
    , m_rows(rows)
    , m_display(display)
    , m_buffer(kStreamBufferSize, Qt::Uninitialized)
{}

RunSummary EditPreview::run()
{
    m_running = true;
    m_stopped = false;
    const auto done = qScopeGuard([this] { m_running = false; });
    RunTexts texts(m_inputs.findText(), m_inputs.withText());
    m_seen.reset();
    if (m_inputs.editsInsideFolders())
        m_seen.emplace();
    m_summary = {};
    const qint64 rowCount = m_rows.rowCount();
    // The run's order: from the last row to the first. A Clear of the list
    // meanwhile ends it, as it ends a run.
    for (qint64 position = rowCount; position >= 1 && goOn() && position <= m_rows.rowCount(); --position)
        visitRow({position, rowCount, m_rows.rowTag(position)}, texts, m_summary);
    m_summary.stopped = m_stopped;
    return m_summary;
}

bool EditPreview::goOn()
{
    m_display.yield();
    return !m_stopped;
}

void EditPreview::visitRow(const Progress &progress, RunTexts &texts, RunSummary &summary)
{
    m_display.showPreviewProgress(progress);
    if (m_seen) {
        const FolderRowVisit visit{
            [this] { return goOn(); },
            [this](const Progress &file) { m_display.showPreviewProgress(file); },
            [this, &texts](const QByteArray &path) { return previewFile(path, texts); },
        };
        visitWithFolders(progress, *m_seen, summary, visit);
        return;
    }
    addRowResult(progress.path, previewFile(progress.path, texts), summary);
}

FileResult EditPreview::previewFile(const QByteArray &path, RunTexts &texts)
{
    if (!isExistingFile(path))
        return {FileOutcome::Skipped, {}};
    const auto closeSource = qScopeGuard([this] { m_source.close(); });
    try {
        return previewExistingFile(path, texts);
    } catch (const std::bad_alloc &) {
        return FileResult::failed(fileFailure(path, FileFailureReason::OutOfMemory, ENOMEM));
    }
}

// The run's first read, and where it would rewrite the file, the edit made
// once more in full to count the occurrences.
FileResult EditPreview::previewExistingFile(const QByteArray &path, RunTexts &texts)
{
    if (auto failure = m_source.open(path, SourceFile::Access::Peek))
        return FileResult::failed(*failure);
    const qint64 size = m_source.status().st_size;
    const EditRecipe recipe = fileRecipe(m_source.fd(), size, fileTicks(m_inputs), texts, m_buffer);
    const FileCheck check = checkFile(m_source.fd(), size, recipe, m_buffer);
    if (auto failure = readFailure(path, check.read))
        return FileResult::failed(*failure);
    if (!check.found || !check.changes)
        return {FileOutcome::Unchanged, {}};
    CountingSink nowhere;
    EditTap tap;
    if (auto failure = readFailure(path, produceEdit(m_source.fd(), size, recipe, m_buffer, nowhere, &tap)))
        return FileResult::failed(*failure);
    m_display.filePreviewed({path, m_source.status(), tap.occurrences});
    return {FileOutcome::Changed, {}};
}
