#pragma once

#include "contentarena.h"
#include "contentcopy.h"
#include "filefailure.h"
#include "sourcefile.h"

#include <QByteArray>
#include <QHash>

#include <functional>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

class SafeRewriter;

// The files the last edit run changed, each with what it takes to put it back
// as it was before the run: its old content and its permission bits, owner
// and group. Nothing of it is ever on disk under a name. A small old content
// is copied into an arena, a file without a name on the file system of the
// file; a larger one stays on disk without a name, held open: the file that
// a new file was renamed over, or the copy an in-place rewrite made. The
// held contents, and the disk space they take, go with the journal or a
// clear().
//
// One entry per file object: when the run changes a file that it changed
// before (a file listed twice, a second hard link, a link to it), the entry
// keeps the content from before the first change.
class UndoJournal
{
public:
    struct Entry
    {
        QByteArray path;          // the path the run first changed it through
        dev_t arena = 0;          // the device whose arena keeps the old content
        qint64 arenaAt = -1;      // where it starts there, when kept in an arena
        qint64 oldSize = 0;
        ContentCopy oldFile;      // the old content, when held on disk
        int holdError = 0;        // when neither: why not (an errno)
        mode_t mode = 0;
        uid_t owner = 0;
        gid_t group = 0;
        struct stat written {};   // the file right after the run's last write

        bool canBePutBack() const { return arenaAt >= 0 || oldFile.isValid(); }
    };

    // Drops every entry and what it holds.
    void clear();

    // Notes that the run rewrote the file at `path`, which it read as
    // `replaced` (still open, its status as the read saw it), leaving it with
    // the status `written`. A file written in place comes with `overwritten`,
    // the copy of its old content that the rewrite made; a file replaced by a
    // new one keeps its old content in `replaced`, which the journal copies
    // or takes over.
    void record(const QByteArray &path, SourceFile &replaced, const struct stat &written,
                ContentCopy overwritten);

    bool isEmpty() const { return m_entries.empty(); }
    // Entries whose old content is kept, and those whose is not.
    qsizetype restorableCount() const { return m_restorable; }
    qsizetype unrestorableCount() const { return qsizetype(m_entries.size()) - m_restorable; }

    // Drops every old content it keeps, so that its disk space is free again;
    // the entries stay, as files that cannot be put back for the reason
    // `error`. False when nothing was kept.
    bool giveUpHeld(int error);

    // The entry of the file the run changed last; removed and returned by takeLast().
    const Entry &last() const { return m_entries.back(); }
    Entry takeLast();
    // Takes an entry that takeLast() gave back, to be put back by a later undo.
    void reinstate(Entry entry);

    // Puts the entry's file back through `rewriter`, reading the old content
    // through `buffer`, when the path still names the file exactly as the run
    // left it (same object, size, modification and change time: a chmod, a
    // chown or a copy that kept the time moved the last); otherwise, or when
    // the rewrite fails, leaves it as it is and says why.
    std::optional<FileFailure> putBack(const Entry &entry, SafeRewriter &rewriter, QByteArray &buffer) const;

private:
    using Identity = std::pair<quint64, quint64>;   // device and inode
    static Identity identityOf(const struct stat &status) { return {status.st_dev, status.st_ino}; }

    // Keeps the old content of `file`, the first `size` bytes of `fd`: in the
    // arena of its file system, or else the file that `takeFile` hands over,
    // held open.
    void keep(Entry &entry, int fd, qint64 size, const SourceFile &file, const std::function<ContentCopy()> &takeFile);
    // Whether one more old content may be held open: never at the cost of a
    // descriptor that the run itself, or the window, still needs.
    bool mayHoldOpen() const;
    void forget(const Entry &entry);

    std::vector<Entry> m_entries;           // in the order the run changed them
    QHash<Identity, size_t> m_byIdentity;   // entry index by the file's identity after the write
    qsizetype m_restorable = 0;
    qsizetype m_heldOpen = 0;               // entries with oldFile
    std::map<dev_t, ContentArena> m_arenas; // by the device of the files
    qint64 m_inArenas = 0;                  // bytes
};

// Raises the process's limit of open files as far as it may go, so that a
// journal can hold the old content of many files.
void raiseOpenFileLimit();
