// Execute Ticked Files: the edit run over the files a preview showed.
#include "editrun.h"

#include <QScopeGuard>

void EditRun::executePreviewed(const PreviewedRun &run)
{
    if (isBusy())
        return;
    m_from.setPreviewed(&run);
    const auto windowAgain = qScopeGuard([this] { m_from.setPreviewed(nullptr); });
    execute();
}
