#include "filelistview.h"
#include "dropintake.h"
#include "filelistmodel.h"
#include "filesystem.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
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
    const QList<QByteArray> paths = droppedFilePaths(dropData);
    if (paths.isEmpty())
        warnInvalidDrop();
    else
        addPaths(paths);
}

void FileListView::addPaths(const QList<QByteArray> &paths)
{
    for (const QByteArray &path : paths) {
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

bool FileListView::askAddAnyway(const QByteArray &path)
{
    QMessageBox box(QMessageBox::Question, MessageTitle,
                    QStringLiteral("The file/folder you are attempting to add does not exists: ")
                        + readablePath(path) + QStringLiteral("\r\nAdd anyway?"),
                    QMessageBox::Yes | QMessageBox::No, window());
    // A name such as "notes <b>old</b>.txt" is a name, not markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void FileListView::warnInvalidDrop()
{
    QMessageBox box(QMessageBox::Warning, MessageTitle,
                    QStringLiteral("Please Drag and Drop Valid Files Only"), QMessageBox::Ok,
                    window());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// The list only takes the names, so the source is never told "Move": a file
// manager that hears a move was done may delete the originals. Copy is what
// happened; Link will do for a source that offers nothing else. A source that
// offers neither (Move alone) is refused, as Qt would not let the drop be
// called anything but Move.
void FileListView::acceptAsCopy(QDropEvent *event)
{
    const Qt::DropActions offered = event->possibleActions();
    if (offered & Qt::CopyAction) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else if (offered & Qt::LinkAction) {
        event->setDropAction(Qt::LinkAction);
        event->accept();
    } else {
        event->ignore();
    }
}

// Any drag that can be taken as a Copy or a Link is welcome; what it carries
// is judged on the drop.
void FileListView::dragEnterEvent(QDragEnterEvent *event)
{
    acceptAsCopy(event);
}

void FileListView::dragMoveEvent(QDragMoveEvent *event)
{
    acceptAsCopy(event);
}

void FileListView::dropEvent(QDropEvent *event)
{
    acceptAsCopy(event);
    if (event->isAccepted())
        LVFile_OLEDragDrop(event->mimeData());
}
