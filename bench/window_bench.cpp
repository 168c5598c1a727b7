// textorum-window-bench: the time of an edit run through the real window
// (offscreen) against the same EditRun with a host that has no display, over
// the same small files. The window's part is the per-file yield, the progress
// captions and the mode line. Then the time of File > Preview Edit Process
// over the same files, through the window, against the window's run.
//
// Usage: textorum-window-bench [FILES [REPETITIONS [FOLDER]]]
// (20000 files, 5 repetitions, a temporary folder in the system's by default)

#include "appsetup.h"
#include "displaylesshost.h"
#include "editoptions.h"
#include "editrun.h"
#include "filelistmodel.h"
#include "filelistview.h"
#include "form1.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <type_traits>

namespace {

const QByteArray kContent = "The cat sat on the mat.\r\nA second line.\r\n";
const QString kFind = QStringLiteral("cat");
const QString kWith = QStringLiteral("dog");

void writeFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(kContent) != kContent.size())
            qFatal("cannot write %s", qPrintable(path));
    }
}

double engineRun(const QStringList &paths, QString &status)
{
    // Replace ticked, nothing else; the window is not involved at all.
    DisplaylessHost host;
    for (const QString &path : paths)
        host.rows.append(QFile::encodeName(path));
    host.find = kFind;
    host.with = kWith;
    host.modes[size_t(EditMode::Replace)] = true;
    EditRun run(host, host, host);
    QElapsedTimer timer;
    timer.start();
    run.execute();
    const double seconds = timer.nsecsElapsed() / 1e9;
    status = host.statusCaption;
    return seconds;
}

// Lists the files and types a Replace of kFind by kWith.
void prepare(Form1 &form, const QStringList &paths)
{
    FileListModel *model = form.findChild<FileListView *>(QStringLiteral("LVFile"))->fileModel();
    for (const QString &path : paths)
        model->setTag(model->appendRow(), QFile::encodeName(path));
    form.findChild<QPlainTextEdit *>(QStringLiteral("Combo2"))->setPlainText(kFind);
    form.findChild<QPlainTextEdit *>(QStringLiteral("Combo3"))->setPlainText(kWith);
    form.findChild<QListWidget *>(QStringLiteral("List1"))->item(int(EditMode::Replace))->setCheckState(Qt::Checked);
    form.show();
    QCoreApplication::processEvents();
}

// Times the control's action on a window listing `paths`, which runs to its
// end inside the handler, and reads the label that tells how it ended.
template<typename Control>
double timeWindow(const QStringList &paths, const char *control, const char *label, QString &text)
{
    Form1 form;
    prepare(form, paths);
    QElapsedTimer timer;
    timer.start();
    if constexpr (std::is_same_v<Control, QAction>)
        form.findChild<QAction *>(QLatin1StringView(control))->trigger();
    else
        form.findChild<Control *>(QLatin1StringView(control))->click();
    const double seconds = timer.nsecsElapsed() / 1e9;
    text = form.findChild<QLabel *>(QLatin1StringView(label))->text();
    return seconds;
}

double windowRun(const QStringList &paths, QString &status)
{
    return timeWindow<QPushButton>(paths, "Command1_0", "Label1", status);
}

double windowPreview(const QStringList &paths, QString &counts)
{
    return timeWindow<QAction>(paths, "mnuPreview", "lblCounts", counts);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}   // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpApplication(app);
    const int fileCount = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;

    QTemporaryDir dir(argc > 3 ? QString::fromLocal8Bit(argv[3]) + QStringLiteral("/textorum-bench-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/textorum-bench-XXXXXX"));
    QStringList paths;
    for (int i = 0; i < fileCount; ++i)
        paths << dir.filePath(QStringLiteral("%1.txt").arg(i));

    QList<double> engineTimes;
    QList<double> windowTimes;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        QString status;
        // Alternate the order, so that neither side always runs on a warmer cache.
        for (int side = 0; side < 2; ++side) {
            writeFiles(paths);
            const bool engineFirst = repetition % 2 == 0;
            if ((side == 0) == engineFirst)
                engineTimes << engineRun(paths, status);
            else
                windowTimes << windowRun(paths, status);
            if (!status.contains(QStringLiteral("files changed: %1 ").arg(fileCount)))
                qFatal("unexpected result: %s", qPrintable(status));
            const bool engineSide = (side == 0) == engineFirst;
            std::printf("run %d %-6s %.3f s\n", repetition + 1, engineSide ? "engine" : "window",
                        engineSide ? engineTimes.last() : windowTimes.last());
            std::fflush(stdout);
        }
    }

    const double engine = median(engineTimes);
    const double window = median(windowTimes);
    std::printf("files: %d, repetitions: %d\n", fileCount, repetitions);
    std::printf("engine alone (no display): median %.3f s\n", engine);
    std::printf("through the window (offscreen): median %.3f s\n", window);
    std::printf("ratio window/engine: %.3f (target <= 1.3)\n", window / engine);

    QList<double> previewTimes;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        writeFiles(paths);
        QString counts;
        previewTimes << windowPreview(paths, counts);
        if (!counts.contains(QStringLiteral("would change: %1 ").arg(fileCount)))
            qFatal("unexpected preview: %s", qPrintable(counts));
        std::printf("preview %d through the window %.3f s\n", repetition + 1, previewTimes.last());
    }
    const double preview = median(previewTimes);
    std::printf("preview through the window: median %.3f s\n", preview);
    std::printf("ratio preview/run, both through the window: %.3f (target <= 1.2)\n", preview / window);
    return 0;
}
