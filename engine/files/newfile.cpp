#include "newfile.h"

#include "faultpoint.h"
#include "fileio.h"
#include "unfinishedfiles.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

NewFile::NewFile(int folder, const QByteArray &name, mode_t mode) : m_folder(folder), m_target(name)
{
    m_fd.reset(openUnnamedFile(folder, mode));
    if (!m_fd.isValid() && lacksUnnamedFiles(errno))
        m_fd.reset(createUnfinishedFile(folder, companionPrefix(name, "new"), m_name, m_noted, mode));
    m_openError = m_fd.isValid() ? 0 : errno;
}

NewFile::~NewFile()
{
    close();
    if (!m_name.isEmpty() && !m_replaced)
        ::unlinkat(m_folder, m_name.constData(), 0);
    forgetUnfinishedFile(m_noted);
}

int NewFile::closeForWriting()
{
    if (m_name.isEmpty())
        return 0;
    UniqueFd place(::openat(m_folder, m_name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!place.isValid())
        return errno;
    if (const int error = m_fd.close())
        return error;
    m_fd = std::move(place);
    return 0;
}

int NewFile::replace()
{
    reachFaultPoint(FaultPoint::NewFileWritten);
    if (m_name.isEmpty()) {
        if (const int error = nameUnnamedFile(m_fd.get(), m_folder, companionPrefix(m_target, "new"), m_name))
            return error;
    }
    if (::renameat(m_folder, m_name.constData(), m_folder, m_target.constData()) != 0)
        return errno;
    m_replaced = true;
    forgetUnfinishedFile(std::exchange(m_noted, -1));
    reachFaultPoint(FaultPoint::NewFileRenamed);
    return 0;
}
