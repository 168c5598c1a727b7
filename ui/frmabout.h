#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The About window: a credit and an OK button that hides the window. It is a
// top-level tool window of its own, without an owner; its close box destroys it.
class frmAbout : public QWidget
{
    Q_OBJECT
public:
    frmAbout();

private:
    void cmdOK_Click();

    QLabel *Label1;
    QPushButton *cmdOK;
};
