// The undo of an edit run, on real files: what it puts back, what it leaves,
// and that nothing of its own is left anywhere.
#include "runfixture.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the undo must put back of a file.
struct FileState
{
    QByteArray bytes;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;

    static FileState of(const QString &path)
    {
        const struct stat status = statusOf(path);
        return {readFile(path), status.st_mode, status.st_uid, status.st_gid};
    }
    bool operator==(const FileState &) const = default;
};

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

// Files file1.txt to file<count>.txt, "a cat <number>" and `padding` bytes
// after it: small old contents are kept in memory, large ones held on disk.
QStringList writeNumberedFiles(const QTemporaryDir &dir, int count, qsizetype padding = 0)
{
    QList<QByteArray> contents;
    for (int i = 1; i <= count; ++i)
        contents.append("a cat " + QByteArray::number(i) + QByteArray(padding, '.'));
    return writeFiles(dir, contents);
}

// A file system of 140 pages (tmpfs) in a temporary folder, for as long as
// it lives, where files of 25 pages that start with "cat" are written.
class SmallFileSystem
{
public:
    SmallFileSystem()
        : m_folder(QFile::encodeName(m_dir.filePath("small")))
        , m_mounted(QDir(m_dir.path()).mkdir("small")
                    && ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=560k") == 0)
    {}
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }

    bool isMounted() const { return m_mounted; }
    QString path(const QString &name) const { return m_dir.filePath("small/" + name); }
    QStringList writeFiles(int count) const
    {
        QStringList files;
        for (int i = 1; i <= count; ++i) {
            files << path(QStringLiteral("file%1.txt").arg(i));
            writeFile(files.last(), "cat" + QByteArray(100 * 1024 - 3, 'x'));
        }
        return files;
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_folder;
    bool m_mounted;
};

constexpr qsizetype kHeldOnDisk = 70 * 1024;

QString question(int count)
{
    return QStringLiteral("Put back the %1 files that the last edit run changed, as they were before it?").arg(count);
}

}   // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private slots:
    void runThenUndoPutsEverythingBack();
    void fileChangedSinceTheRunIsLeft_data();
    void fileChangedSinceTheRunIsLeft();
    void stopDuringUndoThenUndoTheRest();
    void onlyTheLastRunIsUndone();
    void descriptorsRunningOutNeverFailTheRun();
    void fullDiskNeverFailsTheRun();
    void fullDiskKeepsTheOldContentForAnotherUndo();
    void sparseFileStaysSparse();
};

// Many files, one listed twice, a link, two names of one hard-linked file,
// other owners and modes: every byte, mode and owner comes back, the
// hard-linked file keeps its inode, and no file or descriptor is left over.
void TestUndo::runThenUndoPutsEverythingBack()
{
    QTemporaryDir dir;
    // A copy that cannot be made beside its file goes to the temporary folder.
    QVERIFY(QDir(dir.path()).mkdir("tmp"));
    const TemporaryFolderAt tmp(dir.filePath("tmp"));

    QStringList files = writeNumberedFiles(dir, 30);
    QCOMPARE(::chmod(QFile::encodeName(files[0]).constData(), 04751), 0);
    QCOMPARE(::chown(QFile::encodeName(files[1]).constData(), kNobody, kNobody), 0);
    QCOMPARE(::chmod(QFile::encodeName(files[2]).constData(), 0600), 0);
    const QString linked = dir.filePath("linked.txt");
    const QString secondName = dir.filePath("second-name.txt");
    writeFile(linked, "cat\r\ncat" + QByteArray(kHeldOnDisk, '.'));
    writeFile(files[3], "a cat 4" + QByteArray(kHeldOnDisk, '.'));
    QVERIFY(QFile::link(files[3], dir.filePath("link.txt")));
    QCOMPARE(::link(QFile::encodeName(linked).constData(), QFile::encodeName(secondName).constData()), 0);
    files << linked;
    const QStringList names = entriesOf(dir.path());
    QMap<QString, FileState> before;
    for (const QString &name : names)
        before.insert(name, FileState::of(dir.filePath(name)));
    const ino_t linkedInode = statusOf(linked).st_ino;
    const int descriptors = openDescriptors();

    {
        // "cats" still holds the Find text: a file listed twice is changed twice.
        RunFixture f(files, QStringLiteral("cats"));
        f.host.rows << files[5] << dir.filePath("link.txt") << secondName;
        f.host.answers = {true};
        f.run.execute();
        QCOMPARE(f.host.statusCaption, "Done Processing files: 34 | files changed: 34 | files unchanged: 0");
        QVERIFY(f.host.undoEnabled);
        QCOMPARE(readFile(files[5]), "a catss 6");

        f.run.undo();
        QCOMPARE(f.host.questions.join(""), question(31));
        QCOMPARE(f.host.statusCaption, "Undo done: files put back: 31 | files left as they are: 0");
        QCOMPARE(f.host.leftReports.size(), 1);
        QVERIFY(f.host.leftReports[0].isEmpty());
        QVERIFY(!f.host.undoEnabled);
        QVERIFY(f.host.executeEnabled);
        QVERIFY(!f.host.stopEnabled);
        QVERIFY(!f.host.busy);
        for (const QString &name : names)
            QVERIFY2(FileState::of(dir.filePath(name)) == before.value(name), qPrintable(name));
        QVERIFY(QFileInfo(dir.filePath("link.txt")).isSymLink());
        QCOMPARE(statusOf(linked).st_ino, linkedInode);
        QCOMPARE(statusOf(linked).st_nlink, nlink_t(2));
        QCOMPARE(openDescriptors(), descriptors);
    }
    QCOMPARE(entriesOf(dir.path()), names);
    QCOMPARE(entriesOf(dir.filePath("tmp")), QStringList());
}

