#include "foundation/managers/TabManager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int32_t> Positions(const TTabTable& table)
{
    std::vector<int32_t> positions;
    for (TTabStop stop : table.StopList())
        positions.push_back(TabStopPosition(stop));
    return positions;
}

std::vector<int32_t> Range(int32_t first, int32_t last, int32_t step)
{
    std::vector<int32_t> values;
    for (int32_t v = first; v <= last; v += step)
        values.push_back(v);
    return values;
}

TParFormat ParagraphWithTabs(int32_t tableIndex, int32_t rightIndent)
{
    TParFormat format = DefaultParFormat();
    format[pfTabTable] = tableIndex;
    format[pfRightIndent] = rightIndent;
    return format;
}

}  // namespace

TEST(TabStopTest, PacksFieldsAndRaisesSmallPositions)
{
    const TTabStop stop = PackTabStop(1440, tkDecimal, 2);
    EXPECT_EQ(stop, 0x230005A0u);
    int32_t position;
    uint8_t kind, leader;
    UnpackTabStop(stop, position, kind, leader);
    EXPECT_EQ(position, 1440);
    EXPECT_EQ(kind, tkDecimal);
    EXPECT_EQ(leader, 2);

    EXPECT_EQ(TabStopPosition(PackTabStop(3, tkLeft, 0)), 15);
    EXPECT_EQ(TabStopPosition(PackTabStop(-200, tkLeft, 0)), 15);
    EXPECT_EQ(TabStopPosition(PackTabStop(16, tkLeft, 0)), 16);
    EXPECT_EQ(TabStopKind(PackTabStop(100, 0x13, 0)), 3);  // only the kind's low four bits
}

TEST(TabTableTest, AddKeepsDistinctStopsUpToFifty)
{
    TTabTable table;
    table.AddTab(PackTabStop(720, tkLeft, 0));
    table.AddTab(PackTabStop(720, tkLeft, 0));     // equal: ignored
    table.AddTab(PackTabStop(720, tkRight, 1));    // same place, other kind: kept beside
    table.AddTab(3);                               // a raw position below 15 becomes 15
    EXPECT_EQ(Positions(table), (std::vector<int32_t>{720, 720, 15}));
    EXPECT_EQ(table.IndexOfPosition(720), 1);      // the last one at that place
    table.RemoveTabAt(720);
    EXPECT_EQ(table.StopList(), (std::vector<TTabStop>{PackTabStop(720, tkLeft, 0), PackTabStop(15, tkLeft, 0)}));

    TTabTable full;
    for (int32_t i = 1; i <= MaxTabStops; ++i)
        full.AddTab(PackTabStop(i * 100, tkLeft, 0));
    const TTabTable before = full;
    full.AddTab(PackTabStop(9000, tkLeft, 0));
    EXPECT_EQ(full, before);
    EXPECT_EQ(full.Count(), MaxTabStops);
}

TEST(TabTableTest, NextTabSkipsBarsAndHonoursInclusion)
{
    TTabTable table;
    table.AddTab(PackTabStop(2000, tkLeft, 0));
    table.AddTab(PackTabStop(500, tkBar, 0));
    table.AddTab(PackTabStop(1000, tkCenter, 0));
    table.Sort();
    EXPECT_EQ(Positions(table), (std::vector<int32_t>{500, 1000, 2000}));

    EXPECT_EQ(table.GetNextTab(0, false), PackTabStop(1000, tkCenter, 0));   // the bar at 500 is no stop
    EXPECT_EQ(table.GetNextTab(1000, false), PackTabStop(2000, tkLeft, 0));
    EXPECT_EQ(table.GetNextTab(1000, true), PackTabStop(1000, tkCenter, 0));
    EXPECT_EQ(table.GetNextTab(2000, false), NoNextTab);
}

TEST(TabManagerTest, TablesAreStoredOncePerDocument)
{
    TTabManager manager(nullptr);
    TTabTable empty;
    EXPECT_EQ(manager.AddTable(empty), -1);
    EXPECT_EQ(manager.Count(), 0);

    TTabTable a;
    a.AddTab(PackTabStop(720, tkLeft, 0));
    a.AddTab(PackTabStop(1440, tkRight, 0));
    TTabTable sameAsA;
    sameAsA.Assign(a);
    TTabTable reversed;
    reversed.AddTab(PackTabStop(1440, tkRight, 0));
    reversed.AddTab(PackTabStop(720, tkLeft, 0));

    EXPECT_EQ(manager.AddTable(a), 0);
    EXPECT_EQ(manager.AddTable(sameAsA), 0);
    EXPECT_EQ(manager.AddTable(reversed), 1);  // another order is another table
    EXPECT_EQ(manager.Count(), 2);
    // The manager keeps a copy: changing the caller's table changes nothing stored.
    a.AddTab(PackTabStop(3000, tkLeft, 0));
    EXPECT_EQ(manager.Tables(0)->Count(), 2);
    EXPECT_EQ(manager.Tables(2), nullptr);
    EXPECT_EQ(manager.Tables(-1), nullptr);
}

