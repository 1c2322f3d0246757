#include "platform/framework/Timer.h"

#include "platform/framework/Forms.h"
#include "platform/runtime/Exception.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
}

TTimer::~TTimer()
{
    BeginDestroy();
    if (FWindow != HWND_NONE)
        DestroyWindow(FWindow);
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled != FEnabled) {
        FEnabled = enabled;
        UpdateTimer();
    }
}

void TTimer::SetInterval(uint32_t interval)
{
    if (interval != FInterval) {
        FInterval = interval;
        UpdateTimer();
    }
}

void TTimer::SetOnTimer(std::function<void(TTimer* sender)> handler)
{
    FOnTimer = std::move(handler);
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    if (FWindow != HWND_NONE)
        KillTimer(FWindow, 1);
    if (!FEnabled || FInterval == 0 || !FOnTimer || Destroying())
        return;
    if (FWindow == HWND_NONE) {
        TWindowParams p;
        p.Kind = TWindowKind::TopLevel;
        p.Borderless = true;
        FWindow = CreateWindowHandle(this, p);
    }
    if (SetTimer(FWindow, 1, FInterval) == 0)
        throw Exception("Pas assez de timers disponibles");
}

LRESULT TTimer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        try {
            if (FOnTimer)
                FOnTimer(this);  // may free the timer: nothing is touched after
        } catch (const EAbort&) {
        } catch (const std::exception& e) {
            if (Application)
                Application->HandleException(this, e);
        }
        return 0;
    }
    if (message == WM_DESTROY)
        FWindow = HWND_NONE;
    return DefWindowProc(window, message, wParam, lParam);
}
