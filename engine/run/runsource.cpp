#include "runsource.h"

#include "fileio.h"

void RunSource::setPreviewed(const PreviewedRun *run)
{
    m_previewed = run;
    m_versions.clear();
    m_previewedRows = run ? run->files.size() : 0;
    if (!run)
        return;
    for (const PreviewedFile &file : run->files)
        m_versions.insert(file.path, file.version);
}

bool RunSource::isAsPreviewed(const QByteArray &path, const struct stat &status) const
{
    if (!m_previewed)
        return true;
    const auto version = m_versions.constFind(path);
    return version != m_versions.cend() && isSameVersion(*version, status);
}

const EditInputs &RunSource::inputs() const
{
    if (m_previewed)
        return m_previewed->inputs;
    return m_inputs;
}

qint64 RunSource::rowCount() const
{
    return m_previewed ? m_previewedRows : m_rows.rowCount();
}

// The run visits the rows from the last to the first: the last row is the
// preview's first file.
QByteArray RunSource::rowTag(qint64 position) const
{
    return m_previewed ? m_previewed->files.at(m_previewedRows - position).path : m_rows.rowTag(position);
}

void RunSource::removeAllRows()
{
    m_rows.removeAllRows();
    m_previewedRows = 0;
}
