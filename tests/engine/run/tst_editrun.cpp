#include "runfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct timespec modificationTime(const QString &path)
{
    return statusOf(path).st_mtim;
}

}   // namespace

class TestEditRun : public QObject
{
    Q_OBJECT

private slots:
    void emptyListOnlyTellsSo();
    void singleRowShowsProgressModesAndSummary();
    void visitsRowsFromLastToFirst();
    void stopBetweenFiles();
    void ticksChangedDuringYieldApplyToLaterRows();
    void secondExecuteDuringRunIsIgnored();
    void clearDuringRunEndsAtNextRow();
    void clearAnsweredNoKeepsRows();
    void rowsThatAreNoFile_data();
    void rowsThatAreNoFile();
    void fileThatCannotBeWrittenCountsAsFailed();
    void fileGoneOrReplacedDuringTheEdit_data();
    void fileGoneOrReplacedDuringTheEdit();
    void fileLargerThanMemoryIsEdited_data();
    void fileLargerThanMemoryIsEdited();
    void bytesThatBiteAreKept_data();
    void bytesThatBiteAreKept();
    void editChangesOnlyWhatWasAskedFor_data();
    void editChangesOnlyWhatWasAskedFor();
    void bufferBoundariesChangeNothing_data();
    void bufferBoundariesChangeNothing();
};

void TestEditRun::emptyListOnlyTellsSo()
{
    RunFixture f;
    f.run.execute();
    QCOMPARE(f.host.informations, QStringList{"No item listed."});
    QVERIFY(f.host.statusCaptions.isEmpty());
    QVERIFY(f.host.failureReports.isEmpty());
    QVERIFY(f.host.executeEnabled);
    QVERIFY(!f.host.stopEnabled);
    QVERIFY(!f.host.busy);
    QVERIFY(!f.run.isBusy());
}

void TestEditRun::singleRowShowsProgressModesAndSummary()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("one.txt");
    writeFile(path, "a cat");
    RunFixture f({path});
    f.run.execute();

    QCOMPARE(f.host.statusCaptions, QStringList({"Processing file: 1/1\r\n" + path,
                                                 "Done Processing files: 1 | files changed: 1 | files unchanged: 0"}));
    QCOMPARE(f.host.modeCaptions, QStringList({"Performing: Append", "Performing: Prepend", "Performing: Remove",
                                               "Performing: Reverse", "Performing: Replace", "..."}));
    QCOMPARE(f.host.failureReports.size(), 1);
    QVERIFY(f.host.failureReports.first().isEmpty());
    QCOMPARE(f.host.skippedReports.size(), 1);
    QVERIFY(f.host.executeEnabled);
    QVERIFY(!f.host.stopEnabled);
    QVERIFY(!f.host.busy);
    QVERIFY(f.host.undoEnabled);
    QCOMPARE(readFile(path), "a dog");
}

void TestEditRun::visitsRowsFromLastToFirst()
{
    QTemporaryDir dir;
    QStringList rows;
    const QList<QByteArray> contents{"cat 1", "no match", "missing", "cat cat", "nothing"};
    for (int row = 1; row <= 5; ++row) {
        rows.append(dir.filePath(QStringLiteral("file%1.txt").arg(row)));
        if (row != 3)
            writeFile(rows.last(), contents.at(row - 1));
    }
    const struct timespec untouched = modificationTime(rows.at(1));
    RunFixture f(rows);
    f.run.execute();

    QStringList expected;
    for (int row = 5; row >= 1; --row)
        expected.append(QStringLiteral("Processing file: %1/5\r\n").arg(row) + rows.at(row - 1));
    expected.append("Done Processing files: 5 | files changed: 2 | files unchanged: 3");
    QCOMPARE(f.host.statusCaptions, expected);
    QCOMPARE(readFile(rows.at(0)), "dog 1");
    QCOMPARE(readFile(rows.at(1)), "no match");
    QCOMPARE(readFile(rows.at(3)), "dog dog");
    QCOMPARE(readFile(rows.at(4)), "nothing");
    const struct timespec after = modificationTime(rows.at(1));
    QCOMPARE(after.tv_sec, untouched.tv_sec);
    QCOMPARE(after.tv_nsec, untouched.tv_nsec);
    QVERIFY(!QFile::exists(rows.at(2)));
    QVERIFY(!f.host.busy);
    QVERIFY(f.host.executeEnabled);
    QVERIFY(!f.host.stopEnabled);
}

