// The standard controls under real input: the notifications each sends its
// parent (WM_COMMAND, WM_HSCROLL, WM_VSCROLL) in order with the events they
// become; Tab order and Alt accelerators; Enter and Escape on the default and
// cancel buttons of the input box.
#include "platform/framework/Forms.h"
#include "platform/framework/ModalTesting.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/controls/Ranges.h"
#include "platform/framework/controls/Tabs.h"
#include "platform/framework/dialogs/InputBox.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A form that logs the notifications its children send before they are
// reflected back to them.
class TRecordingForm : public TForm {
    ELDRAVIN_MESSAGE_MAP()
public:
    using TForm::TForm;
    std::vector<std::string> Log;
    void WMNotification(TMessage& m)
    {
        const char* kind = m.Msg == WM_COMMAND ? "CMD " : m.Msg == WM_HSCROLL ? "HS " : "VS ";
        Log.push_back(kind + std::to_string(m.Msg == WM_COMMAND ? HiWord(m.WParam) : LoWord(m.WParam)));
        Inherited(ClassMessageMap(), m);
    }
};

const TMessageMap& TRecordingForm::ClassMessageMap()
{
    static const TMessageMap map{&TForm::ClassMessageMap(),
                                 {MessageEntry<&TRecordingForm::WMNotification>(WM_COMMAND),
                                  MessageEntry<&TRecordingForm::WMNotification>(WM_HSCROLL),
                                  MessageEntry<&TRecordingForm::WMNotification>(WM_VSCROLL)}};
    return map;
}

class StdControlsTest : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override
    {
        delete Form;
        RunPending();
    }
    TRecordingForm* MakeForm()
    {
        Form = new TRecordingForm(nullptr);
        Form->SetBounds(20, 20, 420, 300);
        return Form;
    }
    void ShowAndFocus(TWinControl* control)
    {
        Form->Show();
        ASSERT_TRUE(RunUntil([&] { return Form->HandleAllocated() && IsWindowVisible(Form->Handle()); }));
        if (control) {
            control->SetFocus();
            ASSERT_TRUE(RunUntil([&] { return control->Focused(); }));
        }
        Form->Log.clear();
    }
    TRecordingForm* Form = nullptr;
    TTestMouse Mouse;
    TTestKeyboard Keys;
};

// One control, the input it gets, and what it must say.
struct TNotificationCase {
    const char* Name;
    std::function<TWinControl*(TRecordingForm& form)> Build;
    std::function<void(StdControlsTest& t, TWinControl& control)> Act;
    std::vector<std::string> Expected;
    std::function<void(TWinControl& control)> Check;
};

// The test fixture's input devices for the table's actions.
struct TInput {
    static TTestMouse& Mouse()
    {
        static TTestMouse m;
        return m;
    }
    static TTestKeyboard& Keys()
    {
        static TTestKeyboard k;
        return k;
    }
};

template <class T>
T* Place(TRecordingForm& form, TRect bounds)
{
    auto* c = new T(&form);
    c->SetParent(&form);
    c->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    return c;
}

void LogEvent(TRecordingForm& form, TControl* c, const char* name)
{
    (void)c;
    form.Log.push_back(name);
}

