// The batch's reference snapshot against the per-statement engine: random
// reference sets full of traps (letter-case and trailing-blank variants of
// keys, several rows per key in random order, NULL and empty values, DRGs with
// a leading blank, names and weights found only by the server's comparison,
// collations and indexes the snapshot must not trust) and random cases, both
// paths on the real server, byte-identical output and messages.
#include <filesystem>
#include <random>
#include <set>
#include <unistd.h>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CCommandLine.h"
#include "CCsvFileReader.h"
#include "CCsvReader.h"
#include "CDatabase.h"
#include "CReferenceSnapshot.h"
#include "CliProcess.h"
#include "Commands.h"
#include "TestDb.h"

namespace {

using Rng = std::mt19937;

int pick(Rng& rng, int n) { return int(rng() % unsigned(n)); }
bool chance(Rng& rng, int percent) { return pick(rng, 100) < percent; }

template <typename T>
const T& oneOf(Rng& rng, const std::vector<T>& pool)
{
    return pool[std::size_t(pick(rng, int(pool.size())))];
}

// A SQL value: NULL for nullopt, else a quoted literal (UTF-8).
struct Value {
    bool null = false;
    std::string text;
};
Value null() { return {true, {}}; }
Value text(std::string s) { return {false, std::move(s)}; }

std::string sql(const Value& v)
{
    if (v.null)
        return "NULL";
    std::string out = "'";
    for (char c : v.text) {
        if (c == '\'' || c == '\\')
            out += c;
        out += c;
    }
    return out + "'";
}

// A key as the server's comparison still finds it (letter case, trailing
// blanks), or a near miss it must not find (a leading blank, a tab), or, in
// rounds that allow it, a letter outside ASCII.
std::string variant(Rng& rng, std::string key, bool nonAscii)
{
    switch (pick(rng, 10)) {
    case 0:
    case 1:
        for (char& c : key)
            if (c >= 'A' && c <= 'Z' && chance(rng, 60))
                c = char(c - 'A' + 'a');
        return key;
    case 2:
        return key + std::string(std::size_t(1 + pick(rng, 2)), ' ');
    case 3:
        return nonAscii && chance(rng, 50) ? key + "\t" : " " + key;
    case 4:
        if (nonAscii && !key.empty())
            return "\xC3\x80" + key.substr(1); // À for the first character
        return key;
    default:
        return key;
    }
}

const std::vector<std::string> kCodes = {"A01", "A012", "A019", "B20", "B201", "C34", "C341", "D50",
                                         "E11", "E119", "I10", "J18", "J189", "K35", "N39", "Z99"};
const std::vector<std::string> kDgcats = {"01M01", "01m01", "02M02", "0AM03", "0aM03", "1", "", "02M02 ", "03M04"};
const std::vector<std::string> kPdgpros = {"P1", "p1", "P2", "P1 ", "", "P3"};
const std::vector<std::string> kDgprops = {"01XA", "01xa", "01XB", "02XB", "0AXA", "01XA ", "", "03XC"};
const std::vector<std::string> kCompls = {"00C00", "00c00", "01C01", "01C01 ", "01c01", "01I01", "01I02", "01i01",
                                          "1C",    "01X01", "02C02", "0AI01"};
const std::vector<std::string> kDrgs = {"0404", "0404 ", " 12", "012", "a01", "A01", "B02", "b02", "0505", "777"};

struct Options {
    bool nonAscii = false;
    bool traps = false; // collations and indexes the snapshot must not trust
};

std::string insert(const std::string& table, const std::string& columns, const std::vector<std::vector<Value>>& rows)
{
    if (rows.empty())
        return std::string();
    std::string s = "INSERT INTO " + table + " (" + columns + ") VALUES ";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        s += r ? ",(" : "(";
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            s += (c ? "," : "") + sql(rows[r][c]);
        s += ")";
    }
    return s + ";\n";
}

Value maybe(Rng& rng, int nullPercent, const std::vector<std::string>& pool)
{
    return chance(rng, nullPercent) ? null() : text(oneOf(rng, pool));
}

