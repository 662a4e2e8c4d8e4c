// Loading the diagnosis catalogue from the icd table.

#include "CDatabase.h"
#include "CIcdSet.h"
#include "CStringList.h"
#include "CatalogueLoader.h"
#include "Progress.h"
#include "TestDb.h"

#include <gtest/gtest.h>

namespace {

const std::string kDb = "VesmarCatalogueTest";

// Counts what the loader does with the progress indication.
struct ProgressLog {
    int created = 0;
    bool destroyed = false;
    std::vector<std::pair<int, int>> ranges;
    int steps = 0;
    int finalPosition = -1;
};

class CCountingProgress : public CSilentProgress {
public:
    explicit CCountingProgress(ProgressLog& log) : m_log(log) { ++m_log.created; }
    ~CCountingProgress() override
    {
        m_log.destroyed = true;
        m_log.finalPosition = position();
    }
    void setRange(int low, int high) override
    {
        m_log.ranges.emplace_back(low, high);
        CSilentProgress::setRange(low, high);
    }
    void setPosition(int pos) override
    {
        ++m_log.steps;
        CSilentProgress::setPosition(pos);
    }

private:
    ProgressLog& m_log;
};

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool created = false;
        if (!created) {
            ASSERT_NO_THROW(testdb::createReferenceDatabase(kDb));
            created = true;
        }
        // The catalogue is expected to hold no NULLs; the loader must cope.
        ASSERT_NO_THROW(testdb::exec("DROP TABLE IF EXISTS icd; CREATE TABLE icd (row_id INT AUTO_INCREMENT PRIMARY"
                                     " KEY, Code VARCHAR(64) NULL, Text VARCHAR(2000) NULL) CHARACTER SET utf8mb4;",
                                     kDb));
        ASSERT_TRUE(m_db.OpenEx(testdb::connectString(kDb), CDatabase::openReadOnly));
    }

    // rows codes C<n> with texts "text <n>", n counting down so that the
    // server's order is not the codes' alphabetical order.
    static void fillRows(int rows)
    {
        testdb::exec("INSERT INTO icd (Code, Text) SELECT CONCAT('C', " + std::to_string(rows + 1) +
                         " - seq), CONCAT('text ', seq) FROM seq_1_to_" + std::to_string(rows),
                     kDb);
    }

    void load()
    {
        LoadCatalogue(m_db, m_list, m_sink, [this] { return std::make_unique<CCountingProgress>(m_log); });
    }

    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const auto& m : m_sink.messages)
            out.push_back(m.text);
        return out;
    }

    CDatabase m_db;
    CStringList m_list;
    CRecordingSink m_sink;
    ProgressLog m_log;
};

TEST_F(CatalogueTest, EntriesAreCodeBlanksAndTextInServerOrder)
{
    testdb::exec("INSERT INTO icd (Code, Text) VALUES ('A01', 'Typhoid and paratyphoid fevers'),"
                 " ('A01.2', 'Paratyphoid fever B'), ('A012', 'Four  '), ('', 'No code'), ('A01', 'Typhoid and"
                 " paratyphoid fevers'), (NULL, NULL), ('Z99.89', 'Fi\xC3\xA8vre')",
                 kDb);
    load();
    EXPECT_TRUE(m_sink.messages.empty());
    std::vector<std::string> entries(m_list.begin(), m_list.end());
    std::vector<std::string> expected = {
        "A01       Typhoid and paratyphoid fevers",
        "A01.2    Paratyphoid fever B",
        "A012    Four  ",
        "    No code",
        "A01       Typhoid and paratyphoid fevers",
        "    ",
        "Z99.89    Fi\xE8vre",
    };
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(m_log.created, 1);
    EXPECT_TRUE(m_log.destroyed);
    EXPECT_EQ(m_log.ranges, (std::vector<std::pair<int, int>>{{0, 7}}));
    EXPECT_EQ(m_log.finalPosition, 7);
}

