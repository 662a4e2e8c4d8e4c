#include "GroupingDetails.h"

#include "CDRGLookup.h"
#include "CDetermineDRG.h"
#include "CGroupingTrace.h"
#include "NumberText.h"
#include "Report.h"

namespace {

std::string joined(const std::vector<std::string>& values)
{
    if (values.empty())
        return "(none)";
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : ", ") + value;
    return text;
}

std::string candidateLine(const CComplCandidate& c, const std::string& primaryCode)
{
    std::string line = "    " + c.code + ": ";
    switch (c.verdict) {
    case ComplVerdict::NoComplValue:
        return line + "no COMPL value: not a complication";
    case ComplVerdict::Always:
        return line + "COMPL " + c.value + ": a complication for every primary diagnosis";
    case ComplVerdict::Excluded:
        return line + "COMPL " + c.value + ": excluded for " + primaryCode + " by complexcl: not a complication";
    case ComplVerdict::NotExcluded:
        return line + "COMPL " + c.value + ": not excluded for " + primaryCode + " by complexcl: a complication";
    case ComplVerdict::IncludedByProperty:
        return line + "COMPL " + c.value + ": complcat's property " + c.inclprop +
               " is among the DGPROP values: a complication";
    case ComplVerdict::NotIncluded:
        return line + "COMPL " + c.value + ": complcat's property " + c.inclprop +
               " is not among the DGPROP values: not a complication";
    case ComplVerdict::ComplcatMissing:
        return line + "COMPL " + c.value + ": no complcat row (" + CDetermineDRG::kComplcatMissing +
               "): counted as a complication";
    case ComplVerdict::UnknownKind:
        return line + "COMPL " + c.value + ": a kind neither C nor I (" + CDetermineDRG::kUnknownComplKind +
               "): counted as a complication";
    }
    return line;
}

std::string decisionLine(const CPassTrace& t)
{
    if (t.decidingRow.empty())
        return "  Decision row: none of the " + std::to_string(t.rowsExamined) +
               " rows the query returned matched (" + t.drg + ")";
    std::string rowId;
    std::string conditions;
    for (const auto& [column, value] : t.decidingRow) {
        if (column == "row_id")
            rowId = value;
        else if (column != "drg" && !value.empty())
            conditions += ' ' + column + '=' + value;
    }
    std::string line = "  Decision row: ";
    line += rowId.empty() ? "" : "row_id " + rowId + ", ";
    line += "row " + std::to_string(t.decidingPosition) + " of those the query returned:" + conditions;
    return line;
}

std::string drgLine(const CGroupingTrace::Pass& pass, std::size_t index, const CGroupingTrace& trace)
{
    const std::string& drg = pass.trace.drg;
    const auto& failure = trace.failure();
    if (failure && failure->inReport && failure->pass == index) {
        const bool name = failure->step == LookupStep::Name;
        return "  DRG: " + drg + ": the " + (name ? "name" : "weight") + " look-up failed: " +
               (name ? CDRGLookup::NameStatement(drg) : CDRGLookup::WeightStatement(WeightCode(drg))) + " " +
               OneLineError(failure->error);
    }
    if (!pass.name || !pass.weight)
        return "  DRG: " + drg + " (name and weight not looked up: the run ended before)";
    return "  DRG: " + drg + "    " + *pass.name + "    Weight: " + FormatFixed(*pass.weight, 4);
}

} // namespace

std::string OneLineError(const std::string& error)
{
    std::string text;
    std::size_t start = 0;
    while (start < error.size()) {
        std::size_t end = error.find('\n', start);
        if (end == std::string::npos)
            end = error.size();
        std::string line = error.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            text += (text.empty() ? "" : "; ") + line;
        start = end + 1;
    }
    return text.empty() ? "database error" : text;
}

std::vector<std::string> GroupingDetailsLines(const CGroupingTrace& trace)
{
    std::vector<std::string> lines;
    const std::size_t total = trace.chosen().size();
    const auto passHeading = [total](std::size_t index, const std::string& entry) {
        return "Pass " + std::to_string(index + 1) + " of " + std::to_string(total) + ": " + entry;
    };
    for (std::size_t i = 0; i < trace.passes().size(); ++i) {
        const CGroupingTrace::Pass& pass = trace.passes()[i];
        const CPassTrace& t = pass.trace;
        if (i > 0)
            lines.emplace_back();
        lines.push_back(passHeading(i, pass.entry.empty() ? t.primary : pass.entry));
        if (t.dgcatFailed)
            lines.push_back("  DGCAT: the category look-up failed (" + t.dgcat + "), so MDC: " + t.mdc);
        else
            lines.push_back("  DGCAT: " + t.dgcat + "    MDC: " + t.mdc);
        lines.push_back("  PDGPRO: " + joined(t.pdgpro));
        lines.push_back("  DGPROP of MDC " + t.mdc + ": " + joined(t.dgprop));
        std::string primaryCode = t.primary;
        std::erase(primaryCode, '.');
        lines.push_back("  Complication candidates:" + std::string(t.candidates.empty() ? " (none)" : ""));
        for (const CComplCandidate& c : t.candidates)
            lines.push_back(candidateLine(c, primaryCode));
        lines.push_back("  Complication: " + (t.complication.empty() ? std::string("none") : t.complication) +
                        " (compl " + t.complFlag + ")");
        lines.push_back(decisionLine(t));
        lines.push_back(drgLine(pass, i, trace));
    }
    const auto& failure = trace.failure();
    if (failure && !failure->inReport) {
        if (!lines.empty())
            lines.emplace_back();
        const std::string entry = failure->pass < total ? trace.chosen()[failure->pass] : std::string();
        lines.push_back(passHeading(failure->pass, entry));
        lines.push_back("  The pass broke off: " + OneLineError(failure->error));
    }
    if (lines.empty())
        lines.push_back("The case has no chosen diagnoses: the Process ran no pass.");
    return lines;
}
