#include "unifieddiff.h"

namespace {

// "-3,2": where a hunk starts in one text and how many of its lines it
// covers; a hunk that covers none names the line before it.
QByteArray range(char sign, qint64 start, qint64 count)
{
    return sign + QByteArray::number(count == 0 ? start - 1 : start) + ',' + QByteArray::number(count);
}

}   // namespace

void UnifiedDiffWriter::writeHeader(QByteArrayView oldName, QByteArrayView newName)
{
    m_out.append("--- ");
    m_out.append(oldName);
    m_out.append("\n+++ ");
    m_out.append(newName);
    m_out.append("\n");
}

void UnifiedDiffWriter::beginHunk(qint64 oldStart, qint64 newStart)
{
    const auto [oldCount, newCount] = m_counts.value(m_hunk);
    m_out.append("@@ " + range('-', oldStart, oldCount) + ' ' + range('+', newStart, newCount) + " @@\n");
}

void UnifiedDiffWriter::line(const DiffLine &line)
{
    static constexpr char kSigns[] = {' ', '-', '+'};
    m_out.append(QByteArrayView(&kSigns[int(line.kind)], 1));
    m_out.append(line.line.kept);
    if (line.line.breakLength == 0)
        m_out.append("\n\\ No newline at end of file\n");
}
