// Runs and undos over many files, which worker threads prepare ahead of
// their turn: the window and the files see exactly what one thread would
// have done, and nothing of a file is visible before its turn.
#include "faultpoint.h"
#include "previewrecorder.h"
#include "runfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Everything the window was told, with the folder's own path taken out so
// that runs in two folders compare.
struct WindowLog
{
    QStringList captions;
    QList<std::pair<QString, FileFailureReason>> failures;

    static WindowLog of(const RecordingHost &host, const QString &folder)
    {
        WindowLog log;
        for (const QString &caption : host.statusCaptions + host.modeCaptions)
            log.captions.append(QString(caption).replace(folder, "<dir>"));
        for (const FileFailure &failure : host.failureReports.value(0) + host.leftReports.value(0))
            log.failures.append({QString::fromUtf8(failure.path).replace(folder, "<dir>"), failure.reason});
        return log;
    }
    bool operator==(const WindowLog &) const = default;
};

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Every file below `folder`, by its path there, with its bytes.
QMap<QString, QByteArray> contentsBelow(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    for (const QString &sub : entriesOf(folder)) {
        for (const QString &name : entriesOf(folder + '/' + sub))
            contents.insert(sub + '/' + name, readFile(folder + '/' + sub + '/' + name));
    }
    return contents;
}

// 500 rows over three folders: files that change and files that do not,
// rows of no file, of a folder, of a link, of a hard-linked and of a
// read-only file, and files listed twice.
QStringList writeMixedRows(const QString &folder)
{
    for (const char *sub : {"a", "b", "c"})
        QDir(folder).mkdir(sub);
    QStringList rows;
    for (int i = 0; i < 500; ++i) {
        const QString path = QStringLiteral("%1/%2/f%3.txt").arg(folder, QChar(u'a' + i / 170), QString::number(i));
        const QByteArray padding(i % 3 == 0 ? 40 : 0, '.');
        if (i % 4 != 3)
            writeFile(path, (i % 4 == 1 ? "no pet " : "a cat, cat ") + QByteArray::number(i) + padding);
        rows.append(i % 9 == 8 ? rows.at(i / 2) : path);   // the 4th of every 4 names no file
    }
    rows[20] = folder + "/b";
    QFile::link(rows.at(10), folder + "/c/link");
    rows[30] = folder + "/c/link";
    ::link(QFile::encodeName(rows.at(40)).constData(), QFile::encodeName(folder + "/c/second").constData());
    ::chmod(QFile::encodeName(rows.at(50)).constData(), 0444);
    return rows;
}

// 100 files "CAT cat <n>" in one folder, a case-sensitive Replace of "cat"
// run by two workers.
struct HundredFiles
{
    QTemporaryDir dir;
    QStringList rows;
    RecordingHost host;
    EditRun run{host, host, host};

    HundredFiles()
    {
        for (int i = 1; i <= 100; ++i) {
            rows.append(dir.filePath(QStringLiteral("f%1.txt").arg(i)));
            writeFile(rows.last(), "CAT cat " + QByteArray::number(i));
        }
        prepareReplace(host, rows);
        run.setWorkerCount(2);
        // The undo's own file without a name would be counted with those written ahead.
        run.setKeepsUndo(false);
    }
    // Row `position`, visited at yield 101 - position, is the rewritten one.
    bool isChanged(int position) const { return !readFile(rows.at(position - 1)).contains("cat"); }
};

// What each descriptor the process holds open names, as /proc shows it: an
// unnamed file as "FOLDER/#INODE (deleted)", one whose name went as
// "PATH (deleted)".
QStringList openFileTargets()
{
    QStringList targets;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        targets.append(QFile::symLinkTarget(fds.filePath(fd)));
    return targets;
}

// The files without a name that the process holds open: new contents
// written ahead.
int unnamedFiles()
{
    return int(openFileTargets().filter("/#").size());
}

