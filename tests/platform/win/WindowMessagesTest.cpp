// Window handles, sent and posted messages, timers, and what happens to
// messages for windows that are gone.
#include "platform/testing/WindowTesting.h"
#include "platform/win/DragDrop.h"
#include "platform/win/WindowRecorder.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT WM_TEST_SEND = WM_USER + 1;
constexpr UINT WM_TEST_POSTED = WM_USER + 2;

TEST(WindowMessagesTest, SentMessagesReturnTheProcedureResult)
{
    TRecordingWindow w({WM_TEST_SEND});
    ASSERT_NE(w.Create(Bounds(0, 0, 100, 50)), HWND_NONE);
    w.OnMessage = [](HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        if (msg != WM_TEST_SEND)
            return false;
        result = static_cast<LRESULT>(wp) + lp;
        return true;
    };
    EXPECT_EQ(SendMessage(w.Handle, WM_TEST_SEND, 40, 2), 42);
    EXPECT_EQ(w.Seen, (std::vector<TSeenMessage>{{WM_TEST_SEND, 40, 2}}));
}

TEST(WindowMessagesTest, PostedMessagesArriveAfterTheSenderReturnsInOrder)
{
    TRecordingWindow w({WM_TEST_SEND, WM_TEST_POSTED});
    ASSERT_NE(w.Create(Bounds(0, 0, 100, 50)), HWND_NONE);
    w.OnMessage = [](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_TEST_SEND) {
            PostMessage(h, WM_TEST_POSTED, 1, 0);
            PostMessage(h, WM_TEST_POSTED, 2, 0);
        }
        return false;
    };
    SendMessage(w.Handle, WM_TEST_SEND, 0, 0);
    EXPECT_EQ(w.Seen.size(), 1u);  // nothing posted has arrived yet
    TMsg peeked;
    EXPECT_TRUE(PeekMessage(&peeked, w.Handle, WM_TEST_POSTED, WM_TEST_POSTED, false));
    EXPECT_EQ(peeked.wParam, 1u);
    ASSERT_TRUE(RunUntil([&] { return w.Seen.size() == 3; }));
    EXPECT_EQ(w.Seen, (std::vector<TSeenMessage>{{WM_TEST_SEND, 0, 0}, {WM_TEST_POSTED, 1, 0}, {WM_TEST_POSTED, 2, 0}}));
}

TEST(WindowMessagesTest, MessageHookSeesQueuedMessagesAndMayEatThem)
{
    TRecordingWindow w({WM_TEST_POSTED});
    ASSERT_NE(w.Create(Bounds(0, 0, 100, 50)), HWND_NONE);
    std::vector<WPARAM> hooked;
    SetMessageHook([&](TMsg& m) {
        if (m.message != WM_TEST_POSTED)
            return false;
        hooked.push_back(m.wParam);
        return m.wParam == 1;  // eats the first
    });
    PostMessage(w.Handle, WM_TEST_POSTED, 1, 0);
    PostMessage(w.Handle, WM_TEST_POSTED, 2, 0);
    RunUntil([&] { return hooked.size() == 2; });
    SetMessageHook(nullptr);
    EXPECT_EQ(hooked, (std::vector<WPARAM>{1, 2}));
    EXPECT_EQ(w.Seen, (std::vector<TSeenMessage>{{WM_TEST_POSTED, 2, 0}}));
}

TEST(WindowMessagesTest, TimersFireThroughWmTimerById)
{
    TRecordingWindow w({WM_TIMER});
    ASSERT_NE(w.Create(Bounds(0, 0, 100, 50)), HWND_NONE);
    EXPECT_EQ(SetTimer(w.Handle, 3, 1), 3u);
    EXPECT_EQ(SetTimer(w.Handle, 17, 5), 17u);
    ASSERT_TRUE(RunUntil([&] {
        auto t = w.Of(WM_TIMER);
        return std::count_if(t.begin(), t.end(), [](auto& m) { return m.WParam == 3; }) >= 2 &&
               std::count_if(t.begin(), t.end(), [](auto& m) { return m.WParam == 17; }) >= 1;
    }));
    EXPECT_TRUE(KillTimer(w.Handle, 3));
    EXPECT_FALSE(KillTimer(w.Handle, 3));
    // A timer that kills itself in its own tick.
    w.OnMessage = [](HWND h, UINT msg, WPARAM id, LPARAM, LRESULT&) {
        if (msg == WM_TIMER)
            KillTimer(h, id);
        return false;
    };
    w.Seen.clear();
    RunUntil([&] { return !w.Seen.empty(); });
    const size_t ticks = w.Seen.size();
    SetTimer(w.Handle, 5, 1);
    RunUntil([&] { return w.Seen.size() > ticks; });
    EXPECT_FALSE(KillTimer(w.Handle, 17));
    EXPECT_FALSE(KillTimer(w.Handle, 5));
}

