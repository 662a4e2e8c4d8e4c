#include <cerrno>
#include <fstream>
#include <memory>

#include "CCommandLine.h"
#include "CCsvReader.h"
#include "CDBException.h"
#include "CDatabase.h"
#include "CFile.h"
#include "CFileException.h"
#include "CRecordset.h"
#include "CStderrSink.h"
#include "CTerminalProgress.h"
#include "CliSupport.h"
#include "Codepage.h"
#include "Commands.h"
#include "CsvText.h"
#include "NumberText.h"
#include "ProcessCommand.h"
#include "ReferenceConnection.h"
#include "StringTable.h"

namespace {

const char* const kInputHeader = "id,birthdate,admission,sex,discharge,duration,diagnoses,bidiagnoses";
const char* const kOutputHeader = "id,rank,diagnosis,drg,name,weight,error";

// One input record, read and checked just before it is grouped.
struct BatchCase {
    int line = 0;
    std::string id;
    std::string problem; // not empty: the record is malformed
    CProcessInput input;
    CStringList chosen;
    CStringList bi;
};

// Codes separated by '|'; each must be a code as the catalogue shows it,
// so neither empty nor holding a blank (the engine would take the part
// before the blank, or an empty code).
bool parseCodes(const std::string& field, CStringList& list, std::string& problem, const char* column)
{
    if (field.empty())
        return true;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = field.find('|', start);
        std::string code = field.substr(start, bar - start);
        if (code.empty() || code.find_first_of(" \t") != std::string::npos) {
            problem = std::string(column) + " holds the code '" + code + "', which is no catalogue code";
            return false;
        }
        list.AddTail(codepage::cp1252FromUtf8(code));
        if (bar == std::string::npos)
            return true;
        start = bar + 1;
    }
}

void readCase(const std::vector<std::string>& fields, BatchCase& c)
{
    if (!fields.empty())
        c.id = fields[0];
    if (fields.size() != 8) {
        c.problem = "expected 8 fields, found " + std::to_string(fields.size());
        return;
    }
    CProcessInput& in = c.input;
    if (!ParseIsoDate(fields[1], in.birthDate.m_dt)) {
        c.problem = "birthdate '" + fields[1] + "' is no date YYYY-MM-DD";
        return;
    }
    if (!ParseIsoDate(fields[2], in.admissionDate.m_dt)) {
        c.problem = "admission '" + fields[2] + "' is no date YYYY-MM-DD";
        return;
    }
    in.birthDate.m_status = in.admissionDate.m_status = DateValue::valid;
    in.birthDateOk = in.admissionDateOk = true;
    if (fields[3] != "M" && fields[3] != "F") {
        c.problem = "sex '" + fields[3] + "' is neither M nor F";
        return;
    }
    in.male = fields[3] == "M" ? 1 : 0;
    if (!fields[4].empty() && fields[4] != "E" && fields[4] != "R" && fields[4] != "L") {
        c.problem = "discharge '" + fields[4] + "' is not E, R, L or empty";
        return;
    }
    in.discharge = fields[4];
    in.duration = AtoiC(fields[5]);
    if (!parseCodes(fields[6], c.chosen, c.problem, "diagnoses") ||
        !parseCodes(fields[7], c.bi, c.problem, "bidiagnoses"))
        return;
    in.chosen = &c.chosen;
    in.bi = &c.bi;
}