// The files below `folder` that no name reaches any more but the process
// holds open, other than files that never had a name: replaced files.
QStringList heldReplacedFiles(const QString &folder)
{
    QStringList held;
    for (const QString &target : openFileTargets()) {
        if (target.startsWith(folder + '/') && target.endsWith(" (deleted)") && !target.contains("/#"))
            held.append(target);
    }
    return held;
}

// Waits up to 20 s, handling no event, until `done` says so; whether it did.
bool waitUntil(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 20000)
            return false;
        QThread::msleep(5);
    }
    return true;
}

// The new files written ahead under a name of their own in `folder`, as
// on a file system without unnamed files.
int namedNewFiles(const QString &folder)
{
    return int(QDir(folder).entryList({QStringLiteral("*.textorum-new-*")}, QDir::Files | QDir::Hidden).size());
}

// Every file system acts as one without unnamed files while this lives.
struct NamedFilesOnly
{
    explicit NamedFilesOnly(bool named = true) { refuseUnnamedFiles(named); }
    ~NamedFilesOnly() { refuseUnnamedFiles(false); }
};

// What a test does to a run over files written ahead under names of their own.
enum class Interruption { None, Stop, Clear, TicksChanged, FileChanged };

}   // namespace

class TestFilesAhead : public QObject
{
    Q_OBJECT

private slots:
    void workersChangeNothingTheWindowSees_data();
    void workersChangeNothingTheWindowSees();
    void endingTheRunLeavesLaterRowsAndNothingElse_data();
    void endingTheRunLeavesLaterRowsAndNothingElse();
    void ticksChangedDuringRunApplyToLaterRows();
    void fileChangedAfterItWasPreparedIsLeftToTheOtherProgram();
    void namedNewFilesGoWhateverEndsTheRun_data();
    void namedNewFilesGoWhateverEndsTheRun();
    void namedNewFilesGoWhenTheProgramIsTerminated();
};

void TestFilesAhead::workersChangeNothingTheWindowSees_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<qsizetype>("bufferSize");
    QTest::addColumn<bool>("insideFolders");
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("changed");
    QTest::addColumn<QString>("runEnd");
    const QString listed = "Done Processing files: 500 | files changed: 219 | files unchanged: 280"
                           " | files failed: 1 | folders skipped: 1";
    QTest::newRow("2 workers") << 2 << qsizetype(1 << 20) << false << false << 219 << listed;
    QTest::newRow("8 workers") << 8 << qsizetype(1 << 20) << false << false << 219 << listed;
    // Most files larger than the buffer: checked ahead, written at their turn.
    QTest::newRow("2 workers, 16-byte buffer") << 2 << qsizetype(16) << false << false << 219 << listed;
    // As on FUSE or NFS: the new files written ahead have names.
    QTest::newRow("2 workers, no unnamed files") << 2 << qsizetype(1 << 20) << false << true << 219 << listed;
    // The folder row's 127 files in its place, the link and the second name
    // of a hard-linked file among them; those listed too are edited once.
    QTest::newRow("2 workers, folders walked")
        << 2 << qsizetype(1 << 20) << true << false << 229
        << "Done Processing files: 626 | files changed: 229 | files unchanged: 396 | files failed: 1";
}

