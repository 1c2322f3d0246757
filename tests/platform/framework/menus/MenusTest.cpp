// Menus over real windows: a popup menu tracked and chosen with the keyboard
// and the mouse (keys entering at the Qt side), submenus, access keys,
// disabled items and separators skipped, OnPopup, the menu bar with MDI
// merging, shortcuts and their texts, radio items and owner drawing.
#include "platform/framework/menus/Menus.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "platform/framework/Forms.h"
#include "platform/framework/Timer.h"
#include "platform/framework/menus/MenuWindows.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

namespace {

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override
    {
        RunPending();
        DoneApplication();
    }

    TMenuItem* Add(TMenuItem& parent, const std::string& caption, int32_t tag = 0)
    {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption(caption);
        item->Tag = tag;
        item->OnClick = [this](TMenuItem* sender) { Clicked.push_back(sender->Tag); };
        parent.Add(item);
        return item;
    }

    // Edit menu: Couper, Copier, separator, Coller (disabled), Format > (Gras, Italique).
    void FillEditMenu(TMenu& menu)
    {
        Add(menu.Items(), "&Couper", 3420)->ShortCut = ShortCut('X', ssCtrl);
        Add(menu.Items(), "Co&pier", 3340)->ShortCut = ShortCut('C', ssCtrl);
        Add(menu.Items(), "-");
        Add(menu.Items(), "Co&ller", 3360)->Enabled = false;
        TMenuItem* format = Add(menu.Items(), "&Format", 0);
        Add(*format, "&Gras", 12120);
        Add(*format, "&Italique", 12140);
    }

    // Runs the steps one timer tick apart while a menu is open: each step
    // runs once the condition of the step before holds.
    void Script(std::deque<std::function<void()>> steps)
    {
        FSteps = std::move(steps);
        FTimer = std::make_unique<TTimer>(nullptr);
        FTimer->SetInterval(1);
        FTimer->SetOnTimer([this](TTimer* t) {
            if (!ActiveMenuWindow())
                return;  // the menu is not shown yet
            if (FSteps.empty()) {
                t->SetEnabled(false);
                return;
            }
            auto step = std::move(FSteps.front());
            FSteps.pop_front();
            step();
        });
    }

    std::vector<intptr_t> Clicked;
    TTestKeyboard Keys;
    TTestMouse Mouse;

private:
    std::deque<std::function<void()>> FSteps;
    std::unique_ptr<TTimer> FTimer;
};

TEST_F(MenusTest, PopupChosenWithTheKeyboard)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    TPopupMenu menu(nullptr);
    FillEditMenu(menu);
    int popups = 0;
    menu.OnPopup = [&](TMenuItem*) { ++popups; };
    const HWND focusBefore = GetFocus();

    struct TCase {
        std::vector<std::string> Keys;
        intptr_t Chosen;  // -1: dismissed
        const char* What;
    };
    const TCase cases[] = {
        {{"Down", "Down", "Enter"}, 3340, "Down twice: Copier"},
        // The separator is passed over; the highlight may rest on the disabled
        // Coller. Enter on Format opens it with its first item highlighted.
        {{"Down", "Down", "Down", "Down", "Enter", "Enter"}, 12120, "Down four times, Enter twice: Gras"},
        {{"Down", "Down", "Down", "Enter"}, -1, "Enter on a disabled item chooses nothing"},
        {{"Up", "Right", "Down", "Enter"}, 12140, "Up wraps to Format, Right opens it"},
        {{"P"}, 3340, "access key of Copier"},
        {{"F", "I"}, 12140, "access keys through the submenu"},
        {{"Esc"}, -1, "Escape dismisses"},
        {{"F", "Esc", "Down", "Enter"}, 3420, "Escape closes only the submenu"},
        {{"L", "Esc"}, -1, "a disabled item's access key chooses nothing"},
    };
    for (const TCase& c : cases) {
        Clicked.clear();
        std::deque<std::function<void()>> steps;
        for (const std::string& k : c.Keys)
            steps.push_back([this, k] { Keys.Tap(k); });
        steps.push_back([this] {
            if (ActiveMenuWindow())
                Keys.Tap("Esc");
        });
        steps.push_back([this] {
            if (ActiveMenuWindow())
                Keys.Tap("Esc");
        });
        Script(std::move(steps));
        menu.Popup(150, 150);
        if (c.Chosen >= 0) {
            ASSERT_NE(menu.LastChosen(), nullptr) << c.What;
            EXPECT_EQ(menu.LastChosen()->Tag, c.Chosen) << c.What;
            EXPECT_EQ(Clicked, std::vector<intptr_t>{c.Chosen}) << c.What;
        } else {
            EXPECT_EQ(menu.LastChosen(), nullptr) << c.What;
            EXPECT_TRUE(Clicked.empty()) << c.What;
        }
        EXPECT_EQ(ActiveMenuWindow(), nullptr) << "no menu window left: " << c.What;
        EXPECT_EQ(GetFocus(), focusBefore) << "the focus is back: " << c.What;
    }
    EXPECT_EQ(popups, static_cast<int>(std::size(cases)));
}

