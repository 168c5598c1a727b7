#include "skippedfiles.h"

void SkippedFiles::addFile(QByteArray path, WalkSkip why)
{
    ++m_byReason[size_t(why)];
    ++m_fileCount;
    if (m_named.size() < kNamed)
        m_named.append({std::move(path), why});
}

QString SkippedFiles::summaryText() const
{
    QString text;
    if (m_fileCount > 0)
        text += QStringLiteral(" | files skipped: ") + QString::number(m_fileCount);
    if (m_folderRows > 0)
        text += QStringLiteral(" | folders skipped: ") + QString::number(m_folderRows);
    return text;
}
