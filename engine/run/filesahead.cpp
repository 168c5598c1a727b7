#include "filesahead.h"

FilesAhead::FilesAhead(int workers, const FileTicks &ticks, const QString &find, const QString &with,
                       qsizetype bufferSize)
    : m_jobs(workers, ticks, [this](int worker, const FileJob &job) {
        m_retired.closeAll();
        return m_preparers[size_t(worker)]->prepare(job);
    })
{
    // Made before the first file is given, so the workers only read the list.
    for (int worker = 0; worker < workers; ++worker)
        m_preparers.push_back(std::make_unique<FilePreparer>(find, with, bufferSize));
}
