#pragma once

#include "editrequest.h"

#include <QByteArray>
#include <QByteArrayView>

// Rebuilds a file's content field by field in one of the line-wise styles
// (SingleLineFile, EnumerateLines, RemoveIndentation). Never reads past the
// end of `fileBytes`.
QByteArray readLineWise(QByteArrayView fileBytes, ReadStyle style);
