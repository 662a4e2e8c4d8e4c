#include <memory>

#include "CCommandLine.h"
#include "CDBException.h"
#include "CDatabase.h"
#include "CExplainPrinter.h"
#include "CRecordset.h"
#include "CStderrSink.h"
#include "CUsageError.h"
#include "CVesmarDoc.h"
#include "CliSupport.h"
#include "Codepage.h"
#include "Commands.h"
#include "NumberText.h"
#include "ProcessCommand.h"
#include "ReferenceConnection.h"
#include "Report.h"
#include "Progress.h"
#include "StringTable.h"

int RunGroup(const CCommandLine& line, std::ostream& out, std::ostream& err)
{
    const std::string discharge = line.value("--discharge");
    if (!discharge.empty() && discharge != "E" && discharge != "R" && discharge != "L")
        throw CUsageError("--discharge takes E, R, L or an empty value, not '" + discharge + "'");

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
    std::unique_ptr<CExplainPrinter> explain;
    if (line.hasFlag("--explain"))
        explain = std::make_unique<CExplainPrinter>(out);

    std::string report;
    try {
        report = GroupCase(input, ageDays, db, lookupSet, progress, sink, explain.get());
    } catch (const CDBException& e) {
        sink.showMessage(DatabaseErrorText(e), MessageIcon::Stop);
        return kExitFailed;
    }

    const std::string text = codepage::utf8FromCp1252(ReportWithLineFeeds(report));
    if (!text.empty())
        out << text << '\n';
    return kExitOk;
}
