#pragma once

#include <string>
#include <vector>

#include "CDRGLookup.h"
#include "CDRGResult.h"
#include "CReportRow.h"
#include "IDRGLookup.h"

// The code under which a DRG's weight is stored: a leading blank becomes the
// digit 0 (" 12" -> "012"); any other code is its own weight code.
std::string WeightCode(const std::string& drg);

// The rows of the report in their final order: for each result in engine
// order, the name looked up with the DRG unchanged and then the weight looked
// up with its weight code; then sorted by weight, highest first, equal weights
// keeping engine order. Database errors of the look-ups are not caught.
std::vector<CReportRow> BuildReportRows(const std::vector<CDRGResult>& results, IDRGLookup& lookup);

// One report line: "DRG: <drg>    <name>     Primary Diagnose:  <diagnosis>\tWeight: <%.4f weight>",
// the number always with a full stop, whatever the process locale.
std::string FormatReportLine(const CReportRow& row);

// The rows' lines joined with "\r\n", no break after the last one; the
// empty text for no rows.
std::string JoinReportLines(const std::vector<CReportRow>& rows);

// The report with every CR LF written as a lone LF, as text boxes and
// terminals break their lines.
std::string ReportWithLineFeeds(std::string report);

// The result box's text: JoinReportLines(BuildReportRows(results, lookup)).
std::string BuildReport(const std::vector<CDRGResult>& results, IDRGLookup& lookup);
