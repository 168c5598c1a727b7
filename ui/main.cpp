#include "appsetup.h"
#include "commandline.h"
#include "form1.h"

#include <QApplication>

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
    // Queued, so that the paths come in once the window is up and the event
    // loop runs, as a drop's would; a question for a missing path then has
    // the shown window as its parent.
    if (!commandLine.paths.isEmpty())
        QMetaObject::invokeMethod(&form, [&] { form.addPaths(commandLine.paths); }, Qt::QueuedConnection);
    return app.exec();
}
