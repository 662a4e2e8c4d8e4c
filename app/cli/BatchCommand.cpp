#include <algorithm>
#include <array>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "BatchHeap.h"
#include "CBlockPipeline.h"
#include "CCommandLine.h"
#include "CCsvFileReader.h"
#include "CDBException.h"
#include "CDatabase.h"
#include "CFileException.h"
#include "CRecordset.h"
#include "CReferenceSnapshot.h"
#include "CReplaceFile.h"
#include "CStderrSink.h"
#include "CTerminalProgress.h"
#include "CUsageError.h"
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

    // Empty again, keeping the room of its strings and lists for the next record.
    void Reset()
    {
        line = 0;
        id.clear();
        problem.clear();
        input = CProcessInput();
        chosen.RemoveAll();
        bi.RemoveAll();
    }
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
        const std::string_view code = std::string_view(field).substr(start, bar - start);
        // Nearly every code is letters, digits and dots: nothing to refuse or convert.
        if (!code.empty() && std::all_of(code.begin(), code.end(), [](char c) {
                return static_cast<unsigned char>(c) > ' ' && static_cast<unsigned char>(c) < 0x7F;
            })) {
            list.AddTail(std::string(code));
        } else if (code.empty() || code.find_first_of(" \t") != std::string::npos) {
            problem = std::string(column) + " holds the code '" + EchoValue(std::string(code)) +
                      "', which is no catalogue code";
            return false;
        } else if (const std::string control = FirstControlCharacter(std::string(code)); !control.empty()) {
            // A case file's entries reach the server as they are; a typed
            // code holding a control character is a mistake.
            problem = std::string(column) + " holds a code with the control character " + control;
            return false;
        } else {
            list.AddTail(codepage::Cp1252FromUtf8(code));
        }
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
        c.problem = "birthdate '" + EchoValue(fields[1]) + "' is no date YYYY-MM-DD";
        return;
    }
    if (!ParseIsoDate(fields[2], in.admissionDate.m_dt)) {
        c.problem = "admission '" + EchoValue(fields[2]) + "' is no date YYYY-MM-DD";
        return;
    }
    in.birthDate.m_status = in.admissionDate.m_status = DateValue::valid;
    in.birthDateOk = in.admissionDateOk = true;
    if (fields[3] != "M" && fields[3] != "F") {
        c.problem = "sex '" + EchoValue(fields[3]) + "' is neither M nor F";
        return;
    }
    in.male = fields[3] == "M" ? 1 : 0;
    if (!fields[4].empty() && fields[4] != "E" && fields[4] != "R" && fields[4] != "L") {
        c.problem = "discharge '" + EchoValue(fields[4]) + "' is not E, R, L or empty";
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

// A Windows-1252 text as a UTF-8 CSV field; plain ASCII, as nearly every
// code, DRG and name is, needs no conversion.
void appendCp1252Field(std::string& out, const std::string& text)
{
    if (codepage::IsAscii(text))
        AppendCsvField(out, text);
    else
        AppendCsvField(out, codepage::Utf8FromCp1252(text));
}

using GroupRows = std::function<std::vector<CReportRow>(const CProcessInput&, int ageDays, IMessageSink& sink)>;

// The weights of a batch are a few distinct numbers: each one's text is
// kept, by its bits, instead of being formatted anew for every row.
class CWeightTexts {
public:
    void Append(std::string& out, double weight)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &weight, sizeof bits);
        Entry& e = m_entries[(bits ^ (bits >> 29)) * 0x9E3779B97F4A7C15ull >> 58];
        if (!e.used || e.bits != bits) {
            e.used = true;
            e.bits = bits;
            e.text.clear();
            AppendFixed(e.text, weight, 4);
        }
        out += e.text;
    }

private:
    struct Entry {
        bool used = false;
        std::uint64_t bits = 0;
        std::string text;
    };
    std::array<Entry, 64> m_entries;
};

// The output rows of one case into rows: its report lines, or the one row
// of a failed case (failed is then set). With reconnect, a connection found
// lost by an earlier case is opened again first; a case it cannot be opened
// for fails with the connection's messages.
void caseRows(const BatchCase& c, const GroupRows& group, CDatabase* reconnect, IMessageSink& sink,
              CWeightTexts& weights, std::string& rows, bool& failed)
{
    rows.clear();
    std::string failure; // UTF-8
    int ageDays = 0;
    if (!c.problem.empty()) {
        failure = "line " + std::to_string(c.line) + ": " + c.problem;
    } else if (!CheckDates(c.input, ageDays)) {
        failure = codepage::Utf8FromCp1252(LoadString(IDS_VALIDATE_DATES));
    } else if (CKeptMessages told(sink); reconnect && !EnsureConnected(*reconnect, told)) {
        failure = told.text();
    } else {
        try {
            std::vector<CReportRow> report = group(c.input, ageDays, sink);
            for (std::size_t rank = 0; rank < report.size(); ++rank) {
                const CReportRow& row = report[rank];
                AppendCsvField(rows, c.id);
                rows += ',';
                rows += std::to_string(rank + 1);
                for (const std::string* text : {&row.m_diagnosis, &row.m_drg, &row.m_name}) {
                    rows += ',';
                    appendCp1252Field(rows, *text);
                }
                rows += ',';
                weights.Append(rows, row.m_weight);
                rows += ",\n";
            }
            return;
        } catch (const CDBException& e) {
            failure = CStderrSink::OneLine(DatabaseErrorText(e));
        }
    }
    failed = true;
    rows = CsvRecord({c.id, "0", "", "", "", "", failure});
}

