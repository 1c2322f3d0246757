// Bitmaps and metafiles: palette reduction by colour count, lightening,
// rotation, metafiles rendered into bitmaps and bitmaps recorded as
// metafiles; and every metafile of the shared corpus rendered into a bitmap
// (PNGs left for people to look at) without crash or hang.
#include "foundation/BitmapHelpers.h"

#include "platform/framework/Bitmap.h"
#include "platform/framework/Metafile.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/PngWriter.h"
#include "platform/runtime/Stream.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <thread>

namespace {

// A 24-bit bitmap whose pixels take `colours` distinct colours in turn.
void FillWithColours(TBitmap& bitmap, int width, int height, int colours)
{
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const int c = (y * width + x) % colours;
            row[x * 3] = static_cast<uint8_t>(c & 0xFF);
            row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
            row[x * 3 + 2] = 7;
        }
    }
}

uint32_t PixelOf(TBitmap& bitmap, int x, int y)
{
    return GetPixel(bitmap.Canvas().Handle(), x, y) & 0xFFFFFF;
}

TEST(BitmapHelpers, ReductionTakesTheFewestBitsThatHoldTheColours)
{
    struct TRow {
        int Colours;
        TPixelFormat Format;
        size_t TableSize;
    };
    const TRow rows[] = {
        {2, TPixelFormat::pf1bit, 2},
        {16, TPixelFormat::pf4bit, 16},
        {17, TPixelFormat::pf8bit, 17},
        {256, TPixelFormat::pf8bit, 256},
        {257, TPixelFormat::pf24bit, 0},  // left as it is
    };
    for (const TRow& r : rows) {
        SCOPED_TRACE(r.Colours);
        TBitmap bitmap;
        FillWithColours(bitmap, 40, 10, r.Colours);
        const uint32_t before = PixelOf(bitmap, 13, 7);
        ReduceBitmapColors(bitmap);
        EXPECT_EQ(bitmap.PixelFormat(), r.Format);
        EXPECT_EQ(bitmap.Width(), 40);
        EXPECT_EQ(bitmap.Height(), 10);
        if (r.TableSize) {
            EXPECT_EQ(GetBitmapColorTable(bitmap.Handle()).size(), r.TableSize);
        }
        EXPECT_EQ(PixelOf(bitmap, 13, 7), before);
    }
    // A colour list over 256 entries makes no DIB.
    TBitmap bitmap;
    FillWithColours(bitmap, 20, 20, 300);
    std::vector<uint32_t> colours;
    CollectBitmapColors(bitmap, colours);
    EXPECT_GT(colours.size(), 256u);
    EXPECT_LE(colours.size(), 256u + 20u);  // stops at the end of the row that passed 256
    TMemoryStream stream;
    EXPECT_FALSE(BuildPalettedDIB(bitmap, colours, stream));
    EXPECT_EQ(stream.Size(), 0);
}

TEST(BitmapHelpers, LighteningAndRotation)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    bitmap.SetSize(3, 2);
    uint8_t* top = bitmap.ScanLine(0);
    top[0] = 0;
    top[1] = 255;
    top[2] = 100;
    LightenBitmap(bitmap);
    top = bitmap.ScanLine(0);
    EXPECT_EQ(top[0], 178);
    EXPECT_EQ(top[1], 255);
    EXPECT_EQ(top[2], 100 + 155 * 7 / 10);

    TBitmap turn;
    turn.SetPixelFormat(TPixelFormat::pf24bit);
    turn.SetSize(3, 2);
    HDC dc = turn.Canvas().Handle();
    FillRect(dc, {0, 0, 3, 2}, GetStockBrush(WHITE_BRUSH));
    SetPixelV(dc, 0, 0, RGB(255, 0, 0));  // top left
    RotateBitmap90(turn);
    EXPECT_EQ(turn.Width(), 2);
    EXPECT_EQ(turn.Height(), 3);
    // The top row becomes the right column.
    EXPECT_EQ(PixelOf(turn, 1, 0), 0x0000FFu);
}

