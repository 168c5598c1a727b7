#pragma once

#include "contentcopy.h"
#include "filefailure.h"

#include <QByteArray>
#include <QHash>

#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

class SafeRewriter;

// The files the last edit run changed, each with what it takes to put it back
// as it was before the run: its old content, held open without a name (the
// file a new file was renamed over, or the copy an in-place rewrite made),
// and its permission bits, owner and group. Nothing of it is ever on disk
// under a name; the held contents, and the disk space they take, go with the
// journal or a clear().
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
        ContentCopy oldContent;   // not valid when it could not be held
        int holdError = 0;        // why not (an errno)
        mode_t mode = 0;
        uid_t owner = 0;
        gid_t group = 0;
        struct stat written {};   // the file right after the run's last write
    };

    // Closes every held content.
    void clear();

    // Whether one more old content may be held open: never at the cost of a
    // descriptor that the run itself, or the window, still needs.
    bool mayHold() const;

    // Notes that the run rewrote the file at `path`, which it read with the
    // status `before`, leaving it with the status `written`. `oldContent` is
    // the content of `before` (not valid when it could not be held, for the
    // reason `holdError`).
    void record(const QByteArray &path, const struct stat &before, const struct stat &written,
                ContentCopy oldContent, int holdError);

    bool isEmpty() const { return m_entries.empty(); }
    // Entries whose old content is held, and those whose is not.
    qsizetype restorableCount() const { return m_held; }
    qsizetype unrestorableCount() const { return qsizetype(m_entries.size()) - m_held; }

    // The entry of the file the run changed last; removed and returned by takeLast().
    const Entry &last() const { return m_entries.back(); }
    Entry takeLast();

private:
    using Identity = std::pair<quint64, quint64>;   // device and inode
    static Identity identityOf(const struct stat &status) { return {status.st_dev, status.st_ino}; }

    std::vector<Entry> m_entries;           // in the order the run changed them
    QHash<Identity, size_t> m_byIdentity;   // entry index by the file's identity after the write
    qsizetype m_held = 0;
};

// Raises the process's limit of open files as far as it may go, so that a
// journal can hold the old content of many files.
void raiseOpenFileLimit();

// Puts the entry's file back through `rewriter`, reading the old content
// through `buffer`, when the path still names the file exactly as the run
// left it (same object, size and modification time); otherwise, or when the
// rewrite fails, leaves it as it is and says why.
std::optional<FileFailure> putBack(const UndoJournal::Entry &entry, SafeRewriter &rewriter, QByteArray &buffer);
