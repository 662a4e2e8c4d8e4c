#include "CExplainPrinter.h"

#include "Codepage.h"
#include "JsonText.h"

namespace {

std::string utf8(const std::string& cp1252)
{
    return codepage::Utf8FromCp1252(cp1252);
}

std::string listOrNone(const std::vector<std::string>& values)
{
    if (values.empty())
        return "(none)";
    std::string text;
    for (const std::string& value : values) {
        if (!text.empty())
            text += ", ";
        text += utf8(value);
    }
    return text;
}

} // namespace

void CExplainPrinter::passFinished(const CPassTrace& trace)
{
    m_out << "Pass " << ++m_nPass << ": primary diagnosis " << utf8(trace.primary) << '\n';
    m_out << "  DGCAT: " << utf8(trace.dgcat) << '\n';
    m_out << "  MDC: " << utf8(trace.mdc) << '\n';
    m_out << "  PDGPRO: " << listOrNone(trace.pdgpro) << '\n';
    m_out << "  DGPROP: " << listOrNone(trace.dgprop) << '\n';
    m_out << "  Complication: "
          << (trace.complication.empty() ? std::string("none") : utf8(trace.complication))
          << " (compl " << utf8(trace.complFlag) << ")\n";
    m_out << "  Deciding row:";
    if (trace.decidingRow.empty()) {
        m_out << " none";
    } else {
        // Quoted, so that an empty value and blanks inside a value stay visible.
        for (const auto& [column, value] : trace.decidingRow)
            m_out << ' ' << utf8(column) << '=' << JsonString(utf8(value));
    }
    m_out << '\n';
    m_out << "  DRG: " << utf8(trace.drg) << '\n';
}
