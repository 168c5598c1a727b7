#include "editrun.h"

#include "editmodes.h"
#include "linereader.h"
#include "replacestream.h"

#include <QScopeGuard>

#include <cerrno>
#include <csignal>
#include <new>

EditRun::EditRun(EditHost &host) : m_host(host), m_readBuffer(kStreamBufferSize, Qt::Uninitialized)
{
    // A write past the file-size limit (ulimit -f) raises SIGXFSZ, whose
    // default action ends the program. Ignored, the write fails with EFBIG
    // instead, and the file counts as failed while the run goes on.
    std::signal(SIGXFSZ, SIG_IGN);
}

void EditRun::setBufferSize(qsizetype bytes)
{
    m_readBuffer.resize(bytes);
}

void EditRun::Command1_Click(int index)
{
    switch (Command(index)) {
    case Command::Execute:
        execute();
        break;
    case Command::Stop:
        stop();
        break;
    case Command::Clear:
        clear();
        break;
    }
}

void EditRun::execute()
{
    // The window stays live while the run yields, so Execute from the File
    // menu can arrive in the middle of a run: a nested run is not started.
    if (m_running)
        return;

    g_bolStop = false;
    m_host.setExecuteEnabled(false);
    if (!m_host.isStopEnabled())
        m_host.setStopEnabled(true);
    m_host.setBusyPointer(true);
    const qint64 rowCount = m_host.rowCount();
    if (rowCount == 0) {
        m_host.showInformation(QStringLiteral("No item listed."));
        m_host.setExecuteEnabled(true);
        m_host.setStopEnabled(false);
        m_host.setBusyPointer(false);
        return;
    }

    m_running = true;
    m_listCleared = false;
    const auto endRun = qScopeGuard([this] { m_running = false; });
    const QString sFind = m_host.findText();
    const QString sWith = m_host.withText();
    const EditTexts texts = makeEditTexts(sFind, sWith);
    qint64 visited = 0;
    qint64 changed = 0;
    QList<FileFailure> failures;

    for (qint64 position = rowCount; position >= 1; --position) {
        m_host.yield();
        if (g_bolStop) {
            m_host.setBusyPointer(false);
            m_host.showFailures(failures);
            return;
        }
        // A Clear during the yield emptied the list; rows dropped since then
        // are other files at the same positions, so the flag decides, not the count.
        if (m_listCleared || position > m_host.rowCount())
            break;
        ++visited;
        const QByteArray path = m_host.rowTag(position);
        m_host.setStatusCaption(QStringLiteral("Processing file: ") + QString::number(position) + u'/'
                                + QString::number(rowCount) + QStringLiteral("\r\n") + QString::fromUtf8(path));
        if (editFile(path, texts, failures) == FileOutcome::Changed)
            ++changed;
    }

    // Every row, unless a Clear ended the run early: then the rows it visited.
    m_host.setBusyPointer(false);
    QString summary = QStringLiteral("Done Processing files: ") + QString::number(visited)
                      + QStringLiteral(" | files changed: ") + QString::number(changed)
                      + QStringLiteral(" | files unchanged: ") + QString::number(visited - changed);
    if (!failures.isEmpty())
        summary += QStringLiteral(" | files failed: ") + QString::number(failures.size());
    m_host.setStatusCaption(summary);
    m_host.setStopEnabled(false);
    m_host.setExecuteEnabled(true);
    m_host.showFailures(failures);
}

void EditRun::stop()
{
    g_bolStop = true;
    m_host.setExecuteEnabled(true);
    m_host.setStopEnabled(false);
}

void EditRun::clear()
{
    if (!m_host.askYesNo(QStringLiteral("clear the files listed?")))
        return;
    m_host.removeAllRows();
    if (m_running)
        m_listCleared = true;
}

EditRun::FileOutcome EditRun::editFile(const QByteArray &path, const EditTexts &texts,
                                       QList<FileFailure> &failures)
{
    if (!isExistingFile(path))
        return FileOutcome::Skipped;
    const auto closeSource = qScopeGuard([this] { m_source.close(); });
    try {
        return editExistingFile(path, texts, failures);
    } catch (const std::bad_alloc &) {
        // Not even a buffer's worth fitted (a Find text of many megabytes
        // under an address-space limit); nothing was written, or only to a
        // new file that is gone with the exception.
        failures.append(fileFailure(path, FileFailureReason::TooLarge, ENOMEM));
        return FileOutcome::Failed;
    }
}

EditRun::FileOutcome EditRun::editExistingFile(const QByteArray &path, const EditTexts &texts,
                                               QList<FileFailure> &failures)
{
    const auto fail = [&failures](FileFailure failure) {
        failures.append(std::move(failure));
        return FileOutcome::Failed;
    };

    if (auto failure = m_source.open(path))
        return fail(*failure);
    const ReadStyle intReadStyle = readStyle();
    // Taken before the read, not after it: the Find test runs while the file
    // is read. No event is handled in between, so the tick is the same.
    const CompareMode intCompare = compareMode();
    const qint64 size = m_source.status().st_size;

    FindTest findTest(texts.find, intCompare, m_readBuffer.size());
    const ReadOutcome read = readContent(m_source.fd(), size, intReadStyle, m_readBuffer, findTest,
                                         [&findTest] { return findTest.found(); });
    if (read.end == ReadOutcome::End::Failed)
        return fail(fileFailure(path, FileFailureReason::OpenForReading, read.error));
    if (read.end == ReadOutcome::End::Changed)
        return fail(changedFailure(path));
    findTest.finish();
    if (!findTest.found())
        return FileOutcome::Unchanged;

    const QList<EditMode> modes = modePass(m_host);
    const auto produce = [&](int source, qint64 sourceSize, ByteSink &out) {
        ModeStream edited(modes, texts, intCompare, out, m_readBuffer.size());
        const ReadOutcome outcome = readContent(source, sourceSize, intReadStyle, m_readBuffer, edited);
        if (outcome.end == ReadOutcome::End::Complete) {
            edited.finish();
            out.append("\r\n");
        }
        return outcome;
    };
    if (auto failure = m_rewriter.rewrite(path, m_source.fd(), m_source.status(), produce))
        return fail(*failure);
    return FileOutcome::Changed;
}

ReadStyle EditRun::readStyle() const
{
    if (m_host.isOptionTicked(int(ReadOption::SingleLineFile)))
        return ReadStyle::SingleLineFile;
    if (m_host.isOptionTicked(int(ReadOption::EnumerateLines)))
        return ReadStyle::EnumerateLines;
    if (m_host.isOptionTicked(int(ReadOption::RemoveIndentation)))
        return ReadStyle::RemoveIndentation;
    return ReadStyle::WholeFile;
}

CompareMode EditRun::compareMode() const
{
    return m_host.isOptionTicked(int(ReadOption::CaseSensitive)) ? CompareMode::Exact
                                                                 : CompareMode::CaseInsensitive;
}