TEST_F(MenusTest, PopupChosenWithTheMouse)
{
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    TPopupMenu menu(nullptr);
    FillEditMenu(menu);
    // A click on Copier chooses it.
    Script({[this] {
        TMenuPopupWindow* w = ActiveMenuWindow();
        const TRect r = w->ItemRects()[1];
        Mouse.Click(w->Handle(), {r.Left + 10, (r.Top + r.Bottom) / 2});
    }});
    menu.Popup(120, 120);
    ASSERT_NE(menu.LastChosen(), nullptr);
    EXPECT_EQ(menu.LastChosen()->Tag, 3340);
    // A click on the disabled Coller does nothing; a press outside dismisses.
    Clicked.clear();
    Script({[this] {
                TMenuPopupWindow* w = ActiveMenuWindow();
                const TRect r = w->ItemRects()[3];
                Mouse.Click(w->Handle(), {r.Left + 10, (r.Top + r.Bottom) / 2});
            },
            [this] {
                TMenuPopupWindow* w = ActiveMenuWindow();
                Mouse.Click(w->Handle(), {w->Width() + 40, w->Height() + 40});
            }});
    menu.Popup(120, 120);
    EXPECT_EQ(menu.LastChosen(), nullptr);
    EXPECT_TRUE(Clicked.empty());
}

TEST_F(MenusTest, OwnerDrawnItemsAreDrawnByTheirHandler)
{
    TForm form(nullptr);
    form.Show();
    TPopupMenu menu(nullptr);
    FillEditMenu(menu);
    menu.OwnerDraw = true;
    std::vector<std::pair<intptr_t, TOwnerDrawState>> drawn;
    TMenuItem* copy = menu.Items().Items(1);
    copy->OnMeasureItem = [](TMenuItem*, TCanvas&, int32_t& w, int32_t& h) {
        w = 150;
        h = 30;
    };
    copy->OnAdvancedDrawItem = [&](TMenuItem* sender, TCanvas& canvas, const TRect& rect, TOwnerDrawState state) {
        drawn.push_back({sender->Tag, state});
        canvas.Brush().SetColor(clRed);
        canvas.FillRect(rect);
    };
    TBitmap shot;
    TRect copyRect;
    Script({[this] { Keys.Tap("Down"); },
            [this] { Keys.Tap("Down"); },
            [&] {
                TMenuPopupWindow* w = ActiveMenuWindow();
                RunPending();
                copyRect = w->ItemRects()[1];
                GrabWindow(w->Handle(), shot);
                Keys.Tap("Esc");
            }});
    menu.Popup(120, 120);
    EXPECT_EQ(copyRect.Height(), 30) << "its own height";
    ASSERT_FALSE(drawn.empty());
    EXPECT_NE(drawn.back().second & odSelected, 0u) << "drawn highlighted";
    for (auto& [tag, state] : drawn)
        EXPECT_EQ(tag, 3340) << "only the item with a handler calls it";
    EXPECT_EQ(shot.Canvas().Pixels(copyRect.Left + 5, copyRect.Top + 5), clRed);
}

