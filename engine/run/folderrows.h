#pragma once

#include "filesseen.h"
#include "runresults.h"

#include <QByteArray>

#include <functional>

// What walking the rows with folders asks of the one who walks them: the edit
// run, which edits each file, or its preview, which only makes the edit.
struct FolderRowVisit
{
    // Between two files of a folder, as between two rows: whether to go on.
    std::function<bool()> goOn;
    // A folder's file is about to be visited, in its row's place.
    std::function<void(const Progress &progress)> show;
    // Visits a file this walk has not been to.
    std::function<FileResult(const QByteArray &path)> visit;
};

// One row's result when folders are not walked: a folder row is only counted.
void addRowResult(const QByteArray &path, FileResult result, RunSummary &summary);

// One row when folders are walked: a folder row stands for the regular text
// files below it, visited one after the other in the row's place, with what
// is skipped below it counted; a file reached twice in a walk (a row and
// inside a listed folder, or inside two) is visited once and counted
// unchanged the second time. The row's own progress is shown by the caller.
void visitWithFolders(const Progress &row, FilesSeen &seen, RunSummary &summary, const FolderRowVisit &visit);
