#include "editrun.h"

#include "editpass.h"
#include "folderwalk.h"
#include "runinputs.h"

#include <QScopeGuard>

#include <cerrno>
#include <csignal>
#include <new>

EditRun::EditRun(EditInputs &inputs, FileRows &rows, EditDisplay &display)
    : m_inputs(inputs), m_rows(rows), m_display(display), m_readBuffer(kStreamBufferSize, Qt::Uninitialized)
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

void EditRun::execute()
{
    // The window stays live while the run yields, so Execute from the File
    // menu can arrive in the middle of a run: a nested run is not started.
    if (m_busy)
        return;

    g_bolStop = false;
    m_display.setExecuteEnabled(false);
    if (!m_display.isStopEnabled())
        m_display.setStopEnabled(true);
    m_display.setBusyPointer(true);
    const qint64 rowCount = m_rows.rowCount();
    if (rowCount == 0) {
        m_display.showInformation(QStringLiteral("No item listed."));
        m_display.setExecuteEnabled(true);
        m_display.setStopEnabled(false);
        m_display.setBusyPointer(false);
        return;
    }

    m_busy = true;
    m_display.setUndoEnabled(false);
    m_listCleared = false;
    m_changedAny = false;
    const auto endRun = qScopeGuard([this] { endBusy(); });
    const QString sFind = m_inputs.findText();
    const QString sWith = m_inputs.withText();
    RunTexts texts(sFind, sWith);
    Tally tally;
    // Taken once, as the texts are: a change during the run is for the next one.
    if (m_inputs.editsInsideFolders())
        tally.seen.emplace();

    for (qint64 position = rowCount; position >= 1; --position) {
        m_display.yield();
        if (g_bolStop) {
            endStopped(tally);
            return;
        }
        // A Clear during the yield emptied the list; rows dropped since then
        // are other files at the same positions, so the flag decides, not the count.
        if (m_listCleared || position > m_rows.rowCount())
            break;
        const QByteArray path = m_rows.rowTag(position);
        const QString progress = QStringLiteral("Processing file: ") + QString::number(position) + u'/'
                                 + QString::number(rowCount) + QStringLiteral("\r\n");
        m_display.setStatusCaption(progress + QString::fromUtf8(path));
        if (tally.seen)
            visitWithFolders(path, progress, texts, tally);
        else
            visitRow(path, texts, tally);
        // Stopped between two files of a folder.
        if (g_bolStop) {
            endStopped(tally);
            return;
        }
    }

    // Every row, unless a Clear ended the run early: then the rows it visited.
    m_display.setBusyPointer(false);
    QString summary = QStringLiteral("Done Processing files: ") + QString::number(tally.visited)
                      + QStringLiteral(" | files changed: ") + QString::number(tally.changed)
                      + QStringLiteral(" | files unchanged: ")
                      + QString::number(tally.visited - tally.changed - tally.failed);
    if (tally.failed > 0)
        summary += QStringLiteral(" | files failed: ") + QString::number(tally.failed);
    summary += tally.skipped.summaryText();
    m_display.setStatusCaption(summary);
    m_display.setStopEnabled(false);
    m_display.setExecuteEnabled(true);
    showReport(tally);
}

void EditRun::visitRow(const QByteArray &path, RunTexts &texts, Tally &tally)
{
    const FileOutcome outcome = editFile(path, texts, tally.failures);
    count(outcome, tally);
    if (outcome == FileOutcome::Skipped && isExistingFolder(path))
        tally.skipped.addFolderRow();
}

void EditRun::count(FileOutcome outcome, Tally &tally)
{
    ++tally.visited;
    if (outcome == FileOutcome::Changed)
        ++tally.changed;
    else if (outcome == FileOutcome::Failed)
        ++tally.failed;
}

// No summary: the status line keeps the file in hand.
void EditRun::endStopped(const Tally &tally)
{
    m_display.setBusyPointer(false);
    showReport(tally);
}

void EditRun::showReport(const Tally &tally)
{
    m_display.showFailures(tally.failures);
    m_display.showSkipped(tally.skipped);
}

void EditRun::endBusy()
{
    m_busy = false;
    m_display.setUndoEnabled(canUndo());
}

void EditRun::stop()
{
    g_bolStop = true;
    m_display.setExecuteEnabled(true);
    m_display.setStopEnabled(false);
}

