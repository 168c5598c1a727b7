#pragma once

#include "bytesink.h"
#include "editoptions.h"
#include "finder.h"
#include "streambuffer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

class ReplaceStream;

// The Find and With texts of a run as the bytes they are searched and written
// as (UTF-8, which Qt 6 takes as the local 8-bit encoding on Linux whatever
// the locale), made once when the run starts, with the
// searches for the Find text that the run prepares as it needs them.
struct EditTexts
{
    QByteArray find;
    QByteArray with;
    QByteArray reversedFind;   // prcReverseString(sFind), as bytes
    PreparedFind search;
};

// The items of List1, the mode list, in EditMode order.
const QStringList &editModeNames();

// The texts for a file whose line end is `lineEnd`: each CR LF of sFind and
// sWith (a line break typed in the box) becomes that line end.
EditTexts makeEditTexts(const QString &sFind, const QString &sWith, QByteArrayView lineEnd = "\r\n");

// The texts of a run, made once for each line end the run meets.
class RunTexts
{
public:
    RunTexts(const QString &sFind, const QString &sWith);

    // Whether the texts hold a line break, so that a file's line end matters.
    bool dependOnLineEnd() const { return m_hasLineBreak; }
    EditTexts &forLineEnd(const QByteArray &lineEnd);

private:
    QString m_find;
    QString m_with;
    bool m_hasLineBreak;
    std::map<QByteArray, EditTexts> m_made;   // by line end; one entry when none matters
};

// The characters of `thisString` in reverse order; a surrogate pair stays a pair.
QString prcReverseString(const QString &thisString);

// What every occurrence of the Find text becomes under `mode`.
QByteArray replacementFor(EditMode mode, const EditTexts &texts);

// The ticked modes applied one after the other, each on the result of the one
// before, to content that arrives piece by piece; the final content goes to
// `out`. Each mode is a ReplaceStream feeding the next, so no stage holds more
// than a buffer.
class ModeStream : public ByteSink
{
public:
    // `finder` searches for texts.find (see ReplaceStream).
    ModeStream(const QList<EditMode> &modes, const EditTexts &texts, const Finder *finder, ByteSink &out,
               qsizetype bufferSize = kStreamBufferSize);
    ~ModeStream() override;

    void append(QByteArrayView bytes) override;
    // The content is complete: every mode passes on what it still holds.
    void finish();
    // The occurrences of the Find text found in the content so far (by the
    // first mode, which searches the content as it arrives); 0 when no
    // mode is ticked.
    qint64 findOccurrences() const;

private:
    ByteSink &m_out;
    std::vector<std::unique_ptr<ReplaceStream>> m_stages;   // in list order
};

// Applies the ticked modes to whole content (see ModeStream).
void applyModes(QByteArrayView content, const QList<EditMode> &modes, const EditTexts &texts, CompareMode compare,
                ByteSink &out);
