#pragma once

// A plain reader of unified diffs for the tests: applies the hunks of one
// file's diff to its old bytes, checking that every context and removed
// line is exactly the old line in its place, as `patch` does.

#include <QByteArray>
#include <QList>

#include <optional>

namespace unifiedpatch {

// The lines of `bytes`, each with its LF; the last one may lack it.
inline QList<QByteArray> lines(const QByteArray &bytes)
{
    QList<QByteArray> result;
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype lf = bytes.indexOf('\n', start);
        const qsizetype end = lf < 0 ? bytes.size() : lf + 1;
        result.append(bytes.mid(start, end - start));
        start = end;
    }
    return result;
}

struct Hunk
{
    qsizetype oldStart = 0;   // 0-based: the first old line it covers
    QList<std::pair<char, QByteArray>> lines;
};

// The hunks of a diff without file headers; "-3,0" names the line before.
inline QList<Hunk> hunks(const QByteArray &diff)
{
    QList<Hunk> result;
    for (const QByteArray &line : lines(diff)) {
        if (line.startsWith("@@ -")) {
            const QList<QByteArray> range = line.mid(4, line.indexOf(' ', 4) - 4).split(',');
            const qsizetype start = range.at(0).toLongLong();
            result.append(Hunk{range.value(1, "1").toLongLong() > 0 ? start - 1 : start, {}});
        } else if (line.startsWith('\\')) {
            result.last().lines.last().second.chop(1);   // "No newline at end of file"
        } else if (!result.isEmpty()) {
            result.last().lines.append({line.at(0), line.mid(1)});
        }
    }
    return result;
}

// `old` with the hunks of `diff` applied; nothing when a hunk does not fit.
inline std::optional<QByteArray> apply(const QByteArray &old, const QByteArray &diff)
{
    const QList<QByteArray> oldLines = lines(old);
    QByteArray result;
    qsizetype next = 0;
    for (const Hunk &hunk : hunks(diff)) {
        if (hunk.oldStart < next || hunk.oldStart > oldLines.size())
            return std::nullopt;
        while (next < hunk.oldStart)
            result += oldLines.at(next++);
        for (const auto &[sign, text] : hunk.lines) {
            if (sign != '+' && (next >= oldLines.size() || oldLines.at(next++) != text))
                return std::nullopt;
            if (sign != '-')
                result += text;
        }
    }
    while (next < oldLines.size())
        result += oldLines.at(next++);
    return result;
}

}   // namespace unifiedpatch
