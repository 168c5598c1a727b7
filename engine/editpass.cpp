#include "editpass.h"

#include "replacestream.h"
#include "samebytescheck.h"

EditStream::EditStream(const EditRecipe &recipe, ByteSink &out, qsizetype bufferSize, ByteSink *contentTap)
    : m_modes(recipe.modes, *recipe.texts, recipe.finder, out, bufferSize), m_content(m_modes, contentTap)
{
    if (recipe.style != ReadStyle::WholeFile)
        m_lineWise.emplace(recipe.style, recipe.lineEnd, m_content, bufferSize);
}

void EditStream::append(QByteArrayView fileBytes)
{
    if (m_lineWise)
        m_lineWise->append(fileBytes);
    else
        m_content.append(fileBytes);
}

void EditStream::finish()
{
    if (m_lineWise)
        m_lineWise->finish();
    m_modes.finish();
}

void EditStream::Content::append(QByteArrayView bytes)
{
    if (m_tap)
        m_tap->append(bytes);
    m_modes.append(bytes);
}

namespace {

// Hands each piece read to the check before the edit, which produces from it
// the bytes the check compares with it.
class CheckedRead : public ByteSink
{
public:
    CheckedRead(SameBytesCheck &check, EditStream &edit) : m_check(check), m_edit(edit) {}

    void append(QByteArrayView fileBytes) override
    {
        m_check.read(fileBytes);
        m_edit.append(fileBytes);
        m_check.keepUnmatched();
    }

private:
    SameBytesCheck &m_check;
    EditStream &m_edit;
};

} // namespace

FileCheck checkFile(int fd, qint64 size, const EditRecipe &recipe, QByteArray &buffer)
{
    // The first mode searches the content for the Find text anyway: a second
    // search is needed only when no mode does (or the Find text is empty).
    const bool modeSearches = recipe.finder && !recipe.modes.isEmpty();
    FindTest findTest(recipe.finder, buffer.size());
    SameBytesCheck check;
    EditStream edit(recipe, check, buffer.size(), modeSearches ? nullptr : &findTest);
    const auto found = [&] { return modeSearches ? edit.findOccurrences() > 0 : findTest.found(); };
    CheckedRead reading(check, edit);
    FileCheck result;
    result.read = readContent(fd, size, buffer, reading, [&] { return found() && check.differs(); });
    if (result.read.end == ReadOutcome::End::Complete) {
        edit.finish();
        findTest.finish();
        check.finish();
    }
    result.found = found();
    result.changes = check.differs();
    return result;
}

ReadOutcome produceEdit(int fd, qint64 size, const EditRecipe &recipe, QByteArray &buffer, ByteSink &out)
{
    EditStream edit(recipe, out, buffer.size());
    const ReadOutcome read = readContent(fd, size, buffer, edit);
    if (read.end == ReadOutcome::End::Complete)
        edit.finish();
    return read;
}
