// Key presses entering at the Qt side as a French keyboard gives them, and the
// exact messages a window procedure sees for them.
#include "platform/testing/WindowTesting.h"
#include "platform/win/WindowRecorder.h"

#include <gtest/gtest.h>

namespace {

const std::set<UINT> KeyMessages = {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_DEADCHAR,
                                    WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR, WM_SYSDEADCHAR};

struct TKeyCase {
    const char* Name;
    std::function<void(TTestKeyboard&)> Type;
    std::vector<TSeenMessage> Expected;
};

// Key data: repeat count 1, scan code, extended, context (Alt), previous state, released.
LPARAM Data(uint32_t scan, bool ext = false, bool alt = false, bool prev = false, bool up = false)
{
    return static_cast<LPARAM>(1u | (scan << 16) | (ext ? 1u << 24 : 0) | (alt ? 1u << 29 : 0) |
                               (prev ? 1u << 30 : 0) | (up ? 1u << 31 : 0));
}
LPARAM Up(uint32_t scan, bool ext = false, bool alt = false)
{
    return Data(scan, ext, alt, true, true);
}

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(Window.Create(Bounds(50, 50, 200, 100)), HWND_NONE);
        SetFocus(Window.Handle);
        ASSERT_EQ(GetFocus(), Window.Handle);
    }
    TRecordingWindow Window{KeyMessages};
    TTestKeyboard Keys;
};

