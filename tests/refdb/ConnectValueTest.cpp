// Stored settings and statement values that try to change what is sent:
// braced connect-string values, the host:port form, a NUL inside a value.
#include "CDatabase.h"
#include "CRecordset.h"
#include "CRegistry.h"
#include "ReferenceConnection.h"
#include "SqlText.h"
#include "TestDb.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const std::string kPrefix = "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;";

TEST(ConnectValues, OnlyValuesThatWouldBreakTheStringAreBraced)
{
    EXPECT_EQ(BuildConnectString(true, "db.example", "vesmar", "s3cr=t 'x\" ,"),
              kPrefix + "SERVER=db.example;UID=vesmar;PASSWORD=s3cr=t 'x\" ,");
    EXPECT_EQ(BuildConnectString(true, "db", "us;er", ";INITSTMT=CREATE TABLE t(x int)"),
              kPrefix + "SERVER=db;UID={us;er};PASSWORD={;INITSTMT=CREATE TABLE t(x int)}");
    EXPECT_EQ(BuildConnectString(true, "d{b", "u}", "}}{"), kPrefix + "SERVER={d{b};UID={u}}};PASSWORD={}}}}{}");
    EXPECT_EQ(BuildConnectString(false, "a;b", "c;d", "e;f"), kPrefix + ";;");
}

TEST(ConnectValues, AHostWithAPortOfDigitsGetsAPortPart)
{
    EXPECT_EQ(BuildConnectString(true, "dbserver:3307", "u", "p"), kPrefix + "SERVER=dbserver;PORT=3307;UID=u;PASSWORD=p");
    EXPECT_EQ(BuildConnectString(true, "db;x:1", "u", "p"), kPrefix + "SERVER={db;x};PORT=1;UID=u;PASSWORD=p");
    // Anything else stays the host as stored.
    for (const std::string host : {"dbserver:", ":3307", "dbserver:33o7", "dbserver:123456", "::1", "fe80::1:3307",
                                   "db:+3307", "db: 3307"})
        EXPECT_EQ(BuildConnectString(true, host, "u", "p"), kPrefix + "SERVER=" + host + ";UID=u;PASSWORD=p");
    EXPECT_EQ(BuildConnectString(true, "dbserver:3307;PORT=1", "u", "p"),
              kPrefix + "SERVER={dbserver:3307;PORT=1};UID=u;PASSWORD=p");
}

// Settings in a folder of their own, read as at start-up.
class StoredSettings : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char* host : {"127.0.0.1", "localhost"}) {
            const std::string at = std::string("@'") + host + "'";
            testdb::exec("CREATE DATABASE IF NOT EXISTS vesmar_pwn;"
                         "CREATE USER IF NOT EXISTS 'vesmar_semi'" + at + " IDENTIFIED BY '" + kSemicolon + "';"
                         "CREATE USER IF NOT EXISTS 'vesmar_brace'" + at + " IDENTIFIED BY '" + kBraces + "';"
                         "CREATE USER IF NOT EXISTS 'vesmar_nopw'" + at + " IDENTIFIED BY '';"
                         "GRANT SELECT ON `Vesmar`.* TO 'vesmar_semi'" + at + ", 'vesmar_brace'" + at +
                         ", 'vesmar_nopw'" + at + ";"
                         "GRANT ALL ON `vesmar_pwn`.* TO 'vesmar_semi'" + at + ", 'vesmar_brace'" + at +
                         ", 'vesmar_nopw'" + at + ";");
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.path());
        testdb::exec("DROP TABLE IF EXISTS vesmar_pwn.pwned;");
    }

    // Connects as start-up does with the stored settings; the account's name
    // when the connection opened, else empty. Every statement the server
    // received meanwhile goes to logged.
    std::string connectWith(const std::string& user, const std::string& password, std::vector<std::string>& logged)
    {
        EXPECT_TRUE(CRegistry().WriteSettings("127.0.0.1:" + testdb::port(), user, password));
        testdb::exec("SET GLOBAL general_log = 0; TRUNCATE TABLE mysql.general_log; "
                     "SET GLOBAL log_output = 'TABLE'; SET GLOBAL general_log = 1;");
        std::string who;
        {
            CDatabase db;
            CRecordingSink sink;
            if (OpenReferenceDatabase(db, sink)) {
                CRecordset rs(&db);
                rs.Open("SELECT CURRENT_USER() AS who");
                rs.GetFieldValue("who", who);
            }
        }
        testdb::exec("SET GLOBAL general_log = 0;");
        logged.clear();
        for (const auto& row : testdb::query("SELECT argument FROM mysql.general_log"))
            logged.push_back(row.at(0));
        return who;
    }

    static bool pwned() { return !testdb::query("SHOW TABLES FROM vesmar_pwn LIKE 'pwned'").empty(); }

    static constexpr const char* kSemicolon = ";INITSTMT=CREATE TABLE vesmar_pwn.pwned(x int)";
    static constexpr const char* kBraces = "{a}};b}";
    QTemporaryDir m_dir;
};

bool anyCreates(const std::vector<std::string>& logged)
{
    for (const std::string& statement : logged)
        if (statement.find("pwned") != std::string::npos)
            return true;
    return false;
}

TEST_F(StoredSettings, PasswordsWithSemicolonsAndBracesReachTheRealDriverWhole)
{
    std::vector<std::string> logged;
    EXPECT_EQ(connectWith("vesmar_semi", kSemicolon, logged).rfind("vesmar_semi@", 0), 0u);
    EXPECT_FALSE(pwned());
    EXPECT_FALSE(anyCreates(logged));

    EXPECT_EQ(connectWith("vesmar_brace", kBraces, logged).rfind("vesmar_brace@", 0), 0u);
}

// The attack as it was found: the stored password ends the password part
// early (the account has none) and adds a statement run at connection.
TEST_F(StoredSettings, APasswordCannotAddAStatementToTheConnection)
{
    std::vector<std::string> logged;
    EXPECT_EQ(connectWith("vesmar_nopw", kSemicolon, logged), "");
    EXPECT_FALSE(pwned());
    EXPECT_FALSE(anyCreates(logged));
    // The same account with its real password, so the refusal above is the password's.
    EXPECT_EQ(connectWith("vesmar_nopw", "", logged).rfind("vesmar_nopw@", 0), 0u);
}

TEST(StatementValues, ANulReachesTheServerAsThatByte)
{
    CDatabase db;
    ASSERT_TRUE(db.OpenEx(testdb::connectString("Vesmar"), CDatabase::openReadOnly));
    CRecordset rs(&db);
    const std::string value = std::string("a'\\", 3) + '\0' + "b\x01\x7F";
    ASSERT_TRUE(rs.Open("SELECT HEX('" + SqlEscape(value) + "') AS h, 'x' AS tail"));
    std::string hex, tail;
    rs.GetFieldValue("h", hex);
    rs.GetFieldValue("tail", tail);
    EXPECT_EQ(hex, "61275C0062017F");
    EXPECT_EQ(tail, "x");
    EXPECT_EQ(SqlEscape("A01.2 it's"), "A01.2 it''s");
    EXPECT_EQ(SqlEscape("J18.9"), "J18.9");
}

} // namespace
