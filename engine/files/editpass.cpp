#include "editpass.h"

#include "lineend.h"
#include "replacestream.h"
#include "samebytescheck.h"

#include <cerrno>
#include <unistd.h>

namespace {

// Hands each piece read to the check before the edit, which produces from it
// the bytes the check compares with it.
class CheckedRead : public ByteSink
{
public:
    CheckedRead(SameBytesCheck &check, EditStream &edit) : m_check(check), m_edit(edit) {}
    // Whether the file came in one piece of `size` bytes.
    bool cameWhole(qint64 size) const { return m_pieces <= 1 && m_bytes == size; }

    void append(QByteArrayView fileBytes) override
    {
        ++m_pieces;
        m_bytes += fileBytes.size();
        m_check.read(fileBytes);
        m_edit.append(fileBytes);
        m_check.keepUnmatched();
    }

private:
    SameBytesCheck &m_check;
    EditStream &m_edit;
    int m_pieces = 0;
    qint64 m_bytes = 0;
};

// Hands each piece read to the tap, if there is one, then to the edit.
class TappedRead : public ByteSink
{
public:
    TappedRead(ByteSink *tap, ByteSink &edit) : m_tap(tap), m_edit(edit) {}

    void append(QByteArrayView fileBytes) override
    {
        if (m_tap)
            m_tap->append(fileBytes);
        m_edit.append(fileBytes);
    }

private:
    ByteSink *m_tap;
    ByteSink &m_edit;
};

}   // namespace

FileCheck checkFile(int fd, qint64 size, const EditRecipe &recipe, QByteArray &buffer)
{
    // The first mode searches the content for the Find text anyway: a second
    // search is needed only when no mode does (or the Find text is empty).
    const bool modeSearches = recipe.finder && !recipe.modes.isEmpty();
    FindProbe findProbe(recipe.finder, buffer.size());
    SameBytesCheck check;
    EditStream edit(recipe, check, buffer.size(), modeSearches ? nullptr : &findProbe);
    const auto found = [&] { return modeSearches ? edit.findOccurrences() > 0 : findProbe.found(); };
    CheckedRead reading(check, edit);
    FileCheck result;
    result.read = readContent(fd, size, buffer, reading, [&] { return found() && check.differs(); });
    if (result.read.end == ReadOutcome::End::Complete) {
        edit.finish();
        findProbe.finish();
        check.finish();
    }
    result.found = found();
    result.changes = check.differs();
    const bool readAll = result.read.end == ReadOutcome::End::Complete || result.read.end == ReadOutcome::End::Stopped;
    result.inBuffer = readAll && reading.cameWhole(size);
    return result;
}

ReadOutcome produceEdit(int fd, qint64 size, const EditRecipe &recipe, QByteArray &buffer, ByteSink &out, EditTap *tap)
{
    EditStream edit(recipe, out, buffer.size());
    TappedRead reading(tap ? tap->fileBytes : nullptr, edit);
    const ReadOutcome read = readContent(fd, size, buffer, reading);
    if (read.end == ReadOutcome::End::Complete)
        edit.finish();
    if (tap)
        tap->occurrences = edit.findOccurrences();
    return read;
}

ReadOutcome produceEdit(QByteArrayView content, const EditRecipe &recipe, qsizetype bufferSize, ByteSink &out)
{
    EditStream edit(recipe, out, bufferSize);
    edit.append(content);
    edit.finish();
    return {};
}

QByteArray fileLineEnd(int fd, qint64 size, QByteArray &buffer)
{
    qint64 offset = 0;
    bool afterCr = false;   // the last buffer ended in a CR
    while (offset < size) {
        const ssize_t got = ::pread(fd, buffer.data(), size_t(qMin(qint64(buffer.size()), size - offset)), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return QByteArrayLiteral("\r\n");
        const QByteArrayView bytes(buffer.constData(), got);
        if (afterCr)
            return bytes.front() == '\n' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\r");
        if (QByteArray lineEnd = firstLineEnd(bytes, offset + got == size); !lineEnd.isEmpty())
            return lineEnd;
        afterCr = bytes.back() == '\r';
        offset += got;
    }
    return QByteArrayLiteral("\r\n");
}
