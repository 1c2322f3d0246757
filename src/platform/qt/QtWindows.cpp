// The Qt backend of the window layer: one widget per window, Qt's events
// turned into the window messages, the back buffer that WM_PAINT draws on
// shown on the widget, timers, focus, capture, MDI, caret and cursors.
#include "platform/qt/QtWindows.h"
#include "platform/qt/QtWindowState.h"

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


namespace qtwin {

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

} // namespace qtwin

using namespace qtwin;


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

