#pragma once

#include "editstream.h"
#include "runinputs.h"

#include <QByteArray>

class RunTexts;

// How a file is edited by `ticks`: its line end, where it matters (a
// line-wise style, a line break in the texts), read from its first bytes
// through `buffer`.
EditRecipe fileRecipe(int fd, qint64 size, const FileTicks &ticks, RunTexts &texts, QByteArray &buffer);

// The same for a file whose line end is known.
EditRecipe recipeWithLineEnd(const QByteArray &lineEnd, const FileTicks &ticks, RunTexts &texts);
