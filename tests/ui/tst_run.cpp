// Edit runs through the real window on real files: Execute, Stop, Clear, Undo,
// and the two ways the window can go away while a run is in progress.
#include "form1.h"
#include "uitestsupport.h"

#include "filelistmodel.h"
#include "filelistview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

class TestRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpTestApplication(); }
    void typicalRun_data();
    void typicalRun();
    void nameThatIsNotUtf8();
    void progressDuringRun();
    void emptyList();
    void folderRow_data();
    void folderRow();
    void stopDuringRun_data();
    void stopDuringRun();
    void summaryAddsUp_data();
    void summaryAddsUp();
    void clear_data();
    void clear();
    void undo_data();
    void undo();
    void exitDuringRun();
    void closeDuringRun();
};

namespace {

// A folder of numbered files "1.txt", "2.txt", ... listed in that order.
class ListedFiles
{
public:
    ListedFiles(Form1 &form, const QByteArrayList &contents)
    {
        FileListModel *model = child<FileListView>(&form, "LVFile")->fileModel();
        for (int i = 0; i < contents.size(); ++i) {
            const QString path = m_dir.filePath(QStringLiteral("%1.txt").arg(i + 1));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(contents[i]) != contents[i].size())
                qFatal("cannot write %s", qPrintable(path));
            const int row = model->appendRow();
            model->setText(row, FileColumn::Name, QFileInfo(path).fileName());
            model->setTag(row, QFile::encodeName(path));
            m_paths << path;
        }
    }

    const QStringList &paths() const { return m_paths; }

    QByteArrayList contents() const
    {
        QByteArrayList all;
        for (const QString &path : m_paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                qFatal("cannot read %s", qPrintable(path));
            all << file.readAll();
        }
        return all;
    }

private:
    QTemporaryDir m_dir;
    QStringList m_paths;
};

// Types a text into a box as a user does: Enter for '\n', Shift+Enter for a
// line separator.
void type(QPlainTextEdit *box, const QString &text)
{
    for (const QChar character : text) {
        if (character == u'\n')
            QTest::keyClick(box, Qt::Key_Return);
        else if (character == QChar::LineSeparator)
            QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        else
            QTest::keyClicks(box, character);
    }
}

// Pastes a text into a box through the clipboard, as from another program.
void paste(QPlainTextEdit *box, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

// The pointer the window shows: a busy one only on the window itself.
bool isPointerBusy(const Form1 &form)
{
    return form.testAttribute(Qt::WA_SetCursor) && form.cursor().shape() == Qt::WaitCursor;
}

void tick(QListWidget *list, int index)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(index)).center());
}

// Calls `action` from inside the run's yield once the status line shows the
// given text at its start: the moment a user's click or key is handled.
class DuringRun : public QObject
{
public:
    DuringRun(Form1 &form, const QString &statusStart, std::function<void()> action)
        : m_status(child<QLabel>(&form, "Label1"))
        , m_statusStart(statusStart)
        , m_action(std::move(action))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (m_status->text().startsWith(m_statusStart)) {
                m_timer.stop();
                m_action();
            }
        });
        m_timer.start(0);
    }

private:
    QLabel *m_status;
    QString m_statusStart;
    std::function<void()> m_action;
    QTimer m_timer;
};

QString summary(int rows, int changed, int failed = 0)
{
    const QString counts = QStringLiteral("Done Processing files: %1 | files changed: %2 | files unchanged: %3")
                               .arg(rows)
                               .arg(changed)
                               .arg(rows - changed - failed);
    return failed > 0 ? counts + QStringLiteral(" | files failed: %1").arg(failed) : counts;
}

}   // namespace

