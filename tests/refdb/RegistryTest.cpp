// The settings store and the start-up connection that reads it.

#include "CDBException.h"
#include "CDatabase.h"
#include "CRecordset.h"
#include "CRegistry.h"
#include "RefdbTestSupport.h"
#include "ReferenceConnection.h"
#include "StringTable.h"
#include "TestDb.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <sqlext.h>

namespace {

// Points the system-scope settings at a fresh folder for one test.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.path());
    }

    std::string settingsFile() const { return (m_dir.path() + "/Orbel/Vesmar.conf").toStdString(); }

    void writeFile(const std::string& text) const
    {
        QDir().mkpath(m_dir.path() + "/Orbel");
        std::ofstream(settingsFile(), std::ios::binary) << text;
    }

    std::string readFile() const
    {
        std::ifstream in(settingsFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    QTemporaryDir m_dir;
};

struct Outputs {
    std::string host = "h0", user = "u0", password = "p0";
    bool read(CRegistry& registry) { return registry.ReadSettings(host, user, password); }
    bool untouched() const { return host == "h0" && user == "u0" && password == "p0"; }
};

TEST_F(SettingsTest, MissingOrIncompleteSettingsReadAsNothing)
{
    CRegistry registry;
    Outputs out;
    EXPECT_FALSE(out.read(registry));
    EXPECT_TRUE(out.untouched());

    writeFile("[General]\nHost=db\nUser=u\n");
    EXPECT_FALSE(out.read(registry));
    EXPECT_TRUE(out.untouched());
}

TEST_F(SettingsTest, WrittenSettingsReadBackExactly)
{
    CRegistry registry;
    // A trailing blank, an empty password, a comma and a Western letter.
    ASSERT_TRUE(registry.WriteSettings("db.example ", "r\xE9mi,x", ""));
    Outputs out;
    ASSERT_TRUE(out.read(registry));
    EXPECT_EQ(out.host, "db.example ");
    EXPECT_EQ(out.user, "r\xE9mi,x");
    EXPECT_EQ(out.password, "");
    // A trailing blank survives only quoted in the file.
    EXPECT_NE(readFile().find("Host=\"db.example \""), std::string::npos) << readFile();

    // Replacing keeps nothing of the old values.
    ASSERT_TRUE(registry.WriteSettings("h", "u", "secret"));
    ASSERT_TRUE(out.read(registry));
    EXPECT_EQ(out.host + out.user + out.password, "husecret");
}

TEST_F(SettingsTest, HandEditedFileWithCommaKeepsTheWholeValue)
{
    writeFile("[General]\nHost=127.0.0.1\nUser=vesmar\nPassword=a,b\n");
    CRegistry registry;
    Outputs out;
    ASSERT_TRUE(out.read(registry));
    EXPECT_EQ(out.password, "a,b");
}

TEST_F(SettingsTest, ThreeValuesWithTheirNulsMustFitIn1000Bytes)
{
    CRegistry registry;
    Outputs out;
    // 997 + 1, 0 + 1, 0 + 1: exactly 1000 bytes.
    ASSERT_TRUE(registry.WriteSettings(std::string(997, 'h'), "", ""));
    ASSERT_TRUE(out.read(registry));
    EXPECT_EQ(out.host.size(), 997u);

    Outputs again;
    ASSERT_TRUE(registry.WriteSettings(std::string(400, 'h'), std::string(400, 'u'), std::string(198, 'p')));
    EXPECT_FALSE(again.read(registry));
    EXPECT_TRUE(again.untouched());
}

TEST_F(SettingsTest, WriteThatCannotBeStoredReturnsFalse)
{
    // A folder that cannot exist: its parent is a plain file (root ignores
    // permission bits, so a read-only folder would not do).
    std::string blocker = m_dir.path().toStdString() + "/plain-file";
    std::ofstream(blocker) << "x";
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, QString::fromStdString(blocker + "/etc"));
    CRegistry registry;
    EXPECT_FALSE(registry.WriteSettings("h", "u", "p"));
    Outputs out;
    EXPECT_FALSE(out.read(registry));
}

