#pragma once

#include <QTreeView>

#include <memory>

class FileListModel;
class FileSystem;
class QAction;
class QDropEvent;
class QMimeData;

// LVFile: the report-style list of files to edit. Files and folders dropped
// on it from the desktop become rows (LVFile_OLEDragDrop). "Remove from List"
// (Shift+Del, and the list's context menu) takes the selected rows off the
// list and leaves their files alone. A cell whose text is cut shows its whole
// text as its tooltip; elsewhere the list's own tooltip shows.
class FileListView : public QTreeView
{
    Q_OBJECT
public:
    explicit FileListView(QWidget *parent = nullptr);
    ~FileListView() override;

    FileListModel *fileModel() const { return m_model; }

    // Replaces the file system the drops are checked against (tests make it fail).
    void setFileSystem(std::unique_ptr<FileSystem> fileSystem);

    // Turns every path into a row, in the order given: a file row, a folder
    // row, or after a question a row for a missing path. The first failure
    // ends it with a warning and keeps the rows added so far.
    void addPaths(const QList<QByteArray> &paths);

    // Adds the dropped names as addPaths() does; a drop without file names
    // gives the warning.
    void LVFile_OLEDragDrop(const QMimeData *dropData);

    // While an edit run walks the rows by their positions, taking one out
    // would move the rows it has still to visit.
    void setRemovalLocked(bool locked);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool askAddAnyway(const QByteArray &path);
    void warnInvalidDrop();
    static void acceptAsCopy(QDropEvent *event);
    void removeSelectedRows();
    void updateRemoveAction();
    bool isTextCut(const QModelIndex &cell) const;

    FileListModel *m_model;
    std::unique_ptr<FileSystem> m_fileSystem;
    QAction *m_removeAction;
    bool m_removalLocked = false;
};
