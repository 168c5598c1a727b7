#include "filesystem.h"
#include "foldersize.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <sys/stat.h>

namespace {

constexpr QChar Separator = u'/';

std::optional<struct stat> statFollowingLinks(const QString &path)
{
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status;
}

// The end of the path without its trailing separators; a lone root keeps its one.
qsizetype endWithoutTrailingSeparators(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == Separator)
        --end;
    return end;
}

bool isRoot(const QString &path, qsizetype end)
{
    return end == 1 && path[0] == Separator;
}

} // namespace

QString FileSystem::GetFileName(const QString &path)
{
    const qsizetype end = endWithoutTrailingSeparators(path);
    if (end == 0 || isRoot(path, end))
        return {};
    const qsizetype separator = path.lastIndexOf(Separator, end - 1);
    return path.mid(separator + 1, end - separator - 1);
}

QString FileSystem::GetParentFolderName(const QString &path)
{
    const qsizetype end = endWithoutTrailingSeparators(path);
    if (end == 0 || isRoot(path, end))
        return {};
    const qsizetype separator = path.lastIndexOf(Separator, end - 1);
    if (separator < 0)
        return {};
    const qsizetype parentEnd = endWithoutTrailingSeparators(path.left(separator + 1));
    return path.left(parentEnd);
}

bool LocalFileSystem::FileExists(const QString &path) const
{
    const auto status = statFollowingLinks(path);
    return status && S_ISREG(status->st_mode);
}

bool LocalFileSystem::FolderExists(const QString &path) const
{
    const auto status = statFollowingLinks(path);
    return status && S_ISDIR(status->st_mode);
}

std::optional<qint64> LocalFileSystem::FileLength(const QString &path) const
{
    const auto status = statFollowingLinks(path);
    if (!status || !S_ISREG(status->st_mode))
        return std::nullopt;
    return qint64(status->st_size);
}

std::optional<FileDescription> LocalFileSystem::GetFile(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    FileDescription file;
    file.parentFolderPath = QDir::cleanPath(info.absolutePath());
    file.dateLastAccessed = info.lastRead();
    file.dateLastModified = info.lastModified();
    // Not every file system records when a file was born (statx gives no
    // birth time on some, and older kernels none at all). The creation date
    // then stays empty rather than showing another time under its header.
    file.dateCreated = info.birthTime();
    if (!file.dateLastAccessed.isValid() || !file.dateLastModified.isValid())
        return std::nullopt;
    file.type = QMimeDatabase().mimeTypeForFile(info).comment();
    return file;
}

std::optional<FolderDescription> LocalFileSystem::GetFolder(const QString &path) const
{
    const QFileInfo info(path);
    if (!info.isDir())
        return std::nullopt;
    FolderDescription folder;
    folder.path = QDir::cleanPath(info.absoluteFilePath());
    folder.dateLastAccessed = info.lastRead();
    folder.dateLastModified = info.lastModified();
    if (!folder.dateLastAccessed.isValid() || !folder.dateLastModified.isValid())
        return std::nullopt;
    return folder;
}

std::optional<qint64> LocalFileSystem::FolderSize(const QString &path) const
{
    return folderTreeSize(QFile::encodeName(path));
}
