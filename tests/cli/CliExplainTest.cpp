// group --explain=json parsed back, and group --pdf read back with pdftotext,
// on the private server's sample database.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "CRecordset.h"
#include "CVesmarDoc.h"
#include "CliProcess.h"
#include "TestDb.h"

namespace {

// A case file as the window saves it, both dates accepted.
std::string saveCase(const std::string& folder, double birth, double admission, bool male,
                     const std::vector<std::string>& chosen, const std::vector<std::string>& bi)
{
    CVesmarDoc doc;
    doc.OnNewDocument();
    doc.SetMale(male);
    doc.SetBirthDate({birth, DateValue::valid});
    doc.SetAdmissionDate({admission, DateValue::valid});
    doc.SetBirthDateSet(1);
    doc.SetAdmissionDateSet(1);
    for (const std::string& entry : chosen)
        doc.AddChosenDiagnosis(entry);
    for (const std::string& entry : bi)
        doc.AddBiDiagnosis(entry);
    const std::string path = folder + "/case.drg";
    CRecordingSink sink;
    if (!doc.OnSaveDocument(path, sink))
        throw std::runtime_error("cannot save " + path);
    return path;
}

// ex05: 1956-01-30, admitted 2024-05-06 (24934 days), I21.4 and E11.9, bi N18.3.
constexpr double kEx05Birth = 20484.0, kEx05Admission = 45418.0;

QJsonObject parsed(const std::string& out)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << out;
    EXPECT_TRUE(doc.isObject());
    return doc.object();
}

