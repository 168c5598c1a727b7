#pragma once

#include "pipeline.h"
#include "preparedfile.h"
#include "retiredfiles.h"

#include <QSet>

#include <memory>
#include <sys/stat.h>
#include <utility>
#include <vector>

class FileRows;

// The files of a run prepared ahead of their turn by worker threads, the
// rows from the last to the first, at most 64 at a time: each holds up to two
// descriptors (the file and its new content) and, until its turn, its new
// content's disk space. The undo keeps 256 descriptors free for the run and
// the window; the files ahead take no more than half of them.
class FilesAhead
{
public:
    // How many files may be prepared ahead under the open-file limit; fewer
    // than a few are not worth the workers.
    static qsizetype mostAhead();

    FilesAhead(int workers, const QString &find, const QString &with, qsizetype bufferSize);

    // The file of row `position`, prepared by `ticks`, and the rows after it
    // given to the workers. Files prepared by other ticks are dropped and
    // prepared again: a change of the ticks applies to the rows after it.
    PreparedFile take(qint64 position, const FileTicks &ticks, const FileRows &rows);

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
    Pipeline<FileJob, PreparedFile> m_pipeline;
    const qsizetype m_mostAhead = mostAhead();
    FileTicks m_ticks;    // what the files given so far are prepared by
    qint64 m_next = -1;   // the next row to give the workers; -1 before the first
};
