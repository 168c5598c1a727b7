#include "filelistview.h"
#include "dropintake.h"
#include "filelistmodel.h"
#include "filesystem.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QMessageBox>

namespace {

// 1440 twips, one inch: 96 logical pixels, which high-DPI scaling turns into
// the screen's inch.
constexpr int ColumnWidth = 96;

const QString MessageTitle = QStringLiteral("Textorum");

} // namespace

FileListView::FileListView(QWidget *parent)
    : QTreeView(parent)
    , m_model(new FileListModel(this))
    , m_fileSystem(std::make_unique<LocalFileSystem>())
{
    setObjectName(QStringLiteral("LVFile"));
    setModel(m_model);

    // A flat list: no branch column, and with rows of one height the view
    // never measures 100,000 rows to scroll.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    header()->setStretchLastSection(false);
    header()->setDefaultSectionSize(ColumnWidth);

    // The palette is left alone: its Base and Text are the system's window colours.
    setToolTip(QStringLiteral("Drag and Drop file(s) here to be edited"));
    setAcceptDrops(true);
}

FileListView::~FileListView() = default;

void FileListView::setFileSystem(std::unique_ptr<FileSystem> fileSystem)
{
    m_fileSystem = std::move(fileSystem);
}

void FileListView::LVFile_OLEDragDrop(const QMimeData *dropData)
{
    const QStringList names = droppedFilePaths(dropData);
    if (names.isEmpty()) {
        warnInvalidDrop();
        return;
    }
    QList<QByteArray> paths;
    for (const QString &name : names)
        paths.append(QFile::encodeName(name));
    addPaths(paths);
}

void FileListView::addPaths(const QList<QByteArray> &paths)
{
    for (const QByteArray &bytes : paths) {
        const QString path = QFile::decodeName(bytes);
        bool added = true;
        if (m_fileSystem->FileExists(path))
            added = addFileRow(*m_model, *m_fileSystem, path);
        else if (m_fileSystem->FolderExists(path))
            added = addFolderRow(*m_model, *m_fileSystem, path);
        else if (askAddAnyway(path))
            addMissingRow(*m_model, path);
        if (!added) {
            warnInvalidDrop();
            return;
        }
    }
}

bool FileListView::askAddAnyway(const QString &path)
{
    QMessageBox box(QMessageBox::Question, MessageTitle,
                    QStringLiteral("The file/folder you are attempting to add does not exists: ")
                        + path + QStringLiteral("\r\nAdd anyway?"),
                    QMessageBox::Yes | QMessageBox::No, window());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void FileListView::warnInvalidDrop()
{
    QMessageBox box(QMessageBox::Warning, MessageTitle,
                    QStringLiteral("Please Drag and Drop Valid Files Only"), QMessageBox::Ok,
                    window());
    box.exec();
}

// Any drag from outside is welcome; what it carries is judged on the drop.
void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    event->acceptProposedAction();
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    event->acceptProposedAction();
}

void FileListView::dropEvent(QDropEvent *event)
{
    LVFile_OLEDragDrop(event->mimeData());
    event->acceptProposedAction();
}