TEST_F(StdControlsTest, NotificationsAndEventsOfEachControl)
{
    const std::vector<TNotificationCase> cases = {
        {"combo box opened and chosen with the mouse",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TComboBox>(f, Bounds(10, 10, 120, 21));
             c->Style = TComboBoxStyle::csDropDownList;
             c->Items().SetCommaText("Un,Deux,Trois");
             c->SetItemIndex(0);
             c->OnDropDown = [&f](TControl* s) { LogEvent(f, s, "OnDropDown"); };
             c->OnCloseUp = [&f](TControl* s) { LogEvent(f, s, "OnCloseUp"); };
             c->OnClick = [&f](TControl* s) { LogEvent(f, s, "OnClick"); };
             c->OnChange = [&f](TControl* s) { LogEvent(f, s, "OnChange"); };
             return c;
         },
         [](StdControlsTest&, TWinControl& w) {
             auto& c = static_cast<TComboBox&>(w);
             TInput::Mouse().Click(c.Handle(), {110, 10});
             ASSERT_TRUE(RunUntil([&] { return c.ListWindow() && IsWindowVisible(c.ListWindow()->Handle()); }));
             TInput::Mouse().Click(c.ListWindow()->Handle(), {20, 1 + 2 * c.ItemHeight + 4});
         },
         {"CMD 7", "OnDropDown", "CMD 9", "CMD 8", "OnCloseUp", "CMD 1", "OnClick", "OnChange"},
         [](TWinControl& w) {
             auto& c = static_cast<TComboBox&>(w);
             EXPECT_EQ(c.ItemIndex(), 2);
             EXPECT_EQ(c.Text(), "Trois");
             EXPECT_FALSE(c.DroppedDown());
         }},
        {"combo box list cancelled with Escape keeps the selection",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TComboBox>(f, Bounds(10, 10, 120, 21));
             c->Style = TComboBoxStyle::csDropDownList;
             c->Items().SetCommaText("Un,Deux,Trois");
             c->SetItemIndex(1);
             c->OnChange = [&f](TControl* s) { LogEvent(f, s, "OnChange"); };
             return c;
         },
         [](StdControlsTest&, TWinControl&) {
             TInput::Keys().Tap("F4");
             TInput::Keys().Tap("Esc");
         },
         {"CMD 7", "CMD 10", "CMD 8"},
         [](TWinControl& w) {
             EXPECT_EQ(static_cast<TComboBox&>(w).ItemIndex(), 1);
             EXPECT_FALSE(static_cast<TComboBox&>(w).DroppedDown());
         }},
        {"combo box selection moved with the arrow key",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TComboBox>(f, Bounds(10, 10, 120, 21));
             c->Style = TComboBoxStyle::csDropDownList;
             c->Items().SetCommaText("Un,Deux,Trois");
             c->SetItemIndex(0);
             c->OnChange = [&f](TControl* s) { LogEvent(f, s, "OnChange"); };
             return c;
         },
         [](StdControlsTest&, TWinControl&) { TInput::Keys().Tap("Down"); },
         {"CMD 1", "OnChange"},
         [](TWinControl& w) { EXPECT_EQ(static_cast<TComboBox&>(w).Text(), "Deux"); }},
        {"check-list item checked by a click in its box, then by Space",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TCheckListBox>(f, Bounds(10, 10, 150, 100));
             c->Items().SetCommaText("a,b,c");
             c->OnClick = [&f](TControl* s) { LogEvent(f, s, "OnClick"); };
             c->OnClickCheck = [&f](TControl* s) { LogEvent(f, s, "OnClickCheck"); };
             return c;
         },
         [](StdControlsTest&, TWinControl& w) {
             auto& c = static_cast<TCheckListBox&>(w);
             TInput::Mouse().Click(c.Handle(), {8, 2 + c.ItemHeight() + 8});
             ASSERT_TRUE(c.Checked(1));
             TInput::Keys().Tap("Space");
         },
         {"CMD 1", "OnClick", "OnClickCheck", "OnClickCheck"},
         [](TWinControl& w) {
             auto& c = static_cast<TCheckListBox&>(w);
             EXPECT_FALSE(c.Checked(1));
             EXPECT_EQ(c.ItemIndex(), 1);
         }},
        {"list box selection moved with the arrow key",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TListBox>(f, Bounds(10, 10, 150, 100));
             c->Items().SetCommaText("a,b,c");
             c->SetItemIndex(0);
             c->OnClick = [&f](TControl* s) { LogEvent(f, s, "OnClick"); };
             return c;
         },
         [](StdControlsTest&, TWinControl&) {
             TInput::Keys().Tap("Down");
             TInput::Keys().Tap("End");
             TInput::Keys().Tap("Down");  // at the end: nothing changes
         },
         {"CMD 1", "OnClick", "CMD 1", "OnClick"},
         [](TWinControl& w) { EXPECT_EQ(static_cast<TListBox&>(w).ItemIndex(), 2); }},
        {"page changed by a click on its tab",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TPageControl>(f, Bounds(10, 10, 300, 200));
             for (const char* caption : {"Un", "Deux", "Trois"}) {
                 auto* sheet = new TTabSheet(&f);
                 sheet->SetCaption(caption);
                 sheet->SetPageControl(c);
             }
             c->OnChanging = [&f](TControl* s, bool&) { LogEvent(f, s, "OnChanging"); };
             c->OnChange = [&f](TControl* s) { LogEvent(f, s, "OnChange"); };
             return c;
         },
         [](StdControlsTest&, TWinControl& w) {
             auto& c = static_cast<TPageControl&>(w);
             const TRect tab = c.TabRect(2);
             TInput::Mouse().Click(c.Handle(), {(tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2});
         },
         {"OnChanging", "OnChange"},
         [](TWinControl& w) {
             auto& c = static_cast<TPageControl&>(w);
             EXPECT_EQ(c.ActivePageIndex(), 2);
             EXPECT_TRUE(c.Pages(2)->Visible());
             EXPECT_FALSE(c.Pages(0)->Visible());
         }},
        {"page change refused by OnChanging",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TPageControl>(f, Bounds(10, 10, 300, 200));
             for (const char* caption : {"Un", "Deux"}) {
                 auto* sheet = new TTabSheet(&f);
                 sheet->SetCaption(caption);
                 sheet->SetPageControl(c);
             }
             c->OnChanging = [&f](TControl* s, bool& allow) {
                 LogEvent(f, s, "OnChanging");
                 allow = false;
             };
             c->OnChange = [&f](TControl* s) { LogEvent(f, s, "OnChange"); };
             return c;
         },
         [](StdControlsTest&, TWinControl&) { TInput::Keys().Tap("Right"); },
         {"OnChanging"},
         [](TWinControl& w) { EXPECT_EQ(static_cast<TPageControl&>(w).ActivePageIndex(), 0); }},
        {"track bar stepped by line and by page",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TTrackBar>(f, Bounds(10, 10, 200, 40));
             c->SetRange(0, 10);
             c->PageSize = 3;
             c->OnChange = [&f](TControl* s) { LogEvent(f, s, "OnChange"); };
             return c;
         },
         [](StdControlsTest&, TWinControl&) {
             TInput::Keys().Tap("Right");
             TInput::Keys().Tap("PgDn");
             TInput::Keys().Tap("End");
         },
         {"HS 1", "OnChange", "HS 8", "HS 3", "OnChange", "HS 8", "HS 7", "OnChange", "HS 8"},
         [](TWinControl& w) { EXPECT_EQ(static_cast<TTrackBar&>(w).Position(), 10); }},
        {"up-down stepped by its buttons, stopping at the maximum",
         [](TRecordingForm& f) -> TWinControl* {
             auto* c = Place<TUpDown>(f, Bounds(10, 10, 17, 22));
             c->Max = 6;
             c->SetPosition(5);
             c->OnChanging = [&f](TControl* s, bool&) { LogEvent(f, s, "OnChanging"); };
             c->OnClick = [&f](TControl* s, TUDBtnType b) {
                 LogEvent(f, s, b == TUDBtnType::btNext ? "OnClick next" : "OnClick prev");
             };
             return c;
         },
         [](StdControlsTest&, TWinControl& w) {
             for (int i = 0; i < 2; ++i)
                 TInput::Mouse().Click(w.Handle(), {8, 3});  // the upper button
             TInput::Mouse().Click(w.Handle(), {8, 18});     // the lower one
         },
         {"OnChanging", "VS 4", "OnClick next", "OnChanging", "VS 4", "OnClick next", "OnChanging", "VS 4",
          "OnClick prev"},
         [](TWinControl& w) { EXPECT_EQ(static_cast<TUpDown&>(w).Position(), 5); }},
        {"push button and check box clicked",
         [](TRecordingForm& f) -> TWinControl* {
             auto* b = Place<TButton>(f, Bounds(10, 10, 75, 25));
             b->OnClick = [&f](TControl* s) { LogEvent(f, s, "OnClick button"); };
             auto* c = Place<TCheckBox>(f, Bounds(10, 50, 100, 17));
             c->SetCaption("Case");
             c->OnClick = [&f](TControl* s) { LogEvent(f, s, "OnClick check"); };
             return b;
         },
         [](StdControlsTest&, TWinControl& w) {
             TInput::Mouse().Click(w.Handle(), {30, 12});
             TInput::Keys().Tap("Tab");
             TInput::Keys().Tap("Space");
         },
         {"CMD 0", "OnClick button", "OnClick check", "CMD 0"},
         [](TWinControl&) {}},
    };
    for (const TNotificationCase& c : cases) {
        SCOPED_TRACE(c.Name);
        MakeForm();
        TWinControl* control = c.Build(*Form);
        ShowAndFocus(control);
        c.Act(*this, *control);
        RunPending();
        EXPECT_EQ(Form->Log, c.Expected);
        c.Check(*control);
        delete Form;
        Form = nullptr;
        RunPending();
    }
}

