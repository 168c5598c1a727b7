// The edit run's rows when worker threads prepare the files ahead: at each
// row's turn its prepared file is checked, shown and put in place, or, where
// nothing usable was prepared, edited there and then as without workers.
#include "editrun.h"

#include "filerecipe.h"
#include "folderrows.h"

#include <cerrno>
#include <new>

void EditRun::visitPrepared(const Progress &progress, RunTexts &texts, RunSummary &summary)
{
    PreparedFile file = m_ahead->take(progress.position, fileTicks(m_inputs), m_rows);
    const bool isThisRow = file.job.position == progress.position && file.job.path == progress.path;
    if (!isThisRow) {
        visitRow(progress, texts, summary);
        return;
    }
    try {
        addRowResult(progress.path, commitPrepared(file, texts), summary);
    } catch (const std::bad_alloc &) {
        // As editFile(): nothing was put in place.
        summary.add(FileResult::failed(fileFailure(progress.path, FileFailureReason::OutOfMemory, ENOMEM)));
    }
}

FileResult EditRun::commitPrepared(PreparedFile &file, RunTexts &texts)
{
    // A run over a preview's files edits a file only as the preview read it.
    if (file.kind != PreparedFile::Kind::AtTurn && !m_from.isAsPreviewed(file.job.path, file.source.status()))
        return FileResult::failed({file.job.path, FileFailureReason::ChangedSincePreview, {}});
    switch (file.kind) {
    case PreparedFile::Kind::AtTurn:
        return editFile(file.job.path, texts);
    case PreparedFile::Kind::Unchanged:
        // Changed since it was read: read again, as its turn would have.
        if (!file.source.stillAsRead())
            return editFile(file.job.path, texts);
        if (file.found)
            m_display.showModePass();
        return {FileOutcome::Unchanged, {}};
    case PreparedFile::Kind::Rewrite:
    case PreparedFile::Kind::Replacement:
        break;
    }
    // A file this run changed since it was read here (listed twice, another
    // name of it) is read again, as its turn would have. Any other change
    // since then is another program's, which the rewrite leaves in place.
    if (m_ahead->wasRewritten(file.source.status()) && !file.source.stillAsRead())
        return editFile(file.job.path, texts);
    m_display.showModePass();
    FileResult result = commitChange(file, texts);
    // As editFile(): the undo gives up what it holds for the run.
    if (result.failure && isOutOfSpace(*result.failure) && m_journal.giveUpHeld(ENOSPC)) {
        file.replacement.reset();
        file.source.close();
        return editFile(file.job.path, texts);
    }
    return result;
}

FileResult EditRun::commitChange(PreparedFile &file, RunTexts &texts)
{
    // Another program's change since the file was read fails it here, and
    // its version is kept.
    if (file.kind == PreparedFile::Kind::Rewrite)
        return rewriteChecked(file.source, recipeWithLineEnd(file.lineEnd, file.job.ticks, texts), false);
    RewriteOutcome outcome = m_rewriter.replaceWith(file.source, *file.replacement);
    if (outcome.failure)
        return FileResult::failed(*outcome.failure);
    keepForUndo(file.source, outcome);
    return {FileOutcome::Changed, {}};
}
