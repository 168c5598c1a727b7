// The edit run's rows when folders are walked: a folder row stands for the
// regular text files below it, which the run edits one after the other in
// the row's place, yielding between two of them as between two rows.
#include "editrun.h"

#include "folderwalk.h"

#include <sys/stat.h>

void EditRun::visitWithFolders(const QByteArray &path, const QString &progress, RunTexts &texts, Tally &tally)
{
    struct stat status {};
    ::stat(path.constData(), &status);
    if (S_ISDIR(status.st_mode))
        editFolder(path, progress, texts, tally);
    else
        visitOnce(path, status, FilesSeen::Through::Row, texts, tally);
}

void EditRun::editFolder(const QByteArray &folder, const QString &progress, RunTexts &texts, Tally &tally)
{
    FolderWalk walk(folder);
    bool first = true;
    for (WalkStep step = walk.next(); step.kind != WalkStep::Kind::End; step = walk.next()) {
        if (step.kind == WalkStep::Kind::Skipped) {
            tally.skipped.addFile(std::move(step.path), step.skip);
            continue;
        }
        // What could not be read of the tree counts as one file that failed.
        if (step.kind == WalkStep::Kind::FolderFailed) {
            ++tally.visited;
            ++tally.failed;
            tally.failures.append(fileFailure(step.path, FileFailureReason::OpenForReading, step.error));
            continue;
        }
        // The row's own yield came just before the first file.
        if (!first) {
            m_display.yield();
            if (g_bolStop || m_listCleared)
                return;
        }
        first = false;
        m_display.setStatusCaption(progress + QString::fromUtf8(step.path));
        visitOnce(step.path, step.status, FilesSeen::Through::Folder, texts, tally);
    }
}

void EditRun::visitOnce(const QByteArray &path, const struct stat &status, FilesSeen::Through through,
                        RunTexts &texts, Tally &tally)
{
    if (!tally.seen->isToBeEdited(status, through)) {
        count(FileOutcome::Unchanged, tally);
        return;
    }
    const FileOutcome outcome = editFile(path, texts, tally.failures);
    count(outcome, tally);
    if (outcome != FileOutcome::Changed)
        return;
    struct stat rewritten {};
    if (::stat(path.constData(), &rewritten) == 0)
        tally.seen->noteRewritten(rewritten);
}
