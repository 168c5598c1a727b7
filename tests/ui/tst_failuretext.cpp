// The list, shown by the status line, that says which files of a run failed and why.
#include "failuretext.h"

#include <QTest>

class TestFailureText : public QObject
{
    Q_OBJECT
private slots:
    void toolTip_data();
    void toolTip();
};

void TestFailureText::toolTip_data()
{
    QTest::addColumn<QList<FileFailure>>("failures");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("notShown");
    QTest::newRow("none") << QList<FileFailure>{} << QStringList{} << QStringList{"could not"};
    QTest::newRow("one, with the system's words")
        << QList<FileFailure>{{"/d/a.txt", FileFailureReason::OpenForWriting, "Permission denied"}}
        << QStringList{"1 file could not be edited:", "/d/a.txt could not be opened for writing (Permission denied)"}
        << QStringList{"more"};
    QTest::newRow("a file that may be damaged says so")
        << QList<FileFailure>{{"/d/b.txt", FileFailureReason::PartlyWritten, "Input/output error"}}
        << QStringList{"/d/b.txt was only partly written and may be damaged (Input/output error)"} << QStringList{};
    QTest::newRow("a name that is not UTF-8, changed meanwhile")
        << QList<FileFailure>{{"/d/caf\xe9.txt", FileFailureReason::Changed, {}}}
        << QStringList{QStringLiteral(u"/d/caf\uFFFD.txt changed by another program during the edit")}
        << QStringList{};
    QList<FileFailure> many;
    for (int i = 1; i <= 25; ++i)
        many.append({"/d/" + QByteArray::number(i) + ".txt", FileFailureReason::Write, {}});
    QTest::newRow("past twenty only counted")
        << many << QStringList{"25 files could not be edited:", "/d/20.txt", "... and 5 more"}
        << QStringList{"/d/21.txt"};
}

void TestFailureText::toolTip()
{
    QFETCH(QList<FileFailure>, failures);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, notShown);
    const QString toolTip = failureList(failures);
    QCOMPARE(toolTip.isEmpty(), failures.isEmpty());
    for (const QString &text : shown)
        QVERIFY2(toolTip.contains(text), qPrintable(text));
    for (const QString &text : notShown)
        QVERIFY2(!toolTip.contains(text), qPrintable(text));
}

QTEST_MAIN(TestFailureText)
#include "tst_failuretext.moc"
