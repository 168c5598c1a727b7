#pragma once

#include "bytesink.h"
#include "editrequest.h"
#include "finder.h"

#include <QByteArray>
#include <QByteArrayView>

// The leftmost occurrence of `find` in `content` at or after `from`.
// `find` must not be empty.
Match findNext(QByteArrayView content, QByteArrayView find, CompareMode mode, qsizetype from = 0);

// The Find test: an empty find text is found in any non-empty content.
bool containsFind(QByteArrayView content, QByteArrayView find, CompareMode mode);

// Every non-overlapping occurrence of `find`, leftmost first, replaced by
// `replacement`, which is never searched again. An empty `find` leaves the
// content as it is. The result goes to `out` piece by piece.
void replaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement,
                CompareMode mode, ByteSink &out);

QByteArray replaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement,
                      CompareMode mode);
