#pragma once

// Small helpers for tests that work on real files in a QTemporaryDir.

#include <QByteArray>
#include <QFile>
#include <QString>
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
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status;
}