TEST_F(KeyboardTest, MessageSequences)
{
    const std::vector<TKeyCase> cases = {
        {"letter", [](TTestKeyboard& k) { k.Tap("A"); },
         {{WM_KEYDOWN, 'A', Data(0x10)}, {WM_CHAR, 'a', Data(0x10)}, {WM_KEYUP, 'A', Up(0x10)}}},
        {"shifted letter", [](TTestKeyboard& k) { k.Chord({"Shift"}, "A"); },
         {{WM_KEYDOWN, VK_SHIFT, Data(0x2A)}, {WM_KEYDOWN, 'A', Data(0x10)}, {WM_CHAR, 'A', Data(0x10)},
          {WM_KEYUP, 'A', Up(0x10)}, {WM_KEYUP, VK_SHIFT, Up(0x2A)}}},
        {"AltGr at sign", [](TTestKeyboard& k) { k.Chord({"AltGr"}, "0"); },
         {{WM_KEYDOWN, VK_CONTROL, Data(0x1D)}, {WM_KEYDOWN, VK_MENU, Data(0x38, true, true)},
          {WM_KEYDOWN, '0', Data(0x0B)}, {WM_CHAR, '@', Data(0x0B)}, {WM_KEYUP, '0', Up(0x0B)},
          {WM_KEYUP, VK_CONTROL, Up(0x1D)}, {WM_KEYUP, VK_MENU, Up(0x38, true)}}},
        {"AltGr euro in 1252", [](TTestKeyboard& k) { k.Chord({"AltGr"}, "E"); },
         {{WM_KEYDOWN, VK_CONTROL, Data(0x1D)}, {WM_KEYDOWN, VK_MENU, Data(0x38, true, true)},
          {WM_KEYDOWN, 'E', Data(0x12)}, {WM_CHAR, 0x80, Data(0x12)}, {WM_KEYUP, 'E', Up(0x12)},
          {WM_KEYUP, VK_CONTROL, Up(0x1D)}, {WM_KEYUP, VK_MENU, Up(0x38, true)}}},
        {"dead circumflex then e", [](TTestKeyboard& k) { k.Tap("Dead^"); k.Tap("E"); },
         {{WM_KEYDOWN, VK_OEM_6, Data(0x1A)}, {WM_DEADCHAR, '^', Data(0x1A)}, {WM_KEYUP, VK_OEM_6, Up(0x1A)},
          {WM_KEYDOWN, 'E', Data(0x12)}, {WM_CHAR, 0xEA, Data(0x12)}, {WM_KEYUP, 'E', Up(0x12)}}},
        {"dead circumflex then a consonant", [](TTestKeyboard& k) { k.Tap("Dead^"); k.Tap("T"); },
         {{WM_KEYDOWN, VK_OEM_6, Data(0x1A)}, {WM_DEADCHAR, '^', Data(0x1A)}, {WM_KEYUP, VK_OEM_6, Up(0x1A)},
          {WM_KEYDOWN, 'T', Data(0x14)}, {WM_CHAR, '^', Data(0x14)}, {WM_CHAR, 't', Data(0x14)},
          {WM_KEYUP, 'T', Up(0x14)}}},
        {"accented letter of the top row", [](TTestKeyboard& k) { k.Tap("2"); },
         {{WM_KEYDOWN, '2', Data(0x03)}, {WM_CHAR, 0xE9, Data(0x03)}, {WM_KEYUP, '2', Up(0x03)}}},
        {"Shift+Left", [](TTestKeyboard& k) { k.Chord({"Shift"}, "Left"); },
         {{WM_KEYDOWN, VK_SHIFT, Data(0x2A)}, {WM_KEYDOWN, VK_LEFT, Data(0x4B, true)},
          {WM_KEYUP, VK_LEFT, Up(0x4B, true)}, {WM_KEYUP, VK_SHIFT, Up(0x2A)}}},
        {"Ctrl+C", [](TTestKeyboard& k) { k.Chord({"Ctrl"}, "C"); },
         {{WM_KEYDOWN, VK_CONTROL, Data(0x1D)}, {WM_KEYDOWN, 'C', Data(0x2E)}, {WM_CHAR, 3, Data(0x2E)},
          {WM_KEYUP, 'C', Up(0x2E)}, {WM_KEYUP, VK_CONTROL, Up(0x1D)}}},
        {"Ctrl+Shift+Home", [](TTestKeyboard& k) { k.Chord({"Ctrl", "Shift"}, "Home"); },
         {{WM_KEYDOWN, VK_CONTROL, Data(0x1D)}, {WM_KEYDOWN, VK_SHIFT, Data(0x2A)},
          {WM_KEYDOWN, VK_HOME, Data(0x47, true)}, {WM_KEYUP, VK_HOME, Up(0x47, true)},
          {WM_KEYUP, VK_SHIFT, Up(0x2A)}, {WM_KEYUP, VK_CONTROL, Up(0x1D)}}},
        {"F5", [](TTestKeyboard& k) { k.Tap("F5"); }, {{WM_KEYDOWN, VK_F1 + 4, Data(0x3F)}, {WM_KEYUP, VK_F1 + 4, Up(0x3F)}}},
        {"F10 is a system key", [](TTestKeyboard& k) { k.Tap("F10"); },
         {{WM_SYSKEYDOWN, VK_F1 + 9, Data(0x44)}, {WM_SYSKEYUP, VK_F1 + 9, Up(0x44)}}},
        {"keypad digit with Num Lock", [](TTestKeyboard& k) { k.Tap("Num5"); },
         {{WM_KEYDOWN, VK_NUMPAD0 + 5, Data(0x4C)}, {WM_CHAR, '5', Data(0x4C)}, {WM_KEYUP, VK_NUMPAD0 + 5, Up(0x4C)}}},
        {"keypad without Num Lock moves", [](TTestKeyboard& k) { k.Tap("NumLock"); k.Tap("Num7"); k.Tap("NumLock"); },
         {{WM_KEYDOWN, VK_NUMLOCK, Data(0x45)}, {WM_KEYUP, VK_NUMLOCK, Up(0x45)}, {WM_KEYDOWN, VK_HOME, Data(0x47)},
          {WM_KEYUP, VK_HOME, Up(0x47)}, {WM_KEYDOWN, VK_NUMLOCK, Data(0x45)}, {WM_KEYUP, VK_NUMLOCK, Up(0x45)}}},
        {"keypad plus and enter", [](TTestKeyboard& k) { k.Tap("Num+"); k.Tap("NumEnter"); },
         {{WM_KEYDOWN, VK_ADD, Data(0x4E)}, {WM_CHAR, '+', Data(0x4E)}, {WM_KEYUP, VK_ADD, Up(0x4E)},
          {WM_KEYDOWN, VK_RETURN, Data(0x1C, true)}, {WM_CHAR, 13, Data(0x1C, true)},
          {WM_KEYUP, VK_RETURN, Up(0x1C, true)}}},
        {"Alt+letter", [](TTestKeyboard& k) { k.Chord({"Alt"}, "F"); },
         {{WM_SYSKEYDOWN, VK_MENU, Data(0x38, false, true)}, {WM_SYSKEYDOWN, 'F', Data(0x21, false, true)},
          {WM_SYSCHAR, 'f', Data(0x21, false, true)}, {WM_SYSKEYUP, 'F', Up(0x21, false, true)},
          {WM_SYSKEYUP, VK_MENU, Up(0x38)}}},
        {"editing keys", [](TTestKeyboard& k) { k.Tap("Enter"); k.Tap("Back"); k.Tap("Esc"); },
         {{WM_KEYDOWN, VK_RETURN, Data(0x1C)}, {WM_CHAR, 13, Data(0x1C)}, {WM_KEYUP, VK_RETURN, Up(0x1C)},
          {WM_KEYDOWN, VK_BACK, Data(0x0E)}, {WM_CHAR, 8, Data(0x0E)}, {WM_KEYUP, VK_BACK, Up(0x0E)},
          {WM_KEYDOWN, VK_ESCAPE, Data(0x01)}, {WM_CHAR, 27, Data(0x01)}, {WM_KEYUP, VK_ESCAPE, Up(0x01)}}},
        {"auto-repeat", [](TTestKeyboard& k) { k.Down("A"); k.Down("A", true); k.Up("A"); },
         {{WM_KEYDOWN, 'A', Data(0x10)}, {WM_CHAR, 'a', Data(0x10)}, {WM_KEYDOWN, 'A', Data(0x10, false, false, true)},
          {WM_CHAR, 'a', Data(0x10, false, false, true)}, {WM_KEYUP, 'A', Up(0x10)}}},
    };
    for (const auto& c : cases) {
        Window.Seen.clear();
        c.Type(Keys);
        EXPECT_EQ(Window.Seen, c.Expected) << c.Name;
    }
}

