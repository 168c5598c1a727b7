#include "editpreview.h"

#include "ordervisit.h"

#include <QScopeGuard>

EditPreview::Ahead::Ahead(int workers, const FrozenInputs &inputs)
    : jobs(workers, fileTicks(inputs), [this](int worker, const FileJob &job) {
        return previewers[size_t(worker)]->preview(job.path, job.ticks);
    })
{
    // Made before the first file is given, so the workers only read the list.
    for (int worker = 0; worker < workers; ++worker)
        previewers.push_back(std::make_unique<FilePreviewer>(inputs.findText(), inputs.withText()));
}

EditPreview::EditPreview(const EditInputs &inputs, FileRows &rows, PreviewDisplay &display)
    : m_inputs(inputs)
    , m_ticks(fileTicks(m_inputs))
    , m_rows(rows)
    , m_display(display)
    , m_previewer(m_inputs.findText(), m_inputs.withText())
{}

EditPreview::~EditPreview() = default;

RunSummary EditPreview::run()
{
    m_running = true;
    m_stopped = false;
    const auto done = qScopeGuard([this] {
        m_ahead.reset();
        m_running = false;
    });
    m_seen.reset();
    if (m_inputs.editsInsideFolders())
        m_seen.emplace();
    m_summary = {};
    const qint64 rowCount = m_rows.rowCount();
    if (const int workers = workersForRows(m_workers, m_rows, rowCount, m_seen.has_value()))
        m_ahead = std::make_unique<Ahead>(workers, m_inputs);
    const OrderVisit visit{
        [this] { return goOn(); },
        [this](const Progress &progress) { m_display.showPreviewProgress(progress); },
        [this](const OrderStep &file) { return visitFile(file); },
    };
    visitInOrder(m_rows, rowCount, m_seen ? &*m_seen : nullptr, visit, m_ahead ? &m_ahead->jobs : nullptr,
                 m_summary);
    m_summary.stopped = m_stopped;
    return m_summary;
}

bool EditPreview::goOn()
{
    m_display.yield();
    return !m_stopped;
}

FileResult EditPreview::visitFile(const OrderStep &file)
{
    std::optional<FilePreview> preview;
    if (m_ahead)
        preview = m_ahead->jobs.take(file, m_ticks);
    if (!preview)
        preview = m_previewer.preview(file.path, m_ticks);
    if (preview->changed)
        m_display.filePreviewed(*preview->changed);
    return std::move(preview->result);
}
