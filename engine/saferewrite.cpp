#include "saferewrite.h"

#include "sourcefile.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Pieces at least this large go straight from the content (often a mapping)
// to write(); smaller ones are gathered first, so that a replace-all that
// yields millions of small pieces still makes few system calls.
constexpr qsizetype kWriteBufferSize = 1 << 20;

// Writes all of `bytes`, going on after short writes and signals. Returns 0 or
// the errno of the failed write.
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

// Buffers the produced pieces on their way to the file and keeps the first
// write error: once a write failed nothing more is written, and finish()
// reports the error instead of success.
class FileSink : public ByteSink
{
public:
    FileSink(int fd, QByteArray &buffer) : m_fd(fd), m_buffer(buffer) {}

    void append(QByteArrayView bytes) override
    {
        if (m_error != 0)
            return;
        if (m_used + bytes.size() > m_buffer.size()) {
            flush();
            if (bytes.size() >= m_buffer.size()) {
                if (m_error == 0)
                    m_error = writeAll(m_fd, bytes);
                return;
            }
        }
        std::memcpy(m_buffer.data() + m_used, bytes.data(), size_t(bytes.size()));
        m_used += bytes.size();
    }

    // 0, or the errno of the first failed write.
    int finish()
    {
        flush();
        return m_error;
    }

private:
    void flush()
    {
        if (m_error == 0 && m_used > 0)
            m_error = writeAll(m_fd, QByteArrayView(m_buffer.constData(), m_used));
        m_used = 0;
    }

    int m_fd;
    QByteArray &m_buffer;
    qsizetype m_used = 0;
    int m_error = 0;
};

// Holds the produced bytes in memory in chunks of a fixed size. One growing
// buffer would be copied as it grows and, during the copy, held twice: for a
// 256 MB file that is another 256 MB at the peak.
class ChunkSink : public ByteSink
{
public:
    void append(QByteArrayView bytes) override
    {
        while (!bytes.isEmpty()) {
            if (m_chunks.isEmpty() || m_chunks.last().size() == kChunkSize) {
                m_chunks.append(QByteArray());
                m_chunks.last().reserve(kChunkSize);
            }
            QByteArray &chunk = m_chunks.last();
            const qsizetype part = qMin(bytes.size(), kChunkSize - chunk.size());
            chunk.append(bytes.first(part));
            bytes = bytes.sliced(part);
            m_size += part;
        }
    }

    qsizetype size() const { return m_size; }

    // Writes every chunk in order; 0 or the errno of the failed write.
    int writeTo(int fd) const
    {
        for (const QByteArray &chunk : m_chunks) {
            if (const int error = writeAll(fd, chunk))
                return error;
        }
        return 0;
    }

private:
    static constexpr qsizetype kChunkSize = 4 << 20;
    QList<QByteArray> m_chunks;
    qsizetype m_size = 0;
};

// The temporary file: closed and removed unless it was renamed over the target.
class TemporaryFile
{
public:
    explicit TemporaryFile(QByteArray name) : m_name(std::move(name))
    {
        m_fd = ::mkostemp(m_name.data(), O_CLOEXEC);
        m_openError = m_fd < 0 ? errno : 0;
    }
    ~TemporaryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        // Only a file this object made: after a failed mkostemp() the name
        // may be somebody else's.
        if (m_openError == 0 && !m_renamed)
            ::unlink(m_name.constData());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    // 0, or the errno of the failed creation.
    int openError() const { return m_openError; }
    int fd() const { return m_fd; }

    // Closes the file; only a close that succeeded means the bytes are all there.
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

    int renameTo(const QByteArray &target)
    {
        if (::rename(m_name.constData(), target.constData()) != 0)
            return errno;
        m_renamed = true;
        return 0;
    }

private:
    QByteArray m_name;
    int m_fd = -1;
    int m_openError = 0;
    bool m_renamed = false;
};

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// ACLs, security labels and user attributes belong to the inode: a new file
// renamed over the old one would not carry them.
bool hasExtendedAttributes(const QByteArray &path)
{
    return ::listxattr(path.constData(), nullptr, 0) > 0;
}

bool isSameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

FileFailure replacedFailure(const QString &path)
{
    return {path, FileFailureReason::OpenForWriting,
            QStringLiteral("The file was replaced while it was being edited")};
}

} // namespace

