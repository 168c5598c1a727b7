#include "frmabout.h"

#include "appsetup.h"
#include "helplinks.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr QSize kClientSize(271, 83);
constexpr QRect kLabel1Geometry(16, 8, 177, 57);
constexpr QRect kOKGeometry(200, 56, 65, 25);
// 12 pt at 96 dpi, in pixels like the rest of the window.
constexpr int kCreditPixelSize = 16;

}   // namespace

frmAbout::frmAbout()
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , Label1(new QLabel(this))
    , cmdOK(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About "));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClientSize);

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(kLabel1Geometry);
    QFont creditFont = captionFont();
    creditFont.setPixelSize(kCreditPixelSize);
    Label1->setFont(creditFont);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setText(QStringLiteral("Developed by the Orvanta team, %1.").arg(kWebHost));

    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(kOKGeometry);
    cmdOK->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
}

void frmAbout::cmdOK_Click()
{
    hide();
}
