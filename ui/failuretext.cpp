#include "failuretext.h"

namespace {

// A tooltip taller than the screen helps nobody: past this many files the
// rest are only counted.
constexpr qsizetype kListedFailures = 20;

// `one` heads a list of one file, `many` (with %1 for the count) a longer one.
QString fileList(const QList<FileFailure> &failures, const QString &one, const QString &many)
{
    if (failures.isEmpty())
        return {};
    QStringList lines;
    lines << (failures.size() == 1 ? one : many.arg(failures.size()));
    for (const FileFailure &failure : failures.first(qMin(failures.size(), kListedFailures))) {
        // Bytes of the name that are not UTF-8 show as U+FFFD.
        QString line = QString::fromUtf8(failure.path) + QStringLiteral(" ") + failureReasonText(failure.reason);
        QString detail = failure.systemError;
        if (!failure.oldContentAt.isEmpty())
            detail += QStringLiteral("; the old content is in ") + QString::fromUtf8(failure.oldContentAt);
        if (!detail.isEmpty())
            line += QStringLiteral(" (") + detail + QStringLiteral(")");
        lines << line;
    }
    if (failures.size() > kListedFailures)
        lines << QStringLiteral("... and %1 more").arg(failures.size() - kListedFailures);
    return lines.join(QLatin1Char('\n'));
}

}   // namespace

QString failureReasonText(FileFailureReason reason)
{
    switch (reason) {
    case FileFailureReason::ReadFailed:
        return QStringLiteral("could not be read");
    case FileFailureReason::OutOfMemory:
        return QStringLiteral("could not be edited: out of memory");
    case FileFailureReason::OpenForWriting:
        return QStringLiteral("could not be opened for writing");
    case FileFailureReason::Write:
        return QStringLiteral("could not be written; the original is unchanged");
    case FileFailureReason::PartlyWritten:
        return QStringLiteral("was only partly written and may be damaged");
    case FileFailureReason::Changed:
        return QStringLiteral("changed by another program during the edit");
    case FileFailureReason::ForeignLink:
        return QStringLiteral("is reached through a link owned by another user");
    case FileFailureReason::ChangedSincePreview:
        return QStringLiteral("changed since the preview");
    case FileFailureReason::ChangedSinceRun:
        return QStringLiteral("changed since the edit run");
    case FileFailureReason::NoLongerThere:
        return QStringLiteral("no longer there");
    case FileFailureReason::NotKept:
        return QStringLiteral("cannot be put back");
    }
    return {};
}

QString failureList(const QList<FileFailure> &failures)
{
    return fileList(failures, QStringLiteral("1 file could not be edited:"),
                    QStringLiteral("%1 files could not be edited:"));
}

QString leftAsTheyAreList(const QList<FileFailure> &files)
{
    return fileList(files, QStringLiteral("1 file was left as it is:"),
                    QStringLiteral("%1 files were left as they are:"));
}

QString skipReasonText(WalkSkip why)
{
    switch (why) {
    case WalkSkip::Hidden:
        return QStringLiteral("hidden");
    case WalkSkip::NotRegularFile:
        return QStringLiteral("not a regular file");
    case WalkSkip::Binary:
        return QStringLiteral("binary");
    case WalkSkip::Utf16Text:
        return QStringLiteral("text in UTF-16");
    case WalkSkip::Count:
        break;
    }
    return {};
}

QString skippedList(const SkippedFiles &skipped)
{
    QStringList lines;
    if (const qint64 count = skipped.fileCount()) {
        lines << (count == 1 ? QStringLiteral("1 file was skipped:")
                             : QStringLiteral("%1 files were skipped:").arg(count));
        if (skipped.named().size() == count) {
            for (const SkippedFiles::Named &file : skipped.named())
                lines << QString::fromUtf8(file.path) + QStringLiteral(" (") + skipReasonText(file.why) + u')';
        } else {
            for (int why = 0; why < int(WalkSkip::Count); ++why) {
                if (const qint64 ofReason = skipped.fileCount(WalkSkip(why)))
                    lines << skipReasonText(WalkSkip(why)) + QStringLiteral(": ") + QString::number(ofReason);
            }
        }
    }
    if (skipped.folderRowCount() > 0)
        lines << QStringLiteral(
            "Folders are skipped; tick File > Edit Files Inside Folders to edit the files inside them.");
    return lines.join(QLatin1Char('\n'));
}

QString runFilesList(const RunSummary &summary)
{
    const QString failed = failureList(summary.failures);
    const QString skipped = skippedList(summary.skipped);
    if (failed.isEmpty() || skipped.isEmpty())
        return failed + skipped;
    return failed + u'\n' + skipped;
}
