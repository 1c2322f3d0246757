#pragma once
// One-line edits and multi-line memos: the text in the window's font, a caret
// (the window layer's), typing, Backspace and Delete, the arrow keys, Home and
// End, Shift to select, and EN_CHANGE to the parent after every change of the
// text (typed or set), which comes back as OnChange.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/framework/Controls.h"
#include "platform/runtime/StringList.h"

// Edit notifications (WM_COMMAND high word).
constexpr uint16_t EN_SETFOCUS = 0x0100;
constexpr uint16_t EN_KILLFOCUS = 0x0200;
constexpr uint16_t EN_CHANGE = 0x0300;

class TCustomEdit : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TCustomEdit(TComponent* owner);
    ~TCustomEdit() override;

    std::string Text() const { return FCaption; }
    void SetText(const std::string& text);
    void SetCaption(const std::string& caption) override { SetText(caption); }
    int32_t SelStart() const { return FSelStart; }
    void SetSelStart(int32_t pos);
    int32_t SelLength() const { return FSelEnd - FSelStart; }
    void SetSelLength(int32_t length);
    std::string SelText() const;
    void SelectAll();
    // Replaces the selection (typing does the same).
    void SetSelText(const std::string& text);
    bool ReadOnly = false;
    int32_t MaxLength = 0;  // 0: no limit
    // Not 0: every character is shown as this one (a password).
    char PasswordChar = 0;
    bool Modified = false;
    TNotifyEvent OnChange;

protected:
    // After every change of the text (EN_CHANGE reflected): OnChange.
    virtual void Change();
    virtual bool MultiLine() const { return false; }
    void Paint() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void CNCommand(TMessage& m);
    void WMSetFocus(TMessage& m);
    void WMKillFocus(TMessage& m);
    // The caret's offset in the text for a client point, and back.
    int32_t OffsetAt(int32_t x, int32_t y);
    TPoint PointOf(int32_t offset);
    void PlaceCaret();
    // The text as drawn: the password character in place of each character.
    std::string ShownText() const;
    void SetSelection(int32_t anchor, int32_t caret);

    int32_t FSelStart = 0, FSelEnd = 0;
    int32_t FCaret = 0;  // the moving end of the selection
    int32_t FLineHeight = 13;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* owner);
};

// Lines separated by CR LF in the text; Enter makes a new line.
class TMemo : public TCustomEdit {
public:
    explicit TMemo(TComponent* owner);
    // The lines of the text; changing them rewrites the text.
    TStrings& Lines();
    bool WantTabs() const override { return FWantTabs; }
    bool WantsKey(uint16_t key) const override { return key == VK_RETURN && WantReturns; }
    bool WantReturns = true;
    void SetWantTabs(bool value) { FWantTabs = value; }

protected:
    bool MultiLine() const override { return true; }
    void Change() override;

private:
    std::unique_ptr<TStringList> FLines;
    bool FSyncing = false;
    bool FWantTabs = false;
};
