#pragma once

#include <QTreeView>

class FileListModel;

// LVFile: the report-style list of files to edit. Files and folders dropped
// on it from the desktop become rows (LVFile_OLEDragDrop).
class FileListView : public QTreeView
{
    Q_OBJECT
public:
    explicit FileListView(QWidget *parent = nullptr);

    FileListModel *fileModel() const { return m_model; }

    void LVFile_OLEDragDrop(const class QMimeData *data);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    FileListModel *m_model;
};
