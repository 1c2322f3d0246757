// Id-indexed string tables and the resource routines: the program's own
// "EVENTNAMES" table, hand-made tables for the edge cases (empty, gaps,
// empty texts) and damaged ones (counts and offsets outside the table).
#include "foundation/resources/ResourceStrings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/runtime/StringList.h"
#include "platform/testing/Testing.h"

namespace {

// A table from (id, text) pairs, in the resource layout.
std::string MakeTable(const std::vector<std::pair<uint32_t, std::string>>& entries)
{
    auto u32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    std::string head, words, texts;
    u32(head, static_cast<uint32_t>(entries.size()));
    uint32_t offset = 4 + 8 * static_cast<uint32_t>(entries.size());
    for (auto& [id, text] : entries) {
        u32(head, id);
        u32(words, static_cast<uint32_t>(text.size()) | offset << 8);
        texts += text;
        offset += static_cast<uint32_t>(text.size());
    }
    return head + words + texts;
}

TResourceData View(const std::string& s)
{
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEST(ResourceStringsTest, EventNamesFoundByTypeAndName)
{
    const TResourceData table = LoadResourceData("eventnames", "EventNames");  // any case
    ASSERT_TRUE(table);
    TStringList list;
    list.Add("left over");
    LoadIndexedStrings(table, list);
    ASSERT_EQ(list.Count(), 69);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(list.Objects(0)), 200u);
    EXPECT_EQ(list.Strings(0), "Lancement d'Eldravin");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(list.Objects(68)), 13000u);
    EXPECT_EQ(LookupIndexedString(table, 2060), "Enregistrement d'un document");
    EXPECT_EQ(LookupIndexedString(table, 10080), "Passage au mode \"pinceau \xE0 formats\"");
    EXPECT_EQ(LookupIndexedString(table, 2061), "") << "between two ids";
    EXPECT_EQ(LookupIndexedString(table, 99999), "") << "above every id";
    EXPECT_EQ(LookupIndexedString(table, 0), "") << "below every id";
    EXPECT_FALSE(LoadResourceData("EVENTNAMES", "_MENU"));
}

TEST(ResourceStringsTest, EdgeCasesOfTheLayout)
{
    const std::string empty = MakeTable({});
    EXPECT_EQ(LookupIndexedString(View(empty), 1), "");
    const std::string table = MakeTable({{5, "cinq"}, {7, ""}, {9, "neuf"}, {1000, "mille"}});
    struct TCase { uint32_t Id; const char* Text; };
    for (const TCase& c : {TCase{5, "cinq"}, {7, ""}, {9, "neuf"}, {1000, "mille"}, {6, ""}, {4, ""}, {1001, ""}})
        EXPECT_EQ(LookupIndexedString(View(table), c.Id), c.Text) << c.Id;
    TStringList list;
    LoadIndexedStrings(View(table), list);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Strings(1), "");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(list.Objects(3)), 1000u);
}

TEST(ResourceStringsTest, DamagedTablesAreNeverReadPastTheirEnd)
{
    const std::string good = MakeTable({{1, "un"}, {2, "deux"}});
    // A count far larger than the table: nothing is found.
    std::string bigCount = good;
    bigCount[3] = '\x7F';
    EXPECT_EQ(LookupIndexedString(View(bigCount), 1), "");
    TStringList list;
    LoadIndexedStrings(View(bigCount), list);
    EXPECT_EQ(list.Count(), 0);
    // An entry whose text lies beyond the end: that text is empty, the other stays.
    std::string badOffset = good;
    badOffset[4 + 8 + 4 + 3] = '\x7F';  // the second entry's offset, high byte
    EXPECT_EQ(LookupIndexedString(View(badOffset), 2), "");
    EXPECT_EQ(LookupIndexedString(View(badOffset), 1), "un");
    // Cut short: the last text loses its end, which is refused.
    const std::string cut = good.substr(0, good.size() - 1);
    EXPECT_EQ(LookupIndexedString(View(cut), 2), "");
    EXPECT_EQ(LookupIndexedString(View(cut.substr(0, 3)), 1), "");
    EXPECT_EQ(LookupIndexedString(TResourceData{}, 1), "");
}

TEST(ResourceStringsTest, SaveResourceToFileWritesItsBytes)
{
    const std::string dir = MakeTestDir("save-resource");
    const std::string path = dir + "/events.bin";
    ASSERT_TRUE(SaveResourceToFile("EVENTNAMES", "EVENTNAMES", path));
    const TResourceData data = LoadResourceData("EVENTNAMES", "EVENTNAMES");
    EXPECT_EQ(ReadTestFile(path), std::string(data.View()));
    // Replaced, not appended to.
    ASSERT_TRUE(SaveResourceToFile("FIND", "_MENU", path));
    EXPECT_EQ(ReadTestFile(path), std::string(LoadResourceData("FIND", "_MENU").View()));
    EXPECT_FALSE(SaveResourceToFile("NOSUCH", "_MENU", dir + "/none.bin"));
    EXPECT_FALSE(TestPathExists(dir + "/none.bin"));
}

} // namespace
