#pragma once

#include "newfile.h"
#include "pipeline.h"
#include "retiredfiles.h"
#include "saferewrite.h"
#include "sourcefile.h"
#include "undojournal.h"

#include <QByteArray>

#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

// What putting one file back needs of its journal entry, copied, so that the
// workers never read the journal itself.
struct UndoJob
{
    qsizetype index = 0;   // the entry's in the journal
    QByteArray path;
    qint64 oldSize = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    struct stat written
    {
    };
    UndoJournal::ContentPlace content;
};

// A file put back ahead of its turn as far as can be done before its turn: its old
// content written into a new file in its folder (see NewFile). Without
// `replacement` (a file changed or gone since the run, written in place, a
// failure) the put-back is all done at its turn.
struct PreparedUndo
{
    UndoJob job;
    SourceFile current;                   // the file now, pinned, its status taken
    std::optional<NewFile> replacement;   // after `current`: goes before it
};

// The files an undo puts back, from the one the run changed last, prepared
// by worker threads as FilesAhead prepares a run's files.
class UndosAhead
{
public:
    UndosAhead(int workers, qsizetype bufferSize);

    // The prepared put-back of the journal's entry `index`, whose old content
    // is kept, and the entries before it given to the workers.
    PreparedUndo take(qsizetype index, const UndoJournal &journal);

    // Has a worker close `fd`, the last descriptor of a replaced file.
    void closeLater(UniqueFd fd) { m_retired.closeLater(std::move(fd)); }

private:
    // One worker's own rewriter and buffer.
    struct Preparer
    {
        SafeRewriter rewriter;
        QByteArray buffer;
    };
    static PreparedUndo prepare(Preparer &preparer, const UndoJob &job);

    RetiredFiles m_retired;   // closed by a worker before each file it prepares
    std::vector<std::unique_ptr<Preparer>> m_preparers;
    Pipeline<UndoJob, PreparedUndo> m_pipeline;
    const qsizetype m_mostAhead;
    // The next entry to give the workers (-1 once all are given); nothing
    // before the first.
    std::optional<qsizetype> m_next;
};
