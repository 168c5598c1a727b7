#pragma once

#include "fileentry.h"

#include <QAbstractTableModel>
#include <QList>

// The rows of LVFile in the order they were added: no key, no sorting,
// duplicates allowed. Positions given to tag() are 1-based, like the rows the
// edit run walks; everything else uses Qt's 0-based rows.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;

    // Appends an empty row and returns its 0-based row number.
    int appendRow();
    void setText(int row, FileColumn column, const QString &text);
    void setTag(int row, const QByteArray &tag);
    const FileEntry &entry(int row) const { return m_rows.at(row); }
    // The tag of the row at 1-based position.
    QByteArray tag(qint64 position) const;
    void removeAllRows();

private:
    QList<FileEntry> m_rows;
};
