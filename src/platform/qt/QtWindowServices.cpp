// The window services of the Qt backend: geometry, MDI, focus and capture,
// timers, painting, caret, cursors and the screen.
#include "platform/qt/QtWindows.h"
#include "platform/qt/QtWindowState.h"

#include "platform/qt/GdiBackend.h"
#include "platform/qt/QtInput.h"
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

using namespace qtwin;

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
