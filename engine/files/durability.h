#pragma once

#include <QHash>

#include <sys/types.h>

// What a file system needs so that a power cut after a rewrite leaves every
// file whole: whether it writes a new file's data out by itself before a
// rename over an existing file takes effect, and whether it outlives a power
// cut at all. Asked once per file system (device) and remembered.
class Durability
{
public:
    // Whether a new file must be flushed before it is renamed over the file
    // it replaces. Only ext4 with auto_da_alloc and ordered or journalled
    // data, btrfs and tmpfs answer false; any other or unknown file system,
    // and any question that fails, true.
    bool renameNeedsFlush(int fd);
    // The same for a file known to lie on `device`, asked of `fd` only the
    // first time.
    bool renameNeedsFlush(int fd, dev_t device);

    // Whether writes must be flushed at all for a power cut to find them:
    // false only on file systems that live in memory.
    bool survivesPowerCut(int fd);

private:
    struct Needs
    {
        bool renameNeedsFlush = true;
        bool survivesPowerCut = true;
    };
    Needs needsOf(int fd);
    Needs needsOf(int fd, dev_t device);

    QHash<dev_t, Needs> m_byDevice;
};
