#include "newfile.h"

#include "faultpoint.h"
#include "fileio.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

NewFile::NewFile(int folder, const QByteArray &name) : m_folder(folder), m_target(name)
{
    m_fd = openUnnamedFile(folder);
    if (m_fd < 0 && lacksUnnamedFiles(errno))
        m_fd = createNamedFile(folder, companionPrefix(name, "new"), m_name);
    m_openError = m_fd < 0 ? errno : 0;
}

NewFile::~NewFile()
{
    close();
    if (!m_name.isEmpty() && !m_replaced)
        ::unlinkat(m_folder, m_name.constData(), 0);
}

int NewFile::replace()
{
    reachFaultPoint(FaultPoint::NewFileWritten);
    if (m_name.isEmpty()) {
        if (const int error = nameUnnamedFile(m_fd, m_folder, companionPrefix(m_target, "new"), m_name))
            return error;
    }
    if (::renameat(m_folder, m_name.constData(), m_folder, m_target.constData()) != 0)
        return errno;
    m_replaced = true;
    reachFaultPoint(FaultPoint::NewFileRenamed);
    return 0;
}

int NewFile::close()
{
    if (m_fd < 0)
        return 0;
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0 ? 0 : errno;
}
