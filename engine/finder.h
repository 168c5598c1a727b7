#pragma once

#include "editrequest.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>

// One occurrence of a find text; position -1 when there is none. Under
// case-insensitive comparison the matched length may differ from the find
// text's length (e.g. "K" KELVIN SIGN is three bytes, "k" one).
struct Match
{
    qsizetype position = -1;
    qsizetype length = 0;
};

// Searches for one non-empty find text; prepared once, so that the set-up of
// the case-insensitive search is not repeated for every occurrence.
class Finder
{
public:
    Finder(QByteArrayView find, CompareMode mode);

    // The leftmost occurrence in `content` that starts at or after `from`.
    Match next(QByteArrayView content, qsizetype from = 0) const;

private:
    Match nextExact(QByteArrayView content, qsizetype from) const;
    Match nextCaseless(QByteArrayView content, qsizetype from) const;
    const uchar *nextCandidate(const uchar *p, const uchar *end) const;
    qsizetype caselessLengthAt(const uchar *p, const uchar *end) const;

    QByteArray m_find;
    CompareMode m_mode;
    QList<char32_t> m_units;        // the find text's folded units
    QList<uchar> m_leadBytes;       // first bytes of anything its first unit can match
    std::array<bool, 256> m_isLead{};
};