TEST_F(MenusTest, BreaksStartNewColumnsAndHiddenItemsTakeNoRoom)
{
    TForm form(nullptr);
    form.Show();
    TPopupMenu menu(nullptr);
    Add(menu.Items(), "&Un", 1);
    Add(menu.Items(), "&Deux", 2);
    Add(menu.Items(), "&Trois", 3)->Break = TMenuBreak::mbBarBreak;
    Add(menu.Items(), "&Quatre", 4)->Visible = false;
    Add(menu.Items(), "&Cinq", 5);
    std::vector<TRect> rects;
    std::vector<TMenuItem*> items;
    Script({[&] {
        rects = ActiveMenuWindow()->ItemRects();
        items = ActiveMenuWindow()->ItemList();
        Keys.Tap("Right");  // no submenu, no bar: nothing happens
    },
            [this] { Keys.Tap("Q"); },  // the hidden item's access key chooses nothing
            [this] { Keys.Tap("C"); }});
    menu.Popup(100, 100);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[3]->Tag, 5);
    EXPECT_GT(rects[2].Left, rects[0].Right) << "a second column";
    EXPECT_EQ(rects[2].Top, rects[0].Top);
    EXPECT_EQ(rects[3].Top, rects[2].Bottom);
    ASSERT_NE(menu.LastChosen(), nullptr);
    EXPECT_EQ(menu.LastChosen()->Tag, 5);
}

TEST_F(MenusTest, ShortcutsRadioItemsAndCaptions)
{
    struct TCase { TShortCut ShortCut; const char* Text; };
    for (const TCase& c : {TCase{ShortCut('S', ssCtrl), "Ctrl+S"}, {ShortCut(VK_F1 + 6, ssCtrl | ssShift), "Ctrl+Maj+F7"},
                           {ShortCut(VK_DELETE, 0), "Suppr"}, {ShortCut(VK_F1, ssAlt), "Alt+F1"},
                           {ShortCut(VK_RETURN, ssCtrl), "Ctrl+Entrée"}, {0, ""}})
        EXPECT_EQ(ShortCutToText(c.ShortCut), c.Text);
    EXPECT_EQ(GetHotkey("Co&pier"), 'P');
    EXPECT_EQ(GetHotkey("&Formats && modèles..."), 'F');
    EXPECT_EQ(GetHotkey("A && B"), 0);
    EXPECT_EQ(StripHotkey("&Formats && modèles..."), "Formats & modèles...");

    TPopupMenu menu(nullptr);
    FillEditMenu(menu);
    EXPECT_TRUE(menu.IsShortCut('C', ssCtrl));
    EXPECT_EQ(Clicked, std::vector<intptr_t>{3340});
    EXPECT_FALSE(menu.IsShortCut('C', ssAlt));
    menu.Items().Items(1)->Enabled = false;
    EXPECT_FALSE(menu.IsShortCut('C', ssCtrl)) << "a disabled item's shortcut does nothing";

    TMenuItem* a = Add(menu.Items(), "A");
    TMenuItem* b = Add(menu.Items(), "B");
    TMenuItem* other = Add(menu.Items(), "C");
    for (TMenuItem* i : {a, b})
        i->RadioItem = true;
    other->RadioItem = true;
    other->GroupIndex = 2;
    other->SetChecked(true);
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked);
    EXPECT_TRUE(b->Checked);
    EXPECT_TRUE(other->Checked) << "another group is left alone";
}

