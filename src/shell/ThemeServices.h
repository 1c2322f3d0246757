#pragma once
// Theme services: whether the program draws some of its own controls with a
// visual-styles library, the theme data of each element class (opened on
// first use), drawing of elements through it, and the notice of a theme
// change to a listener (the main frame).
//
// The desktops the program runs on here have no such library, so every
// control draws the classic way, as it does on a system without one. The
// library is an interface, so that a desktop that has one (and the tests)
// can supply it.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/GdiTypes.h"
#include "platform/win/Geometry.h"
#include "platform/win/WinTypes.h"

using HTHEME = uintptr_t;

// The entry points of a visual-styles library; each may be missing (false
// from Has).
class TThemeLibrary {
public:
    virtual ~TThemeLibrary() = default;
    enum TEntry : uint8_t {
        OpenThemeData, CloseThemeData, DrawThemeBackground, DrawThemeText, GetThemeBackgroundContentRect,
        DrawThemeEdge, DrawThemeIcon, IsThemeBackgroundPartiallyTransparent, GetThemeSysColor, IsThemeActive,
        DrawThemeParentBackground, EntryCount
    };
    virtual bool Has(TEntry entry) const = 0;
    virtual HTHEME Open(HWND window, const std::u16string& classList) = 0;
    virtual void Close(HTHEME theme) = 0;
    virtual bool Active() = 0;
    virtual void DrawBackground(HTHEME theme, HDC dc, int32_t part, int32_t state, const TRect& rect,
                                const TRect* clip) = 0;
    virtual void DrawEdge(HTHEME theme, HDC dc, int32_t part, int32_t state, const TRect& rect, uint32_t edge,
                          uint32_t flags) = 0;
    virtual void DrawIcon(HTHEME theme, HDC dc, int32_t part, int32_t state, const TRect& rect, uintptr_t imageList,
                          int32_t index) = 0;
    virtual void DrawText(HTHEME theme, HDC dc, int32_t part, int32_t state, const std::u16string& text,
                          const TRect& rect, uint32_t flags) = 0;
    virtual bool PartiallyTransparent(HTHEME theme, int32_t part, int32_t state) = 0;
    virtual void DrawParentBackground(HWND window, HDC dc, const TRect& rect) = 0;
};

enum class TThemedElement : uint8_t {
    teButton, teClock, teComboBox, teEdit, teExplorerBar, teHeader, teListView, teMenu, tePage, teProgress,
    teRebar, teScrollBar, teSpin, teStartPanel, teStatus, teTab, teTaskBand, teTaskBar, teToolBar, teToolTip,
    teTrackBar, teTrayNotify, teTreeview, teWindow
};
constexpr int kThemedElementCount = 24;
// The class name passed to OpenThemeData for an element class.
const char16_t* ThemedElementClassName(TThemedElement element);

struct TThemedElementDetails {
    TThemedElement Element = TThemedElement::teButton;
    int32_t Part = 0;
    int32_t State = 0;
};

// Detail builders: a control's state code to the class, part and state (the
// code minus the first code of its range plus 1); a code outside every range
// gives part 0 and state 0.
TThemedElementDetails ButtonDetails(int32_t code);
TThemedElementDetails StatusDetails(int32_t code);
TThemedElementDetails ToolBarDetails(int32_t code);

class TThemeServices {
public:
    // library may be nullptr (none on this desktop); commonControls6 says
    // whether the controls are version 6.0 or later.
    TThemeServices(std::unique_ptr<TThemeLibrary> library, bool commonControls6);
    ~TThemeServices();
    TThemeServices(const TThemeServices&) = delete;
    TThemeServices& operator=(const TThemeServices&) = delete;

    bool CommonControls6() const { return FCommonControls6; }
    bool LibraryBound() const { return FLibrary != nullptr; }
    bool ThemesActive() const { return FThemesActive; }
    // Library bound, themes active and common controls 6: the program's
    // controls draw themed exactly then.
    bool GetThemesEnabled() const { return FLibrary && FThemesActive && FCommonControls6; }
    // The theme data of an element class, opened on first use while themes are active.
    HTHEME GetTheme(TThemedElement element);
    HTHEME OpenHandle(TThemedElement element) const { return FThemes[static_cast<size_t>(element)]; }

    void DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& rect, const TRect* clip = nullptr);
    void DrawEdge(HDC dc, const TThemedElementDetails& details, const TRect& rect, uint32_t edge, uint32_t flags);
    void DrawIcon(HDC dc, const TThemedElementDetails& details, const TRect& rect, uintptr_t imageList, int32_t index);
    // The text is in code page 1252.
    void DrawText(HDC dc, const TThemedElementDetails& details, const std::string& text, const TRect& rect,
                  uint32_t flags);
    // With onlyIfTransparent and details, the parent's background is drawn
    // only when the element is partly transparent; otherwise always.
    void DrawParentBackground(HWND window, HDC dc, const TThemedElementDetails* details, bool onlyIfTransparent,
                              const TRect& rect);

    // WM_THEMECHANGED: closes every open theme when themes were active, asks
    // again whether they are, then calls OnThemeChange.
    void ApplyThemeChange();
    std::function<void()> OnThemeChange;

private:
    bool Can(TThemeLibrary::TEntry entry) const { return FLibrary && FLibrary->Has(entry); }
    void CloseAll();
    bool FCommonControls6;
    std::unique_ptr<TThemeLibrary> FLibrary;
    bool FThemesActive = false;
    std::array<HTHEME, kThemedElementCount> FThemes{};
};

// The program's theme services, made by InitThemeServices at start-up and
// freed by DoneThemeServices.
extern TThemeServices* ThemeServices;
// Makes the theme services with the desktop's library: none here.
void InitThemeServices();
void DoneThemeServices();
