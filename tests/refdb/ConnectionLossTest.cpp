// Telling a lost connection from other database errors, and opening the
// shared connection again before the next command, against the private
// server: a session that the server ends (KILL) stands for a restart, a
// database that appears later for a server that was not there at start-up.
// The test's own server stopped and paused is in the outage tests of the
// window and the command-line tool.

#include "CDBException.h"
#include "CDatabase.h"
#include "CRecordset.h"
#include "RefdbTestSupport.h"
#include "ReferenceConnection.h"
#include "StringTable.h"
#include "TestDb.h"

#include <gtest/gtest.h>
#include <sqlext.h>
#include <unistd.h>

namespace {

std::string sessionId(CDatabase& db)
{
    CRecordset rs(&db);
    rs.Open("SELECT CONNECTION_ID() AS id");
    std::string id;
    rs.GetFieldValue("id", id);
    return id;
}

TEST(ConnectionLossTest, TheFirstDiagnosticRecordGivesStateAndNativeCode)
{
    CDatabase db;
    ASSERT_TRUE(db.OpenEx(testdb::connectString("Vesmar"), CDatabase::openReadOnly));
    CRecordset rs(&db);
    CDBException e = catchDbError([&] { rs.Open("SELECT Code FROM no_such_table"); });
    EXPECT_EQ(e.m_nRetCode, SQL_ERROR);
    EXPECT_EQ(e.m_strSqlState, "42S02");
    EXPECT_EQ(e.m_nNativeError, 1146);
    EXPECT_FALSE(e.IsConnectionLost());
    // An ordinary error leaves the connection as it was.
    EXPECT_TRUE(db.IsOpen());
    EXPECT_FALSE(sessionId(db).empty());

    // Codes the layer detects itself carry no record.
    e = catchDbError([&] { rs.MoveNext(); });
    EXPECT_EQ(e.m_nRetCode, kSqlErrorNoDataFound);
    EXPECT_EQ(e.m_strSqlState, "");
    EXPECT_FALSE(e.IsConnectionLost());
}

TEST(ConnectionLossTest, LostMeansCommunicationErrorsAndTheClientLibrarysLostCodes)
{
    struct Case {
        const char* state;
        long native;
        bool lost;
    } cases[] = {
        {"08S01", 2013, true},  {"08S01", 0, true},      {"08001", 2002, true},   {"08004", 1040, true},
        {"HY000", 2006, true},  {"HY000", 2013, true},   {"HY000", 2055, true},   {"HY000", 2003, true},
        {"HY000", 5013, true},  {"HY000", 5014, true},   {"HY000", 5012, false},
        {"70100", 1927, true},  {"HY000", 1205, false},  {"HY000", 0, false},     {"42S02", 1146, false},
        {"42000", 1049, false}, {"28000", 1045, false},  {"", 2013, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDBException(SQL_ERROR, "text\n", c.state, c.native).IsConnectionLost(), c.lost)
            << c.state << " " << c.native;
}

TEST(ConnectionLossTest, ASessionEndedByTheServerIsOpenedAgainByTheNextCommand)
{
    CDatabase db;
    const std::string connect = testdb::connectString("Vesmar");
    ASSERT_TRUE(db.OpenEx(connect, CDatabase::openReadOnly));
    EXPECT_EQ(db.GetConnect(), connect);
    const std::string before = sessionId(db);
    // A cursor that holds a statement of the connection that goes, as the
    // form's look-up cursor may.
    CRecordset early(&db);

    testdb::exec("KILL CONNECTION " + before);
    CRecordset rs(&db);
    CDBException e = catchDbError([&] { rs.Open("SELECT COUNT(*) AS n FROM icd"); });
    EXPECT_EQ(e.m_nRetCode, SQL_ERROR);
    EXPECT_TRUE(e.IsConnectionLost()) << e.m_strSqlState << " " << e.m_nNativeError << " " << e.m_strError;
    EXPECT_FALSE(e.m_strError.empty());
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_FALSE(db.IsOpen());
    // Within the same command nothing goes to the server any more: a cursor
    // raises the error that found the connection lost again.
    const CDBException again = catchDbError([&] { rs.Open("SELECT 1 AS one"); });
    EXPECT_EQ(again.m_strError, e.m_strError);
    EXPECT_EQ(again.m_strSqlState, e.m_strSqlState);

    CRecordingSink sink;
    EXPECT_TRUE(EnsureConnected(db, sink));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_TRUE(db.IsOpen());
    EXPECT_EQ(db.GetConnect(), connect);
    const std::string after = sessionId(db);
    EXPECT_NE(after, before);
    // The same connection string, read-only included (the driver keeps
    // read-write, as before; the account keeps it read-only).
    ASSERT_TRUE(rs.Open("SELECT COUNT(*) AS n FROM icd"));
    std::string n;
    rs.GetFieldValue("n", n);
    EXPECT_NE(n, "0");
    rs.Close();

    // The cursor from before lets go of its statement, which the reopen
    // freed, and works on the new connection.
    ASSERT_TRUE(early.Open("SELECT 1 AS one"));
    std::string one;
    early.GetFieldValue("one", one);
    EXPECT_EQ(one, "1");

    // An open connection is left alone.
    EXPECT_TRUE(EnsureConnected(db, sink));
    EXPECT_EQ(sessionId(db), after);
    EXPECT_TRUE(sink.messages.empty());
}

TEST(ConnectionLossTest, AConnectionNeverOpenedIsTriedWithItsFirstStringOnTheNextCommand)
{
    const std::string name = "VesmarLate" + std::to_string(getpid());
    testdb::exec("DROP DATABASE IF EXISTS `" + name + "`");
    CDatabase db;
    CDBException e = catchDbError([&] { db.OpenEx(testdb::connectString(name), CDatabase::openReadOnly); });
    EXPECT_EQ(e.m_nNativeError, 1049);
    EXPECT_FALSE(e.IsConnectionLost());
    EXPECT_FALSE(db.IsOpen());

    CRecordingSink sink;
    EXPECT_FALSE(EnsureConnected(db, sink));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].text, LoadString(IDS_CONNECTION_FAILED));
    EXPECT_EQ(sink.messages[0].icon, MessageIcon::Warning);
    EXPECT_NE(sink.messages[1].text.find("Unknown database"), std::string::npos) << sink.messages[1].text;
    EXPECT_EQ(sink.messages[1].text.back(), '\n');

