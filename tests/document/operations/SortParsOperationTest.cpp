// Sorting paragraphs, undone and redone.
#include "document/EditingFixtures.h"
#include "document/steps/SortParsOperation.h"
#include "platform/runtime/Exception.h"

namespace {

class SortParsTest : public EditingTest {
protected:
    std::string Order() const
    {
        std::string order;
        for (int32_t i = 0; i < Doc->StoryCount(stBody); ++i)
            order += Plain(i).substr(0, Plain(i).size() - 1) + " ";
        return order;
    }
};

TEST_F(SortParsTest, SortUndoRedo)
{
    Build({"b{22:2}", "a{22:2}", "c{22:2}"});
    Doc->Paragraphs(0).Format[pfAlignment] = 2;
    const std::string before = DumpDocument(*Doc);
    TSortParsOperation sort(Doc.get(), 0, 2, false);
    TUpdateRange update;
    sort.Redo(update);
    EXPECT_EQ(Order(), "a b c ");
    EXPECT_TRUE(update.IsFull());
    EXPECT_EQ(sort.LowestExchanged(), 0);
    // The paragraph format goes with its paragraph.
    EXPECT_EQ(Doc->Paragraphs(1).Format[pfAlignment], 2);
    const std::string after = DumpDocument(*Doc);
    sort.Undo(update);
    EXPECT_EQ(Order(), "b a c ");
    EXPECT_EQ(DumpDocument(*Doc), before);
    sort.Redo(update);
    EXPECT_EQ(DumpDocument(*Doc), after);
    ExpectDocumentConsistent(*Doc);
}

TEST_F(SortParsTest, OrdersOfLongerLists)
{
    Build({"zèbre{22:2}", "Éléphant{22:2}", "abeille{22:2}", "chat{22:2}", "âne{22:2}", "chat{22:2}",
           "Zoé{22:2}"});
    const std::string before = DumpDocument(*Doc);
    TSortParsOperation ascending(Doc.get(), 0, 6, false);
    TUpdateRange update;
    ascending.Redo(update);
    EXPECT_EQ(Order(), "abeille âne chat chat Éléphant zèbre Zoé ");
    ascending.Undo(update);
    EXPECT_EQ(DumpDocument(*Doc), before);
    TSortParsOperation descending(Doc.get(), 1, 5, true);
    descending.Redo(update);
    EXPECT_EQ(Order(), "zèbre Éléphant chat chat âne abeille Zoé ");
    descending.Undo(update);
    EXPECT_EQ(DumpDocument(*Doc), before);
}

TEST_F(SortParsTest, NothingToExchangeIsNoFullUpdate)
{
    Build({"a{22:2}", "b{22:2}", "c{22:2}"});
    TSortParsOperation sort(Doc.get(), 0, 2, false);
    TUpdateRange update;
    sort.Redo(update);
    EXPECT_FALSE(update.IsFull());
    EXPECT_EQ(sort.LowestExchanged(), NotSet);
    EXPECT_EQ(sort.ExchangeCount(), 0);
}

TEST_F(SortParsTest, ParagraphsClosingASectionAreNotSorted)
{
    TSection& section = Doc->InsertSection(0);
    Build({"b" + SectionBreak(section), "a{22:2}"});
    const std::string before = DumpDocument(*Doc);
    TSortParsOperation sort(Doc.get(), 0, 1, false);
    TUpdateRange update;
    EXPECT_THROW(sort.Redo(update), EInternalError);
    EXPECT_EQ(DumpDocument(*Doc), before);
}

}  // namespace
