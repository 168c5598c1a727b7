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
