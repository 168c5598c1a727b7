#pragma once

class QAction;
class QMenu;

// Adds File > Edit Files Inside Folders (mnuFolders) to the menu: a checkable
// entry, unticked at the first start, whose state is kept in the program's
// settings from one start to the next.
QAction *addFoldersEntry(QMenu *menu);