TEST_F(CatalogueTest, OneFullRowset)
{
    fillRows(5000);
    load();
    ASSERT_EQ(m_list.GetCount(), 5000u);
    EXPECT_EQ(m_list.GetAt(0), "C5000    text 1");
    EXPECT_EQ(m_list.GetAt(4999), "C1    text 5000");
    EXPECT_EQ(m_log.ranges, (std::vector<std::pair<int, int>>{{0, 5000}}));
    EXPECT_EQ(m_log.finalPosition, 5000);
}

TEST_F(CatalogueTest, ThreeRowsetsMoveTheProgressOnePerEntry)
{
    fillRows(12345);
    load();
    EXPECT_TRUE(m_sink.messages.empty());
    ASSERT_EQ(m_list.GetCount(), 12345u);
    for (std::size_t i = 0; i < m_list.GetCount(); ++i) {
        std::string code = "C" + std::to_string(12345 - i);
        std::string expected = code + (code.size() == 3 ? "       " : "    ") + "text " + std::to_string(i + 1);
        if (m_list.GetAt(i) != expected) {
            ADD_FAILURE() << "entry " << i << ": " << m_list.GetAt(i) << " instead of " << expected;
            break;
        }
    }
    EXPECT_EQ(m_log.ranges, (std::vector<std::pair<int, int>>{{0, 12345}}));
    EXPECT_EQ(m_log.steps, 12345);
    EXPECT_EQ(m_log.finalPosition, 12345);
}

TEST_F(CatalogueTest, EmptyTableGivesAnEmptyCatalogueSilently)
{
    load();
    EXPECT_TRUE(m_list.IsEmpty());
    EXPECT_TRUE(m_sink.messages.empty());
    EXPECT_EQ(m_log.created, 1);
    EXPECT_EQ(m_log.ranges, (std::vector<std::pair<int, int>>{{0, 0}}));
}

TEST_F(CatalogueTest, OverlongCodeInTheFirstRowsetFailsTheOpen)
{
    testdb::exec("INSERT INTO icd (Code, Text) VALUES ('A0123456789', 'ten characters'), ('A01', 'fine')", kDb);
    load();
    EXPECT_EQ(messages(), (std::vector<std::string>{"BulkFetch failed", ""}));
    EXPECT_EQ(m_sink.messages[0].caption, "Vesmar");
    EXPECT_EQ(m_sink.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(m_list.IsEmpty());
    EXPECT_EQ(m_log.created, 0);
}

TEST_F(CatalogueTest, OverlongTextAfterTheFirstRowsetLeavesTheCatalogueEmpty)
{
    fillRows(6000);
    testdb::exec("UPDATE icd SET Text = REPEAT('t', 300) WHERE row_id = 5500", kDb);
    load();
    EXPECT_EQ(messages(), (std::vector<std::string>{"BulkFetch failed", ""}));
    EXPECT_TRUE(m_list.IsEmpty());
    EXPECT_EQ(m_log.created, 1);
    EXPECT_TRUE(m_log.destroyed);

    // The longest text that fits loads.
    testdb::exec("UPDATE icd SET Text = REPEAT('t', 299) WHERE row_id = 5500", kDb);
    m_sink.messages.clear();
    load();
    EXPECT_TRUE(m_sink.messages.empty());
    ASSERT_EQ(m_list.GetCount(), 6000u);
    EXPECT_EQ(m_list.GetAt(5499), "C501    " + std::string(299, 't'));
}

TEST_F(CatalogueTest, MissingTableShowsTheDriverText)
{
    testdb::exec("DROP TABLE icd", kDb);
    load();
    EXPECT_EQ(messages(), (std::vector<std::string>{"BulkFetch failed", "Table '" + kDb + ".icd' doesn't exist\n"}));
    EXPECT_TRUE(m_list.IsEmpty());
}

TEST_F(CatalogueTest, StatementIsTheCataloguesOwn)
{
    EXPECT_STREQ(CIcdSet::kSql, "SELECT Code, Text From icd");
    EXPECT_EQ(CatalogueEntry("A00", "x"), "A00       x");
    EXPECT_EQ(CatalogueEntry("A00.0", "x"), "A00.0    x");
}

} // namespace
