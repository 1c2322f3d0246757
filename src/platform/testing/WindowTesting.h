#pragma once
// Test helpers for windows: real key and mouse input entering at the Qt side
// (so the whole translation into messages runs), drags from other programs,
// running the event loop until a condition holds (bounded, never sleeping),
// and grabbing a window into a TBitmap.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Bitmap.h"
#include "platform/win/Windows.h"

// Runs the event loop until cond() holds or maxMilliseconds of loop time
// passed; returns whether it holds.
bool RunUntil(const std::function<bool()>& cond, int maxMilliseconds = 5000);
// Runs what is waiting (posted messages, timers due, paints) until nothing is left.
void RunPending();

// The keyboard of a French (AZERTY) desktop: keys are named by what they are
// on it: "A".."Z" (letters), "1".."0" (the top row), "F1".."F12", "Shift",
// "Ctrl", "Alt", "AltGr", "Left", "Right", "Up", "Down", "Home", "End",
// "PgUp", "PgDn", "Ins", "Del", "Enter", "Esc", "Tab", "Back", "Space",
// "Apps", "CapsLock", "NumLock", "Dead^" (the circumflex dead key), "," (the
// comma, "?" with Shift), "Num0" to
// "Num9", "Num.", "Num+", "Num-", "Num*", "Num/", "NumEnter". Events go to the
// window with the focus. Num Lock starts on.
class TTestKeyboard {
public:
    void Down(const std::string& key, bool autoRepeat = false);
    void Up(const std::string& key);
    // Down then up.
    void Tap(const std::string& key);
    // Each modifier down, the key tapped, the modifiers up in reverse order.
    void Chord(const std::vector<std::string>& modifiers, const std::string& key);

private:
    bool FShift = false, FCtrl = false, FAlt = false, FAltGr = false, FNumLock = true, FCapsLock = false;
};

enum class TTestButton : uint8_t { Left, Right, Middle };

// The mouse, over a window's client coordinates. Event times come from a
// clock of its own that advances 1 ms per event and by Wait.
class TTestMouse {
public:
    void Move(HWND window, TPoint client);
    void Press(HWND window, TPoint client, TTestButton button = TTestButton::Left);
    void Release(HWND window, TPoint client, TTestButton button = TTestButton::Left);
    void Click(HWND window, TPoint client, TTestButton button = TTestButton::Left);
    // Turns the wheel by delta (120 a notch, positive away from the user).
    void Wheel(HWND window, TPoint client, int delta);
    void Wait(uint32_t milliseconds) { FTime += milliseconds; }

private:
    void Send(HWND window, TPoint client, int type, TTestButton button);
    uint32_t FTime = 100000;
    uint32_t FButtons = 0;
};

// A drag from another program over a window: text and file names.
struct TTestDragData {
    std::string Utf8Text;
    std::vector<std::string> Files;  // file-system paths
    uint32_t AllowedEffects = 3;     // DROPEFFECT_COPY | DROPEFFECT_MOVE
    bool CtrlHeld = false;
};

class TTestDrag {
public:
    explicit TTestDrag(const TTestDragData& data);
    ~TTestDrag();
    // Each returns the effect the window answered (DROPEFFECT_NONE when it refused).
    uint32_t Enter(HWND window, TPoint client);
    uint32_t Move(HWND window, TPoint client);
    void Leave(HWND window);
    uint32_t Drop(HWND window, TPoint client);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// The window as it shows (children included) into a 32-bit bitmap.
bool GrabWindow(HWND window, TBitmap& bitmap);
// Writes a bitmap as PNG (for people to look at).
bool WriteBitmapPng(TBitmap& bitmap, const std::string& path);

// What a test does with the next system dialog (file, folder, colour, message
// box) that opens: the answer function sees what the dialog shows and says
// what to choose.
struct TSystemDialogAnswer {
    // Filled in: "open", "save", "folder", "color" or "message", the dialog's
    // title (message box: its text) in UTF-8, and the file filters as shown.
    std::string Kind;
    std::string Text;
    std::vector<std::string> Filters;
    // The test's choice.
    bool Accept = true;
    std::string FileName;       // file-system path to choose (file and folder dialogs)
    int FilterIndex = 0;        // 1-based filter to pick first (0: leave it)
    uint32_t Rgb = 0xFFFFFFFF;  // colour dialog: 0xRRGGBB to pick (all ones: leave it)
    std::string ButtonText;     // message box: the text of the button to press (UTF-8)
};
// Arms the answer; it acts on the first modal system dialog that opens and is
// then spent. Returns at once: the dialog is answered from the event loop.
void AnswerNextSystemDialog(std::function<void(TSystemDialogAnswer&)> answer);
