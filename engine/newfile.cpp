#include "newfile.h"

#include "fileio.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr char kNamePrefix[] = "/.textorum-";

QByteArray randomName(const QByteArray &folder)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = folder + kNamePrefix;
    for (int i = 0; i < 8; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    return name;
}

} // namespace

NewFile::NewFile(const QByteArray &folder) : m_folder(folder)
{
    m_fd = openUnnamedFile(folder);
    if (m_fd < 0 && lacksUnnamedFiles(errno)) {
        m_name = folder + kNamePrefix + "XXXXXX";
        m_fd = ::mkostemp(m_name.data(), O_CLOEXEC);
        if (m_fd < 0)
            m_name.clear();   // after a failed mkostemp() the name may be somebody else's
    }
    m_openError = m_fd < 0 ? errno : 0;
}

NewFile::~NewFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_name.isEmpty() && !m_renamed)
        ::unlink(m_name.constData());
}

int NewFile::name()
{
    if (!m_name.isEmpty())
        return 0;
    // Linking the descriptor's /proc entry needs no privilege, unlike
    // linkat(fd, "", ..., AT_EMPTY_PATH), which is tried where /proc is missing.
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(m_fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray candidate = randomName(m_folder);
        int result = ::linkat(AT_FDCWD, procPath.constData(), AT_FDCWD, candidate.constData(), AT_SYMLINK_FOLLOW);
        if (result != 0 && errno == ENOENT)
            result = ::linkat(m_fd, "", AT_FDCWD, candidate.constData(), AT_EMPTY_PATH);
        if (result == 0) {
            m_name = candidate;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int NewFile::close()
{
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0 ? 0 : errno;
}

int NewFile::renameTo(const QByteArray &target)
{
    if (::rename(m_name.constData(), target.constData()) != 0)
        return errno;
    m_renamed = true;
    return 0;
}
