// The edit run's files at their turn: where worker threads prepared a file
// ahead, it is checked, shown and put in place; where nothing usable was
// prepared, it is edited there and then as without workers.
#include "editrun.h"

#include "filerecipe.h"

#include <cerrno>
#include <new>
#include <sys/stat.h>

FileResult EditRun::visitFile(const OrderStep &file, RunTexts &texts)
{
    std::optional<PreparedFile> prepared = m_ahead ? m_ahead->take(file, fileTicks(m_inputs)) : std::nullopt;
    FileResult result = prepared ? commitCatching(*prepared, texts) : editFile(file.path, texts);
    // A new file under the old name is still the same file for the rest of
    // a run that walks folders.
    struct stat rewritten
    {
    };
    if (m_seen && result.outcome == FileOutcome::Changed && ::stat(file.path.constData(), &rewritten) == 0)
        m_seen->noteRewritten(rewritten);
    return result;
}

FileResult EditRun::commitCatching(PreparedFile &file, RunTexts &texts)
{
    try {
        return commitPrepared(file, texts);
    } catch (const std::bad_alloc &) {
        // As editFile(): nothing was put in place.
        return FileResult::failed(fileFailure(file.job.path, FileFailureReason::OutOfMemory, ENOMEM));
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
    keepForUndo(file.source, outcome, std::move(file.oldContent));
    return {FileOutcome::Changed, {}};
}