TEST_F(MenusTest, MdiChildMenuMergesIntoTheBar)
{
    TForm frame(nullptr);
    frame.SetFormStyle(TFormStyle::fsMDIForm);
    frame.SetBounds(50, 50, 500, 300);
    TMainMenu menu(nullptr);
    Add(menu.Items(), "&Fichier")->GroupIndex = 0;
    Add(menu.Items(), "&Edition")->GroupIndex = 1;
    Add(menu.Items(), "Fe&nêtre")->GroupIndex = 9;
    menu.SetForm(&frame);
    frame.Show();
    TMainMenu child(nullptr);
    Add(child.Items(), "&Document")->GroupIndex = 1;  // replaces Edition
    Add(child.Items(), "F&ormat")->GroupIndex = 5;    // goes before Fenêtre
    auto captions = [&] {
        std::string s;
        for (TMenuItem* i : menu.Bar()->ItemList())
            s += StripHotkey(i->Caption()) + " ";
        return s;
    };
    EXPECT_EQ(captions(), "Fichier Edition Fenêtre ");
    menu.Merge(&child);
    EXPECT_EQ(captions(), "Fichier Document Format Fenêtre ");
    menu.Unmerge(&child);
    EXPECT_EQ(captions(), "Fichier Edition Fenêtre ");
    // A merged menu that goes away leaves the bar.
    {
        TMainMenu gone(nullptr);
        Add(gone.Items(), "&Temp")->GroupIndex = 3;
        menu.Merge(&gone);
        EXPECT_EQ(captions(), "Fichier Edition Temp Fenêtre ");
    }
    EXPECT_EQ(captions(), "Fichier Edition Fenêtre ");
    // The bar lies above the MDI client area.
    TRect client;
    ASSERT_TRUE(MdiClientRect(frame.Handle(), &client));
    EXPECT_EQ(client.Top, menu.Bar()->Height());
}

TEST_F(MenusTest, FormAndMenuFreedInEitherOrder)
{
    // The form first: it frees the bar with its controls; the menu forgets both.
    auto* form = new TForm(nullptr);
    TMainMenu menu(nullptr);
    Add(menu.Items(), "&Fichier");
    menu.SetForm(form);
    form->Show();
    delete form;
    EXPECT_EQ(menu.Bar(), nullptr);
    EXPECT_EQ(menu.Form(), nullptr);
    Add(menu.Items(), "&Edition");  // no bar to re-lay
    // The menu first: the bar leaves the form.
    TForm other(nullptr);
    {
        TMainMenu shortLived(nullptr);
        shortLived.SetForm(&other);
        EXPECT_EQ(other.ControlCount(), 1);
    }
    EXPECT_EQ(other.ControlCount(), 0);
    // A menu owned by its form.
    auto* owner = new TForm(nullptr);
    auto* owned = new TMainMenu(owner);
    owned->SetForm(owner);
    owner->Show();
    delete owner;
}

TEST_F(MenusTest, BarOpensItsMenusAndMovesAlongWithTheArrows)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 400, 200);
    TMainMenu menu(nullptr);
    TMenuItem* file = Add(menu.Items(), "&Fichier");
    Add(*file, "&Ouvrir", 120);
    TMenuItem* edit = Add(menu.Items(), "&Edition");
    Add(*edit, "&Annuler", 3840);
    Add(*edit, "&Rétablir", 3860);
    menu.SetForm(&form);
    form.Show();
    // Alt+F opens Fichier; Right moves to Edition; Down, Down, Enter chooses Rétablir.
    Script({[this] { Keys.Tap("Right"); }, [this] { Keys.Tap("Down"); }, [this] { Keys.Tap("Enter"); }});
    ASSERT_TRUE(menu.Bar()->OpenByAccessKey('f'));
    EXPECT_EQ(Clicked, std::vector<intptr_t>{3860});
    // A click on the bar opens the menu under the pointer.
    Clicked.clear();
    Script({[this] { Keys.Tap("Down"); }, [this] { Keys.Tap("Enter"); }});
    const TRect r = menu.Bar()->ItemRects()[0];
    Mouse.Press(menu.Bar()->Handle(), {r.Left + 5, r.Top + 5});
    RunUntil([&] { return !Clicked.empty(); }, 3000);
    Mouse.Release(menu.Bar()->Handle(), {r.Left + 5, r.Top + 5});
    EXPECT_EQ(Clicked, std::vector<intptr_t>{120});
    EXPECT_FALSE(menu.Bar()->OpenByAccessKey('z'));
}

} // namespace
