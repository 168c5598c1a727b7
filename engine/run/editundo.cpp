// The undo of the last edit run that changed files: EditRun's second long
// operation, which walks the undo journal from the file the run changed last.
#include "editrun.h"

#include <QScopeGuard>

#include <vector>

void EditRun::undo()
{
    if (!canUndo() || !m_display.askToUndo(undoQuestion()))
        return;

    g_bolStop = false;
    m_busy = true;
    const auto endUndo = qScopeGuard([this] { endBusy(); });
    m_display.setUndoEnabled(false);
    m_display.setExecuteEnabled(false);
    m_display.setStopEnabled(true);
    m_display.setBusyPointer(true);
    // Counted down, as the run counts its rows.
    const qint64 count = m_journal.restorableCount();
    qint64 position = count;
    qint64 putBackCount = 0;
    QList<FileFailure> left;
    // Files that a full disk kept from being put back keep their old content
    // for another undo, once space is free, until a new run starts.
    std::vector<UndoJournal::Entry> forLater;
    const auto keepForLater = [&] {
        for (UndoJournal::Entry &entry : forLater)
            m_journal.reinstate(std::move(entry));
        forLater.clear();
    };

    // From the file the run changed last to the first; a file whose old
    // content could not be held is only named.
    while (!m_journal.isEmpty()) {
        const bool restorable = m_journal.last().canBePutBack();
        if (restorable) {
            m_display.yield();
            if (g_bolStop) {
                keepForLater();
                m_display.setBusyPointer(false);
                m_display.showLeftAsTheyAre(left);
                return;
            }
            m_display.setStatusCaption(QStringLiteral("Putting back file: ") + QString::number(position--) + u'/'
                                       + QString::number(count) + QStringLiteral("\r\n")
                                       + QString::fromUtf8(m_journal.last().path));
        }
        UndoJournal::Entry entry = m_journal.takeLast();
        if (auto failure = m_journal.putBack(entry, m_rewriter, m_readBuffer)) {
            if (isOutOfSpace(*failure))
                forLater.push_back(std::move(entry));
            left.append(std::move(*failure));
        } else {
            ++putBackCount;
        }
    }

    // Gone through: the undo ends, and what it held is freed, but for what
    // a full disk kept back.
    if (forLater.empty())
        m_journal.clear();
    keepForLater();
    m_display.setBusyPointer(false);
    m_display.setStatusCaption(QStringLiteral("Undo done: files put back: ") + QString::number(putBackCount)
                               + QStringLiteral(" | files left as they are: ") + QString::number(left.size()));
    m_display.setStopEnabled(false);
    m_display.setExecuteEnabled(true);
    m_display.showLeftAsTheyAre(left);
}

QString EditRun::undoQuestion() const
{
    QString question = QStringLiteral("Put back the ") + QString::number(m_journal.restorableCount())
                       + QStringLiteral(" files that the last edit run changed, as they were before it?");
    if (const qsizetype unrestorable = m_journal.unrestorableCount())
        question += u'\n' + QString::number(unrestorable) + QStringLiteral(" changed files cannot be put back.");
    return question;
}
