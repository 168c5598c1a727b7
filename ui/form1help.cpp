// The Help menu: its outside targets, the donation prompt and the About window.
#include "form1.h"

#include "frmabout.h"
#include "helplinks.h"
#include "messageboxes.h"

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
