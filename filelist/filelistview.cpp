#include "filelistview.h"
#include "filelistmodel.h"

FileListView::FileListView(QWidget *parent) : QTreeView(parent), m_model(new FileListModel(this)) { setModel(m_model); }
void FileListView::LVFile_OLEDragDrop(const QMimeData *) {}
void FileListView::dragEnterEvent(QDragEnterEvent *) {}
void FileListView::dragMoveEvent(QDragMoveEvent *) {}
void FileListView::dropEvent(QDropEvent *) {}
