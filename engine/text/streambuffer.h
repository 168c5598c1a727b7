#pragma once

#include <QtGlobal>

// How many bytes a file is read, searched and written at a time. Large enough
// that the system calls and the bytes carried from one buffer to the next cost
// nothing measurable, small enough that a run's memory does not depend on the
// size of the files.
constexpr qsizetype kStreamBufferSize = 1 << 20;
