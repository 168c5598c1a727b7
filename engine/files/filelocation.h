#pragma once

#include "filefailure.h"
#include "uniquefd.h"

#include <QByteArray>

#include <optional>

// Where a listed file lies: its folder, held open (O_PATH), and its name in
// that folder. Whatever then happens to the path's folders, the file is
// opened, checked, replaced and written through these two and nothing else.
struct FileLocation
{
    UniqueFd folder;
    QByteArray name;
};

// Finds the folder and name of `path`, following symbolic links as the
// kernel does, with one exception: a link that belongs to another user than
// the effective one (and not to root), in a folder that user may write, is
// not followed, as that user could point it anywhere at any moment
// (ForeignLink). `path` itself may be a link; its final target is located.
std::optional<FileFailure> locateFile(const QByteArray &path, FileLocation &location);
