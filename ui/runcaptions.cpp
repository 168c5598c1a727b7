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

// The words of a run's counts, and of a preview's.
struct CountWords
{
    const char *visited;
    const char *changed;
    const char *unchanged;
    const char *failed;   // only when some failed
};

QString summaryCaption(const RunSummary &summary, const CountWords &words)
{
    QString caption = QLatin1StringView(words.visited) + QString::number(summary.visited)
                      + QLatin1StringView(words.changed) + QString::number(summary.changed)
                      + QLatin1StringView(words.unchanged) + QString::number(summary.unchanged);
    if (summary.failed > 0)
        caption += QLatin1StringView(words.failed) + QString::number(summary.failed);
    return caption + skippedCaption(summary.skipped);
}

}   // namespace

QString progressCaption(const Progress &progress)
{
    return positionCaption(QStringLiteral("Processing file: "), progress);
}

QString runSummaryCaption(const RunSummary &summary)
{
    return summaryCaption(
        summary, {"Done Processing files: ", " | files changed: ", " | files unchanged: ", " | files failed: "});
}

QString previewProgressCaption(const Progress &progress)
{
    return positionCaption(QStringLiteral("Previewing file: "), progress);
}

QString previewSummaryCaption(const RunSummary &summary)
{
    return summaryCaption(summary,
                          {"Preview: files visited: ", " | would change: ", " | unchanged: ", " | would fail: "});
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