// One case of a block: its record read on the main thread, checked and
// grouped on any.
struct BatchItem {
    CCsvReader::Result result = CCsvReader::Result::Record;
    std::vector<std::string> fields;
    std::string problem; // of a malformed record
    BatchCase c;
    std::string rows;
    std::string messages; // the engine's warnings, each with the case's prefix
    bool failed = false;
};

void readItem(BatchItem& item)
{
    BatchCase& c = item.c;
    if (item.result == CCsvReader::Result::Malformed) {
        c.id = item.fields.empty() ? std::string() : item.fields[0];
        c.problem = item.problem;
    } else {
        readCase(item.fields, c);
    }
}

// What one grouping thread keeps from block to block.
struct Worker {
    GroupRows group;
    CDatabase* reconnect = nullptr; // the connection its cases need, if any
    std::ostringstream messages;
    CStderrSink sink{messages};
    std::string prefix; // of the current case's messages
    CWeightTexts weights;
};

void groupItem(Worker& worker, BatchItem& item)
{
    readItem(item);
    worker.prefix.assign("line ").append(std::to_string(item.c.line));
    worker.prefix.append(" (").append(EchoValue(item.c.id)).append("): ");
    worker.sink.setPrefix(worker.prefix);
    item.failed = false;
    caseRows(item.c, worker.group, worker.reconnect, worker.sink, worker.weights, item.rows, item.failed);
    item.messages = worker.messages.str();
    worker.messages.str(std::string());
}

// Where the output goes: standard output, or a temporary file beside -o's
// target that replaces it only when the batch has finished.
class BatchOutput {
public:
    BatchOutput(std::ostream& out, const std::optional<std::string>& target) : m_out(out), m_target(target) {}

    // False with the message shown when the file cannot be created.
    bool open(IMessageSink& sink)
    {
        if (!m_target)
            return true;
        try {
            m_file.emplace(*m_target);
        } catch (const CFileException& e) {
            // The temporary file's name means nothing to the user.
            sink.showMessage(FileErrorText(int(e.m_lOsError), *m_target));
            return false;
        }
        return true;
    }

    // False with the message shown at the first write that failed.
    bool write(const std::string& bytes, IMessageSink& sink)
    {
        if (!m_file) {
            m_out << bytes;
            return m_out || failed(sink);
        }
        m_buffer += bytes;
        return m_buffer.size() < kBuffer || flushBuffer(sink);
    }

    bool finish(IMessageSink& sink)
    {
        if (!m_file) {
            m_out.flush();
            return m_out || failed(sink);
        }
        if (!flushBuffer(sink))
            return false;
        try {
            m_file->Commit();
        } catch (const CFileException& e) {
            sink.showMessage(FileErrorText(int(e.m_lOsError), *m_target));
            return false;
        }
        return true;
    }

private:
    static constexpr std::size_t kBuffer = 1 << 16;

    bool flushBuffer(IMessageSink& sink)
    {
        try {
            m_file->GetFile().Write(m_buffer.data(), m_buffer.size());
        } catch (const CFileException& e) {
            sink.showMessage(FileErrorText(int(e.m_lOsError), *m_target));
            return false;
        }
        m_buffer.clear();
        return true;
    }

    bool failed(IMessageSink& sink)
    {
        sink.showMessage("writing the output failed");
        return false;
    }

    std::ostream& m_out;
    std::optional<std::string> m_target;
    std::optional<CReplaceFile> m_file;
    std::string m_buffer;
};

unsigned jobsOption(const CCommandLine& line)
{
    if (!line.hasValue("--jobs"))
        return std::max(1u, std::thread::hardware_concurrency());
    const std::string text = line.value("--jobs");
    unsigned jobs = 0;
    bool digits = !text.empty() && text.size() <= 4;
    for (char c : text)
        digits = digits && c >= '0' && c <= '9';
    if (digits)
        jobs = unsigned(std::stoul(text));
    if (jobs < 1 || jobs > 1024)
        throw CUsageError("--jobs takes a number of threads from 1 to 1024, not '" + text + "'");
    return jobs;
}

// The records of the input after its header, for the progress bar's range.
int countRecords(const std::string& path)
{
    CCsvFileReader counter(path);
    std::vector<std::string> fields;
    int lineNumber = 0;
    std::string problem;
    int total = -1;
    while (counter.Next(fields, lineNumber, problem) != CCsvReader::Result::End)
        ++total;
    return std::max(total, 0);
}

// Small enough that a failed write stops the batch soon after it, large
// enough that handing a block to the threads costs nothing.
constexpr std::size_t kBlock = 512;

} // namespace

