#include "CConfigDlg.h"

#include <limits>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "CDialogUnits.h"
#include "CRegistry.h"
#include "MessageSink.h"
#include "QtText.h"
#include "StringTable.h"

namespace {

QLineEdit* makeEdit(QWidget* parent, const char* id, const QRect& geometry)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(id));
    edit->setGeometry(geometry);
    // No length limit: the stored values are as long as the user types them.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QLabel* makeLabel(QWidget* parent, const char* id, StringId text, const QRect& geometry)
{
    auto* label = new QLabel(ToQString(LoadString(text)), parent);
    label->setObjectName(QString::fromLatin1(id));
    label->setGeometry(geometry);
    FitStaticText(label);
    return label;
}

} // namespace

CConfigDlg::CConfigDlg(IMessageSink& sink, QWidget* parent)
    // A caption and a frame, no system menu and so no close box; it stays
    // above the other windows while it is open.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowStaysOnTopHint)
    , m_sink(sink)
{
    std::string host, user, password;
    if (CRegistry().ReadSettings(host, user, password)) {
        m_strHost = host;
        m_strPassword = password;
        m_strUser = user;
    }

    setObjectName(QStringLiteral("139"));
    setWindowTitle(ToQString(LoadString(IDS_CONFIG_CAPTION)));
    setModal(true);
    setWindowModality(Qt::ApplicationModal);
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    const CDialogUnits units(dialogFont);
    setFixedSize(units.size(239, 102));

    // Created in tab order: OK first, so the dialog opens with the focus on OK.
    auto* ok = new QPushButton(ToQString(LoadString(IDS_BUTTON_OK)), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(units.rect(179, 65, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(ToQString(LoadString(IDS_BUTTON_CANCEL)), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(units.rect(179, 81, 50, 14));
    makeLabel(this, "1027", IDS_CONFIG_HOST, units.rect(14, 23, 49, 8));
    m_host = makeEdit(this, "1024", units.rect(65, 20, 91, 14));
    makeLabel(this, "1028", IDS_CONFIG_USER, units.rect(13, 47, 35, 8));
    m_user = makeEdit(this, "1025", units.rect(65, 42, 91, 14));
    makeLabel(this, "1029", IDS_CONFIG_PASSWORD, units.rect(13, 68, 34, 8));
    // Shown in clear like the other two: the administrator reads what is stored.
    m_password = makeEdit(this, "1031", units.rect(65, 66, 92, 14));

    setTabOrder(ok, cancel);
    setTabOrder(cancel, m_host);
    setTabOrder(m_host, m_user);
    setTabOrder(m_user, m_password);
    connect(ok, &QPushButton::clicked, this, &CConfigDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_host->setText(ToQString(m_strHost));
    m_password->setText(ToQString(m_strPassword));
    m_user->setText(ToQString(m_strUser));
    ok->setFocus();
}

void CConfigDlg::accept()
{
    m_strHost = FromQString(m_host->text());
    m_strPassword = FromQString(m_password->text());
    m_strUser = FromQString(m_user->text());
    if (!CRegistry().WriteSettings(m_strHost, m_strUser, m_strPassword))
        m_sink.showMessage(LoadString(IDS_REGISTRY_WRITE_FAILED));
    QDialog::accept();
}
