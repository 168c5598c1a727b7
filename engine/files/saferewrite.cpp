#include "saferewrite.h"

#include "contentcopy.h"
#include "faultpoint.h"
#include "fileio.h"
#include "filesink.h"
#include "newfile.h"
#include "streambuffer.h"
#include "unfinishedfiles.h"

#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// ACLs, security labels and user attributes belong to the inode: a new file
// renamed over the old one would not carry them. A descriptor opened only to
// pin the file (O_PATH) takes no flistxattr(); its /proc entry does.
bool hasExtendedAttributes(int fd)
{
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size >= 0 || errno != EBADF)
        return size > 0;
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(fd);
    return ::listxattr(procPath.constData(), nullptr, 0) > 0;
}

// Whether a file of `length` bytes would break the file-size limit (ulimit -f).
bool exceedsFileSizeLimit(qint64 length)
{
    struct rlimit limit
    {
    };
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
           && quint64(length) > quint64(limit.rlim_cur);
}

RewriteOutcome failed(FileFailure failure)
{
    return {std::move(failure), {}, {}};
}

bool isSameObject(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Sets the permission bits to `mode` unless they are so already.
int setMode(int fd, mode_t mode)
{
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0)
        return errno;
    if ((status.st_mode & 07777) == (mode & 07777))
        return 0;
    return ::fchmod(fd, mode & 07777) == 0 ? 0 : errno;
}

}   // namespace

SafeRewriter::SafeRewriter()
    : m_writeBuffer(kStreamBufferSize, Qt::Uninitialized)
    , m_user(::geteuid())
    , m_group(::getegid())
{
    // Where there are no unnamed files, the new files written ahead of their
    // turn have names until then.
    removeUnfinishedFilesOnSignals();
}

RewriteOutcome SafeRewriter::rewrite(const SourceFile &target, const RewriteSource &source, const Producer &produce)
{
    const Job job{target, target.path(), target.status(), source, produce};
    // Whether another program changed the file since it was read is asked
    // right before it is replaced or overwritten.
    if (!S_ISREG(job.expected.st_mode))
        return failed(changedFailure(job.path));
    if (!mayWrite(job)) {
        const int error = errno;
        return failed(target.stillAsRead() ? fileFailure(job.path, FileFailureReason::OpenForWriting, error)
                                           : changedFailure(job.path));
    }
    if (isReplaceable(job)) {
        NewFile file(target.folder(), target.name(), creationMode(job));
        NewFileOutcome outcome = writeNewFile(job, file);
        if (outcome.kind == NewFileOutcome::Kind::Written)
            return replaceWith(target, file);
        if (outcome.kind == NewFileOutcome::Kind::Failed)
            return failed(std::move(outcome.failure));
    }
    if (!target.stillAsRead())
        return failed(changedFailure(job.path));
    return writeInPlace(job);
}

