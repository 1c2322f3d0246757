#include "platform/framework/controls/Ranges.h"

#include "platform/framework/controls/ControlSupport.h"

#include <algorithm>

bool GetScrollInfo(HWND window, int bar, SCROLLINFO* info)
{
    if (bar != SB_CTL || !info || !dynamic_cast<TScrollBar*>(TWinControl::FindControl(window)))
        return false;
    return SendMessage(window, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)) != 0;
}

int32_t SetScrollInfo(HWND window, int bar, const SCROLLINFO& info, bool redraw)
{
    if (bar != SB_CTL || !dynamic_cast<TScrollBar*>(TWinControl::FindControl(window)))
        return 0;
    return static_cast<int32_t>(
        SendMessage(window, SBM_SETSCROLLINFO, redraw ? 1 : 0, reinterpret_cast<LPARAM>(&info)));
}

// --- TScrollBar -------------------------------------------------------------------

const TMessageMap& TScrollBar::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TScrollBar::CNScrollEntry>(CN_HSCROLL),
                                  MessageEntry<&TScrollBar::CNScrollEntry>(CN_VSCROLL),
                                  MessageEntry<&TScrollBar::SBMGetScrollInfo>(SBM_GETSCROLLINFO),
                                  MessageEntry<&TScrollBar::SBMSetScrollInfo>(SBM_SETSCROLLINFO)}};
    return map;
}

TScrollBar::TScrollBar(TComponent* owner) : TCustomControl(owner)
{
    TabStop = true;
    FWidth = 121;
    FHeight = 17;
    FColor = clScrollBar;
}

void TScrollBar::SetKind(TScrollBarKind kind)
{
    if (kind == FKind)
        return;
    FKind = kind;
    SetBounds(Left(), Top(), Height(), Width());
    Invalidate();
}

void TScrollBar::SetPageSize(int32_t pageSize)
{
    FPageSize = std::max(0, pageSize);
    Invalidate();
}

void TScrollBar::SetParams(int32_t position, int32_t min, int32_t max)
{
    if (max < min)
        max = min;
    FMin = min;
    FMax = max;
    position = std::clamp(position, min, max);
    Invalidate();
    if (position != FPosition) {
        FPosition = position;
        Change();
    }
}

void TScrollBar::Change()
{
    if (OnChange)
        OnChange(this);
}

void TScrollBar::SBMGetScrollInfo(TMessage& m)
{
    auto* info = reinterpret_cast<SCROLLINFO*>(m.LParam);
    if (info->fMask & SIF_RANGE) {
        info->nMin = FMin;
        info->nMax = FMax;
    }
    if (info->fMask & SIF_PAGE)
        info->nPage = static_cast<uint32_t>(FPageSize);
    if (info->fMask & SIF_POS)
        info->nPos = FPosition;
    if (info->fMask & SIF_TRACKPOS)
        info->nTrackPos = TrackPos();
    m.Result = 1;
}

void TScrollBar::SBMSetScrollInfo(TMessage& m)
{
    const auto* info = reinterpret_cast<const SCROLLINFO*>(m.LParam);
    if (info->fMask & SIF_RANGE) {
        FMin = info->nMin;
        FMax = std::max(info->nMin, info->nMax);
    }
    if (info->fMask & SIF_PAGE)
        FPageSize = static_cast<int32_t>(std::min<uint32_t>(info->nPage, 0x7FFFFFFF));
    if (info->fMask & SIF_POS)
        FPosition = info->nPos;
    FPosition = std::clamp(FPosition, FMin, FMax);
    if (m.WParam)
        Invalidate();
    m.Result = FPosition;
}

