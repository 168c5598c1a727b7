#pragma once

#include <QByteArray>
#include <QString>

#include <cerrno>

// Why a listed file was left as it was although a run tried to edit it, or
// an undo to put it back.
enum class FileFailureReason {
    ReadFailed,       // could not be opened, read or its status taken (permissions, vanished)
    OutOfMemory,      // not even a buffer's worth of memory could be had
    OpenForWriting,   // the rewrite could not start (read-only, vanished meanwhile)
    Write,            // the rewrite failed part way; the original is intact
    PartlyWritten,    // an in-place rewrite failed after it began overwriting and
                      // the old content could not be put back: the file may be damaged
    Changed,          // another program changed, replaced or removed the file
                      // between the read and the rewrite; its version is kept
    ForeignLink,      // reached through a symbolic link that another user could
                      // have planted (theirs, in a folder they may write): not followed

    // A run over the files of a preview only:
    ChangedSincePreview,   // no longer what the preview read

    // Undo only:
    ChangedSinceRun,   // no longer what the run left: someone else's version is kept
    NoLongerThere,     // removed since the run
    NotKept,           // its old content could not be held (no descriptor left)
};

struct FileFailure
{
    QByteArray path;   // as listed: bytes, not necessarily UTF-8
    FileFailureReason reason = FileFailureReason::ReadFailed;
    QString systemError;         // the operating system's own words, e.g. strerror()
    int error = 0;               // and its errno, when there is one
    QByteArray oldContentAt{};   // PartlyWritten: where the copy of the old content stands
};

// A rewrite that failed for want of disk space and left the file as it was.
inline bool isOutOfSpace(const FileFailure &failure)
{
    return (failure.error == ENOSPC || failure.error == EDQUOT)
           && (failure.reason == FileFailureReason::Write || failure.reason == FileFailureReason::OpenForWriting);
}
