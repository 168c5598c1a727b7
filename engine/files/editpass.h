#pragma once

#include "bytesink.h"
#include "editstream.h"
#include "sourcefile.h"

#include <QByteArray>

// What the first read of a file found.
struct FileCheck
{
    ReadOutcome read;
    bool found = false;      // the Find test passed
    bool changes = false;    // the edit would change a byte
    bool inBuffer = false;   // the whole file came in one piece and is still in the buffer
};

// The first read of a file: the Find test on its content and, alongside, the
// edit itself, compared with the file's bytes and written nowhere. It stops
// as soon as the file is known to need rewriting, so a file that does is
// read in full only by the rewrite, and one that does not is read once.
FileCheck checkFile(int fd, qint64 size, const EditRecipe &recipe, QByteArray &buffer);

// What produceEdit() tells besides the edit, for a preview of it.
struct EditTap
{
    ByteSink *fileBytes = nullptr;   // given each piece of the file as read, before the edit is
    qint64 occurrences = 0;          // set to the Find text's (see EditStream::findOccurrences())
};

// The edited content of the file to `out`, read through `buffer`.
ReadOutcome produceEdit(int fd, qint64 size, const EditRecipe &recipe, QByteArray &buffer, ByteSink &out,
                        EditTap *tap = nullptr);
// The same from the file's whole content, which a check left in the buffer.
ReadOutcome produceEdit(QByteArrayView content, const EditRecipe &recipe, qsizetype bufferSize, ByteSink &out);

// The line end of the first `size` bytes of `fd` (see firstLineEnd()), read
// from its start through `buffer` only as far as the first line end. A file
// that cannot be read gives CR LF: reading it for the edit fails the same way
// and says why.
QByteArray fileLineEnd(int fd, qint64 size, QByteArray &buffer);
