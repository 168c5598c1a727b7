#pragma once

#include "folderwalk.h"

#include <QByteArray>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>

class FileRows;

// One step of a run's order: a row's turn or, where folders are walked, what
// the walk of a folder row comes to in the row's place.
struct OrderStep
{
    enum class Kind {
        Row,            // a row's turn: its file, unless it is a walked folder
        FolderFile,     // a file below a walked folder row
        Skipped,        // an entry below it, passed by
        FolderFailed,   // a folder below it that could not be read
    };
    Kind kind = Kind::Row;
    qint64 position = 0;   // the row's
    QByteArray path;       // the row's tag, or the walk's path
    // A file to visit: its number in the order, from 1; 0 for a step that
    // is no file (a walked folder row, an entry passed by).
    quint64 file = 0;
    struct stat status
    {
    };                                  // where folders are walked, the file's, through links
    WalkSkip skip = WalkSkip::Hidden;   // when Skipped
    int error = 0;                      // when FolderFailed: the errno of opening or reading it
};

// The steps of a run, from the last row to the first, each read at its turn
// or, so that workers can prepare the files, read some files ahead of it. A
// row's tag is read with its step: the one who goes through the order checks
// it at the row's turn and starts over from there where it changed.
class RunOrder
{
public:
    RunOrder(const FileRows &rows, qint64 rowCount, bool walksFolders);
    ~RunOrder();
    RunOrder(const RunOrder &) = delete;
    RunOrder &operator=(const RunOrder &) = delete;

    // The next step; nothing once the rows are done, or past those listed.
    std::optional<OrderStep> next();
    // Reads on until `files` files have been read and not yet taken (or, in
    // a tree of entries passed by, a thousand steps), or the rows end, and
    // tells `found` of each file read.
    void readAhead(qsizetype files, const std::function<void(const OrderStep &)> &found);
    // Forgets what was read ahead: the next step is the row `position`'s turn.
    void restartAt(qint64 position);

private:
    std::optional<OrderStep> read();
    std::optional<OrderStep> readRow();
    OrderStep fromWalk(WalkStep step);

    const FileRows &m_rows;
    const bool m_walksFolders;
    qint64 m_nextRow;
    quint64 m_lastFile = 0;
    std::unique_ptr<FolderWalk> m_walk;   // of the folder row m_walkedRow, until it ends
    qint64 m_walkedRow = 0;
    std::deque<OrderStep> m_ahead;   // steps read and not yet taken
    qsizetype m_filesAhead = 0;      // the files among them
};
