// The function popup's list and type-ahead, and the insertion of a function
// call around the selection or at the caret, undone in one step.
#include "document/EditingFixtures.h"
#include "document/calc/Evaluator.h"
#include "document/calc/FunctionInsertion.h"
#include "document/operations/SubOperation.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

namespace {

class FunctionInsertionTest : public EditingTest {
protected:
    std::string Chars(int32_t paragraph) const
    {
        const std::string plain = Plain(paragraph);
        return plain.substr(0, plain.size() - 1);
    }
};

int g_FailAtStep = 0;
void FailChosenStep(const TSubOperation&)
{
    if (g_FailAtStep > 0 && --g_FailAtStep == 0)
        throw EOutOfMemory();
}

int32_t FunctionNamed(const char* name)
{
    for (int32_t f = 1; f < EvaluatorFunctionCount; ++f)
        if (std::string(EvaluatorFunctionNames[f]) == name)
            return f;
    return 0;
}

}  // namespace

TEST(FunctionPopupListTest, EveryFunctionOnceInCaseInsensitiveOrder)
{
    const std::vector<TFunctionItem> items = FunctionPopupItems();
    ASSERT_EQ(items.size(), 97u);
    std::vector<bool> seen(EvaluatorFunctionCount, false);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].Name, EvaluatorFunctionNames[items[i].Function]);
        EXPECT_FALSE(seen[static_cast<size_t>(items[i].Function)]);
        seen[static_cast<size_t>(items[i].Function)] = true;
        if (i > 0) {
            EXPECT_LE(AnsiCompareText(items[i - 1].Name, items[i].Name), 0) << items[i].Name;
        }
    }
}

TEST(FunctionPopupListTest, TypeAheadFollowsThePrefixAndRestartsWhenNothingMatches)
{
    const std::vector<TFunctionItem> items = FunctionPopupItems();
    auto nameOf = [&](int32_t i) { return i >= 0 ? items[static_cast<size_t>(i)].Name : std::string("-"); };
    auto firstStarting = [&](const std::string& prefix) {
        for (size_t i = 0; i < items.size(); ++i)
            if (SameText(items[i].Name.substr(0, prefix.size()), prefix))
                return static_cast<int32_t>(i);
        return -1;
    };

    std::string prefix;
    int32_t current = 0;
    current = FunctionTypeAhead(items, current, prefix, 's');
    EXPECT_EQ(current, firstStarting("s"));
    current = FunctionTypeAhead(items, current, prefix, 'I');
    current = FunctionTypeAhead(items, current, prefix, 'n');
    EXPECT_EQ(prefix, "sIn");
    EXPECT_EQ(current, firstStarting("sin")) << nameOf(current);
    // The current item stays while its name still begins with the prefix.
    const int32_t sinh = firstStarting("sinh");
    ASSERT_GE(sinh, 0);
    std::string longer = "sin";
    EXPECT_EQ(FunctionTypeAhead(items, sinh, longer, 'h'), sinh);

    // No name begins with "sinm": the search starts again at "m".
    current = FunctionTypeAhead(items, current, prefix, 'm');
    EXPECT_EQ(prefix, "m");
    EXPECT_EQ(current, firstStarting("m"));
    EXPECT_GE(current, 0);
    // A letter no name begins with at all keeps the item; blanks and control
    // characters do nothing.
    const int32_t kept = current;
    EXPECT_EQ(FunctionTypeAhead(items, kept, prefix, '#'), kept);
    std::string untouched = "co";
    EXPECT_EQ(FunctionTypeAhead(items, kept, untouched, ' '), kept);
    EXPECT_EQ(untouched, "co");
}

TEST_F(FunctionInsertionTest, AroundTheSelectionOrAtTheCaretInOneUndoableStep)
{
    const int32_t sin = FunctionNamed("sin");
    ASSERT_GT(sin, 0);
    const struct {
        int32_t From, To;
        const char* Expected;
        int32_t CaretAfter;
    } cases[] = {
        {2, 4, "x=sin(30)+1", -1},  // the selection goes between the parentheses
        {2, 2, "x=sin()30+1", 6},   // at the caret, which stays between them
        {2, 7, "x=sin(30+1)", -1},  // a selection to the paragraph's end keeps the mark outside
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Expected);
        Build({"x=30+1{22:2}"});
        Select(0, c.From, 0, c.To);
        const std::string before = DumpDocument(*Doc);
        Doc->InsertFunctionCall(sin);
        EXPECT_EQ(Chars(0), c.Expected);
        if (c.CaretAfter >= 0) {
            EXPECT_EQ(Doc->Caret.Offset, c.CaretAfter);
            EXPECT_EQ(Doc->Selection().Start.Offset, Doc->Selection().End.Offset);
        }
        Undo().Undo();
        EXPECT_EQ(DumpDocument(*Doc), before);
        Undo().Redo();
        EXPECT_EQ(Chars(0), c.Expected);
        Undo().ClearUndo();
    }
}

TEST_F(FunctionInsertionTest, SelectionOverTwoParagraphsClosesInTheSecond)
{
    Build({"ab{22:2}", "cd{22:2}"});
    Select(0, 1, 1, 1);
    Doc->InsertFunctionCall(FunctionNamed("abs"));
    EXPECT_EQ(Chars(0), "aabs(b");
    EXPECT_EQ(Chars(1), "c)d");
}

TEST_F(FunctionInsertionTest, AFailureLeavesTheTextAsItWasAndRecordsNothing)
{
    Build({"x=30{22:2}"});
    Select(0, 2, 0, 4);
    const std::string before = DumpDocument(*Doc);
    for (int failing : {1, 2}) {
        SCOPED_TRACE(failing);
        g_FailAtStep = failing;
        const TSubOperationFaultHook previous = SetSubOperationFaultHook(&FailChosenStep);
        EXPECT_THROW(Doc->InsertFunctionCall(FunctionNamed("cos")), EOutOfMemory);
        SetSubOperationFaultHook(previous);
        g_FailAtStep = 0;
        EXPECT_EQ(DumpDocument(*Doc), before);
        EXPECT_FALSE(Undo().CanUndo());
    }
    EXPECT_THROW(Doc->InsertFunctionCall(0), EInternalError);
    EXPECT_THROW(Doc->InsertFunctionCall(EvaluatorFunctionCount), EInternalError);
    EXPECT_EQ(DumpDocument(*Doc), before);
}
