#pragma once
// TStatusBar: the bar at the bottom of a form, either one simple text or a
// row of panels. Each panel has a width (the last one takes what is left), a
// bevel, an alignment and a text, or is drawn by the bar's OnDrawPanel when
// its style is psOwnerDraw. A size grip may sit at the right end.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Controls.h"

enum class TStatusPanelStyle : uint8_t { psText, psOwnerDraw };
enum class TStatusPanelBevel : uint8_t { pbNone, pbLowered, pbRaised };
enum class TPanelAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

class TStatusBar;

class TStatusPanel {
public:
    explicit TStatusPanel(TStatusBar& bar) : FBar(bar) {}
    const std::string& Text() const { return FText; }
    void SetText(const std::string& text);
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t width);
    TStatusPanelStyle Style() const { return FStyle; }
    void SetStyle(TStatusPanelStyle style);
    TStatusPanelBevel Bevel = TStatusPanelBevel::pbLowered;
    TPanelAlignment Alignment = TPanelAlignment::taLeftJustify;
    int Index() const;

private:
    TStatusBar& FBar;
    std::string FText;
    int32_t FWidth = 50;
    TStatusPanelStyle FStyle = TStatusPanelStyle::psText;
};

class TStatusBar : public TCustomControl {
public:
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    // Panels.
    int PanelCount() const { return static_cast<int>(FPanels.size()); }
    TStatusPanel& Panels(int index) { return *FPanels.at(static_cast<size_t>(index)); }
    TStatusPanel& AddPanel();
    void DeletePanel(int index);
    void ClearPanels();
    // The rectangle of a panel in client coordinates (the inside of its bevel).
    TRect PanelRect(int index);
    // The panel under a client point, or -1.
    int PanelAt(TPoint p);

    // One text over the whole bar in place of the panels.
    bool SimplePanel() const { return FSimplePanel; }
    void SetSimplePanel(bool simple);
    const std::string& SimpleText() const { return FSimpleText; }
    void SetSimpleText(const std::string& text);
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool grip);

    // Draws an owner-drawn panel: the canvas has the bar's font and brush, the
    // rectangle is the panel's inside.
    std::function<void(TStatusBar* sender, TStatusPanel& panel, const TRect& rect)> OnDrawPanel;

    // Called by panels when they change.
    void PanelChanged(TStatusPanel& panel);
    int IndexOf(const TStatusPanel& panel) const;

protected:
    void Paint() override;
    void Resize() override;

private:
    void DrawBevel(TCanvas& canvas, const TRect& r, TStatusPanelBevel bevel);
    std::vector<std::unique_ptr<TStatusPanel>> FPanels;
    bool FSimplePanel = false;
    std::string FSimpleText;
    bool FSizeGrip = true;
};
