#include "foldersize.h"

#include "uniquefd.h"

#include <QScopeGuard>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// Hand-written on purpose, for two reasons. QDirIterator skips a folder it
// cannot open without a word, so the size it adds up can silently be too
// small. And it is slower: on 100,000 files in 1,000 folders it took 1.4 to
// 1.8 times as long as this walk (245 ms against 147 ms, `du -sb` 175 ms;
// textorum-filelist-bench), as every entry costs a path string and a stat
// of that path. Here
// each folder is read through its own descriptor (openat, fdopendir), the
// entry type comes free from readdir's d_type, and only regular files (and
// entries of unknown type) cost an fstatat relative to their folder.
// One descriptor stays open per level, so a tree deeper than the open-file
// limit fails like an unreadable one instead of being counted wrong.

namespace {

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Adds the tree of the open folder to total.
bool addTree(UniqueFd folderFd, qint64 &total)
{
    DIR *folder = ::fdopendir(folderFd.get());
    if (!folder)
        return false;
    folderFd.release();   // the stream closes it
    const auto closeFolder = qScopeGuard([folder] { ::closedir(folder); });
    const int fd = ::dirfd(folder);

    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(folder);
        if (!entry)
            return errno == 0;
        if (isDotOrDotDot(entry->d_name))
            continue;

        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) {
            struct stat status;
            if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                return false;
            if (S_ISREG(status.st_mode))
                total += status.st_size;
            isFolder = S_ISDIR(status.st_mode);
        }
        if (isFolder) {
            // O_NOFOLLOW: a folder swapped for a link after readdir fails
            // rather than leading the walk out of the tree.
            UniqueFd childFd(::openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!childFd.isValid() || !addTree(std::move(childFd), total))
                return false;
        }
    }
}

}   // namespace

std::optional<qint64> folderTreeSize(const QByteArray &folderPath)
{
    UniqueFd fd(::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.isValid())
        return std::nullopt;
    qint64 total = 0;
    if (!addTree(std::move(fd), total))
        return std::nullopt;
    return total;
}
