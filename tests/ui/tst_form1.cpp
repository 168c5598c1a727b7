// The main window as a user first sees it and works it with the keyboard and
// the mouse: start-up state, layout, focus order, menus, shortcuts and the
// single choice of the mode list.
#include "form1.h"
#include "uitestsupport.h"

#include "filelistmodel.h"
#include "filelistview.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestForm1 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpTestApplication(); }
    void startUpState();
    void windowIsFixed();
    void geometry_data();
    void geometry();
    void captionsFit_data();
    void captionsFit();
    void menus_data();
    void menus();
    void tabOrder_data();
    void tabOrder();
    void shortcuts_data();
    void shortcuts();
    void textBoxKeepsDeleteAndCut();
    void enterStartsNewLine();
    void ticks_data();
    void ticks();
    void accessibleNames();
    void addFromDialog_data();
    void addFromDialog();
    void foldersEntryIsRemembered();
};

namespace {

QList<int> tickedItems(const QListWidget *list)
{
    QList<int> ticked;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            ticked << i;
    return ticked;
}

}   // namespace

void TestForm1::startUpState()
{
    Form1 form;
    showActive(form);
    QCOMPARE(form.windowTitle(), QStringLiteral("Orvanta - Textorum"));
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(&form, "Combo2"));
    QVERIFY(child<QPlainTextEdit>(&form, "Combo2")->toPlainText().isEmpty());
    QVERIFY(child<QPlainTextEdit>(&form, "Combo3")->toPlainText().isEmpty());
    QCOMPARE(child<FileListView>(&form, "LVFile")->fileModel()->rowCount(), 0);
    QVERIFY(child<QPushButton>(&form, "Command1_0")->isEnabled());
    QVERIFY(!child<QPushButton>(&form, "Command1_1")->isEnabled());
    QVERIFY(child<QPushButton>(&form, "Command1_2")->isEnabled());
    QCOMPARE(child<QLabel>(&form, "Label1")->text(), QStringLiteral("..."));
    QCOMPARE(child<QLabel>(&form, "Label3")->text(), QStringLiteral("..."));
    QVERIFY(child<QStatusBar>(&form, "StatusBar1")->currentMessage().isEmpty());
    QCOMPARE(child<QGroupBox>(&form, "Frame1")->title(), QStringLiteral("Options"));

    const QStringList modes{"Append", "Prepend", "Remove", "Reverse", "Replace"};
    const QStringList options{"Single Line File", "Enumerate Lines", "Case Sensitive", "Remove Indentation"};
    for (const auto &[name, texts] : {std::pair{"List1", modes}, std::pair{"List2", options}}) {
        const auto *list = child<QListWidget>(&form, name);
        QCOMPARE(list->count(), texts.size());
        for (int i = 0; i < list->count(); ++i)
            QCOMPARE(list->item(i)->text(), texts.at(i));
        QVERIFY(tickedItems(list).isEmpty());
    }

    const std::pair<const char *, const char *> toolTips[] = {
        {"Combo2", "Find the text in the files listed"},       {"Combo3", "custom Specify Text to be used for editing"},
        {"LVFile", "Drag and Drop file(s) here to be edited"}, {"List1", "Select the mode of editing"},
        {"List2", "Select how the file will end up"},
    };
    for (const auto &[name, toolTip] : toolTips)
        QCOMPARE(child<QWidget>(&form, name)->toolTip(), QString::fromLatin1(toolTip));
    QVERIFY(child<QLabel>(&form, "Label2_0")->font().bold());
    QVERIFY(child<QLabel>(&form, "Label2_1")->font().bold());
}

void TestForm1::windowIsFixed()
{
    Form1 form;
    showActive(form);
    QCOMPARE(form.centralWidget()->size(), QSize(347, 436));
    QCOMPARE(form.centralWidget()->y(), form.menuBar()->height());
    QCOMPARE(form.minimumSize(), form.maximumSize());
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
}

void TestForm1::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Find: label") << "Label2_0" << QRect(0, 11, 57, 17);
    QTest::newRow("Find box") << "Combo2" << QRect(56, 8, 281, 35);
    QTest::newRow("With: label") << "Label2_1" << QRect(0, 48, 41, 17);
    QTest::newRow("With box") << "Combo3" << QRect(56, 48, 281, 35);
    QTest::newRow("file list") << "LVFile" << QRect(8, 112, 329, 121);
    QTest::newRow("Clear") << "Command1_2" << QRect(8, 240, 81, 17);
    QTest::newRow("Execute") << "Command1_0" << QRect(160, 240, 81, 17);
    QTest::newRow("Stop") << "Command1_1" << QRect(256, 240, 81, 17);
    QTest::newRow("status line") << "Label1" << QRect(0, 264, 337, 33);
    QTest::newRow("mode line") << "Label3" << QRect(0, 296, 329, 17);
    QTest::newRow("Options frame") << "Frame1" << QRect(8, 312, 329, 105);
    QTest::newRow("mode list in the frame") << "List1" << QRect(8, 16, 137, 77);
    QTest::newRow("options list in the frame") << "List2" << QRect(176, 16, 145, 77);
    QTest::newRow("status bar") << "StatusBar1" << QRect(0, 419, 347, 17);
}

