#include "CAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "AppIcon.h"
#include "CDialogUnits.h"
#include "QtText.h"
#include "StringTable.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("100"));
    setWindowTitle(ToQString(LoadString(IDS_ABOUT_CAPTION)));
    const CDialogUnits units(font());
    setFixedSize(units.size(235, 55));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("128"));
    icon->setPixmap(AppIcon().pixmap(32, 32));
    icon->setGeometry(QRect(units.x(11), units.y(17), 32, 32));

    auto* version = new QLabel(ToQString(LoadString(IDS_ABOUT_VERSION)), this);
    version->setObjectName(QStringLiteral("version"));
    version->setGeometry(units.rect(40, 10, 119, 8));
    FitStaticText(version);

    auto* second = new QLabel(ToQString(LoadString(IDS_ABOUT_NOTE)), this);
    second->setObjectName(QStringLiteral("note"));
    second->setGeometry(units.rect(40, 25, 130, 8));
    FitStaticText(second);

    auto* ok = new QPushButton(ToQString(LoadString(IDS_BUTTON_OK)), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(units.rect(178, 7, 50, 14));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus();
}
