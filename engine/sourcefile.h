#pragma once

#include "filefailure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <sys/stat.h>

// True when `path` names an existing regular file, after following symbolic
// links. Folders, FIFOs, sockets and devices answer false: they are never opened.
bool isExistingFile(const QString &path);

// A failure of the calling system function, with errno's text.
FileFailure fileFailure(const QString &path, FileFailureReason reason, int error);

// The listed file being edited: opened for reading, then its bytes held still
// in memory (small files, read into a buffer reused from file to file) or as a
// private read-only mapping (large files), so that a large file is streamed
// from the page cache instead of copied.
class SourceFile
{
public:
    SourceFile() = default;
    ~SourceFile();
    SourceFile(const SourceFile &) = delete;
    SourceFile &operator=(const SourceFile &) = delete;

    // Opens `path` for reading. Fails when it cannot be opened or is no longer
    // a regular file (it was swapped for something else after the existence test).
    std::optional<FileFailure> open(const QString &path);
    // Makes the whole content available as bytes().
    std::optional<FileFailure> read();
    // Closes the descriptor; bytes() stay valid until release() or the next open().
    void close();
    // Drops the bytes (unmaps a mapping, gives back an oversized buffer).
    void release();

    QByteArrayView bytes() const { return m_bytes; }
    // The status of the opened file, as fstat() gave it at open().
    const struct stat &status() const { return m_status; }

private:
    std::optional<FileFailure> readIntoBuffer(qsizetype size);

    QString m_path;
    int m_fd = -1;
    struct stat m_status {};
    void *m_mapping = nullptr;
    size_t m_mappingLength = 0;
    QByteArray m_buffer;
    QByteArrayView m_bytes;
};
