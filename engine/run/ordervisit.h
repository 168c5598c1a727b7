#pragma once

#include "filesseen.h"
#include "runorder.h"
#include "runresults.h"

#include <functional>

class FileRows;

// What prepares the files of a run ahead of their turn, as the order comes
// to know them.
class AheadOfTurn
{
public:
    virtual ~AheadOfTurn() = default;

    // How many files may wait to be taken, the next one's included.
    virtual qsizetype mostAhead() const = 0;
    // A file whose turn comes after those given before.
    virtual void give(const OrderStep &file) = 0;
    // Forgets every file given and not yet taken.
    virtual void dropAll() = 0;
};

// What going through a run's order asks of the one who goes: the edit run,
// which edits each file, or its preview, which only makes the edit.
struct OrderVisit
{
    // Before each row, and between two files of a folder: yields, and
    // whether to go on.
    std::function<bool()> goOn;
    // A row, or a folder's file in its row's place, is about to be visited.
    std::function<void(const Progress &progress)> show;
    // Visits a file: a row's, or one a folder walk has not been to.
    std::function<FileResult(const OrderStep &file)> visit;
};

// Goes through the rows from the last to the first until goOn() says no, a
// Clear empties the list or the rows end, with `ahead` given the files
// before their turn. Without `seen`, a folder row is only counted. With it,
// folders are walked: a folder row stands for the regular text files below
// it, visited one after the other in the row's place, with what is skipped
// below it counted; a file reached twice (a row and inside a listed folder,
// or inside two) is visited once and counted unchanged the second time.
void visitInOrder(const FileRows &rows, qint64 rowCount, FilesSeen *seen, const OrderVisit &visit,
                  AheadOfTurn *ahead, RunSummary &summary);
