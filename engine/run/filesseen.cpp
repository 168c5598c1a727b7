#include "filesseen.h"

bool FilesSeen::isToBeEdited(const struct stat &status, Through through)
{
    const bool throughFolder = through == Through::Folder;
    if (status.st_ino == 0)
        return true;
    const auto seen = m_throughFolder.find(identityOf(status));
    if (seen == m_throughFolder.end()) {
        m_throughFolder.insert(identityOf(status), throughFolder);
        m_lastThroughFolder = throughFolder;
        return true;
    }
    // Two rows of the same file: both edit it, as they always have.
    if (!throughFolder && !*seen) {
        m_lastThroughFolder = false;
        return true;
    }
    *seen = true;
    return false;
}

void FilesSeen::noteRewritten(const struct stat &status)
{
    if (status.st_ino != 0)
        m_throughFolder.insert(identityOf(status), m_lastThroughFolder);
}
