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
