#include "messageboxes.h"

#include "appsetup.h"

#include <QMessageBox>

void showInformation(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Information, kApplicationTitle, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

namespace {

bool ask(QWidget *parent, QMessageBox::Icon icon, QMessageBox::StandardButton defaultButton, const QString &text)
{
    QMessageBox box(icon, kApplicationTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec() == QMessageBox::Yes;
}

}   // namespace

bool askYesNo(QWidget *parent, const QString &text)
{
    return ask(parent, QMessageBox::NoIcon, QMessageBox::Yes, text);
}

bool askQuestion(QWidget *parent, const QString &text)
{
    return ask(parent, QMessageBox::Question, QMessageBox::No, text);
}
