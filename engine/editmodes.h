#pragma once

#include "bytesink.h"
#include "editrequest.h"

#include <QByteArray>
#include <QList>
#include <QString>

class EditHost;

// The Find and With texts of a run as the bytes they are searched and written
// as (the system's 8-bit encoding), made once when the run starts.
struct EditTexts
{
    QByteArray find;
    QByteArray with;
    QByteArray reversedFind;   // prcReverseString(sFind), as bytes
};

EditTexts makeEditTexts(const QString &sFind, const QString &sWith);

// The characters of `thisString` in reverse order; a surrogate pair stays a pair.
QString prcReverseString(const QString &thisString);

// What every occurrence of the Find text becomes under `mode`.
QByteArray replacementFor(EditMode mode, const EditTexts &texts);

// The mode pass: shows "Performing: " and each List1 item's text in Label3,
// notes the ticked items in list order, then shows "...". Returns the ticked
// modes; items past Replace have no mode and are left out.
QList<EditMode> modePass(EditHost &host);

// Applies the ticked modes one after the other, each on the result of the one
// before, and sends the final content to `out`.
void applyModes(QByteArrayView content, const QList<EditMode> &modes, const EditTexts &texts,
                CompareMode compare, ByteSink &out);
