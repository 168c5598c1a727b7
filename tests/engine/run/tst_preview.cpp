// The preview of a run and the review of the last one, on real files: the
// diff a preview shows is what the run then writes, a preview writes nothing,
// and the run over a preview's files edits only those still as it read them.
#include "filediffs.h"
#include "previewrecorder.h"
#include "runfixture.h"
#include "showndiff.h"
#include "unifiedpatch.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <utime.h>

namespace {

// Files that bite: every line end, none at the end, indentation, NUL and
// invalid UTF-8, a file without the Find text and an empty one.
const QList<QByteArray> kCorpus = {
    "a cat\nno\n  cat cat\n\tCAT\nlast cat",
    "cat\r\n  x\r\nCat cat\r\n",
    "cat\rone\r  two cat\r",
    QByteArray("\xff\0 cat\n\n\ncat\xfe\nend\n", 18),
    "nothing here\n",
    "",
};

// What must not move when nothing is written: the file's identity and every
// time, its access time too (the tests' files are their own).
QList<QList<qint64>> versionsOf(const QStringList &paths)
{
    QList<QList<qint64>> versions;
    for (const QString &path : paths) {
        const struct stat status = statusOf(path);
        versions.append({qint64(status.st_ino), status.st_size, status.st_mtim.tv_nsec, status.st_mtim.tv_sec,
                         status.st_ctim.tv_nsec, status.st_ctim.tv_sec, status.st_atim.tv_nsec, status.st_atim.tv_sec});
    }
    return versions;
}

QByteArray hunksOnly(const QByteArray &unifiedDiff)
{
    const qsizetype start = unifiedDiff.indexOf("\n@@ ");
    return start < 0 ? QByteArray() : unifiedDiff.mid(start + 1);
}

}   // namespace

class TestPreview : public QObject
{
    Q_OBJECT

private slots:
    void previewIsWhatTheRunWrites_data();
    void previewIsWhatTheRunWrites();
    void runOverPreviewedFiles_data();
    void runOverPreviewedFiles();
    void followsTheRunsOrderAndStops();
    void reviewShowsBeforeAndAfter();
};

void TestPreview::previewIsWhatTheRunWrites_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("option");   // -1: none
    QTest::addColumn<QString>("find");
    for (int mode = 0; mode < int(EditMode::Count); ++mode) {
        const QString name = editModeNames().at(mode);
        QTest::addRow("%s, whole file", qPrintable(name)) << mode << -1 << "cat";
        QTest::addRow("%s, single line file", qPrintable(name)) << mode << int(ReadOption::SingleLineFile) << "cat";
        QTest::addRow("%s, enumerate lines", qPrintable(name)) << mode << int(ReadOption::EnumerateLines) << "cat";
        QTest::addRow("%s, remove indentation", qPrintable(name))
            << mode << int(ReadOption::RemoveIndentation) << "cat";
        QTest::addRow("%s, exact case", qPrintable(name)) << mode << int(ReadOption::CaseSensitive) << "cat";
    }
    QTest::newRow("Replace, a line break in the Find text") << int(EditMode::Replace) << -1 << "cat\r\n";
}

