#include "fileio.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;   // would loop for ever; a regular file never does this unless full
        data += written;
        left -= written;
    }
    return 0;
}

int copyBytes(int from, int to, qint64 length)
{
    off_t inOffset = 0;
    off_t outOffset = 0;
    // copy_file_range shares or copies the blocks inside the kernel; where the
    // two files lie on different file systems of an older kernel, or the file
    // system does not take part, it refuses and the bytes go through a buffer.
    while (outOffset < length) {
        const ssize_t copied = ::copy_file_range(from, &inOffset, to, &outOffset,
                                                 size_t(length - outOffset), 0);
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
    QByteArray buffer(qsizetype(1) << 16, Qt::Uninitialized);
    while (outOffset < length) {
        const ssize_t got = ::pread(from, buffer.data(),
                                    size_t(qMin(qint64(buffer.size()), length - outOffset)), outOffset);
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
        outOffset += got;
    }
    return 0;
}

int openUnnamedFile(const QByteArray &folder)
{
    return ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
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

} // namespace

bool isSameContent(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
           && isSameTime(a.st_mtim, b.st_mtim);
}

bool isSameVersion(const struct stat &a, const struct stat &b)
{
    return isSameContent(a, b) && isSameTime(a.st_ctim, b.st_ctim);
}