std::string pdfText(const std::string& path)
{
    const std::string command = "pdftotext -layout -enc UTF-8 '" + path + "' -";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string text;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        text += buffer;
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

class CliExplain : public testing::Test {
protected:
    void SetUp() override { m_dir = makeTempDir(); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string m_dir;
};

TEST_F(CliExplain, JsonHoldsEveryPassTheReportAndNoError)
{
    const std::string file = saveCase(m_dir, kEx05Birth, kEx05Admission, true,
                                      {"I21.4    NSTEMI", "E11.9    Type 2 diabetes"}, {"N18.3    CKD 3"});
    CliRun run = runCli({"group", "--explain=json", "--duration", "5", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << "one object on one line";
    const QJsonObject json = parsed(run.out);
    EXPECT_TRUE(json.value("error").isNull());
    const QJsonArray report = json.value("report").toArray();
    ASSERT_EQ(report.size(), 2);
    EXPECT_EQ(report[0].toString().toStdString(),
              "DRG: 0506    Other acute myocardial infarction with complication     Primary Diagnose:  I21.4\tWeight: "
              "1.7650");

    const QJsonArray passes = json.value("passes").toArray();
    ASSERT_EQ(passes.size(), 2);
    const QJsonObject first = passes[0].toObject();
    EXPECT_EQ(first.value("primary").toString(), "I21.4");
    EXPECT_EQ(first.value("entry").toString(), "I21.4    NSTEMI");
    EXPECT_EQ(first.value("dgcat").toString(), "05M01");
    EXPECT_FALSE(first.value("dgcatFailed").toBool(true));
    EXPECT_EQ(first.value("mdc").toString(), "05");
    EXPECT_EQ(first.value("pdgpro").toArray().size(), 0);
    EXPECT_EQ(first.value("dgprop").toArray(), (QJsonArray{"05DM", "05RENF"}));
    const QJsonArray candidates = first.value("candidates").toArray();
    ASSERT_EQ(candidates.size(), 2);
    EXPECT_EQ(candidates[0].toObject().value("code").toString(), "I214");
    EXPECT_TRUE(candidates[0].toObject().value("compl").isNull());
    EXPECT_EQ(candidates[0].toObject().value("verdict").toString(), "no-compl-value");
    EXPECT_FALSE(candidates[0].toObject().value("counts").toBool(true));
    EXPECT_EQ(candidates[1].toObject().value("compl").toString(), "10I01");
    EXPECT_EQ(candidates[1].toObject().value("verdict").toString(), "included");
    EXPECT_EQ(candidates[1].toObject().value("inclprop").toString(), "05RENF");
    EXPECT_TRUE(candidates[1].toObject().value("counts").toBool());
    EXPECT_EQ(first.value("complication").toString(), "E119");
    EXPECT_EQ(first.value("compl").toString(), "1");
    const QJsonObject row = first.value("decidingRow").toObject();
    EXPECT_EQ(row.value("columns").toObject().value("row_id").toString(), "17");
    EXPECT_EQ(row.value("columns").toObject().value("drg").toString(), "0506");
    EXPECT_GE(row.value("position").toInt(), 1);
    EXPECT_EQ(first.value("rowsExamined").toInt(), row.value("position").toInt());
    EXPECT_EQ(first.value("drg").toString(), "0506");
    EXPECT_EQ(first.value("name").toString(), "Other acute myocardial infarction with complication");
    EXPECT_DOUBLE_EQ(first.value("weight").toDouble(), 1.765);

    const QJsonObject second = passes[1].toObject();
    EXPECT_EQ(second.value("mdc").toString(), "10");
    EXPECT_EQ(second.value("candidates").toArray()[1].toObject().value("verdict").toString(), "not-included");
    EXPECT_TRUE(second.value("complication").isNull());
    EXPECT_EQ(second.value("drg").toString(), "1004");

    // The text form is unchanged and stays the default.
    CliRun text = runCli({"group", "--explain", "--duration", "5", file});
    EXPECT_NE(text.out.find("Pass 1: primary diagnosis I21.4\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find('{'), std::string::npos);
}

TEST_F(CliExplain, JsonOfAFailedReportNamesThePassAndTheLookup)
{
    const std::string file = saveCase(m_dir, kEx05Birth, kEx05Admission, true,
                                      {"I10    Hypertension", "Z79.4    Insulin"}, {});
    CliRun run = runCli({"group", "--explain=json", "--duration", "4", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Invalid cursor state\n");
    const QJsonObject json = parsed(run.out);
    EXPECT_TRUE(json.value("report").isNull());
    const QJsonObject error = json.value("error").toObject();
    EXPECT_EQ(error.value("pass").toInt(), 2);
    EXPECT_EQ(error.value("step").toString(), "name");
    EXPECT_TRUE(error.value("message").toString().startsWith("Invalid cursor state"));
    const QJsonArray passes = json.value("passes").toArray();
    ASSERT_EQ(passes.size(), 2);
    EXPECT_EQ(passes[0].toObject().value("name").toString(), "Hypertension");
    const QJsonObject broken = passes[1].toObject();
    EXPECT_TRUE(broken.value("dgcatFailed").toBool());
    EXPECT_EQ(broken.value("mdc").toString(), "CD");
    EXPECT_TRUE(broken.value("decidingRow").isNull());
    EXPECT_EQ(broken.value("drg").toString(), "ERROR in determingDRGlogic");
    EXPECT_TRUE(broken.value("name").isNull());
}

TEST_F(CliExplain, PdfHoldsTheCaseTheReportAndTheDetails)
{
    const std::string file = saveCase(m_dir, kEx05Birth, kEx05Admission, true,
                                      {"I21.4    NSTEMI", "E11.9    Type 2 diabetes"}, {"N18.3    CKD 3"});
    const std::string pdf = m_dir + "/out.pdf";
    CliRun run = runCli({"group", "--pdf", pdf, "--duration", "5", "--discharge", "E", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // The report is printed as without --pdf.
    EXPECT_EQ(run.out.rfind("DRG: 0503    Acute myocardial infarction, died", 0), 0u) << run.out;
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_EQ(readFile(pdf).rfind("%PDF-", 0), 0u);
    const std::string text = pdfText(pdf);
    for (const char* expected :
         {"Vesmar: case.drg", "Birth date: 1956-01-30", "Admission date: 2024-05-06", "Age in days: 24934",
          "Sex: Male", "Discharge: E", "Length of stay: 5 days", "I21.4 NSTEMI", "N18.3 CKD 3",
          "DRG: 0503 Acute myocardial infarction, died Primary Diagnose: I21.4 Weight: 2.1030",
          "Pass 2 of 2: E11.9 Type 2 diabetes", "Decision row: row_id 14,"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

    // A failed report still gets its pages, with the pass that broke it.
    const std::string failing = saveCase(m_dir, kEx05Birth, kEx05Admission, true, {"Z79.4    Insulin"}, {});
    CliRun failed = runCli({"group", "--pdf=" + pdf, failing});
    EXPECT_EQ(failed.status, 1);
    const std::string failedText = pdfText(pdf);
    EXPECT_NE(failedText.find("the name look-up failed"), std::string::npos) << failedText;
    EXPECT_NE(failedText.find("Result (empty)"), std::string::npos) << failedText;

    // An unwritable target: the file error, status 1.
    CliRun nowhere = runCli({"group", "--pdf", m_dir + "/no/such/out.pdf", file});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.err.find("out.pdf"), std::string::npos) << nowhere.err;

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"group", "--pdf", file}, {"group", "--pdf=", file}}) {
        CliRun usage = runCli(args);
        EXPECT_EQ(usage.status, 2) << testing::PrintToString(args);
    }
}

} // namespace
