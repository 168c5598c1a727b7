#include "filelistview.h"
#include "dropintake.h"
#include "filelistmodel.h"
#include "filesystem.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

namespace {

// 1440 twips, one inch: 96 logical pixels, which high-DPI scaling turns into
// the screen's inch.
constexpr int ColumnWidth = 96;

const QString MessageTitle = QStringLiteral("Textorum");

}   // namespace

FileListView::FileListView(QWidget *parent)
    : QTreeView(parent)
    , m_model(new FileListModel(this))
    , m_fileSystem(std::make_unique<LocalFileSystem>())
    , m_removeAction(new QAction(QStringLiteral("Remove from List"), this))
{
    setObjectName(QStringLiteral("LVFile"));
    setModel(m_model);

    // A flat list: no branch column, and with rows of one height the view
    // never measures 100,000 rows to scroll.
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    header()->setStretchLastSection(false);
    header()->setDefaultSectionSize(ColumnWidth);

    // The palette is left alone: its Base and Text are the system's window colours.
    setToolTip(QStringLiteral("Drag and Drop file(s) here to be edited"));
    setAcceptDrops(true);

    m_removeAction->setObjectName(QStringLiteral("mnuRemove"));
    m_removeAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    // Only while the list has the focus: in the Find and With boxes
    // Shift+Del cuts text.
    m_removeAction->setShortcutContext(Qt::WidgetShortcut);
    addAction(m_removeAction);
    connect(m_removeAction, &QAction::triggered, this, &FileListView::removeSelectedRows);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &FileListView::updateRemoveAction);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &FileListView::updateRemoveAction);
    updateRemoveAction();
}

FileListView::~FileListView() = default;

void FileListView::setFileSystem(std::unique_ptr<FileSystem> fileSystem)
{
    m_fileSystem = std::move(fileSystem);
}

void FileListView::setRemovalLocked(bool locked)
{
    m_removalLocked = locked;
    updateRemoveAction();
}

void FileListView::updateRemoveAction()
{
    m_removeAction->setEnabled(!m_removalLocked && selectionModel()->hasSelection());
}

// From the last selected row up, a block of neighbouring rows at a time.
// The row that then takes the focus is selected, so that the next Shift+Del
// goes on down the list.
void FileListView::removeSelectedRows()
{
    if (m_removalLocked)
        return;
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (qsizetype first = 0; first < rows.size();) {
        qsizetype last = first;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] - 1)
            ++last;
        m_model->removeRows(rows[last], int(last - first + 1));
        first = last + 1;
    }
    if (!rows.isEmpty() && currentIndex().isValid())
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// The Menu key opens the menu at the current row rather than where the
// pointer happens to be.
void FileListView::contextMenuEvent(QContextMenuEvent *event)
{
    QPoint where = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard && currentIndex().isValid())
        where = viewport()->mapToGlobal(visualRect(currentIndex()).bottomLeft());
    QMenu menu(this);
    menu.addAction(m_removeAction);
    menu.exec(where);
}

bool FileListView::isTextCut(const QModelIndex &cell) const
{
    if (!cell.isValid())
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(cell);
    return itemDelegateForIndex(cell)->sizeHint(option, cell).width() > option.rect.width();
}

bool FileListView::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex cell = indexAt(help->pos());
        if (isTextCut(cell)) {
            // Plain text: a name such as "a <b>b</b>.txt" is a name, not markup.
            QToolTip::showText(help->globalPos(),
                               Qt::convertFromPlainText(cell.data().toString(), Qt::WhiteSpaceNormal), viewport(),
                               visualRect(cell));
            return true;
        }
    }
    return QTreeView::viewportEvent(event);
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
                    QStringLiteral("The file/folder you are attempting to add does not exists: ") + readablePath(path)
                        + QStringLiteral("\r\nAdd anyway?"),
                    QMessageBox::Yes | QMessageBox::No, window());
    // A name such as "notes <b>old</b>.txt" is a name, not markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void FileListView::warnInvalidDrop()
{
    QMessageBox box(QMessageBox::Warning, MessageTitle, QStringLiteral("Please Drag and Drop Valid Files Only"),
                    QMessageBox::Ok, window());
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
