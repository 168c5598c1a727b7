#include "contentcopy.h"

#include "fileio.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

// An unnamed file in `folder`; where the file system has none, a named one
// that is removed at once, which comes to the same but for the instant
// between. -1 with errno set when neither can be made.
int openCopyFile(const QByteArray &folder)
{
    const int fd = openUnnamedFile(folder);
    if (fd >= 0 || !lacksUnnamedFiles(errno))
        return fd;
    QByteArray name = folder + "/.textorum-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(name.constData());
    return named;
}

} // namespace

ContentCopy::~ContentCopy()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

ContentCopy::ContentCopy(ContentCopy &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(std::exchange(other.m_size, 0))
{
}

ContentCopy &ContentCopy::operator=(ContentCopy &&other) noexcept
{
    std::swap(m_fd, other.m_fd);
    std::swap(m_size, other.m_size);
    return *this;
}

ContentCopy ContentCopy::holding(int fd, qint64 size)
{
    ContentCopy copy;
    copy.m_fd = fd;
    copy.m_size = size;
    return copy;
}

int ContentCopy::make(int source, qint64 size, const QByteArray &folder)
{
    // The file's own folder may take no new file: that is one of the reasons
    // to write in place at all.
    int fd = openCopyFile(folder);
    if (fd < 0)
        fd = openCopyFile(QFile::encodeName(QDir::tempPath()));
    if (fd < 0)
        return errno;
    ContentCopy copy;
    copy.m_fd = fd;
    copy.m_size = size;
    if (const int error = copyBytes(source, fd, size))
        return error;
    *this = std::move(copy);
    return 0;
}

int ContentCopy::restoreTo(int target, qint64 overwritten) const
{
    if (const int error = copyBytes(m_fd, target, qMin(overwritten, m_size)))
        return error;
    return ::ftruncate(target, m_size) == 0 ? 0 : errno;
}
