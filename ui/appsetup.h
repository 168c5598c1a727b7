#pragma once

#include <QFont>
#include <QString>

class QApplication;
class QCoreApplication;

// The program's title: the application name and the title of every message box.
inline const QString kApplicationTitle = QStringLiteral("Textorum");

// The application's name, maker and version, which --version prints.
void setApplicationIdentity(QCoreApplication &app);

// Name, style, font, icon and accessibility of the application; the program, its tests and
// the window benchmark all start with this so they see the same window.
void setUpApplication(QApplication &app);

// The window's default font and the bold caption font of the "Find:" and
// "With:" labels.
QFont windowFont();
QFont captionFont();
