#pragma once

#include "diffreceiver.h"

#include <QByteArray>
#include <QList>

// A file's diff as a window shows it: its hunks, each line with what is kept
// of it, up to a number of changed lines; past them only counts.
struct ShownDiff
{
    struct Line
    {
        DiffLine::Kind kind = DiffLine::Kind::Context;
        qint64 oldNumber = 0;        // 0 for an added line
        qint64 newNumber = 0;        // 0 for a removed line
        QByteArray text;             // the kept bytes, without the line break
        qint64 leftOut = 0;          // bytes of the line past `text`, its line break not counted
        qsizetype changedFrom = 0;   // the changed bytes of `text`
        qsizetype changedTo = 0;
    };
    struct Hunk
    {
        qint64 oldStart = 0;
        qint64 oldCount = 0;
        qint64 newStart = 0;
        qint64 newCount = 0;
        QList<Line> lines;   // those shown
    };

    QList<Hunk> hunks;
    qint64 changedLines = 0;   // removed and added lines, shown or not
    qint64 leftOutLines = 0;   // lines of hunks not shown, past the limit
};

// Collects a ShownDiff, keeping the lines of its first `mostChangedLines`
// changed lines and counting the rest.
class ShownDiffCollector : public DiffReceiver
{
public:
    explicit ShownDiffCollector(qint64 mostChangedLines) : m_most(mostChangedLines) {}

    void beginHunk(qint64 oldStart, qint64 newStart) override;
    void line(const DiffLine &line) override;
    void endHunk(qint64 oldCount, qint64 newCount) override;

    ShownDiff &diff() { return m_diff; }

private:
    ShownDiff m_diff;
    qint64 m_most;
    qint64 m_oldNumber = 0;   // of the next line
    qint64 m_newNumber = 0;
    bool m_showingHunk = false;
};
