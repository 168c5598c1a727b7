#include "saferewrite.h"

#include "contentcopy.h"
#include "fileio.h"
#include "newfile.h"
#include "streambuffer.h"

#include <QScopeGuard>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Gathers the produced pieces into buffer-sized writes, so that a replace-all
// that yields millions of small pieces still makes few system calls, and
// keeps the first write error: once a write failed nothing more is written,
// and finish() reports the error instead of success.
class FileSink : public ByteSink
{
public:
    FileSink(int fd, QByteArray &buffer) : m_fd(fd), m_buffer(buffer) {}

    void append(QByteArrayView bytes) override
    {
        if (m_error != 0)
            return;
        // A large piece (the text between two occurrences, usually) goes to
        // write() as it is: copying it into the buffer first would cost a pass
        // over the bytes for nothing.
        if (bytes.size() >= m_buffer.size() / 4) {
            flush();
            write(bytes);
            return;
        }
        if (m_used + bytes.size() > m_buffer.size())
            flush();
        std::memcpy(m_buffer.data() + m_used, bytes.data(), size_t(bytes.size()));
        m_used += bytes.size();
    }

    // 0, or the errno of the first failed write.
    int finish()
    {
        flush();
        return m_error;
    }

    // The bytes written to the file so far: what a failure has overwritten.
    qint64 written() const { return m_written; }

private:
    void flush()
    {
        write(QByteArrayView(m_buffer.constData(), m_used));
        m_used = 0;
    }

    void write(QByteArrayView bytes)
    {
        if (m_error != 0 || bytes.isEmpty())
            return;
        m_written += bytes.size();   // counted before: a failed write may have written part of it
        m_error = writeAll(m_fd, bytes);
    }

    int m_fd;
    QByteArray &m_buffer;
    qsizetype m_used = 0;
    qint64 m_written = 0;
    int m_error = 0;
};

// Counts the produced bytes: the new length, before anything is written.
class CountingSink : public ByteSink
{
public:
    void append(QByteArrayView bytes) override { m_size += bytes.size(); }
    qint64 size() const { return m_size; }

private:
    qint64 m_size = 0;
};

// ACLs, security labels and user attributes belong to the inode: a new file
// renamed over the old one would not carry them.
bool hasExtendedAttributes(const QByteArray &path)
{
    return ::listxattr(path.constData(), nullptr, 0) > 0;
}

// ext4 (auto_da_alloc) and btrfs write a file's data out before a rename over
// an existing file takes effect, and tmpfs does not outlive a power cut: there
// a flush would only cost time. Elsewhere (XFS, for one) the rename can reach
// the disk before the data, and a power cut would leave an empty file.
bool renameFlushesData(int fd)
{
    struct statfs fileSystem {};
    if (::fstatfs(fd, &fileSystem) != 0)
        return false;
    switch (fileSystem.f_type) {
    case EXT4_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
        return true;
    default:
        return false;
    }
}

// Whether a file of `length` bytes would break the file-size limit (ulimit -f).
bool exceedsFileSizeLimit(qint64 length)
{
    struct rlimit limit {};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
           && quint64(length) > quint64(limit.rlim_cur);
}

// Whether the path still names the file as it was read.
bool isUnchanged(const QByteArray &target, const struct stat &readStatus)
{
    struct stat now {};
    return ::stat(target.constData(), &now) == 0 && isSameVersion(now, readStatus);
}

} // namespace

SafeRewriter::SafeRewriter() : m_writeBuffer(kStreamBufferSize, Qt::Uninitialized) {}

RewriteOutcome SafeRewriter::rewrite(const QByteArray &path, const struct stat &expected,
                                     const RewriteSource &source, const Producer &produce)
{
    const auto fail = [](FileFailure failure) { return RewriteOutcome{std::move(failure), {}, {}}; };
    Job job{path, path, expected, source, produce};
    struct stat status {};
    if (::lstat(job.target.constData(), &status) != 0)
        return fail(fileFailure(path, FileFailureReason::Changed, errno));
    if (S_ISLNK(status.st_mode)) {
        // The link stays as it is; its final target is the file to rewrite, and
        // the new file has to be made in the target's folder to be renamed.
        char resolved[PATH_MAX];
        if (!::realpath(job.target.constData(), resolved))
            return fail(fileFailure(path, FileFailureReason::Changed, errno));
        job.target = resolved;
        if (::stat(job.target.constData(), &status) != 0)
            return fail(fileFailure(path, FileFailureReason::Changed, errno));
    }
    if (!isSameVersion(status, expected) || !S_ISREG(status.st_mode))
        return fail(changedFailure(path));

    // access() says yes to root for any file; a file that nobody may write is
    // read-only for root too.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return fail(fileFailure(path, FileFailureReason::OpenForWriting, EACCES));
    if (::faccessat(AT_FDCWD, job.target.constData(), W_OK, AT_EACCESS) != 0)
        return fail(fileFailure(path, FileFailureReason::OpenForWriting, errno));

    // A new inode would cut the other hard links off from the new content.
    if (status.st_nlink == 1 && !hasExtendedAttributes(job.target)) {
        ReplaceOutcome outcome = replaceWithNewFile(job);
        if (outcome.kind == ReplaceOutcome::Kind::Done)
            return {std::nullopt, {}, outcome.written};
        if (outcome.kind == ReplaceOutcome::Kind::Failed)
            return fail(std::move(outcome.failure));
    }
    return writeInPlace(job);
}

