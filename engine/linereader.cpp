#include "linereader.h"

#include "candidatescanner.h"

#include <bit>
#include <charconv>

namespace {

constexpr char Quote = '"';
constexpr char Comma = ',';
constexpr char Cr = '\r';
constexpr char Lf = '\n';
constexpr char Tab = '\t';
constexpr QByteArrayView LineEnd = "\r\n";

bool isBlank(char c)
{
    return c == ' ' || c == Tab;
}

// Finds commas and line ends a window of bytes at a time; most fields are
// long enough that a byte loop would cost most of the reading.
const CandidateScanner &delimiterScanner()
{
    static const CandidateScanner scanner(
            {{{0, CandidateScanner::testsFor({uchar(Comma), uchar(Cr), uchar(Lf)})}}});
    return scanner;
}

// Reads one field at a time from bytes that are never read past their end.
class FieldReader
{
public:
    explicit FieldReader(QByteArrayView bytes)
        : m_bytes(bytes),
          m_begin(reinterpret_cast<const uchar *>(bytes.data())),
          m_end(m_begin + bytes.size())
    {
    }

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    // Appends the next field to `out` and consumes the comma or line end
    // that ends it. Blanks (spaces and Tabs) before the field are skipped.
    // A field that opens with a quote runs to the closing quote, across
    // commas and line ends, and an unclosed quote runs to the end; what
    // follows the closing quote up to the delimiter is kept with the field
    // rather than silently dropped.
    void appendNext(QByteArray &out)
    {
        while (!atEnd() && isBlank(m_bytes[m_pos]))
            ++m_pos;
        if (!atEnd() && m_bytes[m_pos] == Quote) {
            const qsizetype open = m_pos + 1;
            qsizetype close = m_bytes.indexOf(Quote, open);
            if (close < 0)
                close = m_bytes.size();
            out.append(m_bytes.sliced(open, close - open));
            m_pos = qMin(close + 1, m_bytes.size());
        }
        const qsizetype start = m_pos;
        m_pos = nextDelimiter(m_pos);
        out.append(m_bytes.sliced(start, m_pos - start));
        skipDelimiter();
    }

private:
    // The first comma or line end at or after `from`, else the size. The
    // scanner's last window is kept, since it usually holds the next one too.
    qsizetype nextDelimiter(qsizetype from)
    {
        const uchar *p = m_begin + from;
        if (m_window && p - m_window < CandidateScanner::Window) {
            const quint64 ahead = m_candidates & (~quint64(0) << (p - m_window));
            if (ahead)
                return m_window - m_begin + std::countr_zero(ahead);
            p = m_window + CandidateScanner::Window;
        }
        m_window = delimiterScanner().nextWindow(p, m_end, m_candidates);
        if (!m_window)
            return m_bytes.size();
        return m_window - m_begin + std::countr_zero(m_candidates);
    }

    void skipDelimiter()
    {
        if (atEnd())
            return;
        const char delimiter = m_bytes[m_pos++];
        if (delimiter == Cr && !atEnd() && m_bytes[m_pos] == Lf)
            ++m_pos;
    }

    QByteArrayView m_bytes;
    const uchar *m_begin;
    const uchar *m_end;
    qsizetype m_pos = 0;
    const uchar *m_window = nullptr;   // the scanner's last window, if any
    quint64 m_candidates = 0;          // the delimiters in it
};

void appendLabel(QByteArray &out, qint64 label)
{
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), label);
    out.append(digits, result.ptr - digits);
}

} // namespace

QByteArray readLineWise(QByteArrayView fileBytes, ReadStyle style)
{
    Q_ASSERT(style != ReadStyle::WholeFile);
    QByteArray content;
    content.reserve(fileBytes.size() + fileBytes.size() / 8);
    FieldReader reader(fileBytes);
    qint64 label = 0;
    // Called only while unread bytes remain: a file that ends right after a
    // comma or line end gets no empty field after it.
    while (!reader.atEnd()) {
        if (style == ReadStyle::EnumerateLines) {
            appendLabel(content, ++label);
            content.append(Tab);
        }
        reader.appendNext(content);
        if (style != ReadStyle::SingleLineFile)
            content.append(LineEnd);
    }
    return content;
}
