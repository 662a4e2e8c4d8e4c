// scripts/refdb load: a data set folder into a reference database, file
// order kept, read back through the cursor layer.

#include "CDatabase.h"
#include "CRecordset.h"
#include "TestDb.h"

#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace {

const std::string kDb = "VesmarLoadTest";

std::vector<std::vector<std::string>> readAll(CDatabase& db, const std::string& sql,
                                              const std::vector<std::string>& columns)
{
    std::vector<std::vector<std::string>> rows;
    CRecordset rs(&db);
    rs.Open(sql);
    while (!rs.IsEOF()) {
        std::vector<std::string> row;
        for (const std::string& column : columns) {
            std::string value;
            rs.GetFieldValue(column, value);
            row.push_back(value);
        }
        rows.push_back(row);
        rs.MoveNext();
    }
    return rows;
}

TEST(DataSetLoadTest, DecisionRowsComeBackInFileOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();

    // 6000 rules whose DRGs are far from alphabetical order in the file.
    std::vector<std::vector<std::string>> expected;
    {
        std::ofstream out(folder + "/drglogic.tsv", std::ios::binary);
        out << "icd\tmdc\tor\tsex\tdrg\n";
        for (int i = 0; i < 6000; ++i) {
            std::string drg = "D" + std::to_string((i * 7919) % 6000);
            std::string sex = i % 3 == 0 ? "\\N" : "M";
            out << "+\t0" << i % 10 << "\t\\N\t" << sex << '\t' << drg << '\n';
            expected.push_back({"+", "0" + std::to_string(i % 10), "", i % 3 == 0 ? "" : "M", drg});
        }
        // A DRG that begins with a blank keeps it.
        out << "+\t05\tO\tF\t 05A\n";
        expected.push_back({"+", "05", "O", "F", " 05A"});
    }
    {
        std::ofstream out(folder + "/icd.tsv", std::ios::binary);
        out << "Code\tText\nA01\tFi\xC3\xA8vre typho\xC3\xAF" "de\nA01.0\tTyphoid fever  \n";
    }
    std::string command = "'" VESMAR_SOURCE_DIR "/scripts/refdb' load '" + folder + "' " + kDb + " > '" + folder +
                          "/load.log' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << std::ifstream(folder + "/load.log").rdbuf();

    CDatabase db;
    ASSERT_TRUE(db.OpenEx(testdb::connectString(kDb), CDatabase::openReadOnly));
    EXPECT_EQ(readAll(db, "SELECT * FROM drglogic", {"icd", "mdc", "or", "sex", "drg"}), expected);
    EXPECT_EQ(readAll(db, "SELECT Code, Text From icd", {"Code", "Text"}),
              (std::vector<std::vector<std::string>>{{"A01", "Fi\xE8vre typho\xEF" "de"},
                                                     {"A01.0", "Typhoid fever  "}}));
    // Tables without a file exist and are empty.
    EXPECT_TRUE(readAll(db, "SELECT * FROM DG1", {"code"}).empty());
    EXPECT_TRUE(readAll(db, "SELECT * FROM DRGWeight", {"DRG"}).empty());
}

} // namespace