SafeRewriter::ReplaceOutcome SafeRewriter::replaceWithNewFile(const Job &job)
{
    using Kind = ReplaceOutcome::Kind;
    const auto failed = [](FileFailure failure) { return ReplaceOutcome{Kind::Failed, std::move(failure), {}}; };
    const auto writeFailed = [&](int error) { return failed(fileFailure(job.path, FileFailureReason::Write, error)); };

    NewFile file(folderOf(job.target));
    if (const int error = file.openError()) {
        // The folder takes no new file, but the file itself may be written.
        if (error == EACCES || error == EPERM)
            return {Kind::UseInPlace, {}, {}};
        return failed(fileFailure(job.path, FileFailureReason::OpenForWriting, error));
    }
    // Owner and group first: a change of owner clears the set-user-ID and
    // set-group-ID bits that fchmod() then puts back.
    if (::fchown(file.fd(), job.source.owner, job.source.group) != 0)
        return {Kind::UseInPlace, {}, {}};
    if (::fchmod(file.fd(), job.source.mode & 07777) != 0)
        return failed(fileFailure(job.path, FileFailureReason::OpenForWriting, errno));

    FileSink sink(file.fd(), m_writeBuffer);
    const ReadOutcome read = job.produce(job.source.fd, job.source.size, sink);
    if (auto failure = readFailure(job, read))
        return failed(*failure);
    if (const int error = sink.finish())
        return writeFailed(error);
    if (!renameFlushesData(file.fd()) && ::fdatasync(file.fd()) != 0)
        return writeFailed(errno);
    // The modification time is that of the last write; the rename changes
    // only the change time.
    struct stat written {};
    if (::fstat(file.fd(), &written) != 0)
        return writeFailed(errno);
    if (const int error = file.name())
        return writeFailed(error);
    if (const int error = file.close())
        return writeFailed(error);
    if (!isUnchanged(job.target, job.expected))
        return failed(changedFailure(job.path));
    if (const int error = file.renameTo(job.target))
        return writeFailed(error);
    return {Kind::Done, {}, written};
}

RewriteOutcome SafeRewriter::writeInPlace(const Job &job)
{
    const auto fail = [](FileFailure failure) { return RewriteOutcome{std::move(failure), {}, {}}; };
    const auto writeFailed = [&](int error) { return fail(fileFailure(job.path, FileFailureReason::Write, error)); };
    const int fd = ::open(job.target.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(fileFailure(job.path, FileFailureReason::OpenForWriting, errno));
    auto closeFile = qScopeGuard([fd] { ::close(fd); });
    const qint64 oldSize = job.expected.st_size;

    // The file's current content, copied aside before the first byte is
    // overwritten: what a failed write puts back, and what an undo of an edit
    // puts back later.
    ContentCopy copy;
    if (const int error = copy.make(fd, oldSize, folderOf(job.target)))
        return writeFailed(error);
    if (!isUnchanged(job.target, job.expected))
        return fail(changedFailure(job.path));
    // An edit makes the new content from the file itself, which changes under
    // the writes: it is made from the copy instead.
    struct stat sourceStatus {};
    const bool sourceIsTarget = ::fstat(job.source.fd, &sourceStatus) == 0
                                && sourceStatus.st_dev == job.expected.st_dev
                                && sourceStatus.st_ino == job.expected.st_ino;
    const int from = sourceIsTarget ? copy.fd() : job.source.fd;

    // Reserve the larger length before overwriting anything, so that a full
    // disk or a file-size limit fails while the old content is still whole.
    CountingSink counter;
    if (auto failure = readFailure(job, job.produce(from, job.source.size, counter)))
        return fail(*failure);
    const qint64 newSize = counter.size();
    if (exceedsFileSizeLimit(qMax(oldSize, newSize)))
        return writeFailed(EFBIG);
    if (newSize > oldSize) {
        if (const int reserveError = ::posix_fallocate(fd, 0, newSize)) {
            // Nothing of the old content was overwritten: cutting the file
            // back to its length restores it whole.
            if (::ftruncate(fd, oldSize) != 0)
                return fail(fileFailure(job.path, FileFailureReason::PartlyWritten, errno));
            return writeFailed(reserveError);
        }
    }

    FileSink sink(fd, m_writeBuffer);
    const ReadOutcome read = job.produce(from, job.source.size, sink);
    int error = sink.finish();
    if (read.end != ReadOutcome::End::Complete && error == 0)
        error = read.error != 0 ? read.error : EIO;   // the source could not be read back
    if (error == 0 && newSize < oldSize && ::ftruncate(fd, newSize) != 0)
        error = errno;
    // An undo puts the permission bits back too; an edit keeps them as they are.
    if (error == 0 && (job.expected.st_mode & 07777) != (job.source.mode & 07777)
        && ::fchmod(fd, job.source.mode & 07777) != 0)
        error = errno;
    struct stat written {};
    if (error == 0 && ::fstat(fd, &written) != 0)
        error = errno;
    if (error != 0) {
        if (copy.restoreTo(fd, sink.written()) != 0)
            return fail(fileFailure(job.path, FileFailureReason::PartlyWritten, error));
        return writeFailed(error);
    }
    closeFile.dismiss();
    if (::close(fd) != 0)
        return fail(fileFailure(job.path, FileFailureReason::PartlyWritten, errno));
    return {std::nullopt, std::move(copy), written};
}

std::optional<FileFailure> SafeRewriter::readFailure(const Job &job, const ReadOutcome &read) const
{
    switch (read.end) {
    case ReadOutcome::End::Complete:
    case ReadOutcome::End::Stopped:
        return std::nullopt;
    case ReadOutcome::End::Changed:
        return changedFailure(job.path);
    case ReadOutcome::End::Failed:
        return fileFailure(job.path, FileFailureReason::OpenForReading, read.error);
    }
    return std::nullopt;
}
