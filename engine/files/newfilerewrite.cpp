// The rewrite by a new file renamed over the old one, in two halves that
// may lie apart: the new file written (ahead of the file's turn, on any
// thread), then put in place.
#include "saferewrite.h"

#include "fileio.h"
#include "filesink.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

RewriteOutcome failed(FileFailure failure)
{
    return {std::move(failure), {}, {}};
}

}   // namespace

std::optional<NewFile> SafeRewriter::writeAhead(const SourceFile &target, const RewriteSource &source,
                                                const Producer &produce)
{
    const Job job{target, target.path(), target.status(), source, produce};
    if (!S_ISREG(job.expected.st_mode) || !mayWrite(job) || !isReplaceable(job))
        return std::nullopt;
    NewFile file(target.folder(), target.name(), creationMode(job));
    // Its close, which may have to wait for the file system, is the worker's too.
    if (writeNewFile(job, file).kind != NewFileOutcome::Kind::Written || file.closeForWriting() != 0)
        return std::nullopt;
    return file;
}

SafeRewriter::NewFileOutcome SafeRewriter::writeNewFile(const Job &job, NewFile &file)
{
    using Kind = NewFileOutcome::Kind;
    const auto failed = [&](FileFailureReason reason, int error) {
        return NewFileOutcome{Kind::Failed, fileFailure(job.path, reason, error)};
    };
    if (const int error = file.openError()) {
        // The folder takes no new file, but the file itself may be written.
        if (error == EACCES || error == EPERM)
            return {Kind::UseInPlace, {}};
        return failed(FileFailureReason::OpenForWriting, error);
    }
    if (!isOwnedAsBefore(job) && ::fchown(file.fd(), job.source.owner, job.source.group) != 0)
        return {Kind::UseInPlace, {}};
    // The bits it was made with, less the umask or as the folder's default
    // ACL has them, are known only by asking: asked now, while FUSE still
    // knows them from the creation. The writes leave them as they are.
    const mode_t wanted = job.source.mode & 07777;
    struct stat made
    {
    };
    const bool hasBits =
        creationMode(job) == wanted && ::fstat(file.fd(), &made) == 0 && (made.st_mode & 07777) == wanted;

    FileSink sink(file.fd(), m_writeBuffer, Placement::NewFile);
    const ReadOutcome read = job.produce(Pass::Write, job.source.fd, job.source.size, sink);
    if (auto failure = readFailure(job, read))
        return {Kind::Failed, std::move(*failure)};
    if (const int error = sink.finish())
        return failed(FileFailureReason::Write, error);
    // After the last write, which would clear the set-user-ID and
    // set-group-ID bits of a file that is not root's.
    if (!hasBits && ::fchmod(file.fd(), wanted) != 0)
        return failed(FileFailureReason::OpenForWriting, errno);
    if (m_durability.renameNeedsFlush(file.fd(), job.expected.st_dev) && ::fdatasync(file.fd()) != 0)
        return failed(FileFailureReason::Write, errno);
    return {Kind::Written, {}};
}

bool SafeRewriter::isOwnedAsBefore(const Job &job) const
{
    // A new file is the effective user's, in the effective group or the folder's.
    return job.source.owner == m_user && job.source.group == m_group && job.target.folderGroup() == m_group;
}

mode_t SafeRewriter::creationMode(const Job &job) const
{
    // A file that is to change owner is nobody else's to read until then; a
    // set-user-ID, set-group-ID or sticky bit is set after the last write.
    const mode_t bits = job.source.mode & 07777;
    return isOwnedAsBefore(job) && (bits & 07000) == 0 ? bits : kOwnerOnly;
}

RewriteOutcome SafeRewriter::replaceWith(const SourceFile &target, NewFile &file)
{
    const QByteArray &path = target.path();
    if (!target.stillAsRead())
        return failed(changedFailure(path));
    if (const int error = file.replace())
        return failed(fileFailure(path, FileFailureReason::Write, error));
    // The status after the rename, which moved the change time.
    struct stat written
    {
    };
    if (::fstat(file.fd(), &written) != 0 || file.close() != 0)
        return failed(fileFailure(path, FileFailureReason::PartlyWritten, errno));
    return {std::nullopt, {}, written};
}
