// The program's small controls: the numeric edit's formatting, parsing,
// range messages and steps; the 32-bit scroll bar dragged past 16 bits; the
// tool-bar combo box's arrow keys, list notifications and cancel.
#include "shell/SmallControls.h"

#include "platform/framework/controls/Tabs.h"
#include "platform/testing/Testing.h"
#include "ShellTesting.h"
#include "shell/BaseForms.h"

#include <memory>

namespace {

using SmallControlsTest = ShellWindowTest;

TEST_F(SmallControlsTest, ValidationEditFormatsAndParses)
{
    TValidationEdit e(nullptr);
    e.SetTailString(" cm");
    struct TFormatCase {
        int32_t Digits;
        int32_t Value;
        const char* Text;
    };
    for (const TFormatCase& c : std::initializer_list<TFormatCase>{
             {2, 1250, "12,5 cm"}, {2, 1200, "12 cm"}, {2, -5, "-0,05 cm"}, {2, 0, "0 cm"},
             {0, 150, "150 cm"}, {1, -2147483647 - 1, "-214748364,8 cm"}}) {
        e.SetNrOfDigitsAfterSeparator(c.Digits);
        EXPECT_EQ(e.FormatValue(c.Value), c.Text) << c.Value;
    }
    struct TParseCase {
        int32_t Digits;
        const char* Text;
        const char* Number;
    };
    for (const TParseCase& c : std::initializer_list<TParseCase>{{2, "3", "300"},
                                                                 {2, ",5", "050"},
                                                                 {2, "2.345", "234"},
                                                                 {2, "-,5 cm", "-050"},
                                                                 {2, "12,7", "1270"},
                                                                 {0, "12,7", "12,7"},
                                                                 {2, "abc", ""},
                                                                 {2, "12,5 cm  ", "1250"}}) {
        e.SetNrOfDigitsAfterSeparator(c.Digits);
        EXPECT_EQ(e.GetNumberText(c.Text), c.Number) << c.Text;
    }
    // A parser of the caller's comes first.
    e.SetNrOfDigitsAfterSeparator(2);
    e.OnTextToValue = [](const std::string& text, int32_t& v) {
        if (text != "moitié")
            return false;
        v = 50;
        return true;
    };
    EXPECT_EQ(e.GetNumberText("moitié cm"), "50");
}

TEST_F(SmallControlsTest, ValidationEditChecksItsRange)
{
    TRecordedMessages messages;
    auto form = std::make_unique<TForm>(nullptr);
    auto* pages = new TPageControl(form.get());
    pages->SetParent(form.get());
    auto* first = new TTabSheet(form.get());
    first->SetPageControl(pages);
    auto* second = new TTabSheet(form.get());
    second->SetPageControl(pages);
    auto* e = new TValidationEdit(form.get());
    e->SetParent(second);
    e->SetNrOfDigitsAfterSeparator(0);
    e->SetTailString(" %");
    int changes = 0;
    e->OnValueChanged = [&](TControl*) { ++changes; };
    struct TCase {
        const char* Text;
        bool Valid;
        const char* Message;
    };
    const TCase cases[] = {
        {"50", true, nullptr},
        {"150", false, "Le nombre doit être compris entre 0 % et 100 %."},
        {"lettres", false, "Le nombre spécifié n'est pas valide."},
        {"x10", false, "Le nombre spécifié n'est pas valide."},  // no hexadecimal
        {"99999999999", false, "Le nombre spécifié n'est pas valide."},
    };
    form->Show();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        pages->SetActivePageIndex(0);
        messages.Texts.clear();
        e->SetText(c.Text);
        EXPECT_EQ(e->IsValueValid(), c.Valid);
        if (c.Valid)
            continue;
        e->ReportInvalidValue();
        EXPECT_EQ(messages.Texts, (std::vector<std::string>{c.Message}));
        EXPECT_EQ(pages->ActivePage(), second);  // the page holding the edit comes forward
        EXPECT_TRUE(e->Focused());
    }
    // Typing a valid text sets the value; invalid texts leave it.
    EXPECT_EQ(e->Value(), 50);
    // Out of range by code: value and text stay.
    e->SetValue(30);
    EXPECT_EQ(e->Text(), "30 %");
    const int before = changes;
    e->SetValue(101);
    EXPECT_EQ(e->Value(), 30);
    EXPECT_EQ(e->Text(), "30 %");
    EXPECT_EQ(changes, before);
    // Empty clears the text without a change event.
    e->SetEmpty(true);
    EXPECT_EQ(e->Text(), "");
    EXPECT_EQ(changes, before);
    e->SetValue(30);  // the same value, but the text was empty: written again
    EXPECT_EQ(e->Text(), "30 %");
    EXPECT_FALSE(e->Empty());
}

