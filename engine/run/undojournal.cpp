#include "undojournal.h"

#include "fileio.h"
#include "saferewrite.h"
#include "sourcefile.h"

#include <cerrno>
#include <sys/resource.h>

namespace {

// Descriptors left free for the run (its source, new file and in-place copy)
// and the window, whatever the journal holds.
constexpr rlim_t kReservedDescriptors = 256;

// Old contents up to this size are copied into an arena, as long as all of
// them together stay within the second limit; the rest are held open.
constexpr qint64 kMostBytesPerFileInArena = 64 * 1024;
constexpr qint64 kMostBytesInArenas = 128 * 1024 * 1024;

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
    m_restorable = 0;
    m_heldOpen = 0;
    m_arenas.clear();
    m_inArenas = 0;
}

bool UndoJournal::mayHoldOpen() const
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return false;
    return limit.rlim_cur == RLIM_INFINITY || rlim_t(m_heldOpen) + kReservedDescriptors < limit.rlim_cur;
}

void UndoJournal::record(const QByteArray &path, SourceFile &replaced, const struct stat &written,
                         ContentCopy overwritten)
{
    const struct stat &before = replaced.status();
    // Changed again by this run: the content from before its first change
    // stays; the content in between is dropped.
    const auto known = m_byIdentity.constFind(identityOf(before));
    if (known != m_byIdentity.cend() && isSameVersion(before, m_entries[*known].written)) {
        const size_t index = *known;
        m_byIdentity.erase(known);
        m_entries[index].written = written;
        m_byIdentity.insert(identityOf(written), index);
        return;
    }
    Entry entry;
    entry.path = path;
    entry.mode = before.st_mode;
    entry.owner = before.st_uid;
    entry.group = before.st_gid;
    entry.written = written;
    entry.oldSize = before.st_size;
    if (overwritten.isValid()) {
        const qint64 size = overwritten.size();
        keep(entry, overwritten.fd(), size, replaced, [&overwritten] { return std::move(overwritten); });
    } else {
        const qint64 size = before.st_size;
        keep(entry, replaced.fd(), size, replaced,
             [&replaced, size] { return ContentCopy::holding(replaced.release(), size); });
    }
    if (!entry.canBePutBack() && entry.holdError == 0)
        entry.holdError = EMFILE;
    reinstate(std::move(entry));
}

void UndoJournal::reinstate(Entry entry)
{
    if (entry.oldFile.isValid())
        ++m_heldOpen;
    if (entry.canBePutBack())
        ++m_restorable;
    m_byIdentity.insert(identityOf(entry.written), m_entries.size());
    m_entries.push_back(std::move(entry));
}

// Holding a replaced file open keeps it on disk as an orphan, whose removal
// later costs the file system more than a copy: on ext4, letting 10,000 held
// files of 4 KB go took 1.2 s, while copying them into one file kept the run
// within the noise of the same run without an undo.
void UndoJournal::keep(Entry &entry, int fd, qint64 size, const SourceFile &file,
                       const std::function<ContentCopy()> &takeFile)
{
    if (size <= kMostBytesPerFileInArena && m_inArenas + size <= kMostBytesInArenas) {
        entry.arena = file.status().st_dev;
        entry.arenaAt = m_arenas[entry.arena].append(fd, size, file.folder());
        if (entry.arenaAt >= 0) {
            m_inArenas += size;
            return;
        }
    }
    if (mayHoldOpen())
        entry.oldFile = takeFile();
}

bool UndoJournal::giveUpHeld(int error)
{
    if (m_restorable == 0)
        return false;
    for (Entry &entry : m_entries) {
        if (entry.canBePutBack()) {
            entry.oldFile = ContentCopy();
            entry.arenaAt = -1;
            entry.holdError = error;
        }
    }
    m_restorable = 0;
    m_heldOpen = 0;
    m_arenas.clear();
    m_inArenas = 0;
    return true;
}

UndoJournal::Entry UndoJournal::takeLast()
{
    Entry entry = std::move(m_entries.back());
    m_entries.pop_back();
    const auto known = m_byIdentity.constFind(identityOf(entry.written));
    if (known != m_byIdentity.cend() && *known == m_entries.size())
        m_byIdentity.erase(known);
    forget(entry);
    return entry;
}

void UndoJournal::forget(const Entry &entry)
{
    if (entry.canBePutBack())
        --m_restorable;
    if (entry.oldFile.isValid())
        --m_heldOpen;
}

std::optional<FileFailure> UndoJournal::putBack(const Entry &entry, SafeRewriter &rewriter, QByteArray &buffer) const
{
    if (!entry.canBePutBack())
        return fileFailure(entry.path, FileFailureReason::NotKept, entry.holdError);
    SourceFile current;
    if (auto failure = current.open(entry.path, SourceFile::Access::StatusOnly)) {
        if (failure->error == ENOENT)
            return FileFailure{entry.path, FileFailureReason::NoLongerThere, {}};
        return failure;
    }
    if (!isSameVersion(current.status(), entry.written))
        return FileFailure{entry.path, FileFailureReason::ChangedSinceRun, {}};

    const RewriteSource source{entry.oldFile.fd(), entry.oldSize, entry.mode, entry.owner, entry.group};
    RewriteOutcome outcome = rewriter.rewrite(current, source, [&](Pass, int fd, qint64 size, ByteSink &out) {
        if (entry.arenaAt >= 0)
            return m_arenas.at(entry.arena).read(entry.arenaAt, size, buffer, out);
        return readContent(fd, size, buffer, out);
    });
    // Changed in the instant between the test above and the rewrite's own.
    if (outcome.failure && outcome.failure->reason == FileFailureReason::Changed)
        outcome.failure->reason = FileFailureReason::ChangedSinceRun;
    return outcome.failure;
}