bool SafeRewriter::mayWrite(const Job &job) const
{
    // access() says yes to root for any file; a file that nobody may write is
    // read-only for root too.
    if ((job.expected.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        return false;
    }
    // The owner's own bits decide for the owner, ACL or not.
    if (job.expected.st_uid == m_user && (job.expected.st_mode & S_IWUSR))
        return true;
    return ::faccessat(job.target.folder(), job.target.name().constData(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0;
}

bool SafeRewriter::isReplaceable(const Job &job)
{
    // A new inode would cut the other hard links off from the new content.
    return job.expected.st_nlink == 1 && !hasExtendedAttributes(job.target.fd());
}

RewriteOutcome SafeRewriter::writeInPlace(const Job &job)
{
    const UniqueFd file(
        ::openat(job.target.folder(), job.target.name().constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isValid())
        return failed(fileFailure(job.path, FileFailureReason::OpenForWriting, errno));
    if (struct stat opened{}; ::fstat(file.get(), &opened) != 0 || !isSameObject(opened, job.expected))
        return failed(changedFailure(job.path));

    // The file's current content, on disk under a name beside it before the
    // first byte is overwritten: what a kill or a power cut leaves, what a
    // failed write puts back, and what an undo of an edit puts back later.
    ContentCopy copy;
    auto removeCopyName = qScopeGuard([&copy] { copy.removeName(); });
    if (const int error =
            copy.make(file.get(), job.expected.st_size, job.target.folder(), job.target.name(), m_durability))
        return failed(fileFailure(job.path, FileFailureReason::Write, error));
    reachFaultPoint(FaultPoint::CopyNamed);
    if (!job.target.stillAsRead())
        return failed(changedFailure(job.path));
    // An edit makes the new content from the file itself, which changes under
    // the writes: it is made from the copy instead.
    const int from = job.source.isTarget ? copy.fd() : job.source.fd;
    qint64 newSize = 0;
    if (auto failure = measure(job, from, newSize))
        return failed(std::move(*failure));

    qint64 overwritten = 0;
    struct stat written
    {
    };
    if (const int error = overwrite(job, file.get(), from, newSize, overwritten, written)) {
        FileFailure failure = restore(job, file.get(), copy, overwritten, error);
        // Not put back: the copy keeps its name, where the old content is.
        if (!failure.oldContentAt.isEmpty())
            removeCopyName.dismiss();
        return failed(std::move(failure));
    }
    reachFaultPoint(FaultPoint::Overwritten);
    removeCopyName.dismiss();
    copy.removeName();
    return {std::nullopt, std::move(copy), written};
}

std::optional<FileFailure> SafeRewriter::measure(const Job &job, int from, qint64 &newSize)
{
    // Before anything is overwritten, so that a file-size limit fails while
    // the old content is still whole.
    CountingSink counter;
    if (auto failure = readFailure(job, job.produce(Pass::Measure, from, job.source.size, counter)))
        return failure;
    newSize = counter.size();
    if (exceedsFileSizeLimit(qMax(qint64(job.expected.st_size), newSize)))
        return fileFailure(job.path, FileFailureReason::Write, EFBIG);
    return std::nullopt;
}

FileFailure SafeRewriter::restore(const Job &job, int fd, const ContentCopy &copy, qint64 overwritten, int error)
{
    if (copy.restoreTo(fd, overwritten) != 0) {
        FileFailure failure = fileFailure(job.path, FileFailureReason::PartlyWritten, error);
        failure.oldContentAt = copy.namedPath();
        return failure;
    }
    // Whole again: flushed before the copy's name goes.
    if (m_durability.survivesPowerCut(fd))
        ::fdatasync(fd);
    return fileFailure(job.path, FileFailureReason::Write, error);
}

int SafeRewriter::overwrite(const Job &job, int fd, int from, qint64 newSize, qint64 &overwritten, struct stat &written)
{
    // The copy looked for the file's holes with lseek(), which moved the offset.
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return errno;
    FileSink sink(fd, m_writeBuffer, Placement::InPlace);
    const ReadOutcome read = job.produce(Pass::Write, from, job.source.size, sink);
    int error = sink.finish();
    overwritten = sink.written();
    if (read.end != ReadOutcome::End::Complete && error == 0)
        error = read.error != 0 ? read.error : EIO;   // the source could not be read back
    if (error == 0 && newSize < job.expected.st_size && ::ftruncate(fd, newSize) != 0)
        error = errno;
    // After the last write: see replaceWithNewFile.
    if (error == 0)
        error = setMode(fd, job.source.mode);
    if (error == 0 && m_durability.survivesPowerCut(fd) && ::fdatasync(fd) != 0)
        error = errno;
    if (error == 0 && ::fstat(fd, &written) != 0)
        error = errno;
    return error;
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
        return fileFailure(job.path, FileFailureReason::ReadFailed, read.error);
    }
    return std::nullopt;
}
