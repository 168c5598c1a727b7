#include "undojournal.h"

#include "saferewrite.h"
#include "sourcefile.h"

#include <cerrno>
#include <sys/resource.h>

namespace {

// Descriptors left free for the run (its source, new file and in-place copy)
// and the window, whatever the journal holds.
constexpr rlim_t kReservedDescriptors = 256;

// Whether the file is still as the run's write left it. The change time is
// not compared: renaming the new file over the old one moved it after the write.
bool isAsWritten(const struct stat &now, const struct stat &written)
{
    return now.st_dev == written.st_dev && now.st_ino == written.st_ino && now.st_size == written.st_size
           && now.st_mtim.tv_sec == written.st_mtim.tv_sec && now.st_mtim.tv_nsec == written.st_mtim.tv_nsec;
}

// A soft limit beyond this would reach the programs the window starts (a
// browser, a mail program), some of which close every possible descriptor
// one by one when they start.
constexpr rlim_t kMostOpenFiles = rlim_t(1) << 20;

} // namespace

void raiseOpenFileLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return;
    const rlim_t wanted = limit.rlim_max == RLIM_INFINITY ? kMostOpenFiles : qMin(limit.rlim_max, kMostOpenFiles);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
        limit.rlim_cur = wanted;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void UndoJournal::clear()
{
    m_entries.clear();
    m_byIdentity.clear();
    m_held = 0;
}

bool UndoJournal::mayHold() const
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return false;
    return limit.rlim_cur == RLIM_INFINITY || rlim_t(m_held) + kReservedDescriptors < limit.rlim_cur;
}

void UndoJournal::record(const QByteArray &path, const struct stat &before, const struct stat &written,
                         ContentCopy oldContent, int holdError)
{
    // Changed again by this run: the content from before its first change
    // stays; the content in between is dropped with `oldContent`.
    const auto known = m_byIdentity.constFind(identityOf(before));
    if (known != m_byIdentity.cend() && isAsWritten(before, m_entries[*known].written)) {
        const size_t index = *known;
        m_byIdentity.erase(known);
        m_entries[index].written = written;
        m_byIdentity.insert(identityOf(written), index);
        return;
    }
    Entry entry;
    entry.path = path;
    entry.holdError = oldContent.isValid() ? 0 : holdError;
    entry.oldContent = std::move(oldContent);
    entry.mode = before.st_mode;
    entry.owner = before.st_uid;
    entry.group = before.st_gid;
    entry.written = written;
    if (entry.oldContent.isValid())
        ++m_held;
    m_byIdentity.insert(identityOf(written), m_entries.size());
    m_entries.push_back(std::move(entry));
}

UndoJournal::Entry UndoJournal::takeLast()
{
    Entry entry = std::move(m_entries.back());
    m_entries.pop_back();
    const auto known = m_byIdentity.constFind(identityOf(entry.written));
    if (known != m_byIdentity.cend() && *known == m_entries.size())
        m_byIdentity.erase(known);
    if (entry.oldContent.isValid())
        --m_held;
    return entry;
}

std::optional<FileFailure> putBack(const UndoJournal::Entry &entry, SafeRewriter &rewriter, QByteArray &buffer)
{
    if (!entry.oldContent.isValid())
        return fileFailure(entry.path, FileFailureReason::NotKept, entry.holdError);
    struct stat now {};
    if (::stat(entry.path.constData(), &now) != 0) {
        if (errno == ENOENT)
            return FileFailure{entry.path, FileFailureReason::NoLongerThere, {}};
        return fileFailure(entry.path, FileFailureReason::OpenForReading, errno);
    }
    if (!isAsWritten(now, entry.written))
        return FileFailure{entry.path, FileFailureReason::ChangedSinceRun, {}};

    const RewriteSource source{entry.oldContent.fd(), entry.oldContent.size(), entry.mode, entry.owner,
                               entry.group};
    RewriteOutcome outcome = rewriter.rewrite(entry.path, now, source, [&buffer](int fd, qint64 size, ByteSink &out) {
        return readContent(fd, size, ReadStyle::WholeFile, buffer, out);
    });
    // Changed in the instant between the test above and the rewrite's own.
    if (outcome.failure && outcome.failure->reason == FileFailureReason::Changed)
        outcome.failure->reason = FileFailureReason::ChangedSinceRun;
    return outcome.failure;
}
