#pragma once

#include <QString>

// Why a listed file was left as it was although the run tried to edit it.
enum class FileFailureReason {
    OpenForReading,   // could not be opened or read (permissions, vanished)
    TooLarge,         // does not fit in memory
    OpenForWriting,   // the rewrite could not start (read-only, vanished or replaced meanwhile)
    Write,            // the rewrite failed part way; the original is intact
    PartlyWritten,    // an in-place rewrite failed after it began overwriting (an I/O
                      // error once the new length was reserved): the file may be damaged
};

struct FileFailure
{
    QString path;
    FileFailureReason reason = FileFailureReason::OpenForReading;
    QString systemError;   // the operating system's own words, e.g. strerror()
};
