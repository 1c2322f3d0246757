// The function popup under the offscreen platform: its list and bounds, real
// keys for the type-ahead and the choice, a real double click, the function
// written into a document and undone, and the last choice remembered.
#include "document/EditingFixtures.h"
#include "document/calc/Evaluator.h"
#include "platform/framework/Bitmap.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"
#include "shell/calc/InsertIdentifierForm.h"
#include "shell/options/OptionsHolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

int32_t FunctionNamed(const char* name)
{
    for (int32_t f = 1; f < EvaluatorFunctionCount; ++f)
        if (std::string(EvaluatorFunctionNames[f]) == name)
            return f;
    return 0;
}

// Watches a popup that frees itself.
class TGoneWatch : public TComponent {
public:
    explicit TGoneWatch(TComponent* watched) : TComponent(nullptr) { FreeNotification(watched); }
    void Notification(TComponent*, TOperation op) override
    {
        if (op == TOperation::opRemove)
            Gone = true;
    }
    bool Gone = false;
};

class InsertIdentifierFormTest : public EditingTest {
protected:
    void SetUp() override
    {
        InitApplication();
        OptionsHolder = Options.get();
    }
    void TearDown() override
    {
        RunPending();
        OptionsHolder = nullptr;
    }
    // The popup shown and active, writing into the fixture's document.
    TInsertIdentifierForm* Open(int32_t x = 40, int32_t y = 60)
    {
        TInsertIdentifierForm* popup = ShowInsertIdentifierForm(x, y);
        popup->TargetDocument = [this] { return Doc.get(); };
        EXPECT_TRUE(RunUntil([&] { return popup->Active() && popup->ListBox()->Focused(); }));
        return popup;
    }
    std::string Chars(int32_t paragraph) const
    {
        const std::string plain = Plain(paragraph);
        return plain.substr(0, plain.size() - 1);
    }
    std::string SelectedName(TInsertIdentifierForm* popup) const
    {
        const int32_t f = popup->SelectedFunction();
        return f ? EvaluatorFunctionNames[f] : "";
    }

    std::unique_ptr<TOptionsHolder> Options = std::make_unique<TOptionsHolder>();
    TTestKeyboard Keys;
    TTestMouse Mouse;
};

TEST_F(InsertIdentifierFormTest, ListsTheFunctionsInSevenRowsDrawnInTwoColumns)
{
    TInsertIdentifierForm* popup = Open();
    TGoneWatch watch(popup);
    TFunctionListBox* list = popup->ListBox();
    ASSERT_EQ(list->Items().Count(), 97);
    EXPECT_EQ(popup->FunctionItems().size(), 97u);
    EXPECT_EQ(list->Items().Strings(0), popup->FunctionItems()[0].Name);
    EXPECT_EQ(list->ItemIndex(), 0);  // nothing chosen yet: the first item

    // Seven rows and a scroll bar; the columns fit the widest texts.
    const int32_t rows = list->ItemHeight();
    EXPECT_EQ(popup->Height(), 7 * rows + 4);
    EXPECT_EQ(popup->Width(), popup->NameWidth() + popup->DescriptionWidth() + GetSystemMetrics(SM_CXVSCROLL));
    TCanvas& canvas = list->Canvas();
    canvas.Font().Assign(list->Font());
    for (const TFunctionItem& item : popup->FunctionItems())
        ASSERT_LE(canvas.TextWidth(EvaluatorFunctionDescription(item.Function)) + 10, popup->DescriptionWidth());
    EXPECT_EQ(popup->Left(), 40);
    EXPECT_EQ(popup->Top(), 60);

    TBitmap grab;
    ASSERT_TRUE(RunUntil([&] { return GrabWindow(popup->Handle(), grab) && grab.Width() > 0; }));
    RunPending();
    ASSERT_TRUE(GrabWindow(popup->Handle(), grab));
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/function-popup.png"));
    // The selected first row in the highlight colour, the second on the
    // window colour, each with its text drawn over it (in the name column
    // and in the description column).
    const TRect first = list->ItemRect(0), second = list->ItemRect(1);
    const TPoint origin = list->ClientToScreen({0, 0});
    const TPoint formOrigin = popup->ClientToScreen({0, 0});
    const int32_t dx = origin.X - formOrigin.X, dy = origin.Y - formOrigin.Y;
    EXPECT_EQ(ColorToRGB(grab.Canvas().Pixels(dx + first.Left + 1, dy + first.Top + 1)), ColorToRGB(clHighlight));
    EXPECT_EQ(ColorToRGB(grab.Canvas().Pixels(dx + second.Left + 1, dy + second.Top + 1)), ColorToRGB(clWindow));
    auto inked = [&](const TRect& row, int32_t from, int32_t to, TColor background) {
        for (int32_t x = from; x < to; ++x)
            for (int32_t y = row.Top; y < row.Bottom; ++y)
                if (ColorToRGB(grab.Canvas().Pixels(dx + x, dy + y)) != ColorToRGB(background))
                    return true;
        return false;
    };
    EXPECT_TRUE(inked(second, 3, popup->NameWidth() - 10, clWindow));
    EXPECT_TRUE(inked(second, popup->NameWidth(), popup->NameWidth() + popup->DescriptionWidth() - 10, clWindow));
    EXPECT_TRUE(inked(first, popup->NameWidth(), popup->NameWidth() + popup->DescriptionWidth() - 10, clHighlight));

    // Escape: the popup goes away and writes nothing.
    Build({"x=30+1{22:2}"});
    Keys.Tap("Esc");
    EXPECT_TRUE(RunUntil([&] { return watch.Gone; }));
    EXPECT_EQ(Chars(0), "x=30+1");
}

