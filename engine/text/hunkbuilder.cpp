#include "hunkbuilder.h"

#include <algorithm>

namespace {

bool isContinuationByte(char byte)
{
    return (quint8(byte) & 0xC0) == 0x80;
}

struct ChangedBytes
{
    qsizetype from = 0;
    qsizetype oldTo = 0;
    qsizetype newTo = 0;
};

// Between the common start and the common end of two paired lines, widened
// to whole UTF-8 characters. A cut line has no known end in common.
ChangedBytes changedBytes(const DiffSourceLine &removed, const DiffSourceLine &added)
{
    const QByteArrayView a = removed.text();
    const QByteArrayView b = added.text();
    const qsizetype shorter = std::min(a.size(), b.size());
    qsizetype from = std::mismatch(a.begin(), a.begin() + shorter, b.begin()).first - a.begin();
    while (from > 0
           && ((from < a.size() && isContinuationByte(a[from])) || (from < b.size() && isContinuationByte(b[from]))))
        --from;
    qsizetype suffix = 0;
    if (!removed.isCut() && !added.isCut()) {
        while (suffix < shorter - from && a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
            ++suffix;
        while (suffix > 0 && isContinuationByte(a[a.size() - suffix]))
            --suffix;
    }
    return {from, a.size() - suffix, b.size() - suffix};
}

}   // namespace

void HunkBuilder::same(DiffSourceLine line)
{
    ++m_oldNext;
    ++m_newNext;
    m_equal.push_back(std::move(line));
    if (!m_open) {
        if (qsizetype(m_equal.size()) > m_context)
            m_equal.pop_front();
        return;
    }
    // Too far from the next change to join it: this hunk ends here.
    if (qsizetype(m_equal.size()) > 2 * m_context) {
        emitContext(m_context);
        closeHunk();
        while (qsizetype(m_equal.size()) > m_context)
            m_equal.pop_front();
    }
}

void HunkBuilder::change(const std::vector<DiffSourceLine> &removed, const std::vector<DiffSourceLine> &added)
{
    if (removed.empty() && added.empty())
        return;
    if (!m_open) {
        const qint64 before = qint64(m_equal.size());
        m_out.beginHunk(m_oldNext - before, m_newNext - before);
        m_open = true;
    }
    emitContext(qsizetype(m_equal.size()));
    const size_t pairs = std::min(removed.size(), added.size());
    std::vector<ChangedBytes> ranges(pairs);
    for (size_t k = 0; k < pairs; ++k)
        ranges[k] = changedBytes(removed[k], added[k]);
    for (size_t k = 0; k < removed.size(); ++k)
        send(DiffLine::Kind::Removed, removed[k], k < pairs ? ranges[k].from : 0,
             k < pairs ? ranges[k].oldTo : removed[k].text().size());
    for (size_t k = 0; k < added.size(); ++k)
        send(DiffLine::Kind::Added, added[k], k < pairs ? ranges[k].from : 0,
             k < pairs ? ranges[k].newTo : added[k].text().size());
    m_oldNext += qint64(removed.size());
    m_newNext += qint64(added.size());
    m_changedLines += qint64(removed.size() + added.size());
}

void HunkBuilder::finish()
{
    if (!m_open)
        return;
    emitContext(std::min(qsizetype(m_equal.size()), qsizetype(m_context)));
    closeHunk();
}

void HunkBuilder::send(DiffLine::Kind kind, const DiffSourceLine &line, qsizetype from, qsizetype to)
{
    m_out.line({kind, line, from, to});
    m_oldCount += kind != DiffLine::Kind::Added;
    m_newCount += kind != DiffLine::Kind::Removed;
}

// The first `count` equal lines held go into the open hunk.
void HunkBuilder::emitContext(qsizetype count)
{
    for (qsizetype k = 0; k < count; ++k) {
        send(DiffLine::Kind::Context, m_equal.front(), 0, 0);
        m_equal.pop_front();
    }
}

void HunkBuilder::closeHunk()
{
    m_out.endHunk(m_oldCount, m_newCount);
    m_open = false;
    m_oldCount = m_newCount = 0;
}