// A preview, the run, then its undo.
void TestFilesAhead::workersChangeNothingTheWindowSees()
{
    QFETCH(int, workers);
    QFETCH(qsizetype, bufferSize);
    QFETCH(bool, insideFolders);
    QFETCH(bool, named);
    QFETCH(int, changed);
    QFETCH(QString, runEnd);
    const NamedFilesOnly namedFiles(named);
    QTemporaryDir tmp;
    const TemporaryFolderAt arenas(tmp.path());
    QList<WindowLog> logs;
    QList<QMap<QString, QByteArray>> contents;
    QList<QStringList> previews;
    for (const int count : {1, workers}) {
        QTemporaryDir dir;
        RecordingHost host;
        prepareReplace(host, writeMixedRows(dir.path()), QStringLiteral("dog"));
        host.insideFolders = insideFolders;
        const QMap<QString, QByteArray> before = contentsBelow(dir.path());
        PreviewRecorder recorder;
        EditPreview preview(host, host, recorder);
        preview.setWorkerCount(count);
        const RunSummary previewed = preview.run();
        previews.append(recorder.progress);
        for (const PreviewedFile &file : std::as_const(recorder.files))
            previews.last().append(QString::fromUtf8(file.path) + ' ' + QString::number(file.occurrences));
        previews.last().append(QString::number(previewed.changed));
        previews.last().replaceInStrings(dir.path(), "<dir>");

        EditRun run(host, host, host);
        run.setWorkerCount(count);
        run.setBufferSize(bufferSize);
        run.execute();
        // Their old contents are kept elsewhere: on FUSE or NFS a held file
        // would stand in the folder under a hidden name until the undo goes.
        QCOMPARE(heldReplacedFiles(dir.path()), QStringList());
        contents.append(contentsBelow(dir.path()));
        host.answers = {true};
        run.undo();
        logs.append(WindowLog::of(host, dir.path()));
        QCOMPARE(contentsBelow(dir.path()), before);
    }
    QCOMPARE(previews[1], previews[0]);
    QCOMPARE(logs[1].captions, logs[0].captions);
    QCOMPARE(logs[1].failures, logs[0].failures);
    QCOMPARE(logs[0].failures.size(), 1);   // the read-only file
    QCOMPARE(contents[1], contents[0]);
    QVERIFY2(logs[0].captions.contains(runEnd), qPrintable(logs[0].captions.filter("Done").join('\n')));
    QVERIFY(logs[0].captions.contains(
        QStringLiteral("Undo done: files put back: %1 | files left as they are: 0").arg(changed)));
}

void TestFilesAhead::endingTheRunLeavesLaterRowsAndNothingElse_data()
{
    QTest::addColumn<bool>("clear");
    QTest::addColumn<int>("atYield");
    QTest::newRow("Stop before the 2nd row") << false << 2;
    QTest::newRow("Stop before the 60th row") << false << 60;
    QTest::newRow("Clear before the 30th row") << true << 30;
}

void TestFilesAhead::endingTheRunLeavesLaterRowsAndNothingElse()
{
    QFETCH(bool, clear);
    QFETCH(int, atYield);
    HundredFiles files;
    const QStringList names = entriesOf(files.dir.path());
    files.host.answers = {true};
    files.host.onYield = [&](int yield) {
        if (yield != atYield)
            return;
        QVERIFY(waitUntil([] { return unnamedFiles() >= 10; }));   // something is prepared ahead
        clear ? files.run.clear() : files.run.stop();
    };
    files.run.execute();

    for (int position = 1; position <= 100; ++position)
        QCOMPARE(files.isChanged(position), 101 - position < atYield);
    QCOMPARE(entriesOf(files.dir.path()), names);
    QCOMPARE(unnamedFiles(), 0);
}

void TestFilesAhead::ticksChangedDuringRunApplyToLaterRows()
{
    HundredFiles files;
    files.host.onYield = [&](int yield) {
        if (yield != 50)   // before row 51: Append, case-insensitive
            return;
        QVERIFY(waitUntil([] { return unnamedFiles() >= 40; }));
        files.host.tickMode(EditMode::Replace, false);
        files.host.tickMode(EditMode::Append);
        files.host.tickOption(ReadOption::CaseSensitive, false);
    };
    files.run.execute();

    QCOMPARE(readFile(files.rows.at(51)), "CAT dog 52");
    QCOMPARE(readFile(files.rows.at(50)), "catdog catdog 51");
    QCOMPARE(readFile(files.rows.at(0)), "catdog catdog 1");
    QCOMPARE(files.host.statusCaption, "Done Processing files: 100 | files changed: 100 | files unchanged: 0");
}

