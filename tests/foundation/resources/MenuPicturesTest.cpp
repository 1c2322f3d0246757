// The main menu built from "MAIN" on a form, with images and shortcuts: the
// bar and the opened "Fichier" menu are drawn, checked for what they must
// show, and left as pictures for people to look at.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "foundation/resources/MenuResources.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Timer.h"
#include "platform/framework/menus/MenuWindows.h"
#include "platform/framework/menus/Menus.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

namespace {

// Coloured squares standing in for the toolbar images.
class TSquares : public TMenuImages {
public:
    int32_t ImageWidth() const override { return 16; }
    int32_t ImageHeight() const override { return 16; }
    int32_t ImageCount() const override { return 3; }
    void DrawImage(TCanvas& canvas, int32_t x, int32_t y, int32_t index, bool enabled) override
    {
        static const TColor colors[] = {clBlue, clGreen, clRed};
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.Brush().SetColor(enabled ? colors[index] : clGray);
        canvas.FillRect({x + 1, y + 1, x + 15, y + 15});
    }
};

class MenuPicturesTest : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override
    {
        RunPending();
        DoneApplication();
    }
};

TEST_F(MenuPicturesTest, MainMenuBarAndFileMenu)
{
    TForm form(nullptr);
    form.SetBounds(30, 30, 640, 360);
    form.SetCaption("Eldravin");
    TMainMenu menu(&form);
    TSquares images;
    menu.Images = &images;
    ASSERT_TRUE(LoadMenuResource(menu, "MAIN", false));
    struct TDecoration { int32_t Id; TShortCut ShortCut; int32_t Image; };
    for (const TDecoration& d : {TDecoration{100, ShortCut('N', ssCtrl), 0}, {120, ShortCut('O', ssCtrl), 1},
                                 {180, ShortCut('S', ssCtrl), 2}, {280, ShortCut('P', ssCtrl), -1},
                                 {360, ShortCut(VK_F1 + 3, ssAlt), -1}}) {
        TMenuItem* item = FindMenuItemByTag(menu, d.Id);
        ASSERT_NE(item, nullptr) << d.Id;
        item->ShortCut = d.ShortCut;
        item->ImageIndex = d.Image;
    }
    FindMenuItemByTag(menu, 140)->Enabled = false;
    FindMenuItemByTag(menu, 180)->Default = true;
    menu.SetForm(&form);
    form.Show();
    RunPending();

    TMenuBar* bar = menu.Bar();
    ASSERT_EQ(bar->ItemList().size(), 8u);
    EXPECT_EQ(bar->ItemList()[0]->Caption(), "&Fichier");
    EXPECT_EQ(bar->Top(), 0);
    TBitmap shot;
    ASSERT_TRUE(GrabWindow(form.Handle(), shot));
    // Every caption of the bar shows ink inside its rectangle.
    for (size_t i = 0; i < bar->ItemRects().size(); ++i) {
        const TRect r = bar->ItemRects()[i];
        bool ink = false;
        for (int32_t y = r.Top; y < r.Bottom && !ink; ++y)
            for (int32_t x = r.Left; x < r.Right && !ink; ++x)
                ink = shot.Canvas().Pixels(x, y) == clBlack;
        EXPECT_TRUE(ink) << "bar item " << i;
    }
    EXPECT_TRUE(WriteBitmapPng(shot, TestOutputDir() + "/menu-bar.png"));

    // Alt+F opens Fichier; the picture shows images, shortcuts, the disabled
    // and the default item; Escape leaves it.
    TBitmap dropDown;
    std::vector<TRect> rects;
    std::vector<TMenuItem*> items;
    TTestKeyboard keys;
    TTimer timer(nullptr);
    timer.SetInterval(1);
    int step = 0;
    timer.SetOnTimer([&](TTimer* t) {
        TMenuPopupWindow* w = ActiveMenuWindow();
        if (!w)
            return;
        if (step++ == 0) {
            keys.Tap("Down");  // highlight the second item
            return;
        }
        RunPending();
        rects = w->ItemRects();
        items = w->ItemList();
        GrabWindow(w->Handle(), dropDown);
        t->SetEnabled(false);
        keys.Tap("Esc");
    });
    EXPECT_TRUE(bar->OpenByAccessKey('F'));
    ASSERT_FALSE(items.empty());
    EXPECT_TRUE(WriteBitmapPng(dropDown, TestOutputDir() + "/menu-fichier.png"));
    auto rowOf = [&](int32_t id) {
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i]->Tag == id)
                return rects[i];
        return TRect{};
    };
    // The image of "Nouveau document par défaut" sits in the gutter, blue.
    const TRect newRow = rowOf(100);
    EXPECT_EQ(dropDown.Canvas().Pixels(newRow.Left + 11, (newRow.Top + newRow.Bottom) / 2), clBlue);
    // The shortcut text stands at the right of its row.
    // Dark pixels: the text's colour (its edges are blended with the background).
    auto inkIn = [&](const TRect& r, int32_t fromX, int32_t toX) {
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            for (int32_t x = fromX; x < toX; ++x)
                if ((ColorToRGB(dropDown.Canvas().Pixels(x, y)) & 0xC0C0C0) == 0)
                    return true;
        return false;
    };
    const TRect printRow = rowOf(280);
    EXPECT_TRUE(inkIn(printRow, printRow.Right - 70, printRow.Right - 20)) << "Ctrl+P shown";
    // The highlighted second row is drawn in the highlight colour.
    const TColor highlight = static_cast<TColor>(ColorToRGB(clHighlight));
    EXPECT_EQ(dropDown.Canvas().Pixels(rects[1].Right - 3, rects[1].Top + 2), highlight);
    // The disabled "Fermer" is grey, with no black ink.
    const TRect closeRow = rowOf(140);
    EXPECT_FALSE(inkIn(closeRow, closeRow.Left + 22, closeRow.Right));
    // Submenu arrow on "Nouveau".
    const TRect newSub = rects[2];
    ASSERT_GT(items[2]->Count(), 0);
    EXPECT_TRUE(inkIn(newSub, newSub.Right - 20, newSub.Right));
}

} // namespace
