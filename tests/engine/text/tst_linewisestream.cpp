#include "linewisestream.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The field rules read plainly, one byte at a time.
QList<QByteArray> referenceFields(QByteArrayView bytes)
{
    QList<QByteArray> fields;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        QByteArray field;
        while (i < n && (bytes[i] == ' ' || bytes[i] == '\t'))
            ++i;
        if (i < n && bytes[i] == '"') {
            for (++i; i < n && bytes[i] != '"'; ++i)
                field += bytes[i];
            ++i;   // the closing quote, if there is one
        }
        for (; i < n && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n'; ++i)
            field += bytes[i];
        if (i < n && bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        ++i;   // the delimiter, if there is one
        fields.append(field);
    }
    return fields;
}

}   // namespace

class TestLineReader : public QObject
{
    Q_OBJECT

private slots:
    void styles_data();
    void styles();
    void fields_data();
    void fields();
    void numberingStartsAgainForEveryFile();
    void longFilesMatchReference();
};

void TestLineReader::styles_data()
{
    QTest::addColumn<ReadStyle>("style");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray crLf = "\r\n";
    const QByteArray threeLines = "alpha\r\n    beta\r\ngamma, delta\r\n";
    QTest::newRow("single line file") << ReadStyle::SingleLineFile << threeLines << crLf
                                      << QByteArray("alphabetagammadelta\r\n");
    QTest::newRow("remove indentation") << ReadStyle::RemoveIndentation << threeLines << crLf
                                        << QByteArray("alpha\r\nbeta\r\ngamma\r\ndelta\r\n");
    QTest::newRow("enumerate lines") << ReadStyle::EnumerateLines << threeLines << crLf
                                     << QByteArray("1\talpha\r\n2\tbeta\r\n3\tgamma\r\n4\tdelta\r\n");
    QTest::newRow("blank line kept by remove indentation")
        << ReadStyle::RemoveIndentation << QByteArray("a\r\n\r\nb") << crLf << QByteArray("a\r\n\r\nb\r\n");
    QTest::newRow("blank line adds nothing to a single line")
        << ReadStyle::SingleLineFile << QByteArray("a\r\n\r\nb") << crLf << QByteArray("ab\r\n");
    QTest::newRow("labels go past 9") << ReadStyle::EnumerateLines << QByteArray("a,b,c,d,e,f,g,h,i,j,k") << crLf
                                      << QByteArray("1\ta\r\n2\tb\r\n3\tc\r\n4\td\r\n5\te\r\n6\tf\r\n"
                                                    "7\tg\r\n8\th\r\n9\ti\r\n10\tj\r\n11\tk\r\n");
    QTest::newRow("empty file") << ReadStyle::EnumerateLines << QByteArray() << crLf << QByteArray();
    QTest::newRow("empty file, single line") << ReadStyle::SingleLineFile << QByteArray() << crLf << QByteArray();
    QTest::newRow("LF lines stay LF lines")
        << ReadStyle::RemoveIndentation << QByteArray("  a\n  b\n") << QByteArray("\n") << QByteArray("a\nb\n");
    QTest::newRow("LF, enumerated") << ReadStyle::EnumerateLines << QByteArray("a\nb") << QByteArray("\n")
                                    << QByteArray("1\ta\n2\tb\n");
    QTest::newRow("LF, single line") << ReadStyle::SingleLineFile << QByteArray("a\nb\n") << QByteArray("\n")
                                     << QByteArray("ab\n");
    QTest::newRow("CR alone") << ReadStyle::RemoveIndentation << QByteArray(" a\rb") << QByteArray("\r")
                              << QByteArray("a\rb\r");
}

void TestLineReader::styles()
{
    QFETCH(ReadStyle, style);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, lineEnd);
    QFETCH(QByteArray, expected);
    QCOMPARE(readLineWise(file, style, lineEnd), expected);
}

