#pragma once
// The controls of the class framework: TControl (bounds, visibility, fonts,
// colours, hints, mouse events, dragging between controls), TWinControl (a
// window of the window layer, its children, alignment, tab order, focus, keys),
// TCustomControl (a window painting on its canvas) and TGraphicControl (a
// control without a window, painted and fed by its parent).
//
// Messages reach a control's WndProc, which dispatches them by number through
// the message maps of its classes (most derived first); a message no map
// handles goes to DefaultHandler. A handler hands a message on to the classes
// above its own with Inherited(ClassMessageMap(), message).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/framework/Canvas.h"
#include "platform/framework/Component.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/win/Windows.h"

class TControl;
class TWinControl;
class TForm;

// --- Message maps ------------------------------------------------------------------

using TMessageHandler = void (*)(TControl&, TMessage&);

struct TMessageMap {
    const TMessageMap* Parent = nullptr;
    std::vector<std::pair<UINT, TMessageHandler>> Entries;
    TMessageHandler Find(UINT message) const;
};

namespace message_map_detail {
template <class T>
struct MemberClass;
template <class C>
struct MemberClass<void (C::*)(TMessage&)> {
    using Type = C;
};
} // namespace message_map_detail

// An entry binding a message number to a member handler void T::H(TMessage&).
template <auto Method>
std::pair<UINT, TMessageHandler> MessageEntry(UINT message)
{
    using Class = typename message_map_detail::MemberClass<decltype(Method)>::Type;
    return {message, [](TControl& c, TMessage& m) { (static_cast<Class&>(c).*Method)(m); }};
}

// Declares a class's message map; define ClassMessageMap in the source file:
//   const TMessageMap& TMyForm::ClassMessageMap()
//   {
//       static const TMessageMap map{&TForm::ClassMessageMap(),
//                                    {MessageEntry<&TMyForm::WMKeyDown>(WM_KEYDOWN)}};
//       return map;
//   }
#define ELDRAVIN_MESSAGE_MAP()                                               \
public:                                                                       \
    static const TMessageMap& ClassMessageMap();                             \
    const TMessageMap& MessageMap() const override { return ClassMessageMap(); }

// --- Enumerations ------------------------------------------------------------------

enum class TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum class TDragMode : uint8_t { dmManual, dmAutomatic };
enum class TDragState : uint8_t { dsDragEnter, dsDragLeave, dsDragMove };

// Shift state as bits: the same values GetAsyncShiftState reports.
using TShiftState = uint32_t;
constexpr TShiftState ssShift = 0x01;
constexpr TShiftState ssAlt = 0x02;
constexpr TShiftState ssCtrl = 0x04;
constexpr TShiftState ssLeft = 0x08;
constexpr TShiftState ssRight = 0x10;
constexpr TShiftState ssMiddle = 0x20;
constexpr TShiftState ssDouble = 0x40;

// The shift state of mouse key flags (MK_) and of the keys held now.
TShiftState ShiftStateOfKeyFlags(uint32_t keyFlags);
TShiftState KeyboardShiftState();

// Cursor numbers of the framework: 0 the control's default, negative numbers
// the standard shapes, positive numbers the program's own cursors registered
// in the screen's table (TScreen::SetCursorHandle).
using TCursor = int32_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crSizeNESW = -3;
constexpr TCursor crSizeNS = -4;
constexpr TCursor crSizeNWSE = -5;
constexpr TCursor crSizeWE = -6;
constexpr TCursor crHourGlass = -7;
constexpr TCursor crCross = -8;
constexpr TCursor crIBeam = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crSizeAll = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crNo = -17;
constexpr TCursor crAppStart = -18;
constexpr TCursor crHelp = -19;
constexpr TCursor crHandPoint = -20;

// A menu a control shows on WM_CONTEXTMENU (the menus are built elsewhere).
class TPopupMenuHook {
public:
    virtual ~TPopupMenuHook() = default;
    virtual void Popup(int32_t screenX, int32_t screenY) = 0;
};

