#include "changedfilesmodel.h"

#include "runcaptions.h"

int ChangedFilesModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ChangedFilesModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ChangedFilesModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows.at(index.row());
    if (index.column() == File) {
        // Bytes of the name that are not UTF-8 show as U+FFFD.
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return QString::fromUtf8(row.file.path);
        if (role == Qt::CheckStateRole && m_tickable)
            return row.ticked ? Qt::Checked : Qt::Unchecked;
    } else if (role == Qt::DisplayRole && m_tickable) {
        return occurrencesText(row.file.occurrences);
    }
    return {};
}

bool ChangedFilesModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || index.column() != File
        || role != Qt::CheckStateRole || !m_tickable)
        return false;
    bool &ticked = m_rows[index.row()].ticked;
    const bool nowTicked = value.value<Qt::CheckState>() == Qt::Checked;
    m_tickedCount += int(nowTicked) - int(ticked);
    ticked = nowTicked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ChangedFilesModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == File && m_tickable)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant ChangedFilesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == File ? QStringLiteral("File") : QStringLiteral("Occurrences");
}

void ChangedFilesModel::reset(bool tickable)
{
    beginResetModel();
    m_rows.clear();
    m_tickedCount = 0;
    m_tickable = tickable;
    endResetModel();
}

void ChangedFilesModel::append(const QList<PreviewedFile> &files)
{
    if (files.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + files.size() - 1));
    for (const PreviewedFile &file : files)
        m_rows.append({file, true});
    m_tickedCount += files.size();
    endInsertRows();
}

QList<PreviewedFile> ChangedFilesModel::tickedFiles() const
{
    QList<PreviewedFile> ticked;
    for (const Row &row : m_rows) {
        if (row.ticked)
            ticked.append(row.file);
    }
    return ticked;
}
