#include "sourcefile.h"

#include "fileio.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

bool isExistingFile(const QByteArray &path)
{
    struct stat status
    {
    };
    return ::stat(path.constData(), &status) == 0 && S_ISREG(status.st_mode);
}

FileFailure fileFailure(const QByteArray &path, FileFailureReason reason, int error)
{
    return {path, reason, QString::fromLocal8Bit(std::strerror(error)), error};
}

FileFailure changedFailure(const QByteArray &path)
{
    return {path, FileFailureReason::Changed, {}};
}

std::optional<FileFailure> SourceFile::open(const QByteArray &path, Access access)
{
    close();
    m_path = path;
    if (auto failure = locateFile(path, m_location))
        return failure;
    // O_NONBLOCK: should the path have become a FIFO since the existence test,
    // opening it must not wait for a writer; the fstat() below then refuses it.
    // O_NOFOLLOW: a link put in the file's place since it was located is not
    // followed (ELOOP).
    const int flags = (access == Access::StatusOnly ? O_PATH : O_RDONLY | O_NONBLOCK) | O_NOFOLLOW | O_CLOEXEC;
    const char *name = m_location.name.constData();
    m_fd.reset(::openat(folder(), name, access == Access::Peek ? flags | O_NOATIME : flags));
    // O_NOATIME is refused (EPERM) on a file of another user.
    if (!m_fd.isValid() && access == Access::Peek && errno == EPERM)
        m_fd.reset(::openat(folder(), name, flags));
    if (!m_fd.isValid())
        return fileFailure(path, FileFailureReason::ReadFailed, errno);
    if (::fstat(m_fd.get(), &m_status) != 0) {
        const int error = errno;
        close();
        return fileFailure(path, FileFailureReason::ReadFailed, error);
    }
    if (!S_ISREG(m_status.st_mode)) {
        close();
        return fileFailure(path, FileFailureReason::ReadFailed, ENOENT);
    }
    return std::nullopt;
}

bool SourceFile::openPlain(const QByteArray &path, FolderCache &folders)
{
    close();
    m_path = path;
    if (!folders.locate(path, m_location))
        return false;
    // O_NOFOLLOW: a link fails (ELOOP) and goes the long way, as does every other failure.
    m_fd.reset(::openat(folder(), m_location.name.constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (m_fd.isValid() && ::fstat(m_fd.get(), &m_status) == 0 && S_ISREG(m_status.st_mode))
        return true;
    close();
    return false;
}

bool SourceFile::stillAsRead() const
{
    struct stat now
    {
    };
    return versionAt(folder(), m_location.name.constData(), now) == 0 && isSameVersion(now, m_status);
}

void SourceFile::close()
{
    m_fd.reset();   // read-only: nothing a failed close could lose
    m_location = {};
}

ReadOutcome readContent(int fd, qint64 size, QByteArray &buffer, ByteSink &out, const std::function<bool()> &enough)
{
    // Bytes appended meanwhile are not read: the caller's check of the file's
    // status before it rewrites the file notices them.
    qint64 offset = 0;
    while (offset < size) {
        const ssize_t got = ::pread(fd, buffer.data(), size_t(qMin(qint64(buffer.size()), size - offset)), offset);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return {ReadOutcome::End::Failed, errno};
        }
        if (got == 0)
            return {ReadOutcome::End::Changed};
        offset += got;
        out.append(QByteArrayView(buffer.constData(), got));
        if (enough && enough())
            return {ReadOutcome::End::Stopped};
    }
    return {};
}

ReadOutcome readKept(int fd, qint64 offset, qint64 size, QByteArray &buffer, ByteSink &out)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer.data(), size_t(qMin(qint64(buffer.size()), size - done)), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return {ReadOutcome::End::Failed, got < 0 ? errno : EIO};
        out.append(QByteArrayView(buffer.constData(), got));
        done += got;
    }
    return {};
}
