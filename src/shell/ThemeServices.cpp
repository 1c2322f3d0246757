#include "shell/ThemeServices.h"

#include "platform/runtime/CodePages.h"

TThemeServices* ThemeServices = nullptr;

namespace {

const char16_t* const kClassNames[kThemedElementCount] = {
    u"button", u"clock", u"combobox", u"edit", u"explorerbar", u"header", u"listview", u"menu",
    u"page", u"progress", u"rebar", u"scrollbar", u"spin", u"startpanel", u"status", u"tab",
    u"taskband", u"taskbar", u"toolbar", u"tooltip", u"trackbar", u"traynotify", u"treeview", u"window",
};

struct TCodeRange {
    int32_t First, Last, Part;
};

TThemedElementDetails FromRanges(TThemedElement element, int32_t code, const TCodeRange* ranges, size_t count,
                                 bool fixedState)
{
    for (size_t i = 0; i < count; ++i)
        if (code >= ranges[i].First && code <= ranges[i].Last)
            return {element, ranges[i].Part, fixedState ? 1 : code - ranges[i].First + 1};
    return {element, 0, 0};
}

} // namespace

const char16_t* ThemedElementClassName(TThemedElement element)
{
    return kClassNames[static_cast<size_t>(element)];
}

TThemedElementDetails ButtonDetails(int32_t code)
{
    static const TCodeRange ranges[] = {{2, 6, 1}, {7, 14, 2}, {15, 26, 3}, {27, 28, 4}, {29, 29, 5}};
    return FromRanges(TThemedElement::teButton, code, ranges, std::size(ranges), false);
}

TThemedElementDetails StatusDetails(int32_t code)
{
    static const TCodeRange ranges[] = {{2, 2, 1}, {3, 3, 2}, {4, 4, 3}};
    return FromRanges(TThemedElement::teStatus, code, ranges, std::size(ranges), true);
}

TThemedElementDetails ToolBarDetails(int32_t code)
{
    static const TCodeRange ranges[] = {{2, 7, 1}, {8, 13, 2}, {14, 19, 3}, {20, 25, 4}, {26, 31, 5}, {32, 37, 6}};
    return FromRanges(TThemedElement::teToolBar, code, ranges, std::size(ranges), false);
}

TThemeServices::TThemeServices(std::unique_ptr<TThemeLibrary> library, bool commonControls6)
    : FCommonControls6(commonControls6), FLibrary(std::move(library))
{
    FThemesActive = Can(TThemeLibrary::IsThemeActive) && FLibrary->Active();
}

TThemeServices::~TThemeServices()
{
    CloseAll();
}

void TThemeServices::CloseAll()
{
    for (HTHEME& theme : FThemes) {
        if (theme && Can(TThemeLibrary::CloseThemeData))
            FLibrary->Close(theme);
        theme = 0;
    }
}

HTHEME TThemeServices::GetTheme(TThemedElement element)
{
    HTHEME& theme = FThemes[static_cast<size_t>(element)];
    if (FThemesActive && theme == 0 && Can(TThemeLibrary::OpenThemeData))
        theme = FLibrary->Open(HWND_NONE, ThemedElementClassName(element));
    return theme;
}

void TThemeServices::DrawElement(HDC dc, const TThemedElementDetails& details, const TRect& rect, const TRect* clip)
{
    if (Can(TThemeLibrary::DrawThemeBackground))
        FLibrary->DrawBackground(GetTheme(details.Element), dc, details.Part, details.State, rect, clip);
}

void TThemeServices::DrawEdge(HDC dc, const TThemedElementDetails& details, const TRect& rect, uint32_t edge,
                              uint32_t flags)
{
    if (Can(TThemeLibrary::DrawThemeEdge))
        FLibrary->DrawEdge(GetTheme(details.Element), dc, details.Part, details.State, rect, edge, flags);
}

void TThemeServices::DrawIcon(HDC dc, const TThemedElementDetails& details, const TRect& rect, uintptr_t imageList,
                              int32_t index)
{
    if (Can(TThemeLibrary::DrawThemeIcon))
        FLibrary->DrawIcon(GetTheme(details.Element), dc, details.Part, details.State, rect, imageList, index);
}

void TThemeServices::DrawText(HDC dc, const TThemedElementDetails& details, const std::string& text,
                              const TRect& rect, uint32_t flags)
{
    if (Can(TThemeLibrary::DrawThemeText))
        FLibrary->DrawText(GetTheme(details.Element), dc, details.Part, details.State, ToWide(text, 1252), rect,
                           flags);
}

void TThemeServices::DrawParentBackground(HWND window, HDC dc, const TThemedElementDetails* details,
                                          bool onlyIfTransparent, const TRect& rect)
{
    if (!Can(TThemeLibrary::DrawThemeParentBackground))
        return;
    if (onlyIfTransparent && details) {
        if (!Can(TThemeLibrary::IsThemeBackgroundPartiallyTransparent) ||
            !FLibrary->PartiallyTransparent(GetTheme(details->Element), details->Part, details->State))
            return;
    }
    FLibrary->DrawParentBackground(window, dc, rect);
}

void TThemeServices::ApplyThemeChange()
{
    if (FThemesActive)
        CloseAll();
    FThemesActive = Can(TThemeLibrary::IsThemeActive) && FLibrary->Active();
    if (OnThemeChange)
        OnThemeChange();
}

void InitThemeServices()
{
    if (!ThemeServices)
        ThemeServices = new TThemeServices(nullptr, true);
}

void DoneThemeServices()
{
    delete ThemeServices;
    ThemeServices = nullptr;
}
