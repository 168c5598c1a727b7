// What assistive tools read of the window through QAccessibleInterface, as
// the AT-SPI bridge reads it: the check items' states and Toggle, the status
// line and what it announces, the descriptions, the buttons' order; and a
// long path's caption, cut so that the file's name stays in sight.
#include "form1.h"
#include "statusline.h"
#include "uitestsupport.h"

#include <QAccessible>
#include <QDir>
#include <QHelpEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

// Qt delivers accessibility events only while a platform's accessibility is
// active, which in a test nothing switches on; Qt's own tests do it so.
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void checkItems_data();
    void checkItems();
    void statusLineDuringRun();
    void descriptions_data();
    void descriptions();
    void buttonsInScreenOrder();
    void longCaption_data();
    void longCaption();
};

namespace {

struct SeenEvent
{
    QObject *object;
    QAccessible::Event type;
    int child;
    QString name;   // the source's name when it was sent
};

QList<SeenEvent> g_events;

void recordEvent(QAccessibleEvent *event)
{
    QAccessibleInterface *source = event->accessibleInterface();
    g_events.append(
        {event->object(), event->type(), event->child(), source ? source->text(QAccessible::Name) : QString()});
}

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

}   // namespace

void TestAccessibility::initTestCase()
{
    setUpTestApplication();
    QAccessible::installUpdateHandler(recordEvent);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
}

void TestAccessibility::init()
{
    g_events.clear();
}

void TestAccessibility::checkItems_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QList<int>>("toggles");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QList<int>>("announced");
    QTest::newRow("Replace") << "List1" << QList<int>{4} << QList<int>{4} << QList<int>{4};
    QTest::newRow("Append then Reverse leaves Reverse")
        << "List1" << QList<int>{0, 3} << QList<int>{3} << QList<int>{0, 3};
    QTest::newRow("Toggle again unticks") << "List1" << QList<int>{4, 4} << QList<int>{} << QList<int>{4};
    QTest::newRow("options are independent") << "List2" << QList<int>{2, 3} << QList<int>{2, 3} << QList<int>{2, 3};
    QTest::newRow("an option unticks alone") << "List2" << QList<int>{0, 2, 0} << QList<int>{2} << QList<int>{0, 2};
}

// Toggle ticks as a click does, the single choice of the modes included;
// every item is checkable whether ticked or not, and each change is announced.
void TestAccessibility::checkItems()
{
    QFETCH(QString, list);
    QFETCH(QList<int>, toggles);
    QFETCH(QList<int>, ticked);
    QFETCH(QList<int>, announced);
    Form1 form;
    showActive(form);
    auto *view = child<QListWidget>(&form, list.toLatin1().constData());
    QAccessibleInterface *listInterface = accessible(view);
    QCOMPARE(listInterface->role(), QAccessible::List);
    QCOMPARE(listInterface->childCount(), view->count());

    for (int index : toggles) {
        QAccessibleActionInterface *actions = listInterface->child(index)->actionInterface();
        QVERIFY(actions);
        QCOMPARE(actions->actionNames(), QStringList{QAccessibleActionInterface::toggleAction()});
        actions->doAction(QAccessibleActionInterface::toggleAction());
    }

    for (int index = 0; index < view->count(); ++index) {
        QAccessibleInterface *item = listInterface->child(index);
        QCOMPARE(item->role(), QAccessible::CheckBox);
        QCOMPARE(item->text(QAccessible::Name), view->item(index)->text());
        QCOMPARE(listInterface->indexOfChild(item), index);
        QCOMPARE(item->parent(), listInterface);
        QVERIFY(item->state().checkable);
        QCOMPARE(bool(item->state().checked), ticked.contains(index));
        QCOMPARE(view->item(index)->checkState() == Qt::Checked, ticked.contains(index));
        QVERIFY(
            view->viewport()->rect().translated(view->viewport()->mapToGlobal(QPoint(0, 0))).contains(item->rect()));
    }
    QList<int> changed;
    for (const SeenEvent &event : std::as_const(g_events))
        if (event.object == view && event.type == QAccessible::StateChanged && !changed.contains(event.child))
            changed.append(event.child);
    std::sort(changed.begin(), changed.end());
    QCOMPARE(changed, announced);
}