std::string referenceSet(Rng& rng, const Options& o)
{
    std::string s;
    if (o.traps) {
        const std::vector<std::string> alterations = {
            "ALTER TABLE DG1 MODIFY code VARCHAR(32) COLLATE utf8mb4_unicode_ci NOT NULL;",
            "ALTER TABLE DG1 ADD KEY dg1_all (code, vartype, varval);",
            "ALTER TABLE drglogic ADD KEY drglogic_mdc (mdc);",
            "ALTER TABLE drgnames MODIFY drg VARCHAR(32) COLLATE utf8mb4_bin NOT NULL;",
            "ALTER TABLE complexcl CONVERT TO CHARACTER SET latin1 COLLATE latin1_swedish_ci;",
            "ALTER TABLE complcat ENGINE=MyISAM;",
            "ALTER TABLE DRGWeight MODIFY DRG VARCHAR(32) COLLATE utf8mb4_nopad_bin NOT NULL;",
        };
        for (const std::string& a : alterations)
            if (chance(rng, 40))
                s += a + "\n";
    }
    const char* vartypes[] = {"DGCAT", "PDGPRO", "DGPROP", "COMPL"};
    const std::vector<std::string>* values[] = {&kDgcats, &kPdgpros, &kDgprops, &kCompls};
    std::vector<std::vector<Value>> dg1;
    for (const std::string& code : kCodes)
        for (int k = 0; k < 4; ++k)
            for (int n = pick(rng, k == 2 ? 5 : 3); n > 0; --n) {
                std::string vartype = chance(rng, 70) ? vartypes[k] : variant(rng, vartypes[k], false);
                dg1.push_back({text(variant(rng, code, o.nonAscii)), text(vartype), maybe(rng, 8, *values[k])});
            }
    std::shuffle(dg1.begin(), dg1.end(), rng);
    s += insert("DG1", "code, vartype, varval", dg1);

    std::vector<std::vector<Value>> complexcl;
    for (int n = 0; n < 25; ++n)
        complexcl.push_back({text(variant(rng, oneOf(rng, kCodes), o.nonAscii)), text(variant(rng, oneOf(rng, kCompls), false))});
    s += insert("complexcl", "code, compl", complexcl);

    std::vector<std::vector<Value>> complcat;
    for (const std::string& category : kCompls)
        for (int n = pick(rng, 3); n > 0; --n)
            complcat.push_back({text(variant(rng, category, false)), maybe(rng, 15, kDgprops)});
    std::shuffle(complcat.begin(), complcat.end(), rng);
    s += insert("complcat", "compl, inclprop", complcat);

    std::vector<std::vector<Value>> logic;
    for (int n = 40 + pick(rng, 40); n > 0; --n) {
        std::vector<Value> r;
        r.push_back(chance(rng, 85) ? text("+") : maybe(rng, 30, {"+ ", "", "-"}));
        r.push_back(maybe(rng, 50, {"01", "02", "0A", "0a", "1", "03"}));
        r.push_back(chance(rng, 40) ? null() : text(variant(rng, oneOf(rng, kDgcats), false)));
        r.push_back(chance(rng, 60) ? null() : text(variant(rng, oneOf(rng, kPdgpros), false)));
        r.push_back(maybe(rng, 70, {"<NONE>", "<none>", "<NONE> ", "X"}));
        r.push_back(maybe(rng, 60, {"-", "- ", "x", ""}));
        r.push_back(maybe(rng, 60, {"M", "F", "m", ""}));
        r.push_back(maybe(rng, 60, {"-365", "365", "0", "abc", " 100", "-20000"}));
        bool chain = true;
        for (int d = 0; d < 4; ++d) {
            chain = chain && chance(rng, d == 0 ? 40 : 30);
            r.push_back(chain || chance(rng, 10) ? maybe(rng, 10, kDgprops) : null());
        }
        r.push_back(maybe(rng, 50, {"1", "0", "1 ", ""}));
        r.push_back(maybe(rng, 60, {"E", "R", "L", "", "e"}));
        r.push_back(maybe(rng, 60, {"-5", "5", "", "x"}));
        r.push_back(maybe(rng, 5, kDrgs));
        logic.push_back(std::move(r));
    }
    s += insert("drglogic",
                "icd, mdc, dgcat1, pdgprop, procpro1, `or`, sex, agelim, dgprop1, dgprop2, dgprop3, dgprop4, compl, "
                "disch, dur, drg",
                logic);

    std::vector<std::vector<Value>> weights, names;
    for (const std::string& drg : kDrgs) {
        const std::string weightCode = drg[0] == ' ' ? '0' + drg.substr(1) : drg;
        for (int n = chance(rng, 85) ? 1 + pick(rng, 2) : 0; n > 0; --n)
            weights.push_back({text(variant(rng, weightCode, false)), maybe(rng, 10, {"1.2500", "2", "0.5000", "3.1000"})});
        for (int n = chance(rng, 85) ? 1 + pick(rng, 2) : 0; n > 0; --n)
            names.push_back({text(variant(rng, drg, false)), maybe(rng, 10, {"First name", "Other name", "", "Caf\xC3\xA9"})});
    }
    std::shuffle(weights.begin(), weights.end(), rng);
    std::shuffle(names.begin(), names.end(), rng);
    s += insert("DRGWeight", "DRG, weight", weights);
    s += insert("drgnames", "drg, english", names);
    return s;
}

