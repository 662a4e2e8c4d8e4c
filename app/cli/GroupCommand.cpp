#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

#include <QGuiApplication>

#include "CCasePages.h"
#include "CCommandLine.h"
#include "CDBException.h"
#include "CDatabase.h"
#include "CExplainPrinter.h"
#include "CGroupingTrace.h"
#include "CRecordset.h"
#include "CStderrSink.h"
#include "CUsageError.h"
#include "CVesmarDoc.h"
#include "CliSupport.h"
#include "Codepage.h"
#include "Commands.h"
#include "ExplainJson.h"
#include "NumberText.h"
#include "ProcessCommand.h"
#include "Progress.h"
#include "ReferenceConnection.h"
#include "Report.h"
#include "StringTable.h"

namespace {

// The pages are laid out with Qt's fonts, which need a GUI application; the
// tool has no window, so it takes the platform that draws off screen.
std::unique_ptr<QGuiApplication> guiForPages()
{
    if (QCoreApplication::instance())
        return nullptr;
    // Qt's notes about the session it runs in (no runtime folder and the
    // like) are not the tool's messages; only real failures reach stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << "vesmar-cli: " << text.toStdString() << '\n';
    });
    static int argc = 3;
    static char name[] = "vesmar-cli", option[] = "-platform", platform[] = "offscreen";
    static char* argv[] = {name, option, platform, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int RunGroup(const CCommandLine& line, std::ostream& out, std::ostream& err)
{
    const std::string discharge = line.value("--discharge");
    if (!discharge.empty() && discharge != "E" && discharge != "R" && discharge != "L")
        throw CUsageError("--discharge takes E, R, L or an empty value, not '" + discharge + "'");
    const std::string explainAs = line.value("--explain");
    if (line.hasValue("--explain") && explainAs != "json")
        throw CUsageError("--explain takes no value or =json, not '" + explainAs + "'");
    const std::string pdfPath = line.value("--pdf");
    if (line.hasValue("--pdf") && pdfPath.empty())
        throw CUsageError("--pdf needs a file name");

    CStderrSink sink(err);
    CVesmarDoc doc;
    if (!OpenCaseFile(doc, line.operands()[0], sink))
        return kExitFailed;

    // The form would show the document's dates; its "accepted" flags are
    // the document's flags (see the usage text).
    CProcessInput input = ProcessInputFrom(doc);
    input.birthDateOk = doc.IsBirthDateSet() == 1;
    input.admissionDateOk = doc.IsAdmissionDateSet() == 1;
    input.discharge = discharge;
    input.duration = AtoiC(line.value("--duration", "0"));

    int ageDays = 0;
    if (!CheckDates(input, ageDays)) {
        sink.showMessage(LoadString(IDS_VALIDATE_DATES));
        return kExitFailed;
    }

    CDatabase db;
    if (!OpenReferenceDatabase(db, sink))
        return kExitFailed;
    CRecordset lookupSet(&db);
    // One case is short work: no bar (it would also cut through --explain's lines).
    CSilentProgress progress;
    CGroupingTrace trace(doc.GetChosenList());
    std::optional<std::vector<CReportRow>> rows;
    std::optional<std::string> error;
    try {
        rows = GroupCaseRows(input, ageDays, db, lookupSet, progress, sink, &trace);
    } catch (const CDBException& e) {
        trace.runFailed(e.m_strError);
        error = DatabaseErrorText(e);
    }
    std::optional<std::vector<std::string>> lines;
    if (rows) {
        lines.emplace();
        for (const CReportRow& row : *rows)
            lines->push_back(FormatReportLine(row));
    }

    if (explainAs == "json") {
        out << ExplainJson(trace, lines) << '\n';
    } else if (line.hasFlag("--explain")) {
        CExplainPrinter explain(out);
        for (const CGroupingTrace::Pass& pass : trace.passes())
            explain.passFinished(pass.trace);
    }
    bool pdfWritten = true;
    if (!pdfPath.empty()) {
        const auto gui = guiForPages();
        CCasePageContent content;
        content.title = codepage::Cp1252FromUtf8(std::filesystem::path(line.operands()[0]).filename().string());
        content.birthDate = input.birthDate;
        content.admissionDate = input.admissionDate;
        content.ageDays = ageDays;
        content.male = input.male == 1;
        content.discharge = discharge;
        content.duration = input.duration;
        content.chosen.assign(input.chosen->begin(), input.chosen->end());
        content.bi.assign(input.bi->begin(), input.bi->end());
        if (lines)
            content.resultLines = *lines;
        content.trace = &trace;
        pdfWritten = WriteCasePdf(content, pdfPath, sink);
    }
    if (error) {
        sink.showMessage(*error, MessageIcon::Stop);
        return kExitFailed;
    }
    if (explainAs == "json")
        return pdfWritten ? kExitOk : kExitFailed;

    const std::string text = codepage::Utf8FromCp1252(ReportWithLineFeeds(JoinReportLines(*rows)));
    if (!text.empty())
        out << text << '\n';
    return pdfWritten ? kExitOk : kExitFailed;
}
