#include "faultpoint.h"
#include "runfixture.h"
#include "saferewrite.h"
#include "sourcefile.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Opens the file at `name` as the edit run does and rewrites it with what
// `produce` gives.
std::optional<FileFailure> rewrite(const QByteArray &name, const SafeRewriter::Producer &produce)
{
    SourceFile source;
    FolderCache folders;
    if (!source.openPlain(name, folders)) {
        if (auto failure = source.open(name))
            return failure;
    }
    SafeRewriter rewriter;
    return rewriter.rewrite(source, RewriteSource::target(source.fd(), source.status()), produce).failure;
}

std::optional<FileFailure> rewrite(const QString &path, const QByteArray &content)
{
    return rewrite(QFile::encodeName(path), [&content](Pass, int, qint64, ByteSink &out) {
        out.append(content);
        return ReadOutcome{};
    });
}

// The folder holds exactly these names: no temporary file was left behind.
void verifyFolderHolds(const QString &folder, QStringList names)
{
    QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    entries.sort();
    names.sort();
    QCOMPARE(entries, names);
}

// Runs `work` with the file-size limit (ulimit -f) lowered to `bytes`, then
// puts the old limit back. SIGXFSZ is left as it is: whoever writes past the
// limit must ignore it.
void withFileSizeLimit(rlim_t bytes, const std::function<void()> &work)
{
    struct rlimit saved
    {
    };
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto restore = qScopeGuard([&saved] { ::setrlimit(RLIMIT_FSIZE, &saved); });
    struct rlimit limited = saved;
    limited.rlim_cur = bytes;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    work();
}

}   // namespace

class TestSafeRewrite : public QObject
{
    Q_OBJECT

private slots:
    void replacesContentAndLeavesNoTemporary_data();
    void replacesContentAndLeavesNoTemporary();
    void symbolicLinkStaysALink();
    void hardLinksAllSeeTheNewContent();
    void permissionsAndOwnerKept_data();
    void permissionsAndOwnerKept();
    void readOnlyFileFailsUntouched();
    void fileSizeLimitLeavesOriginalIntact_data();
    void fileSizeLimitLeavesOriginalIntact();
    void failedInPlaceWritePutsOldContentBack();
    void changedWhileWrittenIsLeftAlone_data();
    void changedWhileWrittenIsLeftAlone();
    void nameThatIsNotUtf8();
    void writeFailureCountsAsFailed();
    void fifoIsRefusedWithoutWaiting();
    void killLeavesTheFileWholeOrItsCopyBeside_data();
    void killLeavesTheFileWholeOrItsCopyBeside();
    void linkOnTheWay_data();
    void linkOnTheWay();
    void linkSwappedInAfterTheReadIsNotWrittenThrough_data();
    void linkSwappedInAfterTheReadIsNotWrittenThrough();
    void asUnprivilegedUser();
    void unprivilegedCases();
};

void TestSafeRewrite::replacesContentAndLeavesNoTemporary_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("grows") << QByteArray("short") << QByteArray("much longer\r\n");
    QTest::newRow("shrinks") << QByteArray("much longer text") << QByteArray("x\r\n");
    QTest::newRow("from empty") << QByteArray() << QByteArray("\r\n");
    QTest::newRow("larger than the buffer") << QByteArray(2 << 20, 'a') << QByteArray(3 << 20, 'b');
}

void TestSafeRewrite::replacesContentAndLeavesNoTemporary()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    writeFile(path, before);
    QVERIFY(!rewrite(path, after));
    QCOMPARE(readFile(path), after);
    verifyFolderHolds(dir.path(), {"file.txt"});
}

void TestSafeRewrite::symbolicLinkStaysALink()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("real"));
    const QString target = dir.filePath("real/target.txt");
    const QString link = dir.filePath("link.txt");
    writeFile(target, "old");
    QCOMPARE(::symlink("real/target.txt", QFile::encodeName(link).constData()), 0);   // relative

    QVERIFY(!rewrite(link, "new\r\n"));
    char linkText[64]{};
    QCOMPARE(::readlink(QFile::encodeName(link).constData(), linkText, sizeof linkText - 1), qsizetype(15));
    QCOMPARE(QByteArray(linkText), "real/target.txt");
    QCOMPARE(readFile(target), "new\r\n");
    verifyFolderHolds(dir.filePath("real"), {"target.txt"});
}