void TestForm1::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    Form1 form;
    showActive(form);
    const QWidget *control = child<QWidget>(&form, name.toLatin1().constData());
    QCOMPARE(control->geometry(), geometry);
    const QWidget *container =
        name.startsWith(QLatin1String("List")) ? child<QWidget>(&form, "Frame1") : form.centralWidget();
    QCOMPARE(control->parentWidget(), container);
}

// No caption may be cut off at the fixed sizes, in the font the program uses.
void TestForm1::captionsFit_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"Label2_0", "Label2_1", "Command1_0", "Command1_1", "Command1_2", "List1", "List2"})
        QTest::newRow(name) << name;
}

void TestForm1::captionsFit()
{
    QFETCH(QString, name);
    Form1 form;
    showActive(form);
    QWidget *control = child<QWidget>(&form, name.toLatin1().constData());
    if (auto *label = qobject_cast<QLabel *>(control)) {
        const QSize needed = label->fontMetrics().size(0, label->text());
        QVERIFY2(needed.width() <= label->width() && needed.height() <= label->height(), qPrintable(label->text()));
    } else if (auto *button = qobject_cast<QPushButton *>(control)) {
        const QSize needed = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        QVERIFY2(needed.width() + 8 <= button->width() && needed.height() <= button->height(),
                 qPrintable(button->text()));
    } else {
        auto *list = qobject_cast<QListWidget *>(control);
        const QRect viewport = list->viewport()->rect();
        for (int i = 0; i < list->count(); ++i) {
            const QRect item = list->visualItemRect(list->item(i));
            QVERIFY2(viewport.contains(item), qPrintable(list->item(i)->text()));
            const int textRight = item.left() + 20 + list->fontMetrics().horizontalAdvance(list->item(i)->text());
            QVERIFY2(textRight <= viewport.right(), qPrintable(list->item(i)->text()));
        }
    }
}

void TestForm1::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QStringList>("shortcuts");
    QTest::newRow("File") << "mnuFile"
                          << "File" << QStringList{"mnuAddFiles", "mnuAddFolder", "mnuS1",   "mnuExecute",
                                                   "mnuPreview",  "mnuClear",     "mnuUndo", "mnuReview",
                                                   "mnuFolders",  "mnuS0",        "mnuExit"}
                          << QStringList{"Add Files...",
                                         "Add Folder...",
                                         "",
                                         "Execute Edit Process",
                                         "Preview Edit Process",
                                         "Clear Listed Files",
                                         "Undo Last Edit Run",
                                         "Review Last Edit Run",
                                         "Edit Files Inside Folders",
                                         "",
                                         "E&xit"}
                          << QStringList{"Ctrl+O", "",       "", "Ctrl+E", "Ctrl+P", "Del",
                                         "Ctrl+Z", "Ctrl+R", "", "",       "Ctrl+X"};
    QTest::newRow("Help") << "mnuHelp"
                          << "Help" << QStringList{"mnuProgWP", "mnuT",    "mnuSep",  "mnuComment",
                                                   "mnuDonate", "mnuSep0", "mnuAbout"}
                          << QStringList{"Program Webpage",
                                         "Tutorials n Contents",
                                         "",
                                         "Send Comments to developers",
                                         "Make Donation",
                                         "",
                                         "About"}
                          << QStringList{"", "F1", "", "", "", "", ""};
}

void TestForm1::menus()
{
    QFETCH(QString, menu);
    QFETCH(QString, title);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, shortcuts);
    Form1 form;
    const auto *popup = child<QMenu>(&form, menu.toLatin1().constData());
    QCOMPARE(popup->title(), title);
    QVERIFY(form.menuBar()->actions().contains(popup->menuAction()));
    const QList<QAction *> actions = popup->actions();
    QCOMPARE(actions.size(), entries.size());
    for (int i = 0; i < actions.size(); ++i) {
        QCOMPARE(actions[i]->objectName(), entries[i]);
        QCOMPARE(actions[i]->isSeparator(), captions[i].isEmpty());
        if (!actions[i]->isSeparator())
            QCOMPARE(actions[i]->text(), captions[i]);
        QCOMPARE(actions[i]->shortcut().toString(), shortcuts[i]);
    }
}

