#pragma once

#include "bytesink.h"
#include "filefailure.h"
#include "sourcefile.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <sys/stat.h>

// The one place that rewrites a listed file. The file is either replaced
// whole (a new file in its folder, renamed over it) or, where a new file
// would lose something, overwritten in place after its old content has been
// copied aside and its new length reserved; either way a failure leaves the
// file as it was, and success is reported only after every write and the
// close succeeded. Just before the rename, a file that another program has
// changed, replaced or removed since it was read is left to that program.
//
// Read-only: a file with no write permission bit set for anyone fails, also
// for root (who could write it anyway); otherwise the effective user's write
// permission decides. A symbolic link stays a link and its target is rewritten.
class SafeRewriter
{
public:
    // Reads the old content from the descriptor (from its first byte, `size`
    // bytes) and sends the new content to the sink. It may be called more
    // than once for one rewrite, so it must give the same bytes each time.
    using Producer = std::function<ReadOutcome(int source, qint64 size, ByteSink &out)>;

    SafeRewriter();

    // Rewrites the file at `path`, open for reading as `source` (whose status
    // `readStatus` is, as fstat() gave it when the file was opened), with the
    // bytes of `produce`.
    std::optional<FileFailure> rewrite(const QByteArray &path, int source, const struct stat &readStatus,
                                       const Producer &produce);

private:
    // One rewrite: the file as listed, the file that is written (a link's
    // target) and where its old content comes from.
    struct Job
    {
        const QByteArray &path;
        QByteArray target;
        int source;
        const struct stat &readStatus;
        const Producer &produce;
    };
    // What became of an attempt to replace the file by a new one.
    struct ReplaceOutcome
    {
        enum class Kind { Done, UseInPlace, Failed };
        Kind kind = Kind::Done;
        FileFailure failure;   // when Failed
    };

    ReplaceOutcome replaceWithNewFile(const Job &job);
    std::optional<FileFailure> writeInPlace(const Job &job);
    std::optional<FileFailure> readFailure(const Job &job, const ReadOutcome &read) const;

    QByteArray m_writeBuffer;   // reused from file to file
};
