#pragma once

#include "edithost.h"
#include "filefailure.h"

#include <QList>

// The buttons of the Command1 array.
enum class Command { Execute = 0, Stop = 1, Clear = 2 };

// The handler of the Execute, Stop and Clear buttons and of the File menu's
// "Execute Edit Process" and "Clear Listed Files": walks the file list from
// the last row to the first and edits every file that holds the Find text.
class EditRun
{
public:
    explicit EditRun(EditHost &host);

    // Execute, Stop or Clear by button index; any other index does nothing.
    void Command1_Click(int index);
    void mnuExecute_Click() { Command1_Click(int(Command::Execute)); }
    void mnuClear_Click() { Command1_Click(int(Command::Clear)); }

    bool isRunning() const { return m_running; }

    // Sets the stop flag without touching the buttons, for a window that is
    // going away: the run ends at its next row.
    void requestStop() { g_bolStop = true; }

private:
    void execute();
    void stop();
    void clear();

    EditHost &m_host;
    bool g_bolStop = false;
    bool m_running = false;
    bool m_listCleared = false;
};
