// The connection and cursor layer against the private MariaDB server.

#include "CDBException.h"
#include "CDatabase.h"
#include "CDatabaseImpl.h"
#include "CRecordset.h"
#include "RefdbTestSupport.h"
#include "TestDb.h"

#include <gtest/gtest.h>
#include <sqlext.h>

namespace {

const std::string kDb = "VesmarLayerTest";

class RecordsetTest : public ::testing::Test {
protected:
    // Built once per process; a missing server fails every test here.
    static void createFixture()
    {
        testdb::createReferenceDatabase(kDb);
        testdb::exec("CREATE TABLE t (row_id INT AUTO_INCREMENT PRIMARY KEY, Code VARCHAR(20), Text VARCHAR(2000))"
                     " CHARACTER SET utf8mb4;"
                     "INSERT INTO t (Code, Text) VALUES ('B', '  padded  '), ('A', NULL), ('C', 'third');"
                     "CREATE TABLE empty_t (Code VARCHAR(20));"
                     "CREATE TABLE big (row_id INT AUTO_INCREMENT PRIMARY KEY, Code VARCHAR(20), Text VARCHAR(2000));",
                     kDb);
        testdb::exec("INSERT INTO big (Code, Text) SELECT CONCAT('C', seq), CONCAT('text ', seq) FROM seq_1_to_12345",
                     kDb);
    }

    void SetUp() override
    {
        static bool created = false;
        if (!created) {
            ASSERT_NO_THROW(createFixture());
            created = true;
        }
        ASSERT_TRUE(m_db.OpenEx(testdb::connectString(kDb), CDatabase::openReadOnly));
    }

    CDatabase m_db;
};

// Two text columns bound by position, as the catalogue binds them.
class CPairSet : public CRecordset {
public:
    CPairSet(CDatabase* db, std::size_t firstSlot, std::size_t secondSlot)
        : CRecordset(db), m_firstSlot(firstSlot), m_secondSlot(secondSlot)
    {
    }

    std::string First(long row) const { return m_rgFirst + row * m_firstSlot; }
    std::string Second(long row) const { return m_rgSecond + row * m_secondSlot; }

    char* m_rgFirst = nullptr;
    char* m_rgSecond = nullptr;
    long* m_rgFirstLengths = nullptr;
    long* m_rgSecondLengths = nullptr;

protected:
    void BindBulkColumns(CBulkBinder& binder, unsigned long) override
    {
        binder.BindText("[First]", &m_rgFirst, &m_rgFirstLengths, m_firstSlot);
        binder.BindText("[Second]", &m_rgSecond, &m_rgSecondLengths, m_secondSlot);
    }

private:
    std::size_t m_firstSlot;
    std::size_t m_secondSlot;
};

const unsigned kBulk = CRecordset::useMultiRowFetch;

TEST_F(RecordsetTest, PlainCursorWalksRowsInServerOrderAndRewinds)
{
    CRecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("SELECT Code, Text FROM t"));
    EXPECT_FALSE(rs.IsBOF());
    EXPECT_FALSE(rs.IsEOF());
    std::vector<std::pair<std::string, std::string>> rows;
    while (!rs.IsEOF()) {
        std::string code, text;
        rs.GetFieldValue("Code", code);
        rs.GetFieldValue("Text", text);
        rs.GetFieldValue("Code", code); // a second read of the same column gives the same value
        rows.emplace_back(code, text);
        rs.MoveNext();
    }
    // Blanks are kept and NULL reads as the empty text.
    std::vector<std::pair<std::string, std::string>> expected = {{"B", "  padded  "}, {"A", ""}, {"C", "third"}};
    EXPECT_EQ(rows, expected);
    EXPECT_FALSE(rs.IsBOF());
    EXPECT_EQ(expectDbError([&] { rs.MoveNext(); }), kSqlErrorNoDataFound);

    rs.MoveFirst();
    EXPECT_FALSE(rs.IsEOF());
    std::string code;
    rs.GetFieldValue("Code", code);
    EXPECT_EQ(code, "B");

    rs.Close();
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_TRUE(rs.IsEOF());
    // A closed cursor opens again with another statement.
    ASSERT_TRUE(rs.Open("SELECT Text AS x FROM t WHERE Code = 'C'"));
    rs.GetFieldValue("x", code);
    EXPECT_EQ(code, "third");
}

TEST_F(RecordsetTest, EmptyResultIsBofAndEofAndRefusesMoves)
{
    CRecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("SELECT Code FROM empty_t"));
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(expectDbError([&] { rs.MoveNext(); }), kSqlErrorNoDataFound);
    EXPECT_EQ(expectDbError([&] { rs.MoveFirst(); }), kSqlErrorNoDataFound);
}

