// The Help menu's outside targets, the donation prompt, the About window and
// the two ways the program ends: File > Exit and closing the window.
#include "form1.h"

#include "frmabout.h"
#include "helplinks.h"
#include "messageboxes.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>

// The shell's answer is not looked at: a target that cannot be opened shows
// nothing of ours.
void Form1::mnuProgWP_Click()
{
    QDesktopServices::openUrl(programWebpageUrl());
}

void Form1::mnuT_Click()
{
    QDesktopServices::openUrl(readmeUrl());
}

void Form1::mnuComment_Click()
{
    prcComment();
}

void Form1::prcComment()
{
    QDesktopServices::openUrl(commentsUrl());
}

void Form1::mnuDonate_Click()
{
    prcDonate();
}

void Form1::prcDonate()
{
    if (::askYesNo(this, donationPrompt()))
        QDesktopServices::openUrl(donationUrl());
}

void Form1::mnuAbout_Click()
{
    if (!m_frmAbout)
        m_frmAbout = new frmAbout;
    m_frmAbout->show();
    m_frmAbout->raise();
    m_frmAbout->activateWindow();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// The close always goes on, whatever the answer. A run in progress ends at its
// next file instead of going on behind a window that has gone, and the About
// window goes too, so that no hidden window keeps the program alive.
void Form1::Form_Unload()
{
    prcDonate();
    m_run.requestStop();
    delete m_frmAbout.data();
}

// Ends the program at once, without the unload step. When it is chosen during
// a run we are inside the run's yield: exit() only tells the event loops to
// return, and the nested processEvents() would come back into the run, which
// would go on with the next file. The stop request makes the run end right
// after this yield, before it touches another file, and the main loop then
// returns from exec().
void Form1::mnuExit_Click()
{
    m_run.requestStop();
    delete m_frmAbout.data();
    QCoreApplication::exit(0);
}