void TScrollBar::CNScroll(TMessage& m)
{
    const uint16_t code = LoWord(m.WParam);
    int32_t pos = FPosition;
    switch (code) {
    case SB_LINEUP: pos -= SmallChange; break;
    case SB_LINEDOWN: pos += SmallChange; break;
    case SB_PAGEUP: pos -= LargeChange; break;
    case SB_PAGEDOWN: pos += LargeChange; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        // The message carries 16 bits; the bar knows the whole position.
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        pos = GetScrollInfo(Handle(), SB_CTL, &info) ? info.nTrackPos : HiWord(m.WParam);
        break;
    }
    case SB_TOP: pos = FMin; break;
    case SB_BOTTOM: pos = FMax; break;
    default: break;
    }
    if (OnScroll && code <= SB_ENDSCROLL)
        OnScroll(this, static_cast<TScrollCode>(code), pos);
    SetParams(std::clamp(pos, FMin, FMax), FMin, FMax);
    m.Result = 0;
}

void TScrollBar::Scroll(uint16_t code)
{
    const int32_t pos = code == SB_THUMBTRACK || code == SB_THUMBPOSITION ? TrackPos() : FPosition;
    NotifyParent(*this, FKind == TScrollBarKind::sbHorizontal ? WM_HSCROLL : WM_VSCROLL,
                 MakeWParam(code, pos));
}

int32_t TScrollBar::Length() const
{
    return FKind == TScrollBarKind::sbHorizontal ? Width() : Height();
}

int32_t TScrollBar::ArrowSize() const
{
    const int32_t across = FKind == TScrollBarKind::sbHorizontal ? Height() : Width();
    return std::min(across, Length() / 2);
}

void TScrollBar::ThumbSpan(int32_t& start, int32_t& size) const
{
    const int32_t track = std::max(0, Length() - 2 * ArrowSize());
    const int64_t range = static_cast<int64_t>(FMax) - FMin + 1;
    size = FPageSize > 0 ? static_cast<int32_t>(track * std::min<int64_t>(FPageSize, range) / range) : ArrowSize();
    size = std::clamp(size, std::min(8, track), track);
    const int64_t span = range - std::max(1, FPageSize);
    const int32_t room = track - size;
    const int64_t offset = span > 0 ? (static_cast<int64_t>(TrackPos()) - FMin) * room / span : 0;
    start = ArrowSize() + static_cast<int32_t>(std::clamp<int64_t>(offset, 0, room));
}

int32_t TScrollBar::PosFromPixel(int32_t pixel) const
{
    int32_t start, size;
    ThumbSpan(start, size);
    const int32_t room = std::max(1, Length() - 2 * ArrowSize() - size);
    const int64_t span = static_cast<int64_t>(FMax) - FMin + 1 - std::max(1, FPageSize);
    const int64_t offset = std::clamp(pixel - ArrowSize(), 0, room);
    return static_cast<int32_t>(std::clamp<int64_t>(FMin + (offset * span + room / 2) / room, FMin, FMax));
}

void TScrollBar::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    const int32_t p = FKind == TScrollBarKind::sbHorizontal ? x : y;
    int32_t start, size;
    ThumbSpan(start, size);
    if (p < ArrowSize())
        Scroll(SB_LINEUP);
    else if (p >= Length() - ArrowSize())
        Scroll(SB_LINEDOWN);
    else if (p < start)
        Scroll(SB_PAGEUP);
    else if (p >= start + size)
        Scroll(SB_PAGEDOWN);
    else {
        FTracking = true;
        FTrackPos = FPosition;
        FGrabOffset = p - start;
    }
}

void TScrollBar::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!FTracking)
        return;
    const int32_t p = (FKind == TScrollBarKind::sbHorizontal ? x : y) - FGrabOffset;
    const int32_t pos = PosFromPixel(p);
    if (pos == FTrackPos)
        return;
    FTrackPos = pos;
    Invalidate();
    Scroll(SB_THUMBTRACK);
}

void TScrollBar::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    const HWND self = Handle();
    if (FTracking) {
        Scroll(SB_THUMBPOSITION);
        if (!IsWindow(self))
            return;
        FTracking = false;
    }
    Scroll(SB_ENDSCROLL);
}

