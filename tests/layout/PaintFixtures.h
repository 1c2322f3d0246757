#pragma once
// Painting on bitmaps: documents paginated on small pages (PaginationTest),
// the shared managers the painters use, and a white 32-bit canvas whose
// pixels the tests read back.
#include "PaginationFixtures.h"

#include "foundation/SharedManagers.h"
#include "foundation/managers/ColorManager.h"
#include "layout/LinePainter.h"
#include "layout/PaintSettings.h"
#include "platform/gdi/Gdi.h"

#include <functional>
#include <string>

// A bitmap in a memory context, filled white.
class TPaintCanvas {
public:
    TPaintCanvas(int32_t width, int32_t height, COLORREF fill = 0xFFFFFF) : Width(width), Height(height)
    {
        HDC screen = GetScreenDC();
        DC = CreateCompatibleDC(screen);
        FBitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(screen);
        FOld = SelectObject(DC, FBitmap);
        Clear(fill);
    }
    ~TPaintCanvas()
    {
        SelectObject(DC, FOld);
        DeleteObject(FBitmap);
        DeleteDC(DC);
    }
    TPaintCanvas(const TPaintCanvas&) = delete;
    TPaintCanvas& operator=(const TPaintCanvas&) = delete;

    void Clear(COLORREF fill)
    {
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(DC, TRect{0, 0, Width, Height}, brush);
        DeleteObject(brush);
    }
    COLORREF At(int32_t x, int32_t y) const { return GetPixel(DC, x, y) & 0xFFFFFF; }
    HBITMAP Bitmap() const { return FBitmap; }
    // The number of pixels within the rectangle for which the test holds.
    int32_t Count(const TRect& rect, const std::function<bool(int32_t, int32_t)>& test) const
    {
        int32_t n = 0;
        for (int32_t y = std::max(rect.Top, 0); y < std::min(rect.Bottom, Height); ++y)
            for (int32_t x = std::max(rect.Left, 0); x < std::min(rect.Right, Width); ++x)
                if (test(x, y))
                    ++n;
        return n;
    }

    HDC DC = nullptr;
    int32_t Width;
    int32_t Height;

private:
    HBITMAP FBitmap = nullptr;
    HBITMAP FOld = nullptr;
};

class PaintTest : public PaginationTest {
protected:
    PaintTest() : FSettings(PaintSettings()), FFlags(PaintFlags())
    {
        CreateSharedManagers();
        GetColorManager()->UseDefaultPalette();
    }
    ~PaintTest() override
    {
        PaintSettings() = FSettings;
        PaintFlags() = FFlags;
        Doc.reset();
        FreeSharedManagers();
    }

    // The layout line of a paragraph.
    TLayoutLine& LineOf(int32_t paragraph, int32_t line = 0) { return Line(Doc->Paragraphs(paragraph), line); }

    // The page size of the first section in device units.
    int32_t PageWidth() const { return Doc->Sections(0).PageParams[ppPaperWidthDevice]; }
    int32_t PageHeight() const { return Doc->Sections(0).PageParams[ppPaperHeightDevice]; }

    // A line painted in the mode onto a fresh page-sized canvas at (0, 0).
    void PaintOnto(TPaintCanvas& canvas, TLayoutLine& line, TPaintMode mode = TPaintMode::Printing)
    {
        TPaintModeScope scope(mode);
        PaintLine(line, canvas.DC, 0, 0);
    }

private:
    TPaintSettings FSettings;
    TPaintFlags FFlags;
};
