#include "linereader.h"

namespace {

constexpr char Quote = '"';
constexpr char Comma = ',';
constexpr char Cr = '\r';
constexpr char Lf = '\n';

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDelimiter(char c)
{
    return c == Comma || c == Cr || c == Lf;
}

// Reads one field at a time from bytes that are never read past their end.
class FieldReader
{
public:
    explicit FieldReader(QByteArrayView bytes) : m_bytes(bytes) {}

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    // The next field; consumes the comma or line end that ends it.
    // A field that opens with a quote runs to the closing quote, across
    // commas and line ends; what follows the closing quote up to the
    // delimiter is kept with the field rather than silently dropped.
    // An unclosed quote runs to the end of the bytes.
    QByteArray next()
    {
        while (!atEnd() && isBlank(m_bytes[m_pos]))
            ++m_pos;
        QByteArray field;
        if (!atEnd() && m_bytes[m_pos] == Quote) {
            const qsizetype open = m_pos + 1;
            qsizetype close = m_bytes.indexOf(Quote, open);
            if (close < 0)
                close = m_bytes.size();
            field = m_bytes.sliced(open, close - open).toByteArray();
            m_pos = qMin(close + 1, m_bytes.size());
        }
        const qsizetype start = m_pos;
        while (!atEnd() && !isDelimiter(m_bytes[m_pos]))
            ++m_pos;
        field.append(m_bytes.sliced(start, m_pos - start));
        skipDelimiter();
        return field;
    }

private:
    void skipDelimiter()
    {
        if (atEnd())
            return;
        const char delimiter = m_bytes[m_pos++];
        if (delimiter == Cr && !atEnd() && m_bytes[m_pos] == Lf)
            ++m_pos;
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray readLineWise(QByteArrayView fileBytes, ReadStyle style)
{
    Q_ASSERT(style != ReadStyle::WholeFile);
    QByteArray content;
    content.reserve(fileBytes.size());
    FieldReader reader(fileBytes);
    qint64 label = 0;
    // Called only while unread bytes remain: a file that ends right after a
    // comma or line end gets no empty field after it.
    while (!reader.atEnd()) {
        const QByteArray field = reader.next();
        switch (style) {
        case ReadStyle::EnumerateLines:
            content.append(QByteArray::number(++label)).append('\t');
            [[fallthrough]];
        case ReadStyle::RemoveIndentation:
            content.append(field).append("\r\n");
            break;
        case ReadStyle::SingleLineFile:
        case ReadStyle::WholeFile:
            content.append(field);
            break;
        }
    }
    return content;
}
