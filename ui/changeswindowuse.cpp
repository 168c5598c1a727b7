// What the Changes window does: a preview as it goes, a review, the diff of
// the file selected, and the run over the ticked files.
#include "changeswindow.h"

#include "changedfilesmodel.h"
#include "diffview.h"
#include "editmodes.h"
#include "editrun.h"
#include "failuretext.h"
#include "filediffs.h"
#include "runcaptions.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

namespace {

// The diff shows this many changed lines of a file, each cut after 1,000
// characters: up to 4 bytes each are kept of it.
constexpr qint64 kShownChangedLines = 1000;
constexpr DiffStyle kShownStyle{true, 4000};

// While a preview goes, the list, the status line and the counts take what
// came in once a frame: a row each file would cost more than previewing it.
constexpr qint64 kFrameMilliseconds = 40;

QString noteFor(const FileFailure &failure)
{
    QString note = QString::fromUtf8(failure.path) + u' ' + failureReasonText(failure.reason);
    if (!failure.systemError.isEmpty())
        note += QStringLiteral(" (") + failure.systemError + u')';
    return note + QStringLiteral(": no diff to show.");
}

}   // namespace

void ChangesWindow::preview(const EditInputs &inputs, FileRows &rows)
{
    show();
    raise();
    activateWindow();
    if (m_preview && m_preview->isRunning())
        return;
    setMode(Mode::Preview);
    PreviewDisplay &display = *this;
    m_preview = std::make_unique<EditPreview>(inputs, rows, display);
    m_pending.clear();
    m_progress.clear();
    m_frameClock.invalidate();
    const RunSummary summary = m_preview->run();
    // A review asked for meanwhile has the window now.
    if (m_mode != Mode::Preview)
        return;
    m_files->append(std::exchange(m_pending, {}));
    m_status->setText(summary.stopped ? QStringLiteral("Preview stopped: the list is not complete.")
                                      : QStringLiteral("Preview done."));
    showPreviewState();
}

void ChangesWindow::review()
{
    show();
    raise();
    activateWindow();
    stopPreview();
    setMode(Mode::Review);
    runEnded();
}

void ChangesWindow::stopPreview()
{
    if (m_preview && m_preview->isRunning())
        m_preview->stop();
}

void ChangesWindow::showRunEnd(const QString &caption)
{
    m_status->setText(caption);
}

void ChangesWindow::runEnded()
{
    if (m_mode != Mode::Review)
        return;
    m_files->reset(false);
    QList<PreviewedFile> changed;
    for (const UndoJournal::Entry &entry : m_run.journal().entries())
        changed.append({entry.path, {}, 0});
    m_files->append(changed);
    m_counts->setText(QStringLiteral("Files the last edit run changed: %1").arg(changed.size()));
    m_status->clear();
    if (changed.isEmpty())
        m_diff->showNote(QStringLiteral("The last edit run changed no file, or was undone."));
    else
        m_list->setCurrentIndex(m_files->index(0, ChangedFilesModel::File));
}

void ChangesWindow::setMode(Mode mode)
{
    m_mode = mode;
    const bool previewing = mode == Mode::Preview;
    setWindowTitle(previewing ? QStringLiteral("Preview of the Edit Process - Textorum")
                              : QStringLiteral("Review of the Last Edit Run - Textorum"));
    m_files->reset(previewing);
    m_list->setColumnHidden(ChangedFilesModel::Occurrences, !previewing);
    m_diff->clear();
    m_fileName->clear();
    m_counts->clear();
    m_stop->setVisible(previewing);
    m_execute->setVisible(previewing);
    m_undo->setVisible(!previewing);
    showPreviewState();
}

// Stop while the preview goes; Execute Ticked Files once it has ended, for
// as long as a file is ticked (again after a run: those it did not edit are
// still as previewed).
void ChangesWindow::showPreviewState()
{
    const bool running = m_preview && m_preview->isRunning();
    m_stop->setEnabled(running);
    m_execute->setEnabled(!running && m_mode == Mode::Preview && m_files->hasTicked());
    if (m_preview && m_mode == Mode::Preview) {
        m_counts->setText(previewSummaryCaption(m_preview->summary()));
        // The files that would fail, and why, as the main window's status line lists them.
        m_counts->setToolTip(runFilesList(m_preview->summary()));
        m_counts->setAccessibleDescription(m_counts->toolTip());
    }
}

void ChangesWindow::showFile(const QModelIndex &current)
{
    if (!current.isValid())
        return;
    m_fileName->setText(QString::fromUtf8(m_files->file(current.row()).path));
    if (m_mode == Mode::Preview)
        showPreviewedFile(current.row());
    else
        showReviewedFile(current.row());
}

void ChangesWindow::showPreviewedFile(int row)
{
    const EditInputs &inputs = m_preview->inputs();
    RunTexts texts(inputs.findText(), inputs.withText());
    ShownDiffCollector shown(kShownChangedLines);
    if (auto failure = diffPreviewed(m_files->file(row), inputs, texts, kShownStyle, shown))
        m_diff->showNote(noteFor(*failure));
    else
        m_diff->showDiff(shown.diff());
}

void ChangesWindow::showReviewedFile(int row)
{
    const auto &entries = m_run.journal().entries();
    if (size_t(row) >= entries.size() || entries[size_t(row)].path != m_files->file(row).path)
        return m_diff->showNote(QStringLiteral("The last edit run has changed since this list was made."));
    ShownDiffCollector shown(kShownChangedLines);
    if (auto failure = diffSinceRun(m_run.journal(), entries[size_t(row)], kShownStyle, shown))
        m_diff->showNote(noteFor(*failure));
    else
        m_diff->showDiff(shown.diff());
}

// The run keeps its own copy: the list may change while it yields.
void ChangesWindow::executeTicked()
{
    if (!m_preview || m_preview->isRunning())
        return;
    const PreviewedRun run{m_preview->inputs(), m_files->tickedFiles()};
    m_execute->setEnabled(false);
    m_run.executePreviewed(run);
}

void ChangesWindow::showPreviewProgress(const Progress &progress)
{
    m_progress = previewProgressCaption(progress);
    if (isFrameDue())
        showFrame();
}

void ChangesWindow::filePreviewed(const PreviewedFile &file)
{
    m_pending.append(file);
    // The first file is listed, selected and its diff shown at once.
    if (m_files->rowCount() == 0 && m_pending.size() == 1) {
        m_files->append(std::exchange(m_pending, {}));
        m_list->setCurrentIndex(m_files->index(0, ChangedFilesModel::File));
    }
}

void ChangesWindow::yield()
{
    if (!m_progress.isEmpty() && isFrameDue())
        showFrame();
    QCoreApplication::processEvents();
}

// The first file's progress is shown at once, then once a frame from there.
bool ChangesWindow::isFrameDue() const
{
    return !m_frameClock.isValid() || m_frameClock.hasExpired(kFrameMilliseconds);
}

void ChangesWindow::showFrame()
{
    m_files->append(std::exchange(m_pending, {}));
    m_status->setText(m_progress);
    showPreviewState();
    m_frameClock.start();
}
