#pragma once

#include "difflines.h"

// One line of a unified diff, as a LineDiff hands it on.
struct DiffLine
{
    enum class Kind { Context, Removed, Added };

    Kind kind = Kind::Context;
    const DiffSourceLine &line;
    // The bytes of line.text() that differ from the line paired with it (a
    // removed line with the added line in the same place of its change), on
    // UTF-8 character boundaries; all of them for a line without a pair.
    qsizetype changedFrom = 0;
    qsizetype changedTo = 0;
};

// Receives a diff hunk by hunk, as it is found.
class DiffReceiver
{
public:
    virtual ~DiffReceiver() = default;

    // A hunk starts at these 1-based line numbers of the old and the new text.
    virtual void beginHunk(qint64 oldStart, qint64 newStart) = 0;
    virtual void line(const DiffLine &line) = 0;
    // The hunk ended, having covered this many lines of each text.
    virtual void endHunk(qint64 oldCount, qint64 newCount) = 0;
};
