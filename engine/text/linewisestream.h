#pragma once

#include "bytesink.h"
#include "editoptions.h"
#include "streambuffer.h"

#include <QByteArray>
#include <QByteArrayView>

// Rebuilds a file's content field by field in one of the line-wise styles
// (SingleLineFile, EnumerateLines, RemoveIndentation) from the file's bytes,
// which arrive piece by piece; the rebuilt content goes to `out` about a
// buffer at a time. A field, a quoted text or a CR LF may span two pieces.
// Every line made ends with the file's own line end (see lineend.h), so a
// file of LF lines stays one: each field's line, or SingleLineFile's one line.
//
// Blanks (spaces and Tabs) before a field are skipped. A field that opens
// with a quote runs to the closing quote, across commas and line ends, and
// an unclosed quote runs to the end; what follows the closing quote up to
// the delimiter is kept with the field rather than silently dropped. A field
// starts only where a byte follows the last delimiter, so a file that ends
// right after a comma or line end gets no empty field after it.
class LineWiseStream : public ByteSink
{
public:
    LineWiseStream(ReadStyle style, QByteArrayView lineEnd, ByteSink &out, qsizetype bufferSize = kStreamBufferSize);

    void append(QByteArrayView fileBytes) override;
    // The file is complete: ends the field being read, if any.
    void finish();

private:
    enum class State { BetweenFields, Blanks, Quoted, Unquoted, AfterCr };

    // Read from `pos` inside a quoted text, and after it or in a field
    // without quotes, up to where the state changes or the piece ends;
    // return where they stopped.
    qsizetype readQuoted(QByteArrayView bytes, qsizetype pos);
    qsizetype readUnquoted(QByteArrayView bytes, qsizetype pos);
    qsizetype nextDelimiter(const uchar *begin, const uchar *end, qsizetype from);
    void startField();
    void endField();
    void flush();

    ReadStyle m_style;
    QByteArray m_lineEnd;
    ByteSink &m_out;
    qsizetype m_bufferSize;
    State m_state = State::BetweenFields;
    qint64 m_fields = 0;               // the fields started, which EnumerateLines numbers
    QByteArray m_rebuilt;              // rebuilt content not yet passed on
    const uchar *m_window = nullptr;   // the delimiter scanner's last window in this piece
    quint64 m_candidates = 0;          // the delimiters in it
};

// Rebuilds whole file content (see LineWiseStream).
QByteArray readLineWise(QByteArrayView fileBytes, ReadStyle style, QByteArrayView lineEnd);
