#include "contentcopy.h"

#include "durability.h"
#include "fileio.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Makes a new name in the folder open as `folder` last through a power cut.
// Flushing the folder needs it open for reading; where it is not readable,
// flushing the file itself commits the journal that holds its new link on
// the common file systems.
int flushName(int folder, int fd)
{
    const UniqueFd readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return ::fsync(readable.isValid() ? readable.get() : fd) == 0 ? 0 : errno;
}

}   // namespace

int ContentCopy::make(int source, qint64 size, int folder, const QByteArray &name, Durability &durability)
{
    const int error = makeIn(source, size, ::fcntl(folder, F_DUPFD_CLOEXEC, 0), name, durability);
    // The file's own folder may take no new file: that is one of the reasons
    // to write in place at all.
    if (error != EACCES && error != EPERM && error != EROFS && error != EDQUOT && error != ENOSPC)
        return error;
    return makeIn(source, size,
                  ::open(QFile::encodeName(QDir::tempPath()).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC), name,
                  durability);
}

int ContentCopy::makeIn(int source, qint64 size, int folder, const QByteArray &name, Durability &durability)
{
    UniqueFd heldFolder(folder);
    if (!heldFolder.isValid())
        return errno;
    QByteArray copyName;
    const QByteArray prefix = companionPrefix(name, "old");
    UniqueFd fd(openUnnamedFile(folder));
    if (!fd.isValid() && lacksUnnamedFiles(errno))
        fd.reset(createNamedFile(folder, prefix, copyName));
    if (!fd.isValid())
        return errno;
    const auto removeName = [&] {
        if (!copyName.isEmpty())
            ::unlinkat(folder, copyName.constData(), 0);
    };
    const bool flush = durability.survivesPowerCut(fd.get());
    int error = copyBytes(source, fd.get(), size);
    if (error == 0 && flush && ::fdatasync(fd.get()) != 0)
        error = errno;
    if (error == 0 && copyName.isEmpty())
        error = nameUnnamedFile(fd.get(), folder, prefix, copyName);
    if (error == 0 && flush)
        error = flushName(folder, fd.get());
    if (error != 0) {
        removeName();
        return error;
    }
    m_fd = std::move(fd);
    m_size = size;
    m_folder = std::move(heldFolder);
    m_name = copyName;
    return 0;
}

ContentCopy ContentCopy::holding(UniqueFd fd, qint64 size)
{
    ContentCopy copy;
    copy.m_fd = std::move(fd);
    copy.m_size = size;
    return copy;
}

QByteArray ContentCopy::namedPath() const
{
    if (m_name.isEmpty())
        return {};
    char folder[PATH_MAX];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(m_folder.get());
    const ssize_t length = ::readlink(link.constData(), folder, sizeof folder);
    return length > 0 ? QByteArray(folder, length) + '/' + m_name : m_name;
}

void ContentCopy::removeName()
{
    if (!m_name.isEmpty())
        ::unlinkat(m_folder.get(), m_name.constData(), 0);
    m_name.clear();
    m_folder.reset();
}

int ContentCopy::restoreTo(int target, qint64 overwritten) const
{
    if (const int error = copyBytes(m_fd.get(), target, qMin(overwritten, m_size), 0, Holes::Clear))
        return error;
    return ::ftruncate(target, m_size) == 0 ? 0 : errno;
}
