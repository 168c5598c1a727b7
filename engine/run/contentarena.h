#pragma once

#include "bytesink.h"
#include "sourcefile.h"
#include "uniquefd.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <functional>

// Small old contents, one after the other in a single file without a name
// (O_TMPFILE) on the file system of the files they come from: one
// descriptor for all of them, pages that the kernel writes out and drops
// like any file's, so that memory stays flat however much a run changes,
// and the replaced files themselves can go at once. Where that file system
// has no unnamed files (FUSE, NFS), the file is made in the temporary
// folder: holding the replaced files open instead would cost more there,
// for a file open when it is renamed over is first moved aside under a
// hidden name of the file system's own.
class ContentArena
{
public:
    // Frees everything it holds.
    void clear();

    // Bytes held.
    qint64 size() const { return m_size; }
    // The arena's own file, where append() put them.
    int fd() const { return m_fd.get(); }

    // Appends the first `size` bytes of `fd`, copied inside the kernel; the
    // arena's own file is made in the folder open as `folder` at the first.
    // Returns where they start, or -1 with errno set (nothing appended) when
    // they could not be.
    qint64 append(int fd, qint64 size, int folder);
    // The same for bytes read before their file was closed.
    qint64 append(QByteArrayView bytes, int folder);

    // Sends the `size` bytes held from `offset` to `out`, read through `buffer`.
    ReadOutcome read(qint64 offset, qint64 size, QByteArray &buffer, ByteSink &out) const;

private:
    // Appends `size` bytes that `write` puts at the end (it returns 0 or an errno).
    qint64 appendWith(qint64 size, int folder, const std::function<int()> &write);

    UniqueFd m_fd;
    qint64 m_size = 0;
};
