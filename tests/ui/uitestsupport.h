#pragma once

#include "boxanswerer.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QWidget;

// Applies the program's own name, style and font to the test application, so
// that the window is tested as the program shows it, with its settings in a
// temporary XDG_CONFIG_HOME (call it before anything reads a setting).
void setUpTestApplication();

// Shows the window and waits until it is the active one, so that keys and
// focus go where a user's would.
void showActive(QWidget &window);

// Takes the URLs that would go to the desktop shell for the http, mailto and
// file schemes while it lives.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    UrlCatcher();
    ~UrlCatcher() override;

    const QList<QUrl> &urls() const { return m_urls; }

public slots:
    void openUrl(const QUrl &url);

private:
    QList<QUrl> m_urls;
};

// Finds a named child of the window, failing the test when it is missing.
template<class T>
T *child(QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}