TEST_F(RecordsetTest, ColumnNamesMatchExactlyAndByPosition)
{
    CRecordset rs(&m_db);
    ASSERT_TRUE(rs.Open("SELECT * FROM t WHERE Code = 'B'"));
    std::string value = "unchanged";
    CDBException e = catchDbError([&] { rs.GetFieldValue("CODE", value); });
    EXPECT_EQ(e.m_nRetCode, kSqlErrorFieldNotFound);
    EXPECT_EQ(e.m_strError, "");
    EXPECT_EQ(expectDbError([&] { rs.GetFieldValue("code", value); }), kSqlErrorFieldNotFound);
    EXPECT_EQ(value, "unchanged");

    ASSERT_EQ(rs.GetODBCFieldCount(), 3);
    EXPECT_EQ(rs.GetFieldName(0), "row_id");
    EXPECT_EQ(rs.GetFieldName(1), "Code");
    EXPECT_EQ(rs.GetFieldName(2), "Text");
    rs.GetFieldValue(short(0), value);
    EXPECT_EQ(value, "1");
    rs.GetFieldValue(short(2), value);
    EXPECT_EQ(value, "  padded  ");
    EXPECT_EQ(expectDbError([&] { rs.GetFieldValue(short(3), value); }), kSqlErrorFieldNotFound);
}

TEST_F(RecordsetTest, DriverErrorsCarryTheMessageWithoutBracketTags)
{
    CRecordset rs(&m_db);
    CDBException e = catchDbError([&] { rs.Open("SELECT Code FROM no_such_table"); });
    EXPECT_EQ(e.m_nRetCode, SQL_ERROR);
    EXPECT_EQ(e.m_strError, "Table '" + kDb + ".no_such_table' doesn't exist\n");
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_TRUE(rs.IsEOF());

    // The failed cursor is usable again.
    ASSERT_TRUE(rs.Open("SELECT Code FROM t"));
    EXPECT_FALSE(rs.IsEOF());

    // Reading at EOF: the driver manager's "invalid cursor state".
    while (!rs.IsEOF())
        rs.MoveNext();
    std::string value;
    e = catchDbError([&] { rs.GetFieldValue("Code", value); });
    EXPECT_EQ(e.m_nRetCode, SQL_ERROR);
    EXPECT_NE(e.m_strError, "");
    EXPECT_NE(e.m_strError.front(), '[');
}

TEST_F(RecordsetTest, QueryTimeoutIsAskedForUntilTheDriverRefusesIt)
{
    EXPECT_FALSE(m_db.impl()->queryTimeoutRefused);
    CRecordset rs(&m_db);
    // MariaDB Connector/ODBC answers the 15 s request with 01S02.
    EXPECT_TRUE(m_db.impl()->queryTimeoutRefused);
    CRecordset second(&m_db);
    ASSERT_TRUE(second.Open("SELECT 1 AS one"));
    EXPECT_TRUE(m_db.impl()->queryTimeoutRefused);
}

TEST_F(RecordsetTest, BulkCursorFetchesRowsetsOf5000AndRewinds)
{
    CPairSet rs(&m_db, 10, 300);
    rs.SetRowsetSize(5000);
    ASSERT_TRUE(rs.Open("SELECT Code, Text FROM big", kBulk));
    std::vector<long> sizes;
    long seen = 0;
    while (!rs.IsEOF()) {
        sizes.push_back(rs.GetRowsFetched());
        // Spot-check the first and last row of every rowset.
        EXPECT_EQ(rs.First(0), "C" + std::to_string(seen + 1));
        long last = rs.GetRowsFetched() - 1;
        EXPECT_EQ(rs.Second(last), "text " + std::to_string(seen + last + 1));
        EXPECT_EQ(rs.m_rgSecondLengths[last], long(rs.Second(last).size()));
        seen += rs.GetRowsFetched();
        rs.MoveNext();
    }
    EXPECT_EQ(sizes, (std::vector<long>{5000, 5000, 2345}));
    EXPECT_EQ(expectDbError([&] { rs.MoveNext(); }), kSqlErrorNoDataFound);

    rs.MoveFirst();
    EXPECT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetRowsFetched(), 5000);
    EXPECT_EQ(rs.First(4999), "C5000");

    rs.Close();
    EXPECT_EQ(rs.m_rgFirst, nullptr);
    EXPECT_EQ(rs.m_rgSecondLengths, nullptr);
}

TEST_F(RecordsetTest, BulkValueLongerThanItsSlotIsError1021)
{
    testdb::exec("DROP TABLE IF EXISTS long_t; CREATE TABLE long_t (row_id INT AUTO_INCREMENT PRIMARY KEY,"
                 " Code VARCHAR(20), Text VARCHAR(2000)) CHARACTER SET utf8mb4;"
                 "INSERT INTO long_t (Code, Text) VALUES ('A00', REPEAT('x', 299)), ('A01', REPEAT('y', 300));",
                 kDb);
    CPairSet rs(&m_db, 10, 300);
    rs.SetRowsetSize(5000);
    CDBException e = catchDbError([&] { rs.Open("SELECT Code, Text FROM long_t", kBulk); });
    EXPECT_EQ(e.m_nRetCode, kSqlErrorDataTruncated);
    EXPECT_EQ(e.m_strError, "");
    // Open closes the cursor again before raising.
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(rs.m_rgSecond, nullptr);

    // 299 characters fit a 300-slot.
    ASSERT_TRUE(rs.Open("SELECT Code, Text FROM long_t WHERE Code = 'A00'", kBulk));
    EXPECT_EQ(rs.Second(0), std::string(299, 'x'));
}

