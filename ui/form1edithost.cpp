// Form1 as the host of the edit run and the undo: they read and set the
// window's controls through these and nothing else.
#include "form1.h"

#include "checklist.h"
#include "failuretext.h"
#include "filelistmodel.h"
#include "filelistview.h"
#include "messageboxes.h"
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

} // namespace

void Form1::setExecuteEnabled(bool enabled)
{
    Command1[int(Command::Execute)]->setEnabled(enabled);
}

void Form1::setUndoEnabled(bool enabled)
{
    mnuUndo->setEnabled(enabled);
}

bool Form1::isStopEnabled() const
{
    return Command1[int(Command::Stop)]->isEnabled();
}

void Form1::setStopEnabled(bool enabled)
{
    Command1[int(Command::Stop)]->setEnabled(enabled);
}

// The pointer is the main window's alone: an application-wide override would
// also make the message boxes and the About window that come up during a run
// busy. Busy is also the time of a run, when the captions reach the screen
// once a frame (see yield()).
void Form1::setBusyPointer(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    Label1->setRunning(busy);
    LVFile->setRemovalLocked(busy);
    if (busy) {
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

void Form1::showInformation(const QString &text)
{
    ::showInformation(this, text);
}

bool Form1::askYesNo(const QString &text)
{
    return ::askYesNo(this, text);
}

bool Form1::askToUndo(const QString &text)
{
    return askQuestion(this, text);
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

void Form1::setStatusCaption(const QString &caption)
{
    Label1->setCaption(caption);
}

void Form1::setModeCaption(const QString &caption)
{
    m_modeCaption = caption;
    if (!m_busy)
        Label3->setText(caption);
}

// During a run the run yields once per file, and sets the status line once
// and the mode line six times per file. Painting them every time would cost
// more than editing a small file, so while a run is in progress the status
// line's text is current but is repainted once a frame, and the mode line
// takes its latest text once a frame.
void Form1::yield()
{
    const bool frameDue = m_busy && m_frameClock.hasExpired(kFrameInterval.count());
    if (frameDue)
        showCaptions();
    QCoreApplication::processEvents();
    if (frameDue && m_busy) {
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

void Form1::showFailures(const QList<FileFailure> &failures)
{
    Label1->setFileList(failureList(failures));
}

// After showFailures(), whose list it follows.
void Form1::showSkipped(const SkippedFiles &skipped)
{
    const QString lines = skippedList(skipped);
    if (lines.isEmpty())
        return;
    const QString failures = Label1->accessibleDescription();
    Label1->setFileList(failures.isEmpty() ? lines : failures + u'\n' + lines);
}

void Form1::showLeftAsTheyAre(const QList<FileFailure> &files)
{
    Label1->setFileList(leftAsTheyAreList(files));
}
