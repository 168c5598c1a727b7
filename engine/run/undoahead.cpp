#include "undoahead.h"

#include "fileio.h"
#include "jobsahead.h"

#include <new>

UndosAhead::UndosAhead(int workers, qsizetype bufferSize)
    : m_pipeline(workers,
                 [this](int worker, const UndoJob &job) {
                     m_retired.closeAll();
                     return prepare(*m_preparers[size_t(worker)], job);
                 })
    , m_mostAhead(mostFilesAhead())
{
    for (int worker = 0; worker < workers; ++worker)
        m_preparers.push_back(std::make_unique<Preparer>(Preparer{{}, QByteArray(bufferSize, Qt::Uninitialized)}));
}

PreparedUndo UndosAhead::take(qsizetype index, const UndoJournal &journal)
{
    qsizetype &next = m_next ? *m_next : m_next.emplace(index);
    for (; next >= 0 && m_pipeline.pending() < m_mostAhead; --next) {
        const UndoJournal::Entry &entry = journal.entries()[size_t(next)];
        if (entry.canBePutBack())
            m_pipeline.push({next, entry.path, entry.oldSize, entry.mode, entry.owner, entry.group, entry.written,
                             journal.placeOf(entry)});
    }
    return m_pipeline.take();
}

PreparedUndo UndosAhead::prepare(Preparer &preparer, const UndoJob &job)
{
    PreparedUndo undo{job, {}, {}};
    // What is not as the run left it is judged, and reported, at its turn.
    if (job.content.fd < 0 || undo.current.open(job.path, SourceFile::Access::StatusOnly)
        || !isSameVersion(undo.current.status(), job.written))
        return undo;
    const RewriteSource source{-1, job.oldSize, job.mode, job.owner, job.group};
    const auto produce = [&](Pass, int, qint64 size, ByteSink &out) {
        return readKept(job.content.fd, job.content.at, size, preparer.buffer, out);
    };
    try {
        if (auto written = preparer.rewriter.writeAhead(undo.current, source, produce))
            undo.replacement.emplace(std::move(*written));
    } catch (const std::bad_alloc &) {
        undo.replacement.reset();
    }
    return undo;
}
