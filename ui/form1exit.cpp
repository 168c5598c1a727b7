// The two ways the program ends: File > Exit and closing the window.
#include "form1.h"

#include "changeswindow.h"
#include "frmabout.h"

#include <QCloseEvent>
#include <QCoreApplication>

void Form1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

// The close always goes on, whatever the answer. A run or an undo in progress
// ends at its next file instead of going on behind a window that has gone (a
// preview too), and
// the About window goes too, so that no hidden window keeps the program alive.
// What the undo holds goes with the window when the program ends.
void Form1::Form_Unload()
{
    prcDonate();
    m_run.requestStop();
    if (m_changes)
        m_changes->stopPreview();
    delete m_frmAbout.data();
}

// Ends the program at once, without the unload step. When it is chosen during
// a run or an undo we are inside its yield: exit() only tells the event loops to
// return, and the nested processEvents() would come back into the run, which
// would go on with the next file. The stop request makes it end right
// after this yield, before it touches another file, and the main loop then
// returns from exec().
void Form1::mnuExit_Click()
{
    m_run.requestStop();
    if (m_changes)
        m_changes->stopPreview();
    delete m_frmAbout.data();
    QCoreApplication::exit(0);
}