void TestUndo::fileChangedSinceTheRunIsLeft_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<FileFailureReason>("reason");
    QTest::newRow("appended to") << "append" << FileFailureReason::ChangedSinceRun;
    QTest::newRow("replaced by the same bytes") << "replace" << FileFailureReason::ChangedSinceRun;
    QTest::newRow("deleted") << "delete" << FileFailureReason::NoLongerThere;
    QTest::newRow("same bytes written again") << "rewrite" << FileFailureReason::ChangedSinceRun;
    QTest::newRow("other bytes, same size and time") << "keep time" << FileFailureReason::ChangedSinceRun;
    QTest::newRow("permissions changed") << "chmod" << FileFailureReason::ChangedSinceRun;
}

void TestUndo::fileChangedSinceTheRunIsLeft()
{
    QFETCH(QString, change);
    QFETCH(FileFailureReason, reason);
    QTemporaryDir dir;
    const QStringList files = writeNumberedFiles(dir, 2);
    RunFixture f(files);
    f.host.answers = {true};
    f.run.execute();

    const QString changed = files[1];
    const QByteArray edited = readFile(changed);
    if (change == "append") {
        QFile file(changed);
        QVERIFY(file.open(QIODevice::Append));
        file.write("mine");
    } else if (change == "replace") {
        writeFile(changed + ".new", edited);
        QVERIFY(::rename(QFile::encodeName(changed + ".new").constData(), QFile::encodeName(changed).constData()) == 0);
    } else if (change == "delete") {
        QVERIFY(QFile::remove(changed));
    } else if (change == "keep time") {
        // As cp -p or rsync -t would leave it.
        const struct stat afterRun = statusOf(changed);
        writeFile(changed, QByteArray(edited).replace("dog", "DOG"));
        const timespec times[2] = {afterRun.st_atim, afterRun.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(changed).constData(), times, 0), 0);
    } else if (change == "chmod") {
        QCOMPARE(::chmod(QFile::encodeName(changed).constData(), 0600), 0);
    } else {
        QTest::qWait(20);   // a later modification time than the run's
        writeFile(changed, edited);
    }
    const QByteArray theirs = change == "append"      ? edited + "mine"
                              : change == "keep time" ? QByteArray(edited).replace("dog", "DOG")
                                                      : edited;
    f.run.undo();

    QCOMPARE(f.host.statusCaption, "Undo done: files put back: 1 | files left as they are: 1");
    QCOMPARE(readFile(files[0]), "a cat 1");
    QCOMPARE(f.host.leftReports.size(), 1);
    QCOMPARE(f.host.leftReports[0].size(), 1);
    QCOMPARE(f.host.leftReports[0][0].path, QFile::encodeName(changed));
    QCOMPARE(f.host.leftReports[0][0].reason, reason);
    if (change == "delete")
        QVERIFY(!QFile::exists(changed));
    else
        QCOMPARE(readFile(changed), theirs);
    QCOMPARE(entriesOf(dir.path()), (QStringList{"file1.txt", "file2.txt"}).mid(0, change == "delete" ? 1 : 2));
}