// A thumb dragged far along a long range reports the position in 32 bits,
// while the message itself carries only its low 16 bits.
TEST_F(StdControlsTest, ScrollBarThumbDraggedBeyondSixteenBits)
{
    MakeForm();
    auto* bar = Place<TScrollBar>(*Form, Bounds(10, 10, 300, 17));
    bar->SetParams(0, 0, 1000000);
    std::vector<std::pair<TScrollCode, int32_t>> scrolls;
    bar->OnScroll = [&](TControl*, TScrollCode code, int32_t& pos) { scrolls.push_back({code, pos}); };
    ShowAndFocus(nullptr);
    Mouse.Press(bar->Handle(), {17 + 4, 8});  // on the thumb, at the start of the track
    Mouse.Move(bar->Handle(), {250, 8});
    SCROLLINFO during;
    during.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(bar->Handle(), SB_CTL, &during));
    Mouse.Release(bar->Handle(), {250, 8});
    RunPending();
    EXPECT_EQ(Form->Log, (std::vector<std::string>{"HS 5", "HS 4", "HS 8"}));
    ASSERT_EQ(scrolls.size(), 3u);
    // The track is 300 - 2 * 17 pixels with a 17-pixel thumb: the thumb's
    // start moved from 17 to 246, that is 229 of 249 pixels.
    const int32_t expected = static_cast<int32_t>((229LL * 1000000 + 124) / 249);
    EXPECT_EQ(scrolls[0].second, expected);
    EXPECT_EQ(during.nTrackPos, expected);
    EXPECT_EQ(during.nPos, expected);  // thumb track moves the position too (framework behaviour)
    EXPECT_GT(expected, 65535);
    EXPECT_EQ(bar->Position(), expected);
    SCROLLINFO after;
    after.fMask = SIF_POS | SIF_TRACKPOS;
    ASSERT_TRUE(GetScrollInfo(bar->Handle(), SB_CTL, &after));
    EXPECT_EQ(after.nPos, expected);
}

