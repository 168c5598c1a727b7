#pragma once

#include "diffreceiver.h"

#include <deque>
#include <vector>

// Groups the equal lines and the changes of two aligned texts into the hunks
// of a unified diff: each change with up to `context` equal lines before and
// after it, and two changes that fewer than twice that many equal lines part
// in one hunk. Holds at most 2 * context + 1 equal lines.
class HunkBuilder
{
public:
    HunkBuilder(int context, DiffReceiver &out) : m_context(context), m_out(out) {}

    // The next line of both texts is this one.
    void same(DiffSourceLine line);
    // The next lines of the old text, `removed`, stand where the next of the new, `added`, do.
    void change(const std::vector<DiffSourceLine> &removed, const std::vector<DiffSourceLine> &added);
    // Both texts are complete.
    void finish();

    // Removed and added lines so far.
    qint64 changedLines() const { return m_changedLines; }

private:
    void send(DiffLine::Kind kind, const DiffSourceLine &line, qsizetype from, qsizetype to);
    void emitContext(qsizetype count);
    void closeHunk();

    int m_context;
    DiffReceiver &m_out;
    std::deque<DiffSourceLine> m_equal;   // the equal lines since the last change
    qint64 m_oldNext = 1;                 // the line numbers of the next lines to come
    qint64 m_newNext = 1;
    bool m_open = false;
    qint64 m_oldCount = 0;   // of the open hunk
    qint64 m_newCount = 0;
    qint64 m_changedLines = 0;
};