TEST_F(RecordsetTest, NonAsciiTextArrivesAsWindows1252)
{
    // The client sends UTF-8; the program must see one byte per letter.
    testdb::exec("DROP TABLE IF EXISTS intl; CREATE TABLE intl (row_id INT AUTO_INCREMENT PRIMARY KEY,"
                 " Code VARCHAR(20), Text VARCHAR(2000)) CHARACTER SET utf8mb4;"
                 "INSERT INTO intl (Code, Text) VALUES ('E1', 'Fièvre typhoïde, Ölz, Århus, 5 €, ∑'),"
                 " ('E2', REPEAT('é', 299));",
                 kDb);
    const std::string expected = "Fi\xE8vre typho\xEF" "de, \xD6lz, \xC5rhus, 5 \x80, ?";

    CRecordset rs(&m_db);
    // The statement's own text is Windows-1252 too.
    ASSERT_TRUE(rs.Open("SELECT Text FROM intl WHERE Text LIKE 'Fi\xE8vre%'"));
    ASSERT_FALSE(rs.IsEOF());
    std::string text;
    rs.GetFieldValue("Text", text);
    EXPECT_EQ(text, expected);

    CPairSet bulk(&m_db, 10, 300);
    bulk.SetRowsetSize(5000);
    ASSERT_TRUE(bulk.Open("SELECT Code, Text FROM intl", kBulk));
    ASSERT_EQ(bulk.GetRowsFetched(), 2);
    EXPECT_EQ(bulk.Second(0), expected);
    EXPECT_EQ(bulk.Second(1), std::string(299, '\xE9'));
    EXPECT_EQ(bulk.m_rgSecondLengths[1], 299);
    bulk.Close();

    // Whatever the table stores, the letters arrive the same way.
    testdb::exec("DROP TABLE IF EXISTS intl_latin1; CREATE TABLE intl_latin1 (Code VARCHAR(20), Text VARCHAR(300))"
                 " CHARACTER SET latin1; INSERT INTO intl_latin1 VALUES ('L1', 'Fi\xC3\xA8vre \xC3\x96lz');",
                 kDb);
    ASSERT_TRUE(bulk.Open("SELECT Code, Text FROM intl_latin1", kBulk));
    EXPECT_EQ(bulk.Second(0), "Fi\xE8vre \xD6lz");
}

TEST_F(RecordsetTest, BulkNullReadsAsEmptyWithNullIndicator)
{
    CPairSet rs(&m_db, 10, 300);
    rs.SetRowsetSize(5000);
    ASSERT_TRUE(rs.Open("SELECT Code, Text FROM t", kBulk));
    ASSERT_EQ(rs.GetRowsFetched(), 3);
    EXPECT_EQ(rs.First(1), "A");
    EXPECT_EQ(rs.Second(1), "");
    EXPECT_EQ(rs.m_rgSecondLengths[1], SQL_NULL_DATA);
    EXPECT_EQ(rs.Second(0), "  padded  ");
}

TEST(DatabaseTest, CursorOnANeverOpenedConnectionSaysSo)
{
    CDatabase db;
    EXPECT_FALSE(db.IsOpen());
    CRecordset rs(&db);
    CDBException e = catchDbError([&] { rs.Open("SELECT 1"); });
    EXPECT_EQ(e.m_strError, "The reference database is not connected.\n");
    EXPECT_FALSE(rs.IsOpen());
}

TEST(DatabaseTest, WrongPasswordAndUnreachableServerRaiseTheDriverText)
{
    CDatabase db;
    std::string wrong = testdb::connectString("Vesmar");
    wrong.replace(wrong.find("UID=root;PASSWORD="), std::string::npos, "UID=vesmar;PASSWORD=wrong");
    CDBException e = catchDbError([&] { db.OpenEx(wrong, CDatabase::openReadOnly); });
    EXPECT_EQ(e.m_nRetCode, SQL_ERROR);
    EXPECT_EQ(e.m_strError.rfind("Access denied for user 'vesmar'@'localhost'", 0), 0u) << e.m_strError;
    EXPECT_EQ(e.m_strError.back(), '\n');
    EXPECT_FALSE(db.IsOpen());

    // Nothing listens on port 1 of the loopback interface.
    e = catchDbError([&] {
        db.OpenEx("DRIVER={MySQL ODBC 3.51 Driver};DATABASE=Vesmar;SERVER=127.0.0.1;PORT=1;UID=vesmar;PASSWORD=vesmar",
                  CDatabase::openReadOnly);
    });
    EXPECT_EQ(e.m_nRetCode, SQL_ERROR);
    EXPECT_NE(e.m_strError.find("Can't connect to server on '127.0.0.1'"), std::string::npos) << e.m_strError;
    EXPECT_NE(e.m_strError.front(), '[');
    EXPECT_FALSE(db.IsOpen());

    // The same object opens once the string is right.
    EXPECT_TRUE(db.OpenEx(testdb::connectString("Vesmar"), CDatabase::openReadOnly));
    EXPECT_TRUE(db.IsOpen());
}

} // namespace
