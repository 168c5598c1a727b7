#pragma once

#include "filefailure.h"
#include "skippedfiles.h"

#include <QByteArray>
#include <QList>

#include <optional>

// What the run and the undo give back, as data: the window words it.

// What became of one file a run tried.
enum class FileOutcome { Skipped, Unchanged, Changed, Failed };

struct FileResult
{
    FileOutcome outcome = FileOutcome::Unchanged;
    std::optional<FileFailure> failure;   // when Failed

    static FileResult failed(FileFailure failure) { return {FileOutcome::Failed, std::move(failure)}; }
};

// What a run did. A row that is no file to edit counts as visited and
// unchanged; a folder that could not be read as visited and failed.
struct RunSummary
{
    qint64 visited = 0;
    qint64 changed = 0;
    qint64 unchanged = 0;
    qint64 failed = 0;
    SkippedFiles skipped;          // what was passed by without counting as visited
    QList<FileFailure> failures;   // one for each failed file, in the order met
    bool stopped = false;          // Stop ended it before its last row

    // Counts one file's result.
    void add(FileResult result);
};

// What an undo did.
struct UndoSummary
{
    qint64 putBack = 0;
    QList<FileFailure> left;   // the files left as they are, and why
    bool stopped = false;
};

// The file in hand: the row (or the undo's file) at `position` of `count`,
// counted down; for a listed folder, `path` is the file of it in hand.
struct Progress
{
    qint64 position = 0;
    qint64 count = 0;
    QByteArray path;
};

// What the undo question names: the files it would put back, and those it cannot.
struct UndoQuestion
{
    qsizetype restorable = 0;
    qsizetype unrestorable = 0;
};
