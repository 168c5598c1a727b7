#pragma once

#include <QByteArray>
#include <QByteArrayView>

// A file's line end is the first one it holds: CR LF, LF or a CR alone (a CR
// followed by LF being one line end), or CR LF when it holds none. The
// line-wise styles end the lines they make with it, and a line break in the
// Find or With text stands for it, so that an edit keeps a file's lines as
// they were.

// The line end of the first `size` bytes of `fd`, read from its start through
// `buffer` only as far as the first line end. A file that cannot be read gives
// CR LF: reading it for the edit fails the same way and says why.
QByteArray fileLineEnd(int fd, qint64 size, QByteArray &buffer);
