#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// The columns of LVFile, left to right.
enum class FileColumn {
    Name,       // "File"
    Size,       // "Size"
    Location,   // "File Path Location"
    Accessed,   // "Last Accessed"
    Modified,   // "Modified"
    Created,    // "Created"
    Type,       // "Type"
    Spare1,     // empty header, never set
    Spare2,     // empty header, never set
    Count
};

// One row of the file list: the column texts and, as its tag, the dropped
// path in the very bytes the drop delivered, which the edit run opens.
struct FileEntry
{
    std::array<QString, int(FileColumn::Count)> texts;
    QByteArray tag;
};
