#include "runcaptions.h"

namespace {

QString positionCaption(const QString &action, const Progress &progress)
{
    return action + QString::number(progress.position) + u'/' + QString::number(progress.count) + QStringLiteral("\r\n")
           + QString::fromUtf8(progress.path);
}

// " | files skipped: S | folders skipped: K", where there are any.
QString skippedCaption(const SkippedFiles &skipped)
{
    QString caption;
    if (const qint64 files = skipped.fileCount(); files > 0)
        caption += QStringLiteral(" | files skipped: ") + QString::number(files);
    if (const qint64 folders = skipped.folderRowCount(); folders > 0)
        caption += QStringLiteral(" | folders skipped: ") + QString::number(folders);
    return caption;
}

}   // namespace

QString progressCaption(const Progress &progress)
{
    return positionCaption(QStringLiteral("Processing file: "), progress);
}

QString runSummaryCaption(const RunSummary &summary)
{
    QString caption = QStringLiteral("Done Processing files: ") + QString::number(summary.visited)
                      + QStringLiteral(" | files changed: ") + QString::number(summary.changed)
                      + QStringLiteral(" | files unchanged: ") + QString::number(summary.unchanged);
    if (summary.failed > 0)
        caption += QStringLiteral(" | files failed: ") + QString::number(summary.failed);
    return caption + skippedCaption(summary.skipped);
}

QString previewProgressCaption(const Progress &progress)
{
    return positionCaption(QStringLiteral("Previewing file: "), progress);
}

QString previewSummaryCaption(const RunSummary &summary)
{
    QString caption = QStringLiteral("Preview: files visited: ") + QString::number(summary.visited)
                      + QStringLiteral(" | would change: ") + QString::number(summary.changed)
                      + QStringLiteral(" | unchanged: ") + QString::number(summary.unchanged);
    if (summary.failed > 0)
        caption += QStringLiteral(" | would fail: ") + QString::number(summary.failed);
    return caption + skippedCaption(summary.skipped);
}

QString occurrencesText(qint64 occurrences)
{
    return QString::number(occurrences)
           + (occurrences == 1 ? QStringLiteral(" occurrence") : QStringLiteral(" occurrences"));
}

QString undoProgressCaption(const Progress &progress)
{
    return positionCaption(QStringLiteral("Putting back file: "), progress);
}

QString undoSummaryCaption(const UndoSummary &summary)
{
    return QStringLiteral("Undo done: files put back: ") + QString::number(summary.putBack)
           + QStringLiteral(" | files left as they are: ") + QString::number(summary.left.size());
}

QStringList modePassCaptions(const QStringList &modeTexts)
{
    QStringList captions;
    for (const QString &text : modeTexts)
        captions.append(QStringLiteral("Performing: ") + text);
    captions.append(QStringLiteral("..."));
    return captions;
}

QString nothingListedText()
{
    return QStringLiteral("No item listed.");
}

QString clearQuestionText()
{
    return QStringLiteral("clear the files listed?");
}

QString undoQuestionText(const UndoQuestion &question)
{
    QString text = QStringLiteral("Put back the ") + QString::number(question.restorable)
                   + QStringLiteral(" files that the last edit run changed, as they were before it?");
    if (question.unrestorable > 0)
        text += u'\n' + QString::number(question.unrestorable) + QStringLiteral(" changed files cannot be put back.");
    return text;
}