TEST(TabManagerTest, WorkingListAddsDefaultStopsAfterOwnOnes)
{
    TTabManager manager(nullptr);
    const std::vector<int32_t> every720 = Range(720, 31680, 720);

    // No own stops: 720 to 31680, 44 stops.
    manager.PrepareParagraphTabs(ParagraphWithTabs(-1, 0));
    EXPECT_EQ(Positions(manager.WorkingTable()), every720);
    EXPECT_EQ(manager.WorkingTable().Count(), 44);

    // Own stops (the bar is left out), then defaults from the next multiple on.
    TTabTable own;
    own.AddTab(PackTabStop(100, tkLeft, 0));
    own.AddTab(PackTabStop(300, tkBar, 0));
    own.AddTab(PackTabStop(1500, tkRight, 0));
    const int32_t index = manager.AddTable(own);
    manager.PrepareParagraphTabs(ParagraphWithTabs(index, 30000));
    EXPECT_EQ(Positions(manager.WorkingTable()), (std::vector<int32_t>{100, 1500}));  // limit 1680
    manager.InvalidateWorkingTable();
    manager.PrepareParagraphTabs(ParagraphWithTabs(index, 29000));
    EXPECT_EQ(Positions(manager.WorkingTable()), (std::vector<int32_t>{100, 1500, 2160}));  // limit 2680
}

TEST(TabManagerTest, WorkingListIsRebuiltOnlyForAnotherTable)
{
    TTabManager manager(nullptr);
    manager.PrepareParagraphTabs(ParagraphWithTabs(-1, 0));
    ASSERT_EQ(manager.WorkingTable().Count(), 44);
    // Same table index, other right indent: the list stays as it was built.
    manager.PrepareParagraphTabs(ParagraphWithTabs(-1, 30000));
    EXPECT_EQ(manager.WorkingTable().Count(), 44);
    manager.InvalidateWorkingTable();
    manager.PrepareParagraphTabs(ParagraphWithTabs(-1, 30000));
    EXPECT_EQ(Positions(manager.WorkingTable()), (std::vector<int32_t>{720, 1440}));
}

TEST(TabManagerTest, WorkingListCopesWithOddParagraphs)
{
    struct TCase {
        int32_t TableIndex;
        int32_t RightIndent;
        int32_t Interval;
        std::vector<int32_t> Expected;
    };
    std::vector<int32_t> fifteenTo64 = {15};  // positions 1 to 15 are all stored as 15
    for (int32_t p = 16; p <= 64; ++p)
        fifteenTo64.push_back(p);
    const TCase cases[] = {
        // A right indent past the page still gives one stop.
        {-1, 40000, 720, {720}},
        // An index that names no stored table (a damaged file) gives the defaults.
        {7, 31680 - 1500, 720, {720, 1440}},
        {NotSet, 31680 - 1500, 720, {720, 1440}},
        // A right indent that is not set counts as none; a zero interval as 720.
        {-1, 31680 - 1500, 0, {720, 1440}},
        {-1, NotSet, 720, Range(720, 31680, 720)},
        // A tiny interval fills the list up to its 50 stops and ends there.
        {-1, 0, 1, fifteenTo64},
    };
    for (const TCase& c : cases) {
        TTabManager manager(nullptr);
        manager.SetDefaultInterval(c.Interval);
        manager.PrepareParagraphTabs(ParagraphWithTabs(c.TableIndex, c.RightIndent));
        EXPECT_EQ(Positions(manager.WorkingTable()), c.Expected)
            << "table " << c.TableIndex << ", right indent " << c.RightIndent << ", interval " << c.Interval;
    }
}

TEST(ParFormatClipboardTest, ProgramWideInstanceStartsEmpty)
{
    EXPECT_EQ(GetParFormatingStateClipboard(), nullptr);
    CreateParFormatingStateClipboard();
    ASSERT_NE(GetParFormatingStateClipboard(), nullptr);
    EXPECT_EQ(GetParFormatingStateClipboard()->Captured, 0);
    EXPECT_EQ(GetParFormatingStateClipboard()->Tabs().Count(), 0);
    FreeParFormatingStateClipboard();
    EXPECT_EQ(GetParFormatingStateClipboard(), nullptr);
}