std::string displayCode(Rng& rng, const Options& o)
{
    std::string code = oneOf(rng, kCodes);
    if (chance(rng, 8))
        code = "Q99";
    if (chance(rng, 15))
        for (char& c : code)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
    if (o.nonAscii && chance(rng, 5))
        code = "\xC3\x84" + code.substr(1); // Ä
    return code.size() > 3 ? code.substr(0, 3) + "." + code.substr(3) : code;
}

std::string cases(Rng& rng, const Options& o, int count)
{
    std::string s = "id,birthdate,admission,sex,discharge,duration,diagnoses,bidiagnoses\n";
    const char* discharges[] = {"", "", "E", "R", "L"};
    for (int i = 0; i < count; ++i) {
        auto list = [&](int n) {
            std::string l;
            for (int k = 0; k < n; ++k)
                l += (k ? "|" : "") + displayCode(rng, o);
            return l;
        };
        char birth[16];
        std::snprintf(birth, sizeof birth, "%04d-%02d-%02d", 1930 + pick(rng, 95), 1 + pick(rng, 12), 1 + pick(rng, 28));
        const std::string admission = chance(rng, 3) ? "1920-01-01" : "2024-06-15";
        s += "c" + std::to_string(i) + "," + birth + "," + admission + "," + (chance(rng, 50) ? "M" : "F") + "," +
             discharges[pick(rng, 5)] + "," + std::to_string(pick(rng, 12)) + "," + list(pick(rng, 5)) + "," +
             list(pick(rng, 4)) + "\n";
    }
    return s;
}

struct BatchRun {
    int status = -1;
    std::string out, err;
};

BatchRun batch(const std::string& database, const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    BatchRun run;
    run.status = RunBatchWith(CCommandLine::Parse(args), out, err, [&](CDatabase& db, IMessageSink&) {
        return db.OpenEx(testdb::connectString(database));
    });
    run.out = out.str();
    run.err = err.str();
    return run;
}

// The snapshot on one thread and on several wrote what the statements wrote.
void expectTheBytesOfTheStatements(const BatchRun& statements, const BatchRun& snapshot, const BatchRun& parallel)
{
    EXPECT_EQ(snapshot.out, statements.out);
    EXPECT_EQ(snapshot.err, statements.err);
    EXPECT_EQ(snapshot.status, statements.status);
    EXPECT_EQ(parallel.out, statements.out);
    EXPECT_EQ(parallel.err, statements.err);
}

long long selects()
{
    return std::stoll(testdb::query("SHOW GLOBAL STATUS LIKE 'Com_select'").at(0).at(1));
}

class BatchDifferentialTest : public testing::Test {
protected:
    void SetUp() override { m_dir = makeTempDir(); }
    void TearDown() override
    {
        std::filesystem::remove_all(m_dir);
        testdb::exec("DROP DATABASE IF EXISTS " + m_database);
    }

    std::string m_dir;
    std::string m_database = "VesmarBatchDiff" + std::to_string(::getpid());
};