void TestFilesAhead::fileChangedAfterItWasPreparedIsLeftToTheOtherProgram()
{
    HundredFiles files;
    const QString changed = files.rows.at(39);
    files.host.onYield = [&](int yield) {
        if (yield != 30)   // row 71: rows 70 to 8 are prepared ahead
            return;
        QVERIFY(waitUntil([] { return unnamedFiles() >= 63; }));
        QFile file(changed);
        QVERIFY(file.open(QIODevice::Append));
        file.write(" cat");
    };
    files.run.execute();

    QCOMPARE(readFile(changed), "CAT cat 40 cat");
    QCOMPARE(files.host.failureReports.value(0).size(), 1);
    QCOMPARE(files.host.failureReports[0][0].reason, FileFailureReason::Changed);
    QCOMPARE(files.host.failureReports[0][0].path, QFile::encodeName(changed));
    QCOMPARE(files.host.statusCaption, "Done Processing files: 100 | files changed: 99 | files unchanged: 0"
                                       " | files failed: 1");
}

void TestFilesAhead::namedNewFilesGoWhateverEndsTheRun_data()
{
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<int>("changedRows");
    QTest::newRow("the run's end") << Interruption::None << 100;
    QTest::newRow("Stop before the 30th row") << Interruption::Stop << 29;
    QTest::newRow("Clear before the 30th row") << Interruption::Clear << 29;
    QTest::newRow("ticks changed before the 30th row") << Interruption::TicksChanged << 100;
    QTest::newRow("a file changed after it was prepared") << Interruption::FileChanged << 99;
}

// A file changed by another program fails at its turn; the ticks changed
// drop what was prepared and prepare it again.
void TestFilesAhead::namedNewFilesGoWhateverEndsTheRun()
{
    QFETCH(Interruption, interruption);
    QFETCH(int, changedRows);
    const NamedFilesOnly namedFiles;
    HundredFiles files;
    const QStringList names = entriesOf(files.dir.path());
    files.host.answers = {true};
    int mostNamed = 0;
    files.host.onYield = [&](int yield) {
        mostNamed = qMax(mostNamed, namedNewFiles(files.dir.path()));
        if (yield != 30)
            return;
        QVERIFY(waitUntil([&] { return namedNewFiles(files.dir.path()) >= 40; }));
        switch (interruption) {
        case Interruption::None:
            break;
        case Interruption::Stop:
            files.run.stop();
            break;
        case Interruption::Clear:
            files.run.clear();
            break;
        case Interruption::TicksChanged:
            files.host.tickOption(ReadOption::CaseSensitive, false);
            break;
        case Interruption::FileChanged: {
            QFile file(files.rows.at(39));   // row 40, prepared ahead
            QVERIFY(file.open(QIODevice::Append));
            file.write(" cat");
            break;
        }
        }
    };
    files.run.execute();

    int changed = 0;
    for (int position = 1; position <= 100; ++position)
        changed += files.isChanged(position);
    QCOMPARE(changed, changedRows);
    // Those ahead, and what the two workers were writing when they were dropped.
    QVERIFY(mostNamed <= mostFilesAhead() + 2);
    QCOMPARE(entriesOf(files.dir.path()), names);
}

// SIGTERM in the middle of a run, in a child process: the named new files
// go with it and the signal still ends the program.
void TestFilesAhead::namedNewFilesGoWhenTheProgramIsTerminated()
{
#ifdef __SANITIZE_THREAD__
    QSKIP("ThreadSanitizer starts no thread in the child of a process with threads");
#endif
    HundredFiles files;
    const QStringList names = entriesOf(files.dir.path());
    const pid_t child = ::fork();
    if (child == 0) {
        // The test framework's own handler would end the child without a word to the run.
        std::signal(SIGTERM, SIG_DFL);
        refuseUnnamedFiles(true);
        files.host.onYield = [&](int yield) {
            if (yield != 30)
                return;
            if (!waitUntil([&] { return namedNewFiles(files.dir.path()) >= 40; }))
                ::_exit(1);
            ::kill(::getpid(), SIGTERM);
            for (;;)
                ::pause();
        };
        files.run.execute();
        ::_exit(2);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGTERM);
    QCOMPARE(entriesOf(files.dir.path()), names);
    QCOMPARE(files.isChanged(100), true);
    QCOMPARE(files.isChanged(1), false);
}

QTEST_GUILESS_MAIN(TestFilesAhead)
#include "tst_filesahead.moc"
