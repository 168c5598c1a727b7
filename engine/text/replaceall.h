#pragma once

#include "bytesink.h"
#include "editoptions.h"

#include <QByteArray>
#include <QByteArrayView>

// The Find test on whole content: an empty find text is found in any
// non-empty content.
bool containsFind(QByteArrayView content, QByteArrayView find, CompareMode mode);

// Every non-overlapping occurrence of `find`, leftmost first, replaced by
// `replacement`, which is never searched again. An empty `find` leaves the
// content as it is. The result goes to `out` piece by piece.
void replaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement, CompareMode mode,
                ByteSink &out);

QByteArray replaceAll(QByteArrayView content, QByteArrayView find, QByteArrayView replacement, CompareMode mode);
