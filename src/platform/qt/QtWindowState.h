#pragma once
// Inside the Qt backend: the state the window widgets and the window services
// share (focus, capture, timers, caret, cursors, the last click).
#include <QCursor>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include <map>
#include <unordered_map>

#include "platform/win/Windows.h"

class QInputEvent;
class TNativeWindow;

void DeliverPostedMessages();  // WindowHandles.cpp

namespace qtwin {

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

TBackend& Backend();

struct TEventDepthGuard {
    TEventDepthGuard() { ++Backend().EventDepth; }
    ~TEventDepthGuard() { --Backend().EventDepth; }
};

QRect ToQRect(const TRect& r);
TRect ToTRect(const QRect& r);
// Hands input to its window as a message from the queue: the key state as of
// this message is brought up to date first, and the message hook sees it.
void DeliverInput(HWND target, UINT msg, WPARAM w, LPARAM l, uint32_t time, TPoint screen);
uint32_t EventTime(const QInputEvent* e);
uint32_t MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
QCursor CursorOf(HCURSOR c);
QRect CaretRect();
void RefreshCaret();
void DropTimersOf(HWND window);

} // namespace qtwin
