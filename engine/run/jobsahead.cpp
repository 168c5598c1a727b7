#include "jobsahead.h"

#include "edithost.h"
#include "fileio.h"

#include <algorithm>
#include <limits>
#include <sys/resource.h>
#include <thread>

namespace {

constexpr qsizetype kMostAhead = 64;
constexpr int kMostWorkers = 8;
// Descriptors a file made ready ahead holds at most, its share of the
// retired ones to close included.
constexpr qsizetype kDescriptorsEach = 3;
// Descriptors the undo leaves free, of which the files ahead take half.
constexpr rlim_t kReservedByUndo = 256;
// Fewer files ahead than this are not worth the workers.
constexpr qsizetype kFewestAhead = 8;
// Below this many files a run (or an undo) stays on its own thread:
// starting workers would cost more than they save.
constexpr qint64 kFilesWorthWorkers = 32;

}   // namespace

qsizetype mostFilesAhead()
{
    struct rlimit limit
    {
    };
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 4 * kReservedByUndo)
        return kMostAhead;
    // The window and the run's own files need the rest of a low limit.
    const auto most = qsizetype(qMin(limit.rlim_cur, kReservedByUndo) / 2 / kDescriptorsEach);
    return most < kFewestAhead ? 0 : most;
}

int workerCount(int chosen, const QByteArray &firstPath)
{
    if (chosen > 0)
        return chosen;
    if (isOnServedFileSystem(firstPath))
        return kMostWorkers;
    return std::clamp(int(std::thread::hardware_concurrency()), 2, kMostWorkers);
}

bool isWorthWorkers(int workers, qint64 files)
{
    return workers > 1 && files >= kFilesWorthWorkers && mostFilesAhead() > 0;
}

int workersForRows(int chosen, const FileRows &rows, qint64 rowCount, bool walksFolders)
{
    const int workers = workerCount(chosen, rowCount > 0 ? rows.rowTag(rowCount) : QByteArray());
    return isWorthWorkers(workers, walksFolders ? std::numeric_limits<qint64>::max() : rowCount) ? workers : 0;
}
