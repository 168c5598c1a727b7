#include "runresults.h"

void RunSummary::add(FileResult result)
{
    ++visited;
    switch (result.outcome) {
    case FileOutcome::Changed:
        ++changed;
        break;
    case FileOutcome::Failed:
        ++failed;
        failures.append(std::move(*result.failure));
        break;
    case FileOutcome::Skipped:
    case FileOutcome::Unchanged:
        ++unchanged;
        break;
    }
}