void TestSafeRewrite::hardLinksAllSeeTheNewContent()
{
    QTemporaryDir dir;
    const QString first = dir.filePath("first.txt");
    const QString second = dir.filePath("second.txt");
    writeFile(first, "the old content, longer than the new");
    QCOMPARE(::link(QFile::encodeName(first).constData(), QFile::encodeName(second).constData()), 0);
    const ino_t inode = statusOf(first).st_ino;

    QVERIFY(!rewrite(first, "new\r\n"));
    QCOMPARE(readFile(first), "new\r\n");
    QCOMPARE(readFile(second), "new\r\n");
    QCOMPARE(statusOf(second).st_ino, inode);
    QVERIFY(!rewrite(second, "grown to a length beyond the old one\r\n"));
    QCOMPARE(readFile(first), "grown to a length beyond the old one\r\n");
}

void TestSafeRewrite::permissionsAndOwnerKept_data()
{
    QTest::addColumn<uint>("mode");
    QTest::addColumn<bool>("foreignOwner");
    QTest::addColumn<uint>("umask");
    QTest::newRow("0600") << 0600u << false << 022u;
    QTest::newRow("0644") << 0644u << false << 022u;
    QTest::newRow("0755 executable") << 0755u << false << 022u;
    QTest::newRow("0200 write only") << 0200u << false << 022u;
    QTest::newRow("2775 set-group-ID") << 02775u << false << 022u;
    QTest::newRow("0640 owned by nobody") << 0640u << true << 022u;
    // The new file is made with fewer bits than the old one has.
    QTest::newRow("0666, umask 022") << 0666u << false << 022u;
    QTest::newRow("0644, umask 077") << 0644u << false << 077u;
}

void TestSafeRewrite::permissionsAndOwnerKept()
{
    QFETCH(uint, mode);
    QFETCH(bool, foreignOwner);
    QFETCH(uint, umask);
    if (foreignOwner && ::geteuid() != 0)
        QSKIP("only root can give a file to another owner");
    const mode_t savedUmask = ::umask(umask);
    const auto restoreUmask = qScopeGuard([&] { ::umask(savedUmask); });
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    const QByteArray name = QFile::encodeName(path);
    writeFile(path, "old");
    if (foreignOwner)
        QCOMPARE(::chown(name.constData(), kNobody, kNobody), 0);
    QCOMPARE(::chmod(name.constData(), mode), 0);
    const struct stat before = statusOf(path);

    QVERIFY(!rewrite(path, "new\r\n"));
    const struct stat after = statusOf(path);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QVERIFY(::chmod(name.constData(), 0600) == 0);
    QCOMPARE(readFile(path), "new\r\n");
}

// Root could write it, but a file that nobody may write is not made writable.
void TestSafeRewrite::readOnlyFileFailsUntouched()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    writeFile(path, "old");
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    const struct stat before = statusOf(path);

    const auto failure = rewrite(path, "new\r\n");
    QVERIFY(failure);
    QCOMPARE(failure->reason, FileFailureReason::OpenForWriting);
    QCOMPARE(readFile(path), "old");
    QCOMPARE(statusOf(path).st_ino, before.st_ino);
    QCOMPARE(statusOf(path).st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    verifyFolderHolds(dir.path(), {"file.txt"});
}

void TestSafeRewrite::fileSizeLimitLeavesOriginalIntact_data()
{
    QTest::addColumn<bool>("hardLinked");
    QTest::addColumn<int>("oldSize");
    QTest::addColumn<int>("newSize");
    QTest::newRow("grows, replaced by a new file") << false << 40000 << (3 << 20);
    QTest::newRow("grows, written in place") << true << 40000 << (3 << 20);
    QTest::newRow("shrinks, written in place") << true << 300000 << 250000;
}

