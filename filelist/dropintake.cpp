#include "dropintake.h"
#include "columntexts.h"
#include "filelistmodel.h"
#include "filesystem.h"

#include <QMimeData>
#include <QUrl>

// QUrl::toLocalFile() decodes the path into a QString, which turns a byte
// that is not UTF-8 into U+FFFD and so names another file. The encoded path
// keeps such a byte as "%E9", and percent-decoding that gives the byte back.
// A host name becomes a leading "//host", as toLocalFile() writes it.
QList<QByteArray> localFilePaths(const QList<QUrl> &urls)
{
    QList<QByteArray> paths;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            return {};
        QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (path.isEmpty())
            return {};
        if (!url.host().isEmpty())
            path.prepend("//" + url.host().toUtf8());
        paths.append(path);
    }
    return paths;
}

QList<QByteArray> droppedFilePaths(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    return localFilePaths(data->urls());
}

bool addFileRow(FileListModel &model, const FileSystem &fileSystem, const QByteArray &path)
{
    const int row = model.appendRow();
    model.setText(row, FileColumn::Name, readablePath(FileSystem::GetFileName(path)));
    model.setTag(row, path);

    const std::optional<qint64> length = fileSystem.FileLength(path);
    if (!length)
        return false;
    model.setText(row, FileColumn::Size, fileSizeText(*length));

    const std::optional<FileDescription> file = fileSystem.GetFile(path);
    if (!file)
        return false;
    model.setText(row, FileColumn::Location, readablePath(file->parentFolderPath));
    model.setText(row, FileColumn::Accessed, dateText(file->dateLastAccessed));
    model.setText(row, FileColumn::Modified, dateText(file->dateLastModified));
    model.setText(row, FileColumn::Created, dateText(file->dateCreated));
    model.setText(row, FileColumn::Type, file->type);
    return true;
}

bool addFolderRow(FileListModel &model, const FileSystem &fileSystem, const QByteArray &path)
{
    const int row = model.appendRow();
    const std::optional<FolderDescription> named = fileSystem.GetFolder(path);
    if (!named)
        return false;
    model.setText(row, FileColumn::Name, readablePath(named->path));
    model.setTag(row, path);
    model.setText(row, FileColumn::Location, readablePath(FileSystem::GetParentFolderName(path)));

    // The size is asked of the path now standing in the row's name, the
    // cleaned full path, not of the dropped one (which may end in '/'). It is
    // asked in its bytes: the name column shows it readably, not exactly.
    const std::optional<FolderDescription> sized = fileSystem.GetFolder(named->path);
    if (!sized)
        return false;
    const std::optional<qint64> totalSize = fileSystem.FolderSize(sized->path);
    if (!totalSize)
        return false;
    model.setText(row, FileColumn::Size, folderSizeText(*totalSize));

    const std::optional<FolderDescription> dated = fileSystem.GetFolder(path);
    if (!dated)
        return false;
    model.setText(row, FileColumn::Accessed, dateText(dated->dateLastAccessed));
    model.setText(row, FileColumn::Modified, dateText(dated->dateLastModified));
    return true;
}

void addMissingRow(FileListModel &model, const QByteArray &path)
{
    const int row = model.appendRow();
    model.setText(row, FileColumn::Name, readablePath(FileSystem::GetFileName(path)));
    model.setTag(row, path);
    model.setText(row, FileColumn::Size, QStringLiteral("n/a"));
    model.setText(row, FileColumn::Location, readablePath(FileSystem::GetParentFolderName(path)));
}
