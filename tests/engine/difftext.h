#pragma once

// The unified diff of two byte strings as text, made the way the engine
// writes it: a pass for the hunk counts, then a pass that writes.

#include "linediff.h"
#include "unifieddiff.h"

#include <QByteArray>
#include <QList>

#include <functional>

// Feeds both texts to a diff, in pieces of sizes given by `pieceSizes` (its
// values are used in turn), alternating old and new pieces.
inline void feedInPieces(LineDiff &diff, const QByteArray &old, const QByteArray &now, const QList<int> &pieceSizes)
{
    qsizetype oldAt = 0;
    qsizetype newAt = 0;
    for (qsizetype turn = 0; oldAt < old.size() || newAt < now.size(); ++turn) {
        const qsizetype piece = pieceSizes.isEmpty() ? 1 << 20 : pieceSizes.at(turn % pieceSizes.size());
        if (turn % 2 == 0) {
            diff.appendOld(QByteArrayView(old).sliced(oldAt, qMin(piece, old.size() - oldAt)));
            oldAt += qMin(piece, old.size() - oldAt);
        } else {
            diff.appendNew(QByteArrayView(now).sliced(newAt, qMin(piece, now.size() - newAt)));
            newAt += qMin(piece, now.size() - newAt);
        }
    }
    diff.finish();
}

inline QByteArray unifiedHunks(const QByteArray &old, const QByteArray &now, const QList<int> &pieceSizes = {})
{
    HunkCounts counts;
    LineDiff counting({}, counts);
    feedInPieces(counting, old, now, pieceSizes);
    ByteArraySink text;
    UnifiedDiffWriter writer(counts.counts(), text);
    LineDiff writing({}, writer);
    feedInPieces(writing, old, now, pieceSizes);
    return text.bytes();
}
