// Cursors and bitmaps among the program's resources, found by type and name:
// every cursor number loads and is registered with the screen; cursor files
// open as pictures; damaged cursor files are refused; the bitmap resources
// load by name.
#include "foundation/resources/CursorManager.h"

#include <gtest/gtest.h>

#include "foundation/resources/CursorFile.h"
#include "foundation/resources/ResourceStrings.h"
#include "platform/framework/Forms.h"
#include "platform/runtime/Exception.h"
#include "platform/testing/Testing.h"

namespace {

class CursorsTest : public ::testing::Test {
protected:
    void SetUp() override { InitApplication(); }
    void TearDown() override { DoneApplication(); }
};

TEST_F(CursorsTest, EveryCursorNumberLoadsAndRegisters)
{
    TCursorManager manager;
    for (int32_t n = 1; n <= 38; ++n) {
        EXPECT_FALSE(manager.Loaded(n));
        ASSERT_TRUE(manager.LoadCursor(n)) << CursorResourceName(n);
        EXPECT_TRUE(manager.Loaded(n));
        EXPECT_NE(Screen->CursorHandle(n), 0u) << n;
    }
    // Names are looked up without regard to case.
    EXPECT_TRUE(LoadResourceData("normalcaret", "cursor"));
    EXPECT_FALSE(manager.LoadCursor(0));
    EXPECT_FALSE(manager.LoadCursor(39));
    EXPECT_FALSE(manager.LoadCursor(-3));
    EXPECT_STREQ(CursorResourceName(13), "MagnifyingGlass");
    EXPECT_STREQ(CursorResourceName(38), "DragRemove");
}

TEST_F(CursorsTest, SetCursorLoadsOnFirstUseOnlyForProgramNumbers)
{
    TCursorManager manager;
    TForm form(nullptr);
    manager.SetCursor(form, crHandScroll);
    EXPECT_TRUE(manager.Loaded(crHandScroll));
    EXPECT_EQ(form.Cursor(), crHandScroll);
    // 0 and below only set the control's cursor.
    manager.SetCursor(form, crIBeam);
    EXPECT_EQ(form.Cursor(), crIBeam);
    manager.SetCursor(form, 0);
    EXPECT_EQ(form.Cursor(), 0);
    for (int32_t n = 1; n < kCursorSlots; ++n) {
        if (n != crHandScroll) {
            EXPECT_FALSE(manager.Loaded(n)) << n;
        }
    }
}

TEST_F(CursorsTest, CursorFilesOpenAsPictures)
{
    const std::string dir = MakeTestDir("cursor-image");
    const std::string path = dir + "/caret.cur";
    ASSERT_TRUE(SaveResourceToFile("NormalCaret", "CURSOR", path));
    TCursorImage image;
    image.DrawOnWhite = true;
    image.LoadFromFile(path);
    ASSERT_EQ(image.Width(), 32);
    ASSERT_EQ(image.Height(), 32);
    // The I-beam's stem is black at its hot spot (15, 16); the corner shows the background.
    EXPECT_EQ(image.Canvas().Pixels(15, 16), clBlack);
    EXPECT_EQ(image.Canvas().Pixels(0, 0), clWhite);
    // Its outline is white, so on the button face the outline still shows.
    TCursorImage onFace;
    onFace.LoadFromFile(path);
    EXPECT_EQ(onFace.Canvas().Pixels(0, 0), static_cast<TColor>(ColorToRGB(clBtnFace)));
    EXPECT_EQ(onFace.Canvas().Pixels(14, 16), clWhite);

    // A missing or damaged file ends the action silently and keeps the image.
    EXPECT_THROW(image.LoadFromFile(dir + "/missing.cur"), EAbort);
    WriteTestFile(dir + "/bad.cur", std::string("\0\0\2\0\1\0", 6));
    EXPECT_THROW(image.LoadFromFile(dir + "/bad.cur"), EAbort);
    EXPECT_EQ(image.Width(), 32);
    EXPECT_EQ(image.Canvas().Pixels(15, 16), clBlack);
}

TEST(CursorFileTest, DamagedFilesAreRefused)
{
    const TResourceData data = LoadResourceData("Hand", "CURSOR");
    ASSERT_TRUE(data);
    const std::string good(data.View());
    TCursorFileImage image;
    ASSERT_TRUE(ReadCursorFile(data.Data, data.Size, image));
    EXPECT_EQ(image.Width, 32);
    EXPECT_EQ(image.HotX, 15);
    auto read = [](std::string bytes) {
        TCursorFileImage i;
        return ReadCursorFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), i);
    };
    struct TCase { size_t At; char Value; const char* What; };
    for (const TCase& c : {TCase{2, '\1', "an icon, not a cursor"}, TCase{4, '\0', "no images"},
                           TCase{17, '\x7F', "image size beyond the file"}, TCase{21, '\x7F', "offset beyond the file"},
                           TCase{22 + 5, '\x7F', "width too large"}, TCase{22 + 14, '\x05', "unknown depth"}}) {
        std::string bytes = good;
        bytes[c.At] = c.Value;
        EXPECT_FALSE(read(bytes)) << c.What;
    }
    for (size_t cut : {size_t{0}, size_t{10}, size_t{60}, good.size() - 1})
        EXPECT_FALSE(read(good.substr(0, cut))) << "cut at " << cut;
}

TEST(BitmapResourceTest, FoundByTypeAndName)
{
    TBitmap strip;
    strip.LoadFromResourceName("megaphone");
    // Five square cells as wide as the strip is high.
    EXPECT_EQ(strip.Width(), 80);
    EXPECT_EQ(strip.Height(), 16);
    // Cell 0 (event off) is crossed out in red; cell 1 (pack sound, on) is not,
    // and shows the pack's green mark; cell 3 (own wave, on) the blue one.
    EXPECT_EQ(strip.Canvas().Pixels(2, 1), clRed);
    EXPECT_EQ(strip.Canvas().Pixels(18, 1), clSilver);
    EXPECT_EQ(strip.Canvas().Pixels(28, 13), clGreen);
    EXPECT_EQ(strip.Canvas().Pixels(60, 13), clBlue);
    EXPECT_EQ(strip.Canvas().Pixels(0, 0), clSilver);
}

} // namespace
