#pragma once

#include "editmodes.h"
#include "editoptions.h"

#include <QList>

class EditInputs;

// What a run reads of the window's ticks, taken as the engine's own terms.

// The ticked items of List1 in list order; items past Replace have no mode
// and are left out.
QList<EditMode> tickedModes(const EditInputs &inputs);

// The reading style the ticked options ask for; Single Line File before
// Enumerate Lines before Remove Indentation.
ReadStyle readStyle(const EditInputs &inputs);
// Case Sensitive ticked: exact; otherwise case-insensitive.
CompareMode compareMode(const EditInputs &inputs);

// The ticks one file is edited by, taken together before it is read: no
// event is handled while a file is edited, so they cannot change in between.
struct FileTicks
{
    ReadStyle style = ReadStyle::WholeFile;
    CompareMode compare = CompareMode::Exact;
    QList<EditMode> modes;

    bool operator==(const FileTicks &other) const = default;
};
FileTicks fileTicks(const EditInputs &inputs);
