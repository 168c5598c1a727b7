#pragma once

#include "bytesink.h"

#include <QByteArray>
#include <QByteArrayView>

// Tells whether the edited content of a file is byte for byte what the file
// holds, while the file is read and edited a piece at a time, so that a file
// the edit would not change is never written. The produced bytes are compared
// with the file's where they lie in the read buffer. They come a little later
// than the file's (a search holds a few bytes back) or, where a replacement is
// longer than what it replaces, a little earlier; only the side that is ahead
// is kept, and only until the first difference.
class SameBytesCheck : public ByteSink
{
public:
    // The file's next bytes as read, valid until keepUnmatched().
    void read(QByteArrayView fileBytes);
    // The read buffer is about to be reused: keeps the bytes read that no
    // produced byte has been compared with yet.
    void keepUnmatched();
    // The next produced bytes.
    void append(QByteArrayView produced) override;
    // All of the file has been read and all of the edit produced.
    void finish();

    // A byte differs (or the lengths do).
    bool differs() const { return m_differs; }

private:
    // Compares the start of `produced` with the file bytes not yet matched and
    // drops what matched from both.
    void match(QByteArrayView &produced);
    void setDiffers();

    QByteArray m_heldFile;           // file bytes read before the current read, not yet matched
    qsizetype m_heldFileStart = 0;   // where in m_heldFile the unmatched bytes begin
    QByteArrayView m_read;           // the current read, past the bytes matched
    QByteArray m_heldProduced;       // produced bytes ahead of the file's
    bool m_differs = false;
};
