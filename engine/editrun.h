#pragma once

#include "edithost.h"
#include "editrequest.h"
#include "filefailure.h"
#include "saferewrite.h"
#include "sourcefile.h"
#include "streambuffer.h"

#include <QByteArray>
#include <QList>

struct EditTexts;

// The buttons of the Command1 array.
enum class Command { Execute = 0, Stop = 1, Clear = 2 };

// The handler of the Execute, Stop and Clear buttons and of the File menu's
// "Execute Edit Process" and "Clear Listed Files": walks the file list from
// the last row to the first and edits every file that holds the Find text.
//
// A file is streamed twice through one reused buffer: the first pass reads it
// in its reading style until the Find text turns up, the second produces the
// edited text straight into the new file. No file is ever held whole.
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

    // The size of the buffer that files are read and searched through; tests
    // make it small to put buffer boundaries everywhere.
    void setBufferSize(qsizetype bytes);

private:
    // What became of one row.
    enum class FileOutcome { Skipped, Unchanged, Changed, Failed };

    void execute();
    void stop();
    void clear();
    FileOutcome editFile(const QByteArray &path, const EditTexts &texts, QList<FileFailure> &failures);
    FileOutcome editExistingFile(const QByteArray &path, const EditTexts &texts, QList<FileFailure> &failures);
    ReadStyle readStyle() const;
    CompareMode compareMode() const;

    EditHost &m_host;
    bool g_bolStop = false;
    bool m_running = false;
    bool m_listCleared = false;
    QByteArray m_readBuffer;
    SourceFile m_source;
    SafeRewriter m_rewriter;
};
