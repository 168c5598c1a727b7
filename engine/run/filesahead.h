#pragma once

#include "jobsahead.h"
#include "preparedfile.h"
#include "retiredfiles.h"

#include <QSet>

#include <memory>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

// The files of an edit run prepared ahead of their turn by worker threads:
// each holds up to two descriptors (the file and its new content) and, until
// its turn, its new content's disk space.
class FilesAhead
{
public:
    FilesAhead(int workers, const FileTicks &ticks, const QString &find, const QString &with, qsizetype bufferSize);

    // What the run's order gives the files to.
    AheadOfTurn &order() { return m_jobs; }
    // The file `file` prepared by `ticks`, where it was given.
    std::optional<PreparedFile> take(const OrderStep &file, const FileTicks &ticks) { return m_jobs.take(file, ticks); }

    // The run rewrote the file that had `status` when it was read; a file
    // prepared from that version is stale by the run's own doing.
    void noteRewritten(const struct stat &status) { m_rewritten.insert(identityOf(status)); }
    bool wasRewritten(const struct stat &status) const { return m_rewritten.contains(identityOf(status)); }

    // Has a worker close `fd`, the last descriptor of a replaced file.
    void closeLater(UniqueFd fd) { m_retired.closeLater(std::move(fd)); }

private:
    using Identity = std::pair<quint64, quint64>;   // device and inode
    static Identity identityOf(const struct stat &status) { return {status.st_dev, status.st_ino}; }

    QSet<Identity> m_rewritten;
    RetiredFiles m_retired;                                   // closed by a worker before each file it prepares
    std::vector<std::unique_ptr<FilePreparer>> m_preparers;   // one per worker
    JobsAhead<PreparedFile> m_jobs;                           // last: its workers stop before the rest goes
};
