// The tips source (numbers after "#", browsing back and forth, random draws
// that repeat no tip before all were shown, the first ten in order over the
// first runs) and the weighted frequency list.
#include "foundation/AdviseManager.h"
#include "foundation/FrequencyMemList.h"

#include <gtest/gtest.h>

#include <set>

TEST(AdviseManager, TipTextAndNumber)
{
    const TAdviseManager tips("Texte#12\r#12\r12\rUn # seul#\rAvant#3 après\r\xC9t\xE9#7");
    struct {
        int32_t Index;
        const char* Text;
        int32_t Number;
    } const cases[] = {
        {0, "Texte", 12}, {1, "", 12}, {2, "12", 0}, {3, "Un # seul#", 0}, {4, "Avant#3 après", 0},
        {5, "\xC9t\xE9", 7}, {6, "", 0},
    };
    ASSERT_EQ(tips.TipCount(), 6);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Index);
        const TTipInfo tip = tips.GetTip(c.Index);
        EXPECT_EQ(tip.Text, c.Text);
        EXPECT_EQ(tip.Number, c.Number);
    }
    // A carriage return at the very end starts no tip; no text has none.
    EXPECT_EQ(TAdviseManager("a\rb\r").TipCount(), 2);
    EXPECT_EQ(TAdviseManager("").TipCount(), 0);
    TAdviseManager none("");
    EXPECT_EQ(none.GetNextTip().Text, "");
}

TEST(AdviseManager, DrawsEveryTipOnceBeforeANewCycle)
{
    TAdviseManager tips("a\rb\rc\rd\re");
    tips.SeedRandom(7);
    for (int cycle = 0; cycle < 3; ++cycle) {
        std::set<std::string> seen;
        for (int i = 0; i < 5; ++i)
            seen.insert(tips.GetNextTip().Text);
        EXPECT_EQ(seen.size(), 5u) << "cycle " << cycle;
    }
}

TEST(AdviseManager, FirstRunsShowTheFirstTipsInOrder)
{
    for (int32_t counter : {0, 3, 9}) {
        TAdviseManager tips("t0\rt1\rt2\rt3\rt4\rt5\rt6\rt7\rt8\rt9\rt10\rt11");
        tips.SetTipCounterSource([counter] { return counter; });
        EXPECT_EQ(tips.GetNextTip().Text, "t" + std::to_string(counter));
    }
}

TEST(AdviseManager, HistoryGoesBackAndForward)
{
    TAdviseManager tips("t0\rt1\rt2\rt3\rt4\rt5");
    tips.SeedRandom(1);
    EXPECT_FALSE(tips.HasPreviousTip());
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i)
        shown.push_back(tips.GetNextTip().Text);
    // Back from the tip on show: the three before it, in reverse.
    for (int i = 2; i >= 0; --i) {
        ASSERT_TRUE(tips.HasPreviousTip());
        EXPECT_EQ(tips.GetPreviousTip().Text, shown[static_cast<size_t>(i)]);
    }
    EXPECT_FALSE(tips.HasPreviousTip());
    // Forward again through the same tips, then new draws.
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(tips.GetNextTip().Text, shown[static_cast<size_t>(i)]);
    EXPECT_EQ(tips.History().size(), 4u);
    tips.GetNextTip();
    EXPECT_EQ(tips.History().size(), 5u);
}

TEST(AdviseManager, ProgramTipsAreOneLineEach)
{
    const TAdviseManager tips;
    ASSERT_GT(tips.TipCount(), 20);
    for (int32_t i = 0; i < tips.TipCount(); ++i) {
        const TTipInfo tip = tips.GetTip(i);
        EXPECT_FALSE(tip.Text.empty()) << i;
        EXPECT_EQ(tip.Text.find('\n'), std::string::npos) << i;
    }
}

TEST(FrequencyMemList, KeepsTheMostFrequentRecord)
{
    struct TRecord {
        int32_t A, B;
    };
    TFrequencyMemList list(sizeof(TRecord));
    EXPECT_EQ(list.BestItem(), nullptr);
    const TRecord x{1, 2}, y{1, 3}, z{4, 5};
    list.Add(&x, 10);
    list.Add(&y, 4);
    list.Add(&y, 6);  // equal to x's count: x stays the best
    EXPECT_EQ(list.BestIndex(), 0);
    EXPECT_EQ(list.BestCount(), 10);
    list.Add(&y, 1);
    EXPECT_EQ(list.BestIndex(), 1);
    EXPECT_EQ(list.BestCount(), 11);
    list.Add(&z, 12);  // a new record with more weight than the best
    EXPECT_EQ(list.BestIndex(), 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Counts(1), 11);
    EXPECT_EQ(static_cast<const TRecord*>(list.BestItem())->A, 4);
    // The first record is the best even with no weight.
    TFrequencyMemList zero(sizeof(TRecord));
    zero.Add(&x, 0);
    EXPECT_EQ(zero.BestItem() != nullptr, true);
}
