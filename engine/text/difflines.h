#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <deque>

// One line of one side of a diff. Its first bytes are kept (all of them
// unless a limit is set); past them only a hash is, so that two long lines
// are still compared while neither is held whole.
struct DiffSourceLine
{
    static constexpr quint64 kHashSeed = 14695981039346656037ull;   // FNV-1a's offset basis

    QByteArray kept;                // the first bytes, its line break included when kept
    qint64 length = 0;              // all its bytes, line break included
    quint64 tailHash = kHashSeed;   // of the bytes past `kept`
    qint8 breakLength = 0;          // 0 for a last line without a line break, else 1 or 2 (CR LF)

    bool isCut() const { return length > kept.size(); }
    // The kept bytes without the line break.
    QByteArrayView text() const;
    // Byte for byte the same line (past the kept bytes, by length and hash).
    bool sameAs(const DiffSourceLine &other) const;
};

// Splits bytes that arrive piece by piece into lines, each ending after the
// byte `lineBreak` ('\n' also ends a CR LF), the last one wherever the bytes end.
class LineSplitter
{
public:
    // `keptBytes` < 0 keeps every byte of every line.
    LineSplitter(char lineBreak, qsizetype keptBytes);

    void append(QByteArrayView bytes);
    // The bytes are complete: a last line without a line break is one too.
    void finish();

    // The complete lines not yet taken, first first.
    std::deque<DiffSourceLine> &lines() { return m_lines; }
    // Finished, and every line taken: no line will come any more.
    bool isDrained() const { return m_finished && m_lines.empty(); }
    bool isFinished() const { return m_finished; }

private:
    void addToLine(QByteArrayView piece);
    void endLine(bool withBreak);

    DiffSourceLine m_line;   // the line being split
    std::deque<DiffSourceLine> m_lines;
    char m_break;
    qsizetype m_keptBytes;
    char m_lastByte = 0;         // of the line being split
    char m_beforeLastByte = 0;   // and the one before it
    bool m_finished = false;
};
