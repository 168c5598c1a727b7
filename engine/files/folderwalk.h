#pragma once

#include <QByteArray>

#include <memory>
#include <sys/stat.h>
#include <vector>

// Why a walk passes an entry of a folder by without offering it for editing.
enum class WalkSkip {
    Hidden,           // its name begins with "." (a folder's whole tree with it)
    NotRegularFile,   // a FIFO, socket or device; a link to a folder or to nothing
    Binary,           // a NUL byte in its first 8 KiB
    Utf16Text,        // the same, after a UTF-16 or UTF-32 byte-order mark
    Count
};

// One step of a walk.
struct WalkStep
{
    enum class Kind { File, Skipped, FolderFailed, End };
    Kind kind = Kind::End;
    QByteArray path;                    // the folder's path as given, then the names below it
    WalkSkip skip = WalkSkip::Hidden;   // when Skipped
    int error = 0;                      // when FolderFailed: the errno of opening or reading it
    struct stat status
    {
    };   // when File: the file's status, through a link
};

// The regular files in the tree under a folder, at any depth, one at a time,
// in the byte order of their paths, with what it passes by and why.
//
// It streams: only the folders on the way down to the current entry are open,
// each holding its remaining entry names, so memory grows with the tree's
// depth and the width of those folders, never with the whole tree. Each
// folder is opened relative to its parent's descriptor without following a
// link (openat, O_NOFOLLOW, O_DIRECTORY), so the walk cannot loop or leave
// the tree, also when a folder is swapped for a link while it runs. A link to
// a regular file is offered as the file it names.
class FolderWalk
{
public:
    explicit FolderWalk(const QByteArray &folder);
    ~FolderWalk();
    FolderWalk(const FolderWalk &) = delete;
    FolderWalk &operator=(const FolderWalk &) = delete;

    // The next file, skipped entry or folder that could not be read (the walk
    // goes on past it); End once the tree is done.
    WalkStep next();

private:
    struct Level;

    // Opens the folder `name` in the folder `parentFd` (the starting folder:
    // AT_FDCWD) and reads its names into a new level; 0, or the errno of
    // opening or reading it.
    int enter(int parentFd, const QByteArray &name, QByteArray pathPrefix, int openFlags);

    QByteArray m_start;
    bool m_started = false;
    std::vector<std::unique_ptr<Level>> m_levels;
};

// True when `path` names an existing folder, after following symbolic links.
bool isExistingFolder(const QByteArray &path);
