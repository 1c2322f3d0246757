// WM_PAINT by invalidated region on the window's back buffer, the pixels a
// grab shows, the caret, and drops from other programs.
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Regions.h"
#include "platform/framework/Bitmap.h"
#include "platform/testing/Testing.h"
#include "platform/testing/WindowTesting.h"
#include "platform/win/DragDrop.h"
#include "platform/win/WindowRecorder.h"

#include <gtest/gtest.h>

namespace {

// A window that fills what it is asked to paint with the current colour.
class TPainter : public TRecordingWindow {
public:
    TPainter() : TRecordingWindow({WM_PAINT})
    {
        OnMessage = [this](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
            if (msg != WM_PAINT)
                return false;
            HRGN update = CreateRectRgn(0, 0, 0, 0);
            GetUpdateRgn(h, update, false);
            UpdateRects.push_back(GetRegionRects(update));
            DeleteObject(update);
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            Painted.push_back(ps.rcPaint);
            TRect client;
            GetClientRect(h, &client);
            HBRUSH brush = CreateSolidBrush(Color);
            FillRect(dc, client, brush);  // clipped to the update region
            DeleteObject(brush);
            EndPaint(h, &ps);
            return true;
        };
    }
    COLORREF Color = RGB(0, 0, 255);
    std::vector<TRect> Painted;
    std::vector<std::vector<TRect>> UpdateRects;
};

TColor PixelAt(TBitmap& b, int x, int y)
{
    return b.Canvas().Pixels(x, y);
}

TEST(PaintTest, InvalidatedRegionIsAllThatRepaints)
{
    TPainter w;
    ASSERT_NE(w.Create(Bounds(20, 20, 120, 80)), HWND_NONE);
    ASSERT_TRUE(RunUntil([&] { return !w.Painted.empty(); }));
    EXPECT_EQ(w.Painted.back(), (TRect{0, 0, 120, 80}));

    w.Color = RGB(255, 0, 0);
    const TRect a{10, 10, 40, 30}, b{70, 50, 100, 70};
    HRGN region = CreateRectRgn(a.Left, a.Top, a.Right, a.Bottom);
    HRGN second = CreateRectRgn(b.Left, b.Top, b.Right, b.Bottom);
    CombineRgn(region, region, second, RGN_OR);
    ASSERT_TRUE(InvalidateRgn(w.Handle, region, false));
    DeleteObject(second);
    DeleteObject(region);
    const size_t paints = w.Painted.size();
    ASSERT_TRUE(RunUntil([&] { return w.Painted.size() > paints; }));
    EXPECT_EQ(w.Painted.back(), (TRect{10, 10, 100, 70}));  // the bounding box
    EXPECT_EQ(w.UpdateRects.back(), (std::vector<TRect>{a, b}));

    TBitmap grab;
    ASSERT_TRUE(GrabWindow(w.Handle, grab));
    EXPECT_EQ(grab.Width(), 120);
    EXPECT_EQ(PixelAt(grab, 15, 15), clRed);
    EXPECT_EQ(PixelAt(grab, 99, 69), clRed);
    EXPECT_EQ(PixelAt(grab, 50, 40), clBlue);  // between the two: not repainted
    EXPECT_EQ(PixelAt(grab, 5, 5), clBlue);
    EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/window-invalidated-region.png"));

    // Nothing invalid: UpdateWindow sends nothing.
    const size_t before = w.Painted.size();
    UpdateWindow(w.Handle);
    EXPECT_EQ(w.Painted.size(), before);
    // Invalid again, painted at once by UpdateWindow without the loop.
    TRect c{0, 0, 5, 5};
    InvalidateRect(w.Handle, &c, false);
    TRect box;
    EXPECT_TRUE(GetUpdateRect(w.Handle, &box, false));
    UpdateWindow(w.Handle);
    EXPECT_EQ(w.Painted.size(), before + 1);
    EXPECT_FALSE(GetUpdateRect(w.Handle, &box, false));
}

TEST(PaintTest, AWindowThatDoesNotPaintIsValidatedByDefault)
{
    TRecordingWindow w({WM_PAINT});
    ASSERT_NE(w.Create(Bounds(0, 0, 50, 50)), HWND_NONE);
    ASSERT_TRUE(RunUntil([&] { return !w.Seen.empty(); }));
    RunPending();
    const size_t paints = w.Seen.size();
    RunPending();
    EXPECT_EQ(w.Seen.size(), paints);  // no endless WM_PAINT
    TRect r;
    EXPECT_FALSE(GetUpdateRect(w.Handle, &r, false));
}

TEST(PaintTest, CaretShowsInvertedAndCountsHides)
{
    TPainter w;
    w.Color = RGB(255, 255, 255);
    ASSERT_NE(w.Create(Bounds(0, 0, 60, 40)), HWND_NONE);
    ASSERT_TRUE(RunUntil([&] { return !w.Painted.empty(); }));
    ASSERT_TRUE(CreateCaret(w.Handle, nullptr, 2, 12));
    EXPECT_FALSE(CaretVisible());  // made hidden
    SetCaretPos(10, 5);
    ShowCaret(w.Handle);
    EXPECT_TRUE(CaretVisible());
    HideCaret(w.Handle);
    HideCaret(w.Handle);
    ShowCaret(w.Handle);
    EXPECT_FALSE(CaretVisible());  // two hides need two shows
    ShowCaret(w.Handle);
    EXPECT_TRUE(CaretVisible());
    TPoint p;
    ASSERT_TRUE(GetCaretPos(&p));
    EXPECT_EQ(p, (TPoint{10, 5}));
    TBitmap grab;
    ASSERT_TRUE(GrabWindow(w.Handle, grab));
    EXPECT_EQ(PixelAt(grab, 10, 5), clBlack);   // white inverted
    EXPECT_EQ(PixelAt(grab, 12, 5), clWhite);
    EXPECT_FALSE(ShowCaret(HWND_NONE + 1));     // not the caret's window
    DestroyWindow(w.Handle);
    EXPECT_FALSE(CaretVisible());
    EXPECT_EQ(CaretWindow(), HWND_NONE);
}

class TDropRecorder : public TDropTarget {
public:
    void DragEnter(const TDataObject& data, uint32_t keyState, TPoint p, uint32_t& effect) override
    {
        Calls.push_back("enter");
        data.GetData(CF_TEXT, Text);
        Keys = keyState;
        Point = p;
        Offered = effect;
        effect = Answer;
    }
    void DragOver(uint32_t keyState, TPoint p, uint32_t& effect) override
    {
        Calls.push_back("over");
        Keys = keyState;
        Point = p;
        effect = Answer;
    }
    void DragLeave() override { Calls.push_back("leave"); }
    void Drop(const TDataObject& data, uint32_t keyState, TPoint p, uint32_t& effect) override
    {
        Calls.push_back("drop");
        std::string hdrop;
        if (data.GetData(CF_HDROP, hdrop))
            Files = DropFileNames(hdrop);
        Keys = keyState;
        Point = p;
        effect = Answer;
    }
    uint32_t Answer = DROPEFFECT_COPY;
    std::vector<std::string> Calls;
    std::string Text;
    std::vector<std::string> Files;
    uint32_t Keys = 0;
    uint32_t Offered = 0;
    TPoint Point;
};

TEST(DropTest, RegisteredWindowSeesTheDragWithScreenPointsAndKeys)
{
    TRecordingWindow w({WM_NULL});
    ASSERT_NE(w.Create(Bounds(30, 40, 200, 100)), HWND_NONE);
    TDropRecorder target;
    // No target: the drag is refused.
    TTestDrag refused({"Bonjour", {}, DROPEFFECT_COPY | DROPEFFECT_MOVE, false});
    EXPECT_EQ(refused.Enter(w.Handle, {5, 5}), DROPEFFECT_NONE);

    ASSERT_TRUE(RegisterDragDrop(w.Handle, &target));
    EXPECT_FALSE(RegisterDragDrop(w.Handle, &target));  // one target a window
    TTestDrag drag({"\xC3\xA9t\xC3\xA9", {}, DROPEFFECT_COPY | DROPEFFECT_MOVE, true});
    EXPECT_EQ(drag.Enter(w.Handle, {5, 6}), DROPEFFECT_COPY);
    EXPECT_EQ(target.Text, std::string("\xE9t\xE9\0", 4));  // the text in 1252, ended by a zero
    EXPECT_EQ(target.Offered, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EXPECT_EQ(target.Keys, MK_LBUTTON | MK_CONTROL);
    TPoint screen{5, 6};
    ClientToScreen(w.Handle, &screen);
    EXPECT_EQ(target.Point, screen);
    target.Answer = DROPEFFECT_NONE;
    EXPECT_EQ(drag.Move(w.Handle, {50, 60}), DROPEFFECT_NONE);
    target.Answer = DROPEFFECT_MOVE;
    EXPECT_EQ(drag.Move(w.Handle, {51, 60}), DROPEFFECT_MOVE);
    drag.Leave(w.Handle);
    EXPECT_EQ(target.Calls, (std::vector<std::string>{"enter", "over", "over", "leave"}));

    const std::string file = MakeTestDir("drop") + "/lettre.rtf";
    WriteTestFile(file, "{\\rtf1 }");
    TTestDrag files({"", {file}, DROPEFFECT_COPY, false});
    target.Answer = DROPEFFECT_COPY;
    files.Enter(w.Handle, {10, 10});
    EXPECT_EQ(files.Drop(w.Handle, {12, 10}), DROPEFFECT_COPY);
    EXPECT_EQ(target.Calls.back(), "drop");
    EXPECT_EQ(target.Files, (std::vector<std::string>{file}));

    EXPECT_TRUE(RevokeDragDrop(w.Handle));
    target.Calls.clear();
    TTestDrag after({"x", {}, DROPEFFECT_COPY, false});
    EXPECT_EQ(after.Enter(w.Handle, {5, 5}), DROPEFFECT_NONE);
    EXPECT_TRUE(target.Calls.empty());
}

} // namespace
