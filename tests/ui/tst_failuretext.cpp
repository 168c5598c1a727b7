// The list, shown by the status line, that says which files of a run failed and why.
#include "failuretext.h"

#include <QTest>

class TestFailureText : public QObject
{
    Q_OBJECT
private slots:
    void toolTip_data();
    void toolTip();
    void skippedList_data();
    void skippedList();
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
        << QStringList{QStringLiteral(u"/d/caf\uFFFD.txt changed by another program during the edit")} << QStringList{};
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

void TestFailureText::skippedList_data()
{
    QTest::addColumn<int>("binaryFiles");
    QTest::addColumn<int>("folderRows");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("notShown");
    QTest::newRow("nothing skipped") << 0 << 0 << QStringList{} << QStringList{"skipped"};
    QTest::newRow("files named with their reasons")
        << 2 << 0 << QStringList{"3 files were skipped:", "/d/.git (hidden)", "/d/2.bin (binary)"}
        << QStringList{"Folders are"};
    QTest::newRow("past twenty grouped by reason")
        << 25 << 0 << QStringList{"26 files were skipped:", "hidden: 1", "binary: 25"} << QStringList{"/d/"};
    QTest::newRow("folder rows")
        << 0 << 2
        << QStringList{"Folders are skipped; tick File > Edit Files Inside Folders to edit the files inside them."}
        << QStringList{"files were"};
}

void TestFailureText::skippedList()
{
    QFETCH(int, binaryFiles);
    QFETCH(int, folderRows);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, notShown);
    SkippedFiles skipped;
    if (binaryFiles > 0)
        skipped.addFile("/d/.git", WalkSkip::Hidden);
    for (int i = 1; i <= binaryFiles; ++i)
        skipped.addFile("/d/" + QByteArray::number(i) + ".bin", WalkSkip::Binary);
    for (int i = 0; i < folderRows; ++i)
        skipped.addFolderRow();
    const QString toolTip = ::skippedList(skipped);
    QCOMPARE(toolTip.isEmpty(), binaryFiles + folderRows == 0);
    for (const QString &text : shown)
        QVERIFY2(toolTip.contains(text), qPrintable(toolTip));
    for (const QString &text : notShown)
        QVERIFY2(!toolTip.contains(text), qPrintable(toolTip));
}

QTEST_MAIN(TestFailureText)
#include "tst_failuretext.moc"
