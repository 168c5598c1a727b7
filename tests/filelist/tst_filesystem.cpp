#include "filesystem.h"
#include "localeguard.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

class FileSystemTest : public QObject
{
    Q_OBJECT
private slots:
    void pathNames_data();
    void pathNames();
    void kinds_data();
    void kinds();
    void folderSizeMatchesPlainWalk();
    void folderSizeOfNoTree();
    void unreadableSubFolderFails();
    void fileDescription();
    void folderDescription_data();
    void folderDescription();
};

namespace {

constexpr qint64 GiB = qint64(1) << 30;

enum class Kind { File, Folder, LinkToFile, LinkToFolder, DanglingLink, Pipe, Missing };

void writeFile(const QString &path, qint64 length)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    // resize() makes a sparse file: a length of gigabytes costs no disk space.
    QVERIFY(file.resize(length));
}

// A path as the file system takes it.
QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

void makeLink(const QString &target, const QString &link)
{
    QVERIFY(QFile::link(target, link));
}

// The plain way to add up a tree, to check the fast walk against.
qint64 referenceTreeSize(const QString &folder)
{
    namespace fs = std::filesystem;
    qint64 total = 0;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder.toStdString())) {
        if (entry.is_regular_file() && !entry.is_symlink())
            total += qint64(entry.file_size());
    }
    return total;
}

}   // namespace

void FileSystemTest::pathNames_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("fileName");
    QTest::addColumn<QByteArray>("parentFolderName");
    QTest::newRow("file in folder") << QByteArray("/home/ann/notes.txt") << QByteArray("notes.txt")
                                    << QByteArray("/home/ann");
    QTest::newRow("item in root keeps the root")
        << QByteArray("/notes.txt") << QByteArray("notes.txt") << QByteArray("/");
    QTest::newRow("root itself") << QByteArray("/") << QByteArray("") << QByteArray("");
    QTest::newRow("folder with trailing separator")
        << QByteArray("/home/ann/") << QByteArray("ann") << QByteArray("/home");
    QTest::newRow("doubled separator") << QByteArray("/home//ann") << QByteArray("ann") << QByteArray("/home");
    QTest::newRow("doubled separator below root") << QByteArray("//ann") << QByteArray("ann") << QByteArray("/");
    QTest::newRow("spaces and dots") << QByteArray("/a b/.c d.e") << QByteArray(".c d.e") << QByteArray("/a b");
    QTest::newRow("no separator") << QByteArray("notes.txt") << QByteArray("notes.txt") << QByteArray("");
    QTest::newRow("empty") << QByteArray("") << QByteArray("") << QByteArray("");
    QTest::newRow("Latin-1 bytes kept") << QByteArray("/caf\xe9/\xe9t\xe9.txt") << QByteArray("\xe9t\xe9.txt")
                                        << QByteArray("/caf\xe9");
    QTest::newRow("dot dot stays textual")
        << QByteArray("/home/ann/../bob") << QByteArray("bob") << QByteArray("/home/ann/..");
}

void FileSystemTest::pathNames()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, fileName);
    QFETCH(QByteArray, parentFolderName);
    QCOMPARE(FileSystem::GetFileName(path), fileName);
    QCOMPARE(FileSystem::GetParentFolderName(path), parentFolderName);
}

void FileSystemTest::kinds_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("isFile");
    QTest::addColumn<bool>("isFolder");
    QTest::newRow("file") << Kind::File << true << false;
    QTest::newRow("folder") << Kind::Folder << false << true;
    QTest::newRow("link to file") << Kind::LinkToFile << true << false;
    QTest::newRow("link to folder") << Kind::LinkToFolder << false << true;
    QTest::newRow("dangling link") << Kind::DanglingLink << false << false;
    QTest::newRow("pipe") << Kind::Pipe << false << false;
    QTest::newRow("missing") << Kind::Missing << false << false;
}

void FileSystemTest::kinds()
{
    QFETCH(Kind, kind);
    QFETCH(bool, isFile);
    QFETCH(bool, isFolder);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QByteArray item = native(temp.filePath("item"));
    writeFile(temp.filePath("file"), 10);
    QVERIFY(QDir(temp.path()).mkdir("folder"));
    switch (kind) {
    case Kind::File:
        writeFile(temp.filePath("item"), 10);
        break;
    case Kind::Folder:
        QVERIFY(QDir(temp.path()).mkdir("item"));
        break;
    case Kind::LinkToFile:
        makeLink(temp.filePath("file"), temp.filePath("item"));
        break;
    case Kind::LinkToFolder:
        makeLink(temp.filePath("folder"), temp.filePath("item"));
        break;
    case Kind::DanglingLink:
        makeLink(temp.filePath("gone"), temp.filePath("item"));
        break;
    case Kind::Pipe:
        QCOMPARE(::mkfifo(item.constData(), 0600), 0);
        break;
    case Kind::Missing:
        break;
    }
    const LocalFileSystem fileSystem;
    QCOMPARE(fileSystem.FileExists(item), isFile);
    QCOMPARE(fileSystem.FolderExists(item), isFolder);
    QCOMPARE(fileSystem.FileLength(item).has_value(), isFile);
    QCOMPARE(fileSystem.GetFile(item).has_value(), isFile);
    QCOMPARE(fileSystem.GetFolder(item).has_value(), isFolder);
}