// The limit lies below the larger of the old and the new length: the new
// file's write fails, and in place nothing is overwritten; a shrinking
// in-place rewrite would otherwise fail part way, the new bytes in front
// of the old tail.
void TestSafeRewrite::fileSizeLimitLeavesOriginalIntact()
{
    QFETCH(bool, hardLinked);
    QFETCH(int, oldSize);
    QFETCH(int, newSize);
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    QByteArray original(oldSize, 'o');
    original[oldSize - 1] = 'e';
    writeFile(path, original);
    if (hardLinked)
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(dir.filePath("other")).constData()), 0);

    // The rewriter alone: ignoring SIGXFSZ is the edit run's part.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const auto restoreHandler = qScopeGuard([oldHandler] { std::signal(SIGXFSZ, oldHandler); });
    std::optional<FileFailure> failure;
    withFileSizeLimit(65536, [&] { failure = rewrite(path, QByteArray(newSize, 'n')); });
    QVERIFY(failure);
    QCOMPARE(failure->reason, FileFailureReason::Write);
    QCOMPARE(readFile(path), original);
    verifyFolderHolds(dir.path(), hardLinked ? QStringList{"file.txt", "other"} : QStringList{"file.txt"});
}

// The new content fails part way, after 200,000 of its bytes overwrote the
// file in place: the old content comes back from the copy, byte for byte.
void TestSafeRewrite::failedInPlaceWritePutsOldContentBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    QByteArray original(300000, 'o');
    original[299999] = 'e';
    writeFile(path, original);
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(dir.filePath("other")).constData()), 0);
    const auto failure = rewrite(QFile::encodeName(path), [](Pass pass, int, qint64, ByteSink &out) {
        out.append(QByteArray(200000, 'n'));
        if (pass == Pass::Measure) {   // the new length, counted before anything is written
            out.append(QByteArray(50000, 'n'));
            return ReadOutcome{};
        }
        return ReadOutcome{ReadOutcome::End::Failed, EIO};
    });
    QVERIFY(failure);
    QCOMPARE(failure->reason, FileFailureReason::Write);
    QCOMPARE(readFile(path), original);
    verifyFolderHolds(dir.path(), {"file.txt", "other"});
}

void TestSafeRewrite::changedWhileWrittenIsLeftAlone_data()
{
    QTest::addColumn<bool>("truncated");
    QTest::newRow("replaced before the rename") << false;
    QTest::newRow("truncated while read") << true;
}

// Another program acts while the new content is made: the new file is
// dropped, the other program's version stays, and nothing is left beside it.
void TestSafeRewrite::changedWhileWrittenIsLeftAlone()
{
    QFETCH(bool, truncated);
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    const QByteArray name = QFile::encodeName(path);
    writeFile(path, QByteArray(5000, 'o'));
    const auto produce = [&](Pass, int source, qint64 size, ByteSink &out) {
        if (truncated) {
            QFile file(path);
            if (file.open(QIODevice::ReadWrite))
                file.resize(1000);
        } else {
            writeFile(dir.filePath("other"), "other");
            ::rename(QFile::encodeName(dir.filePath("other")).constData(), name.constData());
        }
        QByteArray buffer(256, Qt::Uninitialized);
        return readContent(source, size, buffer, out);
    };
    const auto failure = rewrite(name, produce);
    QVERIFY(failure);
    QCOMPARE(failure->reason, FileFailureReason::Changed);
    QCOMPARE(readFile(path), truncated ? QByteArray(1000, 'o') : QByteArray("other"));
    verifyFolderHolds(dir.path(), {"file.txt"});
}

// A name from another system's encoding ("caf" 0xE9) is edited by its bytes.
void TestSafeRewrite::nameThatIsNotUtf8()
{
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xe9.txt";
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    // QTemporaryDir removes files by QString names, which cannot spell this one.
    const auto remove = qScopeGuard([&name] { ::unlink(name.constData()); });
    QVERIFY(fd >= 0 && ::write(fd, "old", 3) == 3 && ::close(fd) == 0);
    QVERIFY(!rewrite(name, [](Pass, int, qint64, ByteSink &out) {
        out.append("new");
        return ReadOutcome{};
    }));
    char bytes[8]{};
    const int check = ::open(name.constData(), O_RDONLY);
    QCOMPARE(::read(check, bytes, sizeof bytes), ssize_t(3));
    ::close(check);
    QCOMPARE(QByteArray(bytes), "new");
}