void TestRun::typicalRun_data()
{
    QTest::addColumn<QByteArrayList>("before");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("with");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArrayList>("after");
    const bool typed = false;
    const bool pasted = true;
    QTest::newRow("Replace in two of three files") << QByteArrayList{"cat dog cat", "dog", "a cat"} << typed << "cat"
                                                   << "bird" << 4 << QByteArrayList{"bird dog bird", "dog", "a bird"};
    QTest::newRow("a Find text typed on two lines matches each file's line end")
        << QByteArrayList{"a\r\nb\r\n", "a\nb\n", "ab"} << typed << "a\nb"
        << "X" << 4 << QByteArrayList{"X\r\n", "X\n", "ab"};
    QTest::newRow("a With text typed on two lines is written with the file's line end")
        << QByteArrayList{"x", "x\n"} << typed << "x"
        << "1\n2" << 4 << QByteArrayList{"1\r\n2", "1\n2\n"};
    QTest::newRow("the ticked mode is the one applied") << QByteArrayList{"cat dog cat"} << typed << "cat"
                                                        << "s" << 0 << QByteArrayList{"cats dog cats"};
    // Look-alike spaces are what a clean-up removes: each must stay itself.
    QTest::newRow("a typed no-break space removes only itself")
        << QByteArrayList{QStringLiteral("one two\u00A0three\u202Ffour").toUtf8()} << typed << QStringLiteral("\u00A0")
        << "" << 2 << QByteArrayList{QStringLiteral("one twothree\u202Ffour").toUtf8()};
    QTest::newRow("a pasted tab and narrow no-break space, a no-break space put in")
        << QByteArrayList{QStringLiteral("a\t\u202Fb c").toUtf8()} << pasted << QStringLiteral("\t\u202F")
        << QStringLiteral("\u00A0") << 4 << QByteArrayList{QStringLiteral("a\u00A0b c").toUtf8()};
    QTest::newRow("Shift+Enter is a line break") << QByteArrayList{"a\r\nb"} << typed << QStringLiteral("a\u2028b")
                                                 << QStringLiteral("1\u20282") << 4 << QByteArrayList{"1\r\n2"};
    QTest::newRow("pasted line and paragraph separators are line breaks")
        << QByteArrayList{"a\r\nb\r\nc"} << pasted << QStringLiteral("a\u2028b\u2029c") << QStringLiteral("1\u20292")
        << 4 << QByteArrayList{"1\r\n2"};
    QTest::newRow("a Find text ending in a line break") << QByteArrayList{"a\r\na"} << typed << "a\n"
                                                        << "b" << 4 << QByteArrayList{"ba"};
}

// The Overview's typical run: files listed, Find and With typed, a mode
// ticked, Execute pressed; every file with the Find text rewritten.
void TestRun::typicalRun()
{
    QFETCH(QByteArrayList, before);
    QFETCH(bool, pasted);
    QFETCH(QString, find);
    QFETCH(QString, with);
    QFETCH(int, mode);
    QFETCH(QByteArrayList, after);
    Form1 form;
    showActive(form);
    const ListedFiles files(form, before);
    const auto enter = pasted ? paste : type;
    enter(child<QPlainTextEdit>(&form, "Combo2"), find);
    enter(child<QPlainTextEdit>(&form, "Combo3"), with);
    tick(child<QListWidget>(&form, "List1"), mode);
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);

    QCOMPARE(files.contents(), after);
    int changed = 0;
    for (qsizetype i = 0; i < before.size(); ++i)
        changed += before[i] != after[i];
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), summary(int(before.size()), changed));
    QCOMPARE(child<QLabel>(&form, "Label3")->text(), QStringLiteral("..."));
    QVERIFY(child<QPushButton>(&form, "Command1_0")->isEnabled());
    QVERIFY(!child<QPushButton>(&form, "Command1_1")->isEnabled());
    QVERIFY(!isPointerBusy(form));
    // The captions, repainted only once a frame during the run, show again.
    QVERIFY(child<QLabel>(&form, "Label1")->updatesEnabled());
    QVERIFY(child<QLabel>(&form, "Label3")->updatesEnabled());
}

// A Latin-1 name ("caf" 0xE9 ".txt") dropped on the list reaches the run in
// its bytes: through a QString it would name a missing file, and the run
// would count it as unchanged without a word.
void TestRun::nameThatIsNotUtf8()
{
    Form1 form;
    showActive(form);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QByteArray path = QFile::encodeName(temp.path()) + "/caf\xe9.txt";
    std::ofstream(path.constData(), std::ios::binary) << "a cat";
    // QTemporaryDir cannot remove a name that is not UTF-8: removed by its bytes.
    const auto removeFile = qScopeGuard([&path] { ::unlink(path.constData()); });
    QMimeData data;
    data.setUrls({QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
    const BoxAnswerer answerer({QMessageBox::No});
    child<FileListView>(&form, "LVFile")->LVFile_OLEDragDrop(&data);
    QVERIFY(answerer.seen().isEmpty());
    type(child<QPlainTextEdit>(&form, "Combo2"), QStringLiteral("cat"));
    type(child<QPlainTextEdit>(&form, "Combo3"), QStringLiteral("dog"));
    tick(child<QListWidget>(&form, "List1"), 4);
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);

    std::ifstream file(path.constData(), std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(file), {}};
    QCOMPARE(content, std::string("a dog"));
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), summary(1, 1));
}

