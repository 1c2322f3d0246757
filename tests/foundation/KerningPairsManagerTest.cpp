#include "foundation/managers/KerningPairsManager.h"

#include "foundation/managers/FontManager.h"
#include "platform/gdi/Gdi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

class KerningPairsTest : public testing::Test {
protected:
    KerningPairsTest()
        : FSaved{DefaultCharFormat()[cfFont], PresetCharFormat()[cfFont], PresetBoldCharFormat()[cfFont]},
          Fonts(std::make_unique<TFontManager>()), DC(CreateCompatibleDC(nullptr))
    {
    }
    ~KerningPairsTest() override
    {
        Fonts.reset();
        DeleteDC(DC);
        DefaultCharFormat()[cfFont] = FSaved[0];
        PresetCharFormat()[cfFont] = FSaved[1];
        PresetBoldCharFormat()[cfFont] = FSaved[2];
    }

    // Selects the face at the height and reads its kerning table.
    std::unique_ptr<TSharedKerningPairs> Read(const char* face, int32_t height)
    {
        TCharFormat format = DefaultCharFormat();
        format[cfFont] = Fonts->IndexOfFont(face);
        Fonts->SelectSharedFont(format, height, false, true, DC);
        return std::make_unique<TSharedKerningPairs>(format, DC, height);
    }
    // What the device context reports for a pair; 0 when it has none.
    int32_t SystemAmount(uint16_t first, uint16_t second)
    {
        std::vector<KERNINGPAIR> pairs(GetKerningPairs(DC, 0, nullptr));
        GetKerningPairs(DC, static_cast<uint32_t>(pairs.size()), pairs.data());
        for (const KERNINGPAIR& pair : pairs)
            if (pair.wFirst == first && pair.wSecond == second)
                return pair.iKernAmount;
        return 0;
    }

private:
    int32_t FSaved[3];

protected:
    std::unique_ptr<TFontManager> Fonts;
    HDC DC;
};

}  // namespace

TEST_F(KerningPairsTest, AmountsOfARealFontAtTwoHeights)
{
    // "AV" in Liberation Serif draws the V closer, twice as much at twice the height.
    const auto small = Read("Liberation Serif", -48);
    const int32_t smallAV = small->GetKernAmount('A', 'V');
    EXPECT_EQ(smallAV, SystemAmount('A', 'V'));
    EXPECT_EQ(smallAV, -6);
    const auto large = Read("Liberation Serif", -96);
    const int32_t largeAV = large->GetKernAmount('A', 'V');
    EXPECT_EQ(largeAV, SystemAmount('A', 'V'));
    EXPECT_EQ(largeAV, -12);
    EXPECT_EQ(large->Count(), small->Count());
    EXPECT_GT(large->Count(), 0);
    EXPECT_EQ(large->Description[cfSize], -96);

    // Every pair the system reports is found, and nothing else.
    for (int32_t i = 0; i < large->Count(); ++i) {
        const KERNINGPAIR pair = large->Pairs(i);
        if (pair.wFirst < 256 && pair.wSecond < 256) {
            EXPECT_EQ(large->GetKernAmount(static_cast<uint8_t>(pair.wFirst), static_cast<uint8_t>(pair.wSecond)),
                      pair.iKernAmount);
        }
    }
    EXPECT_EQ(large->GetKernAmount('V', 'A'), SystemAmount('V', 'A'));
    EXPECT_EQ(large->GetKernAmount('A', 'A'), 0);       // a pair the font does not kern
    EXPECT_EQ(large->GetKernAmount('A', 0xFF), 0);      // above every second character of the group
    EXPECT_EQ(large->GetKernAmount('x', 'x'), 0);       // a character without pairs
}

TEST_F(KerningPairsTest, FontWithoutPairs)
{
    const auto mono = Read("Liberation Mono", -48);
    EXPECT_EQ(mono->Count(), 0);
    for (int first : {65, 86, 0, 255})
        for (int second : {65, 86, 0, 255})
            EXPECT_EQ(mono->GetKernAmount(static_cast<uint8_t>(first), static_cast<uint8_t>(second)), 0);
}

TEST_F(KerningPairsTest, ManagerCachesTablesByDescriptionAndHeight)
{
    TKerningPairsManager manager;
    TCharFormat serif = DefaultCharFormat();
    serif[cfFont] = Fonts->IndexOfFont("Liberation Serif");
    Fonts->SelectSharedFont(serif, -48, false, true, DC);
    TSharedKerningPairs* first = manager.SelectKerningPairs(serif, -48, DC);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(manager.Current(), first);
    EXPECT_EQ(first->UseCount, 1);
    EXPECT_EQ(manager.SelectKerningPairs(serif, -48, DC), first);  // current: the count stays
    EXPECT_EQ(first->UseCount, 1);

    TSharedKerningPairs* second = manager.SelectKerningPairs(serif, -96, DC);
    EXPECT_NE(second, first);
    EXPECT_EQ(manager.SelectKerningPairs(serif, -48, DC), first);
    EXPECT_EQ(first->UseCount, 2);
    EXPECT_EQ(manager.Count(), 2);

    // A full cache frees the last table used less than the first one.
    for (int32_t height = 1; manager.Count() < TKerningPairsManager::MaxTables; ++height)
        manager.SelectKerningPairs(serif, height, DC);
    for (int32_t i = 0; i < manager.Count(); ++i)
        manager.Tables(i).UseCount = 2;
    manager.Tables(5).UseCount = 1;
    manager.Tables(7).UseCount = 1;
    TSharedKerningPairs* kept = &manager.Tables(5);
    const int32_t goneHeight = manager.Tables(7).Description[cfSize];
    manager.SelectKerningPairs(serif, -200, DC);
    EXPECT_EQ(manager.Count(), TKerningPairsManager::MaxTables);
    EXPECT_EQ(&manager.Tables(5), kept);
    EXPECT_NE(manager.Tables(7).Description[cfSize], goneHeight);
    EXPECT_EQ(manager.Current(), &manager.Tables(TKerningPairsManager::MaxTables - 1));
    EXPECT_EQ(manager.Current()->Description[cfSize], -200);

    // When none is used less than the first, the first goes.
    for (int32_t i = 0; i < manager.Count(); ++i)
        manager.Tables(i).UseCount = 1;
    TSharedKerningPairs* second0 = &manager.Tables(1);
    manager.SelectKerningPairs(serif, -201, DC);
    EXPECT_EQ(&manager.Tables(0), second0);

    manager.Tables(3).UseCount = 9;
    manager.SortByUsage();
    EXPECT_EQ(manager.Tables(0).UseCount, 9);
    manager.Clear();
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_EQ(manager.Current(), nullptr);
}

TEST_F(KerningPairsTest, ProgramWideManager)
{
    EXPECT_EQ(GetKerningPairsManager(), nullptr);
    EXPECT_EQ(CurrentKerningPairs(), nullptr);
    CreateKerningPairsManager();
    TCharFormat sans = DefaultCharFormat();
    sans[cfFont] = Fonts->IndexOfFont("Liberation Sans");
    Fonts->SelectSharedFont(sans, -48, false, true, DC);
    TSharedKerningPairs* table = GetKerningPairsManager()->SelectKerningPairs(sans, -48, DC);
    EXPECT_EQ(CurrentKerningPairs(), table);
    EXPECT_LT(table->GetKernAmount('A', 'V'), 0);
    FreeKerningPairsManager();
    EXPECT_EQ(CurrentKerningPairs(), nullptr);
}