// What CM_HINTSHOW points to (lParam): the control may change the text or
// refuse the hint (Result 1).
struct THintInfo {
    TControl* HintControl = nullptr;
    TPoint CursorPos;  // in the control's client coordinates
    std::string HintStr;
    int32_t ReshowTimeout = 0;
    int32_t HideTimeout = 0;
};

using TNotifyEvent = std::function<void(TControl* sender)>;
using TMouseEvent = std::function<void(TControl* sender, TMouseButton button, TShiftState shift, int32_t x, int32_t y)>;
using TMouseMoveEvent = std::function<void(TControl* sender, TShiftState shift, int32_t x, int32_t y)>;
using TKeyEvent = std::function<void(TControl* sender, uint16_t& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TControl* sender, char& key)>;
using TDragOverEvent =
    std::function<void(TControl* sender, TControl* source, int32_t x, int32_t y, TDragState state, bool& accept)>;
using TDragDropEvent = std::function<void(TControl* sender, TControl* source, int32_t x, int32_t y)>;
using TEndDragEvent = std::function<void(TControl* sender, TControl* target, int32_t x, int32_t y)>;
using TContextPopupEvent = std::function<void(TControl* sender, TPoint mousePos, bool& handled)>;

// --- TControl ---------------------------------------------------------------------------

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    static const TMessageMap& ClassMessageMap();
    virtual const TMessageMap& MessageMap() const { return ClassMessageMap(); }

    // Every message of the control passes here; the default dispatches it.
    virtual void WndProc(TMessage& message);
    void Dispatch(TMessage& message);
    // Hands a message to the handlers above the class of map, or DefaultHandler.
    void Inherited(const TMessageMap& map, TMessage& message);
    virtual void DefaultHandler(TMessage& message);
    LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);
    // The form the control lies on (itself for a form), or nullptr.
    TForm* ParentForm() const;

    int32_t Left() const { return FLeft; }
    int32_t Top() const { return FTop; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    virtual void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetLeft(int32_t v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int32_t v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int32_t v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int32_t v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual TRect ClientRect() const { return {0, 0, FWidth, FHeight}; }
    int32_t ClientWidth() const { return ClientRect().Width(); }
    int32_t ClientHeight() const { return ClientRect().Height(); }
    void SetClientSize(int32_t width, int32_t height);
    // The client area's top-left corner in screen coordinates.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent too.
    bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);

    TFont& Font() { return FFont; }
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    const std::string& Caption() const { return FCaption; }
    virtual void SetCaption(const std::string& caption);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& hint) { FHint = hint; }
    bool ShowHint = false;
    TCursor Cursor() const { return FCursor; }
    virtual void SetCursor(TCursor cursor);
    TPopupMenuHook* PopupMenu = nullptr;

    // Whether the control holds the mouse capture.
    bool MouseCapture() const;
    void SetMouseCapture(bool capture);

    // Painting.
    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // Dragging between controls.
    TDragMode DragMode = TDragMode::dmManual;
    void BeginDrag(bool immediate, int32_t threshold = -1);
    void EndDrag(bool drop);
    bool Dragging() const;
    // The control being dragged now, if any.
    static TControl* DragControl();

    virtual void Click();
    virtual void DblClick();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TContextPopupEvent OnContextPopup;

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y);
    virtual void MouseMove(TShiftState shift, int32_t x, int32_t y);
    virtual void DragOver(TControl* source, int32_t x, int32_t y, TDragState state, bool& accept);
    virtual void DragDrop(TControl* source, int32_t x, int32_t y);
    virtual void Resize();
    // Bounds changed by the window (not by SetBounds).
    void UpdateBoundsFromWindow(int32_t left, int32_t top, int32_t width, int32_t height);
    virtual void VisibleChanging() {}
    virtual void RequestAlign();

    void WMMouseButton(TMessage& m);
    void WMMouseMove(TMessage& m);
    void WMContextMenu(TMessage& m);
    void CMMouseEnter(TMessage& m);
    void CMMouseLeave(TMessage& m);
    void WMCancelMode(TMessage& m);

    TWinControl* FParent = nullptr;
    int32_t FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TAlign FAlign = TAlign::alNone;
    bool FVisible = true;
    bool FEnabled = true;
    TFont FFont;
    TColor FColor = clBtnFace;
    std::string FCaption;
    std::string FHint;
    TCursor FCursor = crDefault;
    bool FClicking = false;
    bool FCaptureMouse = true;  // a press captures the mouse until the release

    friend class TWinControl;
};

