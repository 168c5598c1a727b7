// Edit runs over listed folders: which files below them are edited, in which
// order, what is passed by and why, Stop inside a folder, and the undo.
#include "runfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Root reads every folder: the unreadable one is made only where
// permissions stop the run (CTest runs this program again as nobody).
bool permissionsStop()
{
    return ::geteuid() != 0;
}

// A tree with text files at three depths and everything a walk must pass by.
// Its files, in the byte order of their paths (sub-a.txt comes before sub/,
// as "-" sorts before "/"), and what the Replace of "cat" by "dog" does.
class Tree
{
public:
    struct File
    {
        QString relative;
        QByteArray before;
        QByteArray after;   // after a run that walks the tree
    };

    Tree()
    {
        QDir root(m_dir.path());
        for (const char *folder : {"tree/sub/deep", "tree/.hidden"})
            QVERIFY(root.mkpath(folder));
        for (const QList<File> &files : {visited(), untouchable()})
            for (const File &file : files)
                if (!file.relative.endsWith("link.txt"))
                    writeFile(path(file.relative), file.before);
        QCOMPARE(::mkfifo(name("tree/fifo").constData(), 0600), 0);
        QCOMPARE(::symlink("..", name("tree/sub/up").constData()), 0);
        QCOMPARE(::symlink("a.txt", name("tree/z-link.txt").constData()), 0);
        if (permissionsStop()) {
            QVERIFY(root.mkpath("tree/locked"));
            writeFile(path("tree/locked/f.txt"), "cat f");
            QCOMPARE(::chmod(name("tree/locked").constData(), 0), 0);
        }
    }
    ~Tree() { ::chmod(name("tree/locked").constData(), 0700); }

    // The files a run visits, in order; z-link.txt is a link to a.txt.
    static QList<File> visited()
    {
        return {{"tree/a.txt", "cat a", "dog a"},
                {"tree/sub-a.txt", "a cat", "a dog"},
                {"tree/sub/c.txt", "cat c", "dog c"},
                {"tree/sub/deep/d.txt", "cat d", "dog d"},
                {"tree/sub/plain.txt", "no match", "no match"},
                {"tree/z-link.txt", "cat a", "dog a"}};
    }
    // Files that keep their bytes, whatever the run.
    static QList<File> untouchable()
    {
        const QByteArray binary("cat\0bin", 7);
        const QByteArray utf16("\xFF\xFE"
                               "c\0a\0t\0",
                               8);
        return {
            {"tree/.hidden/e.txt", "cat e", "cat e"}, {"tree/b.bin", binary, binary}, {"tree/utf16.txt", utf16, utf16}};
    }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    QByteArray name(const QString &relative) const { return QFile::encodeName(path(relative)); }

    QByteArrayList contents() const
    {
        QByteArrayList all;
        for (const QList<File> &files : {visited(), untouchable()})
            for (const File &file : files)
                all << readFile(path(file.relative));
        return all;
    }

private:
    QTemporaryDir m_dir;
};

// The Replace of the run's tests, with folders walked.
void prepareFolderReplace(RecordingHost &host, const QStringList &rows)
{
    prepareReplace(host, rows);
    host.insideFolders = true;
}

}   // namespace

class TestFolders : public QObject
{
    Q_OBJECT

private slots:
    void walkEditsTheTextFiles_data();
    void walkEditsTheTextFiles();
    void untickedSkipsFolders();
    void stopInsideFolder();
    void undoPutsEveryFileBack();
};

void TestFolders::walkEditsTheTextFiles_data()
{
    QTest::addColumn<QStringList>("rows");   // relative to the temporary folder
    QTest::addColumn<int>("walks");          // how often the rows reach the tree
    QTest::addColumn<int>("otherVisits");    // file rows besides the tree
    QTest::newRow("folder") << QStringList{"tree"} << 1 << 0;
    QTest::newRow("folder with a slash, listed twice") << QStringList{"tree/", "tree"} << 2 << 0;
    // The rows run last to first: the walk edits a.txt, its row finds it done.
    QTest::newRow("file also inside the folder") << QStringList{"tree/a.txt", "tree"} << 1 << 1;
}