// A write that fails half way is a failure, not a change.
void TestSafeRewrite::writeFailureCountsAsFailed()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    writeFile(path, "cat");
    RunFixture f;
    f.host.rows = {path};
    f.host.find = QStringLiteral("cat");
    f.host.with = QStringLiteral("doggy");
    f.host.tickMode(EditMode::Replace);
    // The new content "doggy" does not fit in 2 bytes; EditRun ignores SIGXFSZ itself.
    withFileSizeLimit(2, [&f] { f.run.execute(); });
    QCOMPARE(f.host.statusCaption,
             "Done Processing files: 1 | files changed: 0 | files unchanged: 0 | files failed: 1");
    QCOMPARE(f.host.failureReports.size(), 1);
    QCOMPARE(f.host.failureReports.first().first().reason, FileFailureReason::Write);
    QCOMPARE(readFile(path), "cat");
}

void TestSafeRewrite::fifoIsRefusedWithoutWaiting()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("fifo");
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    QVERIFY(!isExistingFile(QFile::encodeName(path)));
    SourceFile source;
    const auto failure = source.open(QFile::encodeName(path));   // would block without O_NONBLOCK
    QVERIFY(failure);
    QCOMPARE(failure->reason, FileFailureReason::ReadFailed);
}

namespace {

FaultPoint s_killAt = FaultPoint::NewFileWritten;

void killAtFault(FaultPoint point)
{
    if (point == s_killAt)
        ::raise(SIGKILL);
}

}   // namespace

void TestSafeRewrite::killLeavesTheFileWholeOrItsCopyBeside_data()
{
    QTest::addColumn<bool>("hardLinked");
    QTest::addColumn<FaultPoint>("killAt");
    QTest::addColumn<QString>("left");   // what the file holds: old, new or mixed
    QTest::newRow("new file written, not named") << false << FaultPoint::NewFileWritten << "old";
    QTest::newRow("new file renamed") << false << FaultPoint::NewFileRenamed << "new";
    QTest::newRow("in place, copy named") << true << FaultPoint::CopyNamed << "old";
    QTest::newRow("in place, first write") << true << FaultPoint::FirstOverwrite << "mixed";
    QTest::newRow("in place, all written") << true << FaultPoint::Overwritten << "new";
}

// A child rewrites the file and is killed at one moment of it: the file is
// old or new, and wherever it may be neither, the old content stands named
// beside it; nothing else is left in the folder.
void TestSafeRewrite::killLeavesTheFileWholeOrItsCopyBeside()
{
    QFETCH(bool, hardLinked);
    QFETCH(FaultPoint, killAt);
    QFETCH(QString, left);
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    const QByteArray oldContent = QByteArray(3 << 20, 'o') + "end";
    const QByteArray newContent = QByteArray(3 << 20, 'n');
    writeFile(path, oldContent);
    QStringList names{"file.txt"};
    if (hardLinked) {
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(dir.filePath("other")).constData()), 0);
        names << "other";
    }

    const pid_t child = ::fork();
    if (child == 0) {
        s_killAt = killAt;
        setFaultHook(killAtFault);
        rewrite(QFile::encodeName(path), [](Pass, int, qint64, ByteSink &out) {
            for (int piece = 0; piece < 3; ++piece)
                out.append(QByteArray(1 << 20, 'n'));
            return ReadOutcome{};
        });
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    const QByteArray content = readFile(path);
    if (left == "old")
        QCOMPARE(content, oldContent);
    else if (left == "new")
        QCOMPARE(content, newContent);
    else
        QVERIFY(content != oldContent && content != newContent);
    QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (hardLinked && killAt != FaultPoint::CopyNamed && left != "old") {
        const QStringList copies = entries.filter(QRegularExpression("^\\.file\\.txt\\.textorum-old-......$"));
        QCOMPARE(copies.size(), 1);
        QCOMPARE(readFile(dir.filePath(copies[0])), oldContent);
        entries.removeOne(copies[0]);
    } else if (killAt == FaultPoint::CopyNamed) {
        QCOMPARE(entries.filter(".textorum-old-").size(), 1);
        entries.removeOne(entries.filter(".textorum-old-")[0]);
    }
    entries.sort();
    QCOMPARE(entries, names);
}