TEST_F(BatchDifferentialTest, SnapshotGivesTheBytesOfTheStatements)
{
    long long statementSelects = 0, snapshotSelects = 0;
    int rounds = 0;
    for (unsigned seed = 1; seed <= 14; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Rng rng(seed);
        Options o;
        o.nonAscii = seed % 4 == 0;
        o.traps = seed % 3 == 0;
        testdb::createReferenceDatabase(m_database);
        testdb::exec(referenceSet(rng, o), m_database);
        const std::string in = m_dir + "/in.csv";
        writeFile(in, cases(rng, o, 120));

        long long before = selects();
        const BatchRun statements = batch(m_database, {"batch", "--per-statement", in});
        long long middle = selects();
        const BatchRun snapshot = batch(m_database, {"batch", "--jobs", "1", in});
        long long after = selects();
        const BatchRun parallel = batch(m_database, {"batch", "--jobs", "3", in});

        expectTheBytesOfTheStatements(statements, snapshot, parallel);
        // The traps must be reached: results, failed cases and warnings.
        EXPECT_NE(statements.out.find(",1,"), std::string::npos);
        EXPECT_NE(statements.out.find(",0,,,,,"), std::string::npos);
        if (!o.nonAscii && !o.traps) {
            statementSelects += middle - before;
            snapshotSelects += after - middle;
            ++rounds;
        }
    }
    // Where nothing is untrusted, memory answers nearly everything.
    ASSERT_GT(rounds, 0);
    EXPECT_LT(snapshotSelects * 5, statementSelects) << snapshotSelects << " vs " << statementSelects;
}

// Tables of several rowsets are taken into memory on a thread beside the
// fetching: a key's rows spread over rowsets far apart (letter-case and
// trailing-blank variants among thousands of other codes) still answer in
// delivery order, as the statements do.
TEST_F(BatchDifferentialTest, TablesOfManyRowsetsGiveTheBytesOfTheStatements)
{
    Rng rng(77);
    Options o;
    testdb::createReferenceDatabase(m_database);
    std::string s = referenceSet(rng, o);
    std::vector<std::vector<Value>> dg1, complexcl;
    for (int i = 0; i < 12000; ++i) {
        const std::string code = "F" + std::to_string(10000 + i);
        dg1.push_back({text(code), text("DGCAT"), text(oneOf(rng, kDgcats))});
        if (i % 2 == 0)
            dg1.push_back({text(code), text("DGPROP"), text(oneOf(rng, kDgprops))});
        complexcl.push_back({text(code), text(oneOf(rng, kCompls))});
        // Now and then one more row of a case's code, many rowsets after its first.
        if (i % 1500 == 0)
            for (const std::string& code : kCodes) {
                dg1.push_back({text(variant(rng, code, false)), text(chance(rng, 50) ? "DGPROP" : "COMPL"),
                               text(oneOf(rng, chance(rng, 50) ? kDgprops : kCompls))});
                complexcl.push_back({text(variant(rng, code, false)), text(oneOf(rng, kCompls))});
            }
    }
    s += insert("DG1", "code, vartype, varval", dg1) + insert("complexcl", "code, compl", complexcl);
    testdb::exec(s, m_database);
    const std::string in = m_dir + "/in.csv";
    writeFile(in, cases(rng, o, 150));

    const BatchRun statements = batch(m_database, {"batch", "--per-statement", in});
    const BatchRun snapshot = batch(m_database, {"batch", "--jobs", "1", in});
    const BatchRun parallel = batch(m_database, {"batch", "--jobs", "2", in});
    expectTheBytesOfTheStatements(statements, snapshot, parallel);
    EXPECT_NE(statements.out.find(",1,"), std::string::npos);
}

