#include "linediff.h"

#include <algorithm>
#include <vector>

namespace {

// Lines of each text looked through for a pair of equal ones. A change of
// more lines than this is shown as removed and added in pieces of this many.
constexpr qsizetype kWindow = 256;

enum class Availability { There, Later, Never };

Availability lineAt(LineSplitter &side, qsizetype index)
{
    if (index < qsizetype(side.lines().size()))
        return Availability::There;
    return side.isFinished() ? Availability::Never : Availability::Later;
}

}   // namespace

LineDiff::LineDiff(const Options &options, DiffReceiver &out)
    : m_old(options.lineBreak, options.keptBytes)
    , m_new(options.lineBreak, options.keptBytes)
    , m_hunks(options.context, out)
{}

// The edit hands its text on in many small pieces (one for each
// replacement): only a piece that ends a line can move the diff on.
void LineDiff::appendOld(QByteArrayView bytes)
{
    const size_t lines = m_old.lines().size();
    m_old.append(bytes);
    if (m_old.lines().size() != lines)
        align();
}

void LineDiff::appendNew(QByteArrayView bytes)
{
    const size_t lines = m_new.lines().size();
    m_new.append(bytes);
    if (m_new.lines().size() != lines)
        align();
}

void LineDiff::finish()
{
    m_old.finish();
    m_new.finish();
    align();
    m_hunks.finish();
}

void LineDiff::align()
{
    auto &oldLines = m_old.lines();
    auto &newLines = m_new.lines();
    for (;;) {
        // One text has ended: what is left of the other is all changed.
        if (m_old.isDrained() || m_new.isDrained()) {
            takeChange(qsizetype(oldLines.size()), qsizetype(newLines.size()));
            return;
        }
        if (oldLines.empty() || newLines.empty())
            return;
        if (m_diagonal == 0) {
            if (oldLines.front().sameAs(newLines.front())) {
                m_hunks.same(std::move(oldLines.front()));
                oldLines.pop_front();
                newLines.pop_front();
                continue;
            }
            m_diagonal = 1;
        }
        qsizetype removed = 0;
        qsizetype added = 0;
        if (resync(removed, added) == Resync::NeedMore)
            return;
        takeChange(removed, added);
        m_diagonal = 0;
    }
}

// Goes through the pairs (i, j) of old line i and new line j by growing
// i + j, from where it stopped for want of a line, for the first equal pair.
LineDiff::Resync LineDiff::resync(qsizetype &oldLines, qsizetype &newLines)
{
    for (; m_diagonal <= 2 * (kWindow - 1); ++m_diagonal) {
        const qsizetype last = std::min(m_diagonal, kWindow - 1);
        for (qsizetype i = std::max<qsizetype>(0, m_diagonal - (kWindow - 1)); i <= last; ++i) {
            const qsizetype j = m_diagonal - i;
            const Availability oldLine = lineAt(m_old, i);
            const Availability newLine = lineAt(m_new, j);
            if (oldLine == Availability::Later || newLine == Availability::Later)
                return Resync::NeedMore;
            if (oldLine == Availability::Never || newLine == Availability::Never)
                continue;
            if (m_old.lines()[size_t(i)].sameAs(m_new.lines()[size_t(j)])) {
                oldLines = i;
                newLines = j;
                return Resync::Found;
            }
        }
    }
    oldLines = std::min(kWindow, qsizetype(m_old.lines().size()));
    newLines = std::min(kWindow, qsizetype(m_new.lines().size()));
    return Resync::Exhausted;
}

void LineDiff::takeChange(qsizetype oldLines, qsizetype newLines)
{
    const auto take = [](std::deque<DiffSourceLine> &lines, qsizetype count) {
        std::vector<DiffSourceLine> taken(std::make_move_iterator(lines.begin()),
                                          std::make_move_iterator(lines.begin() + count));
        lines.erase(lines.begin(), lines.begin() + count);
        return taken;
    };
    const std::vector<DiffSourceLine> removed = take(m_old.lines(), oldLines);
    const std::vector<DiffSourceLine> added = take(m_new.lines(), newLines);
    m_hunks.change(removed, added);
}