// --- TWinControl -------------------------------------------------------------------------

class TWinControl : public TControl, public TWindowTarget {
    ELDRAVIN_MESSAGE_MAP()
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, made on first use (the parent's first).
    HWND Handle();
    bool HandleAllocated() const { return FHandle != HWND_NONE; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    // The control of a window handle, or nullptr.
    static TWinControl* FindControl(HWND window);

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // The child control at a client point (visible and enabled ones; graphic
    // controls only when allowWinControls is false).
    TControl* ControlAtPos(TPoint p, bool allowDisabled = false, bool allowWinControls = false) const;

    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) override;
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetCaption(const std::string& caption) override;
    void SetCursor(TCursor cursor) override;
    void SetParent(TWinControl* parent) override;
    void Invalidate() override;
    void Update() override;

    // Places the aligned children, then calls AlignControls on what is left.
    void Realign();

    // Tab order among the siblings (0 first).
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop = false;
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // The next (or previous) tab stop after current among this control's descendants.
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    // Whether Tab is a key for the control rather than for moving the focus.
    virtual bool WantTabs() const { return false; }
    // Whether Enter or Escape is a key for the control rather than for the
    // form's default and cancel buttons.
    virtual bool WantsKey(uint16_t) const { return false; }
    // Sends a message to every visible control below this one (depth first)
    // until one answers it (Result not 0).
    void Broadcast(TMessage& message);

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual TWindowParams CreateParams();
    virtual void CreateWnd();
    virtual void DestroyWnd();
    virtual void AlignControls(TRect& rect);
    // Paints the window's own content on a context of its back buffer.
    virtual void PaintWindow(HDC dc);
    void PaintControls(HDC dc);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char& key);
    void DefaultHandler(TMessage& message) override;
    void WndProc(TMessage& message) override;
    void RequestAlign() override;

    void WMPaint(TMessage& m);
    void WMEraseBkgnd(TMessage& m);
    void WMSetFocus(TMessage& m);
    void WMKillFocus(TMessage& m);
    void WMWindowPosChanged(TMessage& m);
    void WMSize(TMessage& m);
    void WMKeyDown(TMessage& m);
    void WMKeyUp(TMessage& m);
    void WMChar(TMessage& m);
    void CNKeyDown(TMessage& m);
    void CNSysChar(TMessage& m);
    void WMReflect(TMessage& m);
    void WMDestroy(TMessage& m);

    HWND FHandle = HWND_NONE;
    TControl* FCaptured = nullptr;  // a graphic child holding this window's capture
    std::vector<TControl*> FControls;    // children, in z-order (bottom first)
    std::vector<TWinControl*> FTabList;  // windowed children in tab order
    bool FAligning = false;
    bool FCreatingWnd = false;

    friend class TControl;
};

// --- TCustomControl and TGraphicControl ----------------------------------------------------

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;
    // The canvas: on the back buffer while painting, on a window context otherwise.
    TCanvas& Canvas();
    std::function<void(TControl* sender)> OnPaint;

protected:
    // Draws the control on Canvas(); the default fills with Color and calls OnPaint.
    virtual void Paint();
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TCanvas> FCanvas;
    HDC FWindowDC = nullptr;
};

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;
    // The canvas while the parent paints this control (origin at its top-left).
    TCanvas& Canvas() { return *FCanvas; }
    std::function<void(TControl* sender)> OnPaint;
    // Called by the parent's painting with its context, moved to this control.
    void PaintOn(HDC dc);

protected:
    virtual void Paint();

private:
    std::unique_ptr<TCanvas> FCanvas;
};
