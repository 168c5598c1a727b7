#pragma once

#include <QString>

class QWidget;

// Modal boxes titled with the application's title, as every box of the program
// is. The text is shown as it is: a path or a typed text is never read as markup.
void showInformation(QWidget *parent, const QString &text);
// Yes and No, Yes the default, no icon; true only for Yes.
bool askYesNo(QWidget *parent, const QString &text);
// Yes and No, No the default, the question icon: for a step that rewrites
// files, which a stray Enter must not start.
bool askQuestion(QWidget *parent, const QString &text);
