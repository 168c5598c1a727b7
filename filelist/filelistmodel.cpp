#include "filelistmodel.h"

namespace {

QString columnHeader(FileColumn column)
{
    switch (column) {
    case FileColumn::Name:
        return QStringLiteral("File");
    case FileColumn::Size:
        return QStringLiteral("Size");
    case FileColumn::Location:
        return QStringLiteral("File Path Location");
    case FileColumn::Accessed:
        return QStringLiteral("Last Accessed");
    case FileColumn::Modified:
        return QStringLiteral("Modified");
    case FileColumn::Created:
        return QStringLiteral("Created");
    case FileColumn::Type:
        return QStringLiteral("Type");
    case FileColumn::Spare1:
    case FileColumn::Spare2:
    case FileColumn::Count:
        break;
    }
    return {};
}

// Header and cells share the alignment, as in a report-style list.
Qt::Alignment columnAlignment(FileColumn column)
{
    const Qt::Alignment horizontal = column == FileColumn::Size ? Qt::AlignRight : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}

bool isColumn(int section)
{
    return section >= 0 && section < int(FileColumn::Count);
}

}   // namespace

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FileColumn::Count);
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto column = FileColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return m_rows.at(index.row()).texts[size_t(column)];
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnAlignment(column));
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || !isColumn(section))
        return {};
    const auto column = FileColumn(section);
    switch (role) {
    case Qt::DisplayRole:
        return columnHeader(column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columnAlignment(column));
    default:
        return {};
    }
}

int FileListModel::appendRow()
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.append(FileEntry{});
    endInsertRows();
    return row;
}

void FileListModel::setText(int row, FileColumn column, const QString &text)
{
    m_rows[row].texts[size_t(column)] = text;
    const QModelIndex cell = index(row, int(column));
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void FileListModel::setTag(int row, const QByteArray &tag)
{
    // The tag is not shown, so no view needs to hear of it.
    m_rows[row].tag = tag;
}

QByteArray FileListModel::tag(qint64 position) const
{
    return m_rows.at(position - 1).tag;
}

bool FileListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_rows.remove(row, count);
    endRemoveRows();
    return true;
}

void FileListModel::removeAllRows()
{
    removeRows(0, rowCount());
}
