#pragma once

#include "editmodes.h"
#include "filelocation.h"
#include "jobsahead.h"
#include "newfile.h"
#include "runinputs.h"
#include "saferewrite.h"
#include "sourcefile.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What was done of a file ahead of its turn. Nothing of it shows in the file
// before its turn: the new content, if any, is in a file without a name (or,
// on a file system without such files, under a hidden name beside it), which
// goes with this object unless the turn puts it in place.
struct PreparedFile
{
    enum class Kind {
        AtTurn,        // nothing usable was done (not there, a link, a failure): all is done at its turn
        Unchanged,     // read: the edit changes no byte
        Rewrite,       // read, the edit changes it, but it is written at its turn (in place, or large)
        Replacement,   // read, and its new content written into `replacement`
    };

    FileJob job;
    Kind kind = Kind::AtTurn;
    bool found = false;   // it passed the Find test
    QByteArray lineEnd;   // as its recipe had it
    // Open for Rewrite and Replacement; for Unchanged, closed, its place
    // kept to see at its turn whether it is still the file that was read.
    SourceFile source;
    std::optional<NewFile> replacement;   // after `source`: goes before it
    // A small Replacement under a hidden name (no unnamed files there): its
    // old content, for the undo; `source` is closed, its place kept.
    QByteArray oldContent;
};

// The part of a run's work on one file that may be done ahead of its turn
// and on any thread, with state of its own (texts, buffers, the folder last
// used): one per worker.
class FilePreparer
{
public:
    FilePreparer(const QString &find, const QString &with, qsizetype bufferSize);

    PreparedFile prepare(const FileJob &job);

private:
    void check(PreparedFile &file);

    RunTexts m_texts;
    QByteArray m_buffer;
    SafeRewriter m_rewriter;
    FolderCache m_folders;
};