void TestEditRun::stopBetweenFiles()
{
    QTemporaryDir dir;
    const QStringList rows = writeFiles(dir, QList<QByteArray>(5, "cat"));
    RunFixture f(rows);
    // The fourth yield comes after row 3 was written, before row 2.
    stopAtYield(f.host, f.run, 4);
    f.run.execute();

    for (int row = 1; row <= 5; ++row)
        QCOMPARE(readFile(rows.at(row - 1)), row >= 3 ? QByteArray("dog") : QByteArray("cat"));
    QCOMPARE(f.host.statusCaption, "Processing file: 3/5\r\n" + rows.at(2));
    QVERIFY(f.host.executeEnabled);
    QVERIFY(!f.host.stopEnabled);
    QVERIFY(!f.host.busy);
    QCOMPARE(f.host.failureReports.size(), 1);
    QVERIFY(!f.run.isBusy());

    // The next run starts afresh: its counts are its own.
    f.host.find = QStringLiteral("dog");
    f.host.with = QStringLiteral("bird");
    f.run.execute();
    QCOMPARE(f.host.statusCaption, "Done Processing files: 5 | files changed: 3 | files unchanged: 2");
    QCOMPARE(readFile(rows.at(4)), "bird");
    QCOMPARE(readFile(rows.at(0)), "cat");
}

void TestEditRun::ticksChangedDuringYieldApplyToLaterRows()
{
    QTemporaryDir dir;
    const QStringList rows = writeFiles(dir, QList<QByteArray>(3, "CAT cat"));
    RunFixture f(rows);
    f.host.onYield = [&f](int yield) {
        if (yield == 2) {   // before row 2: Append, case-insensitive
            f.host.tickMode(EditMode::Replace, false);
            f.host.tickMode(EditMode::Append);
            f.host.tickOption(ReadOption::CaseSensitive, false);
        } else if (yield == 3) {   // before row 1: Single Line File as well
            f.host.tickOption(ReadOption::SingleLineFile);
        }
    };
    f.run.execute();

    QCOMPARE(readFile(rows.at(2)), "CAT dog");
    QCOMPARE(readFile(rows.at(1)), "catdog catdog");
    QCOMPARE(readFile(rows.at(0)), "catdog catdog\r\n");   // no line end of its own: CR LF
    QCOMPARE(f.host.findTextReads, 1);
}

void TestEditRun::secondExecuteDuringRunIsIgnored()
{
    QTemporaryDir dir;
    const QStringList rows = writeFiles(dir, QList<QByteArray>(2, "cat"));
    RunFixture f(rows);
    f.host.onYield = [&f](int) {
        QVERIFY(f.run.isBusy());
        f.run.execute();
    };
    f.run.execute();

    QCOMPARE(f.host.yields, 2);
    QCOMPARE(f.host.runsStarted, 1);
    QCOMPARE(readFile(rows.at(0)), "dog");
    QCOMPARE(readFile(rows.at(1)), "dog");
    QCOMPARE(f.host.statusCaption, "Done Processing files: 2 | files changed: 2 | files unchanged: 0");
}

