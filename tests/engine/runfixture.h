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

// A run and the host it reports to, made afresh by each test, which sets the
// host's rows, texts and ticks and then drives the run.
struct RunFixture
{
    RunFixture() = default;
    // Lists the rows for a case-sensitive Replace of "cat" by `with`.
    explicit RunFixture(const QStringList &replaceRows, const QString &with = QStringLiteral("dog"))
    {
        prepareReplace(host, replaceRows, with);
    }

    RecordingHost host;
    EditRun run{host, host, host};
};

// Presses Stop from inside the run's yield number `stopYield`.
inline void stopAtYield(RecordingHost &host, EditRun &run, int stopYield)
{
    host.onYield = [&run, stopYield](int yield) {
        if (yield == stopYield)
            run.stop();
    };
}
