#include "skippedfiles.h"

void SkippedFiles::addFile(QByteArray path, WalkSkip why)
{
    ++m_byReason[size_t(why)];
    ++m_fileCount;
    if (m_named.size() < kNamed)
        m_named.append({std::move(path), why});
}
