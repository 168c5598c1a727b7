// Which file systems a rewrite flushes, on real mounts of file system
// images (root only).
#include "durability.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class TestDurability : public QObject
{
    Q_OBJECT

private slots:
    void flushesUnlessTheMountWritesDataFirst_data();
    void flushesUnlessTheMountWritesDataFirst();
};

void TestDurability::flushesUnlessTheMountWritesDataFirst_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("options");
    QTest::addColumn<bool>("renameNeedsFlush");
    QTest::addColumn<bool>("survivesPowerCut");
    QTest::newRow("tmpfs") << "tmpfs"
                           << "" << false << false;
    QTest::newRow("ext4") << "ext4"
                          << "" << false << true;
    QTest::newRow("ext4, data=journal") << "ext4"
                                        << "data=journal" << false << true;
    QTest::newRow("ext4, data=writeback") << "ext4"
                                          << "data=writeback" << true << true;
    QTest::newRow("ext4, noauto_da_alloc") << "ext4"
                                           << "noauto_da_alloc" << true << true;
}

void TestDurability::flushesUnlessTheMountWritesDataFirst()
{
    QFETCH(QString, type);
    QFETCH(QString, options);
    QFETCH(bool, renameNeedsFlush);
    QFETCH(bool, survivesPowerCut);
    if (::geteuid() != 0)
        QSKIP("mounting needs root");
    QTemporaryDir dir;
    const QString point = dir.filePath("mnt");
    QVERIFY(QDir(dir.path()).mkdir("mnt"));
    QString source = type;
    if (type != "tmpfs") {
        const QString mkfs = QStandardPaths::findExecutable("mkfs." + type, {"/usr/sbin", "/sbin"});
        if (mkfs.isEmpty())
            QSKIP("no mkfs for this file system");
        source = dir.filePath("image");
        QFile image(source);
        QVERIFY(image.open(QIODevice::WriteOnly) && image.resize(8 << 20));
        image.close();
        QCOMPARE(QProcess::execute(mkfs, {"-q", "-F", source}), 0);
    }
    QStringList arguments{"-t", type};
    if (type != "tmpfs")
        options = options.isEmpty() ? QStringLiteral("loop") : "loop," + options;
    if (!options.isEmpty())
        arguments << "-o" << options;
    if (QProcess::execute("mount", arguments << source << point) != 0)
        QSKIP("cannot mount here");
    const auto unmount = qScopeGuard([&point] { ::umount2(QFile::encodeName(point).constData(), MNT_DETACH); });
    const int folder = ::open(QFile::encodeName(point).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(folder >= 0);
    const auto close = qScopeGuard([folder] { ::close(folder); });
    Durability durability;
    QCOMPARE(durability.renameNeedsFlush(folder), renameNeedsFlush);
    QCOMPARE(durability.survivesPowerCut(folder), survivesPowerCut);
}

QTEST_GUILESS_MAIN(TestDurability)
#include "tst_durability.moc"
