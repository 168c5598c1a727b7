#include "filelocation.h"

#include "fileio.h"
#include "sourcefile.h"

#include <QByteArrayList>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The kernel's own limit of links followed in one lookup.
constexpr int kMostLinks = 40;

// Whether the link's owner could have planted it: another user than the
// effective one and not root, who may write the folder that holds it. The
// group test takes the link's group for the owner's, as the owner's other
// groups are not known here.
bool isForeignLink(const struct stat &link, int folder)
{
    if (link.st_uid == ::geteuid() || link.st_uid == 0)
        return false;
    struct stat status
    {
    };
    if (::fstat(folder, &status) != 0)
        return true;
    return (status.st_uid == link.st_uid && (status.st_mode & S_IWUSR))
           || (status.st_gid == link.st_gid && (status.st_mode & S_IWGRP)) || (status.st_mode & S_IWOTH);
}

int openRoot(bool absolute)
{
    return ::open(absolute ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
}

// The common case, in two system calls: no link anywhere on the path.
// False when a link is met (or the kernel lacks openat2), so that the walk
// below decides.
// The last name of `path`, empty when it is none a file can have.
QByteArray plainName(const QByteArray &path)
{
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    return name == "." || name == ".." ? QByteArray() : name;
}

// The folder `folder` opened when no link is on its way: -1 otherwise (or
// when the kernel lacks openat2).
int openFolderWithoutLinks(const QByteArray &folder)
{
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return int(::syscall(SYS_openat2, AT_FDCWD, folder.constData(), &how, sizeof how));
}

bool locateWithoutLinks(const QByteArray &path, FileLocation &location)
{
    const QByteArray name = plainName(path);
    if (name.isEmpty())
        return false;
    UniqueFd fd(openFolderWithoutLinks(folderOf(path)));
    if (!fd.isValid())
        return false;
    struct stat status
    {
    };
    if (::fstatat(fd.get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0 || S_ISLNK(status.st_mode))
        return false;
    location.folder = std::make_shared<const OpenFolder>(OpenFolder{std::move(fd)});
    location.name = name;
    return true;
}

// Puts the names of the link open as `link` before the names still to go,
// from the root again for a target that starts with one. 0 or an errno.
int expandLink(int link, QByteArrayList &pending, UniqueFd &folder)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(link, "", target, sizeof target);
    if (length <= 0 || length == sizeof target)
        return length < 0 ? errno : ENAMETOOLONG;
    const QByteArray text(target, length);
    const QByteArrayList parts = text.split('/');
    for (auto part = parts.crbegin(); part != parts.crend(); ++part)
        pending.prepend(*part);
    if (text.startsWith('/')) {
        folder.reset(openRoot(true));
        if (!folder.isValid())
            return errno;
    }
    return 0;
}

// The `links`th link met on the way to `path`, open as `link` in `folder`:
// unless it is one too many or another user's, the names of its target go
// before the pending ones.
std::optional<FileFailure> followLink(const QByteArray &path, int link, const struct stat &status, int links,
                                      QByteArrayList &pending, UniqueFd &folder)
{
    if (links > kMostLinks)
        return fileFailure(path, FileFailureReason::ReadFailed, ELOOP);
    if (isForeignLink(status, folder.get()))
        return FileFailure{path, FileFailureReason::ForeignLink, {}};
    if (const int error = expandLink(link, pending, folder))
        return fileFailure(path, FileFailureReason::ReadFailed, error);
    return std::nullopt;
}

}   // namespace

std::optional<FileFailure> locateFile(const QByteArray &path, FileLocation &location)
{
    if (locateWithoutLinks(path, location))
        return std::nullopt;

    // One name at a time, each opened without following it, so that a link
    // is seen, judged and read through the very descriptor that was opened.
    const auto failed = [&path](int error) { return fileFailure(path, FileFailureReason::ReadFailed, error); };
    UniqueFd folder(openRoot(path.startsWith('/')));
    if (!folder.isValid())
        return failed(errno);
    QByteArrayList pending = path.split('/');
    int links = 0;
    while (!pending.isEmpty()) {
        const QByteArray name = pending.takeFirst();
        const bool last = pending.isEmpty();
        if (!last && (name.isEmpty() || name == "."))
            continue;
        if (name.isEmpty())
            return failed(EISDIR);
        UniqueFd entry(::openat(folder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status
        {
        };
        if (!entry.isValid() || ::fstat(entry.get(), &status) != 0)
            return failed(errno);
        if (S_ISLNK(status.st_mode)) {
            if (auto failure = followLink(path, entry.get(), status, ++links, pending, folder))
                return failure;
            continue;
        }
        if (last) {
            location.folder = std::make_shared<const OpenFolder>(OpenFolder{std::move(folder)});
            location.name = name;
            return std::nullopt;
        }
        if (!S_ISDIR(status.st_mode))
            return failed(ENOTDIR);
        folder = std::move(entry);
    }
    return failed(EISDIR);
}

bool FolderCache::locate(const QByteArray &path, FileLocation &location)
{
    const QByteArray name = plainName(path);
    if (name.isEmpty())
        return false;
    const QByteArray folder = folderOf(path);
    if (!m_folder || folder != m_path) {
        UniqueFd fd(openFolderWithoutLinks(folder));
        struct stat status
        {
        };
        if (!fd.isValid() || ::fstat(fd.get(), &status) != 0)
            return false;
        m_folder = std::make_shared<const OpenFolder>(OpenFolder{std::move(fd), status.st_gid});
        m_path = folder;
    }
    location.folder = m_folder;
    location.name = name;
    return true;
}
