#include "replacestream.h"

#include <algorithm>

namespace {

// Whether a UTF-8 character starts at a byte is told by at most the three
// bytes before it.
constexpr qsizetype kContext = 3;

}   // namespace

ReplaceStream::ReplaceStream(const Finder *finder, QByteArrayView replacement, ByteSink &out, qsizetype bufferSize)
    : m_finder(finder)
    , m_replacement(replacement.toByteArray())
    , m_out(out)
{
    if (m_finder)
        m_lookahead = m_finder->lookahead();
    // A buffer must hold more than the bytes carried over, or nothing would move.
    m_bufferSize = std::max(bufferSize, 2 * (m_lookahead + kContext) + 1);
}

void ReplaceStream::append(QByteArrayView bytes)
{
    if (!m_finder) {
        send(bytes);
        return;
    }
    // A large piece (a read buffer) is searched where it lies, saving a copy
    // of every byte; only its first bytes are joined to the held ones, where
    // an occurrence may start in those and end in the piece.
    const qsizetype junction = m_lookahead + kContext;
    if (bytes.size() >= std::max(m_bufferSize / 2, 2 * junction)) {
        const qsizetype heldSize = m_held.size();
        m_held.append(bytes.first(junction));
        const qsizetype joinedUpTo = replaceIn(m_held, m_contextSize, heldSize + kContext);
        const qsizetype passedOn = replaceIn(bytes, joinedUpTo - heldSize, bytes.size() - m_lookahead);
        m_held = bytes.sliced(passedOn - kContext).toByteArray();
        m_contextSize = kContext;
        return;
    }
    // Small pieces are gathered, in buffer-sized parts.
    while (!bytes.isEmpty()) {
        const qsizetype part = std::min(bytes.size(), m_bufferSize - m_held.size());
        m_held.append(bytes.first(part));
        bytes = bytes.sliced(part);
        if (m_held.size() >= m_bufferSize)
            scan(false);
    }
}

void ReplaceStream::finish()
{
    if (m_finder)
        scan(true);
}

void ReplaceStream::scan(bool atEnd)
{
    const qsizetype passedOn = replaceIn(m_held, m_contextSize, atEnd ? m_held.size() : m_held.size() - m_lookahead);
    const qsizetype keepFrom = std::max(qsizetype(0), passedOn - kContext);
    m_held.remove(0, keepFrom);
    m_contextSize = passedOn - keepFrom;
}

qsizetype ReplaceStream::replaceIn(QByteArrayView span, qsizetype from, qsizetype limit)
{
    qsizetype copied = from;
    while (copied < limit) {
        const Match match = m_finder->next(span, copied);
        if (match.position < 0 || match.position >= limit)
            break;
        send(span.sliced(copied, match.position - copied));
        send(m_replacement);
        ++m_occurrences;
        copied = match.position + match.length;
    }
    const qsizetype passOn = std::max(copied, limit);
    send(span.sliced(copied, passOn - copied));
    return passOn;
}

void ReplaceStream::send(QByteArrayView bytes)
{
    if (!bytes.isEmpty())
        m_out.append(bytes);
}

FindProbe::FindProbe(const Finder *finder, qsizetype bufferSize)
    : m_search(finder, {}, m_discard, bufferSize)
    , m_emptyFind(!finder)
{}

void FindProbe::append(QByteArrayView bytes)
{
    m_anyContent = m_anyContent || !bytes.isEmpty();
    // Found once is enough: the rest need not be searched.
    if (!m_emptyFind && m_search.occurrences() == 0)
        m_search.append(bytes);
}

bool FindProbe::found() const
{
    return m_emptyFind ? m_anyContent : m_search.occurrences() > 0;
}
