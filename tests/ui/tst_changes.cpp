// The Changes window through the real main window, offscreen: a preview with
// its list, counts and diffs, Execute Ticked Files, Stop, a review with its
// Undo button, and the window's own conventions.
#include "changeswindow.h"
#include "checklist.h"
#include "form1.h"
#include "uitestsupport.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeView>

class TestChanges : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpTestApplication(); }
    void previewThenExecuteTicked();
    void diffTexts_data();
    void diffTexts();
    void stopDuringPreview();
    void reviewAndUndo();
    void oneWindowThatKeepsItsLayout();
};

namespace {

// Files 1.txt, 2.txt ... in a folder of their own, listed in the window, and
// a case-sensitive Replace of "cat" by "dog" typed in.
class Fixture
{
public:
    explicit Fixture(const QByteArrayList &contents)
    {
        QList<QByteArray> paths;
        for (qsizetype i = 0; i < contents.size(); ++i) {
            m_paths << m_dir.filePath(QStringLiteral("%1.txt").arg(i + 1));
            write(i, contents.at(i));
            paths << QFile::encodeName(m_paths.last());
        }
        form.addPaths(paths);
        child<QPlainTextEdit>(&form, "Combo2")->setPlainText(QStringLiteral("cat"));
        child<QPlainTextEdit>(&form, "Combo3")->setPlainText(QStringLiteral("dog"));
        child<CheckList>(&form, "List1")->setTicked(int(EditMode::Replace), true);
        child<CheckList>(&form, "List2")->setTicked(int(ReadOption::CaseSensitive), true);
    }

    void write(qsizetype file, const QByteArray &bytes)
    {
        QFile out(m_paths.at(file));
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            qFatal("cannot write");
    }
    QByteArray read(qsizetype file) const
    {
        QFile in(m_paths.at(file));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    const QStringList &paths() const { return m_paths; }

    ChangesWindow *choose(const char *entry)
    {
        child<QAction>(&form, entry)->trigger();
        return child<ChangesWindow>(&form, "frmChanges");
    }

    Form1 form;

private:
    QTemporaryDir m_dir;
    QStringList m_paths;
};

QString listText(ChangesWindow *window, int row, int column)
{
    const QAbstractItemModel *model = child<QTreeView>(window, "lstChangedFiles")->model();
    return model->index(row, column).data().toString();
}

void select(ChangesWindow *window, int row)
{
    QTreeView *list = child<QTreeView>(window, "lstChangedFiles");
    list->setCurrentIndex({});
    list->setCurrentIndex(list->model()->index(row, 0));
}

QString diffText(ChangesWindow *window)
{
    return child<QPlainTextEdit>(window, "txtDiff")->toPlainText();
}

// The text of the underlined (changed) characters in the diff's line that
// holds `lineText`, and whether that line has a coloured background.
std::pair<QString, bool> markedIn(ChangesWindow *window, const QString &lineText)
{
    for (QTextBlock block = child<QPlainTextEdit>(window, "txtDiff")->document()->begin(); block.isValid();
         block = block.next()) {
        if (!block.text().contains(lineText))
            continue;
        QString marked;
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().fontUnderline())
                marked += fragment.fragment().text();
        }
        return {marked, block.blockFormat().background().style() != Qt::NoBrush};
    }
    return {};
}

}   // namespace

