#include "saferewrite.h"

#include "contentcopy.h"
#include "faultpoint.h"
#include "fileio.h"
#include "newfile.h"
#include "streambuffer.h"

#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Where a FileSink writes: a new, empty file, or over the old content.
enum class Placement { NewFile, InPlace };

// Gathers the produced pieces into buffer-sized writes, so that a replace-all
// that yields millions of small pieces still makes few system calls, and
// keeps the first write error: once a write failed nothing more is written,
// and finish() reports the error instead of success. In a new file, whole
// blocks of zeros are not written but left as holes, so that a sparse file
// put back by an undo stays sparse.
class FileSink : public ByteSink
{
public:
    FileSink(int fd, QByteArray &buffer, Placement placement) : m_fd(fd), m_buffer(buffer), m_placement(placement) {}

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
        // Holes at the end: the length is set, not written.
        if (m_error == 0 && m_holeAtEnd && ::ftruncate(m_fd, m_written) != 0)
            m_error = errno;
        return m_error;
    }

    // The bytes written to the file so far: what a failure has overwritten.
    qint64 written() const { return m_written; }

private:
    static constexpr qsizetype kBlock = 4096;

    void flush()
    {
        write(QByteArrayView(m_buffer.constData(), m_used));
        m_used = 0;
    }

    void write(QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return;
        if (m_placement == Placement::NewFile) {
            writeSparse(bytes);
            return;
        }
        const bool first = m_written == 0;
        writeDense(bytes);
        if (first)
            reachFaultPoint(FaultPoint::FirstOverwrite);
    }

    // Leaves each whole block of zeros that starts at a block boundary of
    // the file as a hole: a seek instead of a write. Text has a non-zero
    // byte near the start of every block, so the test costs next to nothing.
    void writeSparse(QByteArrayView bytes)
    {
        qsizetype dense = 0;   // start of the bytes not yet written
        qsizetype at = (kBlock - m_written % kBlock) % kBlock;
        for (; at + kBlock <= bytes.size(); at += kBlock) {
            const char *block = bytes.data() + at;
            if (block[0] != 0 || std::memcmp(block, block + 1, kBlock - 1) != 0)
                continue;
            writeDense(bytes.sliced(dense, at - dense));
            if (m_error != 0)
                return;
            if (::lseek(m_fd, kBlock, SEEK_CUR) < 0) {
                m_error = errno;
                return;
            }
            m_written += kBlock;
            m_holeAtEnd = true;
            dense = at + kBlock;
        }
        writeDense(bytes.sliced(dense));
    }

    void writeDense(QByteArrayView bytes)
    {
        if (m_error != 0 || bytes.isEmpty())
            return;
        m_written += bytes.size();   // counted before: a failed write may have written part of it
        m_holeAtEnd = false;
        m_error = writeAll(m_fd, bytes);
    }

    int m_fd;
    QByteArray &m_buffer;
    Placement m_placement;
    qsizetype m_used = 0;
    qint64 m_written = 0;
    bool m_holeAtEnd = false;
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
    struct rlimit limit {};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
           && quint64(length) > quint64(limit.rlim_cur);
}

// Whether the file's name in its folder still names the file as it was read.
bool isUnchanged(const SourceFile &target, const struct stat &readStatus)
{
    struct stat now {};
    return ::fstatat(target.folder(), target.name().constData(), &now, AT_SYMLINK_NOFOLLOW) == 0
           && isSameVersion(now, readStatus);
}

// Sets the permission bits to `mode` unless they are so already.
int setMode(int fd, mode_t mode)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return errno;
    if ((status.st_mode & 07777) == (mode & 07777))
        return 0;
    return ::fchmod(fd, mode & 07777) == 0 ? 0 : errno;
}

} // namespace

SafeRewriter::SafeRewriter() : m_writeBuffer(kStreamBufferSize, Qt::Uninitialized) {}