void TestEditRun::clearDuringRunEndsAtNextRow()
{
    QTemporaryDir dir;
    const QStringList rows = writeFiles(dir, QList<QByteArray>(3, "cat"));
    const QString dropped = dir.filePath("dropped.txt");
    writeFile(dropped, "cat");
    RunFixture f(rows);
    f.host.answers = {true};
    // Cleared before row 2, then three rows dropped: positions 1 to 3 exist
    // again but are other files.
    f.host.onYield = [&](int yield) {
        if (yield == 2) {
            f.run.clear();
            f.host.rows = {dropped, dropped, dropped};
        }
    };
    f.run.execute();

    // Only row 3 was visited.
    QCOMPARE(f.host.statusCaption, "Done Processing files: 1 | files changed: 1 | files unchanged: 0");
    QCOMPARE(readFile(rows.at(2)), "dog");
    QCOMPARE(readFile(rows.at(1)), "cat");
    QCOMPARE(readFile(dropped), "cat");
    QVERIFY(f.host.executeEnabled);
    QVERIFY(!f.host.stopEnabled);
}

void TestEditRun::clearAnsweredNoKeepsRows()
{
    RunFixture f;
    f.host.rows = {"/nonexistent/a", "/nonexistent/b"};
    f.host.answers = {false, true};
    f.run.clear();
    QCOMPARE(f.host.rows.size(), 2);
    f.run.clear();
    QVERIFY(f.host.rows.isEmpty());
    QCOMPARE(f.host.questions, QStringList({"clear the files listed?", "clear the files listed?"}));
}

void TestEditRun::rowsThatAreNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("deleted file") << "deleted";
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("symbolic link to nothing") << "dangling";
    QTest::newRow("device") << "device";
}

// Skipped silently: neither changed nor failed, and never opened (opening a
// FIFO for reading would wait for a writer for ever). Folder rows: tst_folders.
void TestEditRun::rowsThatAreNoFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath("row");
    if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    else if (kind == "dangling")
        QVERIFY(QFile::link(dir.filePath("nothing"), path));
    else if (kind == "device")
        path = QStringLiteral("/dev/zero");
    RunFixture f({path});
    f.host.find.clear();   // an empty Find text would pass on any content
    f.run.execute();
    QCOMPARE(f.host.statusCaption, "Done Processing files: 1 | files changed: 0 | files unchanged: 1");
    QCOMPARE(f.host.failureReports.size(), 1);
    QVERIFY(f.host.failureReports.first().isEmpty());
}

void TestEditRun::fileThatCannotBeWrittenCountsAsFailed()
{
    QTemporaryDir dir;
    const QString readOnly = dir.filePath("readonly.txt");
    const QString writable = dir.filePath("writable.txt");
    writeFile(readOnly, "cat");
    writeFile(writable, "cat");
    QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    RunFixture f({readOnly, writable});
    f.run.execute();

    QCOMPARE(f.host.statusCaption,
             "Done Processing files: 2 | files changed: 1 | files unchanged: 0 | files failed: 1");
    QCOMPARE(readFile(readOnly), "cat");
    QCOMPARE(readFile(writable), "dog");
    QCOMPARE(f.host.failureReports.size(), 1);
    QCOMPARE(f.host.failureReports.first().size(), 1);
    const FileFailure failure = f.host.failureReports.first().first();
    QCOMPARE(failure.path, readOnly);
    QCOMPARE(failure.reason, FileFailureReason::OpenForWriting);
    QVERIFY(!failure.systemError.isEmpty());
}

void TestEditRun::fileGoneOrReplacedDuringTheEdit_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("hardLinked");
    QTest::newRow("deleted") << "delete" << false;
    QTest::newRow("replaced by another file") << "replace" << false;
    QTest::newRow("truncated") << "truncate" << false;
    QTest::newRow("appended to") << "append" << false;
    QTest::newRow("appended to, written in place") << "append" << true;
}

