#pragma once

#include "bytesink.h"
#include "difflines.h"
#include "diffreceiver.h"
#include "hunkbuilder.h"

// The line diff of two texts that arrive piece by piece and side by side,
// such as a file and its edit while the edit is made: a unified diff, hunk by
// hunk, as the lines come. Equal lines pass at once; where the texts part,
// the diff looks for the nearest pair of equal lines (the fewest lines
// removed and added) within a window of lines of each text, and where there
// is none takes the whole window of both as changed. So it holds no more than
// the window, and the lines one text is ahead of the other; every hunk is
// exact, if not always the shortest, so that it applies as it stands.
class LineDiff
{
public:
    struct Options
    {
        char lineBreak = '\n';      // the byte that ends a line ('\n' also ends CR LF)
        qsizetype keptBytes = -1;   // of each line; < 0: all (see DiffSourceLine)
        int context = 2;            // equal lines around each change
    };

    LineDiff(const Options &options, DiffReceiver &out);

    void appendOld(QByteArrayView bytes);
    void appendNew(QByteArrayView bytes);
    // appendOld() and appendNew() as sinks.
    ByteSink &oldSink() { return m_oldSink; }
    ByteSink &newSink() { return m_newSink; }
    // Both texts are complete.
    void finish();

    // Removed and added lines so far.
    qint64 changedLines() const { return m_hunks.changedLines(); }

private:
    class Side : public ByteSink
    {
    public:
        Side(LineDiff &diff, bool old) : m_diff(diff), m_old(old) {}
        void append(QByteArrayView bytes) override { m_old ? m_diff.appendOld(bytes) : m_diff.appendNew(bytes); }

    private:
        LineDiff &m_diff;
        bool m_old;
    };

    enum class Resync { Found, NeedMore, Exhausted };

    void align();
    Resync resync(qsizetype &oldLines, qsizetype &newLines);
    void takeChange(qsizetype oldLines, qsizetype newLines);

    LineSplitter m_old;
    LineSplitter m_new;
    HunkBuilder m_hunks;
    Side m_oldSink{*this, true};
    Side m_newSink{*this, false};
    qsizetype m_diagonal = 0;   // how far the search for equal lines has got: 0 when the texts are in step
};
