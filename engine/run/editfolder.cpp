// The edit run's rows when folders are walked: a folder row stands for the
// regular text files below it, which the run edits one after the other in
// the row's place, yielding between two of them as between two rows.
#include "editrun.h"

#include "folderwalk.h"

#include <sys/stat.h>

void EditRun::visitWithFolders(const Progress &progress, RunTexts &texts, RunSummary &summary)
{
    struct stat status
    {
    };
    ::stat(progress.path.constData(), &status);
    if (S_ISDIR(status.st_mode))
        editFolder(progress, texts, summary);
    else
        visitOnce(progress.path, status, FilesSeen::Through::Row, texts, summary);
}

void EditRun::editFolder(const Progress &row, RunTexts &texts, RunSummary &summary)
{
    FolderWalk walk(row.path);
    bool first = true;
    for (WalkStep step = walk.next(); step.kind != WalkStep::Kind::End; step = walk.next()) {
        if (step.kind == WalkStep::Kind::Skipped) {
            summary.skipped.addFile(std::move(step.path), step.skip);
            continue;
        }
        // What could not be read of the tree counts as one file that failed.
        if (step.kind == WalkStep::Kind::FolderFailed) {
            summary.add(FileResult::failed(fileFailure(step.path, FileFailureReason::ReadFailed, step.error)));
            continue;
        }
        // The row's own yield came just before the first file.
        if (!first) {
            m_display.yield();
            if (m_stop != StopRequest::None)
                return;
        }
        first = false;
        m_display.showProgress({row.position, row.count, step.path});
        visitOnce(step.path, step.status, FilesSeen::Through::Folder, texts, summary);
    }
}

void EditRun::visitOnce(const QByteArray &path, const struct stat &status, FilesSeen::Through through, RunTexts &texts,
                        RunSummary &summary)
{
    if (!m_seen->isToBeEdited(status, through)) {
        summary.add({FileOutcome::Unchanged, {}});
        return;
    }
    FileResult result = editFile(path, texts);
    const bool changed = result.outcome == FileOutcome::Changed;
    summary.add(std::move(result));
    if (!changed)
        return;
    struct stat rewritten
    {
    };
    if (::stat(path.constData(), &rewritten) == 0)
        m_seen->noteRewritten(rewritten);
}
