#include "Report.h"

#include <algorithm>

#include "NumberText.h"

std::string WeightCode(const std::string& drg)
{
    if (!drg.empty() && drg.front() == ' ')
        return '0' + drg.substr(1);
    return drg;
}

std::vector<CReportRow> BuildReportRows(const std::vector<CDRGResult>& results, IDRGLookup& lookup)
{
    std::vector<CReportRow> rows;
    rows.reserve(results.size());
    for (const CDRGResult& result : results) {
        CReportRow row;
        row.m_drg = result.m_drg;
        row.m_name = lookup.LookupDRGName(result.m_drg);
        row.m_weight = lookup.LookupDRGWeight(WeightCode(result.m_drg));
        row.m_diagnosis = result.m_diagnosis;
        rows.push_back(std::move(row));
    }
    // Stable, so results of equal weight stay in the order of the chosen list.
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CReportRow& a, const CReportRow& b) { return a.m_weight > b.m_weight; });
    return rows;
}

std::string FormatReportLine(const CReportRow& row)
{
    return "DRG: " + row.m_drg + "    " + row.m_name + "     " + "Primary Diagnose:  " + row.m_diagnosis +
           "\tWeight: " + FormatFixed(row.m_weight, 4);
}

std::string JoinReportLines(const std::vector<CReportRow>& rows)
{
    std::string text;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += FormatReportLine(rows[i]);
    }
    return text;
}

std::string ReportWithLineFeeds(std::string report)
{
    for (std::size_t pos = 0; (pos = report.find("\r\n", pos)) != std::string::npos;)
        report.erase(pos, 1);
    return report;
}

std::string BuildReport(const std::vector<CDRGResult>& results, IDRGLookup& lookup)
{
    return JoinReportLines(BuildReportRows(results, lookup));
}
