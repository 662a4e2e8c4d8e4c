#pragma once

#include <optional>
#include <string>
#include <vector>

class CGroupingTrace;

// group --explain=json: the whole trace as one JSON object (UTF-8, one line):
//   passes: per pass primary, entry, dgcat, dgcatFailed, mdc, pdgpro, dgprop,
//     candidates [{code, compl, verdict, counts, inclprop}], complication
//     (null for none), compl, decidingRow (null, or {position, columns}),
//     rowsExamined, drg, name and weight (null until looked up);
//   report: the report's lines in report order, null when the run failed;
//   error: null, or {pass (1-based), step ("engine", "name", "weight"), message}.
// cp1252 texts are converted.
std::string ExplainJson(const CGroupingTrace& trace, const std::optional<std::vector<std::string>>& reportLines);