void TestFolders::walkEditsTheTextFiles()
{
    QFETCH(QStringList, rows);
    QFETCH(int, walks);
    QFETCH(int, otherVisits);
    Tree tree;
    RunFixture f;
    QStringList paths;
    for (const QString &row : rows)
        paths << tree.path(row);
    prepareFolderReplace(f.host, paths);
    f.run.execute();

    for (const QList<Tree::File> &files : {Tree::visited(), Tree::untouchable()})
        for (const Tree::File &file : files)
            QCOMPARE(readFile(tree.path(file.relative)), file.after);
    QVERIFY(QFileInfo(tree.path("tree/z-link.txt")).isSymLink());

    // The last row's walk, file by file, under the row's own first line.
    const QString progress = QStringLiteral("Processing file: %1/%1\r\n").arg(rows.size());
    QStringList expectedCaptions{progress + paths.last()};
    for (const Tree::File &file : Tree::visited())
        expectedCaptions << progress + tree.path(file.relative);
    QCOMPARE(f.host.statusCaptions.mid(0, expectedCaptions.size()), expectedCaptions);

    const int failed = permissionsStop() ? walks : 0;
    const int visited = walks * int(Tree::visited().size()) + failed + otherVisits;
    QString summary = QStringLiteral("Done Processing files: %1 | files changed: 4 | files unchanged: %2")
                          .arg(visited)
                          .arg(visited - 4 - failed);
    if (failed)
        summary += QStringLiteral(" | files failed: %1").arg(failed);
    summary += QStringLiteral(" | files skipped: %1").arg(5 * walks);
    QCOMPARE(f.host.statusCaption, summary);

    const SkippedFiles &skipped = f.host.skippedReports.last();
    const QList<std::pair<QString, WalkSkip>> expectedSkips{{"tree/.hidden", WalkSkip::Hidden},
                                                            {"tree/b.bin", WalkSkip::Binary},
                                                            {"tree/fifo", WalkSkip::NotRegularFile},
                                                            {"tree/sub/up", WalkSkip::NotRegularFile},
                                                            {"tree/utf16.txt", WalkSkip::Utf16Text}};
    for (int i = 0; i < expectedSkips.size(); ++i) {
        QCOMPARE(skipped.named().at(i).path, tree.name(expectedSkips[i].first));
        QCOMPARE(skipped.named().at(i).why, expectedSkips[i].second);
    }
    QCOMPARE(skipped.fileCount(WalkSkip::NotRegularFile), 2 * walks);
    if (failed) {
        const FileFailure &failure = f.host.failureReports.last().first();
        QCOMPARE(failure.path, tree.name("tree/locked"));
        QCOMPARE(failure.reason, FileFailureReason::ReadFailed);
        QCOMPARE(failure.error, EACCES);
    }
}

void TestFolders::untickedSkipsFolders()
{
    Tree tree;
    const QByteArrayList before = tree.contents();
    RunFixture f;
    prepareFolderReplace(f.host, {tree.path("tree")});
    f.host.insideFolders = false;
    f.run.execute();

    QCOMPARE(tree.contents(), before);
    QCOMPARE(f.host.statusCaption,
             "Done Processing files: 1 | files changed: 0 | files unchanged: 1 | folders skipped: 1");
    QCOMPARE(f.host.skippedReports.last().folderRowCount(), 1);
    QCOMPARE(f.host.skippedReports.last().fileCount(), 0);
}

// Stop pressed while the second file of the folder is edited: the run ends
// before the third, as it would between two rows.
void TestFolders::stopInsideFolder()
{
    Tree tree;
    RunFixture f;
    prepareFolderReplace(f.host, {tree.path("tree/sub/c.txt"), tree.path("tree")});
    // Yield 1 is the row's, 2 comes before the folder's second file, 3 before its third.
    f.host.onYield = [&f](int yield) {
        if (yield == 3)
            f.run.stop();
    };
    f.run.execute();

    QCOMPARE(readFile(tree.path("tree/a.txt")), "dog a");
    QCOMPARE(readFile(tree.path("tree/sub-a.txt")), "a dog");
    QCOMPARE(readFile(tree.path("tree/sub/c.txt")), "cat c");
    QCOMPARE(readFile(tree.path("tree/sub/deep/d.txt")), "cat d");
    QCOMPARE(f.host.statusCaption, "Processing file: 2/2\r\n" + tree.path("tree/sub-a.txt"));
    QVERIFY(f.host.executeEnabled);
    QVERIFY(!f.host.stopEnabled);
    QVERIFY(!f.host.busy);
    QVERIFY(!f.run.isBusy());
    QCOMPARE(f.host.skippedReports.size(), 1);
}

void TestFolders::undoPutsEveryFileBack()
{
    Tree tree;
    const QByteArrayList before = tree.contents();
    RunFixture f;
    prepareFolderReplace(f.host, {tree.path("tree/a.txt"), tree.path("tree")});
    f.host.answers = {true};
    f.run.execute();
    QVERIFY(tree.contents() != before);
    f.run.undo();

    QCOMPARE(f.host.statusCaption, "Undo done: files put back: 4 | files left as they are: 0");
    QCOMPARE(tree.contents(), before);
    QVERIFY(QFileInfo(tree.path("tree/z-link.txt")).isSymLink());
}

QTEST_GUILESS_MAIN(TestFolders)
#include "tst_folders.moc"