TEST_F(InsertIdentifierFormTest, StaysOnTheScreenNearItsEdges)
{
    const int32_t w = Screen->Width(), h = Screen->Height();
    const struct {
        int32_t X, Y;
    } points[] = {{w - 5, h - 5}, {-30, -40}, {w / 2, h - 1}};
    for (const auto& p : points) {
        SCOPED_TRACE(std::to_string(p.X) + "," + std::to_string(p.Y));
        std::unique_ptr<TInsertIdentifierForm> popup = std::make_unique<TInsertIdentifierForm>(p.X, p.Y);
        EXPECT_GE(popup->Left(), 0);
        EXPECT_GE(popup->Top(), 0);
        EXPECT_LE(popup->Left() + popup->Width(), w);
        EXPECT_LE(popup->Top() + popup->Height(), h);
        if (p.X >= 0 && p.X + popup->Width() <= w) {
            EXPECT_EQ(popup->Left(), p.X);
        }
    }
}

TEST_F(InsertIdentifierFormTest, TypedNameAndEnterWriteAroundTheSelectionUndoneInOneStep)
{
    Build({"x=30+1{22:2}"});
    Select(0, 2, 0, 4);
    const std::string before = DumpDocument(*Doc);
    TInsertIdentifierForm* popup = Open();
    TGoneWatch watch(popup);

    Keys.Tap("S");
    EXPECT_TRUE(RunUntil([&] { return popup->TypedPrefix() == "s"; }));
    Keys.Tap("I");
    Keys.Tap("N");
    ASSERT_TRUE(RunUntil([&] { return popup->TypedPrefix() == "sin"; }));
    EXPECT_EQ(SelectedName(popup), "sin");
    // No name begins with "sinm": the search starts again at "m".
    Keys.Tap("M");
    ASSERT_TRUE(RunUntil([&] { return popup->TypedPrefix() == "m"; }));
    const std::string restarted = SelectedName(popup);
    EXPECT_EQ(std::tolower(static_cast<unsigned char>(restarted.at(0))), 'm') << restarted;
    for (const char* key : {"S", "I", "N"})
        Keys.Tap(key);
    ASSERT_TRUE(RunUntil([&] { return popup->TypedPrefix() == "sin"; }));
    EXPECT_EQ(Chars(0), "x=30+1");  // typing writes nothing yet

    Keys.Tap("Enter");
    ASSERT_TRUE(RunUntil([&] { return watch.Gone; }));
    EXPECT_EQ(Chars(0), "x=sin(30)+1");
    EXPECT_EQ(Options->SelectedFunc, FunctionNamed("sin"));
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
}

TEST_F(InsertIdentifierFormTest, DoubleClickWritesAtTheCaretAndTheNextOpeningSelectsIt)
{
    Build({"x=30+1{22:2}"});
    Caret(0, 2);
    TInsertIdentifierForm* popup = Open();
    TGoneWatch watch(popup);
    TFunctionListBox* list = popup->ListBox();

    // A real double click on the third row.
    const TRect row = list->ItemRect(2);
    const TPoint at{row.Left + 20, row.Top + row.Height() / 2};
    Mouse.Click(list->Handle(), at);
    ASSERT_TRUE(RunUntil([&] { return list->ItemIndex() == 2; }));
    const TFunctionItem chosen = popup->FunctionItems()[2];
    Mouse.Click(list->Handle(), at);
    ASSERT_TRUE(RunUntil([&] { return watch.Gone; }));

    const std::string call = chosen.Name + "()";
    EXPECT_EQ(Chars(0), "x=" + call + "30+1");
    EXPECT_EQ(Doc->Caret.Offset, 2 + static_cast<int32_t>(chosen.Name.size()) + 1);  // between the parentheses
    EXPECT_EQ(Options->SelectedFunc, chosen.Function);
    Undo().Undo();
    EXPECT_EQ(Chars(0), "x=30+1");

    // Opened again: the function chosen last is the selected item.
    TInsertIdentifierForm* again = Open();
    EXPECT_EQ(again->SelectedFunction(), chosen.Function);
    EXPECT_EQ(again->ListBox()->ItemIndex(), 2);
    delete again;
}

TEST_F(InsertIdentifierFormTest, TheCommandOpensItUnderTheCaretAndFiresItsEvent)
{
    Build({"x=30+1{22:2}"});
    Views.Log.ClientWidth = 600;
    Views.Log.ClientHeight = 400;
    Doc->ViewOrigin = {100, 200};
    Doc->Caret.X = 150;
    Doc->Caret.Y = 260;
    Doc->Caret.Width = 1;
    Doc->Caret.Height = 18;
    std::vector<int32_t> events;
    BaseFormServices().FireProgramEvent = [&](int32_t id) { events.push_back(id); };
    TInsertIdentifierForm* popup = ShowInsertIdentifierFormAtCaret(*Doc);
    BaseFormServices().FireProgramEvent = nullptr;
    std::unique_ptr<TInsertIdentifierForm> guard(popup);
    // The caret was in view: nothing scrolled, the popup at its left edge and bottom.
    EXPECT_EQ(Doc->ViewOrigin, (TPoint{100, 200}));
    EXPECT_EQ(popup->Left(), 50);
    EXPECT_EQ(popup->Top(), 78);
    EXPECT_EQ(events, std::vector<int32_t>{2640});
}

}  // namespace
