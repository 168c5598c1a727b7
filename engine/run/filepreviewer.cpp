#include "filepreviewer.h"

#include "editpass.h"
#include "filerecipe.h"
#include "filesink.h"
#include "sourcefile.h"

#include <cerrno>
#include <new>

namespace {

std::optional<FileFailure> readFailure(const QByteArray &path, const ReadOutcome &read)
{
    if (read.end == ReadOutcome::End::Failed)
        return fileFailure(path, FileFailureReason::ReadFailed, read.error);
    if (read.end == ReadOutcome::End::Changed)
        return changedFailure(path);
    return std::nullopt;
}

FilePreview failed(FileFailure failure)
{
    return {FileResult::failed(std::move(failure)), std::nullopt};
}

}   // namespace

FilePreviewer::FilePreviewer(const QString &find, const QString &with)
    : m_texts(find, with)
    , m_buffer(kStreamBufferSize, Qt::Uninitialized)
{}

FilePreview FilePreviewer::preview(const QByteArray &path, const FileTicks &ticks)
{
    if (!isExistingFile(path))
        return {{FileOutcome::Skipped, {}}, std::nullopt};
    try {
        return previewExisting(path, ticks);
    } catch (const std::bad_alloc &) {
        return failed(fileFailure(path, FileFailureReason::OutOfMemory, ENOMEM));
    }
}

FilePreview FilePreviewer::previewExisting(const QByteArray &path, const FileTicks &ticks)
{
    // One for each file: a path kept from the file before would be let go
    // inside Qt, out of sight of the thread sanitizer, after the thread that
    // gave it let go of its own copy.
    SourceFile source;
    if (auto failure = source.open(path, SourceFile::Access::Peek))
        return failed(*failure);
    const qint64 size = source.status().st_size;
    const EditRecipe recipe = fileRecipe(source.fd(), size, ticks, m_texts, m_buffer);
    const FileCheck check = checkFile(source.fd(), size, recipe, m_buffer);
    if (auto failure = readFailure(path, check.read))
        return failed(*failure);
    if (!check.found || !check.changes)
        return {{FileOutcome::Unchanged, {}}, std::nullopt};
    CountingSink nowhere;
    EditTap tap;
    if (auto failure = readFailure(path, produceEdit(source.fd(), size, recipe, m_buffer, nowhere, &tap)))
        return failed(*failure);
    return {{FileOutcome::Changed, {}}, PreviewedFile{path, source.status(), tap.occurrences}};
}
