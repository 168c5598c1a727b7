#pragma once

#include <QByteArray>

#include <sys/types.h>

// New files of this program's that stand under a name of their own while
// they wait to be put in place (on file systems without unnamed files),
// removed should SIGTERM, SIGINT or SIGHUP end the program: the handler
// removes them, puts the default action back and raises the signal again.
// A kill or a power cut leaves them.

// Installs the handler for each of those signals whose action is the
// default one; one that is ignored or handled otherwise is left alone.
void removeUnfinishedFilesOnSignals();

// Creates a file as createNamedFile() does and notes it, so that the handler
// removes it until it is forgotten; the folder must stay open until then.
// `number` is the number to forget it by, or -1 when the fixed table is full
// and the handler leaves the file.
int createUnfinishedFile(int folder, const QByteArray &prefix, QByteArray &name, int &number, mode_t mode);
// The file noted as `number` is put in place or removed (-1: nothing).
void forgetUnfinishedFile(int number);
