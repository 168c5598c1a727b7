#include "folderrows.h"

#include "folderwalk.h"
#include "sourcefile.h"

#include <sys/stat.h>

namespace {

void visitOnce(const QByteArray &path, const struct stat &status, FilesSeen::Through through, FilesSeen &seen,
               RunSummary &summary, const FolderRowVisit &visit)
{
    summary.add(seen.isToBeEdited(status, through) ? visit.visit(path) : FileResult{FileOutcome::Unchanged, {}});
}

void visitFolder(const Progress &row, FilesSeen &seen, RunSummary &summary, const FolderRowVisit &visit)
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
        if (!first && !visit.goOn())
            return;
        first = false;
        visit.show({row.position, row.count, step.path});
        visitOnce(step.path, step.status, FilesSeen::Through::Folder, seen, summary, visit);
    }
}

}   // namespace

void addRowResult(const QByteArray &path, FileResult result, RunSummary &summary)
{
    if (result.outcome == FileOutcome::Skipped && isExistingFolder(path))
        summary.skipped.addFolderRow();
    summary.add(std::move(result));
}

void visitWithFolders(const Progress &row, FilesSeen &seen, RunSummary &summary, const FolderRowVisit &visit)
{
    struct stat status
    {
    };
    ::stat(row.path.constData(), &status);
    if (S_ISDIR(status.st_mode))
        visitFolder(row, seen, summary, visit);
    else
        visitOnce(row.path, status, FilesSeen::Through::Row, seen, summary, visit);
}
