#pragma once

#include "bytesink.h"
#include "finder.h"
#include "streambuffer.h"

#include <QByteArray>
#include <QByteArrayView>

// Replace-all over content that arrives piece by piece: every non-overlapping
// occurrence of the find text, leftmost first, is replaced and the result goes
// to `out`, byte for byte what replaceAll() gives for the whole content.
//
// The content is searched a buffer at a time. An occurrence is taken only
// where the bytes after its start that the search may look at have arrived;
// the last few bytes of a buffer, where one could still begin, are carried
// over to the next, together with the few bytes before them that tell whether
// a UTF-8 character starts there.
class ReplaceStream : public ByteSink
{
public:
    // `finder` searches for the find text (null for an empty one, which
    // replaces nothing) and must outlive the stream.
    ReplaceStream(const Finder *finder, QByteArrayView replacement, ByteSink &out,
                  qsizetype bufferSize = kStreamBufferSize);

    void append(QByteArrayView bytes) override;
    // The content is complete: searches and passes on what is still held.
    void finish();

    // The occurrences replaced so far.
    qint64 occurrences() const { return m_occurrences; }

private:
    void scan(bool atEnd);
    // Replaces the occurrences in `span` that start at or after `from` and
    // before `limit` (those that the bytes of `span` decide) and passes on
    // every byte before `limit` or the last occurrence's end, whichever is
    // later; returns where the bytes not passed on begin.
    qsizetype replaceIn(QByteArrayView span, qsizetype from, qsizetype limit);
    void send(QByteArrayView bytes);

    const Finder *m_finder;   // null for an empty find text
    QByteArray m_replacement;
    ByteSink &m_out;
    qsizetype m_bufferSize;
    qsizetype m_lookahead = 0;
    QByteArray m_held;             // bytes not yet passed on, after a little context
    qsizetype m_contextSize = 0;   // the leading bytes of m_held already passed on
    qint64 m_occurrences = 0;
};

// The Find test over content that arrives piece by piece: an empty find text
// is found in any non-empty content.
class FindProbe : public ByteSink
{
public:
    // `finder` as for ReplaceStream.
    explicit FindProbe(const Finder *finder, qsizetype bufferSize = kStreamBufferSize);

    void append(QByteArrayView bytes) override;
    void finish() { m_search.finish(); }
    bool found() const;

private:
    struct Discard : ByteSink
    {
        void append(QByteArrayView) override {}
    };

    Discard m_discard;
    ReplaceStream m_search;
    bool m_emptyFind;
    bool m_anyContent = false;
};