// The output rows of one case: its report lines, or the one row of a
// failed case (failed is then set).
std::string caseRows(const BatchCase& c, CDatabase& db, CRecordset& lookupSet, IProgress& progress,
                     IMessageSink& sink, bool& failed)
{
    std::string failure; // UTF-8
    int ageDays = 0;
    if (!c.problem.empty()) {
        failure = "line " + std::to_string(c.line) + ": " + c.problem;
    } else if (!CheckDates(c.input, ageDays)) {
        failure = codepage::utf8FromCp1252(LoadString(IDS_VALIDATE_DATES));
    } else if (CKeptMessages told(sink); !EnsureConnected(db, told)) {
        failure = told.text();
    } else {
        try {
            std::string rows;
            std::vector<CReportRow> report = GroupCaseRows(c.input, ageDays, db, lookupSet, progress, sink);
            for (std::size_t rank = 0; rank < report.size(); ++rank) {
                const CReportRow& row = report[rank];
                rows += CsvRecord({c.id, std::to_string(rank + 1), codepage::utf8FromCp1252(row.m_diagnosis),
                                   codepage::utf8FromCp1252(row.m_drg), codepage::utf8FromCp1252(row.m_name),
                                   FormatFixed(row.m_weight, 4), ""});
            }
            return rows;
        } catch (const CDBException& e) {
            failure = CStderrSink::OneLine(DatabaseErrorText(e));
        }
    }
    failed = true;
    return CsvRecord({c.id, "0", "", "", "", "", failure});
}

} // namespace

int RunBatch(const CCommandLine& line, std::ostream& out, std::ostream& err)
{
    CStderrSink sink(err);
    const std::string& inPath = line.operands()[0];
    std::string text;
    try {
        // The case file's own file access: the same refusals and texts.
        CFile in = CFile::OpenForReading(inPath);
        char buffer[65536];
        for (std::size_t n; (n = in.Read(buffer, sizeof buffer)) > 0;)
            text.append(buffer, n);
    } catch (const CFileException& e) {
        sink.showMessage(e.UserMessage());
        return kExitFailed;
    }

    CCsvReader reader(text);
    std::vector<std::string> fields;
    int lineNumber = 0;
    std::string problem;
    if (reader.Next(fields, lineNumber, problem) != CCsvReader::Result::Record ||
        CsvRecord(fields) != std::string(kInputHeader) + "\n") {
        sink.showMessage(codepage::cp1252FromUtf8(inPath) + ": the first line must be the header " + kInputHeader);
        return kExitFailed;
    }
    // The records are counted first, for the progress bar's range; each is
    // read again just before it is grouped, so a large batch is never held
    // in memory as cases.
    int total = 0;
    for (CCsvReader counter = reader; counter.Next(fields, lineNumber, problem) != CCsvReader::Result::End;)
        ++total;

    CDatabase db;
    if (!OpenReferenceDatabase(db, sink))
        return kExitFailed;
    // Only now, so that a failed connection leaves an existing output file alone.
    std::ofstream file;
    std::ostream* output = &out;
    if (line.hasValue("-o")) {
        file.open(line.value("-o"), std::ios::binary | std::ios::trunc);
        if (!file) {
            sink.showMessage(FileErrorText(errno, line.value("-o")));
            return kExitFailed;
        }
        output = &file;
    }

    CRecordset lookupSet(&db);
    CSilentProgress engineProgress;
    CTerminalProgress progress("Grouping cases");
    progress.setRange(0, total);

    *output << kOutputHeader << '\n';
    bool anyFailed = false;
    for (CCsvReader::Result result; (result = reader.Next(fields, lineNumber, problem)) != CCsvReader::Result::End;) {
        BatchCase c;
        c.line = lineNumber;
        if (result == CCsvReader::Result::Malformed) {
            c.id = fields.empty() ? std::string() : fields[0];
            c.problem = problem;
        } else {
            readCase(fields, c);
        }
        sink.setPrefix("line " + std::to_string(c.line) + " (" + c.id + "): ");
        bool failed = false;
        *output << caseRows(c, db, lookupSet, engineProgress, sink, failed);
        anyFailed = anyFailed || failed;
        progress.advance(1);
    }
    progress.finish();
    sink.setPrefix("");
    output->flush();
    if (!*output) {
        sink.showMessage("writing " +
                         (line.hasValue("-o") ? codepage::cp1252FromUtf8(line.value("-o")) : std::string("the output")) +
                         " failed");
        return kExitFailed;
    }
    return anyFailed ? kExitFailed : kExitOk;
}