// The comparison rules the snapshot models, asked of the server for every
// pair of printable ASCII characters and for trailing and leading blanks.
TEST_F(BatchDifferentialTest, ModelledCollationsCompareAsTheServer)
{
    testdb::exec("DROP DATABASE IF EXISTS " + m_database + "; CREATE DATABASE " + m_database + ";");
    const std::vector<std::pair<std::string, std::string>> collations = {
        {"utf8mb4", "utf8mb4_general_ci"}, {"utf8mb3", "utf8mb3_general_ci"}, {"latin1", "latin1_swedish_ci"},
        {"ascii", "ascii_general_ci"},     {"utf8mb4", "utf8mb4_bin"},        {"utf8mb3", "utf8mb3_bin"},
        {"latin1", "latin1_bin"},          {"ascii", "ascii_bin"},
    };
    std::vector<std::string> values;
    for (int c = 0x20; c <= 0x7E; ++c)
        if (c != '\\')
            values.push_back(std::string(1, char(c)));
    for (std::string extra : {"a ", "A  ", " a", "ab", "aB ", "", "  ", "a\t"})
        values.push_back(extra);
    for (const auto& [charset, collation] : collations) {
        SCOPED_TRACE(collation);
        const KeyRule rule = KeyRuleOfCollation(collation);
        ASSERT_NE(rule, KeyRule::Unknown);
        std::string rows;
        for (std::size_t i = 0; i < values.size(); ++i)
            rows += (i ? ",(" : "(") + std::to_string(i) + "," + sql(text(values[i])) + ")";
        testdb::exec("DROP TABLE IF EXISTS t; CREATE TABLE t (id INT, v VARCHAR(8) CHARACTER SET " + charset +
                         " COLLATE " + collation + "); INSERT INTO t VALUES " + rows + ";",
                     m_database);
        std::set<std::pair<int, int>> server;
        for (const auto& r : testdb::query("SELECT a.id, b.id FROM t a JOIN t b ON a.v = b.v", m_database))
            server.insert({std::stoi(r[0]), std::stoi(r[1])});
        for (std::size_t i = 0; i < values.size(); ++i)
            for (std::size_t j = 0; j < values.size(); ++j) {
                std::string a, b;
                if (!ComparisonKey(rule, values[i], a) || !ComparisonKey(rule, values[j], b))
                    continue; // not modelled: the snapshot asks the server
                EXPECT_EQ(a == b, server.count({int(i), int(j)}) == 1)
                    << "'" << values[i] << "' = '" << values[j] << "'";
            }
    }
    EXPECT_EQ(KeyRuleOfCollation("utf8mb4_unicode_ci"), KeyRule::Unknown);
    EXPECT_EQ(KeyRuleOfCollation("utf8mb4_nopad_bin"), KeyRule::Unknown);
    std::string key;
    EXPECT_FALSE(ComparisonKey(KeyRule::FoldAZ, "\xC0" "012", key));
}

// What the snapshot must not trust it leaves to statements, table by table,
// and it remembers a statement's answer.
TEST_F(BatchDifferentialTest, UntrustedTablesAreLeftToStatements)
{
    const std::vector<std::pair<std::string, std::string>> traps = {
        {"", ""},
        {"ALTER TABLE DG1 MODIFY code VARCHAR(32) COLLATE utf8mb4_unicode_ci NOT NULL;", "DG1: a collation"},
        {"ALTER TABLE DG1 ADD KEY dg1_all (code, vartype, varval);", "DG1: several rows"},
        {"ALTER TABLE drglogic ADD KEY drglogic_mdc (mdc);", "drglogic: delivery order"},
        {"ALTER TABLE complcat ENGINE=MyISAM;", "complcat: several rows"},
        {"ALTER TABLE drgnames PARTITION BY KEY (row_id) PARTITIONS 2;", "drgnames: several rows"},
        {"ALTER TABLE DRGWeight MODIFY DRG VARCHAR(32) COLLATE utf8mb4_nopad_bin NOT NULL;", "DRGWeight: a collation"},
        {"INSERT INTO complexcl (code, compl) VALUES ('\xC3\x80" "012', '01C01');", "complexcl: a key outside"},
        {"DROP TABLE drgnames;", "drgnames: not in information_schema"},
    };
    for (const auto& [alteration, expected] : traps) {
        SCOPED_TRACE(alteration);
        testdb::createReferenceDatabase(m_database);
        testdb::exec("INSERT INTO DG1 (code, vartype, varval) VALUES ('A012', 'DGCAT', '01M01'), ('a012 ', 'dgcat', '02M02');" +
                         alteration,
                     m_database);
        CDatabase db;
        ASSERT_TRUE(db.OpenEx(testdb::connectString(m_database)));
        CReferenceSnapshot snapshot(db);
        snapshot.Load();
        std::string all;
        for (const std::string& line : snapshot.fallbacks())
            all += line + "\n";
        if (expected.empty())
            EXPECT_EQ(all, "");
        else
            EXPECT_NE(all.find(expected), std::string::npos) << all;

        CSnapshotAnswers answers(snapshot);
        std::string value;
        // Two rows that the server's comparison finds for A012: the first one
        // delivered answers, from memory where the order is proven.
        ASSERT_TRUE(answers.firstVarval("DGCAT", "A012", value));
        EXPECT_EQ(value, "01M01");
        ASSERT_TRUE(answers.firstVarval("DGCAT", "A012", value));
        const bool trusted = expected.rfind("DG1", 0) != 0;
        EXPECT_EQ(snapshot.statementsSent(), trusted ? 0u : 1u);
        // A code outside printable ASCII is always asked, once: the server
        // weighs the letter like A and finds A012's rows.
        value.clear();
        EXPECT_TRUE(answers.firstVarval("DGCAT", "\xC4" "012", value));
        EXPECT_TRUE(answers.firstVarval("DGCAT", "\xC4" "012", value));
        EXPECT_EQ(value, "01M01");
        EXPECT_EQ(snapshot.statementsSent(), trusted ? 1u : 2u);
        snapshot.Finish();
    }
}