// What the window shows at each yield of a run: the previous row's progress,
// Execute disabled, Stop enabled, the busy pointer.
void TestRun::progressDuringRun()
{
    Form1 form;
    showActive(form);
    const ListedFiles files(form, {"one", "two", "three"});
    QStringList captions;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &form, [&] {
        captions << child<QLabel>(&form, "Label1")->text();
        QVERIFY(!child<QPushButton>(&form, "Command1_0")->isEnabled());
        QVERIFY(child<QPushButton>(&form, "Command1_1")->isEnabled());
        QVERIFY(isPointerBusy(form));
        // The pointer is the window's: other windows, message boxes among them, keep theirs.
        QVERIFY(!QApplication::overrideCursor());
    });
    watch.start(0);
    QTest::keyClick(child<QWidget>(&form, "LVFile"), Qt::Key_E, Qt::ControlModifier);
    watch.stop();
    captions.removeDuplicates();
    const QString progress = QStringLiteral("Processing file: %1/3\r\n%2");
    QCOMPARE(captions,
             (QStringList{"...", progress.arg(3).arg(files.paths()[2]), progress.arg(2).arg(files.paths()[1])}));
    // An empty Find text is found in every file that is not empty, and replaces nothing.
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), summary(3, 0));
}

void TestRun::emptyList()
{
    Form1 form;
    showActive(form);
    const BoxAnswerer answerer({QMessageBox::Ok});
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);
    QCOMPARE(answerer.seen().size(), 1);
    const SeenBox &box = answerer.seen().first();
    QCOMPARE(box.title, QStringLiteral("Textorum"));
    QCOMPARE(box.text, QStringLiteral("No item listed."));
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(!box.busyPointer);
    QVERIFY(child<QPushButton>(&form, "Command1_0")->isEnabled());
    QVERIFY(!child<QPushButton>(&form, "Command1_1")->isEnabled());
    QVERIFY(!isPointerBusy(form));
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QStringLiteral("..."));
}

void TestRun::folderRow_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::newRow("unticked: skipped, with a hint")
        << false << QByteArray("a cat")
        << "Done Processing files: 1 | files changed: 0 | files unchanged: 1 | folders skipped: 1"
        << "Folders are skipped; tick File &gt; Edit Files Inside Folders to edit the files inside them.";
    QTest::newRow("ticked: its text file edited, its binary file named")
        << true << QByteArray("a dog")
        << "Done Processing files: 1 | files changed: 1 | files unchanged: 0 | files skipped: 1"
        << "b.bin (binary)";
}

// A folder row through the window: File > Edit Files Inside Folders decides.
void TestRun::folderRow()
{
    QFETCH(bool, ticked);
    QFETCH(QByteArray, text);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    Form1 form;
    showActive(form);
    QTemporaryDir dir;
    const QString textFile = dir.filePath("a.txt");
    const QString binaryFile = dir.filePath("b.bin");
    for (const auto &[path, content] :
         {std::pair{textFile, QByteArray("a cat")}, {binaryFile, QByteArray("cat\0", 4)}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    FileListModel *model = child<FileListView>(&form, "LVFile")->fileModel();
    model->setTag(model->appendRow(), QFile::encodeName(dir.path()));
    QAction *mnuFolders = child<QAction>(&form, "mnuFolders");
    mnuFolders->setChecked(ticked);
    // The setting outlives the window: the next windows start unticked again.
    const auto untick = qScopeGuard([mnuFolders] { mnuFolders->setChecked(false); });
    type(child<QPlainTextEdit>(&form, "Combo2"), QStringLiteral("cat"));
    type(child<QPlainTextEdit>(&form, "Combo3"), QStringLiteral("dog"));
    tick(child<QListWidget>(&form, "List1"), 4);
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);

    QFile file(textFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), text);
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), caption);
    QVERIFY2(child<QLabel>(&form, "Label1")->toolTip().contains(toolTip),
             qPrintable(child<QLabel>(&form, "Label1")->toolTip()));
}

void TestRun::stopDuringRun_data()
{
    QTest::addColumn<bool>("byAccessKey");
    QTest::newRow("Stop clicked") << false;
    QTest::newRow("Alt+S") << true;
}