// Preview, the diff of each file applied to its bytes, then the run over the
// previewed files: the bytes the diff gave. A plain run over a second copy
// writes the same, and changes no file the preview passed by.
void TestPreview::previewIsWhatTheRunWrites()
{
    QFETCH(int, mode);
    QFETCH(int, option);
    QFETCH(QString, find);
    QTemporaryDir previewed;
    QTemporaryDir plain;
    const QStringList files = writeFiles(previewed, kCorpus);
    const QStringList copies = writeFiles(plain, kCorpus);
    RecordingHost host;
    host.rows = files;
    host.find = find;
    host.with = QStringLiteral("dog\r\nx");
    host.tickMode(EditMode(mode));
    if (option >= 0)
        host.tickOption(ReadOption(option));
    const auto before = versionsOf(files);

    PreviewRecorder recorder;
    EditPreview preview(host, host, recorder);
    const RunSummary summary = preview.run();
    QHash<QString, QByteArray> expected;
    for (const PreviewedFile &file : std::as_const(recorder.files)) {
        ByteArraySink diff;
        RunTexts texts(find, host.with);
        QVERIFY(!writeUnifiedDiff(file, preview.inputs(), texts, diff));
        const QByteArray original = kCorpus.at(files.indexOf(QString::fromUtf8(file.path)));
        const auto edited = unifiedpatch::apply(original, hunksOnly(diff.bytes()));
        QVERIFY2(edited, diff.bytes().constData());
        expected.insert(QString::fromUtf8(file.path), *edited);
    }
    QCOMPARE(versionsOf(files), before);
    QCOMPARE(QDir(previewed.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
             files.size());

    EditRun run(host, host, host);
    run.executePreviewed({preview.inputs(), recorder.files});
    host.rows = copies;
    run.execute();
    QCOMPARE(summary.changed, qint64(recorder.files.size()));
    for (qsizetype i = 0; i < files.size(); ++i) {
        QCOMPARE(readFile(files.at(i)), expected.value(files.at(i), kCorpus.at(i)));
        QCOMPARE(readFile(copies.at(i)), readFile(files.at(i)));
    }
    QVERIFY(host.statusCaption.contains(QStringLiteral("files changed: %1 |").arg(summary.changed)));
}

void TestPreview::runOverPreviewedFiles_data()
{
    QTest::addColumn<int>("count");   // files previewed: a few, or enough for worker threads
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<QByteArray>("second");   // file 2's bytes after the run
    QTest::addColumn<bool>("failed");         // file 2 failed: changed since the preview

    for (int count : {3, 40}) {
        const auto row = [count](const char *name) -> QTestData & {
            return QTest::addRow("%s, %d files", name, count) << count;
        };
        row("untouched") << "" << QByteArray("a dog 2") << false;
        row("written by another program") << "write" << QByteArray("a cat 2, edited") << true;
        row("its times moved") << "touch" << QByteArray("a cat 2") << true;
        row("replaced by the same bytes") << "replace" << QByteArray("a cat 2") << true;
        row("not ticked") << "untick" << QByteArray("a cat 2") << false;
    }
}

void TestPreview::runOverPreviewedFiles()
{
    QFETCH(int, count);
    QFETCH(QString, meanwhile);
    QFETCH(QByteArray, second);
    QFETCH(bool, failed);
    QTemporaryDir dir;
    QList<QByteArray> contents;
    for (int i = 1; i <= count; ++i)
        contents.append("a cat " + QByteArray::number(i));
    const QStringList files = writeFiles(dir, contents);
    RecordingHost host;
    prepareReplace(host, files);
    PreviewRecorder recorder;
    EditPreview preview(host, host, recorder);
    preview.run();
    PreviewedRun ticked{preview.inputs(), recorder.files};
    QCOMPARE(ticked.files.size(), count);

    const QString path = files.at(1);
    if (meanwhile == "write") {
        writeFile(path, "a cat 2, edited");
    } else if (meanwhile == "touch") {
        struct utimbuf times
        {
            1000000, 1000000
        };
        QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
    } else if (meanwhile == "replace") {
        writeFile(path + ".new", "a cat 2");
        QVERIFY(QFile::remove(path) && QFile::rename(path + ".new", path));
    } else if (meanwhile == "untick") {
        ticked.files.removeIf([&](const PreviewedFile &file) { return file.path == QFile::encodeName(path); });
    }
    // The window's texts change meanwhile: the run edits as previewed.
    host.with = QStringLiteral("bird");
    EditRun run(host, host, host);
    run.executePreviewed(ticked);

    for (int i = 1; i <= count; ++i)
        QCOMPARE(readFile(files.at(i - 1)), i == 2 ? second : "a dog " + QByteArray::number(i));
    const QList<FileFailure> failures = host.failureReports.last();
    QCOMPARE(failures.size(), failed ? 1 : 0);
    if (failed)
        QCOMPARE(failures.first().reason, FileFailureReason::ChangedSincePreview);
    QVERIFY(run.canUndo());
}

// Rows from the last to the first, a folder's files in its place, each file
// reached twice through folders previewed once; the same order as the run's.
void TestPreview::followsTheRunsOrderAndStops()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("tree/sub")));
    const QStringList inTree = {dir.filePath("tree/b.txt"), dir.filePath("tree/sub/a.txt")};
    for (const QString &path : inTree)
        writeFile(path, "cat\n");
    const QStringList files = writeFiles(dir, {"cat\n", "cat\n"});
    RecordingHost host;
    prepareReplace(host, {files.at(0), dir.filePath("tree"), files.at(1), dir.filePath("tree/sub")});
    host.insideFolders = true;

    PreviewRecorder recorder;
    EditPreview preview(host, host, recorder);
    const RunSummary summary = preview.run();
    QStringList previewed;
    for (const PreviewedFile &file : std::as_const(recorder.files))
        previewed << QString::fromUtf8(file.path);
    QCOMPARE(previewed, (QStringList{inTree.at(1), files.at(1), inTree.at(0), files.at(0)}));
    QCOMPARE(summary.visited, 5);

    EditRun run(host, host, host);
    run.execute();
    QStringList changed;
    for (const UndoJournal::Entry &entry : run.journal().entries())
        changed << QString::fromUtf8(entry.path);
    QCOMPARE(changed, previewed);

    // Stop during the second yield (after the run: nothing would change): the
    // first row's one file visited.
    PreviewRecorder stopped;
    EditPreview stopping(host, host, stopped);
    stopped.onYield = [&](int yield) {
        if (yield == 2)
            stopping.stop();
    };
    const RunSummary part = stopping.run();
    QVERIFY(part.stopped);
    QCOMPARE(part.visited, 1);
    QCOMPARE(stopped.progress, (QStringList{dir.filePath("tree/sub"), inTree.at(1)}));
}

void TestPreview::reviewShowsBeforeAndAfter()
{
    QTemporaryDir dir;
    const QStringList files =
        writeFiles(dir, {"one\na cat\ntwo\n", "a cat", "a cat 3", QByteArray(70000, 'x') + "cat"});
    RecordingHost host;
    prepareReplace(host, files);
    EditRun run(host, host, host);
    run.execute();
    QCOMPARE(run.journal().entries().size(), 4);
    writeFile(files.at(1), "a dog, edited");
    QVERIFY(QFile::remove(files.at(2)));

    QStringList shown;
    for (const UndoJournal::Entry &entry : run.journal().entries()) {
        ShownDiffCollector collector(1000);
        if (auto failure = diffSinceRun(run.journal(), entry, {}, collector)) {
            shown << QStringLiteral("failed %1").arg(int(failure->reason));
            continue;
        }
        for (const ShownDiff::Hunk &hunk : collector.diff().hunks) {
            for (const ShownDiff::Line &line : hunk.lines)
                shown << QLatin1Char(" -+"[int(line.kind)]) + QString::fromUtf8(line.text.right(5));
        }
    }
    // Run order: the last row first. A large old content is held as a file.
    QCOMPARE(shown,
             (QStringList{"-xxcat", "+xxdog", QStringLiteral("failed %1").arg(int(FileFailureReason::NoLongerThere)),
                          QStringLiteral("failed %1").arg(int(FileFailureReason::ChangedSinceRun)), " one", "-a cat",
                          "+a dog", " two"}));
}

QTEST_GUILESS_MAIN(TestPreview)
#include "tst_preview.moc"
