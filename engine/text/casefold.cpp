#include "casefold.h"

#include <QHash>

namespace {

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// Every code point whose folding differs from itself, listed under the
// folding. Built once: folding is a many-to-one map (K, k and KELVIN SIGN all
// fold to k) and Qt offers no way back.
const QHash<char32_t, QList<char32_t>> &unfoldTable()
{
    static const QHash<char32_t, QList<char32_t>> table = [] {
        QHash<char32_t, QList<char32_t>> result;
        for (char32_t c = 0; c <= QChar::LastValidCodePoint; ++c) {
            if (QChar::isSurrogate(c))
                continue;
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded != c)
                result[folded].append(c);
        }
        return result;
    }();
    return table;
}

uchar utf8LeadByte(char32_t codePoint)
{
    if (codePoint < 0x80)
        return uchar(codePoint);
    if (codePoint < 0x800)
        return uchar(0xC0 | (codePoint >> 6));
    if (codePoint < 0x10000)
        return uchar(0xE0 | (codePoint >> 12));
    return uchar(0xF0 | (codePoint >> 18));
}

}   // namespace

Utf8Unit decodeMultiByteUnit(const uchar *p, const uchar *end)
{
    const uchar lead = *p;
    const Utf8Unit stray{RawByteBase + lead, 1};

    // The well-formed sequences of the Unicode standard (table 3-7): the
    // narrowed second-byte ranges reject overlong forms, surrogates and code
    // points above U+10FFFF, all of which compare as stray bytes.
    int length = 0;
    uchar secondLow = 0x80;
    uchar secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0;
        else if (lead == 0xED)
            secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;
        else if (lead == 0xF4)
            secondHigh = 0x8F;
    } else {
        return stray;
    }
    if (end - p < length || p[1] < secondLow || p[1] > secondHigh)
        return stray;
    char32_t codePoint = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(p[i]))
            return stray;
        codePoint = (codePoint << 6) | (p[i] & 0x3F);
    }
    return {codePoint, length};
}

bool isUnitStart(const uchar *begin, const uchar *p, const uchar *end)
{
    if (!isContinuation(*p))
        return true;
    // Only the nearest non-continuation byte can start a sequence covering p.
    for (qsizetype back = 1; back <= 3 && back <= p - begin; ++back) {
        const uchar *q = p - back;
        if (!isContinuation(*q))
            return decodeUnit(q, end).length <= back;
    }
    return true;
}

QList<char32_t> foldedUnits(QByteArrayView text)
{
    QList<char32_t> units;
    const auto *p = reinterpret_cast<const uchar *>(text.data());
    const uchar *end = p + text.size();
    while (p < end) {
        const Utf8Unit unit = decodeUnit(p, end);
        units.append(foldUnit(unit.unit));
        p += unit.length;
    }
    return units;
}

QList<uchar> leadBytesFoldingTo(char32_t folded)
{
    if (folded >= RawByteBase)
        return {uchar(folded - RawByteBase)};
    QList<char32_t> sources = unfoldTable().value(folded);
    if (foldUnit(folded) == folded)
        sources.append(folded);
    QList<uchar> leads;
    for (char32_t source : sources) {
        const uchar lead = utf8LeadByte(source);
        if (!leads.contains(lead))
            leads.append(lead);
    }
    return leads;
}
