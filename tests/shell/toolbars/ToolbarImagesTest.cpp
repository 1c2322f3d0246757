// The button images: the id table, the two strips, the large images that are
// the small ones doubled, the glyph of a command and the colour bar.
#include "shell/toolbars/ToolbarButtonImages.h"

#include "foundation/managers/ColorManager.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"
#include "shell/ShellTesting.h"
#include "shell/toolbars/ToolbarSettings.h"

#include <algorithm>

TEST(ToolbarButtonImages, TheIdTableIsSortedAndFindsEachCommandsImage)
{
    TToolbarButtonImages images;
    const auto& ids = images.Ids();
    ASSERT_EQ(ids.size(), 191u);
    EXPECT_EQ(ids.front(), 0);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(std::vector<TCommandId>(ids.end() - 7, ids.end()),
              (std::vector<TCommandId>{1000000000, 1000001000, 1000001010, 1000001020, 1000001030, 1000001040,
                                       1000001050}));
    struct TCase {
        TCommandId Id;
        int32_t Index;
    };
    const TCase cases[] = {
        {0, 0}, {100, 1}, {4900, images.IndexOfCommand(5000)}, {cmMoreButtons, -1}, {99, -1}, {1000001050, 190},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(images.IndexOfCommand(c.Id), c.Index) << c.Id;
    EXPECT_GE(images.IndexOfCommand(5000), 0);
    // Every command of the built-in toolbars has an image.
    for (int t = 0; t < ToolbarCount; ++t)
        for (bool alternative : {false, true})
            for (TCommandId id : DefaultToolbarCommands(t, alternative))
                if (id != cmToolbarSeparator && id < 200000) {
                    EXPECT_GE(images.IndexOfCommand(id), 0) << id;
                }
}

TEST(ToolbarButtonImages, LargeImagesAreTheSmallOnesDoubledAndAreKeptOnceMade)
{
    InitApplication();
    TToolbarButtonImages images;
    TToolbarSettings settings;
    settings.SetDefaults();
    images.LoadImages(settings);
    EXPECT_EQ(images.SmallNormal()->Count(), 191);
    EXPECT_EQ(images.SmallGrayed()->Count(), 191);
    EXPECT_EQ(images.LargeNormal(), nullptr);

    settings.LargeButtons = true;
    images.LoadImages(settings);
    ASSERT_NE(images.LargeNormal(), nullptr);
    TImageList* large = images.LargeNormal();
    EXPECT_EQ(large->Count(), 191);
    EXPECT_EQ(large->Width(), 32);
    for (TCommandId id : {100, 12120, 705, 9081}) {
        SCOPED_TRACE(id);
        TBitmap small, big;
        images.SmallNormal()->GetBitmap(images.IndexOfCommand(id), small);
        large->GetBitmap(images.IndexOfCommand(id), big);
        ASSERT_EQ(big.Width(), 32);
        int differences = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                differences += (big.Canvas().Pixels(x, y) & 0xFFFFFF) != (small.Canvas().Pixels(x / 2, y / 2) & 0xFFFFFF);
        EXPECT_EQ(differences, 0);
    }
    // Off and on again: the same lists.
    settings.LargeButtons = false;
    images.LoadImages(settings);
    settings.LargeButtons = true;
    images.LoadImages(settings);
    EXPECT_EQ(images.LargeNormal(), large);
    EXPECT_EQ(large->Count(), 191);

    // The strips side by side, for people to look at.
    TBitmap sheet;
    sheet.SetSize(24 * 16, 2 * 12 * 16 + 8);
    sheet.Canvas().Brush().SetColor(clBtnFace);
    sheet.Canvas().FillRect({0, 0, sheet.Width(), sheet.Height()});
    for (int i = 0; i < 191; ++i) {
        images.SmallNormal()->Draw(sheet.Canvas(), (i % 24) * 16, (i / 24) * 16, i, true);
        images.SmallGrayed()->Draw(sheet.Canvas(), (i % 24) * 16, 8 * 16 + 8 + (i / 24) * 16, i, true);
    }
    EXPECT_TRUE(WriteBitmapPng(sheet, TestOutputDir() + "/toolbar-images-16.png"));
    TBitmap bigSheet;
    bigSheet.SetSize(24 * 32, 8 * 32);
    bigSheet.Canvas().Brush().SetColor(clBtnFace);
    bigSheet.Canvas().FillRect({0, 0, bigSheet.Width(), bigSheet.Height()});
    for (int i = 0; i < 191; ++i)
        large->Draw(bigSheet.Canvas(), (i % 24) * 32, (i / 24) * 32, i, true);
    EXPECT_TRUE(WriteBitmapPng(bigSheet, TestOutputDir() + "/toolbar-images-32.png"));
}

TEST(ToolbarButtonImages, GlyphsAndTheColourBar)
{
    InitApplication();
    CreateColorManager();
    TToolbarButtonImages images;
    TToolbarSettings settings;
    settings.SetDefaults();
    images.LoadImages(settings);
    // A command without an image leaves an olive glyph.
    TBitmap glyph;
    images.DrawCommandGlyph(cmMoreButtons, glyph);
    EXPECT_EQ(glyph.Canvas().Pixels(8, 8) & 0xFFFFFF, clOlive);
    images.DrawCommandGlyph(12120, glyph);
    EXPECT_EQ(glyph.Width(), 16);
    int drawn = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            drawn += (glyph.Canvas().Pixels(x, y) & 0xFFFFFF) != clOlive;
    EXPECT_GT(drawn, 10);

    // The bar of a 22-pixel high button at (10, 5): from (13, 19) to (29, 23).
    TBitmap button;
    button.SetSize(40, 30);
    button.Canvas().Brush().SetColor(clWhite);
    button.Canvas().FillRect({0, 0, 40, 30});
    images.FontColor = 6;
    images.DrawColorIndicator(button.Canvas(), {10, 5, 32, 27}, 705);
    const TColor red = static_cast<TColor>(BasicColor(6)) & 0xFFFFFF;
    EXPECT_EQ(button.Canvas().Pixels(13, 19) & 0xFFFFFF, red);
    EXPECT_EQ(button.Canvas().Pixels(28, 22) & 0xFFFFFF, red);
    EXPECT_EQ(button.Canvas().Pixels(12, 19) & 0xFFFFFF, clWhite);
    EXPECT_EQ(button.Canvas().Pixels(29, 22) & 0xFFFFFF, clWhite);
    EXPECT_EQ(button.Canvas().Pixels(13, 23) & 0xFFFFFF, clWhite);
    // Other ids draw nothing.
    button.Canvas().Brush().SetColor(clWhite);
    button.Canvas().FillRect({0, 0, 40, 30});
    images.DrawColorIndicator(button.Canvas(), {10, 5, 32, 27}, 12120);
    EXPECT_EQ(button.Canvas().Pixels(13, 19) & 0xFFFFFF, clWhite);
    FreeColorManager();
}
