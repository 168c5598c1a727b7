// File > Add Files... and Add Folder...: the keyboard's way to list what a
// drop lists.
#include "form1.h"

#include "dropintake.h"
#include "filelistview.h"

#include <QFileDialog>

namespace {

// Only local files can be edited; the desktop's own dialog may offer others.
const QStringList kLocalSchemes{QStringLiteral("file")};

}   // namespace

void Form1::mnuAddFiles_Click()
{
    addChosen(QFileDialog::getOpenFileUrls(this, QStringLiteral("Add Files"), {}, {}, nullptr, {}, kLocalSchemes));
}

void Form1::mnuAddFolder_Click()
{
    const QUrl folder = QFileDialog::getExistingDirectoryUrl(this, QStringLiteral("Add Folder"), {},
                                                             QFileDialog::ShowDirsOnly, kLocalSchemes);
    if (!folder.isEmpty())
        addChosen({folder});
}

// The URLs keep a name's bytes that are not UTF-8, as a drop's do. A
// cancelled dialog chose nothing and lists nothing.
void Form1::addChosen(const QList<QUrl> &chosen)
{
    LVFile->addPaths(localFilePaths(chosen));
}