void TestSafeRewrite::linkOnTheWay_data()
{
    QTest::addColumn<uid_t>("linkOwner");
    QTest::addColumn<bool>("ownerMayWriteFolder");
    QTest::addColumn<bool>("followed");
    QTest::newRow("root's link") << uid_t(0) << true << true;
    QTest::newRow("another user's, in a folder of root's") << kNobody << false << true;
    QTest::newRow("another user's, in a folder they may write") << kNobody << true << false;
}

// A link to a folder on the way, and the listed name a link to the file:
// another user's link in a folder that user may write is not followed.
void TestSafeRewrite::linkOnTheWay()
{
    QFETCH(uid_t, linkOwner);
    QFETCH(bool, ownerMayWriteFolder);
    QFETCH(bool, followed);
    if (::geteuid() != 0)
        QSKIP("only root can give a link to another owner");
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("links"));
    QVERIFY(QDir(dir.path()).mkpath("real"));
    const QString target = dir.filePath("real/target.txt");
    writeFile(target, "old");
    const QByteArray links = QFile::encodeName(dir.filePath("links"));
    if (ownerMayWriteFolder)
        QCOMPARE(::chown(links.constData(), kNobody, kNobody), 0);
    for (const QByteArray &name : {QByteArray("/folder"), QByteArray("/file.txt")}) {
        const QByteArray to =
            name == "/folder" ? QFile::encodeName(dir.filePath("real")) : QByteArray("folder/target.txt");
        QCOMPARE(::symlink(to.constData(), (links + name).constData()), 0);
        QCOMPARE(::lchown((links + name).constData(), linkOwner, linkOwner), 0);
    }

    for (const QByteArray &listed : {links + "/folder/target.txt", links + "/file.txt"}) {
        const auto failure = rewrite(listed, [](Pass, int, qint64, ByteSink &out) {
            out.append("new");
            return ReadOutcome{};
        });
        QCOMPARE(readFile(target), followed ? "new" : "old");
        QCOMPARE(bool(failure), !followed);
        if (failure)
            QCOMPARE(failure->reason, FileFailureReason::ForeignLink);
        writeFile(target, "old");
    }
}

void TestSafeRewrite::linkSwappedInAfterTheReadIsNotWrittenThrough_data()
{
    QTest::addColumn<bool>("hardLinked");
    QTest::newRow("replaced by a new file") << false;
    QTest::newRow("written in place") << true;
}

// The file was read; then its name is made a link to another file, as a
// user racing the run would: that file is not written.
void TestSafeRewrite::linkSwappedInAfterTheReadIsNotWrittenThrough()
{
    QFETCH(bool, hardLinked);
    QTemporaryDir dir;
    const QString path = dir.filePath("file.txt");
    const QString secret = dir.filePath("secret.txt");
    const QByteArray name = QFile::encodeName(path);
    writeFile(path, "old");
    writeFile(secret, "secret");
    if (hardLinked)
        QCOMPARE(::link(name.constData(), QFile::encodeName(dir.filePath("other")).constData()), 0);
    SourceFile source;
    QVERIFY(!source.open(name));
    const QByteArray link = QFile::encodeName(dir.filePath("link"));
    QCOMPARE(::symlink("secret.txt", link.constData()), 0);
    QCOMPARE(::rename(link.constData(), name.constData()), 0);

    SafeRewriter rewriter;
    const auto failure = rewriter
                             .rewrite(source, RewriteSource::target(source.fd(), source.status()),
                                      [](Pass, int, qint64, ByteSink &out) {
                                          out.append("new");
                                          return ReadOutcome{};
                                      })
                             .failure;
    QVERIFY(failure);
    QCOMPARE(failure->reason, FileFailureReason::Changed);
    QCOMPARE(readFile(secret), "secret");
    QVERIFY(QFileInfo(path).isSymLink());
}

