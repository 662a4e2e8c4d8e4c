#pragma once

#include <string>
#include <vector>

class CGroupingTrace;

// The grouping details as lines of text (Windows-1252), for the details
// window and the printed pages: per pass the primary diagnosis with its
// catalogue text, the category and MDC (or that the look-up failed), the
// PDGPRO and DGPROP values, every complication candidate looked at with its
// COMPL value and why it counted or not, the decision row that decided (or
// that none did), and the DRG with its name and weight or the look-up that
// failed. Detail lines are indented by two blanks, candidates by four.
std::vector<std::string> GroupingDetailsLines(const CGroupingTrace& trace);

// The text of a database error on one line: its lines joined with "; ",
// "database error" for an empty text.
std::string OneLineError(const std::string& error);
