#pragma once

#include "uniquefd.h"

#include <mutex>
#include <vector>

// Descriptors of files that a rename replaced, to be closed by a worker
// thread: the close of a replaced file's last descriptor frees its blocks,
// which takes as long as the rest of its commit, and need not hold up the
// thread that commits.
class RetiredFiles
{
public:
    // Keeps `fd` for the next closeAll(); an invalid one is let go.
    void closeLater(UniqueFd fd)
    {
        if (!fd.isValid())
            return;
        const std::lock_guard lock(m_lock);
        m_files.push_back(std::move(fd));
    }
    // Closes what was given so far, on the calling thread.
    void closeAll()
    {
        std::vector<UniqueFd> retired;   // closed after the lock is let go
        const std::lock_guard lock(m_lock);
        retired.swap(m_files);
    }

private:
    std::mutex m_lock;
    std::vector<UniqueFd> m_files;
};
