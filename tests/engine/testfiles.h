#pragma once

// Small helpers for tests that work on real files in a QTemporaryDir.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// stat() of the path, following links; all zero when there is no such file.
inline struct stat statusOf(const QString &path)
{
    struct stat status
    {
    };
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}

// The user and group "nobody", whose files root's tests make and edit.
constexpr uid_t kNobody = 65534;

// Files file1.txt, file2.txt ... in the folder, holding the contents in order.
inline QStringList writeFiles(const QTemporaryDir &dir, const QList<QByteArray> &contents)
{
    QStringList paths;
    for (qsizetype i = 0; i < contents.size(); ++i) {
        paths.append(dir.filePath(QStringLiteral("file%1.txt").arg(i + 1)));
        writeFile(paths.last(), contents.at(i));
    }
    return paths;
}

// Makes `folder` the temporary folder (TMPDIR) while it lives, so that what
// the program puts there stays within the test's own folder.
class TemporaryFolderAt
{
public:
    explicit TemporaryFolderAt(const QString &folder)
        : m_wasSet(qEnvironmentVariableIsSet("TMPDIR"))
        , m_saved(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(folder));
    }
    ~TemporaryFolderAt() { m_wasSet ? qputenv("TMPDIR", m_saved) : qunsetenv("TMPDIR"); }
    TemporaryFolderAt(const TemporaryFolderAt &) = delete;
    TemporaryFolderAt &operator=(const TemporaryFolderAt &) = delete;

private:
    bool m_wasSet;
    QByteArray m_saved;
};
