// textorum-filelist-bench: how long the file list takes for large drops.
//   1. a drop of 10,000 files of one folder (target: at most 1.5 s);
//   2. the total size of a folder of 100,000 files in 1,000 sub-folders,
//      against `du -sb` on the same tree (target: at most 1.5 times du);
//   3. 100,000 rows: filling them and painting one page after a scroll.
// Runs offscreen; its data lives in a temporary folder that it removes.
// Usage: textorum-filelist-bench [runs]   (median of runs, default 5)

#include "filelistmodel.h"
#include "filelistview.h"
#include "filesystem.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int DefaultRuns = 5;
constexpr int DroppedFiles = 10'000;
constexpr int TreeFolders = 1'000;
constexpr int FilesPerFolder = 100;
constexpr int ListRows = 100'000;
constexpr int ScrollSteps = 200;

double medianOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

bool writeFile(const QString &path, qint64 length)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(length);
}

// What the fast walk replaced, measured here so the choice can be re-checked.
qint64 sizeByDirIterator(const QString &folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isFile() && !info.isSymLink())
            total += info.size();
    }
    return total;
}

void benchDropOfFiles(const QString &root, int runs)
{
    const QString folder = root + "/drop";
    QDir().mkpath(folder);
    QList<QUrl> urls;
    for (int i = 0; i < DroppedFiles; ++i) {
        const QString path = QStringLiteral("%1/file%2.txt").arg(folder).arg(i, 5, 10, QLatin1Char('0'));
        if (!writeFile(path, 100 + i))
            qFatal("cannot write %s", qPrintable(path));
        urls.append(QUrl::fromLocalFile(path));
    }
    QMimeData data;
    data.setUrls(urls);

    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        FileListView view;
        view.show();
        times.append(millisecondsOf([&] { view.LVFile_OLEDragDrop(&data); }));
        if (view.fileModel()->rowCount() != DroppedFiles)
            qFatal("the drop added %d rows", view.fileModel()->rowCount());
    }
    std::printf("drop of %d files: median %.0f ms (target <= 1500 ms)\n", DroppedFiles, medianOf(times));
}

void benchFolderSize(const QString &root, int runs)
{
    const QString tree = root + "/tree";
    for (int f = 0; f < TreeFolders; ++f) {
        const QString folder = QStringLiteral("%1/folder%2").arg(tree).arg(f);
        QDir().mkpath(folder);
        for (int i = 0; i < FilesPerFolder; ++i) {
            if (!writeFile(QStringLiteral("%1/file%2.txt").arg(folder).arg(i), (f * FilesPerFolder + i) % 4096))
                qFatal("cannot write in %s", qPrintable(folder));
        }
    }

    const LocalFileSystem fileSystem;
    QList<double> duTimes, walkTimes, iteratorTimes, folderDropTimes;
    qint64 walkTotal = 0;
    qint64 iteratorTotal = 0;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(tree)});
    // Taking turns keeps the page cache equally warm for every contender.
    for (int run = 0; run < runs; ++run) {
        duTimes.append(millisecondsOf([&] {
            QProcess du;
            du.setStandardOutputFile(QProcess::nullDevice());
            du.start("du", {"-sb", tree});
            if (!du.waitForFinished(-1) || du.exitCode() != 0)
                qFatal("du -sb failed");
        }));
        walkTimes.append(
            millisecondsOf([&] { walkTotal = fileSystem.FolderSize(QFile::encodeName(tree)).value_or(-1); }));
        iteratorTimes.append(millisecondsOf([&] { iteratorTotal = sizeByDirIterator(tree); }));
        FileListView view;
        folderDropTimes.append(millisecondsOf([&] { view.LVFile_OLEDragDrop(&data); }));
    }
    if (walkTotal != iteratorTotal)
        qFatal("the walks disagree: %lld and %lld bytes", walkTotal, iteratorTotal);
    const double du = medianOf(duTimes);
    const double walk = medianOf(walkTimes);
    const double iterator = medianOf(iteratorTimes);
    std::printf("size of %d files in %d folders (%lld bytes):\n", TreeFolders * FilesPerFolder, TreeFolders, walkTotal);
    std::printf("  du -sb          median %.1f ms\n", du);
    std::printf("  FolderSize      median %.1f ms = %.2f x du (target <= 1.5)\n", walk, walk / du);
    std::printf("  QDirIterator    median %.1f ms = %.2f x du (for comparison)\n", iterator, iterator / du);
    std::printf("  drop of the folder median %.1f ms\n", medianOf(folderDropTimes));
}

void benchLongList(int runs)
{
    QList<double> fillTimes, frameTimes;
    for (int run = 0; run < runs; ++run) {
        FileListView view;
        view.resize(800, 600);
        view.show();
        FileListModel &model = *view.fileModel();
        fillTimes.append(millisecondsOf([&] {
            for (int i = 0; i < ListRows; ++i) {
                const int row = model.appendRow();
                model.setText(row, FileColumn::Name, QStringLiteral("file%1.txt").arg(i));
                model.setText(row, FileColumn::Size, QStringLiteral("%1 KB").arg(i % 97));
                model.setTag(row, QByteArray("/data/file") + QByteArray::number(i) + ".txt");
            }
        }));
        QScrollBar *bar = view.verticalScrollBar();
        const double all = millisecondsOf([&] {
            for (int step = 0; step < ScrollSteps; ++step) {
                bar->setValue(int(qint64(bar->maximum()) * step / ScrollSteps));
                // grab() paints for real, shown on a screen or not.
                view.viewport()->grab();
            }
        });
        frameTimes.append(all / ScrollSteps);
    }
    std::printf("list of %d rows: filled in median %.0f ms; scroll and paint one page median %.2f ms\n", ListRows,
                medianOf(fillTimes), medianOf(frameTimes));
}

}   // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : DefaultRuns;

    QTemporaryDir temp(QDir::tempPath() + "/textorum-filelist-bench-XXXXXX");
    if (!temp.isValid())
        qFatal("cannot make a temporary folder");
    std::printf("data in %s, median of %d runs\n", qPrintable(temp.path()), runs);
    benchDropOfFiles(temp.path(), runs);
    benchFolderSize(temp.path(), runs);
    benchLongList(runs);
    return 0;
}
