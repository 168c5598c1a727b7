#include "replacestream.h"

#include <algorithm>

namespace {

// Whether a UTF-8 character starts at a byte is told by at most the three
// bytes before it.
constexpr qsizetype kContext = 3;

// A run searches every file for the same find text, twice per file that
// holds it: prepare the search once, not for every file.
const Finder &finderFor(QByteArrayView find, CompareMode mode)
{
    thread_local std::optional<Finder> last;
    if (!last || !last->searchesFor(find, mode))
        last.emplace(find, mode);
    return *last;
}

} // namespace

ReplaceStream::ReplaceStream(QByteArrayView find, QByteArrayView replacement, CompareMode mode,
                             ByteSink &out, qsizetype bufferSize)
    : m_replacement(replacement.toByteArray()), m_out(out)
{
    if (!find.isEmpty()) {
        m_finder.emplace(finderFor(find, mode));   // a copy shares the prepared data
        m_lookahead = m_finder->lookahead();
    }
    // A buffer must hold more than the bytes carried over, or nothing would move.
    m_bufferSize = std::max(bufferSize, 2 * (m_lookahead + kContext) + 1);
}

void ReplaceStream::append(QByteArrayView bytes)
{
    if (!m_finder) {
        send(bytes);
        return;
    }
    // A large piece goes in buffer-sized parts, so that memory stays bounded.
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
    const QByteArrayView held = m_held;
    // Occurrences that start before `limit` are decided by the bytes held.
    const qsizetype limit = atEnd ? held.size() : held.size() - m_lookahead;
    qsizetype copied = m_contextSize;
    while (copied < limit) {
        const Match match = m_finder->next(held, copied);
        if (match.position < 0 || match.position >= limit)
            break;
        send(held.sliced(copied, match.position - copied));
        send(m_replacement);
        ++m_occurrences;
        copied = match.position + match.length;
    }
    const qsizetype passOn = std::max(copied, limit);
    send(held.sliced(copied, passOn - copied));
    const qsizetype keepFrom = std::max(qsizetype(0), passOn - kContext);
    m_held.remove(0, keepFrom);
    m_contextSize = passOn - keepFrom;
}

void ReplaceStream::send(QByteArrayView bytes)
{
    if (!bytes.isEmpty())
        m_out.append(bytes);
}

FindTest::FindTest(QByteArrayView find, CompareMode mode, qsizetype bufferSize)
    : m_search(find, {}, mode, m_discard, bufferSize), m_emptyFind(find.isEmpty())
{
}

void FindTest::append(QByteArrayView bytes)
{
    m_anyContent = m_anyContent || !bytes.isEmpty();
    if (!m_emptyFind)
        m_search.append(bytes);
}

bool FindTest::found() const
{
    return m_emptyFind ? m_anyContent : m_search.occurrences() > 0;
}