// Each row is one rule of the field reader; the fields are checked through
// RemoveIndentation, which puts every field on a line of its own.
void TestLineReader::fields_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<QByteArray>>("expected");
    using Fields = QList<QByteArray>;
    QTest::newRow("quotes keep commas and spaces") << QByteArray("\"x, y\"\r\n") << Fields{"x, y"};
    QTest::newRow("last line without line end") << QByteArray("a\r\nb") << Fields{"a", "b"};
    QTest::newRow("CR alone and LF alone end lines") << QByteArray("a\rb\nc") << Fields{"a", "b", "c"};
    QTest::newRow("LF CR is two line ends") << QByteArray("a\n\rb") << Fields{"a", "", "b"};
    QTest::newRow("two commas give an empty field") << QByteArray("a,,b") << Fields{"a", "", "b"};
    QTest::newRow("line of spaces is an empty field") << QByteArray("a\r\n   \r\nb") << Fields{"a", "", "b"};
    QTest::newRow("Tabs before a field are skipped like spaces") << QByteArray("\t \tx") << Fields{"x"};
    QTest::newRow("spaces at the end of a field are kept") << QByteArray("a  ,b") << Fields{"a  ", "b"};
    QTest::newRow("delimiter after the closing quote is consumed")
        << QByteArray("\"a\",b\r\n\"c\"\r\nd") << Fields{"a", "b", "c", "d"};
    QTest::newRow("text between closing quote and comma stays with the field")
        << QByteArray("\"a, b\" c,d") << Fields{"a, b c", "d"};
    QTest::newRow("quoted field runs over line ends") << QByteArray("\"a\r\nb\",c") << Fields{"a\r\nb", "c"};
    QTest::newRow("unclosed quote runs to the end") << QByteArray("x\r\n\"a,\r\nb") << Fields{"x", "a,\r\nb"};
    QTest::newRow("lone quote at the end") << QByteArray("a,\"") << Fields{"a", ""};
    QTest::newRow("quote inside an unquoted field is kept") << QByteArray("ab\"c,d") << Fields{"ab\"c", "d"};
    QTest::newRow("spaces inside quotes are kept") << QByteArray("  \"  a \"") << Fields{"  a "};
    QTest::newRow("comma before a line end leaves an empty field") << QByteArray("a,b,\r\n") << Fields{"a", "b", ""};
    QTest::newRow("comma at the very end adds no field") << QByteArray("a,b,") << Fields{"a", "b"};
    QTest::newRow("line end at the very end adds no field") << QByteArray("a\r\n") << Fields{"a"};
    QTest::newRow("CR at the very end") << QByteArray("a\r") << Fields{"a"};
    QTest::newRow("NUL and stray bytes are kept")
        << QByteArray("\0\xFF\xC3,b", 5) << Fields{QByteArray("\0\xFF\xC3", 3), "b"};
}

void TestLineReader::fields()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<QByteArray>, expected);
    QByteArray lines;
    for (const QByteArray &field : expected)
        lines += field + "\r\n";
    QCOMPARE(readLineWise(file, ReadStyle::RemoveIndentation, "\r\n"), lines);
    // The same fields joined: the reading does not depend on the style.
    QCOMPARE(readLineWise(file, ReadStyle::SingleLineFile, "\r\n"), expected.join() + "\r\n");
}

void TestLineReader::numberingStartsAgainForEveryFile()
{
    QCOMPARE(readLineWise("a\nb", ReadStyle::EnumerateLines, "\n"), QByteArray("1\ta\n2\tb\n"));
    QCOMPARE(readLineWise("c", ReadStyle::EnumerateLines, "\n"), QByteArray("1\tc\n"));
}

// Long enough for the windowed search for delimiters, with every byte that
// the rules treat apart; read whole and in pieces of random sizes, so that
// fields, quotes and CR LF pairs fall across piece boundaries.
void TestLineReader::longFilesMatchReference()
{
    const QByteArray alphabet("ab ,\t\"\r\n\0", 9);
    QRandomGenerator random(1209);
    for (int round = 0; round < 500; ++round) {
        QByteArray file;
        const int length = random.bounded(2000);
        const int common = random.bounded(1, int(alphabet.size()));   // fewer delimiters in some files
        for (int i = 0; i < length; ++i)
            file += alphabet.at(random.bounded(random.bounded(4) == 0 ? int(alphabet.size()) : common));
        QByteArray expected;
        for (const QByteArray &field : referenceFields(file))
            expected += field + "\r\n";
        QCOMPARE(readLineWise(file, ReadStyle::RemoveIndentation, "\r\n"), expected);

        ByteArraySink sink;
        LineWiseStream stream(ReadStyle::RemoveIndentation, "\r\n", sink, random.bounded(1, 16));
        for (qsizetype at = 0; at < file.size();) {
            const qsizetype piece = qMin(file.size() - at, qsizetype(random.bounded(1, 16)));
            stream.append(QByteArrayView(file).sliced(at, piece));
            at += piece;
        }
        stream.finish();
        QCOMPARE(sink.bytes(), expected);
    }
}

QTEST_APPLESS_MAIN(TestLineReader)
#include "tst_linewisestream.moc"
