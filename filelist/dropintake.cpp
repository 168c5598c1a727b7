#include "dropintake.h"
#include "columntexts.h"
#include "filelistmodel.h"
#include "filesystem.h"

#include <QMimeData>
#include <QUrl>

QStringList droppedFilePaths(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl &url : data->urls()) {
        const QString path = url.toLocalFile();
        if (path.isEmpty())
            return {};
        paths.append(path);
    }
    return paths;
}

bool addFileRow(FileListModel &model, const FileSystem &fileSystem, const QString &path)
{
    const int row = model.appendRow();
    model.setText(row, FileColumn::Name, FileSystem::GetFileName(path));
    model.setTag(row, path);

    const std::optional<qint64> length = fileSystem.FileLength(path);
    if (!length)
        return false;
    model.setText(row, FileColumn::Size, fileSizeText(*length));

    const std::optional<FileDescription> file = fileSystem.GetFile(path);
    if (!file)
        return false;
    model.setText(row, FileColumn::Location, file->parentFolderPath);
    model.setText(row, FileColumn::Accessed, dateText(file->dateLastAccessed));
    model.setText(row, FileColumn::Modified, dateText(file->dateLastModified));
    model.setText(row, FileColumn::Created, dateText(file->dateCreated));
    model.setText(row, FileColumn::Type, file->type);
    return true;
}

bool addFolderRow(FileListModel &model, const FileSystem &fileSystem, const QString &path)
{
    const int row = model.appendRow();
    const std::optional<FolderDescription> named = fileSystem.GetFolder(path);
    if (!named)
        return false;
    model.setText(row, FileColumn::Name, named->path);
    model.setTag(row, path);
    model.setText(row, FileColumn::Location, FileSystem::GetParentFolderName(path));

    // The size is asked of the path now standing in the row's name, the
    // cleaned full path, not of the dropped one (which may end in '/').
    const QString rowName = model.entry(row).texts[size_t(FileColumn::Name)];
    const std::optional<FolderDescription> sized = fileSystem.GetFolder(rowName);
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

void addMissingRow(FileListModel &model, const QString &path)
{
    const int row = model.appendRow();
    model.setText(row, FileColumn::Name, FileSystem::GetFileName(path));
    model.setTag(row, path);
    model.setText(row, FileColumn::Size, QStringLiteral("n/a"));
    model.setText(row, FileColumn::Location, FileSystem::GetParentFolderName(path));
}
