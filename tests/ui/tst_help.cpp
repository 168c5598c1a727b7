// The Help menu's outside targets, the donation prompt, the two ways the
// program ends, and the About window's life cycle.
#include "form1.h"
#include "uitestsupport.h"

#include "frmabout.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpTestApplication(); }
    void targets_data();
    void targets();
    void donationPrompt();
    void closeAsksForDonation_data();
    void closeAsksForDonation();
    void exitEndsWithoutPrompt();
    void aboutLifeCycle();
    void aboutLayout();
};

namespace {

const QString kDonationPrompt = QStringLiteral(
    "This is a freeware program, eventhough its free, we would appreciate financial donations to help support "
    "our time and efforts to continue to improve the program and to develop more time saving and innovative "
    "solutions\r\nWould you like to make a donation?");

QList<frmAbout *> aboutWindows()
{
    QList<frmAbout *> found;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *about = qobject_cast<frmAbout *>(widget))
            found << about;
    return found;
}

}   // namespace

void TestHelp::targets_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QList<QUrl>>("opened");
    QTest::newRow("Program Webpage") << "mnuProgWP" << QMessageBox::No
                                     << QList<QUrl>{QUrl("http://www.orvanta.example/textorum/")};
    QTest::newRow("Tutorials n Contents")
        << "mnuT" << QMessageBox::No
        << QList<QUrl>{QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/readme.txt")};
    QTest::newRow("Send Comments") << "mnuComment" << QMessageBox::No
                                   << QList<QUrl>{QUrl("mailto:comments@orvanta.example?subject=comments")};
    QTest::newRow("Make Donation, Yes") << "mnuDonate" << QMessageBox::Yes
                                        << QList<QUrl>{QUrl("http://www.orvanta.example/textorum/donate")};
    QTest::newRow("Make Donation, No") << "mnuDonate" << QMessageBox::No << QList<QUrl>{};
}

void TestHelp::targets()
{
    QFETCH(QString, entry);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QList<QUrl>, opened);
    Form1 form;
    showActive(form);
    const UrlCatcher urls;
    const BoxAnswerer answerer({answer});
    child<QAction>(&form, entry.toLatin1().constData())->trigger();
    QCOMPARE(urls.urls(), opened);
    // Nothing remembers an answer: the next choice does the same again.
    child<QAction>(&form, entry.toLatin1().constData())->trigger();
    QCOMPARE(urls.urls(), opened + opened);
}

void TestHelp::donationPrompt()
{
    Form1 form;
    showActive(form);
    const BoxAnswerer answerer({QMessageBox::No});
    child<QAction>(&form, "mnuDonate")->trigger();
    QCOMPARE(answerer.seen().size(), 1);
    const SeenBox &box = answerer.seen().first();
    QCOMPARE(box.title, QStringLiteral("Textorum"));
    QCOMPARE(box.text, kDonationPrompt);
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton, QMessageBox::Yes);
}

void TestHelp::closeAsksForDonation_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("pagesOpened");
    QTest::newRow("Yes opens the donation page, then closes") << QMessageBox::Yes << 1;
    QTest::newRow("No closes all the same") << QMessageBox::No << 0;
}

// Whatever the answer, the window closes, and the About window, shown or
// hidden, goes with it.
void TestHelp::closeAsksForDonation()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(int, pagesOpened);
    Form1 form;
    showActive(form);
    child<QAction>(&form, "mnuAbout")->trigger();
    QPointer<frmAbout> about = aboutWindows().value(0);
    QVERIFY(about);
    const UrlCatcher urls;
    const BoxAnswerer answerer({answer});
    QVERIFY(form.close());
    QCOMPARE(answerer.seen().size(), 1);
    QCOMPARE(answerer.seen().first().text, kDonationPrompt);
    QCOMPARE(urls.urls().size(), pagesOpened);
    QVERIFY(!form.isVisible());
    QVERIFY(!about);
}

// File > Exit (here Ctrl+X) ends the event loop at once: no prompt, and the
// About window is gone.
void TestHelp::exitEndsWithoutPrompt()
{
    Form1 form;
    showActive(form);
    child<QAction>(&form, "mnuAbout")->trigger();
    QPointer<frmAbout> about = aboutWindows().value(0);
    const BoxAnswerer answerer({QMessageBox::No});
    QTimer::singleShot(0, &form, [&] {
        QApplication::setActiveWindow(&form);
        QTest::keyClick(&form, Qt::Key_X, Qt::ControlModifier);
    });
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(answerer.seen().isEmpty());
    QVERIFY(!about);
}

void TestHelp::aboutLifeCycle()
{
    Form1 form;
    showActive(form);
    QAction *mnuAbout = child<QAction>(&form, "mnuAbout");
    mnuAbout->trigger();
    mnuAbout->trigger();
    QCOMPARE(aboutWindows().size(), 1);
    QPointer<frmAbout> about = aboutWindows().first();
    QVERIFY(about->isVisible());
    QVERIFY(!about->parentWidget());
    QVERIFY(form.isEnabled());

    // OK hides it; the next Help > About shows the same window where it was.
    about->move(123, 77);
    const QPoint place = about->pos();
    QTest::mouseClick(child<QPushButton>(about.data(), "cmdOK"), Qt::LeftButton);
    QVERIFY(!about->isVisible());
    mnuAbout->trigger();
    QCOMPARE(aboutWindows(), QList<frmAbout *>{about.data()});
    QVERIFY(about->isVisible());
    QCOMPARE(about->pos(), place);

    // Its close box destroys it; the next Help > About makes a fresh one.
    about->close();
    QTRY_VERIFY(!about);
    QVERIFY(aboutWindows().isEmpty());
    mnuAbout->trigger();
    QCOMPARE(aboutWindows().size(), 1);
    QVERIFY(aboutWindows().first()->isVisible());
}

void TestHelp::aboutLayout()
{
    frmAbout about;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.windowTitle(), QStringLiteral("About "));
    QCOMPARE(about.size(), QSize(271, 83));
    QVERIFY(about.windowFlags().testFlag(Qt::Tool));
    auto *credit = child<QLabel>(&about, "Label1");
    auto *ok = child<QPushButton>(&about, "cmdOK");
    QCOMPARE(credit->geometry(), QRect(16, 8, 177, 57));
    QCOMPARE(ok->geometry(), QRect(200, 56, 65, 25));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(credit->text().contains(QStringLiteral("the Orvanta team")));
    QVERIFY(credit->text().contains(QStringLiteral("orvanta.example")));
    QVERIFY(credit->font().bold());
    // The credit wraps within the label and is not cut off at its foot, nor is
    // any word wider than the label.
    QVERIFY(credit->heightForWidth(credit->width()) <= credit->height());
    for (const QString &word : credit->text().split(QLatin1Char(' ')))
        QVERIFY2(credit->fontMetrics().horizontalAdvance(word) <= credit->width(), qPrintable(word));
    QCOMPARE(QApplication::focusWidget(), ok);
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
