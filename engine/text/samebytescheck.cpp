#include "samebytescheck.h"

#include "streambuffer.h"

#include <algorithm>
#include <cstring>

namespace {

// Produced bytes that run further ahead of the file's than this (a
// replacement that adds to a long run of occurrences) are taken for a
// change rather than kept: the file is then rewritten, which is never wrong.
constexpr qsizetype kAheadLimit = 4 * kStreamBufferSize;

// Compares the first bytes of both and drops them from both; false at a difference.
bool matchPrefix(QByteArrayView &a, QByteArrayView &b)
{
    // Where the edit passed the bytes read on untouched, both are the very
    // same bytes of the read buffer.
    const qsizetype n = std::min(a.size(), b.size());
    if (n > 0 && a.data() != b.data() && std::memcmp(a.data(), b.data(), size_t(n)) != 0)
        return false;
    a = a.sliced(n);
    b = b.sliced(n);
    return true;
}

}   // namespace

void SameBytesCheck::read(QByteArrayView fileBytes)
{
    if (m_differs)
        return;
    m_read = fileBytes;
    if (m_heldProduced.isEmpty())
        return;
    QByteArrayView ahead(m_heldProduced);
    if (!matchPrefix(ahead, m_read))
        return setDiffers();
    m_heldProduced.remove(0, m_heldProduced.size() - ahead.size());
}

void SameBytesCheck::keepUnmatched()
{
    if (m_differs || m_read.isEmpty())
        return;
    m_heldFile.remove(0, m_heldFileStart);
    m_heldFileStart = 0;
    m_heldFile.append(m_read);
    m_read = {};
}

void SameBytesCheck::append(QByteArrayView produced)
{
    if (m_differs)
        return;
    match(produced);
    if (m_differs || produced.isEmpty())
        return;
    if (m_heldProduced.size() + produced.size() > kAheadLimit)
        return setDiffers();
    m_heldProduced.append(produced);
}

void SameBytesCheck::match(QByteArrayView &produced)
{
    if (!m_heldProduced.isEmpty())
        return;   // the file's bytes are all matched: nothing to compare with
    QByteArrayView held = QByteArrayView(m_heldFile).sliced(m_heldFileStart);
    if (!matchPrefix(produced, held))
        return setDiffers();
    m_heldFileStart = m_heldFile.size() - held.size();
    if (!matchPrefix(produced, m_read))
        setDiffers();
}

void SameBytesCheck::finish()
{
    if (m_heldFileStart < m_heldFile.size() || !m_read.isEmpty() || !m_heldProduced.isEmpty())
        setDiffers();
}

void SameBytesCheck::setDiffers()
{
    m_differs = true;
    m_heldFile.clear();
    m_heldFileStart = 0;
    m_read = {};
    m_heldProduced.clear();
}
