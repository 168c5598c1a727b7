#include "editrun.h"

#include "editmodes.h"
#include "linereader.h"
#include "replaceall.h"

#include <QScopeGuard>

#include <cerrno>
#include <csignal>
#include <new>

EditRun::EditRun(EditHost &host) : m_host(host)
{
    // A write past the file-size limit (ulimit -f) raises SIGXFSZ, whose
    // default action ends the program. Ignored, the write fails with EFBIG
    // instead, and the file counts as failed while the run goes on.
    std::signal(SIGXFSZ, SIG_IGN);
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
        const QString path = m_host.rowTag(position);
        m_host.setStatusCaption(QStringLiteral("Processing file: ") + QString::number(position) + u'/'
                                + QString::number(rowCount) + QStringLiteral("\r\n") + path);
        if (editFile(path, texts, failures) == FileOutcome::Changed)
            ++changed;
    }

    m_host.setBusyPointer(false);
    QString summary = QStringLiteral("Done Processing files: ") + QString::number(rowCount)
                      + QStringLiteral(" | files changed: ") + QString::number(changed)
                      + QStringLiteral(" | files unchanged: ") + QString::number(rowCount - changed);
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

EditRun::FileOutcome EditRun::editFile(const QString &path, const EditTexts &texts,
                                       QList<FileFailure> &failures)
{
    if (!isExistingFile(path))
        return FileOutcome::Skipped;
    const auto releaseSource = qScopeGuard([this] {
        m_source.close();
        m_source.release();
    });
    try {
        return editExistingFile(path, texts, failures);
    } catch (const std::bad_alloc &) {
        // The content, the rebuilt lines or the edited text did not fit in
        // memory; nothing was written yet, or only to a temporary file.
        failures.append(fileFailure(path, FileFailureReason::TooLarge, ENOMEM));
        return FileOutcome::Failed;
    }
}

EditRun::FileOutcome EditRun::editExistingFile(const QString &path, const EditTexts &texts,
                                               QList<FileFailure> &failures)
{
    const auto fail = [&failures](FileFailure failure) {
        failures.append(std::move(failure));
        return FileOutcome::Failed;
    };

    if (auto failure = m_source.open(path))
        return fail(*failure);
    const ReadStyle intReadStyle = readStyle();
    if (auto failure = m_source.read())
        return fail(*failure);
    QByteArray lines;
    QByteArrayView content = m_source.bytes();
    if (intReadStyle != ReadStyle::WholeFile) {
        lines = readLineWise(content, intReadStyle);
        content = lines;
        m_source.release();   // not to hold the file twice while it is edited
    }
    m_source.close();
    const CompareMode intCompare = compareMode();

    if (!containsFind(content, texts.find, intCompare))
        return FileOutcome::Unchanged;
    const QList<EditMode> modes = modePass(m_host);
    const auto produce = [&](ByteSink &out) {
        applyModes(content, modes, texts, intCompare, out);
        out.append("\r\n");
    };
    if (auto failure = m_rewriter.rewrite(path, m_source.status(), produce))
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
