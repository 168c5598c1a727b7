#pragma once

#include "bytesink.h"

#include <QByteArray>

// Where a FileSink writes: a new, empty file, or over the old content.
enum class Placement { NewFile, InPlace };

// Gathers the produced pieces into buffer-sized writes, so that a replace-all
// that yields millions of small pieces still makes few system calls, and
// keeps the first write error: once a write failed nothing more is written,
// and finish() reports the error instead of success. In a new file, whole
// blocks of zeros are not written but left as holes, so that a sparse file
// put back by an undo stays sparse.
class FileSink : public ByteSink
{
public:
    FileSink(int fd, QByteArray &buffer, Placement placement) : m_fd(fd), m_buffer(buffer), m_placement(placement) {}

    void append(QByteArrayView bytes) override;
    // 0, or the errno of the first failed write.
    int finish();
    // The bytes written to the file so far: what a failure has overwritten.
    qint64 written() const { return m_written; }

private:
    static constexpr qsizetype kBlock = 4096;

    void flush();
    void write(QByteArrayView bytes);
    // Leaves each whole block of zeros that starts at a block boundary of
    // the file as a hole: a seek instead of a write. Text has a non-zero
    // byte near the start of every block, so the test costs next to nothing.
    void writeSparse(QByteArrayView bytes);
    void writeDense(QByteArrayView bytes);

    int m_fd;
    QByteArray &m_buffer;
    Placement m_placement;
    qsizetype m_used = 0;
    qint64 m_written = 0;
    bool m_holeAtEnd = false;
    int m_error = 0;
};

// Counts the produced bytes: the new length, before anything is written.
class CountingSink : public ByteSink
{
public:
    void append(QByteArrayView bytes) override { m_size += bytes.size(); }
    qint64 size() const { return m_size; }

private:
    qint64 m_size = 0;
};
