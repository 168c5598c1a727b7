#include "appsetup.h"
#include "commandline.h"
#include "form1.h"

#include <QApplication>
#include <QWindow>

namespace {

// Calls `action` once, from the event loop, when the window is first on
// screen: only then has the window system placed it, so that a message box
// with the window as parent is centred on it instead of on the spot the
// window had before it was placed (the screen's corner).
class OnFirstExpose : public QObject
{
public:
    OnFirstExpose(QWindow *window, std::function<void()> action) : QObject(window), m_action(std::move(action))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_action();
                    deleteLater();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

}   // namespace

int main(int argc, char *argv[])
{
    // The command line is read before the window system is reached, so that
    // --help and --version answer on a machine without a display.
    CommandLine commandLine;
    {
        QCoreApplication core(argc, argv);
        setApplicationIdentity(core);
        commandLine = readCommandLine(argc, argv);
    }
    if (commandLine.exitCode)
        return *commandLine.exitCode;

    QApplication app(argc, argv);
    setUpApplication(app);
    Form1 form;
    form.show();
    // The paths come in once the window is up and the event loop runs, as a
    // drop's would; a question for a missing path is then centred on the
    // shown window.
    if (!commandLine.paths.isEmpty())
        new OnFirstExpose(form.windowHandle(), [&] { form.addPaths(commandLine.paths); });
    return app.exec();
}
