#include "preparedfile.h"

#include "editpass.h"
#include "filerecipe.h"
#include "undojournal.h"

#include <new>

FilePreparer::FilePreparer(const QString &find, const QString &with, qsizetype bufferSize)
    : m_texts(find, with)
    , m_buffer(bufferSize, Qt::Uninitialized)
{}

PreparedFile FilePreparer::prepare(const FileJob &job)
{
    PreparedFile file;
    file.job = job;
    try {
        // Anything but a plain file in a plain folder is left to its turn.
        if (file.source.openPlain(job.path, m_folders))
            check(file);
    } catch (const std::bad_alloc &) {
        file.replacement.reset();
        file.source.close();
        file.kind = PreparedFile::Kind::AtTurn;
    }
    return file;
}

void FilePreparer::check(PreparedFile &file)
{
    SourceFile &source = file.source;
    const qint64 size = source.status().st_size;
    const EditRecipe recipe = fileRecipe(source.fd(), size, file.job.ticks, m_texts, m_buffer);
    const FileCheck check = checkFile(source.fd(), size, recipe, m_buffer);
    // A failure is met again, and reported, at its turn.
    if (check.read.end == ReadOutcome::End::Failed || check.read.end == ReadOutcome::End::Changed) {
        source.close();
        return;
    }
    file.found = check.found;
    file.lineEnd = recipe.lineEnd;
    if (!check.found || !check.changes) {
        file.kind = PreparedFile::Kind::Unchanged;
        source.closeFile();
        return;
    }
    file.kind = PreparedFile::Kind::Rewrite;
    // A file larger than the buffer would hold its disk space and this
    // worker for long ahead of its turn; it is written then.
    if (!check.inBuffer)
        return;
    const QByteArrayView content(m_buffer.constData(), size);
    const auto produce = [&](Pass, int, qint64, ByteSink &out) {
        return produceEdit(content, recipe, m_buffer.size(), out);
    };
    if (auto written = m_rewriter.writeAhead(source, RewriteSource::target(source.fd(), source.status()), produce)) {
        file.replacement.emplace(std::move(*written));
        file.kind = PreparedFile::Kind::Replacement;
        // A file still open when it is renamed over is first moved aside
        // under a hidden name on FUSE and NFS (requests under the folder's
        // lock, a name the user sees): closed now, its old content kept
        // from the bytes just read.
        if (file.replacement->hasName() && size <= UndoJournal::kMostBytesPerFileInArena) {
            file.oldContent = content.toByteArray();
            source.closeFile();
        }
    }
}