// Another program acts between the Find test and the rewrite (here: while
// the mode line shows the mode pass): the file now at the path is not the one
// that was read, and is left as that program made it, with nothing new
// beside it.
void TestEditRun::fileGoneOrReplacedDuringTheEdit()
{
    QFETCH(QString, change);
    QFETCH(bool, hardLinked);
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    const QByteArray name = QFile::encodeName(path);
    writeFile(path, "a cat and more");
    QStringList names{"file.txt"};
    if (hardLinked) {
        QCOMPARE(::link(name.constData(), QFile::encodeName(dir.filePath("link")).constData()), 0);
        names << "link";
    }
    QByteArray expected;
    RunFixture f({path});
    f.host.onModePass = [&] {
        if (change == "delete") {
            QVERIFY(QFile::remove(path));
            names.removeOne("file.txt");
        } else if (change == "replace") {
            writeFile(dir.filePath("other"), "newer cat");
            QCOMPARE(::rename(QFile::encodeName(dir.filePath("other")).constData(), name.constData()), 0);
            expected = "newer cat";
        } else if (change == "truncate") {
            QCOMPARE(::truncate(name.constData(), 3), 0);
            expected = "a c";
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write(" cat");
            expected = "a cat and more cat";
        }
    };
    f.run.execute();

    QCOMPARE(f.host.statusCaption,
             "Done Processing files: 1 | files changed: 0 | files unchanged: 0 | files failed: 1");
    QCOMPARE(f.host.failureReports.first().first().reason, FileFailureReason::Changed);
    if (!expected.isEmpty())
        QCOMPARE(readFile(path), expected);
    QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.sort();
    QCOMPARE(entries, names);
}

void TestEditRun::fileLargerThanMemoryIsEdited_data()
{
    QTest::addColumn<bool>("lineWise");
    QTest::addColumn<bool>("hardLinked");
    QTest::newRow("whole file") << false << false;
    QTest::newRow("rebuilt lines") << true << false;
    QTest::newRow("written in place") << false << true;
}

// Runs the edit in a child whose address space ends half a file size above
// its present size: a file that does not fit is streamed through buffers.
void TestEditRun::fileLargerThanMemoryIsEdited()
{
    QFETCH(bool, lineWise);
    QFETCH(bool, hardLinked);
    QTemporaryDir dir;
    const QString path = dir.filePath("large.txt");
    const QByteArray name = QFile::encodeName(path);
    constexpr off_t kSize = off_t(64) << 20;
    writeFile(path, "cat");
    QCOMPARE(::truncate(name.constData(), kSize), 0);   // sparse
    if (hardLinked)
        QCOMPARE(::link(name.constData(), QFile::encodeName(dir.filePath("link")).constData()), 0);

    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        long pages = 0;
        if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1)
                pages = 0;
            std::fclose(statm);
        }
        const rlim_t limit = rlim_t(pages) * rlim_t(::sysconf(_SC_PAGESIZE)) + rlim_t(kSize / 2);
        const struct rlimit memory
        {
            limit, limit
        };
        if (pages == 0 || ::setrlimit(RLIMIT_AS, &memory) != 0)
            ::_exit(3);
        RunFixture f({path});
        f.host.tickOption(ReadOption::SingleLineFile, lineWise);
        f.run.execute();
        ::_exit(f.host.statusCaption.contains("files changed: 1") ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    // A single line without a line end of its own ends in CR LF.
    const QByteArray end = lineWise ? QByteArray("\0\0\r\n", 4) : QByteArray("\0\0", 2);
    QCOMPARE(statusOf(path).st_size, kSize - 2 + end.size());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(4), QByteArray("dog\0", 4));
    QVERIFY(file.seek(kSize - 2));
    QCOMPARE(file.read(4), end);
}

void TestEditRun::bytesThatBiteAreKept_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("NUL bytes") << QByteArray("a\0cat\0b", 7) << QByteArray("a\0dog\0b", 7);
    QTest::newRow("invalid UTF-8") << QByteArray("\xff\xfe cat \xc3(") << QByteArray("\xff\xfe dog \xc3(");
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf"
                                                   "cat\r\n")
                                     << QByteArray("\xef\xbb\xbf"
                                                   "dog\r\n");
    QTest::newRow("large") << QByteArray(3 << 20, 'x') + "cat" << QByteArray(3 << 20, 'x') + "dog";
}

