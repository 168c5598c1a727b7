#include "commandbutton.h"

#include <QShortcutEvent>

bool CommandButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent *>(event)->isAmbiguous()) {
        click();
        return true;
    }
    return QPushButton::event(event);
}