// Root reads and writes whatever it likes; the cases below need a user whom
// permissions stop. Runs this test program again as "nobody".
void TestSafeRewrite::asUnprivilegedUser()
{
    if (::geteuid() != 0)
        QSKIP("not root: unprivilegedCases runs directly");
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    if (setpriv.isEmpty())
        QSKIP("setpriv (util-linux) is missing: cannot drop root");

    // The build folder may be out of nobody's reach: run a copy from /tmp.
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                  | QFile::ExeOther));
    const QString program = dir.filePath("tst_saferewrite");
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));

    // A file of root's that everyone may write, in a folder everyone may write:
    // nobody cannot give a new file root as owner, so it is written in place.
    QVERIFY(QDir(dir.path()).mkdir("shared"));
    const QString shared = dir.filePath("shared");
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
    const QString foreign = dir.filePath("shared/root.txt");
    writeFile(foreign, "old");
    QCOMPARE(::chmod(QFile::encodeName(foreign).constData(), 0666), 0);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TEXTORUM_FOREIGN_FILE", foreign);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(setpriv, {"--reuid=" + QString::number(kNobody), "--regid=" + QString::number(kNobody),
                          "--clear-groups", program, "unprivilegedCases"});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
    QVERIFY2(output.contains("PASS   : TestSafeRewrite::unprivilegedCases()"), output.constData());

    QCOMPARE(readFile(foreign), "new\r\n");
    QCOMPARE(statusOf(foreign).st_uid, uid_t(0));
    verifyFolderHolds(shared, {"root.txt"});
}

void TestSafeRewrite::unprivilegedCases()
{
    if (::geteuid() == 0)
        QSKIP("run as nobody by asUnprivilegedUser");
    QTemporaryDir dir;

    // An unreadable file fails at the read and stays as it was.
    const QString unreadable = dir.filePath("unreadable.txt");
    writeFile(unreadable, "cat");
    QCOMPARE(::chmod(QFile::encodeName(unreadable).constData(), 0200), 0);
    RunFixture f;
    f.host.rows = {unreadable};
    f.host.find = QStringLiteral("cat");
    f.run.execute();
    QCOMPARE(f.host.statusCaption,
             "Done Processing files: 1 | files changed: 0 | files unchanged: 0 | files failed: 1");
    QCOMPARE(f.host.failureReports.first().first().reason, FileFailureReason::ReadFailed);
    QCOMPARE(::chmod(QFile::encodeName(unreadable).constData(), 0600), 0);
    QCOMPARE(readFile(unreadable), "cat");

    // A writable file in a read-only folder: no temporary file can be made
    // there, so it is written in place.
    QVERIFY(QDir(dir.path()).mkdir("locked"));
    const QString locked = dir.filePath("locked/file.txt");
    writeFile(locked, "old content");
    QCOMPARE(::chmod(QFile::encodeName(dir.filePath("locked")).constData(), 0555), 0);
    const auto unlock = qScopeGuard([&] { ::chmod(QFile::encodeName(dir.filePath("locked")).constData(), 0755); });
    QVERIFY(!rewrite(locked, "new\r\n"));
    QCOMPARE(readFile(locked), "new\r\n");

    // The kernel clears the set-user-ID and set-group-ID bits of a file that
    // is not root's at each write: they are set again after the last, in
    // both ways of rewriting.
    for (const bool hardLinked : {false, true}) {
        const QString program = dir.filePath(hardLinked ? "linked-program" : "program");
        writeFile(program, "old");
        if (hardLinked)
            QCOMPARE(::link(QFile::encodeName(program).constData(), QFile::encodeName(program + "2").constData()), 0);
        QCOMPARE(::chmod(QFile::encodeName(program).constData(), 06755), 0);
        QVERIFY(!rewrite(program, "new\r\n"));
        QCOMPARE(readFile(program), "new\r\n");
        QCOMPARE(statusOf(program).st_mode & 07777, mode_t(06755));
    }

    // A file of another owner, written by permission of its mode.
    const QString foreign = qEnvironmentVariable("TEXTORUM_FOREIGN_FILE");
    if (!foreign.isEmpty())
        QVERIFY(!rewrite(foreign, "new\r\n"));
}

QTEST_GUILESS_MAIN(TestSafeRewrite)
#include "tst_saferewrite.moc"
