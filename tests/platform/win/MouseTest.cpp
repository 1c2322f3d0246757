// Mouse input entering at the Qt side: clicks, double and triple clicks,
// drags with capture, the wheel and the right button, with client
// coordinates and key flags as window procedures see them.
#include "platform/testing/WindowTesting.h"
#include "platform/win/WindowRecorder.h"

#include <gtest/gtest.h>

namespace {

const std::set<UINT> MouseMessages = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                                      WM_RBUTTONUP,   WM_MOUSEWHEEL, WM_CONTEXTMENU,  WM_MOUSEMOVE,
                                      WM_CAPTURECHANGED};

class MouseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Window.Create(Bounds(40, 60, 300, 200)), HWND_NONE);
        SetFocus(Window.Handle);
    }
    std::vector<UINT> Kinds() const
    {
        std::vector<UINT> out;
        for (const auto& m : Window.Seen)
            if (m.Msg != WM_MOUSEMOVE)
                out.push_back(m.Msg);
        return out;
    }
    TRecordingWindow Window{MouseMessages};
    TTestMouse Mouse;
};

TEST_F(MouseTest, ClicksInClientCoordinates)
{
    Mouse.Click(Window.Handle, {10, 20});
    EXPECT_EQ(Window.Of(WM_LBUTTONDOWN), (std::vector<TSeenMessage>{{WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 20)}}));
    EXPECT_EQ(Window.Of(WM_LBUTTONUP), (std::vector<TSeenMessage>{{WM_LBUTTONUP, 0, MakeLParam(10, 20)}}));
    TPoint p{10, 20};
    ClientToScreen(Window.Handle, &p);
    EXPECT_EQ(GetMessagePos(), p);
}

TEST_F(MouseTest, DoubleAndTripleClicks)
{
    const uint32_t gap = GetDoubleClickTime() / 4;
    // Three quick clicks at one place: down, up, double click, up, down, up
    // (the third press is a plain press, as the original platform sends it).
    Mouse.Click(Window.Handle, {50, 50});
    Mouse.Wait(gap);
    Mouse.Click(Window.Handle, {51, 50});
    Mouse.Wait(gap);
    Mouse.Click(Window.Handle, {51, 51});
    EXPECT_EQ(Kinds(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                          WM_LBUTTONDOWN, WM_LBUTTONUP}));
    // Too slow, or too far apart: no double click.
    Window.Seen.clear();
    Mouse.Wait(GetDoubleClickTime() + 1);
    Mouse.Click(Window.Handle, {80, 80});
    Mouse.Wait(GetDoubleClickTime() + 1);
    Mouse.Click(Window.Handle, {80, 80});
    Mouse.Wait(gap);
    Mouse.Click(Window.Handle, {90, 80});
    EXPECT_EQ(Window.Of(WM_LBUTTONDBLCLK).size(), 0u);
}

TEST_F(MouseTest, DragWithCaptureFollowsOutsideTheWindow)
{
    Window.OnMessage = [](HWND w, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_LBUTTONDOWN)
            SetCapture(w);
        if (msg == WM_LBUTTONUP)
            ReleaseCapture();
        return false;
    };
    TRecordingWindow other(MouseMessages);
    ASSERT_NE(other.Create(Bounds(400, 60, 100, 100)), HWND_NONE);
    Mouse.Press(Window.Handle, {10, 10});
    EXPECT_EQ(GetCapture(), Window.Handle);
    // Over the other window and left of the captured one: still ours, in our coordinates.
    Mouse.Move(other.Handle, {5, 5});
    Mouse.Move(Window.Handle, {-20, 250});
    Mouse.Release(Window.Handle, {-20, 250});
    EXPECT_EQ(GetCapture(), HWND_NONE);
    EXPECT_TRUE(other.Seen.empty());
    auto moves = Window.Of(WM_MOUSEMOVE);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], (TSeenMessage{WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(365, 5)}));
    EXPECT_EQ(moves[1], (TSeenMessage{WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(-20, 250)}));
    EXPECT_EQ(GetXLParam(moves[1].LParam), -20);
    EXPECT_EQ(Window.Of(WM_LBUTTONUP), (std::vector<TSeenMessage>{{WM_LBUTTONUP, 0, MakeLParam(-20, 250)}}));
    EXPECT_EQ(Window.Of(WM_CAPTURECHANGED).size(), 1u);
}

TEST_F(MouseTest, KeyFlagsOfHeldKeys)
{
    TTestKeyboard keys;
    keys.Down("Ctrl");
    keys.Down("Shift");
    Mouse.Press(Window.Handle, {5, 5});
    keys.Up("Shift");
    keys.Up("Ctrl");
    Mouse.Release(Window.Handle, {5, 5});
    ASSERT_EQ(Window.Of(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(Window.Of(WM_LBUTTONDOWN)[0].WParam, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(Window.Of(WM_LBUTTONUP)[0].WParam, 0u);
}

TEST_F(MouseTest, WheelGoesToTheFocusWithScreenPoint)
{
    Mouse.Wheel(Window.Handle, {30, 40}, 120);
    Mouse.Wheel(Window.Handle, {30, 40}, -240);
    auto wheel = Window.Of(WM_MOUSEWHEEL);
    ASSERT_EQ(wheel.size(), 2u);
    TPoint p{30, 40};
    ClientToScreen(Window.Handle, &p);
    EXPECT_EQ(GetWheelDelta(wheel[0].WParam), 120);
    EXPECT_EQ(GetWheelDelta(wheel[1].WParam), -240);
    EXPECT_EQ(LoWord(wheel[0].WParam), 0u);
    EXPECT_EQ(wheel[0].LParam, MakeLParam(p.X, p.Y));
}

TEST_F(MouseTest, RightButtonThenContextMenu)
{
    Mouse.Click(Window.Handle, {25, 35}, TTestButton::Right);
    TPoint p{25, 35};
    ClientToScreen(Window.Handle, &p);
    EXPECT_EQ(Window.Seen, (std::vector<TSeenMessage>{{WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(25, 35)},
                                                      {WM_RBUTTONUP, 0, MakeLParam(25, 35)},
                                                      {WM_CONTEXTMENU, Window.Handle, MakeLParam(p.X, p.Y)}}));
}

} // namespace
