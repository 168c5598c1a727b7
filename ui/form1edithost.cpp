// Form1 as the host of the edit run and the undo: they read and set the
// window's controls through these and nothing else.
#include "form1.h"

#include "changeswindow.h"
#include "checklist.h"
#include "failuretext.h"
#include "filelistmodel.h"
#include "filelistview.h"
#include "messageboxes.h"
#include "runcaptions.h"
#include "runcontrols.h"
#include "statusline.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

namespace {

// The text exactly as typed or pasted, with CR LF, the line end of the files,
// for every line break. toPlainText() would not do: it turns non-breaking
// spaces into plain ones, so a Find text meant to remove them would remove
// every space. In the raw text a line break is a paragraph separator (Enter,
// a pasted line feed or paragraph separator) or a line separator (Shift+Enter,
// a pasted one).
QString crLfText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText();
    for (const QChar lineBreak : {QChar(QChar::ParagraphSeparator), QChar(QChar::LineSeparator)})
        text.replace(lineBreak, QStringLiteral("\r\n"));
    return text;
}

}   // namespace

// One state decides the buttons, the Undo entry, the pointer and the
// captions' throttling.
void Form1::activityChanged(const RunState &state)
{
    const RunControls controls = controlsFor(state);
    Command1[int(CommandIndex::Execute)]->setEnabled(controls.executeEnabled);
    Command1[int(CommandIndex::Stop)]->setEnabled(controls.stopEnabled);
    mnuUndo->setEnabled(controls.undoEnabled);
    mnuReview->setEnabled(controls.undoEnabled);
    mnuPreview->setEnabled(!controls.working);
    setWorking(controls.working);
    // A preview going while files are rewritten would show neither the files
    // before nor after: a run or an undo ends it.
    if (m_changes && controls.working)
        m_changes->stopPreview();
    if (m_changes && !controls.working)
        m_changes->runEnded();
}

// The pointer is the main window's alone: an application-wide override would
// also make the message boxes and the About window that come up during a run
// busy. Working is also the time of a run, when the captions reach the screen
// once a frame (see yield()).
void Form1::setWorking(bool working)
{
    if (working == m_working)
        return;
    m_working = working;
    Label1->setRunning(working);
    LVFile->setRemovalLocked(working);
    if (working) {
        setCursor(Qt::WaitCursor);
        Label1->setUpdatesEnabled(false);
        m_frameClock.start();
    } else {
        unsetCursor();
        showCaptions();
    }
}

void Form1::showCaptions()
{
    Label3->setText(m_modeCaption);
    // Enabling updates again repaints the status line with its latest text.
    Label1->setUpdatesEnabled(true);
}

void Form1::showNothingListed()
{
    ::showInformation(this, nothingListedText());
}

bool Form1::askToClear()
{
    return ::askYesNo(this, clearQuestionText());
}

bool Form1::askToUndo(const UndoQuestion &question)
{
    return askQuestion(this, undoQuestionText(question));
}

QString Form1::findText() const
{
    return crLfText(Combo2);
}

QString Form1::withText() const
{
    return crLfText(Combo3);
}

bool Form1::isOptionTicked(int index) const
{
    return List2->isTicked(index);
}

int Form1::modeCount() const
{
    return List1->count();
}

QString Form1::modeText(int index) const
{
    return List1->item(index)->text();
}

bool Form1::isModeTicked(int index) const
{
    return List1->isTicked(index);
}

bool Form1::editsInsideFolders() const
{
    return mnuFolders->isChecked();
}

void Form1::showProgress(const Progress &progress)
{
    Label1->setCaption(progressCaption(progress));
}

void Form1::showModePass()
{
    QStringList texts;
    for (int index = 0; index < List1->count(); ++index)
        texts.append(List1->item(index)->text());
    for (const QString &caption : modePassCaptions(texts))
        setModeCaption(caption);
}

void Form1::setModeCaption(const QString &caption)
{
    m_modeCaption = caption;
    if (!m_working)
        Label3->setText(caption);
}

// During a run the run yields once per file, and sets the status line once
// and the mode line six times per file. Painting them every time would cost
// more than editing a small file, so while a run is in progress the status
// line's text is current but is repainted once a frame, and the mode line
// takes its latest text once a frame.
void Form1::yield()
{
    const bool frameDue = m_working && m_frameClock.hasExpired(kFrameInterval.count());
    if (frameDue)
        showCaptions();
    QCoreApplication::processEvents();
    if (frameDue && m_working) {
        Label1->setUpdatesEnabled(false);
        m_frameClock.start();
    }
}

qint64 Form1::rowCount() const
{
    return LVFile->fileModel()->rowCount();
}

QByteArray Form1::rowTag(qint64 position) const
{
    return LVFile->fileModel()->tag(position);
}

void Form1::removeAllRows()
{
    LVFile->fileModel()->removeAllRows();
}

// A stopped run or undo keeps the file in hand in the status line: no summary.
void Form1::showRunEnd(const RunSummary &summary)
{
    if (!summary.stopped)
        Label1->setCaption(runSummaryCaption(summary));
    if (m_changes)
        m_changes->showRunEnd(summary.stopped ? QStringLiteral("Edit run stopped.") : runSummaryCaption(summary));
    Label1->setFileList(runFilesList(summary));
}

void Form1::showUndoProgress(const Progress &progress)
{
    Label1->setCaption(undoProgressCaption(progress));
}

void Form1::showUndoEnd(const UndoSummary &summary)
{
    if (!summary.stopped)
        Label1->setCaption(undoSummaryCaption(summary));
    Label1->setFileList(leftAsTheyAreList(summary.left));
}
