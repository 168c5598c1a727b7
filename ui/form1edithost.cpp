// Form1 as the edit run's host: the run reads and sets the window's controls
// through these and nothing else.
#include "form1.h"

#include "checklist.h"
#include "failuretext.h"
#include "filelistmodel.h"
#include "filelistview.h"
#include "messageboxes.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// A text box gives '\n' where the user pressed Enter; the edit run searches
// for the CR LF that a line end is in the files.
QString crLfText(const QPlainTextEdit *box)
{
    return box->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

} // namespace

void Form1::setExecuteEnabled(bool enabled)
{
    Command1[int(Command::Execute)]->setEnabled(enabled);
}

bool Form1::isStopEnabled() const
{
    return Command1[int(Command::Stop)]->isEnabled();
}

void Form1::setStopEnabled(bool enabled)
{
    Command1[int(Command::Stop)]->setEnabled(enabled);
}

// The override cursor is a stack; keeping our own state makes a repeated call
// harmless, so one restore always undoes the busy pointer. Busy is also the
// time of a run, when the captions reach the screen once a frame (see yield()).
void Form1::setBusyPointer(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Label1->setUpdatesEnabled(false);
        m_frameClock.start();
    } else {
        QApplication::restoreOverrideCursor();
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

void Form1::setStatusCaption(const QString &caption)
{
    Label1->setText(caption);
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
    return QFile::encodeName(LVFile->fileModel()->tag(position));
}

void Form1::removeAllRows()
{
    LVFile->fileModel()->removeAllRows();
}

void Form1::showFailures(const QList<FileFailure> &failures)
{
    Label1->setToolTip(failureToolTip(failures));
}