// Stop pressed while the 49th of 50 files is in hand: that file is finished,
// no other is touched, and the window is idle again.
void TestRun::stopDuringRun()
{
    QFETCH(bool, byAccessKey);
    Form1 form;
    showActive(form);
    const ListedFiles files(form, QByteArrayList(50, "x"));
    type(child<QPlainTextEdit>(&form, "Combo2"), QStringLiteral("x"));
    type(child<QPlainTextEdit>(&form, "Combo3"), QStringLiteral("y"));
    tick(child<QListWidget>(&form, "List1"), 4);
    auto *stop = child<QPushButton>(&form, "Command1_1");
    const DuringRun pressStop(form, QStringLiteral("Processing file: 49/50"), [&] {
        if (byAccessKey)
            QTest::keyClick(&form, Qt::Key_S, Qt::AltModifier);
        else
            QTest::mouseClick(stop, Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);

    QByteArrayList expected(48, "x");
    expected << "y"
             << "y";
    QCOMPARE(files.contents(), expected);
    QVERIFY(child<QLabel>(&form, "Label1")->text().startsWith(QStringLiteral("Processing file: 49/50\r\n")));
    QVERIFY(child<QPushButton>(&form, "Command1_0")->isEnabled());
    QVERIFY(!isPointerBusy(form));
    QVERIFY(child<QLabel>(&form, "Label1")->updatesEnabled());
}

void TestRun::summaryAddsUp_data()
{
    QTest::addColumn<bool>("clearDuringRun");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole run") << false << summary(4, 2, 1);
    QTest::newRow("Clear during the run") << true << summary(3, 1, 1);
}

// Rows 4 to 1: changed, unchanged, failed (read-only), changed. Each visited
// file is counted once, also when a Clear ends the run after row 2.
void TestRun::summaryAddsUp()
{
    QFETCH(bool, clearDuringRun);
    QFETCH(QString, expected);
    Form1 form;
    showActive(form);
    const ListedFiles files(form, {"a cat", "cat", "no", "cat"});
    QVERIFY(QFile::setPermissions(files.paths()[1], QFile::ReadOwner | QFile::ReadOther));
    type(child<QPlainTextEdit>(&form, "Combo2"), QStringLiteral("cat"));
    type(child<QPlainTextEdit>(&form, "Combo3"), QStringLiteral("dog"));
    tick(child<QListWidget>(&form, "List1"), 4);
    const BoxAnswerer answerer({QMessageBox::Yes});
    const DuringRun pressClear(form, QStringLiteral("Processing file: 2/4"), [&] {
        if (clearDuringRun)
            QTest::mouseClick(child<QPushButton>(&form, "Command1_2"), Qt::LeftButton);
    });
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);

    QCOMPARE(child<QLabel>(&form, "Label1")->text(), expected);
    QCOMPARE(files.contents(), (QByteArrayList{clearDuringRun ? "a cat" : "a dog", "cat", "no", "dog"}));
}

void TestRun::clear_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("Yes empties the list") << QMessageBox::Yes << 0;
    QTest::newRow("No keeps every row") << QMessageBox::No << 2;
}

void TestRun::clear()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(int, rowsLeft);
    Form1 form;
    showActive(form);
    const ListedFiles files(form, {"a", "b"});
    const BoxAnswerer answerer({answer});
    QTest::mouseClick(child<QPushButton>(&form, "Command1_2"), Qt::LeftButton);
    QCOMPARE(answerer.seen().size(), 1);
    const SeenBox &box = answerer.seen().first();
    QCOMPARE(box.title, QStringLiteral("Textorum"));
    QCOMPARE(box.text, QStringLiteral("clear the files listed?"));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(child<FileListView>(&form, "LVFile")->fileModel()->rowCount(), rowsLeft);
    QCOMPARE(files.contents(), (QByteArrayList{"a", "b"}));
}

void TestRun::undo_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("Yes puts back what is still as the run left it") << QMessageBox::Yes;
    QTest::newRow("No changes nothing") << QMessageBox::No;
}

