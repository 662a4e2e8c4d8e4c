// The flat indexes behind the reference snapshot: a wrong number, a lost key
// after the table grows, or values of one key out of delivery order would
// give a batch another answer than the server's.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "CKeyIndex.h"
#include "CKeyedTexts.h"

namespace {

TEST(KeyIndexTest, EveryKeyKeepsItsNumberAsTheTableGrows)
{
    CKeyIndex index;
    EXPECT_EQ(index.Find("A00"), CKeyIndex::kNone); // before anything was added
    std::vector<std::string> keys = {"", "A", "A0", "A00"};
    // Keys alike in their first eight bytes and told apart only after them,
    // keys that are prefixes of each other, and enough of them to grow the
    // table many times.
    for (int i = 0; i < 20000; ++i)
        keys.push_back("S82092M" + std::to_string(i));
    keys.push_back(std::string("A\0B", 3));
    for (std::uint32_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(index.Add(keys[i]), i) << keys[i];
    ASSERT_EQ(index.GetCount(), keys.size());
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        ASSERT_EQ(index.Add(keys[i]), i) << "added twice: " << keys[i];
        ASSERT_EQ(index.Find(keys[i]), i) << keys[i];
        ASSERT_EQ(index.Key(i), keys[i]);
    }
    EXPECT_EQ(index.GetCount(), keys.size());
    for (const char* absent : {"A000", "S82092M", "S82092M20000", "a00", "A00 "})
        EXPECT_EQ(index.Find(absent), CKeyIndex::kNone) << absent;
    EXPECT_EQ(index.Find(std::string("A\0", 2)), CKeyIndex::kNone);

    index.RemoveAll();
    EXPECT_EQ(index.GetCount(), 0u);
    EXPECT_EQ(index.Find("A00"), CKeyIndex::kNone);
    EXPECT_EQ(index.Add("B00"), 0u);
}

TEST(KeyIndexTest, KeyedTextsKeepEachKeysValuesInDeliveryOrderByKind)
{
    // Rows of several keys and kinds, interleaved, with repeated and empty values.
    struct Row {
        const char* key;
        unsigned kind;
        const char* value;
    };
    const std::vector<Row> rows = {
        {"A00", 0, "14M14"}, {"B01", 1, "X"},     {"A00", 2, "14XB"}, {"A00", 0, "01M01"}, {"C02", 0, ""},
        {"B01", 1, "Y"},     {"A00", 0, "14M14"}, {"B01", 3, "00C00"}, {"B01", 1, "X"},    {"A00", 2, "14XA"},
    };
    CKeyedTexts texts(4);
    std::map<std::pair<std::string, unsigned>, std::vector<std::string>> expected;
    for (const Row& r : rows) {
        texts.Add(r.key, r.kind, r.value);
        expected[{r.key, r.kind}].push_back(r.value);
    }
    texts.Seal();

    for (const char* key : {"A00", "B01", "C02"}) {
        const std::uint32_t id = texts.FindKey(key);
        ASSERT_NE(id, CKeyIndex::kNone) << key;
        for (unsigned kind = 0; kind < 4; ++kind) {
            std::vector<std::string> got;
            for (std::uint32_t v : texts.Values(id, kind))
                got.emplace_back(texts.Text(v));
            EXPECT_EQ(got, (expected[{key, kind}])) << key << " kind " << kind;
        }
    }
    EXPECT_EQ(texts.FindKey("D03"), CKeyIndex::kNone);
    // Equal texts have one number, which the snapshot's "all equal" test relies on.
    const auto a00 = texts.Values(texts.FindKey("A00"), 0);
    ASSERT_EQ(a00.size(), 3u);
    EXPECT_EQ(a00[0], a00[2]);
    EXPECT_NE(a00[0], a00[1]);
}

} // namespace