// Stop between two files: those not reached stay as the run left them, and a
// second undo puts back exactly those.
void TestUndo::stopDuringUndoThenUndoTheRest()
{
    QTemporaryDir dir;
    const QStringList files = writeNumberedFiles(dir, 5);
    RunFixture f(files);
    f.host.answers = {true, true};
    f.run.execute();
    // The run changed file5 first and file1 last, so the undo starts at file1.
    f.host.onYield = [&f, start = f.host.yields](int yield) {
        if (yield == start + 3)
            f.run.stop();
    };
    f.run.undo();

    for (int i = 1; i <= 5; ++i)
        QCOMPARE(readFile(files[i - 1]), i <= 2 ? "a cat " + QByteArray::number(i) : "a dog " + QByteArray::number(i));
    QCOMPARE(f.host.statusCaption, "Putting back file: 4/5\r\n" + files[1]);
    QVERIFY(f.host.undoEnabled);
    QVERIFY(f.host.executeEnabled);
    QVERIFY(!f.host.busy);
    QCOMPARE(f.host.leftReports.size(), 1);

    f.host.onYield = {};
    f.run.undo();
    QCOMPARE(f.host.questions.last(), question(3));
    QCOMPARE(f.host.statusCaption, "Undo done: files put back: 3 | files left as they are: 0");
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(readFile(files[i - 1]), "a cat " + QByteArray::number(i));
    QVERIFY(!f.host.undoEnabled);
}

// A run that changes nothing keeps the undo, and so does Clear; a run that
// changes a file replaces it.
void TestUndo::onlyTheLastRunIsUndone()
{
    QTemporaryDir dir;
    const QStringList files = writeNumberedFiles(dir, 2);
    const int descriptors = openDescriptors();
    {
        RunFixture f({files[0]});
        f.host.answers = {true, true};
        QVERIFY(!f.run.canUndo());
        f.run.execute();
        f.run.clear();
        QVERIFY(f.host.rows.isEmpty());
        QVERIFY(f.host.undoEnabled);
        QVERIFY(f.run.canUndo());

        f.host.rows = {files[0]};
        f.run.execute();   // "cat" is no longer there
        QCOMPARE(f.host.statusCaption, "Done Processing files: 1 | files changed: 0 | files unchanged: 1");
        QVERIFY(f.host.undoEnabled);
        QVERIFY(f.run.canUndo());

        f.host.rows = {files[1]};
        f.run.execute();
        QVERIFY(f.run.canUndo());
        f.run.undo();
        QCOMPARE(readFile(files[0]), "a dog 1");
        QCOMPARE(readFile(files[1]), "a cat 2");
        QVERIFY(!f.run.canUndo());
    }
    // Nothing held is left over.
    QCOMPARE(openDescriptors(), descriptors);
    QCOMPARE(entriesOf(dir.path()), (QStringList{"file1.txt", "file2.txt"}));
}

