// The Qt backend of the window layer: one widget per window, Qt's events
// turned into the window messages, the back buffer that WM_PAINT draws on
// shown on the widget, timers, focus, capture, MDI, caret and cursors.
#include "platform/qt/QtWindows.h"

#include "platform/qt/GdiBackend.h"
#include "platform/qt/QtInput.h"
#include "platform/qt/QtMime.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Processes.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Regions.h"
#include "platform/win/DragDrop.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <cmath>
#include <map>
#include <memory>
#include <unordered_map>

void DeliverPostedMessages();  // WindowHandles.cpp

namespace {

// --- Shared state -------------------------------------------------------------------

class TQueueWaker final : public QObject {
protected:
    void customEvent(QEvent*) override { DeliverPostedMessages(); }
};

struct TCaretState {
    HWND Window = HWND_NONE;
    HBITMAP Bitmap = nullptr;
    int32_t Width = 0;
    int32_t Height = 0;
    TPoint Pos;
    int HideCount = 0;
    bool BlinkOn = true;
};

struct TClickState {
    HWND Window = HWND_NONE;
    Qt::MouseButton Button = Qt::NoButton;
    uint32_t Time = 0;
    QPoint Pos;
    bool WasDouble = false;
};

struct TBackend {
    std::unordered_map<HWND, TNativeWindow*> Natives;
    TQueueWaker* Waker = nullptr;
    std::map<std::pair<HWND, uintptr_t>, QTimer*> Timers;
    HWND Focus = HWND_NONE;
    HWND Capture = HWND_NONE;
    TCaretState Caret;
    QTimer* CaretTimer = nullptr;
    TClickState LastClick;
    int EventDepth = 0;
    HCURSOR Cursor = 0;
    HCURSOR OverrideCursor = 0;
    std::map<HCURSOR, QCursor> CustomCursors;
    HCURSOR NextCursor = 0x40000;
};

TBackend& Backend()
{
    static TBackend backend;
    return backend;
}

QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

TRect ToTRect(const QRect& r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

struct TEventDepthGuard {
    TEventDepthGuard() { ++Backend().EventDepth; }
    ~TEventDepthGuard() { --Backend().EventDepth; }
};

void SetSidedMessageKey(uint32_t vk, LPARAM data, bool down)
{
    SetMessageKeyDown(vk, down);
    const bool ext = (data & KEYDATA_EXTENDED) != 0;
    const uint32_t scan = (static_cast<uint32_t>(data) >> 16) & 0xFF;
    if (vk == VK_SHIFT)
        SetMessageKeyDown(scan == 0x36 ? VK_RSHIFT : VK_LSHIFT, down);
    else if (vk == VK_CONTROL)
        SetMessageKeyDown(ext ? VK_RCONTROL : VK_LCONTROL, down);
    else if (vk == VK_MENU)
        SetMessageKeyDown(ext ? VK_RMENU : VK_LMENU, down);
}

// Hands input to its window as a message from the queue: the key state as of
// this message is brought up to date first, and the message hook sees it.
void DeliverInput(HWND target, UINT msg, WPARAM w, LPARAM l, uint32_t time, TPoint screen)
{
    switch (msg) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: SetSidedMessageKey(static_cast<uint32_t>(w), l, true); break;
    case WM_KEYUP: case WM_SYSKEYUP: SetSidedMessageKey(static_cast<uint32_t>(w), l, false); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: SetMessageKeyDown(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: SetMessageKeyDown(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: SetMessageKeyDown(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: SetMessageKeyDown(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: SetMessageKeyDown(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: SetMessageKeyDown(VK_MBUTTON, false); break;
    default: break;
    }
    TMsg m;
    m.hwnd = target;
    m.message = msg;
    m.wParam = w;
    m.lParam = l;
    m.time = time;
    m.ptX = screen.X;
    m.ptY = screen.Y;
    DeliverQueuedMessage(m);
}

uint32_t EventTime(const QInputEvent* e)
{
    return e->timestamp() != 0 ? static_cast<uint32_t>(e->timestamp()) : GetTickCount();
}

uint32_t MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    uint32_t f = 0;
    if (buttons & Qt::LeftButton)
        f |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        f |= MK_MBUTTON;
    if ((mods & Qt::ShiftModifier) || GetAsyncKeyState(VK_SHIFT) < 0)
        f |= MK_SHIFT;
    if ((mods & Qt::ControlModifier) || GetAsyncKeyState(VK_CONTROL) < 0)
        f |= MK_CONTROL;
    return f;
}

Qt::CursorShape StandardShape(HCURSOR id)
{
    switch (id) {
    case IDC_IBEAM: return Qt::IBeamCursor;
    case IDC_WAIT: return Qt::WaitCursor;
    case IDC_CROSS: return Qt::CrossCursor;
    case IDC_UPARROW: return Qt::UpArrowCursor;
    case IDC_SIZENWSE: return Qt::SizeFDiagCursor;
    case IDC_SIZENESW: return Qt::SizeBDiagCursor;
    case IDC_SIZEWE: return Qt::SizeHorCursor;
    case IDC_SIZENS: return Qt::SizeVerCursor;
    case IDC_SIZEALL: return Qt::SizeAllCursor;
    case IDC_NO: return Qt::ForbiddenCursor;
    case IDC_HAND: return Qt::PointingHandCursor;
    case IDC_APPSTARTING: return Qt::BusyCursor;
    case IDC_HELP: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
    }
}

QCursor CursorOf(HCURSOR c)
{
    auto it = Backend().CustomCursors.find(c);
    if (it != Backend().CustomCursors.end())
        return it->second;
    return QCursor(StandardShape(c));
}

QRect CaretRect()
{
    const TCaretState& c = Backend().Caret;
    return QRect(c.Pos.X, c.Pos.Y, std::max(1, c.Width), std::max(1, c.Height));
}

void RefreshCaret()
{
    if (TNativeWindow* n = NativeOf(Backend().Caret.Window))
        n->update(CaretRect());
}

void DropTimersOf(HWND window)
{
    auto& timers = Backend().Timers;
    for (auto it = timers.begin(); it != timers.end();) {
        if (it->first.first == window) {
            it->second->stop();
            it->second->deleteLater();
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace

// --- Window widget -----------------------------------------------------------------------

TNativeWindow* NativeOf(HWND window)
{
    auto& n = Backend().Natives;
    auto it = n.find(window);
    return it == n.end() || it->second->Dead ? nullptr : it->second;
}

TNativeWindow* NativeAt(QWidget* widget)
{
    while (widget) {
        if (auto* n = dynamic_cast<TNativeWindow*>(widget))
            return n;
        widget = widget->parentWidget();
    }
    return nullptr;
}

TNativeWindow::TNativeWindow(HWND handle, const TWindowParams& params, QWidget* parent)
    : QWidget(parent), Handle(handle), Kind(params.Kind)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);  // the layer moves the focus itself
    setMouseTracking(true);
    setAcceptDrops(true);
    if (Kind == TWindowKind::TopLevel || Kind == TWindowKind::MdiFrame) {
        Qt::WindowFlags flags = Qt::Window;
        if (params.Borderless)
            flags |= Qt::FramelessWindowHint;
        if (params.ExStyle & WS_EX_TOPMOST)
            flags |= Qt::WindowStaysOnTopHint;
        if (params.ExStyle & WS_EX_TOOLWINDOW)
            flags |= Qt::Tool;
        setWindowFlags(flags);
    }
    if (Kind == TWindowKind::MdiFrame) {
        MdiArea = new QMdiArea(this);
        MdiArea->setGeometry(rect());
        MdiArea->show();
        QObject::connect(MdiArea, &QMdiArea::subWindowActivated, MdiArea, [this](QMdiSubWindow* sub) {
            TNativeWindow* child = sub ? NativeAt(sub->widget()) : nullptr;
            HWND next = child ? child->Handle : HWND_NONE;
            HWND prev = ActiveMdiChild;
            if (next == prev || Dead)
                return;
            ActiveMdiChild = next;
            if (prev != HWND_NONE && IsWindow(prev))
                SendMessage(prev, WM_MDIACTIVATE, prev, static_cast<LPARAM>(next));
            if (next != HWND_NONE && IsWindow(next))
                SendMessage(next, WM_MDIACTIVATE, prev, static_cast<LPARAM>(next));
        });
    }
    setWindowTitle(QString::fromStdU16String(ToWide(params.Caption, 1252)));
}

TNativeWindow::~TNativeWindow()
{
    if (Back)
        DeleteObject(Back);
}

QRect TNativeWindow::WindowRect()
{
    QWidget* outer = Outer();
    if (Kind == TWindowKind::TopLevel || Kind == TWindowKind::MdiFrame)
        return QRect(outer->pos(), outer->size());
    return outer->geometry();
}

void TNativeWindow::ReportGeometry()
{
    if (Dead)
        return;
    QRect r = WindowRect();
    QSize client = size();
    if (FReportedOnce && r == FReported && client == FReportedClient)
        return;
    WINDOWPOS wp;
    wp.hwnd = Handle;
    wp.x = r.x();
    wp.y = r.y();
    wp.cx = r.width();
    wp.cy = r.height();
    wp.flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (FReportedOnce && r.topLeft() == FReported.topLeft())
        wp.flags |= SWP_NOMOVE;
    if (FReportedOnce && r.size() == FReported.size() && client == FReportedClient)
        wp.flags |= SWP_NOSIZE;
    FReported = r;
    FReportedClient = client;
    FReportedOnce = true;
    if (MdiArea && MdiArea->geometry() == QRect() )
        MdiArea->setGeometry(rect());
    SendMessage(Handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
}

void TNativeWindow::EnsureBackBuffer()
{
    const int w = std::max(1, width()), h = std::max(1, height());
    TDibImage current;
    if (Back && GetBitmapDib(Back, &current) && current.Width == w && current.Height == h)
        return;
    TDibImage image;
    AllocateDib(image, w, h, 32);
    // Keep what was drawn where the sizes overlap.
    if (!current.Empty()) {
        const int cw = std::min(w, current.Width), ch = std::min(h, current.Height);
        for (int y = 0; y < ch; ++y)
            std::memcpy(image.Row(y), current.Row(y), static_cast<size_t>(cw) * 4);
    } else {
        std::fill(image.Bits.begin(), image.Bits.end(), 0xFF);
    }
    HBITMAP fresh = CreateBitmapFromDib(std::move(image));
    if (Back)
        DeleteObject(Back);
    Back = fresh;
}

HBITMAP TNativeWindow::SurfaceBitmap()
{
    EnsureBackBuffer();
    return Back;
}

void TNativeWindow::SurfaceChanged(const TRect& deviceRect)
{
    if (!Dead)
        update(ToQRect(deviceRect));
}

void TNativeWindow::Invalidate(const QRegion& region, bool erase)
{
    QRegion r = region.intersected(rect());
    if (r.isEmpty())
        return;
    Update += r;
    EraseNeeded = EraseNeeded || erase;
    update(r);
}

void TNativeWindow::PaintMessage()
{
    if (Dead || Update.isEmpty())
        return;
    HWND self = Handle;
    SendMessage(self, WM_PAINT, 0, 0);
    if (!IsWindow(self))
        return;
    if (!Update.isEmpty())
        DefWindowProc(self, WM_PAINT, 0, 0);  // a handler that did not paint validates nothing
}

bool TNativeWindow::event(QEvent* e)
{
    if (Dead)
        return QWidget::event(e);
    TEventDepthGuard guard;
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        KeyEvent(static_cast<QKeyEvent*>(e));
        return true;
    case QEvent::ShortcutOverride:
        e->accept();  // every key reaches the window
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        MouseEvent(static_cast<QMouseEvent*>(e));
        return true;
    case QEvent::Wheel:
        WheelEvent(static_cast<QWheelEvent*>(e));
        return true;
    case QEvent::Enter:
        SendMessage(Handle, CM_MOUSEENTER, 0, 0);
        return true;
    case QEvent::Leave:
        SendMessage(Handle, CM_MOUSELEAVE, 0, 0);
        return true;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        return true;  // the layer's own focus moves send the messages
    default:
        return QWidget::event(e);
    }
}

bool TNativeWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (!Dead && watched == SubWindow && (e->type() == QEvent::Move || e->type() == QEvent::Resize))
        QTimer::singleShot(0, this, [self = QPointer<TNativeWindow>(this)] {
            if (self)
                self->ReportGeometry();
        });
    if (!Dead && watched == SubWindow && e->type() == QEvent::Close) {
        // The child's close box: the window decides (WM_CLOSE).
        e->ignore();
        PostMessage(Handle, WM_CLOSE, 0, 0);
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void TNativeWindow::paintEvent(QPaintEvent* e)
{
    if (Dead)
        return;
    TEventDepthGuard guard;
    PaintMessage();
    if (Dead)
        return;
    EnsureBackBuffer();
    QPainter p(this);
    if (auto bitmap = FindGdiObject<TBitmapObject>(Back)) {
        if (bitmap->PaintedBy)
            bitmap->PaintedBy->EndPainter();
        if (QImage* image = bitmap->PaintImage()) {
            for (const QRect& r : e->region())
                p.drawImage(r, *image, r);
        }
    }
    const TCaretState& c = Backend().Caret;
    if (c.Window == Handle && c.HideCount == 0 && c.BlinkOn) {
        // The caret is inverted over what the window drew.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        if (c.Bitmap) {
            if (auto bitmap = FindGdiObject<TBitmapObject>(c.Bitmap))
                if (QImage* image = bitmap->PaintImage())
                    p.drawImage(QPoint(c.Pos.X, c.Pos.Y), *image);
        } else {
            p.fillRect(CaretRect(), Qt::white);
        }
    }
}

void TNativeWindow::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (Dead)
        return;
    TEventDepthGuard guard;
    Invalidate(QRegion(rect()), true);
    ReportGeometry();
}

void TNativeWindow::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    if (Dead)
        return;
    TEventDepthGuard guard;
    ReportGeometry();
}

void TNativeWindow::closeEvent(QCloseEvent* e)
{
    e->ignore();
    if (Dead)
        return;
    TEventDepthGuard guard;
    SendMessage(Handle, WM_CLOSE, 0, 0);
}

void TNativeWindow::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (Dead || !isWindow())
        return;
    TEventDepthGuard guard;
    if (e->type() == QEvent::ActivationChange)
        SendMessage(Handle, WM_ACTIVATE, isActiveWindow() ? WA_ACTIVE : WA_INACTIVE, 0);
    else if (e->type() == QEvent::WindowStateChange)
        ReportGeometry();
}

// --- Drops ----------------------------------------------------------------------------------

namespace {

uint32_t EffectOf(Qt::DropActions actions)
{
    uint32_t e = 0;
    if (actions & Qt::CopyAction)
        e |= DROPEFFECT_COPY;
    if (actions & Qt::MoveAction)
        e |= DROPEFFECT_MOVE;
    if (actions & Qt::LinkAction)
        e |= DROPEFFECT_LINK;
    return e;
}

// The one action of an effect the target answered, within what the source allows.
Qt::DropAction ActionOf(uint32_t effect, Qt::DropActions allowed)
{
    if ((effect & DROPEFFECT_MOVE) && (allowed & Qt::MoveAction))
        return Qt::MoveAction;
    if ((effect & DROPEFFECT_COPY) && (allowed & Qt::CopyAction))
        return Qt::CopyAction;
    if ((effect & DROPEFFECT_LINK) && (allowed & Qt::LinkAction))
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

TPoint DropPoint(QWidget* w, const QDropEvent* e)
{
    QPoint g = w->mapToGlobal(e->position().toPoint());
    return {g.x(), g.y()};
}

} // namespace

void TNativeWindow::dragEnterEvent(QDragEnterEvent* e)
{
    TDropTarget* target = Dead ? nullptr : DropTargetOf(Handle);
    if (!target || !e->mimeData()) {
        e->ignore();
        return;
    }
    TEventDepthGuard guard;
    uint32_t effect = EffectOf(e->possibleActions());
    target->DragEnter(DataObjectFromMime(*e->mimeData()), MouseKeyFlags(e->buttons(), e->modifiers()),
                      DropPoint(this, e), effect);
    Qt::DropAction action = ActionOf(effect, e->possibleActions());
    e->setDropAction(action == Qt::IgnoreAction ? e->proposedAction() : action);
    e->accept();  // the target sees the moves even when it refuses for now
    if (action == Qt::IgnoreAction)
        e->setDropAction(Qt::IgnoreAction);
}

void TNativeWindow::dragMoveEvent(QDragMoveEvent* e)
{
    TDropTarget* target = Dead ? nullptr : DropTargetOf(Handle);
    if (!target) {
        e->ignore();
        return;
    }
    TEventDepthGuard guard;
    uint32_t effect = EffectOf(e->possibleActions());
    target->DragOver(MouseKeyFlags(e->buttons(), e->modifiers()), DropPoint(this, e), effect);
    Qt::DropAction action = ActionOf(effect, e->possibleActions());
    if (action == Qt::IgnoreAction) {
        e->ignore();
    } else {
        e->setDropAction(action);
        e->accept();
    }
}

void TNativeWindow::dragLeaveEvent(QDragLeaveEvent* e)
{
    if (TDropTarget* target = Dead ? nullptr : DropTargetOf(Handle)) {
        TEventDepthGuard guard;
        target->DragLeave();
    }
    e->accept();
}

void TNativeWindow::dropEvent(QDropEvent* e)
{
    TDropTarget* target = Dead ? nullptr : DropTargetOf(Handle);
    if (!target || !e->mimeData()) {
        e->ignore();
        return;
    }
    TEventDepthGuard guard;
    uint32_t effect = EffectOf(e->possibleActions());
    target->Drop(DataObjectFromMime(*e->mimeData()), MouseKeyFlags(e->buttons(), e->modifiers()), DropPoint(this, e),
                 effect);
    Qt::DropAction action = ActionOf(effect, e->possibleActions());
    if (action == Qt::IgnoreAction) {
        e->ignore();
    } else {
        e->setDropAction(action);
        e->accept();
    }
}

// --- Input ------------------------------------------------------------------------------------

void TNativeWindow::KeyEvent(QKeyEvent* e)
{
    std::vector<TKeyMessage> messages = TranslateKeyEvent(*e);
    HWND target = IsWindow(Backend().Focus) ? Backend().Focus : Handle;
    const uint32_t time = EventTime(e);
    TPoint pos;
    GetCursorPos(&pos);
    for (const TKeyMessage& m : messages) {
        if (!IsWindow(target))
            break;  // the window went away while handling the key
        DeliverInput(target, m.Msg, m.WParam, m.LParam, time, pos);
    }
}

void TNativeWindow::MouseEvent(QMouseEvent* e)
{
    auto& b = Backend();
    const QPoint global = e->globalPosition().toPoint();
    HWND target = IsWindow(b.Capture) ? b.Capture : Handle;
    TNativeWindow* tn = NativeOf(target);
    if (!tn)
        return;
    // While no capture holds the mouse, a button held since a press elsewhere
    // still reports here (Qt's implicit grab), as the original platform does
    // only with a capture: the messages then go to the window under the mouse.
    const QPoint local = tn->mapFromGlobal(global);
    const uint32_t time = EventTime(e);
    const TPoint screen{global.x(), global.y()};
    const Qt::MouseButton button = e->button();
    uint32_t flags = MouseKeyFlags(e->buttons(), e->modifiers());
    const LPARAM lp = MakeLParam(local.x(), local.y());
    for (uint32_t vk : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
        SetAsyncKeyDown(vk, (vk == VK_LBUTTON && (e->buttons() & Qt::LeftButton)) ||
                                (vk == VK_RBUTTON && (e->buttons() & Qt::RightButton)) ||
                                (vk == VK_MBUTTON && (e->buttons() & Qt::MiddleButton)));

    UINT down = 0, up = 0;
    if (button == Qt::LeftButton) {
        down = WM_LBUTTONDOWN;
        up = WM_LBUTTONUP;
    } else if (button == Qt::RightButton) {
        down = WM_RBUTTONDOWN;
        up = WM_RBUTTONUP;
    } else if (button == Qt::MiddleButton) {
        down = WM_MBUTTONDOWN;
        up = WM_MBUTTONUP;
    }
    switch (e->type()) {
    case QEvent::MouseMove:
        DeliverInput(target, WM_MOUSEMOVE, flags, lp, time, screen);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!down)
            break;
        // Double clicks are decided here, from the time and place of the
        // presses, so that they do not depend on how the desktop reports them.
        TClickState& last = b.LastClick;
        const int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        const bool dbl = last.Window == target && last.Button == button && !last.WasDouble &&
                         time - last.Time <= GetDoubleClickTime() && std::abs(last.Pos.x() - global.x()) <= dx &&
                         std::abs(last.Pos.y() - global.y()) <= dy;
        last = {target, button, time, global, dbl};
        DeliverInput(target, dbl ? down + 2 : down, flags, lp, time, screen);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (up)
            DeliverInput(target, up, flags, lp, time, screen);
        break;
    default:
        break;
    }
}

void TNativeWindow::WheelEvent(QWheelEvent* e)
{
    auto& b = Backend();
    HWND target = IsWindow(b.Focus) ? b.Focus : Handle;
    const QPoint global = e->globalPosition().toPoint();
    int delta = e->angleDelta().y();
    if (delta == 0)
        delta = e->angleDelta().x();
    if (delta == 0)
        return;
    delta = std::clamp(delta, -32768, 32767);
    const uint32_t flags = MouseKeyFlags(e->buttons(), e->modifiers());
    DeliverInput(target, WM_MOUSEWHEEL, MakeWParam(static_cast<int32_t>(flags), delta),
                 MakeLParam(global.x(), global.y()), EventTime(e), {global.x(), global.y()});
}

// --- Table services ------------------------------------------------------------------------------

void BackendWakeQueue()
{
    auto& b = Backend();
    if (!QCoreApplication::instance())
        return;
    if (!b.Waker)
        b.Waker = new TQueueWaker;
    QCoreApplication::postEvent(b.Waker, new QEvent(QEvent::User));
}

void BackendCreateNative(TWindowRecord& record, const TWindowParams& params)
{
    QWidget* parent = nullptr;
    TNativeWindow* parentNative = NativeOf(params.Parent);
    if (params.Kind == TWindowKind::Child && parentNative)
        parent = parentNative;
    auto* n = new TNativeWindow(record.Handle, params, parent);
    record.Native = n;
    Backend().Natives[record.Handle] = n;
    if (params.Kind == TWindowKind::MdiChild && parentNative && parentNative->MdiArea) {
        n->SubWindow = parentNative->MdiArea->addSubWindow(n);
        n->SubWindow->setAttribute(Qt::WA_DeleteOnClose, false);
        n->SubWindow->installEventFilter(n);
        n->SubWindow->setGeometry(ToQRect(params.Bounds));
        n->SubWindow->hide();
    } else if (params.Kind == TWindowKind::Child) {
        n->setGeometry(ToQRect(params.Bounds));
    } else {
        n->setGeometry(ToQRect(params.Bounds));
    }
    if (params.Style & WS_DISABLED)
        n->setEnabled(false);
    if (params.Style & WS_VISIBLE)
        n->Outer()->show();
}

void BackendDestroyNative(TWindowRecord& record)
{
    auto& b = Backend();
    auto it = b.Natives.find(record.Handle);
    if (it == b.Natives.end())
        return;
    TNativeWindow* n = it->second;
    b.Natives.erase(it);
    for (HDC dc : std::set<HDC>(n->SurfaceDCs))
        DeleteDC(dc);
    n->SurfaceDCs.clear();
    n->Dead = true;
    n->removeEventFilter(n);
    QWidget* outer = n->Outer();
    if (n->SubWindow && n->SubWindow->mdiArea())
        n->SubWindow->mdiArea()->removeSubWindow(n->SubWindow);
    outer->hide();
    record.Native = nullptr;
    // A widget inside one of its own event handlers (or an ancestor's) is
    // deleted once the loop is back; otherwise at once.
    if (b.EventDepth > 0)
        outer->deleteLater();
    else
        delete outer;
}

void BackendWindowDestroyed(HWND window)
{
    auto& b = Backend();
    DropTimersOf(window);
    if (b.Caret.Window == window)
        DestroyCaret();
    if (b.Capture == window)
        b.Capture = HWND_NONE;
    if (b.Focus == window)
        b.Focus = HWND_NONE;
    if (b.LastClick.Window == window)
        b.LastClick = {};
    for (auto& [h, n] : b.Natives)
        if (n->ActiveMdiChild == window)
            n->ActiveMdiChild = HWND_NONE;
}

void ProcessPendingMessages(bool wait)
{
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
    if (Backend().EventDepth == 0)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// --- Default handling ----------------------------------------------------------------------------

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(window))
        return 0;
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 0;
    case WM_WINDOWPOSCHANGED: {
        const auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!wp)
            return 0;
        if (!(wp->flags & SWP_NOSIZE)) {
            TRect client;
            GetClientRect(window, &client);
            uint32_t kind = IsIconic(window) ? SIZE_MINIMIZED : IsZoomed(window) ? SIZE_MAXIMIZED : SIZE_RESTORED;
            SendMessage(window, WM_SIZE, kind, MakeLParam(client.Right, client.Bottom));
        }
        if (IsWindow(window) && !(wp->flags & SWP_NOMOVE))
            SendMessage(window, WM_MOVE, 0, MakeLParam(wp->x, wp->y));
        return 0;
    }
    case WM_RBUTTONUP: {
        TPoint p{GetXLParam(lParam), GetYLParam(lParam)};
        ClientToScreen(window, &p);
        SendMessage(window, WM_CONTEXTMENU, window, MakeLParam(p.X, p.Y));
        return 0;
    }
    case WM_CONTEXTMENU: {
        // Not handled: the parent may show its menu.
        TWindowRecord* r = FindWindowRecord(window);
        if (r && r->Kind == TWindowKind::Child && IsWindow(r->Parent))
            return SendMessage(r->Parent, WM_CONTEXTMENU, wParam, lParam);
        return 0;
    }
    case WM_SETCURSOR:
        return 0;
    case WM_MOUSEACTIVATE:
        return 1;  // MA_ACTIVATE
    case WM_GETMINMAXINFO:
        return 0;
    case WM_SYSCOMMAND:
        return 0;
    default:
        return 0;
    }
}

// --- Geometry ----------------------------------------------------------------------------------------

bool SetWindowPos(HWND window, HWND insertAfter, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t flags)
{
    TNativeWindow* n = NativeOf(window);
    if (!n) {
        SetLastWindowError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    QRect current = n->WindowRect();
    WINDOWPOS wp;
    wp.hwnd = window;
    wp.hwndInsertAfter = insertAfter;
    wp.x = (flags & SWP_NOMOVE) ? current.x() : x;
    wp.y = (flags & SWP_NOMOVE) ? current.y() : y;
    wp.cx = (flags & SWP_NOSIZE) ? current.width() : cx;
    wp.cy = (flags & SWP_NOSIZE) ? current.height() : cy;
    wp.flags = flags;
    SendMessage(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    n = NativeOf(window);
    if (!n)
        return false;
    QWidget* outer = n->Outer();
    if (!(wp.flags & SWP_NOSIZE) || !(wp.flags & SWP_NOMOVE)) {
        QRect r(wp.x, wp.y, std::max(0, wp.cx), std::max(0, wp.cy));
        if (n->isWindow() && !n->SubWindow) {
            n->move(r.topLeft());
            n->resize(r.size());
        } else {
            outer->setGeometry(r);
        }
    }
    if (wp.flags & SWP_SHOWWINDOW)
        outer->show();
    if (wp.flags & SWP_HIDEWINDOW)
        outer->hide();
    if (!(wp.flags & SWP_NOZORDER) && !(wp.flags & SWP_NOACTIVATE))
        outer->raise();
    n->ReportGeometry();
    return IsWindow(window);
}

bool MoveWindow(HWND window, int32_t x, int32_t y, int32_t width, int32_t height, bool repaint)
{
    bool ok = SetWindowPos(window, HWND_NONE, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (ok && repaint)
        InvalidateRect(window, nullptr, true);
    return ok;
}

bool GetWindowRect(HWND window, TRect* rect)
{
    TNativeWindow* n = NativeOf(window);
    if (!n || !rect)
        return false;
    QWidget* outer = n->Outer();
    QPoint tl = outer->isWindow() ? outer->pos() : outer->mapToGlobal(QPoint(0, 0));
    *rect = ToTRect(QRect(tl, outer->size()));
    return true;
}

bool GetClientRect(HWND window, TRect* rect)
{
    TNativeWindow* n = NativeOf(window);
    if (!n || !rect)
        return false;
    *rect = {0, 0, n->width(), n->height()};
    return true;
}

bool ClientToScreen(HWND window, TPoint* point)
{
    TNativeWindow* n = NativeOf(window);
    if (!n || !point)
        return false;
    QPoint g = n->mapToGlobal(QPoint(point->X, point->Y));
    *point = {g.x(), g.y()};
    return true;
}

bool ScreenToClient(HWND window, TPoint* point)
{
    TNativeWindow* n = NativeOf(window);
    if (!n || !point)
        return false;
    QPoint l = n->mapFromGlobal(QPoint(point->X, point->Y));
    *point = {l.x(), l.y()};
    return true;
}

int MapWindowPoints(HWND from, HWND to, TPoint* points, int count)
{
    if ((from != HWND_NONE && !NativeOf(from)) || (to != HWND_NONE && !NativeOf(to)))
        return 0;
    for (int i = 0; i < count; ++i) {
        if (from != HWND_NONE)
            ClientToScreen(from, &points[i]);
        if (to != HWND_NONE)
            ScreenToClient(to, &points[i]);
    }
    return 1;
}

HWND WindowFromPoint(TPoint screenPoint)
{
    QWidget* w = QApplication::widgetAt(QPoint(screenPoint.X, screenPoint.Y));
    TNativeWindow* n = NativeAt(w);
    return n && !n->Dead ? n->Handle : HWND_NONE;
}

bool ShowWindow(HWND window, int command)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    QWidget* outer = n->Outer();
    const bool wasVisible = outer->isVisible();
    switch (command) {
    case SW_HIDE: outer->hide(); break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE: outer->showMinimized(); break;
    case SW_SHOWMAXIMIZED: outer->showMaximized(); break;
    case SW_RESTORE:
    case SW_SHOWNORMAL: outer->showNormal(); break;
    default: outer->show(); break;
    }
    if (n->SubWindow && command != SW_HIDE && command != SW_SHOWNOACTIVATE)
        n->show();
    if (TNativeWindow* again = NativeOf(window))
        again->ReportGeometry();
    return wasVisible;
}

bool IsWindowVisible(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    return n && n->Outer()->isVisible();
}

bool IsIconic(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    return n && n->Outer()->isMinimized();
}

bool IsZoomed(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    return n && n->Outer()->isMaximized();
}

bool EnableWindow(HWND window, bool enable)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    const bool wasDisabled = !n->isEnabled();
    if (wasDisabled == enable) {
        n->setEnabled(enable);
        SendMessage(window, WM_ENABLE, enable ? 1 : 0, 0);
    }
    return wasDisabled;
}

bool IsWindowEnabled(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    return n && n->isEnabled();
}

bool SetWindowText(HWND window, const std::string& text)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    QString title = QString::fromStdU16String(ToWide(text, 1252));
    n->setWindowTitle(title);
    if (n->SubWindow)
        n->SubWindow->setWindowTitle(title);
    return true;
}

std::string GetWindowText(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    return n ? FromWide(n->windowTitle().toStdU16String(), 1252) : std::string();
}

bool BringWindowToTop(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    n->Outer()->raise();
    return true;
}

bool SetForegroundWindow(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    n->window()->raise();
    n->window()->activateWindow();
    return true;
}

HWND GetActiveWindow()
{
    TNativeWindow* n = NativeAt(QApplication::activeWindow());
    return n && !n->Dead ? n->Handle : HWND_NONE;
}

bool SetWindowTopmost(HWND window, bool topmost)
{
    TNativeWindow* n = NativeOf(window);
    if (!n || !n->isWindow())
        return false;
    const bool visible = n->isVisible();
    n->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible)
        n->show();
    return true;
}

