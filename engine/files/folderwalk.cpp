#include "folderwalk.h"

#include "uniquefd.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A file is taken for binary when its first bytes, this many, hold a NUL.
constexpr qint64 kSniffedBytes = 8 * 1024;

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

unsigned char typeOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return DT_DIR;
    if (S_ISREG(mode))
        return DT_REG;
    if (S_ISLNK(mode))
        return DT_LNK;
    return DT_FIFO;   // any other kind: never offered
}

// UTF-16 LE or BE, or UTF-32 LE (FF FE 00 00, so caught by the first test) or BE.
bool startsWithWideByteOrderMark(const unsigned char *bytes, qint64 length)
{
    if (length >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
        return true;
    return length >= 4 && bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0xFE && bytes[3] == 0xFF;
}

// Opens a file to read its first bytes, without touching its access time
// where the user may ask for that (O_NOATIME: files of their own). The
// access time is the edit's to set: measured on ext4 (relatime) over 9,600
// copied headers, letting this peek set it doubled the system time of the
// whole run that edited them.
int openToPeek(int folderFd, const QByteArray &name)
{
    constexpr int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    const int fd = ::openat(folderFd, name.constData(), flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM)
        return fd;
    return ::openat(folderFd, name.constData(), flags);
}

WalkStep skipped(QByteArray path, WalkSkip why)
{
    WalkStep step;
    step.kind = WalkStep::Kind::Skipped;
    step.path = std::move(path);
    step.skip = why;
    return step;
}

// A regular file, or a link to one, is offered unless its first bytes say it
// is binary. Whatever stops the status or the first read here (a file that
// vanished or may not be read) is left to the edit's own open to report.
WalkStep offer(int folderFd, const QByteArray &name, unsigned char type, QByteArray path)
{
    if (type != DT_REG && type != DT_LNK)
        return skipped(std::move(path), WalkSkip::NotRegularFile);
    WalkStep step;
    step.kind = WalkStep::Kind::File;
    const int statusFlags = type == DT_LNK ? 0 : AT_SYMLINK_NOFOLLOW;
    if (::fstatat(folderFd, name.constData(), &step.status, statusFlags) != 0) {
        // A link to nothing, or one link of a loop of links.
        if (type == DT_LNK && (errno == ENOENT || errno == ELOOP))
            return skipped(std::move(path), WalkSkip::NotRegularFile);
        step.status = {};
    } else if (!S_ISREG(step.status.st_mode)) {
        // Links to folders are never followed.
        return skipped(std::move(path), WalkSkip::NotRegularFile);
    }
    step.path = std::move(path);
    if (step.status.st_size == 0)
        return step;

    const UniqueFd fd(openToPeek(folderFd, name));
    if (!fd.isValid())
        return step;
    unsigned char head[kSniffedBytes];
    const ssize_t got = ::pread(fd.get(), head, size_t(std::min<qint64>(kSniffedBytes, step.status.st_size)), 0);
    if (got > 0 && std::memchr(head, 0, size_t(got)))
        return skipped(std::move(step.path),
                       startsWithWideByteOrderMark(head, got) ? WalkSkip::Utf16Text : WalkSkip::Binary);
    return step;
}

}   // namespace

// One open folder on the way down: its descriptor, the path its entries'
// paths start with, and its entry names not yet offered, sorted.
struct FolderWalk::Level
{
    // A folder's name ends with "/" here, so that sorting the names sorts the
    // paths below them: "a-b" (0x2D) comes before "a/x" (0x2F), "a.c" after.
    struct Entry
    {
        QByteArray key;
        unsigned char type = DT_UNKNOWN;
    };

    explicit Level(DIR *folder, QByteArray pathPrefix) : dir(folder), prefix(std::move(pathPrefix)) {}
    ~Level() { ::closedir(dir); }
    Level(const Level &) = delete;
    Level &operator=(const Level &) = delete;

    int fd() const { return ::dirfd(dir); }

    DIR *dir;
    QByteArray prefix;
    std::vector<Entry> entries;
    size_t next = 0;
};

FolderWalk::FolderWalk(const QByteArray &folder) : m_start(folder) {}

FolderWalk::~FolderWalk() = default;

WalkStep FolderWalk::next()
{
    if (!m_started) {
        m_started = true;
        const QByteArray prefix = m_start.endsWith('/') ? m_start : m_start + '/';
        // The listed folder itself may be a link: it was listed, as a listed
        // file may be a link.
        if (const int error = enter(AT_FDCWD, m_start, prefix, 0))
            return {WalkStep::Kind::FolderFailed, m_start, {}, error, {}};
    }
    while (!m_levels.empty()) {
        Level &level = *m_levels.back();
        if (level.next == level.entries.size()) {
            m_levels.pop_back();
            continue;
        }
        Level::Entry &entry = level.entries[level.next++];
        QByteArray name = std::move(entry.key);
        const bool isFolder = entry.type == DT_DIR;
        if (isFolder)
            name.chop(1);
        QByteArray path = level.prefix + name;
        if (name.startsWith('.'))
            return skipped(std::move(path), WalkSkip::Hidden);
        if (!isFolder)
            return offer(level.fd(), name, entry.type, std::move(path));
        if (const int error = enter(level.fd(), name, path + '/', O_NOFOLLOW))
            return {WalkStep::Kind::FolderFailed, std::move(path), {}, error, {}};
    }
    return {};
}

int FolderWalk::enter(int parentFd, const QByteArray &name, QByteArray pathPrefix, int openFlags)
{
    UniqueFd fd(::openat(parentFd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | openFlags));
    if (!fd.isValid())
        return errno;
    DIR *dir = ::fdopendir(fd.get());
    if (!dir)
        return errno;
    fd.release();   // the stream closes it
    auto level = std::make_unique<Level>(dir, std::move(pathPrefix));
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                return errno;
            break;
        }
        if (isDotOrDotDot(entry->d_name))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat status
            {
            };
            // Unknown and not even a status: offered as a file, whose open
            // then says what is wrong.
            type = ::fstatat(level->fd(), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0
                       ? typeOf(status.st_mode)
                       : static_cast<unsigned char>(DT_REG);
        }
        QByteArray key(entry->d_name);
        if (type == DT_DIR)
            key += '/';
        level->entries.push_back({std::move(key), type});
    }
    std::sort(level->entries.begin(), level->entries.end(),
              [](const Level::Entry &a, const Level::Entry &b) { return a.key < b.key; });
    m_levels.push_back(std::move(level));
    return 0;
}

bool isExistingFolder(const QByteArray &path)
{
    struct stat status
    {
    };
    return ::stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}
