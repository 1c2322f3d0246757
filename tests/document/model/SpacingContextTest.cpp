// The spacing context and the space correction after an edit, in English and
// in French typography.
#include "document/EditingFixtures.h"
#include "document/text/SpacingContext.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string English = "{21:1033}";
const std::string French = "{21:1036}";

class SpacingContextTest : public EditingTest {
protected:
    void SetUp() override { FormatSettings().DecimalSeparator = ','; }

    TSpacingContext Context(const std::string& text, int32_t offset)
    {
        Build({text + kMark});
        TSpacingContext context;
        Doc->GetAutocorrectContext(0, offset, context);
        return context;
    }
};

}  // namespace

TEST_F(SpacingContextTest, ClassesOfTheCharactersAround)
{
    struct TCase {
        const char* Name;
        std::string Text;
        int32_t Offset;
        uint8_t Before;
        uint8_t After;
        uint8_t AfterOpening;
        uint8_t AfterClosing;
    };
    const TCase cases[] = {
        {"paragraph start", English + "mot", 0, scsOpening, scsOther, 0, 0},
        {"paragraph end", English + "mot", 4, scsOpening, scsClosing, 0, 1},
        {"before the paragraph mark", English + "mot", 3, scsOther, scsClosing, 1, 1},
        {"blanks", English + "a b", 1, scsOther, scsBlank, 1, 1},
        {"non-breaking space", English + "a{22:10}b", 2, scsBlank, scsOther, 0, 0},
        {"opening bracket", English + "(a", 1, scsOpening, scsOther, 0, 0},
        {"closing bracket", English + "a)", 1, scsOther, scsClosing, 0, 1},
        {"decimal comma before", English + "3,5", 2, scsOpening, scsOther, 0, 0},
        {"decimal comma after", English + "3,5", 1, scsOther, scsClosing, 0, 1},
        {"comma between words", English + "a,b", 2, scsClosing, scsOther, 0, 0},
        {"straight quote first", English + "\"a", 1, scsOpening, scsOther, 0, 0},
        {"straight quote after a blank", English + "a \"b", 3, scsOpening, scsOther, 0, 0},
        {"straight quote after a word", English + "a\" b", 2, scsClosing, scsBlank, 1, 1},
        {"English exclamation", English + "a!", 1, scsOther, scsClosing, 0, 1},
        {"French exclamation", French + "a!", 1, scsOther, scsOther, 0, 0},
        {"English guillemet", English + "\xAB" "a", 1, scsOpening, scsOther, 0, 0},
        {"French guillemet", French + "\xAB" "a", 1, scsOther, scsOther, 0, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSpacingContext context = Context(c.Text, c.Offset);
        EXPECT_EQ(context.BeforeClass, c.Before);
        EXPECT_EQ(context.AfterClass, c.After);
        EXPECT_EQ(context.AfterOpening, c.AfterOpening);
        EXPECT_EQ(context.AfterClosing, c.AfterClosing);
        EXPECT_EQ(context.AfterPlain, c.AfterOpening == 0 && c.AfterClosing == 0 ? 1 : 0);
    }
}

TEST_F(SpacingContextTest, SpacesWherePiecesOfTextMeet)
{
    struct TCase {
        const char* Name;
        std::string Text;
        int32_t Offset;
        const char* Result;
        int32_t RemovedBefore;
        int32_t RemovedAfter;
        int32_t Inserted;
    };
    const TCase cases[] = {
        {"two words meet", English + "deuxmots", 4, "deux mots", 0, 0, 1},
        {"three spaces before", English + "deux   mots", 7, "deux mots", 2, 0, 0},
        {"three spaces after", English + "deux   mots", 4, "deux mots", 0, 2, 0},
        {"spaces on both sides", English + "deux   mots", 5, "deux mots", 0, 2, 0},
        {"one space", English + "deux mots", 5, "deux mots", 0, 0, 0},
        {"before a closing sign", English + "mot  .", 5, "mot.", 2, 0, 0},
        {"after an opening sign", English + "( mot", 1, "(mot", 0, 1, 0},
        {"paragraph start", English + "  mot", 2, "mot", 2, 0, 0},
        {"decimal number", English + "3,5", 2, "3,5", 0, 0, 0},
        {"comma between words", English + "a,b", 2, "a, b", 0, 0, 1},
        {"closing straight quote", English + "x\"mot", 2, "x\" mot", 0, 0, 1},
        {"opening straight quote", English + "\"mot", 1, "\"mot", 0, 0, 0},
        {"English exclamation", English + "mot!", 3, "mot!", 0, 0, 0},
        {"French exclamation", French + "mot!", 3, "mot !", 0, 0, 1},
        {"French guillemets", French + "\xAB" "mot", 1, "\xAB mot", 0, 0, 1},
        {"English guillemets", English + "\xAB  mot", 1, "\xABmot", 0, 2, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Build({c.Text + kMark});
        const std::string before = DumpDocument(*Doc);
        TOperation op(Doc.get(), okCommand);
        TDocument::TSpaceAdjustment result;
        TUpdateRange update;
        Doc->FixSpacingAt({0, c.Offset}, result, update, &op);
        EXPECT_EQ(Plain(0), std::string(c.Result) + '\x02');
        EXPECT_EQ(result.RemovedBefore, c.RemovedBefore);
        EXPECT_EQ(result.RemovedAfter, c.RemovedAfter);
        EXPECT_EQ(result.Inserted, c.Inserted);
        EXPECT_EQ(op.IsEmpty(), c.RemovedBefore + c.RemovedAfter + c.Inserted == 0);
        TUpdateRange back;
        op.Undo(back);
        EXPECT_EQ(DumpDocument(*Doc), before);
    }
}

TEST_F(SpacingContextTest, AnchorsAreLeftAlone)
{
    TField& bookmark = Doc->AddRangeObject(rkBookmark);
    bookmark.Instruction = "Signet";
    const std::string open = Rec(icRangeStart, bookmark.Handle());
    const std::string close = Rec(icRangeEnd, bookmark.Handle());
    for (const std::string& text : {English + "deux" + open + close + "mots", English + "deux " + open + " mots",
                                    English + "deux" + open + "  mots" + close}) {
        Build({text + kMark});
        const std::string before = DumpDocument(*Doc);
        TDocument::TSpaceAdjustment result;
        TUpdateRange update;
        Doc->FixSpacingAt({0, 4}, result, update, nullptr);
        EXPECT_EQ(DumpDocument(*Doc), before);
        EXPECT_EQ(result.Inserted + result.RemovedBefore + result.RemovedAfter, 0);
    }
    // Past the paragraphs: nothing.
    TDocument::TSpaceAdjustment result;
    TUpdateRange update;
    Doc->FixSpacingAt({5, 0}, result, update, nullptr);
    EXPECT_EQ(result.Inserted, 0);
}
