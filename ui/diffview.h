#pragma once

#include "showndiff.h"

#include <QPlainTextEdit>

// The diff of one file as a unified diff: hunk headers, then each line with
// its old and new line numbers and its sign, removed lines on red and added
// lines on green, with the characters that changed within a line underlined
// on a stronger colour, so that it reads without colour too. Long lines and
// long diffs are cut with a note of what was left out.
class DiffView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit DiffView(QWidget *parent = nullptr);

    void showDiff(const ShownDiff &diff);
    // A sentence in place of a diff (the file changed, could not be read).
    void showNote(const QString &note);
};
