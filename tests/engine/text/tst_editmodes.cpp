#include "editmodes.h"

#include <QTest>

class TestEditModes : public QObject
{
    Q_OBJECT

private slots:
    void modes_data();
    void modes();
    void prcReverseString_data();
    void prcReverseString();
    void textsTakeTheFileLineEnd_data();
    void textsTakeTheFileLineEnd();
};

void TestEditModes::modes_data()
{
    QTest::addColumn<QList<EditMode>>("modes");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("with");
    QTest::addColumn<CompareMode>("compare");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("expected");

    using M = EditMode;
    const auto exact = CompareMode::Exact;
    const auto caseless = CompareMode::CaseInsensitive;
    QTest::newRow("append") << QList{M::Append} << "cat"
                            << "s" << exact << QByteArray("cat dog cat") << QByteArray("cats dog cats");
    QTest::newRow("prepend") << QList{M::Prepend} << "cat"
                             << "my" << exact << QByteArray("cat dog") << QByteArray("mycat dog");
    QTest::newRow("remove") << QList{M::Remove} << "-"
                            << "" << exact << QByteArray("a-b-c") << QByteArray("abc");
    QTest::newRow("remove ignores the with text") << QList{M::Remove} << "-"
                                                  << "zz" << exact << QByteArray("a-b-c") << QByteArray("abc");
    QTest::newRow("reverse") << QList{M::Reverse} << "abc"
                             << "" << exact << QByteArray("xabcx abc") << QByteArray("xcbax cba");
    QTest::newRow("reverse of a palindrome") << QList{M::Reverse} << "abba"
                                             << "" << exact << QByteArray("abba!") << QByteArray("abba!");
    QTest::newRow("reverse keeps UTF-8 characters whole")
        << QList{M::Reverse} << QString::fromUtf8("\xC3\xA4\xF0\x9F\x98\x80x") << "" << exact
        << QByteArray("(\xC3\xA4\xF0\x9F\x98\x80x)") << QByteArray("(x\xF0\x9F\x98\x80\xC3\xA4)");
    QTest::newRow("replace, leftmost first") << QList{M::Replace} << "aa"
                                             << "b" << exact << QByteArray("aaa") << QByteArray("ba");
    QTest::newRow("replace, not searched again") << QList{M::Replace} << "a"
                                                 << "aa" << exact << QByteArray("aba") << QByteArray("aabaa");
    QTest::newRow("caseless append writes the find's case")
        << QList{M::Append} << "abc"
        << "X" << caseless << QByteArray("ABC") << QByteArray("abcX");
    QTest::newRow("caseless reverse writes the find's case")
        << QList{M::Reverse} << "Abc"
        << "" << caseless << QByteArray("aBC") << QByteArray("cbA");
    QTest::newRow("caseless replace of KELVIN SIGN")
        << QList{M::Replace} << "k"
        << "x" << caseless << QByteArray("\xE2\x84\xAA-k-K") << QByteArray("x-x-x");
    QTest::newRow("append then prepend") << QList{M::Append, M::Prepend} << "a"
                                         << "b" << exact << QByteArray("a") << QByteArray("bab");
    QTest::newRow("later mode finds nothing left") << QList{M::Remove, M::Replace} << "a"
                                                   << "b" << exact << QByteArray("xa") << QByteArray("x");
    QTest::newRow("no mode keeps the content") << QList<EditMode>{} << "a"
                                               << "b" << exact << QByteArray("a\0a", 3) << QByteArray("a\0a", 3);
    QTest::newRow("untouched bytes kept") << QList{M::Replace} << "b"
                                          << "B" << exact
                                          << QByteArray("\xEF\xBB\xBF\r\0\xFF"
                                                        "b",
                                                        7)
                                          << QByteArray("\xEF\xBB\xBF\r\0\xFF"
                                                        "B",
                                                        7);
    QTest::newRow("find typed on two lines") << QList{M::Replace} << "a\r\nb"
                                             << "-" << exact << QByteArray("a\nb a\r\nb") << QByteArray("a\nb -");
}

void TestEditModes::modes()
{
    QFETCH(QList<EditMode>, modes);
    QFETCH(QString, find);
    QFETCH(QString, with);
    QFETCH(CompareMode, compare);
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, expected);
    ByteArraySink sink;
    applyModes(content, modes, makeEditTexts(find, with), compare, sink);
    QCOMPARE(sink.bytes(), expected);
}

void TestEditModes::prcReverseString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80");   // a surrogate pair
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("one character") << "a"
                                   << "a";
    QTest::newRow("two characters") << "ab"
                                    << "ba";
    QTest::newRow("CR LF becomes LF CR") << "x\r\n"
                                         << "\n\rx";
    QTest::newRow("surrogate pair stays in order") << "a" + grin + "b"
                                                   << "b" + grin + "a";
    QTest::newRow("two pairs in a row") << grin + QString::fromUtf8("\xF0\x9F\x98\x81")
                                        << QString::fromUtf8("\xF0\x9F\x98\x81") + grin;
    QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) + "a"
                                        << "a" + QString(QChar(0xDE00));
    QTest::newRow("low before high is no pair")
        << QString(QChar(0xDE00)) + QChar(0xD83D) << QString(QChar(0xD83D)) + QChar(0xDE00);
    QString longText;
    for (int i = 0; i < 40000; ++i)
        longText.append(QChar(u'a' + i % 26));
    QString longReversed = longText;
    std::reverse(longReversed.begin(), longReversed.end());
    QTest::newRow("longer than 32,767 characters") << longText << longReversed;
}

void TestEditModes::prcReverseString()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(::prcReverseString(text), expected);
}

void TestEditModes::textsTakeTheFileLineEnd_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<QByteArray>("find");
    QTest::addColumn<QByteArray>("with");
    QTest::addColumn<QByteArray>("reversedFind");
    QTest::newRow("CR LF") << QByteArray("\r\n") << QByteArray("\xC3\xA4\r\n") << QByteArray("w\r\n")
                           << QByteArray("\n\r\xC3\xA4");
    QTest::newRow("LF") << QByteArray("\n") << QByteArray("\xC3\xA4\n") << QByteArray("w\n")
                        << QByteArray("\n\xC3\xA4");
    QTest::newRow("CR") << QByteArray("\r") << QByteArray("\xC3\xA4\r") << QByteArray("w\r")
                        << QByteArray("\r\xC3\xA4");
}

// A line break typed in a box (CR LF) becomes the file's line end before the
// Find text is reversed; a LF typed alone stays as it is.
void TestEditModes::textsTakeTheFileLineEnd()
{
    QFETCH(QByteArray, lineEnd);
    QFETCH(QByteArray, find);
    QFETCH(QByteArray, with);
    QFETCH(QByteArray, reversedFind);
    RunTexts texts(QString::fromUtf8("\xC3\xA4\r\n"), "w\r\n");
    const EditTexts &made = texts.forLineEnd(lineEnd);
    QCOMPARE(made.find, find);
    QCOMPARE(made.with, with);
    QCOMPARE(made.reversedFind, reversedFind);
    QCOMPARE(makeEditTexts("a\nb", "", lineEnd).find, QByteArray("a\nb"));
}

QTEST_APPLESS_MAIN(TestEditModes)
#include "tst_editmodes.moc"