TEST_F(SmallControlsTest, UpDownEditSteps)
{
    auto form = std::make_unique<TForm>(nullptr);
    auto* e = new TUpDownEdit(form.get());
    e->SetParent(form.get());
    e->SetBounds(10, 10, 70, 21);
    e->Max = 5000;
    struct TCase {
        int32_t Start;
        int32_t Delta;
        int32_t Result;
    };
    for (const TCase& c : std::initializer_list<TCase>{
             {1234, 10, 1240}, {1234, -10, 1220}, {5000, 10, 5000}, {5, -10, 0}, {-15, 10, -0}, {4995, 100, 5000}}) {
        e->Min = c.Start < 0 ? -100 : 0;
        e->SetValue(c.Start);
        e->Step(c.Delta);
        EXPECT_EQ(e->Value(), c.Result) << c.Start << " " << c.Delta;
    }
    // The buttons sit beside the edit and follow its state; keys step too.
    EXPECT_EQ(e->UpDown().Parent(), form.get());
    EXPECT_EQ(e->UpDown().Left(), 80);
    e->SetEnabled(false);
    EXPECT_FALSE(e->UpDown().Enabled());
    e->SetEnabled(true);
    e->Min = 0;
    e->SetValue(1000);
    int steps = 0;
    e->OnStep = [&](TControl*) { ++steps; };
    form->Show();
    e->SetFocus();
    ASSERT_TRUE(RunUntil([&] { return e->Focused(); }));
    Keys.Tap("Up");
    EXPECT_EQ(e->Value(), 1010);
    Keys.Tap("PgUp");  // one whole unit (10^2), to a multiple of it
    EXPECT_EQ(e->Value(), 1100);
    Mouse.Click(e->UpDown().Handle(), {8, 16});  // the down button
    EXPECT_EQ(e->Value(), 1090);
    EXPECT_EQ(steps, 3);
    // A leading "+" typed by the user stays.
    e->SetText("+11");
    e->Step(10);
    EXPECT_EQ(e->Text(), "+11,1");
}

