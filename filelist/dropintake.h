#pragma once

#include <QByteArray>
#include <QList>

class FileListModel;
class FileSystem;
class QMimeData;
class QUrl;

// The full paths the URLs name, in the order given, each in the exact bytes
// its URL names (a name that is not UTF-8 included). Empty when any URL names
// no local file (a web link), since such URLs hold no list of files.
QList<QByteArray> localFilePaths(const QList<QUrl> &urls);

// The full paths a drop delivers, as localFilePaths(); empty also when the
// drop carries no URLs at all (text, an image).
QList<QByteArray> droppedFilePaths(const QMimeData *data);

// Each fills a new row for the dropped path in a fixed order of steps and
// stops at the first query that fails, returning false and leaving the row as
// far as it got (a file whose length cannot be read keeps name and tag only).
bool addFileRow(FileListModel &model, const FileSystem &fileSystem, const QByteArray &path);
bool addFolderRow(FileListModel &model, const FileSystem &fileSystem, const QByteArray &path);
// The row for a path that exists neither as file nor as folder.
void addMissingRow(FileListModel &model, const QByteArray &path);
