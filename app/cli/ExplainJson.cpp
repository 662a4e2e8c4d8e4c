#include "ExplainJson.h"

#include "CGroupingTrace.h"
#include "Codepage.h"
#include "JsonText.h"

namespace {

std::string str(const std::string& cp1252) { return JsonString(codepage::Utf8FromCp1252(cp1252)); }

std::string strings(const std::vector<std::string>& values)
{
    std::string json = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        json += (i ? "," : "") + str(values[i]);
    return json + "]";
}

const char* verdictName(ComplVerdict verdict)
{
    switch (verdict) {
    case ComplVerdict::NoComplValue: return "no-compl-value";
    case ComplVerdict::Always: return "always";
    case ComplVerdict::Excluded: return "excluded";
    case ComplVerdict::NotExcluded: return "not-excluded";
    case ComplVerdict::IncludedByProperty: return "included";
    case ComplVerdict::NotIncluded: return "not-included";
    case ComplVerdict::ComplcatMissing: return "complcat-missing";
    case ComplVerdict::UnknownKind: return "unknown-kind";
    }
    return "";
}

std::string candidate(const CComplCandidate& c)
{
    std::string json = "{\"code\":" + str(c.code);
    json += ",\"compl\":" + (c.verdict == ComplVerdict::NoComplValue ? std::string("null") : str(c.value));
    json += ",\"verdict\":\"" + std::string(verdictName(c.verdict)) + "\"";
    json += ",\"counts\":" + std::string(ComplCounts(c.verdict) ? "true" : "false");
    json += ",\"inclprop\":" + (c.inclprop.empty() ? std::string("null") : str(c.inclprop));
    return json + "}";
}

std::string pass(const CGroupingTrace::Pass& p)
{
    const CPassTrace& t = p.trace;
    std::string json = "{\"primary\":" + str(t.primary);
    json += ",\"entry\":" + str(p.entry);
    json += ",\"dgcat\":" + str(t.dgcat);
    json += ",\"dgcatFailed\":" + std::string(t.dgcatFailed ? "true" : "false");
    json += ",\"mdc\":" + str(t.mdc);
    json += ",\"pdgpro\":" + strings(t.pdgpro);
    json += ",\"dgprop\":" + strings(t.dgprop);
    json += ",\"candidates\":[";
    for (std::size_t i = 0; i < t.candidates.size(); ++i)
        json += (i ? "," : "") + candidate(t.candidates[i]);
    json += "],\"complication\":" + (t.complication.empty() ? std::string("null") : str(t.complication));
    json += ",\"compl\":" + str(t.complFlag);
    if (t.decidingRow.empty()) {
        json += ",\"decidingRow\":null";
    } else {
        json += ",\"decidingRow\":{\"position\":" + std::to_string(t.decidingPosition) + ",\"columns\":{";
        for (std::size_t i = 0; i < t.decidingRow.size(); ++i)
            json += (i ? "," : "") + str(t.decidingRow[i].first) + ":" + str(t.decidingRow[i].second);
        json += "}}";
    }
    json += ",\"rowsExamined\":" + std::to_string(t.rowsExamined);
    json += ",\"drg\":" + str(t.drg);
    json += ",\"name\":" + (p.name ? str(*p.name) : std::string("null"));
    json += ",\"weight\":" + (p.weight ? JsonNumber(*p.weight) : std::string("null"));
    return json + "}";
}

} // namespace

std::string ExplainJson(const CGroupingTrace& trace, const std::optional<std::vector<std::string>>& reportLines)
{
    std::string json = "{\"passes\":[";
    for (std::size_t i = 0; i < trace.passes().size(); ++i)
        json += (i ? "," : "") + pass(trace.passes()[i]);
    json += "],\"report\":" + (reportLines ? strings(*reportLines) : std::string("null"));
    json += ",\"error\":";
    if (const auto& failure = trace.failure()) {
        const char* step = !failure->inReport ? "engine" : failure->step == LookupStep::Name ? "name" : "weight";
        json += "{\"pass\":" + std::to_string(failure->pass + 1) + ",\"step\":\"" + step +
                "\",\"message\":" + str(failure->error) + "}";
    } else {
        json += "null";
    }
    return json + "}";
}