void TestChanges::previewThenExecuteTicked()
{
    Fixture files({"a cat\nb\n", "cat cat cat\n", "no\n"});
    ChangesWindow *window = files.choose("mnuPreview");
    // A second preview resets the list and fills it again under the tester's eye.
    QAbstractItemModelTester tester(child<QTreeView>(window, "lstChangedFiles")->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(files.choose("mnuPreview"), window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Preview of the Edit Process - Textorum"));
    // The run's order: the last row first.
    QCOMPARE(listText(window, 0, 0), files.paths().at(1));
    QCOMPARE(listText(window, 0, 1), QStringLiteral("3 occurrences"));
    QCOMPARE(listText(window, 1, 1), QStringLiteral("1 occurrence"));
    QCOMPARE(child<QLabel>(window, "lblCounts")->text(),
             QStringLiteral("Preview: files visited: 3 | would change: 2 | unchanged: 1"));
    QCOMPARE(child<QLabel>(window, "lblChangesStatus")->text(), QStringLiteral("Preview done."));

    select(window, 1);
    QCOMPARE(diffText(window), QStringLiteral("@@ -1,2 +1,2 @@\n     1        - a cat\n            1 + a dog\n"
                                              "     2      2   b"));
    QCOMPARE(markedIn(window, QStringLiteral("- a cat")), std::pair(QStringLiteral("cat"), true));
    QCOMPARE(markedIn(window, QStringLiteral("+ a dog")), std::pair(QStringLiteral("dog"), true));
    QCOMPARE(markedIn(window, QStringLiteral("   b")), std::pair(QString(), false));

    QAbstractItemModel *model = child<QTreeView>(window, "lstChangedFiles")->model();
    QCOMPARE(model->index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QPushButton *execute = child<QPushButton>(window, "cmdExecuteTicked");
    QVERIFY(model->setData(model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(execute->isEnabled());
    QVERIFY(model->setData(model->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!execute->isEnabled());
    QVERIFY(model->setData(model->index(1, 0), Qt::Checked, Qt::CheckStateRole));
    // The texts change after the preview: the run edits as previewed.
    child<QPlainTextEdit>(&files.form, "Combo3")->setPlainText(QStringLiteral("bird"));
    execute->click();
    QCOMPARE(files.read(0), QByteArray("a dog\nb\n"));
    QCOMPARE(files.read(1), QByteArray("cat cat cat\n"));
    QVERIFY(child<QLabel>(window, "lblChangesStatus")->text().contains(QStringLiteral("files changed: 1")));
    QVERIFY(child<QAction>(&files.form, "mnuUndo")->isEnabled());
}

void TestChanges::diffTexts_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("meanwhile");   // written between the preview and the diff
    QTest::addColumn<QString>("shown");          // a part of the diff view's text

    QTest::newRow("a long line cut") << QByteArray(1500, 'x') + "cat" + QByteArray(1500, 'y') + '\n'
                                     << QByteArray() << QStringLiteral("[… 2003 more bytes of this line not shown]");
    QByteArray many;
    for (int i = 0; i < 1200; ++i)
        many += "cat\n";
    QTest::newRow("many changed lines cut")
        << many << QByteArray() << QStringLiteral("[… 1400 more lines not shown: the file has 2400 changed lines]");
    QTest::newRow("bytes that are not UTF-8")
        << QByteArray("\xff cat\n") << QByteArray() << QStringLiteral("            1 + \uFFFD dog");
    QTest::newRow("changed since the preview") << QByteArray("cat\n") << QByteArray("cat, edited\n")
                                               << QStringLiteral(" changed since the preview: no diff to show.");
}

void TestChanges::diffTexts()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, meanwhile);
    QFETCH(QString, shown);
    Fixture files({content});
    ChangesWindow *window = files.choose("mnuPreview");
    if (!meanwhile.isEmpty())
        files.write(0, meanwhile);
    select(window, 0);
    QVERIFY2(diffText(window).contains(shown), qPrintable(diffText(window).right(300)));
}

// Stop in the second yield: the first row's file only, and the progress
// caption shown before it.
void TestChanges::stopDuringPreview()
{
    Fixture files({"cat\n", "cat\n", "cat\n"});
    QStringList seen;
    QTimer poll;
    poll.setInterval(0);
    connect(&poll, &QTimer::timeout, this, [&] {
        ChangesWindow *window = files.form.findChild<ChangesWindow *>(QStringLiteral("frmChanges"));
        if (!window)
            return;
        seen << child<QLabel>(window, "lblChangesStatus")->text();
        if (child<QPushButton>(window, "cmdStopPreview")->isEnabled() && seen.size() >= 2)
            child<QPushButton>(window, "cmdStopPreview")->click();
    });
    poll.start();
    ChangesWindow *window = files.choose("mnuPreview");
    poll.stop();
    QVERIFY(seen.contains(QStringLiteral("Previewing file: 3/3\r\n") + files.paths().at(2)));
    QCOMPARE(child<QTreeView>(window, "lstChangedFiles")->model()->rowCount(), 1);
    QCOMPARE(child<QLabel>(window, "lblChangesStatus")->text(),
             QStringLiteral("Preview stopped: the list is not complete."));
    QVERIFY(!child<QPushButton>(window, "cmdStopPreview")->isEnabled());
    QCOMPARE(files.read(2), QByteArray("cat\n"));
}

void TestChanges::reviewAndUndo()
{
    Fixture files({"one\na cat\n", "a cat 2\n"});
    QVERIFY(!child<QAction>(&files.form, "mnuReview")->isEnabled());
    child<QAction>(&files.form, "mnuExecute")->trigger();
    QVERIFY(child<QAction>(&files.form, "mnuReview")->isEnabled());
    ChangesWindow *window = files.choose("mnuReview");
    QCOMPARE(window->windowTitle(), QStringLiteral("Review of the Last Edit Run - Textorum"));
    QVERIFY(child<QPushButton>(window, "cmdUndoRun")->isVisibleTo(window));
    QVERIFY(!child<QPushButton>(window, "cmdExecuteTicked")->isVisibleTo(window));
    QCOMPARE(listText(window, 0, 0), files.paths().at(1));
    QCOMPARE(diffText(window), QStringLiteral("@@ -1,1 +1,1 @@\n     1        - a cat 2\n            1 + a dog 2"));
    select(window, 1);
    QCOMPARE(diffText(window), QStringLiteral("@@ -1,2 +1,2 @@\n     1      1   one\n     2        - a cat\n"
                                              "            2 + a dog"));
    files.write(0, "one\na dog, edited\n");
    select(window, 1);
    QVERIFY(diffText(window).endsWith(QStringLiteral(" changed since the edit run: no diff to show.")));

    BoxAnswerer yes({QMessageBox::Yes});
    child<QPushButton>(window, "cmdUndoRun")->click();
    QCOMPARE(files.read(1), QByteArray("a cat 2\n"));
    QCOMPARE(files.read(0), QByteArray("one\na dog, edited\n"));
    QVERIFY(!child<QPushButton>(window, "cmdUndoRun")->isEnabled());
    QVERIFY(!child<QAction>(&files.form, "mnuReview")->isEnabled());
    QCOMPARE(child<QTreeView>(window, "lstChangedFiles")->model()->rowCount(), 0);
}

// One window, raised again; Escape closes it; its size and splitter come
// back in the next; every control is named for assistive tools.
void TestChanges::oneWindowThatKeepsItsLayout()
{
    QList<int> sizes;
    {
        Fixture files({"cat\n"});
        ChangesWindow *window = files.choose("mnuPreview");
        QCOMPARE(files.choose("mnuPreview"), window);
        QCOMPARE(files.form.findChildren<ChangesWindow *>().size(), 1);
        for (QWidget *control : window->findChildren<QWidget *>()) {
            if (qobject_cast<QAbstractButton *>(control) || qobject_cast<QAbstractItemView *>(control)
                || qobject_cast<QPlainTextEdit *>(control) || qobject_cast<QLabel *>(control))
                QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
        }
        window->resize(700, 400);
        child<QSplitter>(window, "splChanges")->setSizes({150, 500});
        sizes = child<QSplitter>(window, "splChanges")->sizes();
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
    }
    Fixture files({"cat\n"});
    ChangesWindow *window = files.choose("mnuPreview");
    QCOMPARE(window->size(), QSize(700, 400));
    QCOMPARE(child<QSplitter>(window, "splChanges")->sizes(), sizes);
}

QTEST_MAIN(TestChanges)
#include "tst_changes.moc"
