#pragma once

#include "uniquefd.h"

#include <QByteArray>

#include <sys/types.h>
#include <utility>

// The new version of a file that is to replace it by a rename, made in the
// file's folder. It has no name while it is written (O_TMPFILE) and is named
// in the system call right before the rename, so that only a kill at that
// one instant leaves it behind; its name holds the file's own with
// ".textorum-new-" in it, so that a person who finds one knows what it is.
// Where the file system has no unnamed files it has that name from the
// start, and a kill (not SIGTERM, SIGINT or SIGHUP: see unfinishedfiles.h)
// before it is put in place leaves it. Removed unless it replaced the file.
class NewFile
{
public:
    // A new file for the file `name` in the folder open as `folder`, which
    // must stay open while this object lives, with the permission bits
    // `mode` less the umask.
    NewFile(int folder, const QByteArray &name, mode_t mode);
    NewFile(NewFile &&other) noexcept
        : m_folder(other.m_folder)
        , m_target(std::move(other.m_target))
        , m_name(std::exchange(other.m_name, {}))
        , m_fd(std::move(other.m_fd))
        , m_openError(other.m_openError)
        , m_replaced(other.m_replaced)
        , m_noted(std::exchange(other.m_noted, -1))
    {}
    NewFile &operator=(NewFile &&other) = delete;
    ~NewFile();

    // 0, or the errno of the failed creation.
    int openError() const { return m_openError; }
    int fd() const { return m_fd.get(); }
    // Whether it has a name before its turn: the file system has no unnamed files.
    bool hasName() const { return !m_name.isEmpty(); }

    // Where the file has a name: closes it for writing, so that a file
    // system that reports a write's failure only at the close (FUSE, NFS)
    // reports it now, and keeps it open only to know its status (O_PATH).
    // Without a name the file is kept open as it is. 0 or an errno.
    int closeForWriting();
    // Names the file and renames it over the file it is for. 0 or an errno.
    int replace();
    // Closes the file. 0 or an errno.
    int close() { return m_fd.close(); }

private:
    int m_folder;
    QByteArray m_target;
    QByteArray m_name;   // empty while the file has none
    UniqueFd m_fd;
    int m_openError = 0;
    bool m_replaced = false;
    int m_noted = -1;   // its number among the unfinished files, when it is named
};