void TScrollBar::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    const bool horz = FKind == TScrollBarKind::sbHorizontal;
    uint16_t code;
    switch (key) {
    case VK_LEFT: if (!horz) return; code = SB_LINEUP; break;
    case VK_UP: if (horz) return; code = SB_LINEUP; break;
    case VK_RIGHT: if (!horz) return; code = SB_LINEDOWN; break;
    case VK_DOWN: if (horz) return; code = SB_LINEDOWN; break;
    case VK_PRIOR: code = SB_PAGEUP; break;
    case VK_NEXT: code = SB_PAGEDOWN; break;
    case VK_HOME: code = SB_TOP; break;
    case VK_END: code = SB_BOTTOM; break;
    default: return;
    }
    Scroll(code);
    Scroll(SB_ENDSCROLL);
    key = 0;
}

void TScrollBar::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(clScrollBar);
    c.FillRect(ClientRect());
    const bool horz = FKind == TScrollBarKind::sbHorizontal;
    auto along = [&](int32_t a0, int32_t a1) {
        return horz ? TRect{a0, 0, a1, Height()} : TRect{0, a0, Width(), a1};
    };
    for (TRect r : {along(0, ArrowSize()), along(Length() - ArrowSize(), Length())}) {
        c.Brush().SetColor(clBtnFace);
        c.FillRect(r);
        DrawRaisedFrame(c, r);
    }
    int32_t start, size;
    ThumbSpan(start, size);
    if (Enabled() && FMax > FMin) {
        const TRect thumb = along(start, start + size);
        c.Brush().SetColor(clBtnFace);
        c.FillRect(thumb);
        DrawRaisedFrame(c, thumb);
    }
}

// --- TTrackBar ------------------------------------------------------------------------

const TMessageMap& TTrackBar::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TTrackBar::CNScroll>(CN_HSCROLL),
                                  MessageEntry<&TTrackBar::CNScroll>(CN_VSCROLL),
                                  MessageEntry<&TTrackBar::WMFocusChanged>(WM_SETFOCUS),
                                  MessageEntry<&TTrackBar::WMFocusChanged>(WM_KILLFOCUS)}};
    return map;
}

TTrackBar::TTrackBar(TComponent* owner) : TCustomControl(owner)
{
    TabStop = true;
    FWidth = 150;
    FHeight = 45;
}

void TTrackBar::SetRange(int32_t min, int32_t max)
{
    FMin = min;
    FMax = std::max(min, max);
    SetPosition(FPosition);
    Invalidate();
}

void TTrackBar::SetPosition(int32_t position)
{
    position = std::clamp(position, FMin, FMax);
    if (position == FPosition)
        return;
    FPosition = position;
    Invalidate();
    if (OnChange)
        OnChange(this);
}

void TTrackBar::UserMove(int32_t position, uint16_t code)
{
    position = std::clamp(position, FMin, FMax);
    if (position != FPosition) {
        FPosition = position;
        Invalidate();
    }
    NotifyParent(*this, Orientation == TTrackBarOrientation::trHorizontal ? WM_HSCROLL : WM_VSCROLL,
                 MakeWParam(code, FPosition));
}

void TTrackBar::CNScroll(TMessage& m)
{
    if (LoWord(m.WParam) != SB_ENDSCROLL && OnChange)
        OnChange(this);
    m.Result = 0;
}

void TTrackBar::WMFocusChanged(TMessage& m)
{
    Inherited(ClassMessageMap(), m);
    Invalidate();
}

void TTrackBar::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    const HWND self = Handle();
    switch (key) {
    case VK_LEFT: case VK_UP: UserMove(FPosition - LineSize, SB_LINEUP); break;
    case VK_RIGHT: case VK_DOWN: UserMove(FPosition + LineSize, SB_LINEDOWN); break;
    case VK_PRIOR: UserMove(FPosition - PageSize, SB_PAGEUP); break;
    case VK_NEXT: UserMove(FPosition + PageSize, SB_PAGEDOWN); break;
    case VK_HOME: UserMove(FMin, SB_TOP); break;
    case VK_END: UserMove(FMax, SB_BOTTOM); break;
    default: return;
    }
    if (IsWindow(self))
        UserMove(FPosition, SB_ENDSCROLL);
    key = 0;
}