void TestForm1::tabOrder_data()
{
    QTest::addColumn<bool>("stopEnabled");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("idle: Stop is skipped")
        << false << QStringList{"Combo3", "LVFile", "Command1_2", "Command1_0", "List1", "List2", "Combo2"};
    QTest::newRow("Stop enabled") << true << QStringList{"Combo3",     "LVFile", "Command1_2", "Command1_0",
                                                         "Command1_1", "List1",  "List2",      "Combo2"};
}

void TestForm1::tabOrder()
{
    QFETCH(bool, stopEnabled);
    QFETCH(QStringList, order);
    Form1 form;
    showActive(form);
    child<QPushButton>(&form, "Command1_1")->setEnabled(stopEnabled);
    for (const QString &next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
}

// Each key pressed while the given control has the focus, with the message box
// it brings up (answered No or OK) or the URL it opens.
void TestForm1::shortcuts_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<bool>("opensReadme");
    const QString noItem = QStringLiteral("No item listed.");
    const QString clear = QStringLiteral("clear the files listed?");
    QTest::newRow("Ctrl+E in the Find box executes")
        << "Combo2" << int(Qt::Key_E) << Qt::KeyboardModifiers(Qt::ControlModifier) << noItem << false;
    QTest::newRow("Alt+E executes") << "LVFile" << int(Qt::Key_E) << Qt::KeyboardModifiers(Qt::AltModifier) << noItem
                                    << false;
    QTest::newRow("Del in the file list clears")
        << "LVFile" << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << clear << false;
    QTest::newRow("Del in the mode list clears")
        << "List1" << int(Qt::Key_Delete) << Qt::KeyboardModifiers() << clear << false;
    QTest::newRow("Alt+C clears") << "Combo3" << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::AltModifier) << clear
                                  << false;
    QTest::newRow("F1 opens the readme") << "Combo2" << int(Qt::Key_F1) << Qt::KeyboardModifiers() << QString() << true;
}

void TestForm1::shortcuts()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, boxText);
    QFETCH(bool, opensReadme);
    Form1 form;
    showActive(form);
    QWidget *target = child<QWidget>(&form, focus.toLatin1().constData());
    target->setFocus();
    const UrlCatcher urls;
    const BoxAnswerer answerer({QMessageBox::No, QMessageBox::Ok});
    QTest::keyClick(target, Qt::Key(key), modifiers);
    QCOMPARE(answerer.seen().size(), boxText.isEmpty() ? 0 : 1);
    if (!boxText.isEmpty())
        QCOMPARE(answerer.seen().first().text, boxText);
    QCOMPARE(urls.urls().size(), opensReadme ? 1 : 0);
}