RewriteOutcome SafeRewriter::rewrite(const SourceFile &target, const RewriteSource &source, const Producer &produce)
{
    const auto fail = [](FileFailure failure) { return RewriteOutcome{std::move(failure), {}, {}}; };
    const Job job{target, target.path(), target.status(), source, produce};
    if (!isUnchanged(target, job.expected) || !S_ISREG(job.expected.st_mode))
        return fail(changedFailure(job.path));

    // access() says yes to root for any file; a file that nobody may write is
    // read-only for root too.
    if ((job.expected.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return fail(fileFailure(job.path, FileFailureReason::OpenForWriting, EACCES));
    if (::faccessat(target.folder(), target.name().constData(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
        return fail(fileFailure(job.path, FileFailureReason::OpenForWriting, errno));

    // A new inode would cut the other hard links off from the new content.
    if (job.expected.st_nlink == 1 && !hasExtendedAttributes(target.fd())) {
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

    NewFile file(job.target.folder(), job.target.name());
    if (const int error = file.openError()) {
        // The folder takes no new file, but the file itself may be written.
        if (error == EACCES || error == EPERM)
            return {Kind::UseInPlace, {}, {}};
        return failed(fileFailure(job.path, FileFailureReason::OpenForWriting, error));
    }
    if (::fchown(file.fd(), job.source.owner, job.source.group) != 0)
        return {Kind::UseInPlace, {}, {}};

    FileSink sink(file.fd(), m_writeBuffer, Placement::NewFile);
    const ReadOutcome read = job.produce(job.source.fd, job.source.size, sink);
    if (auto failure = readFailure(job, read))
        return failed(*failure);
    if (const int error = sink.finish())
        return writeFailed(error);
    // After the last write, which would clear the set-user-ID and
    // set-group-ID bits of a file that is not root's.
    if (const int error = setMode(file.fd(), job.source.mode))
        return failed(fileFailure(job.path, FileFailureReason::OpenForWriting, error));
    if (m_durability.renameNeedsFlush(file.fd()) && ::fdatasync(file.fd()) != 0)
        return writeFailed(errno);
    if (!isUnchanged(job.target, job.expected))
        return failed(changedFailure(job.path));
    if (const int error = file.replace())
        return writeFailed(error);
    // The status after the rename, which moved the change time.
    struct stat written {};
    if (::fstat(file.fd(), &written) != 0 || file.close() != 0)
        return failed(fileFailure(job.path, FileFailureReason::PartlyWritten, errno));
    return {Kind::Done, {}, written};
}

RewriteOutcome SafeRewriter::writeInPlace(const Job &job)
{
    const auto fail = [](FileFailure failure) { return RewriteOutcome{std::move(failure), {}, {}}; };
    const auto writeFailed = [&](int error) { return fail(fileFailure(job.path, FileFailureReason::Write, error)); };
    const UniqueFd file(::openat(job.target.folder(), job.target.name().constData(),
                                 O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isValid())
        return fail(fileFailure(job.path, FileFailureReason::OpenForWriting, errno));
    const int fd = file.get();
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || opened.st_dev != job.expected.st_dev || opened.st_ino != job.expected.st_ino)
        return fail(changedFailure(job.path));
    const qint64 oldSize = job.expected.st_size;

    // The file's current content, on disk under a name beside it before the
    // first byte is overwritten: what a kill or a power cut leaves, what a
    // failed write puts back, and what an undo of an edit puts back later.
    ContentCopy copy;
    if (const int error = copy.make(fd, oldSize, job.target.folder(), job.target.name(), m_durability))
        return writeFailed(error);
    auto removeCopyName = qScopeGuard([&copy] { copy.removeName(); });
    reachFaultPoint(FaultPoint::CopyNamed);
    if (!isUnchanged(job.target, job.expected))
        return fail(changedFailure(job.path));
    // An edit makes the new content from the file itself, which changes under
    // the writes: it is made from the copy instead.
    struct stat sourceStatus {};
    const bool sourceIsTarget = ::fstat(job.source.fd, &sourceStatus) == 0
                                && sourceStatus.st_dev == job.expected.st_dev
                                && sourceStatus.st_ino == job.expected.st_ino;
    const int from = sourceIsTarget ? copy.fd() : job.source.fd;

    // The new length, before anything is overwritten, so that a file-size
    // limit fails while the old content is still whole.
    CountingSink counter;
    if (auto failure = readFailure(job, job.produce(from, job.source.size, counter)))
        return fail(*failure);
    if (exceedsFileSizeLimit(qMax(oldSize, counter.size())))
        return writeFailed(EFBIG);

    qint64 overwritten = 0;
    struct stat written {};
    if (const int error = overwrite(job, fd, from, counter.size(), overwritten, written)) {
        if (copy.restoreTo(fd, overwritten) != 0) {
            // The copy keeps its name: the old content is there.
            removeCopyName.dismiss();
            FileFailure failure = fileFailure(job.path, FileFailureReason::PartlyWritten, error);
            failure.systemError += QStringLiteral("; the old content is in ") + QString::fromUtf8(copy.namedPath());
            return fail(failure);
        }
        // Whole again: flushed before the copy's name goes.
        if (m_durability.survivesPowerCut(fd))
            ::fdatasync(fd);
        return writeFailed(error);
    }
    reachFaultPoint(FaultPoint::Overwritten);
    removeCopyName.dismiss();
    copy.removeName();
    return {std::nullopt, std::move(copy), written};
}

int SafeRewriter::overwrite(const Job &job, int fd, int from, qint64 newSize, qint64 &overwritten,
                            struct stat &written)
{
    // The copy looked for the file's holes with lseek(), which moved the offset.
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return errno;
    FileSink sink(fd, m_writeBuffer, Placement::InPlace);
    const ReadOutcome read = job.produce(from, job.source.size, sink);
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
        return fileFailure(job.path, FileFailureReason::OpenForReading, read.error);
    }
    return std::nullopt;
}
