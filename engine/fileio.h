#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <sys/stat.h>

// Writes all of `bytes` at the descriptor's offset, going on after short
// writes and signals. Returns 0 or the errno of the failed write.
int writeAll(int fd, QByteArrayView bytes);

// Copies the first `length` bytes of `from` over the first bytes of `to`,
// inside the kernel where it can. Returns 0 or an errno; EIO when `from`
// ends early.
int copyBytes(int from, int to, qint64 length);

// A new file in `folder` that has no name (O_TMPFILE, readable and
// writable by its owner only) and vanishes with its last descriptor, also
// when the program is killed. -1 with errno set when the system or the file
// system has no such files (EOPNOTSUPP, EISDIR or EINVAL) or the folder takes
// no new file.
int openUnnamedFile(const QByteArray &folder);

// Whether errno from openUnnamedFile() means only that unnamed files are not
// supported there, so that a named one may do.
bool lacksUnnamedFiles(int error);

// The folder part of a path ("." for a bare name).
QByteArray folderOf(const QByteArray &path);

// Whether two statuses describe the same file with the same content: device,
// inode, size and modification time. A write, a truncation or a replacement
// by another program moves at least one of them.
bool isSameContent(const struct stat &a, const struct stat &b);

// isSameContent, and the same change time too: a chmod, a chown or a rename
// moves it as well.
bool isSameVersion(const struct stat &a, const struct stat &b);
