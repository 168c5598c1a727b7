#pragma once

#include "bytesink.h"
#include "diffreceiver.h"

#include <QByteArray>
#include <QList>

#include <utility>

// A unified diff as text, which `patch` applies. A hunk's header comes before
// its lines but holds their counts, so a diff is written in two passes over
// the same texts: the first notes the counts of every hunk (HunkCounts), the
// second writes the hunks with them, line by line, holding none.
class HunkCounts : public DiffReceiver
{
public:
    void beginHunk(qint64, qint64) override {}
    void line(const DiffLine &) override {}
    void endHunk(qint64 oldCount, qint64 newCount) override { m_counts.append({oldCount, newCount}); }

    const QList<std::pair<qint64, qint64>> &counts() const { return m_counts; }
    bool isEmpty() const { return m_counts.isEmpty(); }

private:
    QList<std::pair<qint64, qint64>> m_counts;
};

class UnifiedDiffWriter : public DiffReceiver
{
public:
    UnifiedDiffWriter(const QList<std::pair<qint64, qint64>> &counts, ByteSink &out) : m_counts(counts), m_out(out) {}

    // The two header lines naming the file before and after.
    void writeHeader(QByteArrayView oldName, QByteArrayView newName);

    void beginHunk(qint64 oldStart, qint64 newStart) override;
    void line(const DiffLine &line) override;
    void endHunk(qint64, qint64) override { ++m_hunk; }

private:
    const QList<std::pair<qint64, qint64>> &m_counts;
    ByteSink &m_out;
    qsizetype m_hunk = 0;
};
