// The edit run's rows when folders are walked (see folderrows.h).
#include "editrun.h"

#include "folderrows.h"

#include <sys/stat.h>

void EditRun::visitWithFolders(const Progress &progress, RunTexts &texts, RunSummary &summary)
{
    const FolderRowVisit visit{
        [this] {
            m_display.yield();
            return m_stop == StopRequest::None;
        },
        [this](const Progress &file) { m_display.showProgress(file); },
        [this, &texts](const QByteArray &path) { return editOnce(path, texts); },
    };
    ::visitWithFolders(progress, *m_seen, summary, visit);
}

FileResult EditRun::editOnce(const QByteArray &path, RunTexts &texts)
{
    FileResult result = editFile(path, texts);
    // A new file under the old name is still the same file for the rest of the run.
    struct stat rewritten
    {
    };
    if (result.outcome == FileOutcome::Changed && ::stat(path.constData(), &rewritten) == 0)
        m_seen->noteRewritten(rewritten);
    return result;
}
