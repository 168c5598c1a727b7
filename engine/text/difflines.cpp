#include "difflines.h"

#include <cstring>

namespace {

constexpr quint64 kFnvPrime = 1099511628211ull;

}   // namespace

QByteArrayView DiffSourceLine::text() const
{
    const QByteArrayView all(kept);
    return isCut() ? all : all.first(all.size() - breakLength);
}

bool DiffSourceLine::sameAs(const DiffSourceLine &other) const
{
    return length == other.length && tailHash == other.tailHash && kept == other.kept;
}

LineSplitter::LineSplitter(char lineBreak, qsizetype keptBytes) : m_break(lineBreak), m_keptBytes(keptBytes) {}

void LineSplitter::append(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const void *found = std::memchr(bytes.data(), m_break, size_t(bytes.size()));
        const qsizetype lineBytes = found ? static_cast<const char *>(found) - bytes.data() + 1 : bytes.size();
        addToLine(bytes.first(lineBytes));
        bytes = bytes.sliced(lineBytes);
        if (found)
            endLine(true);
    }
}

void LineSplitter::finish()
{
    if (m_line.length > 0)
        endLine(false);
    m_finished = true;
}

void LineSplitter::addToLine(QByteArrayView piece)
{
    const qsizetype room = m_keptBytes < 0 ? piece.size() : qMax<qsizetype>(0, m_keptBytes - m_line.kept.size());
    const qsizetype keep = qMin(room, piece.size());
    m_line.kept.append(piece.first(keep));
    // Past the kept bytes, only the hash: a line longer than the limit is
    // rare, and its bytes are looked at once.
    quint64 hash = m_line.tailHash;
    for (const char byte : piece.sliced(keep))
        hash = (hash ^ quint8(byte)) * kFnvPrime;
    m_line.tailHash = hash;
    if (!piece.isEmpty()) {
        m_beforeLastByte = piece.size() >= 2 ? piece.at(piece.size() - 2) : m_lastByte;
        m_lastByte = piece.back();
    }
    m_line.length += piece.size();
}

void LineSplitter::endLine(bool withBreak)
{
    const bool crLf = m_break == '\n' && m_line.length >= 2 && m_beforeLastByte == '\r';
    m_line.breakLength = withBreak ? (crLf ? 2 : 1) : 0;
    m_lines.push_back(std::move(m_line));
    m_line = {};
    m_lastByte = m_beforeLastByte = 0;
}
