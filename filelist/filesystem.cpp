#include "filesystem.h"
#include "foldersize.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>

#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

// QFileInfo and QDir cannot be used here: they name a file by a QString, and
// a name that is not UTF-8 does not survive the way there and back. Every
// query goes to the system with the path's own bytes.

namespace {

constexpr char Separator = '/';

std::optional<struct stat> statFollowingLinks(const QByteArray &path)
{
    struct stat status;
    if (::stat(path.constData(), &status) != 0)
        return std::nullopt;
    return status;
}

// An item's kind and times, as QFileInfo would tell them: the birth time
// only where the file system records one, and a time of zero as none.
struct ItemTimes
{
    mode_t mode = 0;
    QDateTime accessed;
    QDateTime modified;
    QDateTime born;
};

QDateTime localTime(const struct statx_timestamp &time)
{
    const qint64 milliseconds = qint64(time.tv_sec) * 1000 + time.tv_nsec / 1'000'000;
    return milliseconds != 0 ? QDateTime::fromMSecsSinceEpoch(milliseconds) : QDateTime();
}

std::optional<ItemTimes> itemTimes(const QByteArray &path)
{
    struct statx status;
    if (::statx(AT_FDCWD, path.constData(), 0, STATX_TYPE | STATX_ATIME | STATX_MTIME | STATX_BTIME, &status) != 0)
        return std::nullopt;
    ItemTimes times;
    times.mode = status.stx_mode;
    times.accessed = localTime(status.stx_atime);
    times.modified = localTime(status.stx_mtime);
    if (status.stx_mask & STATX_BTIME)
        times.born = localTime(status.stx_btime);
    return times;
}

// The path made absolute against the working folder and cleaned of "." and
// ".." and doubled separators, as QDir::cleanPath(QFileInfo::absoluteFilePath())
// would. cleanPath works on the separators and dots alone, and Latin-1 maps
// every byte to one character and back, so the other bytes pass unchanged.
QByteArray absoluteCleanPath(const QByteArray &path)
{
    QByteArray absolute = path;
    if (!absolute.startsWith(Separator)) {
        const std::unique_ptr<char, decltype(&std::free)> workingFolder(::getcwd(nullptr, 0), &std::free);
        if (workingFolder)
            absolute.prepend(QByteArray(workingFolder.get()) + Separator);
    }
    return QDir::cleanPath(QString::fromLatin1(absolute)).toLatin1();
}

// The MIME description, from the name's extension and the file's first bytes,
// as QMimeDatabase::mimeTypeForFile() finds it; a file that cannot be read is
// judged by its name alone.
QString typeDescription(const QByteArray &path)
{
    QFile content;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && !content.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        ::close(fd);
    return QMimeDatabase().mimeTypeForFileNameAndData(readablePath(FileSystem::GetFileName(path)), &content).comment();
}

// The end of the path without its trailing separators; a lone root keeps its one.
qsizetype endWithoutTrailingSeparators(const QByteArray &path)
{
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == Separator)
        --end;
    return end;
}

bool isRoot(const QByteArray &path, qsizetype end)
{
    return end == 1 && path[0] == Separator;
}

}   // namespace

QString readablePath(const QByteArray &path)
{
    return QString::fromUtf8(path);
}

QByteArray FileSystem::GetFileName(const QByteArray &path)
{
    const qsizetype end = endWithoutTrailingSeparators(path);
    if (end == 0 || isRoot(path, end))
        return {};
    const qsizetype separator = path.lastIndexOf(Separator, end - 1);
    return path.mid(separator + 1, end - separator - 1);
}

QByteArray FileSystem::GetParentFolderName(const QByteArray &path)
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

bool LocalFileSystem::FileExists(const QByteArray &path) const
{
    const auto status = statFollowingLinks(path);
    return status && S_ISREG(status->st_mode);
}

bool LocalFileSystem::FolderExists(const QByteArray &path) const
{
    const auto status = statFollowingLinks(path);
    return status && S_ISDIR(status->st_mode);
}

std::optional<qint64> LocalFileSystem::FileLength(const QByteArray &path) const
{
    const auto status = statFollowingLinks(path);
    if (!status || !S_ISREG(status->st_mode))
        return std::nullopt;
    return qint64(status->st_size);
}

std::optional<FileDescription> LocalFileSystem::GetFile(const QByteArray &path) const
{
    const auto times = itemTimes(path);
    if (!times || !S_ISREG(times->mode))
        return std::nullopt;
    FileDescription file;
    file.parentFolderPath = GetParentFolderName(absoluteCleanPath(path));
    file.dateLastAccessed = times->accessed;
    file.dateLastModified = times->modified;
    // Not every file system records when a file was born (statx gives no
    // birth time on some, and older kernels none at all). The creation date
    // then stays empty rather than showing another time under its header.
    file.dateCreated = times->born;
    if (!file.dateLastAccessed.isValid() || !file.dateLastModified.isValid())
        return std::nullopt;
    file.type = typeDescription(path);
    return file;
}

std::optional<FolderDescription> LocalFileSystem::GetFolder(const QByteArray &path) const
{
    const auto times = itemTimes(path);
    if (!times || !S_ISDIR(times->mode))
        return std::nullopt;
    FolderDescription folder;
    folder.path = absoluteCleanPath(path);
    folder.dateLastAccessed = times->accessed;
    folder.dateLastModified = times->modified;
    if (!folder.dateLastAccessed.isValid() || !folder.dateLastModified.isValid())
        return std::nullopt;
    return folder;
}

std::optional<qint64> LocalFileSystem::FolderSize(const QByteArray &path) const
{
    return folderTreeSize(path);
}