SafeRewriter::SafeRewriter() : m_writeBuffer(kWriteBufferSize, Qt::Uninitialized) {}

std::optional<FileFailure> SafeRewriter::rewrite(const QString &path, const struct stat &readStatus,
                                                 const Producer &produce)
{
    m_path = path;
    QByteArray target = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(target.constData(), &status) != 0)
        return fileFailure(path, FileFailureReason::OpenForWriting, errno);
    if (S_ISLNK(status.st_mode)) {
        // The link stays as it is; its final target is the file to rewrite, and
        // the temporary file has to be made in the target's folder to be renamed.
        char resolved[PATH_MAX];
        if (!::realpath(target.constData(), resolved))
            return fileFailure(path, FileFailureReason::OpenForWriting, errno);
        target = resolved;
        if (::stat(target.constData(), &status) != 0)
            return fileFailure(path, FileFailureReason::OpenForWriting, errno);
    }
    if (!isSameFile(status, readStatus) || !S_ISREG(status.st_mode))
        return replacedFailure(path);

    // access() says yes to root for any file; a file that nobody may write is
    // read-only for root too.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return fileFailure(path, FileFailureReason::OpenForWriting, EACCES);
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return fileFailure(path, FileFailureReason::OpenForWriting, errno);

    // A new inode would cut the other hard links off from the new content.
    bool inPlace = status.st_nlink > 1 || hasExtendedAttributes(target);
    if (!inPlace) {
        auto failure = replaceWithTemporary(target, status, produce, &inPlace);
        if (!inPlace)
            return failure;
    }
    return writeInPlace(target, status, produce);
}

std::optional<FileFailure> SafeRewriter::replaceWithTemporary(const QByteArray &target,
                                                              const struct stat &status,
                                                              const Producer &produce,
                                                              bool *useInPlace)
{
    TemporaryFile temporary(folderOf(target) + "/.textorum-XXXXXX");
    if (const int error = temporary.openError()) {
        // The folder takes no new file, but the file itself may be written.
        if (error == EACCES || error == EPERM) {
            *useInPlace = true;
            return std::nullopt;
        }
        return fileFailure(m_path, FileFailureReason::OpenForWriting, error);
    }
    // Owner and group first: a change of owner clears the set-user-ID and
    // set-group-ID bits that fchmod() then puts back.
    if (::fchown(temporary.fd(), status.st_uid, status.st_gid) != 0) {
        *useInPlace = true;
        return std::nullopt;
    }
    if (::fchmod(temporary.fd(), status.st_mode & 07777) != 0)
        return fileFailure(m_path, FileFailureReason::OpenForWriting, errno);

    FileSink sink(temporary.fd(), m_writeBuffer);
    produce(sink);
    if (const int error = sink.finish())
        return fileFailure(m_path, FileFailureReason::Write, error);
    if (const int error = temporary.close())
        return fileFailure(m_path, FileFailureReason::Write, error);
    if (const int error = temporary.renameTo(target))
        return fileFailure(m_path, FileFailureReason::Write, error);
    return std::nullopt;
}

std::optional<FileFailure> SafeRewriter::writeInPlace(const QByteArray &target, const struct stat &status,
                                                      const Producer &produce)
{
    // The whole new content is made before the first byte of the file is
    // overwritten: the content may be a mapping of this very file, whose
    // pages change as soon as the file does.
    ChunkSink content;
    produce(content);
    const qsizetype newSize = content.size();

    const int fd = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fileFailure(m_path, FileFailureReason::OpenForWriting, errno);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !isSameFile(opened, status)) {
        ::close(fd);
        return replacedFailure(m_path);
    }
    // Reserve the new length before overwriting anything, so that a full disk
    // or a file-size limit fails while the old content is still whole.
    if (newSize > status.st_size) {
        if (const int reserveError = ::posix_fallocate(fd, 0, newSize)) {
            // The file may have grown part way; nothing of the old content was
            // overwritten, so cutting it back to its length restores it whole.
            const int error = ::ftruncate(fd, status.st_size) == 0 ? reserveError : errno;
            ::close(fd);
            return fileFailure(m_path, FileFailureReason::Write, error);
        }
    }
    int error = content.writeTo(fd);
    if (error == 0 && newSize < status.st_size && ::ftruncate(fd, newSize) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        return fileFailure(m_path, FileFailureReason::PartlyWritten, error);
    return std::nullopt;
}