void TestEditRun::bytesThatBiteAreKept()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("bytes.bin");
    writeFile(path, content);
    RunFixture f({path});
    f.run.execute();
    QCOMPARE(readFile(path), expected);
}

void TestEditRun::editChangesOnlyWhatWasAskedFor_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("with");
    QTest::addColumn<int>("mode");          // an EditMode, or -1 for none ticked
    QTest::addColumn<int>("style");         // a ReadOption, or -1 for the whole file
    QTest::addColumn<QString>("outcome");   // changed, unchanged or failed
    QTest::addColumn<QByteArray>("expected");
    const int replace = int(EditMode::Replace);
    const int whole = -1;
    const int single = int(ReadOption::SingleLineFile);
    const int enumerate = int(ReadOption::EnumerateLines);
    const int indentation = int(ReadOption::RemoveIndentation);
    const auto row = [&](const char *name, const QByteArray &content, const QString &find, const QString &with,
                         int mode, int style, const QByteArray &expected) {
        QTest::newRow(name) << content << find << with << mode << style
                            << (expected == content ? "unchanged" : "changed") << expected;
    };
    // Nothing is added, and the file's own line end is kept.
    row("LF", "a cat\n", "cat", "dog", replace, whole, "a dog\n");
    row("no line end", "a cat", "cat", "dog", replace, whole, "a dog");
    row("CR LF", "a cat\r\n", "cat", "dog", replace, whole, "a dog\r\n");
    row("CR alone", "a cat\rb\r", "cat", "dog", replace, whole, "a dog\rb\r");
    // A line break typed in a box stands for the file's line end.
    row("two-line Find, LF", "a cat\nhat\n", "cat\r\nhat", "dog\r\nbat", replace, whole, "a dog\nbat\n");
    row("two-line Find, CR LF", "a cat\r\nhat\r\n", "cat\r\nhat", "dog\r\nbat", replace, whole, "a dog\r\nbat\r\n");
    row("two-line Find, LF CR is no line end", "cat\n\rhat", "cat\r\nhat", "x", replace, whole, "cat\n\rhat");
    // The line-wise styles end each line with the file's line end, CR LF
    // when it has none.
    row("single line, LF", "  a\n  cat\n", "cat", "dog", replace, single, "adog\n");
    row("single line, no line end", "a cat", "cat", "dog", replace, single, "a dog\r\n");
    row("enumerate lines, LF", "a\ncat\n", "cat", "dog", replace, enumerate, "1\ta\n2\tdog\n");
    row("enumerate lines, no line end", "cat", "cat", "dog", replace, enumerate, "1\tdog\r\n");
    row("remove indentation, LF", "  a\n  cat\n", "cat", "dog", replace, indentation, "a\ndog\n");
    row("remove indentation, no line end", "  cat", "cat", "dog", replace, indentation, "dog\r\n");
    row("remove indentation of none, LF", "a\ncat\n", "cat", "cat", replace, indentation, "a\ncat\n");
    row("no Find text: not rewritten in its lines", "  ca\r\nx\r\n", "cat", "dog", replace, single, "  ca\r\nx\r\n");
    row("Find text in the lines made", "  ca\r\nt\r\n", "cat", "dog", replace, single, "dog\r\n");
    // The same bytes are not written again.
    row("no mode ticked", "a cat\n", "cat", "dog", -1, whole, "a cat\n");
    row("empty Find", "a cat\n", "", "dog", replace, whole, "a cat\n");
    row("Replace x with x", "x x\n", "x", "x", replace, whole, "x x\n");
    row("reversed palindrome", "abba!\n", "abba", "", int(EditMode::Reverse), whole, "abba!\n");
    QTest::newRow("read-only") << QByteArray("a cat\n") << "cat"
                               << "dog" << replace << whole << "failed" << QByteArray("a cat\n");
}