int32_t TTrackBar::ChannelLength() const
{
    const int32_t len = Orientation == TTrackBarOrientation::trHorizontal ? Width() : Height();
    return std::max(1, len - 2 * Channel0());
}

int32_t TTrackBar::PixelOf(int32_t position) const
{
    const int64_t range = std::max(1, FMax - FMin);
    return Channel0() + static_cast<int32_t>((static_cast<int64_t>(position) - FMin) * ChannelLength() / range);
}

int32_t TTrackBar::PositionAt(int32_t pixel) const
{
    const int64_t range = FMax - FMin;
    const int64_t offset = std::clamp(pixel - Channel0(), 0, ChannelLength());
    return FMin + static_cast<int32_t>((offset * range + ChannelLength() / 2) / ChannelLength());
}

void TTrackBar::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    if (CanFocus() && !Focused())
        SetFocus();
    const int32_t p = Orientation == TTrackBarOrientation::trHorizontal ? x : y;
    const int32_t thumb = PixelOf(FPosition);
    if (std::abs(p - thumb) <= 5)
        FDragging = true;
    else
        UserMove(FPosition + (p < thumb ? -PageSize : PageSize), p < thumb ? SB_PAGEUP : SB_PAGEDOWN);
}

void TTrackBar::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!FDragging)
        return;
    const int32_t pos = PositionAt(Orientation == TTrackBarOrientation::trHorizontal ? x : y);
    if (pos != FPosition)
        UserMove(pos, SB_THUMBTRACK);
}

void TTrackBar::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    const HWND self = Handle();
    if (FDragging) {
        FDragging = false;
        UserMove(FPosition, SB_THUMBPOSITION);
    }
    if (IsWindow(self))
        UserMove(FPosition, SB_ENDSCROLL);
}

void TTrackBar::Paint()
{
    TCanvas& c = Canvas();
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
    const bool horz = Orientation == TTrackBarOrientation::trHorizontal;
    const int32_t mid = 12;
    const int32_t a0 = Channel0(), a1 = Channel0() + ChannelLength();
    TRect channel = horz ? TRect{a0, mid - 2, a1, mid + 2} : TRect{mid - 2, a0, mid + 2, a1};
    DrawSunkenFrame(c, channel);
    // Ticks every Frequency.
    c.Brush().SetColor(clBtnText);
    for (int64_t v = FMin; v <= FMax && Frequency > 0; v += Frequency) {
        const int32_t p = PixelOf(static_cast<int32_t>(v));
        c.FillRect(horz ? TRect{p, mid + 10, p + 1, mid + 14} : TRect{mid + 10, p, mid + 14, p + 1});
    }
    const int32_t t = PixelOf(FPosition);
    const TRect thumb = horz ? TRect{t - 5, mid - 9, t + 6, mid + 9} : TRect{mid - 9, t - 5, mid + 9, t + 6};
    c.Brush().SetColor(clBtnFace);
    c.FillRect(thumb);
    DrawRaisedFrame(c, thumb);
    if (Focused())
        c.DrawFocusRect(ClientRect());
}

// --- TUpDown ---------------------------------------------------------------------------

const TMessageMap& TUpDown::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TUpDown::CNScroll>(CN_HSCROLL),
                                  MessageEntry<&TUpDown::CNScroll>(CN_VSCROLL)}};
    return map;
}

TUpDown::TUpDown(TComponent* owner) : TCustomControl(owner)
{
    FWidth = 17;
    FHeight = 21;
}