    testdb::exec("CREATE DATABASE `" + name + "`");
    sink.messages.clear();
    EXPECT_TRUE(EnsureConnected(db, sink));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_FALSE(sessionId(db).empty());
    testdb::exec("DROP DATABASE `" + name + "`");
}

TEST(ConnectionLossTest, AFailedReopenTellsTheConnectionMessageAndTheDriverTextOnce)
{
    CDatabase db;
    // Nothing listens on port 1 of the loopback interface.
    const std::string nowhere =
        "DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;SERVER=127.0.0.1;PORT=1;UID=vesmar;PASSWORD=vesmar";
    CDBException e = catchDbError([&] { db.OpenEx(nowhere, CDatabase::openReadOnly); });
    EXPECT_TRUE(e.IsConnectionLost()) << e.m_strSqlState << " " << e.m_nNativeError;

    CRecordingSink sink;
    EXPECT_FALSE(EnsureConnected(db, sink));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].text, LoadString(IDS_CONNECTION_FAILED));
    EXPECT_NE(sink.messages[1].text.find("Can't connect to server on '127.0.0.1'"), std::string::npos)
        << sink.messages[1].text;
    EXPECT_EQ(db.GetConnect(), nowhere);
    EXPECT_FALSE(db.IsOpen());
}

} // namespace