TEST_F(StdControlsTest, TabOrderAndAltAccelerators)
{
    MakeForm();
    auto* label = Place<TLabel>(*Form, Bounds(10, 10, 60, 13));
    label->SetCaption("&Nom :");
    auto* edit = Place<TEdit>(*Form, Bounds(80, 8, 120, 21));
    label->SetFocusControl(edit);
    auto* bold = Place<TCheckBox>(*Form, Bounds(10, 40, 100, 17));
    bold->SetCaption("&Gras");
    auto* one = Place<TRadioButton>(*Form, Bounds(10, 60, 100, 17));
    one->SetCaption("&Un");
    one->SetChecked(true);
    auto* two = Place<TRadioButton>(*Form, Bounds(10, 80, 100, 17));
    two->SetCaption("&Deux");
    auto* ok = Place<TButton>(*Form, Bounds(10, 110, 75, 25));
    ok->SetCaption("OK");
    int okClicks = 0;
    ok->OnClick = [&](TControl*) { ++okClicks; };
    ShowAndFocus(edit);

    // Tab visits the tab stops in order (only the checked radio button of a
    // group is one), Shift+Tab goes back, and the order wraps.
    std::vector<TWinControl*> seen;
    for (int i = 0; i < 4; ++i) {
        Keys.Tap("Tab");
        seen.push_back(TWinControl::FindControl(GetFocus()));
    }
    EXPECT_EQ(seen, (std::vector<TWinControl*>{bold, one, ok, edit}));
    Keys.Chord({"Shift"}, "Tab");
    EXPECT_EQ(TWinControl::FindControl(GetFocus()), ok);

    // Alt plus the marked letter: the label hands the focus to its control,
    // the check box toggles, the radio button is checked.
    Keys.Chord({"Alt"}, "N");
    EXPECT_TRUE(edit->Focused());
    Keys.Chord({"Alt"}, "G");
    EXPECT_TRUE(bold->Checked());
    EXPECT_TRUE(bold->Focused());
    Keys.Chord({"Alt"}, "D");
    EXPECT_TRUE(two->Checked());
    EXPECT_FALSE(one->Checked());
    // The arrow keys move through the radio group.
    Keys.Tap("Up");
    EXPECT_TRUE(one->Checked());
    EXPECT_TRUE(one->Focused());
    EXPECT_EQ(okClicks, 0);
}