TEST(WindowMessagesTest, DestroyedHandlesAreRefused)
{
    TRecordingWindow w({WM_TEST_POSTED, WM_DESTROY, WM_TIMER});
    HWND h = w.Create(Bounds(0, 0, 100, 50));
    ASSERT_TRUE(IsWindow(h));
    SetTimer(h, 1, 1);
    PostMessage(h, WM_TEST_POSTED, 0, 0);  // posted before the window goes
    SetFocus(h);
    SetCapture(h);
    struct TNoDrops : TDropTarget {
        void DragEnter(const TDataObject&, uint32_t, TPoint, uint32_t&) override {}
        void DragOver(uint32_t, TPoint, uint32_t&) override {}
        void DragLeave() override {}
        void Drop(const TDataObject&, uint32_t, TPoint, uint32_t&) override {}
    } target;
    ASSERT_TRUE(RegisterDragDrop(h, &target));
    ASSERT_TRUE(DestroyWindow(h));
    EXPECT_EQ(w.Seen, (std::vector<TSeenMessage>{{WM_DESTROY, 0, 0}}));
    RunPending();
    EXPECT_EQ(w.Seen.size(), 1u);  // neither the posted message nor the timer came

    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(SendMessage(h, WM_TEST_POSTED, 0, 0), 0);
    EXPECT_EQ(GetLastWindowError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PostMessage(h, WM_TEST_POSTED, 0, 0));
    EXPECT_EQ(SetTimer(h, 1, 10), 0u);
    EXPECT_FALSE(KillTimer(h, 1));
    EXPECT_FALSE(InvalidateRect(h, nullptr, true));
    EXPECT_EQ(BeginPaint(h, nullptr), nullptr);
    EXPECT_FALSE(DestroyWindow(h));
    TRect r;
    EXPECT_FALSE(GetClientRect(h, &r));
    EXPECT_EQ(GetFocus(), HWND_NONE);
    EXPECT_EQ(GetCapture(), HWND_NONE);
    EXPECT_EQ(DropTargetOf(h), nullptr);
    EXPECT_FALSE(RegisterDragDrop(h, &target));
    EXPECT_FALSE(RegisterDragDrop(0x7FFFFFF0, &target));
    EXPECT_EQ(SetFocus(h), HWND_NONE);
    EXPECT_EQ(GetParent(h), HWND_NONE);

    // Handles are never given out again.
    TRecordingWindow again;
    EXPECT_NE(again.Create(Bounds(0, 0, 10, 10)), h);
}

TEST(WindowMessagesTest, ChildrenDieWithTheirParentChildrenFirst)
{
    std::vector<HWND> destroyed;
    TRecordingWindow parent({WM_DESTROY}), child({WM_DESTROY});
    ASSERT_NE(parent.Create(Bounds(0, 0, 100, 100)), HWND_NONE);
    ASSERT_NE(child.Create(Bounds(5, 5, 20, 20), TWindowKind::Child, parent.Handle), HWND_NONE);
    parent.OnMessage = child.OnMessage = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_DESTROY)
            destroyed.push_back(h);
        return false;
    };
    const HWND p = parent.Handle, c = child.Handle;
    EXPECT_EQ(GetParent(c), p);
    DestroyWindow(p);
    EXPECT_EQ(destroyed, (std::vector<HWND>{c, p}));
    EXPECT_FALSE(IsWindow(c));
    // A child of no window cannot be made.
    TRecordingWindow orphan;
    EXPECT_EQ(orphan.Create(Bounds(0, 0, 5, 5), TWindowKind::Child, p), HWND_NONE);
}

TEST(WindowMessagesTest, GeometryAndCoordinateHelpers)
{
    TRecordingWindow top({WM_SIZE, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED});
    ASSERT_NE(top.Create(Bounds(100, 80, 300, 200)), HWND_NONE);
    TRecordingWindow child({WM_SIZE, WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE});
    ASSERT_NE(child.Create(Bounds(10, 20, 50, 40), TWindowKind::Child, top.Handle), HWND_NONE);
    TPoint p{1, 2};
    ASSERT_TRUE(ClientToScreen(child.Handle, &p));
    EXPECT_EQ(p, (TPoint{111, 102}));
    ASSERT_TRUE(ScreenToClient(top.Handle, &p));
    EXPECT_EQ(p, (TPoint{11, 22}));
    TPoint pts[2] = {{0, 0}, {5, 5}};
    MapWindowPoints(child.Handle, top.Handle, pts, 2);
    EXPECT_EQ(pts[1], (TPoint{15, 25}));

    // A handler of WM_WINDOWPOSCHANGING may change the size; WM_SIZE reports the result.
    child.OnMessage = [](HWND, UINT msg, WPARAM, LPARAM lp, LRESULT&) {
        if (msg == WM_WINDOWPOSCHANGING) {
            auto* wp = reinterpret_cast<WINDOWPOS*>(lp);
            wp->cx = std::max(wp->cx, 100);
        }
        return false;
    };
    child.Seen.clear();
    ASSERT_TRUE(SetWindowPos(child.Handle, HWND_NONE, 30, 40, 60, 70, SWP_NOZORDER));
    TRect r;
    GetClientRect(child.Handle, &r);
    EXPECT_EQ(r, (TRect{0, 0, 100, 70}));
    auto sizes = child.Of(WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().LParam, MakeLParam(100, 70));
    EXPECT_EQ(child.Of(WM_MOVE).back().LParam, MakeLParam(30, 40));
    GetWindowRect(child.Handle, &r);
    EXPECT_EQ(r, (TRect{130, 120, 230, 190}));
}

} // namespace
