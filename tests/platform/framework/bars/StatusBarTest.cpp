// The status bar over a real window: panels laid out by width (the last one
// takes the rest), owner-drawn panels drawn by OnDrawPanel into their own
// rectangle, the simple text mode, and a picture for people to look at.
#include "platform/framework/bars/StatusBar.h"

#include <gtest/gtest.h>

#include "platform/framework/Forms.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

namespace {

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override
    {
        RunPending();
        DoneApplication();
    }
};

TEST_F(StatusBarTest, PanelsAndOwnerDrawnPanels)
{
    TForm form(nullptr);
    form.SetBounds(40, 40, 420, 120);
    auto* bar = new TStatusBar(&form);
    bar->SetParent(&form);
    TStatusPanel& page = bar->AddPanel();
    page.SetText("Page 1 / 3");
    page.SetWidth(90);
    TStatusPanel& state = bar->AddPanel();
    state.SetWidth(60);
    state.SetStyle(TStatusPanelStyle::psOwnerDraw);
    TStatusPanel& mode = bar->AddPanel();
    mode.SetWidth(70);
    mode.Alignment = TPanelAlignment::taCenter;
    mode.SetText("INS");
    TStatusPanel& rest = bar->AddPanel();
    rest.SetText("Prêt");
    std::vector<std::pair<int, TRect>> drawnPanels;
    bar->OnDrawPanel = [&](TStatusBar* sender, TStatusPanel& panel, const TRect& r) {
        drawnPanels.push_back({panel.Index(), r});
        TCanvas& c = sender->Canvas();
        c.Brush().SetColor(clRed);
        c.FillRect({r.Left + 2, r.Top + 2, r.Left + 14, r.Bottom - 2});
        c.Brush().SetStyle(TBrushStyle::bsClear);
        c.TextOut(r.Left + 18, r.Top + 1, "FR");
    };
    form.Show();
    RunPending();
    EXPECT_EQ(bar->Top() + bar->Height(), form.ClientHeight()) << "aligned at the bottom";

    // Widths: 90, 60 and 70 with gaps of 2; the last panel ends before the grip.
    EXPECT_EQ(bar->PanelRect(0).Left, 1);
    EXPECT_EQ(bar->PanelRect(1).Left, 93);
    EXPECT_EQ(bar->PanelRect(2).Left, 155);
    EXPECT_EQ(bar->PanelRect(3).Left, 227);
    EXPECT_EQ(bar->PanelRect(3).Right, form.ClientWidth() - 12 - 1);
    EXPECT_EQ(bar->PanelAt({100, 10}), 1);
    EXPECT_EQ(bar->PanelAt({91, 10}), -1) << "the gap between panels";

    ASSERT_FALSE(drawnPanels.empty());
    EXPECT_EQ(drawnPanels.back().first, 1);
    EXPECT_EQ(drawnPanels.back().second, bar->PanelRect(1));
    TBitmap shot;
    ASSERT_TRUE(GrabWindow(bar->Handle(), shot));
    const TRect ownerRect = bar->PanelRect(1);
    EXPECT_EQ(shot.Canvas().Pixels(ownerRect.Left + 5, ownerRect.Top + 5), clRed);
    // The text panels show dark text somewhere inside their bevel.
    auto hasInk = [&](const TRect& r) {
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            for (int32_t x = r.Left; x < r.Right; ++x)
                if ((ColorToRGB(shot.Canvas().Pixels(x, y)) & 0xC0C0C0) == 0)
                    return true;  // dark: the text's colour
        return false;
    };
    EXPECT_TRUE(hasInk(bar->PanelRect(0)));
    EXPECT_TRUE(hasInk(bar->PanelRect(2)));
    // The lowered bevel: shadow above, highlight below.
    const TRect r0 = bar->PanelRect(0);
    EXPECT_EQ(shot.Canvas().Pixels(r0.Left + 10, r0.Top - 1), static_cast<TColor>(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(shot.Canvas().Pixels(r0.Left + 10, r0.Bottom), static_cast<TColor>(ColorToRGB(clBtnHighlight)));
    ASSERT_TRUE(GrabWindow(form.Handle(), shot));
    EXPECT_TRUE(WriteBitmapPng(shot, TestOutputDir() + "/status-bar.png"));

    // Changing a text repaints only what changed; the owner-drawn panel is not drawn again.
    drawnPanels.clear();
    page.SetText("Page 2 / 3");
    RunPending();
    for (auto& [index, rect] : drawnPanels)
        EXPECT_NE(index, 1);

    // The simple text replaces the panels.
    bar->SetSimpleText("Enregistrement en cours...");
    bar->SetSimplePanel(true);
    drawnPanels.clear();
    RunPending();
    EXPECT_TRUE(drawnPanels.empty());
    EXPECT_EQ(bar->PanelAt({100, 10}), -1);
}

} // namespace