// Ctrl+Z in the Find box undoes the typing there; elsewhere it asks whether
// to put the files back, with No the default, and Yes does it the way a run
// goes: progress, Stop enabled, the busy pointer, a summary and a tooltip.
void TestRun::undo()
{
    QFETCH(QMessageBox::StandardButton, answer);
    Form1 form;
    showActive(form);
    const ListedFiles files(form, {"a cat", "no", "cat"});
    auto *find = child<QPlainTextEdit>(&form, "Combo2");
    type(find, QStringLiteral("cat"));
    type(child<QPlainTextEdit>(&form, "Combo3"), QStringLiteral("dog"));
    tick(child<QListWidget>(&form, "List1"), 4);
    auto *mnuUndo = child<QAction>(&form, "mnuUndo");
    QVERIFY(!mnuUndo->isEnabled());
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);
    QVERIFY(mnuUndo->isEnabled());
    QVERIFY(QFile::remove(files.paths()[2]));

    const BoxAnswerer answerer({answer});
    find->setFocus();
    QTest::keyClick(find, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(find->toPlainText().isEmpty());
    QVERIFY(answerer.seen().isEmpty());

    QStringList progress;
    QTimer watch;
    connect(&watch, &QTimer::timeout, &form, [&] {
        const QString status = child<QLabel>(&form, "Label1")->text();
        if (!status.startsWith(QStringLiteral("Putting back")))
            return;
        progress << status;
        QVERIFY(!child<QPushButton>(&form, "Command1_0")->isEnabled());
        QVERIFY(child<QPushButton>(&form, "Command1_1")->isEnabled());
        QVERIFY(!mnuUndo->isEnabled());
        QVERIFY(isPointerBusy(form));
    });
    watch.start(0);
    child<QWidget>(&form, "LVFile")->setFocus();
    QTest::keyClick(&form, Qt::Key_Z, Qt::ControlModifier);
    watch.stop();

    QCOMPARE(answerer.seen().size(), 1);
    const SeenBox &box = answerer.seen().first();
    QCOMPARE(box.title, QStringLiteral("Textorum"));
    QCOMPARE(box.text, QStringLiteral("Put back the 2 files that the last edit run changed, as they were before it?"));
    QCOMPARE(box.icon, QMessageBox::Question);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton, QMessageBox::No);
    QVERIFY(!box.busyPointer);
    QVERIFY(child<QPushButton>(&form, "Command1_0")->isEnabled());
    QVERIFY(!child<QPushButton>(&form, "Command1_1")->isEnabled());
    QVERIFY(!isPointerBusy(form));
    auto *status = child<QLabel>(&form, "Label1");
    if (answer == QMessageBox::No) {
        QVERIFY(mnuUndo->isEnabled());
        QCOMPARE(QFile(files.paths()[0]).size(), qint64(5));
        return;
    }
    progress.removeDuplicates();
    QCOMPARE(progress, QStringList{"Putting back file: 2/2\r\n" + files.paths()[0]});
    QCOMPARE(status->text(), QStringLiteral("Undo done: files put back: 1 | files left as they are: 1"));
    QVERIFY(status->toolTip().contains(QStringLiteral("1 file was left as it is:")));
    QVERIFY(status->toolTip().contains(files.paths()[2] + QStringLiteral(" no longer there")));
    QVERIFY(!mnuUndo->isEnabled());
    QVERIFY(status->updatesEnabled());
    QFile first(files.paths()[0]);
    QVERIFY(first.open(QIODevice::ReadOnly));
    QCOMPARE(first.readAll(), QByteArray("a cat"));
}

// Ctrl+X during a run ends the program before the next file: the event loop
// returns although the key came in the middle of the run.
void TestRun::exitDuringRun()
{
    Form1 form;
    showActive(form);
    const ListedFiles files(form, QByteArrayList(20, "x"));
    type(child<QPlainTextEdit>(&form, "Combo2"), QStringLiteral("x"));
    tick(child<QListWidget>(&form, "List1"), 2);
    child<QWidget>(&form, "LVFile")->setFocus();
    const BoxAnswerer answerer({QMessageBox::No});
    const DuringRun pressExit(form, QStringLiteral("Processing file: 19/20"),
                              [&] { QTest::keyClick(&form, Qt::Key_X, Qt::ControlModifier); });
    QTimer::singleShot(0, &form, [&] { QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton); });
    QCOMPARE(QApplication::exec(), 0);

    QByteArrayList expected(18, "x");
    expected << ""
             << "";
    QCOMPARE(files.contents(), expected);
    QVERIFY(answerer.seen().isEmpty());
    QVERIFY(!isPointerBusy(form));
}

// Closing the window during a run: the donation prompt, then the run ends
// after the file in hand instead of going on behind a window that has gone.
void TestRun::closeDuringRun()
{
    Form1 form;
    showActive(form);
    const ListedFiles files(form, QByteArrayList(20, "x"));
    type(child<QPlainTextEdit>(&form, "Combo2"), QStringLiteral("x"));
    tick(child<QListWidget>(&form, "List1"), 2);
    const BoxAnswerer answerer({QMessageBox::No});
    const DuringRun close(form, QStringLiteral("Processing file: 19/20"), [&] { form.close(); });
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);

    QByteArrayList expected(18, "x");
    expected << ""
             << "";
    QCOMPARE(files.contents(), expected);
    QCOMPARE(answerer.seen().size(), 1);
    QVERIFY(answerer.seen().first().text.startsWith(QStringLiteral("This is a freeware program")));
    QVERIFY(!form.isVisible());
    QVERIFY(!isPointerBusy(form));
}

QTEST_MAIN(TestRun)
#include "tst_run.moc"