// With few descriptors to spare the run still edits every file; those whose
// old content could not be held are counted in the question and named.
void TestUndo::descriptorsRunningOutNeverFailTheRun()
{
    QTemporaryDir dir;
    const QStringList files = writeNumberedFiles(dir, 300, kHeldOnDisk);
    RunFixture f(files);
    f.host.answers = {true};
    struct rlimit saved
    {
    };
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const auto restore = qScopeGuard([&saved] { ::setrlimit(RLIMIT_NOFILE, &saved); });
    struct rlimit few = saved;
    few.rlim_cur = 512;
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &few), 0);

    f.run.execute();
    QCOMPARE(f.host.statusCaption, "Done Processing files: 300 | files changed: 300 | files unchanged: 0");
    f.run.undo();
    const QString asked = f.host.questions.join("");
    QVERIFY2(asked.endsWith(" changed files cannot be put back."), qPrintable(asked));
    QCOMPARE(f.host.leftReports.size(), 1);
    const QList<FileFailure> left = f.host.leftReports[0];
    QVERIFY(!left.isEmpty());
    QCOMPARE(f.host.statusCaption, QStringLiteral("Undo done: files put back: %1 | files left as they are: %2")
                                       .arg(300 - left.size())
                                       .arg(left.size()));
    QVERIFY(asked.contains(QStringLiteral("the %1 files").arg(300 - left.size())));
    int putBack = 0;
    for (int i = 1; i <= 300; ++i)
        putBack += readFile(files[i - 1]) == "a cat " + QByteArray::number(i) + QByteArray(kHeldOnDisk, '.');
    QCOMPARE(putBack, 300 - left.size());
    for (const FileFailure &file : left)
        QCOMPARE(file.reason, FileFailureReason::NotKept);
}

// On a small file system that the held old contents would fill, they give
// their space up and every file is still edited.
void TestUndo::fullDiskNeverFailsTheRun()
{
    const SmallFileSystem small;
    if (!small.isMounted())
        QSKIP("cannot mount a small file system here (needs root)");
    // 140 pages: the four files take 100, a new version of one 26 more.
    const QStringList files = small.writeFiles(4);
    RunFixture f(files);
    f.host.answers = {true};
    f.run.execute();

    QCOMPARE(f.host.statusCaption, "Done Processing files: 4 | files changed: 4 | files unchanged: 0");
    for (const QString &file : files)
        QVERIFY(readFile(file).startsWith("dog"));
    f.run.undo();
    QCOMPARE(f.host.questions.join(""), question(1) + "\n3 changed files cannot be put back.");
}

// An undo that finds the disk full leaves the files as they are, but keeps
// their old contents: once space is free, another undo puts them back.
void TestUndo::fullDiskKeepsTheOldContentForAnotherUndo()
{
    const SmallFileSystem small;
    if (!small.isMounted())
        QSKIP("cannot mount a small file system here (needs root)");
    const QStringList files = small.writeFiles(2);
    RunFixture f(files);
    f.host.answers = {true, true};
    f.run.execute();
    QCOMPARE(f.host.statusCaption, "Done Processing files: 2 | files changed: 2 | files unchanged: 0");
    {
        QFile filler(small.path("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {
        }
    }
    f.run.undo();
    QCOMPARE(f.host.statusCaption, "Undo done: files put back: 0 | files left as they are: 2");
    QVERIFY(f.run.canUndo());

    QVERIFY(QFile::remove(small.path("filler")));
    f.run.undo();
    QCOMPARE(f.host.questions.last(), question(2));
    QCOMPARE(f.host.statusCaption, "Undo done: files put back: 2 | files left as they are: 0");
    for (const QString &file : files)
        QCOMPARE(readFile(file), "cat" + QByteArray(100 * 1024 - 3, 'x'));
    QVERIFY(!f.run.canUndo());
}

// A file that is mostly a hole takes no more disk after a run and its undo.
void TestUndo::sparseFileStaysSparse()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sparse.txt");
    constexpr qint64 kHole = 32 << 20;
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.seek(kHole));
        file.write("a cat");
    }
    if (statusOf(path).st_blocks * 512 >= kHole)
        QSKIP("this file system keeps no holes");
    RunFixture f({path});
    f.host.answers = {true};
    f.run.execute();
    QVERIFY(statusOf(path).st_size > kHole);
    QVERIFY(statusOf(path).st_blocks * 512 < (1 << 20));
    f.run.undo();
    QCOMPARE(f.host.statusCaption, "Undo done: files put back: 1 | files left as they are: 0");
    QCOMPARE(statusOf(path).st_size, kHole + 5);
    QVERIFY(statusOf(path).st_blocks * 512 < (1 << 20));
    QCOMPARE(readFile(path), QByteArray(kHole, '\0') + "a cat");
}

QTEST_GUILESS_MAIN(TestUndo)
#include "tst_undo.moc"
