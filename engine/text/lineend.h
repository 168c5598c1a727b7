#pragma once

#include <QByteArray>
#include <QByteArrayView>

// A file's line end is the first one it holds: CR LF, LF or a CR alone (a CR
// followed by LF being one line end), or CR LF when it holds none. The
// line-wise styles end the lines they make with it, and a line break in the
// Find or With text stands for it, so that an edit keeps a file's lines as
// they were.

// The first line end in `bytes`, or an empty text when there is none or when
// `bytes` ends in a CR and `atEnd` says more bytes follow, so that CR LF and
// a CR alone cannot be told apart yet.
QByteArray firstLineEnd(QByteArrayView bytes, bool atEnd);
