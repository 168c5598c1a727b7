#pragma once

#include "bytesink.h"
#include "filefailure.h"
#include "filelocation.h"
#include "uniquefd.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <sys/stat.h>
#include <utility>

// True when `path` names an existing regular file, after following symbolic
// links. Folders, FIFOs, sockets and devices answer false: they are never opened.
bool isExistingFile(const QByteArray &path);

// A failure of the calling system function, with errno's text.
FileFailure fileFailure(const QByteArray &path, FileFailureReason reason, int error);

// The failure of a file that another program changed during the edit.
FileFailure changedFailure(const QByteArray &path);

// A listed file, open, with its folder: the file that is read is the file
// that is rewritten, whatever happens to its path meanwhile. Its content is
// read a buffer at a time (see readContent), never mapped: a mapping of a
// file that another program truncates ends the program with SIGBUS at the
// next touch.
class SourceFile
{
public:
    // Peek reads without setting the file's access time where the system
    // lets it (the user's own files): a preview leaves every time as it was.
    enum class Access { Read, Peek, StatusOnly };

    // Locates `path` (see locateFile) and opens it, for reading or only to
    // pin it and know its status. Fails when it cannot be opened or is no
    // longer a regular file (it was swapped for something else after the
    // existence test).
    std::optional<FileFailure> open(const QByteArray &path, Access access = Access::Read);
    // The common case in two system calls: `path` as a regular file, not a
    // link, in a folder that `folders` holds or opens without meeting a link.
    // False, with nothing open, for anything else, which open() then decides
    // and reports.
    bool openPlain(const QByteArray &path, FolderCache &folders);
    void close();
    // Closes the file but keeps its place, for stillAsRead().
    void closeFile() { m_fd.reset(); }
    // Whether the file's name in its folder still names the file as it was read.
    bool stillAsRead() const;
    // Hands the descriptor over to the caller; the file's folder stays open.
    UniqueFd takeFd() { return std::move(m_fd); }

    int fd() const { return m_fd.get(); }
    // The path as listed, its folder (O_PATH) and its name there.
    const QByteArray &path() const { return m_path; }
    int folder() const { return m_location.folderFd(); }
    // The folder's group, or -1 when it was not asked for.
    gid_t folderGroup() const { return m_location.folder ? m_location.folder->group : gid_t(-1); }
    const QByteArray &name() const { return m_location.name; }
    // The status of the opened file, as fstat() gave it at open().
    const struct stat &status() const { return m_status; }

private:
    UniqueFd m_fd;
    QByteArray m_path;
    FileLocation m_location;
    struct stat m_status
    {
    };
};

// How reading a file's content ended.
struct ReadOutcome
{
    enum class End { Complete, Stopped, Changed, Failed };
    End end = End::Complete;
    int error = 0;   // errno, when Failed
};

// Reads the first `size` bytes of `fd` a buffer at a time (`buffer` gives the
// size and is reused) and sends them to `out`. Stops after a buffer when
// `enough` says so. Fewer bytes than `size` mean that another program
// truncated the file meanwhile: Changed.
ReadOutcome readContent(int fd, qint64 size, QByteArray &buffer, ByteSink &out,
                        const std::function<bool()> &enough = {});

// Reads `size` bytes of `fd` from `offset` on, which must all be there: fewer
// fail (EIO). For contents kept by the program itself.
ReadOutcome readKept(int fd, qint64 offset, qint64 size, QByteArray &buffer, ByteSink &out);