// --- MDI ----------------------------------------------------------------------------------------------

std::vector<HWND> MdiChildren(HWND frame)
{
    std::vector<HWND> out;
    TNativeWindow* n = NativeOf(frame);
    if (!n || !n->MdiArea)
        return out;
    const auto list = n->MdiArea->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (TNativeWindow* c = NativeAt((*it)->widget()); c && !c->Dead)
            out.push_back(c->Handle);
    return out;
}

HWND MdiActiveChild(HWND frame)
{
    TNativeWindow* n = NativeOf(frame);
    return n && n->MdiArea && IsWindow(n->ActiveMdiChild) ? n->ActiveMdiChild : HWND_NONE;
}

bool MdiActivate(HWND child)
{
    TNativeWindow* n = NativeOf(child);
    if (!n || !n->SubWindow || !n->SubWindow->mdiArea())
        return false;
    if (!n->SubWindow->isVisible()) {
        n->SubWindow->show();
        n->show();
    }
    n->SubWindow->mdiArea()->setActiveSubWindow(n->SubWindow);
    return true;
}

bool MdiCascade(HWND frame)
{
    TNativeWindow* n = NativeOf(frame);
    if (!n || !n->MdiArea)
        return false;
    n->MdiArea->cascadeSubWindows();
    for (HWND c : MdiChildren(frame))
        if (TNativeWindow* cn = NativeOf(c))
            cn->ReportGeometry();
    return true;
}

