#pragma once

#include "contentarena.h"
#include "contentcopy.h"
#include "filefailure.h"
#include "sourcefile.h"
#include "uniquefd.h"

#include <QByteArray>
#include <QHash>

#include <map>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <variant>
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
    // Old contents up to this size are copied into an arena, as long as all
    // of them together stay within the arenas' limit; the rest are held open.
    static constexpr qint64 kMostBytesPerFileInArena = 64 * 1024;

    // Where an entry keeps its file's old content.
    struct InArena
    {
        dev_t device = 0;   // the arena's: the file's device
        qint64 at = 0;      // where the content starts in it
    };
    struct NotKept
    {
        int error = 0;   // why not (an errno)
    };
    // In an arena, held open on disk without a name, or not kept.
    using OldContent = std::variant<InArena, ContentCopy, NotKept>;

    struct Entry
    {
        QByteArray path;   // the path the run first changed it through
        qint64 oldSize = 0;
        OldContent old = NotKept{};
        mode_t mode = 0;
        uid_t owner = 0;
        gid_t group = 0;
        struct stat written
        {
        };   // the file right after the run's last write

        bool canBePutBack() const { return !std::holds_alternative<NotKept>(old); }
    };

    // A file the run rewrote.
    struct Change
    {
        QByteArray path;
        UniqueFd replaced;   // the file as the run read it, still open
        struct stat before
        {
        };                 // its status as the read saw it
        int folder = -1;   // its folder, where an arena may be made
        struct stat written
        {
        };                         // the file right after the write
        ContentCopy overwritten;   // written in place: the copy of its old content
        QByteArray oldContent;     // replaced, its old content read before the file
                                   // was closed: `replaced` is not open
    };

    // Drops every entry and what it holds.
    void clear();

    // Notes that the run rewrote a file. A file written in place comes with
    // the copy of its old content that the rewrite made; a file replaced by a
    // new one keeps its old content in the replaced file, which the journal
    // copies or takes over. Returns the replaced file's descriptor where the
    // journal does not keep it, for the caller to close where it suits: the
    // close of a replaced file's last descriptor frees its blocks.
    UniqueFd record(Change change);

    bool isEmpty() const { return m_entries.empty(); }
    // Entries whose old content is kept, and those whose is not.
    qsizetype restorableCount() const;
    qsizetype unrestorableCount() const { return qsizetype(m_entries.size()) - restorableCount(); }

    // Drops every old content it keeps, so that its disk space is free again;
    // the entries stay, as files that cannot be put back for the reason
    // `error`. False when nothing was kept.
    bool giveUpHeld(int error);

    // The entries, in the order the run changed their files.
    const std::vector<Entry> &entries() const { return m_entries; }
    // Where an entry's old content lies: the file (-1 when it is not kept)
    // and the offset of its first byte there.
    struct ContentPlace
    {
        int fd = -1;
        qint64 at = 0;
    };
    ContentPlace placeOf(const Entry &entry) const;

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

    // Keeps the old content of the change: in the arena of its file system,
    // or else the file itself, held open.
    OldContent keep(Change &change);
    // Whether one more old content may be held open: never at the cost of a
    // descriptor that the run itself, or the window, still needs.
    bool mayHoldOpen() const;
    qint64 bytesInArenas() const;

    std::vector<Entry> m_entries;             // in the order the run changed them
    QHash<Identity, size_t> m_byIdentity;     // entry index by the file's identity after the write
    std::map<dev_t, ContentArena> m_arenas;   // by the device of the files
};

// Raises the process's limit of open files as far as it may go, so that a
// journal can hold the old content of many files.
void raiseOpenFileLimit();
