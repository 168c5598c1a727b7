#pragma once

#include <QString>
#include <QUrl>

// The outside targets of the Help menu. The maker's site and comments address
// sit on a reserved example domain: there is no real site behind them.
inline const QString kWebHost = QStringLiteral("www.orvanta.example");
inline const QString kCommentsAddress = QStringLiteral("comments@orvanta.example");

QUrl programWebpageUrl();
QUrl donationUrl();
QUrl commentsUrl();
// "readme.txt" in the folder of the program file, whether or not it is there.
QUrl readmeUrl();

// The text of the donation prompt.
QString donationPrompt();
