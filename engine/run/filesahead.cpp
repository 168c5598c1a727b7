#include "filesahead.h"

#include "edithost.h"

#include <sys/resource.h>

namespace {

constexpr qsizetype kMostAhead = 64;
// Descriptors a file prepared ahead holds at most, its share of the retired
// ones to close included.
constexpr qsizetype kDescriptorsEach = 3;
// Descriptors the undo leaves free, of which the files ahead take half.
constexpr rlim_t kReservedByUndo = 256;

}   // namespace

qsizetype FilesAhead::mostAhead()
{
    struct rlimit limit
    {
    };
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 4 * kReservedByUndo)
        return kMostAhead;
    // The window and the run's own files need the rest of a low limit.
    return qsizetype(qMin(limit.rlim_cur, kReservedByUndo) / 2 / kDescriptorsEach);
}

FilesAhead::FilesAhead(int workers, const QString &find, const QString &with, qsizetype bufferSize)
    : m_pipeline(workers, [this](int worker, const FileJob &job) {
        m_retired.closeAll();
        return m_preparers[size_t(worker)]->prepare(job);
    })
{
    // Made before the first job is given, so the workers only read the list.
    for (int worker = 0; worker < workers; ++worker)
        m_preparers.push_back(std::make_unique<FilePreparer>(find, with, bufferSize));
}

PreparedFile FilesAhead::take(qint64 position, const FileTicks &ticks, const FileRows &rows)
{
    if (ticks != m_ticks || m_next < 0) {
        m_pipeline.dropAll();
        m_ticks = ticks;
        m_next = position;
    }
    // Rows dropped on the list during the run lie past its row count; a
    // Clear ends the run before any row it removed is asked for.
    while (m_next >= 1 && m_next <= rows.rowCount() && m_pipeline.pending() < m_mostAhead) {
        m_pipeline.push({m_next, rows.rowTag(m_next), ticks});
        --m_next;
    }
    return m_pipeline.take();
}
