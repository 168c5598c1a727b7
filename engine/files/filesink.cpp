#include "filesink.h"

#include "faultpoint.h"
#include "fileio.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

void FileSink::append(QByteArrayView bytes)
{
    if (m_error != 0)
        return;
    // A large piece (the text between two occurrences, usually) goes to
    // write() as it is: copying it into the buffer first would cost a pass
    // over the bytes for nothing.
    if (bytes.size() >= m_buffer.size() / 4) {
        flush();
        write(bytes);
        return;
    }
    if (m_used + bytes.size() > m_buffer.size())
        flush();
    std::memcpy(m_buffer.data() + m_used, bytes.data(), size_t(bytes.size()));
    m_used += bytes.size();
}

int FileSink::finish()
{
    flush();
    // Holes at the end: the length is set, not written.
    if (m_error == 0 && m_holeAtEnd && ::ftruncate(m_fd, m_written) != 0)
        m_error = errno;
    return m_error;
}

void FileSink::flush()
{
    write(QByteArrayView(m_buffer.constData(), m_used));
    m_used = 0;
}

void FileSink::write(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_placement == Placement::NewFile) {
        writeSparse(bytes);
        return;
    }
    const bool first = m_written == 0;
    writeDense(bytes);
    if (first)
        reachFaultPoint(FaultPoint::FirstOverwrite);
}

void FileSink::writeSparse(QByteArrayView bytes)
{
    qsizetype dense = 0;   // start of the bytes not yet written
    qsizetype at = (kBlock - m_written % kBlock) % kBlock;
    for (; at + kBlock <= bytes.size(); at += kBlock) {
        const char *block = bytes.data() + at;
        if (block[0] != 0 || std::memcmp(block, block + 1, kBlock - 1) != 0)
            continue;
        writeDense(bytes.sliced(dense, at - dense));
        if (m_error != 0)
            return;
        if (::lseek(m_fd, kBlock, SEEK_CUR) < 0) {
            m_error = errno;
            return;
        }
        m_written += kBlock;
        m_holeAtEnd = true;
        dense = at + kBlock;
    }
    writeDense(bytes.sliced(dense));
}

void FileSink::writeDense(QByteArrayView bytes)
{
    if (m_error != 0 || bytes.isEmpty())
        return;
    m_written += bytes.size();   // counted before: a failed write may have written part of it
    m_holeAtEnd = false;
    m_error = writeAll(m_fd, bytes);
}
