#include "uitestsupport.h"

#include "appsetup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

void setUpTestApplication()
{
    // The window keeps a setting; the tests keep it in a folder of their own,
    // read and written afresh by every test program.
    static QTemporaryDir configFolder;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configFolder.path()));
    setUpApplication(*qobject_cast<QApplication *>(QCoreApplication::instance()));
}

void showActive(QWidget &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

BoxAnswerer::BoxAnswerer(QList<QMessageBox::StandardButton> answers) : m_answers(std::move(answers))
{
    // Polled rather than a single shot: a box may come up only after the
    // code under test has handled other events.
    connect(&m_poll, &QTimer::timeout, this, &BoxAnswerer::answerModal);
    m_poll.start(10);
}

void BoxAnswerer::answerModal()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    seen.busyPointer = QApplication::overrideCursor() || box->cursor().shape() == Qt::WaitCursor;
    if (QPushButton *defaultButton = box->defaultButton())
        seen.defaultButton = box->standardButton(defaultButton);
    const qsizetype next = qMin(m_seen.size(), m_answers.size() - 1);
    m_seen.append(seen);
    if (QAbstractButton *button = box->button(m_answers.at(next)))
        button->click();
    else
        box->done(QMessageBox::NoButton);   // the test expected another box; it fails on what it saw
}

UrlCatcher::UrlCatcher()
{
    for (const char *scheme : {"http", "mailto", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "openUrl");
}

UrlCatcher::~UrlCatcher()
{
    for (const char *scheme : {"http", "mailto", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void UrlCatcher::openUrl(const QUrl &url)
{
    m_urls.append(url);
}