// The status line is a status bar named by its caption. A run of many files
// announces its progress a few times a second, not once a file, and always
// its summary, last. (No mode is ticked, so no file changes.)
void TestAccessibility::statusLineDuringRun()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QList<QByteArray> paths;
    for (int i = 0; i < 300; ++i) {
        QFile file(folder.filePath(QStringLiteral("%1.txt").arg(i)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("x");
        paths << QFile::encodeName(file.fileName());
    }
    Form1 form;
    showActive(form);
    form.addPaths(paths);
    auto *status = child<QLabel>(&form, "Label1");
    QAccessibleInterface *line = accessible(status);
    QCOMPARE(line->role(), QAccessible::StatusBar);
    g_events.clear();

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(child<QPushButton>(&form, "Command1_0"), Qt::LeftButton);
    const qint64 elapsed = clock.elapsed();

    QStringList names;
    for (const SeenEvent &event : std::as_const(g_events))
        if (event.object == status && event.type == QAccessible::NameChanged)
            names << event.name;
    const QString summary = QStringLiteral("Done Processing files: 300 | files changed: 0 | files unchanged: 300");
    QCOMPARE(status->text(), summary);
    QCOMPARE(line->text(QAccessible::Name), summary);
    QVERIFY2(names.size() >= 2 && names.size() <= 3 + elapsed / 500, qPrintable(names.join(u',')));
    QVERIFY(names.first().startsWith(QStringLiteral("Processing file: 300/300\n")));
    QCOMPARE(names.last(), summary);
}

void TestAccessibility::descriptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("file list") << "LVFile"
                               << "Drag and Drop file(s) here to be edited";
    QTest::newRow("mode list") << "List1"
                               << "Select the mode of editing";
    QTest::newRow("options list") << "List2"
                                  << "Select how the file will end up";
}

// The lists are described by their tooltips; the status line by its list of
// failed files as plain text, while its tooltip shows the same as rich text
// in which a name that looks like markup is a name.
void TestAccessibility::descriptions()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    Form1 form;
    QWidget *control = child<QWidget>(&form, name.toLatin1().constData());
    QCOMPARE(accessible(control)->text(QAccessible::Description), description);
    QCOMPARE(control->toolTip(), description);

    auto *status = child<StatusLine>(&form, "Label1");
    const QString failures = QStringLiteral("1 file could not be edited:\n/d/<b>x</b>.txt could not be read");
    status->setFileList(failures);
    QCOMPARE(accessible(status)->text(QAccessible::Description), failures);
    QVERIFY(status->toolTip().contains(QStringLiteral("/d/&lt;b&gt;x&lt;/b&gt;.txt could not be read")));
}

// Clear, Execute, Stop as on screen; the Tab order is tested with the window.
void TestAccessibility::buttonsInScreenOrder()
{
    Form1 form;
    QAccessibleInterface *client = accessible(form.centralWidget());
    QStringList buttons;
    for (int i = 0; i < client->childCount(); ++i)
        if (client->child(i)->role() == QAccessible::Button)
            buttons << client->child(i)->text(QAccessible::Name);
    QCOMPARE(buttons, (QStringList{"Clear", "Execute", "Stop"}));
}

void TestAccessibility::longCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("keeps");   // empty: shown as it is
    const QString progress = QStringLiteral("Processing file: 12/40\r\n");
    const QString deep = QStringLiteral("/home/someone/Documents/projects/").repeated(6);
    QTest::newRow("a short path as it is") << progress + "/tmp/a.txt" << QString();
    QTest::newRow("a summary that wraps, as it is")
        << "Done Processing files: 20000 | files changed: 10000 | files unchanged: 10000 | files failed: 7"
        << QString();
    QTest::newRow("a deep folder") << progress + deep + "minutes-2026-12-09.txt"
                                   << "/minutes-2026-12-09.txt";
    QTest::newRow("folders with spaces") << progress + "/srv/shared files/"
                                                + QStringLiteral("Quarterly Reports and Minutes/").repeated(5)
                                                + "q4 draft.txt"
                                         << "/q4 draft.txt";
    QTest::newRow("a name wider than the line")
        << progress + "/tmp/" + QStringLiteral("very-long-name-").repeated(20) + "end.txt"
        << "end.txt";
}

// What the status line paints, measured with its own font: every line fits
// its width, the lines fit its height, and the file's name is in sight.
// Hovering it during the run shows the whole caption.
void TestAccessibility::longCaption()
{
    QFETCH(QString, caption);
    QFETCH(QString, keeps);
    Form1 form;
    showActive(form);
    auto *status = child<StatusLine>(&form, "Label1");
    status->setRunning(true);
    status->setCaption(caption);

    const QString shown = status->shownText();
    const QFontMetrics metrics = status->fontMetrics();
    const QRect box = status->contentsRect();
    QVERIFY2(metrics.boundingRect(box, int(status->alignment()) | Qt::TextWordWrap, shown).height() <= box.height(),
             qPrintable(shown));
    if (keeps.isEmpty()) {
        QCOMPARE(shown, caption);
    } else {
        const QStringList lines = shown.split(u'\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.first(), QStringLiteral("Processing file: 12/40"));
        QVERIFY2(metrics.horizontalAdvance(lines.last()) <= box.width(), qPrintable(lines.last()));
        QVERIFY2(lines.last().endsWith(keeps), qPrintable(lines.last()));
        QVERIFY(lines.last().contains(QChar(0x2026)));
    }

    QHelpEvent hover(QEvent::ToolTip, box.center(), status->mapToGlobal(box.center()));
    QApplication::sendEvent(status, &hover);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY(QToolTip::text().contains(caption.section(u'\n', -1).toHtmlEscaped()));
    QToolTip::hideText();
    status->setRunning(false);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
