#pragma once

#include "editstream.h"

#include <QByteArray>

class EditInputs;
class RunTexts;

// How the file open as `fd`, of `size` bytes, is edited by the texts and the
// ticks of `inputs` as they are now; its first bytes are read through
// `buffer` where its line end matters. A run and a preview of it take each
// file's recipe here, so that they edit it alike.
EditRecipe makeRecipe(const EditInputs &inputs, int fd, qint64 size, RunTexts &texts, QByteArray &buffer);
