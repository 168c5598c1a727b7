// The line diff of a file and its edit: exact hunks that apply to the old
// bytes, whatever the pieces they arrive in, and what a window is shown of them.
#include "difftext.h"
#include "showndiff.h"
#include "unifiedpatch.h"

#include <QRandomGenerator>
#include <QTest>

class TestLineDiff : public QObject
{
    Q_OBJECT

private slots:
    void hunks_data();
    void hunks();
    void appliesToTheOldBytes();
    void shownLines_data();
    void shownLines();
    void shownDiffStopsKeepingPastItsLimit();
};

namespace {

QByteArray numberedLines(int from, int to)
{
    QByteArray lines;
    for (int i = from; i <= to; ++i)
        lines += QByteArray::number(i) + '\n';
    return lines;
}

}   // namespace

void TestLineDiff::hunks_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("now");
    QTest::addColumn<QByteArray>("diff");

    const QByteArray ten = numberedLines(1, 10);
    QByteArray fifth = ten;
    fifth.replace("5\n", "five\n");
    QTest::newRow("a line in the middle, two lines around it")
        << ten << fifth << QByteArray("@@ -3,5 +3,5 @@\n 3\n 4\n-5\n+five\n 6\n 7\n");
    QByteArray fourApart = ten;
    fourApart.replace("2\n", "two\n").replace("7\n", "seven\n");
    QTest::newRow("changes four lines apart share a hunk")
        << ten << fourApart << QByteArray("@@ -1,9 +1,9 @@\n 1\n-2\n+two\n 3\n 4\n 5\n 6\n-7\n+seven\n 8\n 9\n");
    QByteArray fiveApart = ten;
    fiveApart.replace("2\n", "two\n").replace("8\n", "eight\n");
    QTest::newRow("changes five lines apart do not")
        << ten << fiveApart
        << QByteArray("@@ -1,4 +1,4 @@\n 1\n-2\n+two\n 3\n 4\n@@ -6,5 +6,5 @@\n 6\n 7\n-8\n+eight\n 9\n 10\n");
    QTest::newRow("lines added at the start")
        << QByteArray("a\nb\n") << QByteArray("x\ny\na\nb\n") << QByteArray("@@ -1,2 +1,4 @@\n+x\n+y\n a\n b\n");
    QTest::newRow("everything removed") << QByteArray("a\nb") << QByteArray()
                                        << QByteArray("@@ -1,2 +0,0 @@\n-a\n-b\n\\ No newline at end of file\n");
    QTest::newRow("only the last line end added")
        << QByteArray("a\nb") << QByteArray("a\nb\n")
        << QByteArray("@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n");
    QTest::newRow("CR LF, NUL and invalid UTF-8 kept as they are")
        << QByteArray("k\r\n\xff\0cat\r\n", 10) << QByteArray("k\r\n\xff\0dog\r\n", 10)
        << QByteArray("@@ -1,2 +1,2 @@\n k\r\n-\xff\0cat\r\n+\xff\0dog\r\n", 36);
    QTest::newRow("the same bytes: no hunk") << ten << ten << QByteArray();
}

void TestLineDiff::hunks()
{
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, now);
    QFETCH(QByteArray, diff);
    QCOMPARE(unifiedHunks(old, now), diff);
    QCOMPARE(unifiedHunks(old, now, {1, 3, 2}), diff);
}

// Random texts from few distinct lines (so that many lines are equal), with
// random lines changed, added and removed, including runs of changes longer
// than the diff's window, sent in random pieces.
void TestLineDiff::appliesToTheOldBytes()
{
    QRandomGenerator random(18);
    const QList<QByteArray> vocabulary = {"\n", "cat\n", "dog\n", "a\r\n", QByteArray("\0\xfe\n", 3), "\r\n", "x"};
    for (int round = 0; round < 400; ++round) {
        QByteArray old;
        QByteArray now;
        const int lines = random.bounded(round % 10 == 0 ? 1200 : 40);
        const int changeRun = round % 10 == 0 ? 700 : 3;
        for (int i = 0, changing = 0; i < lines; ++i) {
            const QByteArray line = vocabulary.at(random.bounded(vocabulary.size() - 1));
            if (changing == 0 && random.bounded(5) == 0)
                changing = 1 + random.bounded(changeRun);
            old += random.bounded(8) == 0 && changing ? QByteArray() : line;
            now += changing ? vocabulary.at(random.bounded(vocabulary.size())) + QByteArray::number(i) + '\n' : line;
            changing = qMax(0, changing - 1);
        }
        const QList<int> pieces = {1 + int(random.bounded(7)), 1 + int(random.bounded(300)), 1};
        const QByteArray diff = unifiedHunks(old, now, pieces);
        QCOMPARE(unifiedpatch::apply(old, diff), std::optional<QByteArray>(now));
        QCOMPARE(diff.isEmpty(), old == now);
    }
}

