#pragma once

#include "filefailure.h"
#include "uniquefd.h"

#include <QByteArray>

#include <memory>
#include <optional>

#include <sys/types.h>

// A folder held open (O_PATH), shared by the files located in it, with its
// group where it was asked for: a new file in it may get that group.
struct OpenFolder
{
    UniqueFd fd;
    gid_t group = gid_t(-1);   // not known
};
using SharedFolder = std::shared_ptr<const OpenFolder>;

// Where a listed file lies: its folder, held open (O_PATH), and its name in
// that folder. Whatever then happens to the path's folders, the file is
// opened, checked, replaced and written through these two and nothing else.
struct FileLocation
{
    SharedFolder folder;
    QByteArray name;

    int folderFd() const { return folder ? folder->fd.get() : -1; }
};

// The folder of the file located last, kept open for the next file in the
// same folder, so that a run over the files of one folder looks its path up
// once. Only a path without symbolic links is kept; a file it cannot locate
// is left to locateFile().
class FolderCache
{
public:
    // Locates `path` when its folder has no link on the way and its name is
    // a plain one; false otherwise (nothing is set).
    bool locate(const QByteArray &path, FileLocation &location);
    // Lets the folder go, so that nothing holds it once a run is over.
    void clear() { *this = {}; }

private:
    QByteArray m_path;
    SharedFolder m_folder;
};

// Finds the folder and name of `path`, following symbolic links as the
// kernel does, with one exception: a link that belongs to another user than
// the effective one (and not to root), in a folder that user may write, is
// not followed, as that user could point it anywhere at any moment
// (ForeignLink). `path` itself may be a link; its final target is located.
std::optional<FileFailure> locateFile(const QByteArray &path, FileLocation &location);
