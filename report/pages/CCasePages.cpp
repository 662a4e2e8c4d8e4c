#include "CCasePages.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDate>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

#include "CFile.h"
#include "CGroupingTrace.h"
#include "CReplaceFile.h"
#include "Codepage.h"
#include "GroupingDetails.h"
#include "MessageSink.h"
#include "QtText.h"
#include "StringTable.h"

namespace {

constexpr double kMarginMillimetres = 15.0;
constexpr int kFontPoints = 9;

QString escaped(const std::string& cp1252) { return ToQString(cp1252).toHtmlEscaped(); }

// Day numbers count from 30 December 1899; the page spells them the same in
// every locale.
QString dateText(const DateValue& date)
{
    if (date.m_status != DateValue::valid)
        return QStringLiteral("(not set)");
    return QDate(1899, 12, 30).addDays(qint64(date.m_dt)).toString(Qt::ISODate);
}

// Lines whose blanks and tabs matter (entries, report lines, details).
QString preLines(const std::vector<std::string>& lines, const char* none)
{
    if (lines.empty())
        return QStringLiteral("<p>%1</p>").arg(QLatin1String(none));
    QStringList html;
    for (const std::string& line : lines)
        html << escaped(line);
    // Wrapped at blanks where a line is wider than the page, never cut off.
    return QStringLiteral("<p style=\"white-space: pre-wrap; font-family: monospace\">") + html.join(u'\n') +
           QStringLiteral("</p>");
}

QString row(const char* label, const QString& value)
{
    return QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(QLatin1String(label), value);
}

} // namespace

void BuildCaseDocument(QTextDocument& document, const CCasePageContent& content)
{
    QFont font = document.defaultFont();
    font.setPointSize(kFontPoints);
    document.setDefaultFont(font);
    document.setDocumentMargin(0);

    QString html = QStringLiteral("<h2>Vesmar: ") + escaped(content.title) + QStringLiteral("</h2>");
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    html += row("Birth date:", dateText(content.birthDate));
    html += row("Admission date:", dateText(content.admissionDate));
    html += row("Age in days:",
                content.ageDays ? QString::number(*content.ageDays) : QStringLiteral("(dates not accepted)"));
    html += row("Sex:", content.male ? QStringLiteral("Male") : QStringLiteral("Female"));
    html += row("Discharge:", content.discharge.empty() ? QStringLiteral("Not discharged") : escaped(content.discharge));
    html += row("Length of stay:", QString::number(content.duration) + QStringLiteral(" days"));
    html += QStringLiteral("</table>");
    html += QStringLiteral("<h3>Chosen diagnoses</h3>") + preLines(content.chosen, "(none)");
    html += QStringLiteral("<h3>Bi-diagnoses</h3>") + preLines(content.bi, "(none)");
    html += QStringLiteral("<h3>Result</h3>") + preLines(content.resultLines, "(empty)");
    if (content.trace)
        html += QStringLiteral("<h3>Grouping details</h3>") +
                preLines(GroupingDetailsLines(*content.trace), "");
    document.setHtml(html);
}

bool PrintCasePages(const CCasePageContent& content, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    QTextDocument document;
    // Laid out in the device's own units, so fonts keep their point sizes.
    document.documentLayout()->setPaintDevice(&device);
    BuildCaseDocument(document, content);
    const QSizeF page(device.width(), device.height());
    document.setPageSize(page);
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !device.newPage())
            return false;
        painter.save();
        painter.translate(0, -i * page.height());
        document.drawContents(&painter, QRectF(QPointF(0, i * page.height()), page));
        painter.restore();
    }
    return painter.end();
}

bool WriteCasePdf(const CCasePageContent& content, const std::string& path, IMessageSink& sink)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Vesmar"));
        writer.setTitle(ToQString(content.title));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres,
                                                   kMarginMillimetres),
                                         QPageLayout::Millimeter));
        if (!PrintCasePages(content, writer)) {
            sink.showMessage(FormatString1(IDS_PDF_FAILED, codepage::Cp1252FromUtf8(path)));
            return false;
        }
    }
    return SaveReplacing(path, [&bytes](CFile& file) { file.Write(bytes.constData(), std::size_t(bytes.size())); },
                         sink);
}
