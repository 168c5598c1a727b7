#include "appsetup.h"

#include "accessiblefactory.h"

#include <QApplication>
#include <QIcon>
#include <QStyleFactory>

namespace {

// The window is laid out in pixels, so the font is sized in pixels too: 11 px
// is 8.25 pt at 96 dpi. A point size would follow the X server's dpi setting
// and grow the captions out of their fixed boxes.
constexpr int kFontPixelSize = 11;

}   // namespace

QFont windowFont()
{
    QFont font;
    // Liberation Sans has Arial's metrics, the narrowest common sans-serif on
    // Debian; DejaVu Sans is wider but still fits every caption.
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(kFontPixelSize);
    return font;
}

QFont captionFont()
{
    QFont font = windowFont();
    font.setBold(true);
    return font;
}

void setApplicationIdentity(QCoreApplication &app)
{
    app.setApplicationName(kApplicationTitle);
    app.setOrganizationName(QStringLiteral("Orvanta"));
    app.setApplicationVersion(QStringLiteral("1.01.0002"));
}

void setUpApplication(QApplication &app)
{
    setApplicationIdentity(app);
    // Fusion draws 17 px high buttons and 35 px high text boxes without
    // clipping their contents, whatever the desktop's own style would do.
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    app.setFont(windowFont());

    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/textorum-%1.png").arg(size), QSize(size, size));
    app.setWindowIcon(icon);
    installAccessibleFactory();
}
