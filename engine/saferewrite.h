#pragma once

#include "bytesink.h"
#include "filefailure.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <sys/stat.h>

// The one place that rewrites a listed file. The file is either replaced
// whole (a temporary file beside it, renamed over it) or, where a new file
// would lose something, overwritten in place after its new length has been
// reserved; either way a failure leaves the file as it was, and success is
// reported only after every write and the close succeeded.
//
// Read-only: a file with no write permission bit set for anyone fails, also
// for root (who could write it anyway); otherwise the effective user's write
// permission decides. A symbolic link stays a link and its target is rewritten.
class SafeRewriter
{
public:
    // Sends the new content, piece by piece, to the sink. It may be called
    // again after a failed attempt, so it must give the same bytes each time.
    using Producer = std::function<void(ByteSink &)>;

    SafeRewriter();

    // Rewrites the file at `path` (the file whose status `readStatus` is, as
    // fstat() gave it when the file was read) with the bytes of `produce`.
    std::optional<FileFailure> rewrite(const QString &path, const struct stat &readStatus,
                                       const Producer &produce);

private:
    std::optional<FileFailure> replaceWithTemporary(const QByteArray &target, const struct stat &status,
                                                    const Producer &produce, bool *useInPlace);
    std::optional<FileFailure> writeInPlace(const QByteArray &target, const struct stat &status,
                                            const Producer &produce);

    QString m_path;
    QByteArray m_writeBuffer;   // reused from file to file
};
