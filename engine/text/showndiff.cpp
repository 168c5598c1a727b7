#include "showndiff.h"

void ShownDiffCollector::beginHunk(qint64 oldStart, qint64 newStart)
{
    m_oldNumber = oldStart;
    m_newNumber = newStart;
    m_showingHunk = m_diff.changedLines < m_most;
    if (m_showingHunk)
        m_diff.hunks.append({oldStart, 0, newStart, 0, {}});
}

void ShownDiffCollector::line(const DiffLine &line)
{
    const bool changed = line.kind != DiffLine::Kind::Context;
    m_diff.changedLines += changed;
    const qint64 oldNumber = line.kind == DiffLine::Kind::Added ? 0 : m_oldNumber++;
    const qint64 newNumber = line.kind == DiffLine::Kind::Removed ? 0 : m_newNumber++;
    if (!m_showingHunk || m_diff.changedLines > m_most) {
        ++m_diff.leftOutLines;
        return;
    }
    const QByteArrayView text = line.line.text();
    const qint64 leftOut = line.line.length - line.line.breakLength - text.size();
    m_diff.hunks.last().lines.append(
        {line.kind, oldNumber, newNumber, text.toByteArray(), leftOut, line.changedFrom, line.changedTo});
}

void ShownDiffCollector::endHunk(qint64 oldCount, qint64 newCount)
{
    if (!m_showingHunk)
        return;
    m_diff.hunks.last().oldCount = oldCount;
    m_diff.hunks.last().newCount = newCount;
}
