#include "CGroupingDetailsDlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "CGroupingTrace.h"
#include "GroupingDetails.h"
#include "QtText.h"

namespace {
constexpr int kWidthChars = 124;
constexpr int kHeightLines = 36;
}

CGroupingDetailsDlg::CGroupingDetailsDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("143"));
    setWindowTitle(QStringLiteral("Grouping details"));
    setModal(false);

    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("1100"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Fixed pitch, so the indented lines of a pass stand under each other.
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const QFontMetrics metrics(m_text->font());
    m_text->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('x')) * kWidthChars,
                           metrics.lineSpacing() * kHeightLines);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(buttons);
    ShowTrace(nullptr);
}

void CGroupingDetailsDlg::ShowTrace(const CGroupingTrace* trace)
{
    if (!trace) {
        m_text->setPlainText(QStringLiteral("No Process has run for this case yet."));
        return;
    }
    QStringList lines;
    for (const std::string& line : GroupingDetailsLines(*trace))
        lines << ToQString(line);
    m_text->setPlainText(lines.join(u'\n'));
}
