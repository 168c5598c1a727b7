#include "editrun.h"

#include "editpass.h"
#include "filerecipe.h"
#include "ordervisit.h"

#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <new>
#include <utility>

EditRun::EditRun(EditInputs &inputs, FileRows &rows, EditDisplay &display)
    : m_from(inputs, rows)
    , m_inputs(m_from)
    , m_rows(m_from)
    , m_display(display)
    , m_readBuffer(kStreamBufferSize, Qt::Uninitialized)
{
    // A write past the file-size limit (ulimit -f) raises SIGXFSZ, whose
    // default action ends the program. Ignored, the write fails with EFBIG
    // instead, and the file counts as failed while the run goes on.
    std::signal(SIGXFSZ, SIG_IGN);
    // The undo may hold many replaced files open until it ends.
    raiseOpenFileLimit();
}

void EditRun::setBufferSize(qsizetype bytes)
{
    m_readBuffer.resize(bytes);
}

RunState EditRun::state() const
{
    return {m_activity, m_stop == StopRequest::Stop, canUndo()};
}

void EditRun::setActivity(Activity activity)
{
    m_activity = activity;
    m_display.activityChanged(state());
}

void EditRun::execute()
{
    // The window stays live while the run yields, so Execute from the File
    // menu can arrive in the middle of a run: a nested run is not started.
    if (isBusy())
        return;
    m_stop = StopRequest::None;
    setActivity(Activity::Running);
    const qint64 rowCount = m_rows.rowCount();
    if (rowCount == 0) {
        m_display.showNothingListed();
        setActivity(Activity::Idle);
        return;
    }
    RunSummary summary;
    {
        const auto idle = qScopeGuard([this] { setActivity(Activity::Idle); });
        summary = editRows(rowCount);
    }
    m_display.showRunEnd(summary);
}

RunSummary EditRun::editRows(qint64 rowCount)
{
    m_changedAny = false;
    const QString find = m_inputs.findText();
    const QString with = m_inputs.withText();
    RunTexts texts(find, with);
    // Taken once, as the texts are: a change during the run is for the next one.
    m_seen.reset();
    if (m_inputs.editsInsideFolders())
        m_seen.emplace();
    // Whatever ends the run, files prepared and not reached go with it, and
    // no folder is held open after it.
    const auto dropAhead = qScopeGuard([this] {
        m_ahead.reset();
        m_folders.clear();
    });
    if (const int workers = workersForRows(m_workers, m_rows, rowCount, m_seen.has_value()))
        m_ahead.emplace(workers, fileTicks(m_inputs), find, with, m_readBuffer.size());
    const OrderVisit visit{
        [this] {
            m_display.yield();
            return m_stop == StopRequest::None;
        },
        [this](const Progress &progress) { m_display.showProgress(progress); },
        [this, &texts](const OrderStep &file) { return visitFile(file, texts); },
    };
    RunSummary summary;
    visitInOrder(m_rows, rowCount, m_seen ? &*m_seen : nullptr, visit, m_ahead ? &m_ahead->order() : nullptr,
                 summary);
    // Every row, unless a Clear ended the run early: then the rows it visited.
    summary.stopped = m_stop == StopRequest::Stop;
    return summary;
}

void EditRun::stop()
{
    m_stop = StopRequest::Stop;
    m_display.activityChanged(state());
}

void EditRun::clear()
{
    if (!m_display.askToClear())
        return;
    m_rows.removeAllRows();
    // The undo stays: the files are still changed, whatever the list holds.
    if (m_activity == Activity::Running && m_stop == StopRequest::None)
        m_stop = StopRequest::ListCleared;
}

FileResult EditRun::editFile(const QByteArray &path, RunTexts &texts)
{
    const auto closeSource = qScopeGuard([this] { m_source.close(); });
    try {
        FileResult result = editExistingFile(path, texts);
        // The run goes before the undo: when the disk is full while the undo
        // holds old contents, they give their space up and the file is edited
        // afresh (a failed rewrite left it as it was).
        if (result.failure && isOutOfSpace(*result.failure) && m_journal.giveUpHeld(ENOSPC)) {
            m_source.close();
            return editExistingFile(path, texts);
        }
        return result;
    } catch (const std::bad_alloc &) {
        // Not even a buffer's worth fitted (a Find text of many megabytes
        // under an address-space limit); nothing was written, or only to a
        // new file that is gone with the exception.
        return FileResult::failed(fileFailure(path, FileFailureReason::OutOfMemory, ENOMEM));
    }
}

FileResult EditRun::editExistingFile(const QByteArray &path, RunTexts &texts)
{
    // The common case first; anything else the long way, which says why it fails.
    if (!m_source.openPlain(path, m_folders)) {
        if (!isExistingFile(path))
            return {FileOutcome::Skipped, {}};
        if (auto failure = m_source.open(path))
            return FileResult::failed(*failure);
    }
    if (!m_from.isAsPreviewed(path, m_source.status()))
        return FileResult::failed({path, FileFailureReason::ChangedSincePreview, {}});
    const qint64 size = m_source.status().st_size;
    // Taken before the read, not after it: the Find test runs while the file
    // is read. No event is handled in between, so the ticks are the same.
    const EditRecipe recipe = fileRecipe(m_source.fd(), size, fileTicks(m_inputs), texts, m_readBuffer);
    const FileCheck check = checkFile(m_source.fd(), size, recipe, m_readBuffer);
    if (check.read.end == ReadOutcome::End::Failed)
        return FileResult::failed(fileFailure(path, FileFailureReason::ReadFailed, check.read.error));
    if (check.read.end == ReadOutcome::End::Changed)
        return FileResult::failed(changedFailure(path));
    if (!check.found)
        return {FileOutcome::Unchanged, {}};
    m_display.showModePass();
    // Rewriting the same bytes would change nothing but the file's inode and times.
    if (!check.changes)
        return {FileOutcome::Unchanged, {}};
    return rewriteChecked(m_source, recipe, check.inBuffer);
}

FileResult EditRun::rewriteChecked(SourceFile &source, const EditRecipe &recipe, bool inBuffer)
{
    const QByteArrayView content(m_readBuffer.constData(), inBuffer ? source.status().st_size : 0);
    const auto produce = [&](Pass, int from, qint64 size, ByteSink &out) {
        // Written in place, the new content is made from a copy of the file.
        if (inBuffer && from == source.fd())
            return produceEdit(content, recipe, m_readBuffer.size(), out);
        return produceEdit(from, size, recipe, m_readBuffer, out);
    };
    RewriteOutcome outcome = m_rewriter.rewrite(source, RewriteSource::target(source.fd(), source.status()), produce);
    if (outcome.failure)
        return FileResult::failed(*outcome.failure);
    keepForUndo(source, outcome);
    return {FileOutcome::Changed, {}};
}

void EditRun::keepForUndo(SourceFile &source, RewriteOutcome &outcome, QByteArray oldContent)
{
    // The undo of the run before goes with this run's first change, so that a
    // run that changes nothing keeps it.
    if (!m_changedAny) {
        m_journal.clear();
        m_changedAny = true;
    }
    if (m_ahead)
        m_ahead->noteRewritten(source.status());
    UniqueFd replaced = source.takeFd();
    if (m_keepsUndo)
        replaced = m_journal.record({source.path(), std::move(replaced), source.status(), source.folder(),
                                     outcome.written, std::move(outcome.overwritten), std::move(oldContent)});
    if (m_ahead)
        m_ahead->closeLater(std::move(replaced));
}
