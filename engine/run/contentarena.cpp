#include "contentarena.h"

#include "fileio.h"

#include <cerrno>
#include <unistd.h>

void ContentArena::clear()
{
    m_fd.reset();
    m_size = 0;
}

qint64 ContentArena::append(int fd, qint64 size, int folder)
{
    return appendWith(size, folder, [&] { return copyBytes(fd, m_fd.get(), size, m_size); });
}

qint64 ContentArena::append(QByteArrayView bytes, int folder)
{
    return appendWith(bytes.size(), folder, [&] { return writeAll(m_fd.get(), bytes, m_size); });
}

qint64 ContentArena::appendWith(qint64 size, int folder, const std::function<int()> &write)
{
    if (!m_fd.isValid()) {
        m_fd.reset(openUnnamedFile(folder));
        if (!m_fd.isValid() && lacksUnnamedFiles(errno))
            m_fd.reset(openUnnamedTempFile());
        if (!m_fd.isValid())
            return -1;
    }
    if (const int error = write()) {
        // Cut back what part of it arrived, for its disk space. Where that
        // fails, the next append writes over it anyway; the contents held
        // before it stay where their entries say.
        [[maybe_unused]] const int cut = ::ftruncate(m_fd.get(), m_size);
        errno = error;
        return -1;
    }
    const qint64 offset = m_size;
    m_size += size;
    return offset;
}

ReadOutcome ContentArena::read(qint64 offset, qint64 size, QByteArray &buffer, ByteSink &out) const
{
    return readKept(m_fd.get(), offset, size, buffer, out);
}
