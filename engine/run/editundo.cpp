// The undo of the last edit run that changed files: EditRun's second long
// operation, which walks the undo journal from the file the run changed last.
#include "editrun.h"

#include <QScopeGuard>

#include <optional>
#include <vector>

void EditRun::undo()
{
    if (!canUndo() || !m_display.askToUndo({m_journal.restorableCount(), m_journal.unrestorableCount()}))
        return;
    m_stop = StopRequest::None;
    UndoSummary summary;
    {
        setActivity(Activity::Undoing);
        const auto idle = qScopeGuard([this] { setActivity(Activity::Idle); });
        summary = putBackAll();
    }
    m_display.showUndoEnd(summary);
}

UndoSummary EditRun::putBackAll()
{
    // Counted down, as the run counts its rows.
    const qint64 count = m_journal.restorableCount();
    qint64 position = count;
    UndoSummary summary;
    // What a full disk kept back keeps its old content for another undo.
    std::vector<UndoJournal::Entry> forLater;
    const auto keepForLater = qScopeGuard([&] {
        for (UndoJournal::Entry &entry : forLater)
            m_journal.reinstate(std::move(entry));
    });
    // Goes first, whatever ends the undo: the workers read what the journal holds.
    std::optional<UndosAhead> ahead;
    const int workers = workerCount(m_workers, m_journal.isEmpty() ? QByteArray() : m_journal.last().path);
    if (isWorthWorkers(workers, count))
        ahead.emplace(workers, m_readBuffer.size());
    // From the file changed last; a file whose old content was not held is only named.
    while (!m_journal.isEmpty()) {
        std::optional<PreparedUndo> prepared;
        if (m_journal.last().canBePutBack()) {
            if (!isUndoTurn({position--, count, m_journal.last().path})) {
                summary.stopped = true;
                return summary;
            }
            if (ahead)
                prepared.emplace(ahead->take(qsizetype(m_journal.entries().size()) - 1, m_journal));
        }
        UndoJournal::Entry entry = m_journal.takeLast();
        if (auto failure = putBackOne(entry, prepared, ahead)) {
            if (isOutOfSpace(*failure))
                forLater.push_back(std::move(entry));
            summary.left.append(std::move(*failure));
        } else {
            ++summary.putBack;
        }
    }
    ahead.reset();
    // Gone through: what the journal held is freed, but for what a full disk kept back.
    if (forLater.empty())
        m_journal.clear();
    return summary;
}

bool EditRun::isUndoTurn(const Progress &progress)
{
    m_display.yield();
    if (m_stop == StopRequest::Stop)
        return false;
    m_display.showUndoProgress(progress);
    return true;
}

std::optional<FileFailure> EditRun::putBackOne(const UndoJournal::Entry &entry, std::optional<PreparedUndo> &prepared,
                                               std::optional<UndosAhead> &ahead)
{
    // The file it replaced, if any, held by `current`, is freed on a worker.
    const auto retire = qScopeGuard([&] {
        if (prepared)
            ahead->closeLater(prepared->current.takeFd());
    });
    if (!prepared || !prepared->replacement || prepared->job.path != entry.path)
        return m_journal.putBack(entry, m_rewriter, m_readBuffer);
    RewriteOutcome outcome = m_rewriter.replaceWith(prepared->current, *prepared->replacement);
    // Changed or gone since it was prepared: judged again, and named, as
    // without workers; nothing of the prepared content was put in place.
    if (outcome.failure && outcome.failure->reason == FileFailureReason::Changed)
        return m_journal.putBack(entry, m_rewriter, m_readBuffer);
    return outcome.failure;
}