// Records read piece by piece are the records of the whole text, whatever the
// piece size: quotes across pieces, CRLF split, blank lines, a byte order mark.
TEST(CsvFileReaderTest, PiecesReadAsTheWholeText)
{
    const std::string dir = makeTempDir();
    Rng rng(7);
    const std::vector<std::string> bits = {"a", "b,", ",", "\"", "\"\"", "\n", "\r\n", "\r", "x y", "\"q,\nr\"", "\n\n"};
    for (int round = 0; round < 200; ++round) {
        std::string textIn = chance(rng, 20) ? "\xEF\xBB\xBF" : "";
        for (int n = pick(rng, 40); n > 0; --n)
            textIn += oneOf(rng, bits);
        writeFile(dir + "/t.csv", textIn);
        CCsvReader whole(textIn);
        CCsvFileReader pieces(dir + "/t.csv", std::size_t(1 + pick(rng, 7)));
        std::vector<std::string> f1, f2;
        int l1 = 0, l2 = 0;
        std::string p1, p2;
        for (;;) {
            auto r1 = whole.Next(f1, l1, p1);
            auto r2 = pieces.Next(f2, l2, p2);
            ASSERT_EQ(r1, r2) << round;
            if (r1 == CCsvReader::Result::End)
                break;
            ASSERT_EQ(f1, f2) << round;
            ASSERT_EQ(l1, l2) << round;
            if (r1 == CCsvReader::Result::Malformed) {
                ASSERT_EQ(p1, p2) << round;
            }
        }
    }
    std::filesystem::remove_all(dir);
}

// A record longer than the limit is dropped as it streams past, in small
// pieces too, and reading goes on at its next line exactly as in the whole
// text, whatever the line ends.
TEST(CsvFileReaderTest, OverlongRecordSkippedAsInTheWholeText)
{
    const std::string dir = makeTempDir();
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        const std::string textIn = "h,1" + end + "\"" + std::string(CCsvReader::kMaxRecordBytes + 5000, 'x') + end +
                                   end + "next,2" + end;
        writeFile(dir + "/t.csv", textIn);
        CCsvReader whole(textIn);
        CCsvFileReader pieces(dir + "/t.csv", 65536);
        std::vector<std::string> f1, f2;
        int l1 = 0, l2 = 0;
        std::string p1, p2;
        std::vector<CCsvReader::Result> seen;
        std::vector<std::string> lastFields;
        int lastLine = 0;
        for (;;) {
            auto r1 = whole.Next(f1, l1, p1);
            auto r2 = pieces.Next(f2, l2, p2);
            ASSERT_EQ(r1, r2);
            if (r1 == CCsvReader::Result::End)
                break;
            seen.push_back(r1);
            EXPECT_EQ(f1, f2);
            EXPECT_EQ(l1, l2);
            lastFields = f2;
            lastLine = l2;
            if (r1 == CCsvReader::Result::Malformed) {
                EXPECT_EQ(p2, CCsvReader::kLongRecordProblem);
                EXPECT_TRUE(f2.empty());
            }
        }
        EXPECT_EQ(seen, (std::vector<CCsvReader::Result>{CCsvReader::Result::Record, CCsvReader::Result::Malformed,
                                                         CCsvReader::Result::Record}));
        EXPECT_EQ(lastFields, (std::vector<std::string>{"next", "2"}));
        EXPECT_EQ(lastLine, 4);
    }
    std::filesystem::remove_all(dir);
}

} // namespace
