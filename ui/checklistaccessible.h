#pragma once

class CheckList;
class QAccessibleInterface;

// What assistive tools see of a CheckList: a list of check boxes, each with
// its tick as the checked state and a Toggle action that ticks it as a click
// does. Qt's own view of an item list offers neither: its Toggle
// selects, and this list has no selection.
QAccessibleInterface *makeCheckListAccessible(CheckList *list);