TEST_F(StdControlsTest, InputBoxAnswersEnterAndEscape)
{
    TTestKeyboard& keys = Keys;
    DuringNextModal([&](TForm&) {
        keys.Tap("B");
        keys.Tap("O");
        keys.Tap("N");
        keys.Tap("Enter");
    });
    std::string value = "ancien";
    EXPECT_TRUE(InputQuery("Titre", "&Valeur :", value));
    EXPECT_EQ(value, "bon");  // the old text was selected and typed over

    DuringNextModal([&](TForm&) {
        keys.Tap("X");
        keys.Tap("Esc");
    });
    value = "garde";
    EXPECT_FALSE(InputQuery("Titre", "&Valeur :", value));
    EXPECT_EQ(value, "garde");
    DuringNextModal([&](TForm&) { keys.Tap("Esc"); });
    EXPECT_EQ(InputBox("Titre", "Valeur :", "défaut"), "défaut");
}

} // namespace

namespace {

// A strip of two 4×4 images whose mask colour is fuchsia: drawn, the mask
// leaves the background; disabled, the dark pixels become the shadow colour.
TEST(ImageListTest, MaskedStripDrawnEnabledAndDisabled)
{
    TBitmap strip;
    strip.SetPixelFormat(TPixelFormat::pf32bit);
    strip.SetSize(8, 4);
    strip.Canvas().Brush().SetColor(clFuchsia);
    strip.Canvas().FillRect({0, 0, 8, 4});
    strip.Canvas().SetPixels(1, 1, clBlack);  // image 0
    strip.Canvas().SetPixels(6, 2, clRed);    // image 1
    TImageList images(nullptr, 4, 4);
    EXPECT_EQ(images.AddMasked(strip), 0);  // the mask: the bottom-left pixel
    EXPECT_EQ(images.Count(), 2);

    TBitmap target;
    target.SetPixelFormat(TPixelFormat::pf32bit);
    target.SetSize(10, 6);
    target.Canvas().Brush().SetColor(clWhite);
    target.Canvas().FillRect({0, 0, 10, 6});
    images.Draw(target.Canvas(), 0, 0, 1);
    images.Draw(target.Canvas(), 5, 0, 0, false);
    EXPECT_EQ(target.Canvas().Pixels(2, 2), clRed);
    EXPECT_EQ(target.Canvas().Pixels(0, 0), clWhite);  // masked out
    EXPECT_EQ(target.Canvas().Pixels(1, 1), clWhite);
    // Disabled: the black pixel at (1, 1) of image 0 in shadow, its highlight
    // copy one pixel down and right.
    EXPECT_EQ(ColorToRGB(target.Canvas().Pixels(6, 1)), ColorToRGB(clBtnShadow));
    EXPECT_EQ(ColorToRGB(target.Canvas().Pixels(7, 2)), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(target.Canvas().Pixels(8, 3), clWhite);
}

} // namespace
