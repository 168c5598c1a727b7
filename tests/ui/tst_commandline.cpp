// The program's command line: which arguments end it at once with which
// status, and which paths it lists, as their exact bytes and made absolute.
#include "appsetup.h"
#include "commandline.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void arguments_data();
    void arguments();

private:
    QTemporaryDir m_folder;
};

void TestCommandLine::initTestCase()
{
    setApplicationIdentity(*QCoreApplication::instance());
    QVERIFY(m_folder.isValid());
    // Relative paths are read against the current folder: one of the test's own.
    QVERIFY(QDir::setCurrent(m_folder.path()));
}

void TestCommandLine::arguments_data()
{
    QTest::addColumn<QList<QByteArray>>("arguments");
    QTest::addColumn<int>("exitCode");              // -1: the window opens
    QTest::addColumn<QList<QByteArray>>("paths");   // "./" stands for the current folder
    QTest::newRow("no argument") << QList<QByteArray>{} << -1 << QList<QByteArray>{};
    QTest::newRow("absolute and relative, in order")
        << QList<QByteArray>{"/a/b.txt", "sub/c.txt", "d"} << -1 << QList<QByteArray>{"/a/b.txt", "./sub/c.txt", "./d"};
    QTest::newRow("invalid UTF-8 kept as bytes") << QList<QByteArray>{"/x/caf\xe9.txt", "\xff\xfe", "\xff\xfd"} << -1
                                                 << QList<QByteArray>{"/x/caf\xe9.txt", "./\xff\xfe", "./\xff\xfd"};
    QTest::newRow("after --, an option's name is a path")
        << QList<QByteArray>{"--", "--version", "-h"} << -1 << QList<QByteArray>{"./--version", "./-h"};
    QTest::newRow("--help") << QList<QByteArray>{"--help", "a.txt"} << 0 << QList<QByteArray>{};
    QTest::newRow("--version") << QList<QByteArray>{"a.txt", "--version"} << 0 << QList<QByteArray>{};
    QTest::newRow("unknown option") << QList<QByteArray>{"a.txt", "--bogus"} << 2 << QList<QByteArray>{};
    QTest::newRow("unknown option in invalid UTF-8") << QList<QByteArray>{"-\xff"} << 2 << QList<QByteArray>{};
}

void TestCommandLine::arguments()
{
    QFETCH(QList<QByteArray>, arguments);
    QFETCH(int, exitCode);
    QFETCH(QList<QByteArray>, paths);
    QByteArray program("textorum");
    std::vector<char *> argv{program.data()};
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());

    const CommandLine commandLine = readCommandLine(int(argv.size()), argv.data());

    QCOMPARE(commandLine.exitCode.value_or(-1), exitCode);
    const QByteArray folder = QFile::encodeName(QDir::currentPath()) + '/';
    for (QByteArray &path : paths)
        if (path.startsWith("./"))
            path.replace(0, 2, folder);
    QCOMPARE(commandLine.paths, paths);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
