#include "finder.h"

#include "casefold.h"

#include <cstring>

Finder::Finder(QByteArrayView find, CompareMode mode) : m_find(find.toByteArray()), m_mode(mode)
{
    Q_ASSERT(!m_find.isEmpty());
    if (m_mode == CompareMode::CaseInsensitive) {
        m_units = foldedUnits(m_find);
        m_leadBytes = leadBytesFoldingTo(m_units.first());
        for (uchar lead : m_leadBytes)
            m_isLead[lead] = true;
    }
}

Match Finder::next(QByteArrayView content, qsizetype from) const
{
    Q_ASSERT(from >= 0 && from <= content.size());
    return m_mode == CompareMode::Exact ? nextExact(content, from) : nextCaseless(content, from);
}

// glibc's memmem beats QByteArrayView::indexOf and the standard searchers on
// long texts with a rare find text.
Match Finder::nextExact(QByteArrayView content, qsizetype from) const
{
    if (content.size() - from < m_find.size())
        return {};
    const void *found = memmem(content.data() + from, size_t(content.size() - from),
                               m_find.constData(), size_t(m_find.size()));
    if (!found)
        return {};
    return {static_cast<const char *>(found) - content.data(), m_find.size()};
}

Match Finder::nextCaseless(QByteArrayView content, qsizetype from) const
{
    const auto *begin = reinterpret_cast<const uchar *>(content.data());
    const uchar *end = begin + content.size();
    for (const uchar *p = nextCandidate(begin + from, end); p; p = nextCandidate(p + 1, end)) {
        // A stray continuation byte can be a candidate; the same byte inside
        // a valid sequence is part of a character and must not start a match.
        if (!isUnitStart(begin, p, end))
            continue;
        const qsizetype length = caselessLengthAt(p, end);
        if (length > 0)
            return {p - begin, length};
    }
    return {};
}

const uchar *Finder::nextCandidate(const uchar *p, const uchar *end) const
{
    if (p >= end)
        return nullptr;
    if (m_leadBytes.size() == 1)
        return static_cast<const uchar *>(memchr(p, m_leadBytes.first(), size_t(end - p)));
    for (; p < end; ++p) {
        if (m_isLead[*p])
            return p;
    }
    return nullptr;
}

// The byte length of the occurrence at `p`, or 0 when there is none.
qsizetype Finder::caselessLengthAt(const uchar *p, const uchar *end) const
{
    const uchar *q = p;
    for (char32_t wanted : m_units) {
        if (q == end)
            return 0;
        const Utf8Unit unit = decodeUnit(q, end);
        if (foldUnit(unit.unit) != wanted)
            return 0;
        q += unit.length;
    }
    return q - p;
}
