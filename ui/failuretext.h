#pragma once

#include "filefailure.h"
#include "runresults.h"
#include "skippedfiles.h"

#include <QList>
#include <QString>

// The words for why a file could not be edited or put back, and the lists
// the status line shows after a run (the failed files) and after an undo (the
// files left as they are), as lines of plain text, empty when there are none.
QString failureReasonText(FileFailureReason reason);
QString failureList(const QList<FileFailure> &failures);
QString leftAsTheyAreList(const QList<FileFailure> &files);

// The words for why a walk through a folder passed a file by, and the
// status line's lines on what a run skipped: the files with their reasons
// (grouped by reason past SkippedFiles::kNamed of them), and a hint when
// folder rows were skipped; empty when nothing was.
QString skipReasonText(WalkSkip why);
QString skippedList(const SkippedFiles &skipped);
// Both lists of a run's summary, the failed files first.
QString runFilesList(const RunSummary &summary);
