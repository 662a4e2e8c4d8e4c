#pragma once

#include <optional>
#include <string>
#include <vector>

#include "DateValue.h"

class CGroupingTrace;
class IMessageSink;
class QPagedPaintDevice;
class QTextDocument;

// The printed case: what Ctrl+P, -p and -pt print, File > Export as PDF...
// and vesmar-cli group --pdf write. The window fills it from the document and
// the form, the tool from the case file and its options. Texts Windows-1252.
struct CCasePageContent {
    std::string title;               // the case file's name, or "patient"
    DateValue birthDate;
    DateValue admissionDate;
    std::optional<int> ageDays;      // when the dates pass the Process command's check
    bool male = true;
    std::string discharge;           // as chosen; empty: not discharged
    int duration = 0;                // length of stay in days
    std::vector<std::string> chosen; // entries as the lists show them
    std::vector<std::string> bi;
    std::vector<std::string> resultLines;
    const CGroupingTrace* trace = nullptr; // the last Process of this case, if any; borrowed
};

// The pages as one text document, laid out by the device it is drawn on.
void BuildCaseDocument(QTextDocument& document, const CCasePageContent& content);

// Draws the pages on device (a printer or a PDF writer): one, more when the
// lists are long. False when the device could not be painted on.
bool PrintCasePages(const CCasePageContent& content, QPagedPaintDevice& device);

// The pages as a PDF file (A4), saved at path through a temporary file and a
// rename like every save; a failure is told through sink and gives false.
bool WriteCasePdf(const CCasePageContent& content, const std::string& path, IMessageSink& sink);