void EditRun::clear()
{
    if (!m_display.askYesNo(QStringLiteral("clear the files listed?")))
        return;
    m_rows.removeAllRows();
    // The undo stays: the files are still changed, whatever the list holds.
    if (m_busy)
        m_listCleared = true;
}

EditRun::FileOutcome EditRun::editFile(const QByteArray &path, RunTexts &texts,
                                       QList<FileFailure> &failures)
{
    if (!isExistingFile(path))
        return FileOutcome::Skipped;
    const auto closeSource = qScopeGuard([this] { m_source.close(); });
    try {
        const FileOutcome outcome = editExistingFile(path, texts, failures);
        // The run goes before the undo: when the disk is full while the undo
        // holds old contents, they give their space up and the file is edited
        // afresh (a failed rewrite left it as it was).
        if (outcome == FileOutcome::Failed && isOutOfSpace(failures.last()) && m_journal.giveUpHeld(ENOSPC)) {
            failures.removeLast();
            m_source.close();
            return editExistingFile(path, texts, failures);
        }
        return outcome;
    } catch (const std::bad_alloc &) {
        // Not even a buffer's worth fitted (a Find text of many megabytes
        // under an address-space limit); nothing was written, or only to a
        // new file that is gone with the exception.
        failures.append(fileFailure(path, FileFailureReason::TooLarge, ENOMEM));
        return FileOutcome::Failed;
    }
}

EditRun::FileOutcome EditRun::editExistingFile(const QByteArray &path, RunTexts &texts,
                                               QList<FileFailure> &failures)
{
    const auto fail = [&failures](FileFailure failure) {
        failures.append(std::move(failure));
        return FileOutcome::Failed;
    };

    if (auto failure = m_source.open(path))
        return fail(*failure);
    const ReadStyle style = readStyle(m_inputs);
    // Taken before the read, not after it: the Find test runs while the file
    // is read. No event is handled in between, so the tick is the same.
    const CompareMode compare = compareMode(m_inputs);
    const qint64 size = m_source.status().st_size;

    EditRecipe recipe;
    recipe.style = style;
    // Only a line-wise style or a line break in the texts needs the file's
    // line end, which is found in its first bytes.
    const bool needsLineEnd = style != ReadStyle::WholeFile || texts.dependOnLineEnd();
    recipe.lineEnd = needsLineEnd ? fileLineEnd(m_source.fd(), size, m_readBuffer) : QByteArrayLiteral("\r\n");
    EditTexts &fileTexts = texts.forLineEnd(recipe.lineEnd);
    recipe.texts = &fileTexts;
    recipe.finder = fileTexts.search.finder(compare);
    // The ticks are taken before the read, since the first read already makes
    // the edit to compare it with the file; no event is handled in between.
    recipe.modes = tickedModes(m_inputs);

    const FileCheck check = checkFile(m_source.fd(), size, recipe, m_readBuffer);
    if (check.read.end == ReadOutcome::End::Failed)
        return fail(fileFailure(path, FileFailureReason::OpenForReading, check.read.error));
    if (check.read.end == ReadOutcome::End::Changed)
        return fail(changedFailure(path));
    if (!check.found)
        return FileOutcome::Unchanged;
    showModePass(m_inputs, [this](const QString &caption) { m_display.setModeCaption(caption); });
    // Rewriting the same bytes would change nothing but the file's inode and times.
    if (!check.changes)
        return FileOutcome::Unchanged;

    const auto produce = [&](int source, qint64 sourceSize, ByteSink &out) {
        return produceEdit(source, sourceSize, recipe, m_readBuffer, out);
    };
    RewriteOutcome outcome = m_rewriter.rewrite(m_source, RewriteSource::file(m_source.fd(), m_source.status()),
                                                produce);
    if (outcome.failure)
        return fail(*outcome.failure);
    keepForUndo(path, outcome);
    return FileOutcome::Changed;
}

void EditRun::keepForUndo(const QByteArray &path, RewriteOutcome &outcome)
{
    // The undo of the run before goes with this run's first change, so that a
    // run that changes nothing keeps it.
    if (!m_changedAny) {
        m_journal.clear();
        m_changedAny = true;
    }
    if (m_keepsUndo)
        m_journal.record(path, m_source, outcome.written, std::move(outcome.overwritten));
}
