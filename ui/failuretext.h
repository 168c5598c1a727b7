#pragma once

#include "filefailure.h"

#include <QList>
#include <QString>

// The words for why a file could not be edited, and the list of failed files
// shown as the status line's tooltip, as rich text (empty when nothing failed).
QString failureReasonText(FileFailureReason reason);
QString failureToolTip(const QList<FileFailure> &failures);
