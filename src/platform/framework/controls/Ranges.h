#pragma once
// Controls of a value in a range: scroll bars (32-bit range, page size and
// track position kept by the bar and read with GetScrollInfo), track bars,
// up-down buttons and progress bars. Scroll and track bars tell their parent
// with WM_HSCROLL or WM_VSCROLL (the scroll code in the low word, the 16-bit
// position in the high word, the bar's window in lParam), which the parent
// reflects back to the bar.
#include <cstdint>
#include <functional>

#include "platform/framework/Controls.h"

// Scroll codes (also the track bar's TB_ codes).
constexpr uint16_t SB_LINEUP = 0;
constexpr uint16_t SB_LINEDOWN = 1;
constexpr uint16_t SB_PAGEUP = 2;
constexpr uint16_t SB_PAGEDOWN = 3;
constexpr uint16_t SB_THUMBPOSITION = 4;
constexpr uint16_t SB_THUMBTRACK = 5;
constexpr uint16_t SB_TOP = 6;
constexpr uint16_t SB_BOTTOM = 7;
constexpr uint16_t SB_ENDSCROLL = 8;

// Bars of GetScrollInfo: only a scroll-bar control (SB_CTL) keeps one here.
constexpr int SB_CTL = 2;
constexpr uint32_t SIF_RANGE = 0x01;
constexpr uint32_t SIF_PAGE = 0x02;
constexpr uint32_t SIF_POS = 0x04;
constexpr uint32_t SIF_DISABLENOSCROLL = 0x08;
constexpr uint32_t SIF_TRACKPOS = 0x10;
constexpr uint32_t SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct SCROLLINFO {
    uint32_t cbSize = sizeof(SCROLLINFO);
    uint32_t fMask = 0;
    int32_t nMin = 0;
    int32_t nMax = 0;
    uint32_t nPage = 0;
    int32_t nPos = 0;
    int32_t nTrackPos = 0;  // while the thumb is dragged: where it is
};

constexpr UINT SBM_SETSCROLLINFO = 0x00E9;
constexpr UINT SBM_GETSCROLLINFO = 0x00EA;

// The fields fMask names, of a scroll-bar control's window; false for any
// other bar or window.
bool GetScrollInfo(HWND window, int bar, SCROLLINFO* info);
// Sets the fields fMask names (the position is kept within the range);
// returns the new position.
int32_t SetScrollInfo(HWND window, int bar, const SCROLLINFO& info, bool redraw);

enum class TScrollBarKind : uint8_t { sbHorizontal, sbVertical };
enum class TScrollCode : uint8_t { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TControl* sender, TScrollCode code, int32_t& scrollPos)>;

class TScrollBar : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TScrollBar(TComponent* owner);
    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind kind);
    int32_t Min() const { return FMin; }
    int32_t Max() const { return FMax; }
    int32_t Position() const { return FPosition; }
    int32_t PageSize() const { return FPageSize; }
    virtual void SetPageSize(int32_t pageSize);
    void SetMin(int32_t v) { SetParams(FPosition, v, FMax); }
    void SetMax(int32_t v) { SetParams(FPosition, FMin, v); }
    void SetPosition(int32_t v) { SetParams(v, FMin, FMax); }
    // Sets position and range together; OnChange when the position changed.
    void SetParams(int32_t position, int32_t min, int32_t max);
    int32_t SmallChange = 1;
    int32_t LargeChange = 1;
    TNotifyEvent OnChange;
    TScrollEvent OnScroll;
    // Where the thumb is while it is dragged (the position otherwise).
    int32_t TrackPos() const { return FTracking ? FTrackPos : FPosition; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    // The reflected scroll notification: the new position from the code.
    virtual void CNScroll(TMessage& m);
    void SBMGetScrollInfo(TMessage& m);
    void SBMSetScrollInfo(TMessage& m);
    void CNScrollEntry(TMessage& m) { CNScroll(m); }
    virtual void Change();
    void Scroll(uint16_t code);

    // Geometry along the bar: its length, the arrow size, the thumb.
    int32_t Length() const;
    int32_t ArrowSize() const;
    void ThumbSpan(int32_t& start, int32_t& size) const;
    int32_t PosFromPixel(int32_t pixel) const;

    TScrollBarKind FKind = TScrollBarKind::sbHorizontal;
    int32_t FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0;
    bool FTracking = false;
    int32_t FTrackPos = 0;
    int32_t FGrabOffset = 0;
};

enum class TTrackBarOrientation : uint8_t { trHorizontal, trVertical };

class TTrackBar : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TTrackBar(TComponent* owner);
    int32_t Min() const { return FMin; }
    int32_t Max() const { return FMax; }
    int32_t Position() const { return FPosition; }
    void SetRange(int32_t min, int32_t max);
    // By code: no notification to the parent, OnChange only.
    void SetPosition(int32_t position);
    int32_t LineSize = 1;
    int32_t PageSize = 2;
    int32_t Frequency = 1;
    TTrackBarOrientation Orientation = TTrackBarOrientation::trHorizontal;
    TNotifyEvent OnChange;

protected:
    void Paint() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void CNScroll(TMessage& m);
    void WMFocusChanged(TMessage& m);
    // Moves to a position as the user does (notifies the parent).
    void UserMove(int32_t position, uint16_t code);
    int32_t Channel0() const { return 8; }
    int32_t ChannelLength() const;
    int32_t PixelOf(int32_t position) const;
    int32_t PositionAt(int32_t pixel) const;

    int32_t FMin = 0, FMax = 10, FPosition = 0;
    bool FDragging = false;
};

enum class TUDBtnType : uint8_t { btNext, btPrev };
enum class TUDOrientation : uint8_t { udVertical, udHorizontal };

class TUpDown : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TUpDown(TComponent* owner);
    int32_t Min = 0;
    int32_t Max = 100;
    int32_t Increment = 1;
    bool Wrap = false;
    TUDOrientation Orientation = TUDOrientation::udVertical;
    int32_t Position() const { return FPosition; }
    void SetPosition(int32_t position);
    // A step as a click on a button does: OnChanging may refuse it, then the
    // position moves, the parent is told (WM_VSCROLL or WM_HSCROLL with
    // SB_THUMBPOSITION) and OnClick fires.
    void Step(TUDBtnType button);
    std::function<void(TControl* sender, bool& allowChange)> OnChanging;
    std::function<void(TControl* sender, TUDBtnType button)> OnClick;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void CNScroll(TMessage& m);

private:
    int32_t FPosition = 0;
    int FPressed = -1;  // 0 up (next), 1 down (prev)
};

class TProgressBar : public TCustomControl {
public:
    explicit TProgressBar(TComponent* owner);
    int32_t Min = 0;
    int32_t Max = 100;
    int32_t Step = 10;
    int32_t Position() const { return FPosition; }
    void SetPosition(int32_t position);
    void StepIt() { SetPosition(FPosition + Step >= Max ? Min + (FPosition + Step - Max) : FPosition + Step); }
    void StepBy(int32_t delta) { SetPosition(FPosition + delta); }

protected:
    void Paint() override;

private:
    int32_t FPosition = 0;
};
