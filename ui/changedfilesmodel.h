#pragma once

#include "previewedfile.h"

#include <QAbstractTableModel>
#include <QList>

// The files of the Changes window: those a preview found would change, each
// with its occurrences of the Find text and a tick (all ticked at first), or
// those the last run changed.
class ChangedFilesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { File, Occurrences, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Empties the list; `tickable` says whether its files will have ticks.
    void reset(bool tickable);
    // Adds files at the end, ticked.
    void append(const QList<PreviewedFile> &files);

    const PreviewedFile &file(int row) const { return m_rows.at(row).file; }
    QList<PreviewedFile> tickedFiles() const;
    bool hasTicked() const { return m_tickedCount > 0; }

private:
    struct Row
    {
        PreviewedFile file;
        bool ticked = true;
    };
    QList<Row> m_rows;
    bool m_tickable = true;
    qsizetype m_tickedCount = 0;
};