TEST(ShortDateFormatTest, TwoDigitYearsAreWidened)
{
    EXPECT_EQ(CRegistry::WidenTwoDigitYear("dd.MM.yy"), "dd.MM.yyyy");
    EXPECT_EQ(CRegistry::WidenTwoDigitYear("M/d/yy"), "M/d/yyyy");
    EXPECT_EQ(CRegistry::WidenTwoDigitYear("yyyy-MM-dd"), "yyyy-MM-dd");
    EXPECT_EQ(CRegistry::WidenTwoDigitYear("yy'yy'd"), "yyyy'yy'd");
    EXPECT_EQ(CRegistry::WidenTwoDigitYear("d MMM yyyy"), "d MMM yyyy");

    CRegistry registry;
    std::string format;
    ASSERT_TRUE(registry.GetShortDateFormat(format));
    EXPECT_EQ(format, CRegistry::WidenTwoDigitYear(QLocale::system().dateFormat(QLocale::ShortFormat).toStdString()));
    EXPECT_NE(format.find("yyyy"), std::string::npos) << format;
}

TEST(ConnectStringTest, PiecesFollowTheSettings)
{
    EXPECT_EQ(BuildConnectString(false, "ignored", "ignored", "ignored"),
              "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;;;");
    EXPECT_EQ(BuildConnectString(true, "db", "vesmar", "pw"),
              "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;SERVER=db;UID=vesmar;PASSWORD=pw");
    EXPECT_EQ(BuildConnectString(true, "db ", "vesmar", ""),
              "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;SERVER=db ;UID=vesmar;PASSWORD=");
    EXPECT_EQ(BuildConnectString(true, "", "", ""), "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;SERVER=;UID=;PASSWORD=");
}

// The start-up connection as the program makes it: settings from the file,
// the port from MYSQL_TCP_PORT, the SELECT-only account.
TEST_F(SettingsTest, OpenReferenceDatabaseOpensTheReadOnlyAccount)
{
    ASSERT_NO_THROW(testdb::port());
    ASSERT_TRUE(CRegistry().WriteSettings("127.0.0.1", "vesmar", "vesmar"));
    CDatabase db;
    CRecordingSink sink;
    ASSERT_TRUE(OpenReferenceDatabase(db, sink));
    EXPECT_TRUE(sink.messages.empty());

    CRecordset rs(&db);
    ASSERT_TRUE(rs.Open("SELECT DATABASE() AS db, CURRENT_USER() AS who"));
    std::string value;
    rs.GetFieldValue("db", value);
    EXPECT_EQ(value, "Vesmar");
    rs.GetFieldValue("who", value);
    EXPECT_EQ(value.substr(0, 7), "vesmar@");

    // The account is what keeps the program read-only.
    CRecordset write(&db);
    CDBException e = catchDbError([&] { write.Open("CREATE TABLE probe (x INT)"); });
    EXPECT_EQ(e.m_nRetCode, SQL_ERROR);
    EXPECT_NE(e.m_strError.find("CREATE command denied"), std::string::npos) << e.m_strError;
}

TEST_F(SettingsTest, FailedConnectionShowsTheTwoMessages)
{
    ASSERT_TRUE(CRegistry().WriteSettings("127.0.0.1", "vesmar", "wrong"));
    CDatabase db;
    CRecordingSink sink;
    EXPECT_FALSE(OpenReferenceDatabase(db, sink));
    EXPECT_FALSE(db.IsOpen());
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].text, LoadString(IDS_CONNECTION_FAILED));
    EXPECT_EQ(sink.messages[0].text,
              "A connection could not be opened to the database.\n\nContact the system administrator.");
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(sink.messages[0].caption, "Vesmar");
    EXPECT_EQ(sink.messages[1].text.rfind("Access denied for user 'vesmar'@'localhost'", 0), 0u)
        << sink.messages[1].text;
    EXPECT_EQ(sink.messages[1].icon, MessageIcon::Warning);
    EXPECT_EQ(sink.messages[1].caption, "Vesmar");

    // A server that is not running: no bracket tags in the driver's text.
    ASSERT_TRUE(CRegistry().WriteSettings("127.0.0.1:1", "vesmar", "vesmar"));
    sink.messages.clear();
    EXPECT_FALSE(OpenReferenceDatabase(db, sink));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].text, LoadString(IDS_CONNECTION_FAILED));
    const std::string& text = sink.messages[1].text;
    EXPECT_EQ(text.rfind("Can't connect to server on '127.0.0.1' (", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 2), ")\n") << text;
}

} // namespace