bool MdiTile(HWND frame, bool horizontal)
{
    TNativeWindow* n = NativeOf(frame);
    if (!n || !n->MdiArea)
        return false;
    std::vector<TNativeWindow*> tiles;
    for (HWND c : MdiChildren(frame))
        if (TNativeWindow* cn = NativeOf(c); cn && cn->SubWindow && cn->SubWindow->isVisible() &&
                                             !cn->SubWindow->isMinimized())
            tiles.push_back(cn);
    if (tiles.empty())
        return true;
    // In the order of their creation, one above the other (horizontal) or side by side.
    std::sort(tiles.begin(), tiles.end(), [](auto* a, auto* b) { return a->Handle < b->Handle; });
    const QSize area = n->MdiArea->viewport()->size();
    const int count = static_cast<int>(tiles.size());
    for (int i = 0; i < count; ++i) {
        QRect r;
        if (horizontal) {
            const int top = area.height() * i / count, bottom = area.height() * (i + 1) / count;
            r = QRect(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / count, right = area.width() * (i + 1) / count;
            r = QRect(left, 0, right - left, area.height());
        }
        if (tiles[i]->SubWindow->isMaximized())
            tiles[i]->SubWindow->showNormal();
        tiles[i]->SubWindow->setGeometry(r);
        tiles[i]->ReportGeometry();
    }
    return true;
}

bool MdiClientRect(HWND frame, TRect* rect)
{
    TNativeWindow* n = NativeOf(frame);
    if (!n || !n->MdiArea || !rect)
        return false;
    *rect = ToTRect(n->MdiArea->geometry());
    return true;
}

bool SetMdiClientRect(HWND frame, const TRect& rect)
{
    TNativeWindow* n = NativeOf(frame);
    if (!n || !n->MdiArea)
        return false;
    n->MdiArea->setGeometry(ToQRect(rect));
    n->MdiArea->lower();
    return true;
}

// --- Focus and capture -----------------------------------------------------------------------------------

HWND SetFocus(HWND window)
{
    auto& b = Backend();
    if (window != HWND_NONE && !NativeOf(window)) {
        SetLastWindowError(ERROR_INVALID_WINDOW_HANDLE);
        return HWND_NONE;
    }
    HWND old = IsWindow(b.Focus) ? b.Focus : HWND_NONE;
    if (old == window)
        return old;
    b.Focus = window;
    ResetKeyTranslation();
    if (old != HWND_NONE)
        SendMessage(old, WM_KILLFOCUS, window, 0);
    if (window != HWND_NONE && b.Focus == window) {
        if (TNativeWindow* n = NativeOf(window)) {
            n->setFocus(Qt::OtherFocusReason);
            SendMessage(window, WM_SETFOCUS, old, 0);
        }
    }
    return old;
}

HWND GetFocus()
{
    HWND f = Backend().Focus;
    return IsWindow(f) ? f : HWND_NONE;
}

HWND SetCapture(HWND window)
{
    auto& b = Backend();
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return HWND_NONE;
    HWND old = IsWindow(b.Capture) ? b.Capture : HWND_NONE;
    b.Capture = window;
    // The layer routes captured input itself; the desktop's grab keeps the
    // mouse when it leaves the program's windows (where the platform has one).
    if (n->isVisible() && QGuiApplication::platformName() != QLatin1String("offscreen"))
        n->grabMouse();
    if (old != HWND_NONE && old != window)
        SendMessage(old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(window));
    return old;
}

bool ReleaseCapture()
{
    auto& b = Backend();
    HWND old = b.Capture;
    b.Capture = HWND_NONE;
    if (TNativeWindow* n = NativeOf(old)) {
        if (QWidget::mouseGrabber() == n)
            n->releaseMouse();
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    }
    return true;
}

HWND GetCapture()
{
    HWND c = Backend().Capture;
    return IsWindow(c) ? c : HWND_NONE;
}

bool GetCursorPos(TPoint* point)
{
    if (!point)
        return false;
    QPoint p = QCursor::pos();
    *point = {p.x(), p.y()};
    return true;
}

bool SetCursorPos(int32_t x, int32_t y)
{
    QCursor::setPos(x, y);
    return true;
}

uint32_t GetDoubleClickTime()
{
    int t = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    return t > 0 ? static_cast<uint32_t>(t) : 500;
}

uint32_t GetCaretBlinkTime()
{
    int flash = QGuiApplication::styleHints()->cursorFlashTime();
    return flash > 0 ? static_cast<uint32_t>(flash / 2) : 530;
}

int GetSystemMetrics(int index)
{
    const int dpi = ScreenDpi();
    auto scaled = [dpi](int v) { return (v * dpi + 48) / 96; };
    const QRect work = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                        : QRect(0, 0, 1024, 768);
    switch (index) {
    case SM_CXSCREEN: return GetScreenSize().cx;
    case SM_CYSCREEN: return GetScreenSize().cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return scaled(17);
    case SM_CYCAPTION: return scaled(19);
    case SM_CYMENU: return scaled(19);
    case SM_CXFRAME:
    case SM_CYFRAME: return scaled(4);
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return scaled(4);
    case SM_CXEDGE:
    case SM_CYEDGE: return scaled(2);
    case SM_CXSIZE:
    case SM_CYSIZE: return scaled(18);
    case SM_CXMAXIMIZED: return work.width() + 2 * scaled(4);
    case SM_CYMAXIMIZED: return work.height() + 2 * scaled(4);
    default: return 0;
    }
}

uint32_t WheelScrollLines()
{
    int lines = QApplication::wheelScrollLines();
    return lines > 0 ? static_cast<uint32_t>(lines) : 3;
}

// --- Timers --------------------------------------------------------------------------------------------------

uintptr_t SetTimer(HWND window, uintptr_t id, uint32_t milliseconds)
{
    if (!NativeOf(window)) {
        SetLastWindowError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto& b = Backend();
    QTimer*& timer = b.Timers[{window, id}];
    if (!timer) {
        timer = new QTimer;
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, timer, [window, id] {
            if (!IsWindow(window))
                return;
            TPoint pos;
            GetCursorPos(&pos);
            DeliverInput(window, WM_TIMER, id, 0, GetTickCount(), pos);
        });
    }
    timer->start(static_cast<int>(std::max<uint32_t>(1, milliseconds)));
    return id;
}

bool KillTimer(HWND window, uintptr_t id)
{
    auto& timers = Backend().Timers;
    auto it = timers.find({window, id});
    if (it == timers.end()) {
        SetLastWindowError(IsWindow(window) ? ERROR_TIMER_NOT_FOUND : ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    // The timer may be the one whose tick is being handled: it goes once the
    // loop is back.
    it->second->stop();
    it->second->deleteLater();
    timers.erase(it);
    return true;
}

// --- Painting ----------------------------------------------------------------------------------------------------

bool InvalidateRect(HWND window, const TRect* rect, bool erase)
{
    TNativeWindow* n = NativeOf(window);
    if (!n) {
        SetLastWindowError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    n->Invalidate(rect ? QRegion(ToQRect(*rect)) : QRegion(n->rect()), erase);
    return true;
}

bool InvalidateRgn(HWND window, HRGN region, bool erase)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    if (!region)
        return InvalidateRect(window, nullptr, erase);
    QRegion r;
    for (const TRect& rc : GetRegionRects(region))
        r += ToQRect(rc);
    n->Invalidate(r, erase);
    return true;
}

bool ValidateRect(HWND window, const TRect* rect)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    if (rect)
        n->Update -= ToQRect(*rect);
    else
        n->Update = QRegion();
    if (n->Update.isEmpty())
        n->EraseNeeded = false;
    return true;
}

bool GetUpdateRect(HWND window, TRect* rect, bool)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    if (rect)
        *rect = n->Update.isEmpty() ? TRect{} : ToTRect(n->Update.boundingRect());
    return !n->Update.isEmpty();
}

int GetUpdateRgn(HWND window, HRGN region, bool)
{
    TNativeWindow* n = NativeOf(window);
    if (!n || !region)
        return RGN_ERROR;
    SetRectRgn(region, 0, 0, 0, 0);
    for (const QRect& r : n->Update) {
        HRGN part = CreateRectRgn(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
        CombineRgn(region, region, part, RGN_OR);
        DeleteObject(part);
    }
    if (n->Update.isEmpty())
        return NULLREGION;
    return n->Update.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

bool UpdateWindow(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    n->PaintMessage();
    return true;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* ps)
{
    TNativeWindow* n = NativeOf(window);
    if (!n || !ps)
        return nullptr;
    const QRegion update = n->Update;
    const bool erase = n->EraseNeeded;
    n->Update = QRegion();
    n->EraseNeeded = false;
    HDC dc = CreateWindowSurfaceDC(n);
    if (!dc)
        return nullptr;
    n->SurfaceDCs.insert(dc);
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    for (const QRect& r : update) {
        HRGN part = CreateRectRgn(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
        CombineRgn(clip, clip, part, RGN_OR);
        DeleteObject(part);
    }
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    ps->hdc = dc;
    ps->rcPaint = update.isEmpty() ? TRect{} : ToTRect(update.boundingRect());
    ps->fErase = false;
    if (erase)
        ps->fErase = SendMessage(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
    return dc;
}

bool EndPaint(HWND window, const PAINTSTRUCT* ps)
{
    if (!ps || !ps->hdc)
        return false;
    ReleaseDC(window, ps->hdc);
    return true;
}

HDC GetDC(HWND window)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return nullptr;
    HDC dc = CreateWindowSurfaceDC(n);
    if (dc)
        n->SurfaceDCs.insert(dc);
    return dc;
}

int ReleaseDC(HWND window, HDC dc)
{
    if (TNativeWindow* n = NativeOf(window)) {
        if (!n->SurfaceDCs.erase(dc))
            return 0;
        return DeleteDC(dc) ? 1 : 0;
    }
    return 0;
}

bool ScrollWindow(HWND window, int32_t dx, int32_t dy)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    HDC dc = GetDC(window);
    const int w = n->width(), h = n->height();
    BitBlt(dc, dx, dy, w, h, dc, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
    QRegion uncovered(n->rect());
    uncovered -= QRect(dx, dy, w, h);
    n->Update.translate(dx, dy);
    n->Invalidate(uncovered, true);
    return true;
}

// --- Caret ---------------------------------------------------------------------------------------------------------

bool CreateCaret(HWND window, HBITMAP bitmap, int32_t width, int32_t height)
{
    if (!NativeOf(window))
        return false;
    auto& b = Backend();
    DestroyCaret();
    b.Caret = {};
    b.Caret.Window = window;
    b.Caret.Bitmap = bitmap;
    if (bitmap) {
        TDibImage image;
        if (GetBitmapDib(bitmap, &image)) {
            width = image.Width;
            height = image.Height;
        }
    }
    b.Caret.Width = width > 0 ? width : GetSystemMetrics(SM_CXEDGE) / 2 + 1;
    b.Caret.Height = height > 0 ? height : 16;
    b.Caret.HideCount = 1;  // made hidden
    if (!b.CaretTimer) {
        b.CaretTimer = new QTimer;
        QObject::connect(b.CaretTimer, &QTimer::timeout, b.CaretTimer, [] {
            Backend().Caret.BlinkOn = !Backend().Caret.BlinkOn;
            RefreshCaret();
        });
    }
    return true;
}

bool DestroyCaret()
{
    auto& b = Backend();
    if (b.Caret.Window == HWND_NONE)
        return false;
    RefreshCaret();
    if (b.CaretTimer)
        b.CaretTimer->stop();
    b.Caret = {};
    return true;
}

bool ShowCaret(HWND window)
{
    auto& b = Backend();
    if (b.Caret.Window == HWND_NONE || (window != HWND_NONE && window != b.Caret.Window))
        return false;
    if (b.Caret.HideCount == 0)
        return true;
    if (--b.Caret.HideCount == 0) {
        b.Caret.BlinkOn = true;
        if (b.CaretTimer)
            b.CaretTimer->start(static_cast<int>(GetCaretBlinkTime()));
        RefreshCaret();
    }
    return true;
}

bool HideCaret(HWND window)
{
    auto& b = Backend();
    if (b.Caret.Window == HWND_NONE || (window != HWND_NONE && window != b.Caret.Window))
        return false;
    if (b.Caret.HideCount++ == 0) {
        if (b.CaretTimer)
            b.CaretTimer->stop();
        RefreshCaret();
    }
    return true;
}

bool SetCaretPos(int32_t x, int32_t y)
{
    auto& b = Backend();
    if (b.Caret.Window == HWND_NONE)
        return false;
    RefreshCaret();
    b.Caret.Pos = {x, y};
    b.Caret.BlinkOn = true;
    RefreshCaret();
    return true;
}

bool GetCaretPos(TPoint* point)
{
    auto& b = Backend();
    if (b.Caret.Window == HWND_NONE || !point)
        return false;
    *point = b.Caret.Pos;
    return true;
}

bool CaretVisible()
{
    auto& b = Backend();
    return b.Caret.Window != HWND_NONE && b.Caret.HideCount == 0;
}

HWND CaretWindow()
{
    return Backend().Caret.Window;
}

// --- Cursors ---------------------------------------------------------------------------------------------------------

HCURSOR LoadCursor(HCURSOR id)
{
    switch (id) {
    case IDC_ARROW: case IDC_IBEAM: case IDC_WAIT: case IDC_CROSS: case IDC_UPARROW: case IDC_SIZENWSE:
    case IDC_SIZENESW: case IDC_SIZEWE: case IDC_SIZENS: case IDC_SIZEALL: case IDC_NO: case IDC_HAND:
    case IDC_APPSTARTING: case IDC_HELP:
        return id;
    default:
        return 0;
    }
}

HCURSOR CreateCursorFromBitmaps(HBITMAP color, HBITMAP mask, int32_t hotX, int32_t hotY)
{
    TDibImage maskImage, colorImage;
    if (!mask || !GetBitmapDib(mask, &maskImage) || maskImage.Empty())
        return 0;
    const bool hasColor = color && GetBitmapDib(color, &colorImage) && !colorImage.Empty();
    // A monochrome cursor's mask holds the AND mask over the XOR mask.
    const int w = maskImage.Width;
    const int h = hasColor ? maskImage.Height : maskImage.Height / 2;
    if (h <= 0)
        return 0;
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool transparent = (DibPixel(maskImage, x, y) & 0xFFFFFF) != 0;
            uint32_t rgb = hasColor ? DibPixel(colorImage, std::min(x, colorImage.Width - 1),
                                               std::min(y, colorImage.Height - 1))
                                    : DibPixel(maskImage, x, y + h);
            image.setPixel(x, y, transparent ? 0 : (0xFF000000u | rgb));
        }
    auto& b = Backend();
    HCURSOR id = b.NextCursor++;
    b.CustomCursors.emplace(id, QCursor(QPixmap::fromImage(image), hotX, hotY));
    return id;
}

bool DestroyCursor(HCURSOR cursor)
{
    return Backend().CustomCursors.erase(cursor) != 0;
}

bool SetWindowCursor(HWND window, HCURSOR cursor)
{
    TNativeWindow* n = NativeOf(window);
    if (!n)
        return false;
    n->CursorId = cursor;
    n->setCursor(CursorOf(cursor ? cursor : IDC_ARROW));
    return true;
}

void SetOverrideCursor(HCURSOR cursor)
{
    auto& b = Backend();
    if (b.OverrideCursor == cursor)
        return;
    if (b.OverrideCursor)
        QApplication::restoreOverrideCursor();
    b.OverrideCursor = cursor;
    if (cursor)
        QApplication::setOverrideCursor(CursorOf(cursor));
}

HCURSOR SetCursor(HCURSOR cursor)
{
    auto& b = Backend();
    HCURSOR old = b.Cursor;
    b.Cursor = cursor;
    TPoint p;
    GetCursorPos(&p);
    HWND under = IsWindow(b.Capture) ? b.Capture : WindowFromPoint(p);
    if (TNativeWindow* n = NativeOf(under))
        n->setCursor(CursorOf(cursor ? cursor : IDC_ARROW));
    return old;
}

HCURSOR GetCursor()
{
    return Backend().Cursor;
}

// --- Screen ---------------------------------------------------------------------------------------------------------

TSize GetScreenSize()
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s)
        return {1024, 768};
    return {s->geometry().width(), s->geometry().height()};
}

TRect ScreenWorkArea()
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? ToTRect(s->availableGeometry()) : TRect{0, 0, 1024, 768};
}

bool ApplicationActive()
{
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}
