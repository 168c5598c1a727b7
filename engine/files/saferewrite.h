#pragma once

#include "bytesink.h"
#include "contentcopy.h"
#include "durability.h"
#include "filefailure.h"
#include "newfile.h"
#include "sourcefile.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <sys/stat.h>

// Where the new content is made from, and the permission bits and owner the
// rewritten file is to have: for an edit, the listed file itself as it was
// read; for an undo, the content the edit replaced, with that file's
// permissions and owner.
struct RewriteSource
{
    int fd = -1;   // open for reading, its first `size` bytes read; -1
                   // when the producer has the bytes itself
    qint64 size = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    bool isTarget = false;   // `fd` is the file being rewritten: written in place,
                             // its new content is made from the copy aside

    // The file being rewritten, open as `fd`, with the status fstat() gave for it.
    static RewriteSource target(int fd, const struct stat &status)
    {
        return {fd, status.st_size, status.st_mode, status.st_uid, status.st_gid, true};
    }
};

// Which pass over the new content a rewrite asks its producer for: Measure
// only counts the bytes (a rewrite in place learns the new length before it
// overwrites anything), Write sends them to the file. Both passes must give
// the same bytes.
enum class Pass { Measure, Write };

// What became of one rewrite.
struct RewriteOutcome
{
    std::optional<FileFailure> failure;   // set when the file was left as it was
                                          // (or, PartlyWritten, may be damaged)
    ContentCopy overwritten;              // written in place: the content it had before
    struct stat written
    {
    };   // on success: the file right after the write
};

// The one place that rewrites a listed file, always the very file that was
// opened and read, through its folder's descriptor: never what the path
// names by the time it is written. The file is either replaced whole (a new
// file in its folder, renamed over it) or, where a new file would lose
// something, overwritten in place after its old content has been copied to
// a named file beside it; either way a failure leaves the file as it was,
// and success is reported only after every write succeeded. A kill or a
// power cut leaves the file old or new, or, in place, the old content beside
// it. Just before the rename, a file that another program has changed,
// replaced or removed since it was read is left to that program. The
// permission bits are set after the last write, which clears the
// set-user-ID and set-group-ID bits.
//
// Read-only: a file with no write permission bit set for anyone fails, also
// for root (who could write it anyway); otherwise the effective user's write
// permission decides. A symbolic link stays a link and its target is rewritten.
class SafeRewriter
{
public:
    // Reads the old content from the descriptor (from its first byte, `size`
    // bytes) and sends the new content to the sink, for the pass asked.
    using Producer = std::function<ReadOutcome(Pass pass, int source, qint64 size, ByteSink &out)>;

    SafeRewriter();

    // Rewrites `target`, which must still be as it was opened, with the
    // bytes of `produce` made from `source`.
    RewriteOutcome rewrite(const SourceFile &target, const RewriteSource &source, const Producer &produce);

    // The first half of a rewrite by a new file, done ahead of the file's
    // turn, on any thread with a rewriter of its own: the new content written
    // into a new file in the file's folder (see NewFile: without a name, or
    // under a hidden one where the file system has no unnamed files), flushed
    // as the file system needs. Nothing, and nothing left, when the file is
    // to be written in place or anything fails: rewrite() at the file's turn
    // then does it all and says why.
    std::optional<NewFile> writeAhead(const SourceFile &target, const RewriteSource &source, const Producer &produce);
    // The second half, at the file's turn: the new file renamed over
    // `target`, unless another program changed it since it was read.
    RewriteOutcome replaceWith(const SourceFile &target, NewFile &file);

private:
    // One rewrite: the file, its status when opened, and where its new
    // content comes from.
    struct Job
    {
        const SourceFile &target;
        const QByteArray &path;
        const struct stat &expected;
        const RewriteSource &source;
        const Producer &produce;
    };
    // What became of an attempt to write a new file for the file.
    struct NewFileOutcome
    {
        enum class Kind { Written, UseInPlace, Failed };
        Kind kind = Kind::Written;
        FileFailure failure;   // when Failed
    };

    // Whether the effective user may write the file; errno says why not.
    bool mayWrite(const Job &job) const;
    // Whether the file may be replaced by a new one without losing anything.
    static bool isReplaceable(const Job &job);
    // Whether a new file is owned as the old one is without a chown.
    bool isOwnedAsBefore(const Job &job) const;
    // The permission bits a new file for the job is made with: the old
    // file's where that is safe before it is written, else its owner's only.
    mode_t creationMode(const Job &job) const;
    NewFileOutcome writeNewFile(const Job &job, NewFile &file);
    RewriteOutcome writeInPlace(const Job &job);
    // The new length, made from `from` (see Pass::Measure), when it fits
    // under the file-size limit.
    std::optional<FileFailure> measure(const Job &job, int from, qint64 &newSize);
    // After a failed overwrite: puts the old content back from `copy`, or
    // says where it is.
    FileFailure restore(const Job &job, int fd, const ContentCopy &copy, qint64 overwritten, int error);
    // Writes the new content of `newSize` bytes, made from `from`, over the
    // file open as `fd`, and sets its length and permission bits. Returns 0
    // or an errno; `overwritten` gets the bytes it wrote, `written` the
    // file's status after.
    int overwrite(const Job &job, int fd, int from, qint64 newSize, qint64 &overwritten, struct stat &written);
    std::optional<FileFailure> readFailure(const Job &job, const ReadOutcome &read) const;

    QByteArray m_writeBuffer;   // reused from file to file
    Durability m_durability;
    uid_t m_user;   // the effective user and group
    gid_t m_group;
};
