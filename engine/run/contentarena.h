#pragma once

#include "bytesink.h"
#include "sourcefile.h"
#include "uniquefd.h"

#include <QByteArray>
#include <QtGlobal>

// Small old contents, one after the other in a single file without a name
// (O_TMPFILE) on the file system of the files they come from: one
// descriptor for all of them, pages that the kernel writes out and drops
// like any file's, so that memory stays flat however much a run changes,
// and the replaced files themselves can go at once.
class ContentArena
{
public:
    // Frees everything it holds.
    void clear();

    // Bytes held.
    qint64 size() const { return m_size; }
    // The arena's own file, which readKept() reads as read() does.
    int fd() const { return m_fd.get(); }

    // Appends the first `size` bytes of `fd`, copied inside the kernel; the
    // arena's own file is made in the folder open as `folder` at the first.
    // Returns where they start, or -1 (nothing appended) when they could not be.
    qint64 append(int fd, qint64 size, int folder);

    // Sends the `size` bytes held from `offset` to `out`, read through `buffer`.
    ReadOutcome read(qint64 offset, qint64 size, QByteArray &buffer, ByteSink &out) const;

private:
    UniqueFd m_fd;
    qint64 m_size = 0;
};