void FileSystemTest::folderSizeMatchesPlainWalk()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QDir root(temp.path());
    QVERIFY(root.mkpath("tree/a/b/c"));
    QVERIFY(root.mkpath("tree/empty"));
    QVERIFY(root.mkpath("outside"));
    writeFile(temp.filePath("tree/top.txt"), 1000);
    writeFile(temp.filePath("tree/a/empty.txt"), 0);
    writeFile(temp.filePath("tree/a/b/c/deep.txt"), 48);
    writeFile(temp.filePath("tree/a/b/sparse.bin"), 3 * GiB);
    writeFile(temp.filePath("outside/big.bin"), 5 * GiB);
    // Neither kind of link may count: one would count a file twice, the
    // other the outside folder, and the link back up would never end.
    makeLink(temp.filePath("tree/top.txt"), temp.filePath("tree/a/top-link.txt"));
    makeLink(temp.filePath("outside/big.bin"), temp.filePath("tree/big-link.bin"));
    makeLink(temp.filePath("outside"), temp.filePath("tree/a/outside-link"));
    makeLink(temp.filePath("tree"), temp.filePath("tree/a/b/loop"));
    QCOMPARE(::mkfifo(QFile::encodeName(temp.filePath("tree/pipe")).constData(), 0600), 0);

    const std::optional<qint64> size = LocalFileSystem().FolderSize(native(temp.filePath("tree")));
    QVERIFY(size.has_value());
    QCOMPARE(*size, 1000 + 48 + 3 * GiB);
    QCOMPARE(*size, referenceTreeSize(temp.filePath("tree")));
    // A dropped link to a folder is followed: it is the folder the user meant.
    QCOMPARE(LocalFileSystem().FolderSize(native(temp.filePath("tree/a/outside-link"))), 5 * GiB);
}

// An empty folder adds up to nothing; a missing item or a file has no total.
// (The other calls on a missing item are the "missing" row of kinds.)
void FileSystemTest::folderSizeOfNoTree()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const LocalFileSystem fileSystem;
    QCOMPARE(fileSystem.FolderSize(native(temp.path())), qint64(0));
    writeFile(temp.filePath("file.txt"), 1);
    QVERIFY(!fileSystem.FolderSize(native(temp.filePath("gone"))));
    QVERIFY(!fileSystem.FolderSize(native(temp.filePath("file.txt"))));
}

void FileSystemTest::unreadableSubFolderFails()
{
    if (::geteuid() == 0)
        QSKIP("root reads every folder; the test filelist_filesystem_unprivileged runs this one");
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(QDir(temp.path()).mkpath("tree/locked"));
    writeFile(temp.filePath("tree/locked/inside.txt"), 10);
    writeFile(temp.filePath("tree/beside.txt"), 10);
    const QString locked = temp.filePath("tree/locked");
    QVERIFY(QFile::setPermissions(locked, {}));
    const LocalFileSystem fileSystem;
    const std::optional<qint64> size = fileSystem.FolderSize(native(temp.filePath("tree")));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY2(!size, "a tree with an unreadable folder has no total size");
}

void FileSystemTest::fileDescription()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(QDir(temp.path()).mkdir("sub"));
    const QString path = temp.filePath("sub/notes.txt");
    writeFile(path, 3 * GiB);
    const QDateTime modified(QDate(2020, 2, 29), QTime(13, 14, 15));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        QVERIFY(file.setFileTime(modified.addDays(1), QFileDevice::FileAccessTime));
    }
    // The type description follows the language of the default locale.
    const auto restore = useLocale(UnitedStates);
    const LocalFileSystem fileSystem;
    QCOMPARE(fileSystem.FileLength(native(path)), 3 * GiB);
    const std::optional<FileDescription> file = fileSystem.GetFile(native(temp.filePath("sub/../sub/notes.txt")));
    QVERIFY(file.has_value());
    QCOMPARE(file->parentFolderPath, native(QDir::cleanPath(temp.filePath("sub"))));
    QCOMPARE(file->dateLastModified, modified);
    QCOMPARE(file->dateLastAccessed, modified.addDays(1));
    QCOMPARE(file->type, "plain text document");
}

void FileSystemTest::folderDescription_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("plain") << "folder";
    QTest::newRow("trailing separator") << "folder/";
    QTest::newRow("through dot dot") << "folder/../folder";
}

void FileSystemTest::folderDescription()
{
    QFETCH(QString, relativePath);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QVERIFY(QDir(temp.path()).mkdir("folder"));
    const std::optional<FolderDescription> folder =
        LocalFileSystem().GetFolder(native(temp.path() + '/' + relativePath));
    QVERIFY(folder.has_value());
    QCOMPARE(folder->path, native(QDir::cleanPath(temp.filePath("folder"))));
    QVERIFY(folder->dateLastAccessed.isValid());
    QVERIFY(folder->dateLastModified.isValid());
    QCOMPARE(LocalFileSystem().GetFolder("/")->path, QByteArray("/"));
}

QTEST_GUILESS_MAIN(FileSystemTest)
#include "tst_filesystem.moc"
