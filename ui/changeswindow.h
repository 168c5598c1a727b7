#pragma once

#include "editpreview.h"

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

class ChangedFilesModel;
class DiffView;
class EditRun;
class QAction;
class QLabel;
class QModelIndex;
class QPushButton;
class QSplitter;
class QTreeView;

// The Changes window: the files a preview of the edit found would change, or
// those the last edit run changed, and the diff of the one selected. Not
// modal; the main window keeps one and shows it again. A preview fills the
// list as it goes, with its progress and Stop in the window's own status
// line; Execute Ticked Files then edits the ticked files as previewed, and in
// a review Undo Last Edit Run does what the File menu's entry does.
class ChangesWindow : public QWidget, private PreviewDisplay
{
    Q_OBJECT
public:
    ChangesWindow(EditRun &run, QAction *undoEntry, QWidget *parent);
    ~ChangesWindow() override;

    // Shows the window and previews the edit of `rows` by the texts and ticks
    // of `inputs` as they are now, until it ends or is stopped.
    void preview(const EditInputs &inputs, FileRows &rows);
    // Shows the window with the files the last run that changed files changed.
    void review();
    // Ends a preview in progress before its next file.
    void stopPreview();
    // The run over the ticked files ended; `caption` says how.
    void showRunEnd(const QString &caption);
    // A run or an undo ended: a review lists the files of the last run again.
    void runEnded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class Mode { Preview, Review };

    void createControls();
    void setAccessibleNames();
    void setMode(Mode mode);
    void showFile(const QModelIndex &current);
    void showPreviewedFile(int row);
    void showReviewedFile(int row);
    void executeTicked();
    void showPreviewState();
    bool isFrameDue() const;
    void showFrame();

    // PreviewDisplay
    void showPreviewProgress(const Progress &progress) override;
    void filePreviewed(const PreviewedFile &file) override;
    void yield() override;

    EditRun &m_run;
    Mode m_mode = Mode::Preview;
    std::unique_ptr<EditPreview> m_preview;
    QList<PreviewedFile> m_pending;   // previewed, not yet in the list
    QString m_progress;               // the latest progress caption
    QElapsedTimer m_frameClock;

    ChangedFilesModel *m_files = nullptr;
    QTreeView *m_list = nullptr;
    QLabel *m_counts = nullptr;
    QLabel *m_fileName = nullptr;
    DiffView *m_diff = nullptr;
    QSplitter *m_splitter = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_execute = nullptr;
    QPushButton *m_undo = nullptr;
    QPushButton *m_close = nullptr;
};
