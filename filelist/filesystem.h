#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// What GetFile tells about an existing file.
struct FileDescription
{
    QString parentFolderPath;   // full path of the containing folder
    QDateTime dateLastAccessed;
    QDateTime dateLastModified;
    QDateTime dateCreated;      // invalid where the file system keeps no birth time
    QString type;               // the desktop's name for the file's type
};

// What GetFolder tells about an existing folder. Its total size is a query of
// its own (FolderSize): it walks the whole tree and can fail on its own.
struct FolderDescription
{
    QString path;               // full path, no trailing '/' unless the root
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
    virtual bool FileExists(const QString &path) const = 0;
    // A folder, following symbolic links.
    virtual bool FolderExists(const QString &path) const = 0;
    // The length in bytes of a regular file.
    virtual std::optional<qint64> FileLength(const QString &path) const = 0;
    virtual std::optional<FileDescription> GetFile(const QString &path) const = 0;
    virtual std::optional<FolderDescription> GetFolder(const QString &path) const = 0;
    // The sum of the lengths of all regular files in the folder's tree.
    virtual std::optional<qint64> FolderSize(const QString &path) const = 0;

    // The text after the last '/'. Trailing separators are ignored, so a
    // folder dropped as "/a/b/" is named "b".
    static QString GetFileName(const QString &path);
    // The text before the last '/', keeping "/" when only the root is left.
    // Purely textual: the file system is not consulted.
    static QString GetParentFolderName(const QString &path);
};

// The file system of this machine.
class LocalFileSystem : public FileSystem
{
public:
    bool FileExists(const QString &path) const override;
    bool FolderExists(const QString &path) const override;
    std::optional<qint64> FileLength(const QString &path) const override;
    std::optional<FileDescription> GetFile(const QString &path) const override;
    std::optional<FolderDescription> GetFolder(const QString &path) const override;
    std::optional<qint64> FolderSize(const QString &path) const override;
};
