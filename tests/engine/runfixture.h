#pragma once

// What the run's tests share: a run of Replace "cat" by "dog" over files in
// a temporary folder, hosted by a RecordingHost.

#include "editrun.h"
#include "recordinghost.h"
#include "testfiles.h"

#include <QStringList>

// A case-sensitive Replace of "cat" by `with` over the rows.
inline void prepareReplace(RecordingHost &host, const QStringList &rows, const QString &with = QStringLiteral("dog"))
{
    host.rows = rows;
    host.find = QStringLiteral("cat");
    host.with = with;
    host.tickMode(EditMode::Replace);
    host.tickOption(ReadOption::CaseSensitive);
}

// Presses Stop from inside the run's yield number `stopYield`.
inline void stopAtYield(RecordingHost &host, EditRun &run, int stopYield)
{
    host.onYield = [&run, stopYield](int yield) {
        if (yield == stopYield)
            run.stop();
    };
}
