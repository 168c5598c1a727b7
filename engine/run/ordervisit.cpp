#include "ordervisit.h"

#include "edithost.h"
#include "sourcefile.h"

namespace {

void visitFile(const OrderStep &file, FilesSeen *seen, const OrderVisit &visit, RunSummary &summary)
{
    if (!seen) {
        FileResult result = visit.visit(file);
        if (result.outcome == FileOutcome::Skipped && isExistingFolder(file.path))
            summary.skipped.addFolderRow();
        summary.add(std::move(result));
        return;
    }
    const auto through = file.kind == OrderStep::Kind::Row ? FilesSeen::Through::Row : FilesSeen::Through::Folder;
    summary.add(seen->isToBeEdited(file.status, through) ? visit.visit(file) : FileResult{FileOutcome::Unchanged, {}});
}

}   // namespace

void visitInOrder(const FileRows &rows, qint64 rowCount, FilesSeen *seen, const OrderVisit &visit,
                  AheadOfTurn *ahead, RunSummary &summary)
{
    RunOrder order(rows, rowCount, seen != nullptr);
    const auto give = [ahead](const OrderStep &file) { ahead->give(file); };
    // The row's own yield comes just before a folder's first file.
    bool firstInFolder = true;
    for (;;) {
        if (ahead)
            order.readAhead(ahead->mostAhead(), give);
        std::optional<OrderStep> step = order.next();
        if (!step)
            return;
        switch (step->kind) {
        case OrderStep::Kind::Row:
            if (!visit.goOn() || step->position > rows.rowCount())
                return;
            // The list changed while the row waited its turn (a sort, say):
            // the order goes on from the row now there.
            if (rows.rowTag(step->position) != step->path) {
                order.restartAt(step->position);
                if (ahead)
                    ahead->dropAll();
                continue;
            }
            visit.show({step->position, rowCount, step->path});
            firstInFolder = true;
            if (step->file != 0)
                visitFile(*step, seen, visit, summary);
            break;
        case OrderStep::Kind::FolderFile:
            if (!firstInFolder && !visit.goOn())
                return;
            firstInFolder = false;
            visit.show({step->position, rowCount, step->path});
            visitFile(*step, seen, visit, summary);
            break;
        case OrderStep::Kind::Skipped:
            summary.skipped.addFile(std::move(step->path), step->skip);
            break;
        case OrderStep::Kind::FolderFailed:
            // What could not be read of the tree counts as one file that failed.
            summary.add(FileResult::failed(fileFailure(step->path, FileFailureReason::ReadFailed, step->error)));
            break;
        }
    }
}
