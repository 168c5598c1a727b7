#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QList>

// Case-insensitive comparison works on units of UTF-8 text: a unit is either
// one code point of a valid UTF-8 sequence, or one byte that is not part of
// any valid sequence. Such a byte b is the unit RawByteBase + b, above every
// code point, so it equals only the same stray byte and is never folded.
constexpr char32_t RawByteBase = 0x110000;

struct Utf8Unit
{
    char32_t unit = 0;
    int length = 1;   // bytes taken from the text
};

// The unit that starts at a byte of 0x80 or above; see decodeUnit().
Utf8Unit decodeMultiByteUnit(const uchar *p, const uchar *end);

// The unit that starts at `p`; reads no byte at or past `end` (p < end).
// Inline for ASCII, which is most of the bytes the search looks at.
inline Utf8Unit decodeUnit(const uchar *p, const uchar *end)
{
    return *p < 0x80 ? Utf8Unit{*p, 1} : decodeMultiByteUnit(p, end);
}

// Whether a unit starts at `p`, i.e. `p` is not inside a valid multi-byte
// sequence that starts before it. Looks back at most three bytes, never
// before `begin`.
bool isUnitStart(const uchar *begin, const uchar *p, const uchar *end);

// Unicode simple case folding of a unit; stray bytes stay as they are.
inline char32_t foldUnit(char32_t unit)
{
    if (unit < 0x80)
        return (unit >= 'A' && unit <= 'Z') ? unit + ('a' - 'A') : unit;
    if (unit >= RawByteBase)
        return unit;
    return QChar::toCaseFolded(unit);
}

// The folded units of `text`, decoded from its first byte.
QList<char32_t> foldedUnits(QByteArrayView text);

// The first bytes of every unit whose folding is `folded` (for 'k': 'k', 'K'
// and 0xE2, the lead byte of KELVIN SIGN).
QList<uchar> leadBytesFoldingTo(char32_t folded);
