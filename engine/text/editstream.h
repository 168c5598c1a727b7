#pragma once

#include "bytesink.h"
#include "editmodes.h"
#include "editoptions.h"
#include "finder.h"
#include "linewisestream.h"

#include <QByteArray>
#include <QList>

#include <optional>

// How one file is edited: read in its reading style, with its own line end,
// searched for the Find text and changed by the ticked modes.
struct EditRecipe
{
    ReadStyle style = ReadStyle::WholeFile;
    QByteArray lineEnd;
    QList<EditMode> modes;
    const EditTexts *texts = nullptr;   // made for lineEnd
    const Finder *finder = nullptr;     // searches texts->find; null when it is empty
};

// A file's bytes in, its edited content out: the content as the reading
// style rebuilds it, then each ticked mode on it. `contentTap`, when given,
// sees the content before the modes change it (the Find test).
class EditStream : public ByteSink
{
public:
    EditStream(const EditRecipe &recipe, ByteSink &out, qsizetype bufferSize, ByteSink *contentTap = nullptr);

    void append(QByteArrayView fileBytes) override;
    // The file is complete.
    void finish();
    // See ModeStream::findOccurrences().
    qint64 findOccurrences() const { return m_modes.findOccurrences(); }

private:
    // The content, passed to the modes and to the tap.
    class Content : public ByteSink
    {
    public:
        Content(ModeStream &modes, ByteSink *tap) : m_modes(modes), m_tap(tap) {}
        void append(QByteArrayView bytes) override;

    private:
        ModeStream &m_modes;
        ByteSink *m_tap;
    };

    ModeStream m_modes;
    Content m_content;
    std::optional<LineWiseStream> m_lineWise;
};
