#pragma once

#include <QHash>

#include <sys/stat.h>
#include <utility>

// The files a run has visited, by device and inode, so that a file reached
// through a listed folder is edited once per run: a second visit of it, or a
// visit of a file that a folder walk reached before, leaves it alone. A file
// listed twice is still edited at each of its rows, as without folders.
class FilesSeen
{
public:
    enum class Through { Row, Folder };

    // Whether this visit of the file with `status` edits it; notes the visit.
    // A status of nothing (no inode) is always visited.
    bool isToBeEdited(const struct stat &status, Through through);
    // The file visited last was rewritten and now has `status`: a new file
    // under the old name is still the same file for the rest of the run.
    void noteRewritten(const struct stat &status);

private:
    using Identity = std::pair<quint64, quint64>;
    static Identity identityOf(const struct stat &status) { return {status.st_dev, status.st_ino}; }

    QHash<Identity, bool> m_throughFolder;   // every file seen: whether a folder walk saw it
    bool m_lastThroughFolder = false;
};
