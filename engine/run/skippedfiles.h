#pragma once

#include "folderwalk.h"

#include <QByteArray>
#include <QList>

#include <array>

// What a run passed by without editing: the entries of listed folders that
// are not text files to edit, and, when folders are not walked, the folder
// rows. Past the first few names only the counts are kept, so that a tree of
// many binary files costs no memory for their names.
class SkippedFiles
{
public:
    struct Named
    {
        QByteArray path;
        WalkSkip why = WalkSkip::Hidden;
    };

    // Names kept; past this many, only counted.
    static constexpr qsizetype kNamed = 20;

    void addFile(QByteArray path, WalkSkip why);
    void addFolderRow() { ++m_folderRows; }

    qint64 fileCount() const { return m_fileCount; }
    qint64 fileCount(WalkSkip why) const { return m_byReason[size_t(why)]; }
    // The first kNamed files, in the order they were passed by.
    const QList<Named> &named() const { return m_named; }
    qint64 folderRowCount() const { return m_folderRows; }

private:
    std::array<qint64, size_t(WalkSkip::Count)> m_byReason{};
    qint64 m_fileCount = 0;
    QList<Named> m_named;
    qint64 m_folderRows = 0;
};
