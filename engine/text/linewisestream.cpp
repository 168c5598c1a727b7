#include "linewisestream.h"

#include "candidatescanner.h"

#include <bit>
#include <charconv>

namespace {

constexpr char Quote = '"';
constexpr char Comma = ',';
constexpr char Cr = '\r';
constexpr char Lf = '\n';
constexpr char Tab = '\t';

bool isBlank(char c)
{
    return c == ' ' || c == Tab;
}

// Finds commas and line ends a window of bytes at a time; most fields are
// long enough that a byte loop would cost most of the reading.
const CandidateScanner &delimiterScanner()
{
    static const CandidateScanner scanner({{{0, CandidateScanner::testsFor({uchar(Comma), uchar(Cr), uchar(Lf)})}}});
    return scanner;
}

void appendLabel(QByteArray &out, qint64 label)
{
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), label);
    out.append(digits, result.ptr - digits);
}

}   // namespace

LineWiseStream::LineWiseStream(ReadStyle style, QByteArrayView lineEnd, ByteSink &out, qsizetype bufferSize)
    : m_style(style)
    , m_lineEnd(lineEnd.toByteArray())
    , m_out(out)
    , m_bufferSize(bufferSize)
{
    Q_ASSERT(style != ReadStyle::WholeFile);
}

void LineWiseStream::append(QByteArrayView fileBytes)
{
    m_window = nullptr;
    qsizetype pos = 0;
    while (pos < fileBytes.size()) {
        // Kept in one loop: a state change per field is too frequent for a call.
        switch (m_state) {
        case State::AfterCr:   // a LF right after a CR belongs to its line end
            pos += fileBytes[pos] == Lf ? 1 : 0;
            m_state = State::BetweenFields;
            break;
        case State::BetweenFields:   // a byte is left: a field starts
            startField();
            m_state = State::Blanks;
            break;
        case State::Blanks:
            while (pos < fileBytes.size() && isBlank(fileBytes[pos]))
                ++pos;
            if (pos < fileBytes.size()) {
                const bool quoted = fileBytes[pos] == Quote;
                pos += quoted ? 1 : 0;
                m_state = quoted ? State::Quoted : State::Unquoted;
            }
            break;
        case State::Quoted:
            pos = readQuoted(fileBytes, pos);
            break;
        case State::Unquoted:
            pos = readUnquoted(fileBytes, pos);
            break;
        }
        if (m_rebuilt.size() >= m_bufferSize)
            flush();
    }
    flush();
}

qsizetype LineWiseStream::readQuoted(QByteArrayView bytes, qsizetype pos)
{
    const qsizetype close = bytes.indexOf(Quote, pos);
    if (close < 0) {
        m_rebuilt.append(bytes.sliced(pos));
        return bytes.size();
    }
    m_rebuilt.append(bytes.sliced(pos, close - pos));
    m_state = State::Unquoted;
    return close + 1;
}

qsizetype LineWiseStream::readUnquoted(QByteArrayView bytes, qsizetype pos)
{
    const auto *begin = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype delimiter = nextDelimiter(begin, begin + bytes.size(), pos);
    m_rebuilt.append(bytes.sliced(pos, delimiter - pos));
    if (delimiter == bytes.size())
        return delimiter;
    endField();
    m_state = bytes[delimiter] == Cr ? State::AfterCr : State::BetweenFields;
    return delimiter + 1;
}

void LineWiseStream::finish()
{
    // The end of the file ends the field being read.
    if (m_state == State::Blanks || m_state == State::Quoted || m_state == State::Unquoted)
        endField();
    // SingleLineFile's one line ends like any other.
    if (m_style == ReadStyle::SingleLineFile && m_fields > 0)
        m_rebuilt.append(m_lineEnd);
    m_state = State::BetweenFields;
    flush();
}

// The first comma or line end at or after `from`, else the size. The
// scanner's last window is kept, since it usually holds the next one too.
qsizetype LineWiseStream::nextDelimiter(const uchar *begin, const uchar *end, qsizetype from)
{
    const uchar *p = begin + from;
    if (m_window && p - m_window < CandidateScanner::Window) {
        const quint64 ahead = m_candidates & (~quint64(0) << (p - m_window));
        if (ahead)
            return m_window - begin + std::countr_zero(ahead);
        p = m_window + CandidateScanner::Window;
    }
    m_window = delimiterScanner().nextWindow(p, end, m_candidates);
    if (!m_window)
        return end - begin;
    return m_window - begin + std::countr_zero(m_candidates);
}

void LineWiseStream::startField()
{
    ++m_fields;
    if (m_style == ReadStyle::EnumerateLines) {
        appendLabel(m_rebuilt, m_fields);
        m_rebuilt.append(Tab);
    }
}

void LineWiseStream::endField()
{
    if (m_style != ReadStyle::SingleLineFile)
        m_rebuilt.append(m_lineEnd);
}

void LineWiseStream::flush()
{
    if (!m_rebuilt.isEmpty())
        m_out.append(m_rebuilt);
    m_rebuilt.resize(0);   // keeps the capacity for the next piece
}

QByteArray readLineWise(QByteArrayView fileBytes, ReadStyle style, QByteArrayView lineEnd)
{
    ByteArraySink sink;
    LineWiseStream stream(style, lineEnd, sink);
    stream.append(fileBytes);
    stream.finish();
    return sink.bytes();
}
