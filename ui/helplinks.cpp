#include "helplinks.h"

#include <QCoreApplication>
#include <QDir>

QUrl programWebpageUrl()
{
    return QUrl(QStringLiteral("http://") + kWebHost + QStringLiteral("/textorum/"));
}

QUrl donationUrl()
{
    return QUrl(QStringLiteral("http://") + kWebHost + QStringLiteral("/textorum/donate"));
}

QUrl commentsUrl()
{
    return QUrl(QStringLiteral("mailto:") + kCommentsAddress + QStringLiteral("?subject=comments"));
}

QUrl readmeUrl()
{
    return QUrl::fromLocalFile(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("readme.txt")));
}

QString donationPrompt()
{
    return QStringLiteral("This is a freeware program, eventhough its free, we would appreciate ")
           + QStringLiteral("financial donations to help support our time and efforts to continue to improve "
                            "the program and to develop more time saving and innovative solutions")
           + QStringLiteral("\r\n") + QStringLiteral("Would you like to make a donation?");
}
