#include "accessiblefactory.h"

#include "checklist.h"
#include "checklistaccessible.h"
#include "statusline.h"

#include <QAccessible>

namespace {

// Qt asks with each class name of the object in turn, the most derived first.
QAccessibleInterface *windowControlAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(CheckList::staticMetaObject.className()))
        return makeCheckListAccessible(static_cast<CheckList *>(object));
    if (className == QLatin1String(StatusLine::staticMetaObject.className()))
        return makeStatusLineAccessible(static_cast<StatusLine *>(object));
    return nullptr;
}

}   // namespace

void installAccessibleFactory()
{
    QAccessible::installFactory(windowControlAccessible);
}
