#pragma once

#include <QPushButton>

// A push button whose access key presses it at once. QPushButton animates the
// press and clicks 100 ms later; during an edit run that is a hundred more
// files edited after the user pressed Alt+S.
class CommandButton : public QPushButton
{
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    bool event(QEvent *event) override;
};