// Each case with the default buffer and with buffers so small that the
// comparison with the file's bytes and the search for its line end go over
// many of them. A file left as it was keeps its bytes, inode and times, and
// nothing is left beside it.
void TestEditRun::editChangesOnlyWhatWasAskedFor()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, find);
    QFETCH(QString, with);
    QFETCH(int, mode);
    QFETCH(int, style);
    QFETCH(QString, outcome);
    QFETCH(QByteArray, expected);
    for (const qsizetype bufferSize : {qsizetype(0), qsizetype(1), qsizetype(3)}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("file.txt");
        writeFile(path, content);
        if (outcome == "failed")
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        const struct stat before = statusOf(path);
        RunFixture f;
        f.host.rows = {path};
        f.host.find = find;
        f.host.with = with;
        if (mode >= 0)
            f.host.tickMode(EditMode(mode));
        if (style >= 0)
            f.host.tickOption(ReadOption(style));
        f.host.tickOption(ReadOption::CaseSensitive);
        if (bufferSize > 0)
            f.run.setBufferSize(bufferSize);
        f.run.execute();

        QCOMPARE(readFile(path), expected);
        const QString counts = outcome == "changed"     ? "changed: 1 | files unchanged: 0"
                               : outcome == "unchanged" ? "changed: 0 | files unchanged: 1"
                                                        : "changed: 0 | files unchanged: 0 | files failed: 1";
        QCOMPARE(f.host.statusCaption, "Done Processing files: 1 | files " + counts);
        QCOMPARE(f.run.canUndo(), outcome == "changed");
        if (outcome != "changed") {
            const struct stat after = statusOf(path);
            QCOMPARE(after.st_ino, before.st_ino);
            QCOMPARE(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
            QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
            QCOMPARE(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"file.txt"});
    }
}

void TestEditRun::bufferBoundariesChangeNothing_data()
{
    QTest::addColumn<int>("style");   // a ReadOption, or -1 for the whole file
    QTest::addColumn<bool>("caseSensitive");
    QTest::newRow("whole file, exact") << -1 << true;
    QTest::newRow("whole file, caseless") << -1 << false;
    QTest::newRow("single line file") << int(ReadOption::SingleLineFile) << false;
    QTest::newRow("enumerate lines") << int(ReadOption::EnumerateLines) << false;
    QTest::newRow("remove indentation") << int(ReadOption::RemoveIndentation) << true;
}

// Every buffer size from 1 to 24 bytes puts a boundary inside an occurrence,
// a CR LF, a quoted field and a UTF-8 character; the file must come out as
// with the default buffer, which holds it whole.
void TestEditRun::bufferBoundariesChangeNothing()
{
    QFETCH(int, style);
    QFETCH(bool, caseSensitive);
    const QByteArray content(
        "  Caf\xc3\xa9 cat,\"quoted, caf\xc3\xa9 c\"\r\nline caf\xc3\xa9 CAT\r\n\"open\r\nquote\" \xc3\xa9\n");
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    const auto edit = [&](qsizetype bufferSize) {
        writeFile(path, content);
        RunFixture f;
        f.host.rows = {path};
        f.host.find = caseSensitive ? QStringLiteral(u"\u00e9 ca") : QStringLiteral(u"\u00c9 CA");
        f.host.with = QStringLiteral("<>");
        f.host.tickMode(EditMode::Replace);
        f.host.tickOption(ReadOption::CaseSensitive, caseSensitive);
        if (style >= 0)
            f.host.tickOption(ReadOption(style));
        if (bufferSize > 0)
            f.run.setBufferSize(bufferSize);
        f.run.execute();
        return readFile(path);
    };
    const QByteArray expected = edit(0);
    QVERIFY(expected.contains("<>"));
    for (qsizetype bufferSize = 1; bufferSize <= 24; ++bufferSize)
        QCOMPARE(edit(bufferSize), expected);
}

QTEST_GUILESS_MAIN(TestEditRun)
#include "tst_editrun.moc"
