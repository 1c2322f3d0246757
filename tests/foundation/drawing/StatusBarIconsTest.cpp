// The status bar's document-state icons and the spelling-status bitmap: made
// from the program's resources on first use, named, kept, and drawn.
#include "foundation/drawing/StatusBarIcons.h"

#include <gtest/gtest.h>

#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/runtime/Exception.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"

namespace {

TEST(StatusBarIconsTest, IconsComeFromTheResourcesOnFirstUseAndStay)
{
    TStatusBarIcons icons;
    static const char* const kNames[] = {"Nouveau document",
                                         "Modèle de document",
                                         "Copie de secours disponible",
                                         "Document restauré (copie de secours)",
                                         "Aperçu avant impression",
                                         "Document COD crypté"};
    for (int32_t i = 0; i < StatusBarIconCount; ++i) {
        TStatusBarIcon& icon = icons.GetIcon(i);
        EXPECT_EQ(icon.Name(), kNames[i]);
        EXPECT_EQ(icon.Bitmap().Width(), 16);
        EXPECT_EQ(icon.Bitmap().Height(), 16);
        EXPECT_EQ(&icons.GetIcon(i), &icon);
    }
    EXPECT_EQ(&icons.GetSpellCheckBitmap(), &icons.GetSpellCheckBitmap());
    EXPECT_FALSE(icons.GetSpellCheckBitmap().Empty());
    EXPECT_THROW(icons.GetIcon(6), EInternalError);
    EXPECT_THROW(icons.GetIcon(-1), EInternalError);
}

TEST(StatusBarIconsTest, IconsDrawIntoAStatusBarStrip)
{
    TStatusBarIcons& icons = StatusBarIcons();
    TBitmap strip;
    strip.SetPixelFormat(TPixelFormat::pf24bit);
    strip.SetSize(8 + (StatusBarIconCount + 1) * 24, 24);
    TCanvas& canvas = strip.Canvas();
    canvas.Brush().SetColor(0xC0C0C0);
    canvas.FillRect(TRect{0, 0, strip.Width(), strip.Height()});
    for (int32_t i = 0; i < StatusBarIconCount; ++i)
        canvas.Draw(8 + i * 24, 4, icons.GetIcon(i).Bitmap());
    canvas.Draw(8 + StatusBarIconCount * 24, 4, icons.GetSpellCheckBitmap());
    // Pixels of the pictures: the page's black outline, the padlock's yellow
    // body, the spelling mark's green tick.
    EXPECT_EQ(canvas.Pixels(8 + 2, 4 + 5), 0x000000u);
    EXPECT_EQ(canvas.Pixels(8 + 5 * 24 + 5, 4 + 8), 0x00DCFFu);
    EXPECT_EQ(canvas.Pixels(8 + 6 * 24 + 3, 4 + 11), 0x009600u);
    // The corners let the bar's face through.
    EXPECT_EQ(canvas.Pixels(8, 4), 0xC0C0C0u);
    EXPECT_TRUE(WriteBitmapPng(strip, TestOutputDir() + "/status-bar-icons.png"));
    FreeStatusBarIcons();
}

}  // namespace
