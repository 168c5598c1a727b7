#include "filelistmodel.h"

int FileListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }
int FileListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(FileColumn::Count); }
QVariant FileListModel::data(const QModelIndex &, int) const { return {}; }
QVariant FileListModel::headerData(int, Qt::Orientation, int) const { return {}; }
int FileListModel::appendRow() { return -1; }
void FileListModel::setText(int, FileColumn, const QString &) {}
void FileListModel::setTag(int, const QString &) {}
QString FileListModel::tag(qint64) const { return {}; }
void FileListModel::removeAllRows() {}