void TUpDown::SetPosition(int32_t position)
{
    FPosition = std::clamp(position, std::min(Min, Max), std::max(Min, Max));
    Invalidate();
}

void TUpDown::Step(TUDBtnType button)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (!allow)
        return;
    int64_t next = static_cast<int64_t>(FPosition) + (button == TUDBtnType::btNext ? Increment : -Increment);
    const int32_t lo = std::min(Min, Max), hi = std::max(Min, Max);
    if (next > hi)
        next = Wrap ? lo : hi;
    if (next < lo)
        next = Wrap ? hi : lo;
    FPosition = static_cast<int32_t>(next);
    Invalidate();
    const HWND self = Handle();
    NotifyParent(*this, Orientation == TUDOrientation::udVertical ? WM_VSCROLL : WM_HSCROLL,
                 MakeWParam(SB_THUMBPOSITION, FPosition));
    if (IsWindow(self) && OnClick)
        OnClick(this, button);
}

void TUpDown::CNScroll(TMessage& m)
{
    m.Result = 0;
}

void TUpDown::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != TMouseButton::mbLeft)
        return;
    const bool vertical = Orientation == TUDOrientation::udVertical;
    // Up (or right) is the next value.
    FPressed = vertical ? (y < Height() / 2 ? 0 : 1) : (x >= Width() / 2 ? 0 : 1);
    Invalidate();
    Step(FPressed == 0 ? TUDBtnType::btNext : TUDBtnType::btPrev);
}

void TUpDown::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    FPressed = -1;
    Invalidate();
}

void TUpDown::Paint()
{
    TCanvas& c = Canvas();
    const bool vertical = Orientation == TUDOrientation::udVertical;
    const TRect first = vertical ? TRect{0, 0, Width(), Height() / 2} : TRect{Width() / 2, 0, Width(), Height()};
    const TRect second = vertical ? TRect{0, Height() / 2, Width(), Height()} : TRect{0, 0, Width() / 2, Height()};
    int index = 0;
    for (const TRect& r : {first, second}) {
        c.Brush().SetColor(clBtnFace);
        c.FillRect(r);
        if (FPressed == index) {
            c.Brush().SetColor(clBtnShadow);
            c.FrameRect(r);
        } else {
            DrawRaisedFrame(c, r);
        }
        c.Brush().SetColor(Enabled() ? clBtnText : clGrayText);
        const int32_t cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
        for (int i = 0; i < 3; ++i) {
            if (vertical) {
                const int32_t row = index == 0 ? cy - 1 + i : cy + 1 - i;
                c.FillRect({cx - i, row, cx + i + 1, row + 1});
            } else {
                const int32_t col = index == 0 ? cx + 1 - i : cx - 1 + i;
                c.FillRect({col, cy - i, col + 1, cy + i + 1});
            }
        }
        ++index;
    }
}

// --- TProgressBar ---------------------------------------------------------------------

TProgressBar::TProgressBar(TComponent* owner) : TCustomControl(owner)
{
    FWidth = 150;
    FHeight = 16;
}

void TProgressBar::SetPosition(int32_t position)
{
    position = std::clamp(position, Min, std::max(Min, Max));
    if (position == FPosition)
        return;
    FPosition = position;
    Invalidate();
}

void TProgressBar::Paint()
{
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    c.Brush().SetColor(clBtnFace);
    c.FillRect(r);
    DrawSunkenFrame(c, r);
    const int64_t range = std::max(1, Max - Min);
    const int32_t inner = Width() - 4;
    const int32_t filled = static_cast<int32_t>((static_cast<int64_t>(FPosition) - Min) * inner / range);
    c.Brush().SetColor(clHighlight);
    // Blocks of the bar's height less the frame, two pixels apart.
    const int32_t block = std::max(2, (Height() - 4) * 2 / 3);
    for (int32_t x = 0; x < filled; x += block + 2)
        c.FillRect({2 + x, 2, 2 + std::min(filled, x + block), Height() - 2});
}
