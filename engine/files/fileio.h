#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <sys/stat.h>

// Writes all of `bytes` at the descriptor's offset, or from `offset` on
// where one is given (the descriptor's own is left as it is), going on after
// short writes and signals. Returns 0 or the errno of the failed write.
int writeAll(int fd, QByteArrayView bytes, qint64 offset = -1);

// What a copy does where the source has a hole.
enum class Holes {
    Skip,    // nothing: the destination reads zeros there already (a new file)
    Clear,   // makes the destination read zeros there, freeing its blocks where it can
};

// Copies the first `length` bytes of `from` into `to` from `toOffset` on,
// inside the kernel where it can. Of a large file only the ranges that hold
// data are copied, so that a sparse file's copy stays sparse; the search for
// them moves the offset of `from`. With Holes::Skip, `to` ends at
// `toOffset` + `length` at least, or is left shorter only by a failure.
// Returns 0 or an errno; EIO when `from` is shorter.
int copyBytes(int from, int to, qint64 length, qint64 toOffset = 0, Holes holes = Holes::Skip);

// The permission bits a new file of the program's own is made with unless
// it says otherwise: readable and writable by its owner only.
constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

// A new file in the folder open as `folder` (O_PATH will do) that has no
// name (O_TMPFILE; permission bits `mode`, less the umask) and vanishes
// with its last descriptor, also when the program is killed. -1 with errno
// set when the system or the file system has no such files (EOPNOTSUPP,
// EISDIR or EINVAL) or the folder takes no new file.
int openUnnamedFile(int folder, mode_t mode = kOwnerOnly);
// The same in the temporary folder (TMPDIR), for data of the program's own
// that has no better place.
int openUnnamedTempFile();

// Gives the unnamed file `fd` a new name in `folder` beginning with `prefix`
// and a random end, and stores it in `name`. 0 or an errno.
int nameUnnamedFile(int fd, int folder, const QByteArray &prefix, QByteArray &name);

// A name beginning with `prefix` and a random end, that is new in `folder`:
// the file is made under it (O_EXCL), for where there are no unnamed files.
// Returns its descriptor, or -1 with errno set.
int createNamedFile(int folder, const QByteArray &prefix, QByteArray &name, mode_t mode = kOwnerOnly);

// The name of a file of Textorum's own beside `name`: the name itself, so
// that a person who ever finds one knows what it is, and what it is for
// (`role`, "new" or "old"), cut to fit the file system's limit.
QByteArray companionPrefix(const QByteArray &name, const char *role);

// Whether the file or folder at `path` lies on a file system that asks a
// server for every operation (FUSE, NFS, SMB, 9P, Ceph, AFS): time spent
// there goes to waiting, not computing. False when that cannot be known.
bool isOnServedFileSystem(const QByteArray &path);

// Whether errno from openUnnamedFile() means only that unnamed files are not
// supported there, so that a named one may do.
bool lacksUnnamedFiles(int error);

// The folder part of a path ("." for a bare name).
QByteArray folderOf(const QByteArray &path);

// Whether two statuses describe the same version of the same file: device,
// inode, size, modification and change time. A write, a truncation or a
// replacement by another program moves at least one of the first four, a
// chmod, a chown, a rename or a copy that kept the times the last.
bool isSameVersion(const struct stat &a, const struct stat &b);

// The status of `name` in the folder open as `folder`, not following a link,
// with only the fields isSameVersion() compares set. Asked for no more, FUSE
// answers from what it knows of a file that was only read since (a read
// makes it ask its server for the access time). 0 or an errno.
int versionAt(int folder, const char *name, struct stat &version);
