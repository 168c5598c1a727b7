#include "filediffs.h"

#include "editpass.h"
#include "filerecipe.h"
#include "fileio.h"
#include "linediff.h"
#include "sourcefile.h"
#include "unifieddiff.h"

#include <cerrno>
#include <unistd.h>

namespace {

// A review reads the two contents a piece of this size at a time each, so
// that neither runs far ahead of the other in the diff.
constexpr qint64 kReviewPiece = 256 * 1024;

LineDiff::Options diffOptions(const DiffStyle &style, int fd, qint64 size, QByteArray &buffer)
{
    LineDiff::Options options;
    options.keptBytes = style.keptBytes;
    if (style.ownLineEnd)
        options.lineBreak = fileLineEnd(fd, size, buffer).back();
    return options;
}

// Reads up to kReviewPiece bytes of `fd` from `offset` into `out`; moves `done` on.
int readPiece(int fd, qint64 offset, qint64 size, qint64 &done, QByteArray &buffer, ByteSink &out)
{
    const qint64 want = qMin(qMin(kReviewPiece, qint64(buffer.size())), size - done);
    if (want <= 0)
        return 0;
    ssize_t got;
    do
        got = ::pread(fd, buffer.data(), size_t(want), offset + done);
    while (got < 0 && errno == EINTR);
    if (got <= 0)
        return got == 0 ? ENODATA : errno;
    done += got;
    out.append(QByteArrayView(buffer.constData(), got));
    return 0;
}

}   // namespace

std::optional<FileFailure> diffPreviewed(const PreviewedFile &file, const EditInputs &inputs, RunTexts &texts,
                                         const DiffStyle &style, DiffReceiver &out)
{
    SourceFile source;
    if (auto failure = source.open(file.path, SourceFile::Access::Peek))
        return failure;
    if (!isSameVersion(source.status(), file.version))
        return FileFailure{file.path, FileFailureReason::ChangedSincePreview, {}};
    QByteArray buffer(kStreamBufferSize, Qt::Uninitialized);
    const qint64 size = source.status().st_size;
    const EditRecipe recipe = fileRecipe(source.fd(), size, fileTicks(inputs), texts, buffer);
    LineDiff diff(diffOptions(style, source.fd(), size, buffer), out);
    EditTap tap{&diff.oldSink()};
    const ReadOutcome read = produceEdit(source.fd(), size, recipe, buffer, diff.newSink(), &tap);
    if (read.end == ReadOutcome::End::Failed)
        return fileFailure(file.path, FileFailureReason::ReadFailed, read.error);
    if (read.end != ReadOutcome::End::Complete)
        return FileFailure{file.path, FileFailureReason::ChangedSincePreview, {}};
    diff.finish();
    return std::nullopt;
}

// Two passes over the file: the counts of the hunks come before their lines.
std::optional<FileFailure> writeUnifiedDiff(const PreviewedFile &file, const EditInputs &inputs, RunTexts &texts,
                                            ByteSink &out)
{
    const DiffStyle asPatchReadsIt{false, -1};
    HunkCounts counts;
    if (auto failure = diffPreviewed(file, inputs, texts, asPatchReadsIt, counts))
        return failure;
    UnifiedDiffWriter writer(counts.counts(), out);
    writer.writeHeader(file.path, file.path);
    return diffPreviewed(file, inputs, texts, asPatchReadsIt, writer);
}

std::optional<FileFailure> diffSinceRun(const UndoJournal &journal, const UndoJournal::Entry &entry,
                                        const DiffStyle &style, DiffReceiver &out)
{
    const UndoJournal::ContentPlace old = journal.placeOf(entry);
    if (old.fd < 0)
        return FileFailure{entry.path, FileFailureReason::NotKept, {}};
    SourceFile current;
    if (auto failure = current.open(entry.path, SourceFile::Access::Peek))
        return failure->error == ENOENT ? FileFailure{entry.path, FileFailureReason::NoLongerThere, {}} : *failure;
    if (!isSameVersion(current.status(), entry.written))
        return FileFailure{entry.path, FileFailureReason::ChangedSinceRun, {}};
    QByteArray buffer(kStreamBufferSize, Qt::Uninitialized);
    const qint64 size = current.status().st_size;
    LineDiff diff(diffOptions(style, current.fd(), size, buffer), out);
    qint64 oldDone = 0;
    qint64 newDone = 0;
    while (oldDone < entry.oldSize || newDone < size) {
        int error = readPiece(old.fd, old.at, entry.oldSize, oldDone, buffer, diff.oldSink());
        if (error == 0)
            error = readPiece(current.fd(), 0, size, newDone, buffer, diff.newSink());
        if (error != 0)
            return fileFailure(entry.path, FileFailureReason::ReadFailed, error);
    }
    diff.finish();
    return std::nullopt;
}
