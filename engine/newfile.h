#pragma once

#include <QByteArray>

// The new version of a file that is to replace it by a rename, made in the
// file's folder. It is made without a name where the file system allows
// (O_TMPFILE) and named only right before the rename, so that a crash or a
// kill at any other moment leaves nothing behind; elsewhere it is a named
// temporary file from the start. Removed unless it was renamed.
class NewFile
{
public:
    explicit NewFile(const QByteArray &folder);
    ~NewFile();
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    // 0, or the errno of the failed creation.
    int openError() const { return m_openError; }
    int fd() const { return m_fd; }

    // Gives an unnamed file a temporary name in its folder. 0 or an errno.
    int name();
    // Closes the file; only a close that succeeded means the bytes are all there.
    int close();
    // Renames the named file over `target`. 0 or an errno.
    int renameTo(const QByteArray &target);

private:
    QByteArray m_folder;
    QByteArray m_name;   // empty while the file has none
    int m_fd = -1;
    int m_openError = 0;
    bool m_renamed = false;
};