void TestLineDiff::shownLines_data()
{
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<QByteArray>("now");
    QTest::addColumn<char>("lineBreak");
    QTest::addColumn<qsizetype>("keptBytes");
    // Each line shown: sign, old and new number, text, bytes left out, and
    // the changed bytes marked with [ ].
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("changed characters, UTF-8 kept whole")
        << QByteArray("one\ncafé au lait\n") << QByteArray("one\ncafé noir\n") << '\n'
        << qsizetype(-1) << QStringList{"  1 1 one 0", "- 2 0 café [au lait] 0", "+ 0 2 café [noir] 0"};
    QTest::newRow("an accent changed: the whole character")
        << QByteArray("caf\xc3\xa9\n") << QByteArray("caf\xc3\xa8\n") << '\n'
        << qsizetype(-1) << QStringList{"- 1 0 caf[é] 0", "+ 0 1 caf[è] 0"};
    QTest::newRow("lone CR line ends, a line added without a pair")
        << QByteArray("a\rb\r") << QByteArray("a\rB\rc\r") << '\r' << qsizetype(-1)
        << QStringList{"  1 1 a 0", "- 2 0 [b] 0", "+ 0 2 [B] 0", "+ 0 3 [c] 0"};
    QTest::newRow("CR LF: the line end is not text")
        << QByteArray("x cat\r\n") << QByteArray("x dog\r\n") << '\n'
        << qsizetype(-1) << QStringList{"- 1 0 x [cat] 0", "+ 0 1 x [dog] 0"};
    QTest::newRow("long lines cut, told apart past the cut")
        << QByteArray("0123456789abcdefZ\n") << QByteArray("0123456789abcdefY\n") << '\n'
        << qsizetype(8) << QStringList{"- 1 0 01234567[] 9", "+ 0 1 01234567[] 9"};
    QTest::newRow("long lines equal past the cut are context")
        << QByteArray("0123456789abcdef\nx\n") << QByteArray("0123456789abcdef\ny\n") << '\n'
        << qsizetype(8) << QStringList{"  1 1 01234567 8", "- 2 0 [x] 0", "+ 0 2 [y] 0"};
}

void TestLineDiff::shownLines()
{
    QFETCH(QByteArray, old);
    QFETCH(QByteArray, now);
    QFETCH(char, lineBreak);
    QFETCH(qsizetype, keptBytes);
    QFETCH(QStringList, shown);

    ShownDiffCollector collector(1000);
    LineDiff diff({lineBreak, keptBytes, 2}, collector);
    feedInPieces(diff, old, now, {2});
    QStringList lines;
    for (const ShownDiff::Hunk &hunk : collector.diff().hunks) {
        for (const ShownDiff::Line &line : hunk.lines) {
            QByteArray text = line.text;
            if (line.kind != DiffLine::Kind::Context)
                text.insert(line.changedTo, ']').insert(line.changedFrom, '[');
            lines << QStringLiteral("%1 %2 %3 %4 %5")
                         .arg(QLatin1Char(" -+"[int(line.kind)]))
                         .arg(line.oldNumber)
                         .arg(line.newNumber)
                         .arg(QString::fromUtf8(text))
                         .arg(line.leftOut);
        }
    }
    QCOMPARE(lines, shown);
}

void TestLineDiff::shownDiffStopsKeepingPastItsLimit()
{
    QByteArray old;
    QByteArray now;
    for (int i = 0; i < 50; ++i) {
        old += "same\nold " + QByteArray::number(i) + "\nsame\nsame\nsame\nsame\n";
        now += "same\nnew " + QByteArray::number(i) + "\nsame\nsame\nsame\nsame\n";
    }
    ShownDiffCollector collector(10);
    LineDiff diff({}, collector);
    feedInPieces(diff, old, now, {});
    const ShownDiff &shown = collector.diff();
    QCOMPARE(shown.changedLines, 100);
    qint64 changedShown = 0;
    for (const ShownDiff::Hunk &hunk : shown.hunks) {
        for (const ShownDiff::Line &line : hunk.lines)
            changedShown += line.kind != DiffLine::Kind::Context;
    }
    // Five hunks of two changed lines each are kept whole (the first has one
    // line of context before it); the other 45 hunks of six lines are counted.
    QCOMPARE(changedShown, 10);
    QCOMPARE(shown.hunks.size(), 5);
    QCOMPARE(shown.leftOutLines, 45 * 6);
}

QTEST_APPLESS_MAIN(TestLineDiff)
#include "tst_linediff.moc"
