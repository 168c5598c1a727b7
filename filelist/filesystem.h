#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// A path is the bytes the system names the item by, which need not be UTF-8
// (a Latin-1 name from an old archive); QString cannot hold such a name, so
// paths stay bytes until they are shown.

// The path as text for the user: each byte sequence that is not UTF-8 shows
// as U+FFFD.
QString readablePath(const QByteArray &path);

// What GetFile tells about an existing file.
struct FileDescription
{
    QByteArray parentFolderPath;   // full path of the containing folder
    QDateTime dateLastAccessed;
    QDateTime dateLastModified;
    QDateTime dateCreated;   // invalid where the file system keeps no birth time
    QString type;            // the desktop's name for the file's type
};

// What GetFolder tells about an existing folder. Its total size is a query of
// its own (FolderSize): it walks the whole tree and can fail on its own.
struct FolderDescription
{
    QByteArray path;   // full path, no trailing '/' unless the root
    QDateTime dateLastAccessed;
    QDateTime dateLastModified;
};

// The file-system questions the drop intake asks. Every call asks the file
// system afresh, nothing is cached; an empty optional means the query failed.
// Tests replace it to make a query fail in the middle of a drop.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    // A regular file, following symbolic links; false for folders, devices,
    // pipes and sockets.
    virtual bool FileExists(const QByteArray &path) const = 0;
    // A folder, following symbolic links.
    virtual bool FolderExists(const QByteArray &path) const = 0;
    // The length in bytes of a regular file.
    virtual std::optional<qint64> FileLength(const QByteArray &path) const = 0;
    virtual std::optional<FileDescription> GetFile(const QByteArray &path) const = 0;
    virtual std::optional<FolderDescription> GetFolder(const QByteArray &path) const = 0;
    // The sum of the lengths of all regular files in the folder's tree.
    virtual std::optional<qint64> FolderSize(const QByteArray &path) const = 0;

    // The text after the last '/'. Trailing separators are ignored, so a
    // folder dropped as "/a/b/" is named "b".
    static QByteArray GetFileName(const QByteArray &path);
    // The text before the last '/', keeping "/" when only the root is left.
    // Purely textual: the file system is not consulted.
    static QByteArray GetParentFolderName(const QByteArray &path);
};

// The file system of this machine.
class LocalFileSystem : public FileSystem
{
public:
    bool FileExists(const QByteArray &path) const override;
    bool FolderExists(const QByteArray &path) const override;
    std::optional<qint64> FileLength(const QByteArray &path) const override;
    std::optional<FileDescription> GetFile(const QByteArray &path) const override;
    std::optional<FolderDescription> GetFolder(const QByteArray &path) const override;
    std::optional<qint64> FolderSize(const QByteArray &path) const override;
};