int RunBatch(const CCommandLine& line, std::ostream& out, std::ostream& err)
{
    return RunBatchWith(line, out, err, OpenReferenceDatabase);
}

int RunBatchWith(const CCommandLine& line, std::ostream& out, std::ostream& err, const ConnectFunction& connect)
{
    const bool perStatement = line.hasFlag("--per-statement");
    // The statements of one connection go one at a time.
    const unsigned jobs = perStatement ? 1 : jobsOption(line);
    CStderrSink sink(err);
    const std::string& inPath = line.operands()[0];
    // A full disk or the file-size limit is a failed write, not the end of the process.
    std::signal(SIGXFSZ, SIG_IGN);

    try {
        CCsvFileReader reader(inPath);
        std::vector<std::string> fields;
        int lineNumber = 0;
        std::string problem;
        if (reader.Next(fields, lineNumber, problem) != CCsvReader::Result::Record ||
            CsvRecord(fields) != std::string(kInputHeader) + "\n") {
            sink.showMessage(codepage::Cp1252FromUtf8(inPath) + ": the first line must be the header " + kInputHeader);
            return kExitFailed;
        }
        CTerminalProgress progress("Grouping cases");
        // Only a bar that is drawn needs the count.
        progress.setRange(0, ::isatty(STDERR_FILENO) ? countRecords(inPath) : 0);

        CDatabase db;
        if (!connect(db, sink))
            return kExitFailed;

        std::optional<CReferenceSnapshot> snapshot;
        std::optional<CRecordset> lookupSet;
        std::vector<std::unique_ptr<Worker>> workers;
        CSilentProgress engineProgress;
        if (perStatement) {
            lookupSet.emplace(&db);
            auto worker = std::make_unique<Worker>();
            worker->reconnect = &db;
            worker->group = [&](const CProcessInput& in, int age, IMessageSink& caseSink) {
                return GroupCaseRows(in, age, db, *lookupSet, engineProgress, caseSink);
            };
            workers.push_back(std::move(worker));
        } else {
            PrepareHeapForBatch();
            snapshot.emplace(db);
            try {
                snapshot->Load();
            } catch (const CDBException& e) {
                sink.showMessage(DatabaseErrorText(e));
                return kExitFailed;
            }
            for (unsigned w = 0; w < jobs; ++w) {
                auto worker = std::make_unique<Worker>();
                auto answers = std::make_shared<CSnapshotAnswers>(*snapshot);
                worker->group = [answers](const CProcessInput& in, int age, IMessageSink& caseSink) {
                    CSilentProgress caseProgress;
                    return GroupCaseRows(in, age, *answers, *answers, caseProgress, caseSink);
                };
                workers.push_back(std::move(worker));
            }
        }

        // Only now, so that a failed connection leaves an existing output file alone.
        std::optional<std::string> target;
        if (line.hasValue("-o"))
            target = line.value("-o");
        BatchOutput output(out, target);
        if (!output.open(sink) || !output.write(std::string(kOutputHeader) + "\n", sink))
            return kExitFailed;

        bool anyFailed = false;
        // One statement per look-up runs one case at a time: each case is
        // written as soon as it is grouped, as before there were threads.
        const std::size_t blockSize = perStatement ? 1 : kBlock;
        CBlockPipeline<BatchItem> pipeline(workers.size(), perStatement ? 1 : workers.size() + 2, blockSize,
                                           [&](std::size_t w, BatchItem& item) { groupItem(*workers[w], item); });
        for (bool more = true; more || pipeline.inFlight();) {
            for (std::span<BatchItem> block; more && !(block = pipeline.nextBlock()).empty();) {
                std::size_t count = 0;
                for (; count < block.size(); ++count) {
                    BatchItem& item = block[count];
                    item.c.Reset();
                    item.result = reader.Next(item.fields, item.c.line, item.problem);
                    if (item.result == CCsvReader::Result::End) {
                        more = false;
                        break;
                    }
                }
                if (count == 0)
                    break;
                // The snapshot's threads share the connection for the
                // look-ups it sends, so a lost one is opened again between
                // blocks, while no statement runs; its statements then run
                // outside the start's snapshot. A connection that stays lost
                // fails only the cases that need a statement.
                if (snapshot) {
                    std::unique_lock statements = snapshot->LockStatements();
                    EnsureConnected(db, sink);
                }
                pipeline.publish(count);
            }
            if (!pipeline.inFlight())
                break;
            for (BatchItem& item : pipeline.oldest()) {
                if (!item.messages.empty())
                    err << item.messages << std::flush;
                if (!output.write(item.rows, sink))
                    return kExitFailed;
                anyFailed = anyFailed || item.failed;
                progress.advance(1);
            }
            pipeline.release();
        }
        progress.finish();
        if (snapshot)
            snapshot->Finish();
        if (!output.finish(sink))
            return kExitFailed;
        return anyFailed ? kExitFailed : kExitOk;
    } catch (const CFileException& e) {
        sink.showMessage(e.UserMessage());
        return kExitFailed;
    }
}
