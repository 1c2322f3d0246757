#pragma once
// Inside the Qt backend: the widget of a window of the window layer. Nothing
// outside qt/ includes this.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <set>

#include "platform/gdi/DeviceContext.h"
#include "platform/win/WindowTable.h"

class TNativeWindow final : public QWidget, public TWindowSurface {
public:
    TNativeWindow(HWND handle, const TWindowParams& params, QWidget* parent);
    ~TNativeWindow() override;

    HWND Handle;
    TWindowKind Kind;
    bool Dead = false;
    QMdiArea* MdiArea = nullptr;           // MDI frame: its client area
    QPointer<QMdiSubWindow> SubWindow;     // MDI child: its frame
    HWND ActiveMdiChild = HWND_NONE;       // MDI frame: the active child
    QRegion Update;
    bool EraseNeeded = false;
    HBITMAP Back = nullptr;
    std::set<HDC> SurfaceDCs;
    uint32_t CursorId = 0;

    // The outer widget: the MDI frame of a child, else the window itself.
    QWidget* Outer() { return SubWindow ? static_cast<QWidget*>(SubWindow.data()) : this; }
    // Window rectangle in the parent's client coordinates (screen for top-level windows).
    QRect WindowRect();
    // Sends WM_WINDOWPOSCHANGED when the geometry changed since the last report.
    void ReportGeometry();
    // Sends WM_PAINT when the update region is not empty.
    void PaintMessage();
    void Invalidate(const QRegion& region, bool erase);

    HBITMAP SurfaceBitmap() override;
    void SurfaceChanged(const TRect& deviceRect) override;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void MouseEvent(QMouseEvent* e);
    void WheelEvent(QWheelEvent* e);
    void KeyEvent(QKeyEvent* e);
    void EnsureBackBuffer();

    QRect FReported;
    QSize FReportedClient;
    bool FReportedOnce = false;
};

TNativeWindow* NativeOf(HWND window);
// The window widget at or above a widget.
TNativeWindow* NativeAt(QWidget* widget);
