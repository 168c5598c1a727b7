#include "foldersentry.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

namespace {

const QString kSettingsKey = QStringLiteral("editFilesInsideFolders");

}   // namespace

QAction *addFoldersEntry(QMenu *menu)
{
    QAction *action = menu->addAction(QStringLiteral("Edit Files Inside Folders"));
    action->setObjectName(QStringLiteral("mnuFolders"));
    action->setCheckable(true);
    action->setChecked(QSettings().value(kSettingsKey, false).toBool());
    // Written at once, not when the window closes: File > Exit ends the
    // program without closing it.
    QObject::connect(action, &QAction::toggled, [](bool ticked) {
        QSettings settings;
        settings.setValue(kSettingsKey, ticked);
    });
    return action;
}