TEST_F(SmallControlsTest, ScrollBar95ReportsItsTrueThumbPosition)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(10, 10, 400, 100);
    auto* bar = new TScrollBar95(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(10, 10, 300, 17);
    EXPECT_EQ(bar->PageSize(), 18);
    bar->SetParams(0, 0, 3000000);
    bar->SetPageSize(0);
    std::vector<int32_t> drags;
    bar->OnTrackBarDragEvent = [&](TControl*, int32_t pos) { drags.push_back(pos); };
    int cancels = 0;
    bar->OnCancelMode = [&](TControl*) { ++cancels; };
    form->Show();
    RunPending();
    Mouse.Press(bar->Handle(), {21, 8});
    Mouse.Move(bar->Handle(), {200, 8});
    Mouse.Move(bar->Handle(), {290, 8});
    ASSERT_EQ(drags.size(), 2u);
    EXPECT_GT(drags[0], 65535);
    EXPECT_EQ(drags[1], 3000000);  // the end of the track
    EXPECT_EQ(bar->Position(), 3000000);
    Mouse.Release(bar->Handle(), {290, 8});
    EXPECT_EQ(bar->Position(), 3000000);
    EXPECT_EQ(cancels, 1);  // the capture went with the release
    bar->Perform(WM_CANCELMODE);
    EXPECT_EQ(cancels, 2);
    // Line and page codes, clamped.
    bar->LargeChange = 1000000;
    SendMessage(form->Handle(), WM_HSCROLL, SB_PAGEDOWN, static_cast<LPARAM>(bar->Handle()));
    EXPECT_EQ(bar->Position(), 3000000);
    SendMessage(form->Handle(), WM_HSCROLL, SB_TOP, static_cast<LPARAM>(bar->Handle()));
    EXPECT_EQ(bar->Position(), 0);
    SendMessage(form->Handle(), WM_HSCROLL, SB_PAGEDOWN, static_cast<LPARAM>(bar->Handle()));
    EXPECT_EQ(bar->Position(), 1000000);
}

TEST_F(SmallControlsTest, AdvComboBoxOpensWithArrowsAndRestoresOnCancel)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(10, 10, 300, 200);
    auto* c = new TAdvComboBox(form.get());
    c->SetParent(form.get());
    c->SetBounds(10, 10, 150, 21);
    c->Style = TComboBoxStyle::csDropDownList;
    c->Items().SetCommaText("Arial,Courier,Times");
    c->SetItemIndex(0);
    std::vector<int32_t> events;
    BaseFormServices().FireProgramEvent = [&](int32_t id) { events.push_back(id); };
    std::vector<std::string> log;
    c->OnChange = [&](TControl*) { log.push_back("change " + c->Text()); };
    // A preview beside the open list, painted with the highlighted item; it
    // takes over the combo box's drop-down and close-up events.
    std::vector<int32_t> painted;
    auto* hint = new TComboBoxHint(form.get(), c, [&](TComboBoxHint&, TCanvas&, int32_t item) {
        painted.push_back(item);
    }, 80, 40);
    form->Show();
    c->SetFocus();
    ASSERT_TRUE(RunUntil([&] { return c->Focused(); }));

    Keys.Tap("Down");  // opens the list instead of changing the selection
    EXPECT_TRUE(c->DroppedDown());
    EXPECT_EQ(c->ItemIndex(), 0);
    EXPECT_EQ(events, (std::vector<int32_t>{TOOLBAR_COMBOBOX_LISTDROP}));
    ASSERT_TRUE(RunUntil([&] { return hint->HandleAllocated() && IsWindowVisible(hint->Handle()) && !painted.empty(); }));
    Keys.Tap("Down");  // inside the open list: no change is passed on yet
    EXPECT_TRUE(log.empty());
    // The application's idle pass (the hint's handler while it shows) repaints
    // the preview when the highlighted item changed.
    ASSERT_TRUE(Application->OnIdle);
    bool done = true;
    Application->OnIdle(Application, done);
    EXPECT_TRUE(RunUntil([&] { return painted.back() == 1; }));
    Keys.Tap("Esc");   // cancelled: the text returns
    EXPECT_FALSE(c->DroppedDown());
    EXPECT_EQ(c->Text(), "Arial");
    EXPECT_TRUE(c->CancelPending);
    EXPECT_FALSE(hint->HandleAllocated() && IsWindowVisible(hint->Handle()));
    EXPECT_TRUE(log.empty());

    log.clear();
    Keys.Tap("Down");
    EXPECT_FALSE(c->CancelPending);  // opening clears it
    Keys.Tap("Down");
    Keys.Tap("Down");
    Keys.Tap("Enter");
    EXPECT_EQ(c->Text(), "Times");
    EXPECT_EQ(log, (std::vector<std::string>{"change Times"}));
    BaseFormServices().FireProgramEvent = nullptr;
}

} // namespace
