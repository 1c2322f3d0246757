// The Calculate command through the dispatcher: the result delivered as the
// options say, undone in one step, errors selected, and the expression found
// around the caret.
#include "document/EditingFixtures.h"
#include "document/calc/Evaluator.h"
#include "foundation/MessageAnswers.h"
#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

namespace {

class TCalcHost : public TEditHost {
public:
    int32_t Handling = 2;
    bool Autodetect = true;
    bool ClipboardWorks = true;
    std::vector<std::string> Clipboard;

    bool CalcAutodetect() override { return Autodetect; }
    bool CalcBeep() override { return false; }
    int32_t CalcResultHandling() override { return Handling; }
    bool PutCalculationOnClipboard(const std::string& text) override
    {
        if (!ClipboardWorks)
            return false;
        Clipboard.push_back(text);
        return true;
    }
};

class CalculationTest : public EditingTest {
protected:
    TCalcHost Calc;
    TDocumentHost* FPreviousHost = nullptr;
    char FSeparator = ',';

    void SetUp() override
    {
        FPreviousHost = SetDocumentHost(&Calc);
        FSeparator = FormatSettings().DecimalSeparator;
        FormatSettings().DecimalSeparator = ',';
    }
    void TearDown() override
    {
        FormatSettings().DecimalSeparator = FSeparator;
        SetDocumentHost(FPreviousHost);
    }

    void Calculate()
    {
        TTextRange range{Doc->Selection().Start, Doc->Selection().End};
        Doc->ExecuteOperation(docCalculate, {&range});
    }
    // The paragraph's characters without its mark.
    std::string Chars(int32_t paragraph) const
    {
        const std::string plain = Plain(paragraph);
        return plain.substr(0, plain.size() - 1);
    }
    std::pair<int32_t, int32_t> SelectedOffsets() const
    {
        return {Doc->Selection().Start.Offset, Doc->Selection().End.Offset};
    }
};

TEST_F(CalculationTest, ResultReplacesOrFollowsTheSelectionAndUndoesInOneStep)
{
    const struct {
        int32_t Handling;
        const char* Expected;
    } cases[] = {{2, "Prix 50 net"}, {1, "Prix 12,5*4=50 net"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Handling);
        Build({"Prix 12,5*4 net{22:2}"});
        const std::string before = DumpDocument(*Doc);
        Calc.Handling = c.Handling;
        Select(0, 5, 0, 11);
        Calculate();
        EXPECT_EQ(Chars(0), c.Expected);
        Undo().Undo();
        EXPECT_EQ(DumpDocument(*Doc), before);
        Undo().Redo();
        EXPECT_EQ(Chars(0), c.Expected);
        Undo().ClearUndo();
    }
}

TEST_F(CalculationTest, ClipboardDeliveryLeavesTheDocumentAlone)
{
    Build({"DecEnHex(255){22:2}"});
    Calc.Handling = 0;
    Select(0, 0, 0, 13);
    const std::string before = DumpDocument(*Doc);
    Calculate();
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_FALSE(Undo().CanUndo());
    ASSERT_EQ(Calc.Clipboard.size(), 1u);
    EXPECT_EQ(Calc.Clipboard[0], "FF");

    // A clipboard that cannot be had is said, not taken for success.
    Calc.ClipboardWorks = false;
    TMessageAnswers answers;
    answers.Expect("presse-papiers", mrOk);
    Calculate();
}

TEST_F(CalculationTest, SelectionOverTwoParagraphsTakesTheFirstParagraphOnly)
{
    Build({"1+2{22:2}", "*10{22:2}"});
    Select(0, 0, 1, 3);
    Calculate();
    EXPECT_EQ(Chars(0), "3");
    EXPECT_EQ(Text(1), "*10" "{22:2}");
}

TEST_F(CalculationTest, ErrorSelectsItsSpanAndChangesNothing)
{
    Build({"x 2/0 y{22:2}"});
    Select(0, 2, 0, 5);
    const std::string before = DumpDocument(*Doc);
    {
        TMessageAnswers answers;
        answers.Expect("Erreur lors du calcul : Division par zéro.", mrOk);
        Calculate();
    }
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_FALSE(Undo().CanUndo());
    EXPECT_EQ(SelectedOffsets(), std::make_pair(5, 5));

    Build({"sqrt(-4){22:2}"});
    Select(0, 0, 0, 8);
    TMessageAnswers answers;
    answers.Expect("[0, +~)", mrOk);
    Calculate();
    EXPECT_EQ(SelectedOffsets(), std::make_pair(5, 7));
}

TEST_F(CalculationTest, AutodetectionSelectsTheExpressionAroundTheCaret)
{
    const struct {
        const char* Text;
        int32_t Caret;
        int32_t Start, End;
    } cases[] = {
        {"Prix 12,5*4", 11, 5, 11},
        // A label's colon is not taken for a division.
        {"Total : 12,5*4", 14, 8, 14},
        {"Le total fait 3 + 4 francs", 14, 14, 19},
        {"(1+2)*3 puis", 0, 0, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        Build({std::string(c.Text) + "{22:2}"});
        Caret(0, c.Caret);
        const std::string before = DumpDocument(*Doc);
        Calculate();
        EXPECT_EQ(SelectedOffsets(), std::make_pair(c.Start, c.End));
        EXPECT_EQ(Text(0), std::string(c.Text) + "{22:2}");
    }

    // A second Calculate computes what the first selected.
    Build({"Total : 12,5*4{22:2}"});
    Calc.Handling = 1;
    Caret(0, 14);
    Calculate();
    Calculate();
    EXPECT_EQ(Chars(0), "Total : 12,5*4=50");
}

TEST_F(CalculationTest, NothingToCalculateIsSaid)
{
    Build({"Bonjour{22:2}"});
    Caret(0, 3);
    {
        TMessageAnswers answers;
        answers.Expect("Impossible de détecter une expression", mrOk);
        Calculate();
    }
    Calc.Autodetect = false;
    TMessageAnswers answers;
    answers.Expect("Cette action (\"le calcul du résultat\") ne s'applique qu'à une sélection.", mrOk);
    Calculate();
    EXPECT_EQ(Text(0), "Bonjour" "{22:2}");
}

TEST_F(CalculationTest, QuietCallHandsBackTheNumber)
{
    Build({"DecEnHex(255) 1/0{22:2}"});
    TCalculationOutput output;
    TUpdateRange update;
    Doc->CalculateExpression(TTextRange{{0, 0}, {0, 13}}, true, update, nullptr, &output);
    EXPECT_EQ(output.Success, 1);
    EXPECT_EQ(output.Value, 255);
    EXPECT_EQ(Text(0), "DecEnHex(255) 1/0" "{22:2}");
    Doc->CalculateExpression(TTextRange{{0, 14}, {0, 17}}, true, update, nullptr, &output);
    EXPECT_EQ(output.Success, 0);
}

}  // namespace
