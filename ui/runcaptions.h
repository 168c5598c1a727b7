#pragma once

#include "runresults.h"

#include <QString>
#include <QStringList>

// The words of a run and an undo as the window says them: the status line's
// captions, the mode line's and the questions. Widget-free, so that the
// benchmarks' displayless host says them the same way.

// "Processing file: 3/5", a line break and the path.
QString progressCaption(const Progress &progress);
// "Done Processing files: V | files changed: C | files unchanged: U", then
// " | files failed: F", " | files skipped: S" and " | folders skipped: K"
// when there are any.
QString runSummaryCaption(const RunSummary &summary);
// "Putting back file: 2/4", a line break and the path.
QString undoProgressCaption(const Progress &progress);
// "Undo done: files put back: P | files left as they are: L".
QString undoSummaryCaption(const UndoSummary &summary);
// "Previewing file: 3/5", a line break and the path.
QString previewProgressCaption(const Progress &progress);
// "Preview: files visited: V | would change: C | unchanged: U", then
// " | would fail: F", " | files skipped: S" and " | folders skipped: K"
// when there are any.
QString previewSummaryCaption(const RunSummary &summary);
// "3 occurrences" (or "1 occurrence").
QString occurrencesText(qint64 occurrences);

// The mode line during a file's mode pass: "Performing: " and each mode
// item's text, then "...".
QStringList modePassCaptions(const QStringList &modeTexts);

QString nothingListedText();
QString clearQuestionText();
QString undoQuestionText(const UndoQuestion &question);