void TestForm1::textBoxKeepsDeleteAndCut()
{
    Form1 form;
    showActive(form);
    auto *find = child<QPlainTextEdit>(&form, "Combo2");
    const BoxAnswerer answerer({QMessageBox::No});
    QTest::keyClicks(find, QStringLiteral("abcd"));
    QTest::keyClick(find, Qt::Key_Home);
    QTest::keyClick(find, Qt::Key_Delete);
    QCOMPARE(find->toPlainText(), QStringLiteral("bcd"));
    QTest::keyClick(find, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(find, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(find->toPlainText(), QStringLiteral("cd"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("b"));
    QVERIFY(answerer.seen().isEmpty());
    QVERIFY(form.isVisible());
}

// Enter is a line break in the text, not a press of any button.
void TestForm1::enterStartsNewLine()
{
    Form1 form;
    showActive(form);
    auto *find = child<QPlainTextEdit>(&form, "Combo2");
    const BoxAnswerer answerer({QMessageBox::Ok});
    QTest::keyClicks(find, QStringLiteral("a"));
    QTest::keyClick(find, Qt::Key_Return);
    QTest::keyClicks(find, QStringLiteral("b"));
    QCOMPARE(find->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(answerer.seen().isEmpty());
}

void TestForm1::ticks_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<int>>("ticked");
    QTest::newRow("a mode") << "List1" << QList<int>{0} << QList<int>{0};
    QTest::newRow("Append then Reverse leaves Reverse") << "List1" << QList<int>{0, 3} << QList<int>{3};
    QTest::newRow("unticking the mode leaves none") << "List1" << QList<int>{4, 4} << QList<int>{};
    QTest::newRow("ticking it again ticks it alone") << "List1" << QList<int>{1, 4, 4, 4} << QList<int>{4};
    QTest::newRow("options are independent") << "List2" << QList<int>{2, 3} << QList<int>{2, 3};
    QTest::newRow("a third option adds to them") << "List2" << QList<int>{2, 3, 0} << QList<int>{0, 2, 3};
    QTest::newRow("an option unticks alone") << "List2" << QList<int>{2, 3, 2} << QList<int>{3};
}

void TestForm1::ticks()
{
    QFETCH(QString, list);
    QFETCH(QList<int>, clicks);
    QFETCH(QList<int>, ticked);
    Form1 form;
    showActive(form);
    auto *target = child<QListWidget>(&form, list.toLatin1().constData());
    auto *other = child<QListWidget>(&form, list == QLatin1String("List1") ? "List2" : "List1");
    for (int index : clicks) {
        // On the item's text, not its tick box: the whole item is the tick.
        const QRect item = target->visualItemRect(target->item(index));
        QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, QPoint(item.right() - 4, item.center().y()));
    }
    QCOMPARE(tickedItems(target), ticked);
    QVERIFY(tickedItems(other).isEmpty());

    // Space on the current item ticks it like a click.
    target->setFocus();
    target->setCurrentRow(1);
    const bool wasTicked = target->item(1)->checkState() == Qt::Checked;
    QTest::keyClick(target, Qt::Key_Space);
    QCOMPARE(target->item(1)->checkState() == Qt::Checked, !wasTicked);
}

// Every control that takes the focus, and nothing else, is named for a screen
// reader: the boxes by their labels, the lists by what they hold, the
// buttons by their captions without the access-key marker.
void TestForm1::accessibleNames()
{
    Form1 form;
    showActive(form);
    QMap<QString, QString> names;
    for (QWidget *control : form.findChildren<QWidget *>())
        if (control->focusPolicy() & Qt::TabFocus)
            names.insert(control->objectName(),
                         QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name));
    const QMap<QString, QString> expected{
        {"Combo2", "Find"},     {"Combo3", "With"},      {"LVFile", "Files to edit"}, {"Command1_0", "Execute"},
        {"Command1_1", "Stop"}, {"Command1_2", "Clear"}, {"List1", "Edit mode"},      {"List2", "Options"},
    };
    QCOMPARE(names, expected);
}

void TestForm1::addFromDialog_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("typed");   // empty: the dialog is cancelled
    QTest::addColumn<QStringList>("chosen");
    QTest::newRow("two files, in the order typed") << "mnuAddFiles"
                                                   << "\"b.txt\" \"a.txt\"" << QStringList{"b.txt", "a.txt"};
    QTest::newRow("a folder") << "mnuAddFolder"
                              << "folder" << QStringList{"folder"};
    QTest::newRow("cancelled") << "mnuAddFiles" << QString() << QStringList{};
}

// What the dialog chooses is listed exactly as a drop of the same paths on
// a list of its own: every column and the tag of every row.
void TestForm1::addFromDialog()
{
    QFETCH(QString, entry);
    QFETCH(QString, typed);
    QFETCH(QStringList, chosen);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder")));
    for (const char *name : {"a.txt", "b.txt", "folder/c.txt"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name);
    }
    Form1 form;
    showActive(form);
    QTimer answer;
    connect(&answer, &QTimer::timeout, &form, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        answer.stop();
        if (typed.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->setDirectory(folder.path());
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    answer.start(10);
    child<QAction>(&form, entry.toLatin1().constData())->trigger();
    QVERIFY(!answer.isActive());

    FileListView dropped;
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &name : chosen)
        urls << QUrl::fromLocalFile(folder.filePath(name));
    data.setUrls(urls);
    if (!urls.isEmpty())
        dropped.LVFile_OLEDragDrop(&data);
    const FileListModel &expected = *dropped.fileModel();
    const FileListModel &listed = *child<FileListView>(&form, "LVFile")->fileModel();
    QCOMPARE(listed.rowCount(), int(chosen.size()));
    for (int row = 0; row < listed.rowCount(); ++row) {
        QCOMPARE(listed.entry(row).tag, expected.entry(row).tag);
        for (int column = 0; column < listed.columnCount(); ++column)
            QCOMPARE(listed.entry(row).texts[column], expected.entry(row).texts[column]);
    }
}

// Unticked at the first start; the state is on disk as soon as it changes
// (File > Exit does not close the window), and a new window starts with it.
void TestForm1::foldersEntryIsRemembered()
{
    const QString settingsFile = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Orvanta/Textorum.conf";
    QFile::remove(settingsFile);
    for (const bool tick : {true, false}) {
        {
            Form1 form;
            QAction *entry = child<QAction>(&form, "mnuFolders");
            QVERIFY(entry->isCheckable());
            QCOMPARE(entry->isChecked(), !tick);
            entry->trigger();
            QCOMPARE(entry->isChecked(), tick);
            QFile file(settingsFile);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains(tick ? "editFilesInsideFolders=true" : "editFilesInsideFolders=false"));
        }
        Form1 restarted;
        QCOMPARE(child<QAction>(&restarted, "mnuFolders")->isChecked(), tick);
    }
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
