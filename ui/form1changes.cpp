// File > Preview Edit Process and Review Last Edit Run: the Changes window.
#include "changeswindow.h"
#include "form1.h"

ChangesWindow &Form1::changesWindow()
{
    if (!m_changes)
        m_changes = new ChangesWindow(m_run, mnuUndo, this);
    return *m_changes;
}

void Form1::mnuPreview_Click()
{
    changesWindow().preview(*this, *this);
}

void Form1::mnuReview_Click()
{
    changesWindow().review();
}