TEST(BitmapHelpers, MetafilesAndBitmapsConvert)
{
    TBitmap source;
    source.SetPixelFormat(TPixelFormat::pf24bit);
    source.SetSize(20, 10);
    HDC dc = source.Canvas().Handle();
    FillRect(dc, {0, 0, 20, 10}, GetStockBrush(WHITE_BRUSH));
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, {0, 0, 10, 10}, red);
    DeleteObject(red);
    HENHMETAFILE mf = BitmapToMetafile(source);
    ASSERT_NE(mf, nullptr);
    // At its own size the metafile gives the bitmap back, reduced to a palette.
    TBitmap back;
    MetafileToBitmap(mf, back, {0, 0});
    EXPECT_EQ(back.Width(), 20);
    EXPECT_EQ(back.Height(), 10);
    EXPECT_EQ(back.PixelFormat(), TPixelFormat::pf1bit);
    EXPECT_EQ(PixelOf(back, 2, 2), 0x0000FFu);
    EXPECT_EQ(PixelOf(back, 15, 2), 0xFFFFFFu);
    // At another size it is stretched.
    TBitmap big;
    MetafileToBitmap(mf, big, {40, 20});
    EXPECT_EQ(PixelOf(big, 18, 10), 0x0000FFu);
    EXPECT_EQ(PixelOf(big, 22, 10), 0xFFFFFFu);
    DeleteEnhMetaFile(mf);

    // An empty frame still gives one pixel.
    TEnhMetafileRecorder empty(nullptr, {0, 0, 0, 0});
    HENHMETAFILE none = empty.Close();
    ASSERT_NE(none, nullptr);
    TBitmap tiny;
    MetafileToBitmap(none, tiny, {0, 0});
    EXPECT_EQ(tiny.Width(), 1);
    EXPECT_EQ(tiny.Height(), 1);
    DeleteEnhMetaFile(none);
}

// Bound of one file: far beyond any metafile's time, it only turns a hang
// into a failure instead of a stuck run.
constexpr auto kHangBound = std::chrono::seconds(120);

TEST(BitmapHelpers, EveryCorpusMetafileRendersIntoABitmap)
{
    namespace fs = std::filesystem;
    const std::string root = SharedDir() + "/corpus";
    ELDRAVIN_NEED_SHARED(root);
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (e.is_regular_file() && (ext == ".wmf" || ext == ".emf"))
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());
    const std::string out = TestOutputDir() + "/metafiles";
    fs::create_directories(out);
    int rendered = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        // Fonts are drawn on the user-interface thread only: the file plays
        // there, under a watchdog that ends the run if it never finishes.
        std::promise<void> finished;
        std::thread watchdog([done = finished.get_future(), name = file.string()]() mutable {
            if (done.wait_for(kHangBound) != std::future_status::ready) {
                std::fprintf(stderr, "no end to the play of %s\n", name.c_str());
                std::fflush(nullptr);
                std::_Exit(1);
            }
        });
        auto render = [&] {
            TMetafile metafile;
            try {
                metafile.LoadFromFile(file.string());
            } catch (const Exception&) {
                return false;
            }
            // At most 600 pixels on the longer side, the frame's proportions kept.
            int32_t w = std::max(1, metafile.Width()), h = std::max(1, metafile.Height());
            const double k = std::min(1.0, 600.0 / std::max(w, h));
            w = std::max(1, static_cast<int32_t>(w * k));
            h = std::max(1, static_cast<int32_t>(h * k));
            TBitmap bitmap;
            MetafileToBitmap(metafile.Handle(), bitmap, {w, h});
            bitmap.SetPixelFormat(TPixelFormat::pf24bit);
            std::vector<uint32_t> px;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const COLORREF c = GetPixel(bitmap.Canvas().Handle(), x, y);
                    px.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
                }
            WriteTestPng(out + "/" + file.filename().string() + ".png", w, h, px);
            return true;
        };
        const bool ok = render();
        finished.set_value();
        watchdog.join();
        rendered += ok;
    }
    // Every corpus metafile is a sound one.
    EXPECT_EQ(rendered, static_cast<int>(files.size()));
}

}  // namespace
