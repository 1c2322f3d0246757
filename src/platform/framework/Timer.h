#pragma once
// TTimer: calls OnTimer every Interval milliseconds while Enabled, through a
// window timer of a hidden window of its own.
#include <cstdint>
#include <functional>

#include "platform/framework/Component.h"
#include "platform/win/Windows.h"

class TTimer : public TComponent, private TWindowTarget {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t interval);
    void SetOnTimer(std::function<void(TTimer* sender)> handler);

private:
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void UpdateTimer();

    bool FEnabled = true;
    uint32_t FInterval = 1000;
    std::function<void(TTimer* sender)> FOnTimer;
    HWND FWindow = HWND_NONE;
};
