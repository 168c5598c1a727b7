#pragma once

#include "candidatescanner.h"
#include "editoptions.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>
#include <optional>

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
//
// Case-insensitive comparison goes by units (see casefold.h): a match starts
// and ends between units, never inside a UTF-8 character, and bytes of the
// find text that are not valid UTF-8 match only the same stray bytes.
class Finder
{
public:
    Finder(QByteArrayView find, CompareMode mode);

    // The leftmost occurrence in `content` that starts at or after `from`.
    Match next(QByteArrayView content, qsizetype from = 0) const;

    // How many bytes after an occurrence's start, less one, next() may read
    // to decide it: the most a match can span, plus (case-insensitive) the
    // rest of a UTF-8 character that would end it.
    qsizetype lookahead() const;

private:
    Match nextExact(QByteArrayView content, qsizetype from) const;
    Match nextCaseless(QByteArrayView content, qsizetype from) const;
    Match nextCaselessLinear(const uchar *begin, const uchar *p, const uchar *end) const;
    template<typename Verify>
    Match firstVerified(const uchar *p, const uchar *end, Verify verify) const;
    qsizetype caselessLengthAt(const uchar *p, const uchar *end) const;

    QByteArray m_find;
    CompareMode m_mode;
    QList<char32_t> m_units;      // the find text's folded units, when case-insensitive
    QList<qsizetype> m_borders;   // their prefix borders, for the linear search
    CandidateScanner m_scanner;
};

// A find text with its searches, one per comparison mode, each prepared the
// first time it is needed and then kept: a run searches every file for the
// same text, twice in each file that holds it.
class PreparedFind
{
public:
    explicit PreparedFind(QByteArrayView find) : m_find(find.toByteArray()) {}

    // The search under `mode`; null for an empty find text.
    const Finder *finder(CompareMode mode)
    {
        if (m_find.isEmpty())
            return nullptr;
        std::optional<Finder> &prepared = m_finders[size_t(mode)];
        if (!prepared)
            prepared.emplace(m_find, mode);
        return &*prepared;
    }

private:
    QByteArray m_find;
    std::array<std::optional<Finder>, 2> m_finders;   // by CompareMode
};
