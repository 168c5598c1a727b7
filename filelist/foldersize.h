#pragma once

#include <QByteArray>

#include <optional>

// The sum of the lengths of the regular files in the tree under folderPath, at
// any depth. Symbolic links are neither followed nor counted (a link's own
// length is the length of a path, not of file content, and following links to
// folders could loop or count files outside the tree); pipes, sockets and
// devices count nothing either. Empty when any part of the tree cannot be
// read: a partial sum would show a size that is plainly too small.
std::optional<qint64> folderTreeSize(const QByteArray &folderPath);
