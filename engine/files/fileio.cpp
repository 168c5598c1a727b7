#include "fileio.h"

#include "faultpoint.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

int writeAll(int fd, QByteArrayView bytes, qint64 offset)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = offset < 0 ? ::write(fd, data, size_t(left)) : ::pwrite(fd, data, size_t(left), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;   // would loop for ever; a regular file never does this unless full
        data += written;
        left -= written;
        if (offset >= 0)
            offset += written;
    }
    return 0;
}

namespace {

// Copies the bytes of `from` from `inOffset` up to `end` to `to` at `outOffset`
// through a buffer.
int copyThroughBuffer(int from, qint64 inOffset, int to, qint64 outOffset, qint64 end)
{
    QByteArray buffer(qsizetype(1) << 16, Qt::Uninitialized);
    while (inOffset < end) {
        const ssize_t got = ::pread(from, buffer.data(), size_t(qMin(qint64(buffer.size()), end - inOffset)), inOffset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got < 0 ? errno : EIO;
        ssize_t put = 0;
        while (put < got) {
            const ssize_t written = ::pwrite(to, buffer.constData() + put, size_t(got - put), outOffset + put);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return written < 0 ? errno : EIO;
            put += written;
        }
        inOffset += got;
        outOffset += got;
    }
    return 0;
}

// Copies `length` bytes of `from` at `fromOffset` to `to` at `toOffset`.
int copyRange(int from, qint64 fromOffset, int to, qint64 toOffset, qint64 length)
{
    off_t inOffset = fromOffset;
    off_t outOffset = toOffset;
    const qint64 end = fromOffset + length;
    // copy_file_range shares or copies the blocks inside the kernel; where the
    // two files lie on different file systems of an older kernel, or the file
    // system does not take part, it refuses and the bytes go through a buffer.
    while (inOffset < end) {
        const ssize_t copied = ::copy_file_range(from, &inOffset, to, &outOffset, size_t(end - inOffset), 0);
        if (copied > 0)
            continue;
        if (copied == 0)
            return EIO;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        break;
    }
    return copyThroughBuffer(from, inOffset, to, outOffset, end);
}

// Makes `length` bytes of `fd` from `offset` read as zeros.
int clearRange(int fd, qint64 offset, qint64 length)
{
    if (length <= 0 || ::fallocate(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, offset, length) == 0)
        return 0;
    const QByteArray zeros(qMin(length, qint64(1) << 16), '\0');
    for (qint64 done = 0; done < length;) {
        const ssize_t written =
            ::pwrite(fd, zeros.constData(), size_t(qMin(qint64(zeros.size()), length - done)), offset + done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        done += written;
    }
    return 0;
}

// The end of the data that starts at or after `offset`, and where it starts;
// {length, length} when only a hole is left. Without SEEK_DATA, all is data.
std::pair<qint64, qint64> nextData(int fd, qint64 offset, qint64 length)
{
    const off_t start = ::lseek(fd, offset, SEEK_DATA);
    if (start < 0)
        return errno == ENXIO ? std::pair{length, length} : std::pair{offset, length};
    if (start >= length)
        return {length, length};
    const off_t end = ::lseek(fd, start, SEEK_HOLE);
    return {start, end < 0 ? length : qMin(qint64(end), length)};
}

}   // namespace

int copyBytes(int from, int to, qint64 length, qint64 toOffset, Holes holes)
{
    // Below this a hole is rare and saves little, and looking for one costs
    // three system calls more than the copy itself.
    constexpr qint64 kHolesWorthLookingFor = qint64(1) << 20;
    if (length < kHolesWorthLookingFor)
        return copyRange(from, 0, to, toOffset, length);
    struct stat status
    {
    };
    if (::fstat(from, &status) != 0)
        return errno;
    if (status.st_size < length)
        return EIO;
    qint64 offset = 0;
    while (offset < length) {
        const auto [start, end] = nextData(from, offset, length);
        if (holes == Holes::Clear) {
            if (const int error = clearRange(to, toOffset + offset, start - offset))
                return error;
        } else if (end == length && start == length) {
            // A hole at the end: the length is set, not written.
            if (::ftruncate(to, toOffset + length) != 0)
                return errno;
        }
        if (const int error = copyRange(from, start, to, toOffset + start, end - start))
            return error;
        offset = end;
    }
    return 0;
}

int openUnnamedFile(int folder, mode_t mode)
{
    if (unnamedFilesRefused()) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
}

// Not refused with the others: a test's refusal stands for the file system
// of the files edited, which the temporary folder's need not share.
int openUnnamedTempFile()
{
    return ::open(QFile::encodeName(QDir::tempPath()).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, kOwnerOnly);
}

namespace {

QByteArray randomName(const QByteArray &prefix)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = prefix;
    for (int i = 0; i < 6; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return name;
}

constexpr int kNameAttempts = 100;

}   // namespace

int nameUnnamedFile(int fd, int folder, const QByteArray &prefix, QByteArray &name)
{
    // Linking the descriptor's /proc entry needs no privilege, unlike
    // linkat(fd, "", ..., AT_EMPTY_PATH), which is tried where /proc is missing.
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(fd);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray candidate = randomName(prefix);
        int result = ::linkat(AT_FDCWD, procPath.constData(), folder, candidate.constData(), AT_SYMLINK_FOLLOW);
        if (result != 0 && errno == ENOENT)
            result = ::linkat(fd, "", folder, candidate.constData(), AT_EMPTY_PATH);
        if (result == 0) {
            name = candidate;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int createNamedFile(int folder, const QByteArray &prefix, QByteArray &name, mode_t mode)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray candidate = randomName(prefix);
        const int fd = ::openat(folder, candidate.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            name = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

QByteArray companionPrefix(const QByteArray &name, const char *role)
{
    // "." name ".textorum-" role "-" and six random characters.
    const QByteArray suffix = QByteArray(".textorum-") + role + '-';
    return '.' + name.left(NAME_MAX - 1 - suffix.size() - 6) + suffix;
}

bool isOnServedFileSystem(const QByteArray &path)
{
    // Their f_type, as statfs(2) lists them.
    static constexpr __fsword_t kServed[] = {
        0x65735546,   // FUSE
        0x6969,       // NFS
        0xfe534d42,   // SMB2
        0xff534d42,   // CIFS
        0x01021997,   // 9P
        0x00c36400,   // Ceph
        0x6b414653,   // AFS
    };
    struct statfs fileSystem
    {
    };
    return ::statfs(path.constData(), &fileSystem) == 0 &&
           std::find(std::begin(kServed), std::end(kServed), fileSystem.f_type) != std::end(kServed);
}

bool lacksUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

namespace {

bool isSameTime(const timespec &x, const timespec &y)
{
    return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
}

}   // namespace

bool isSameVersion(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size && isSameTime(a.st_mtim, b.st_mtim)
           && isSameTime(a.st_ctim, b.st_ctim);
}

int versionAt(int folder, const char *name, struct stat &version)
{
    constexpr unsigned kWanted = STATX_INO | STATX_SIZE | STATX_MTIME | STATX_CTIME;
    struct statx status
    {
    };
    if (::statx(folder, name, AT_SYMLINK_NOFOLLOW, kWanted, &status) != 0)
        return errno;
    // A file system that cannot say all of it is asked the usual way.
    if ((status.stx_mask & kWanted) != kWanted)
        return ::fstatat(folder, name, &version, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
    version = {};
    version.st_dev = makedev(status.stx_dev_major, status.stx_dev_minor);
    version.st_ino = status.stx_ino;
    version.st_size = off_t(status.stx_size);
    version.st_mtim = {status.stx_mtime.tv_sec, status.stx_mtime.tv_nsec};
    version.st_ctim = {status.stx_ctime.tv_sec, status.stx_ctime.tv_nsec};
    return 0;
}
