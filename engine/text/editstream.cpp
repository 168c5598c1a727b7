#include "editstream.h"

EditStream::EditStream(const EditRecipe &recipe, ByteSink &out, qsizetype bufferSize, ByteSink *contentTap)
    : m_modes(recipe.modes, *recipe.texts, recipe.finder, out, bufferSize)
    , m_content(m_modes, contentTap)
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