TEST_F(KeyboardTest, KeyStateFollowsTheMessageBeingHandled)
{
    // While the character of AltGr+0 is handled, Ctrl and Alt read as down
    // (AltGr is Ctrl+Alt); once the keys are up they read as up.
    int16_t ctrl = 0, alt = 0, rmenu = 0;
    Window.OnMessage = [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_CHAR) {
            ctrl = GetKeyState(VK_CONTROL);
            alt = GetKeyState(VK_MENU);
            rmenu = GetKeyState(VK_RMENU);
        }
        return false;
    };
    Keys.Chord({"AltGr"}, "0");
    EXPECT_LT(ctrl, 0);
    EXPECT_LT(alt, 0);
    EXPECT_LT(rmenu, 0);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    EXPECT_GE(GetAsyncKeyState(VK_MENU), 0);

    // The physical state is there before any message: Shift held now.
    Keys.Down("Shift");
    EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_LT(GetAsyncKeyState(VK_LSHIFT), 0);
    Keys.Up("Shift");
    EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);

    // A lock key toggles bit 0 at each press.
    const int16_t before = GetKeyState(VK_CAPITAL) & 1;
    Keys.Tap("CapsLock");
    EXPECT_NE(GetKeyState(VK_CAPITAL) & 1, before);
    Keys.Tap("CapsLock");
    EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, before);
}

TEST_F(KeyboardTest, KeysGoToTheWindowWithTheFocus)
{
    TRecordingWindow child({WM_KEYDOWN, WM_CHAR, WM_SETFOCUS, WM_KILLFOCUS});
    ASSERT_NE(child.Create(Bounds(10, 10, 50, 20), TWindowKind::Child, Window.Handle), HWND_NONE);
    std::vector<TSeenMessage> lost;
    Window.OnMessage = [&](HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT&) {
        if (msg == WM_KILLFOCUS)
            lost.push_back({msg, wp, lp});
        return false;
    };
    EXPECT_EQ(SetFocus(child.Handle), Window.Handle);
    EXPECT_EQ(lost, (std::vector<TSeenMessage>{{WM_KILLFOCUS, child.Handle, 0}}));
    EXPECT_EQ(child.Of(WM_SETFOCUS), (std::vector<TSeenMessage>{{WM_SETFOCUS, Window.Handle, 0}}));
    Keys.Tap("Z");
    EXPECT_EQ(child.Of(WM_CHAR).size(), 1u);
    EXPECT_TRUE(Window.Of(WM_CHAR).empty());
}

TEST_F(KeyboardTest, WindowDestroyedByItsKeyDownGetsNoCharacter)
{
    // The window frees itself in its WM_KEYDOWN handler: the WM_CHAR of the
    // same key must not reach it (AddressSanitizer checks for the use).
    struct TSelfDestroying : TWindowTarget {
        HWND Handle = HWND_NONE;
        int* Chars = nullptr;
        LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_CHAR)
                ++*Chars;
            if (message == WM_KEYDOWN) {
                DestroyWindow(window);
                delete this;
                return 0;
            }
            return DefWindowProc(window, message, wParam, lParam);
        }
    };
    int chars = 0;
    auto* w = new TSelfDestroying;
    w->Chars = &chars;
    TWindowParams p;
    p.Kind = TWindowKind::TopLevel;
    p.Bounds = Bounds(0, 0, 50, 50);
    p.Style = WS_VISIBLE;
    HWND h = CreateWindowHandle(w, p);
    SetFocus(h);
    Keys.Tap("Q");
    RunPending();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(chars, 0);
    EXPECT_EQ(GetFocus(), HWND_NONE);
}

} // namespace
