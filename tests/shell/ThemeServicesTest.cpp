// Theme services: classic drawing without a visual-styles library, the
// detail builders, theme data opened on first use and closed on a theme
// change, and the rules of the parent background.
#include "shell/ThemeServices.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A visual-styles library that records what is asked of it.
class TFakeThemeLibrary : public TThemeLibrary {
public:
    bool ActiveAnswer = true;
    bool Transparent = false;
    std::map<HTHEME, std::u16string> Open_;
    std::vector<HTHEME> Closed;
    std::vector<std::string> Calls;
    HTHEME Next = 100;

    bool Has(TEntry) const override { return true; }
    HTHEME Open(HWND, const std::u16string& classList) override
    {
        Open_[Next] = classList;
        return Next++;
    }
    void Close(HTHEME theme) override { Closed.push_back(theme); }
    bool Active() override { return ActiveAnswer; }
    void DrawBackground(HTHEME t, HDC, int32_t part, int32_t state, const TRect&, const TRect*) override
    {
        Calls.push_back("background " + std::to_string(t) + " " + std::to_string(part) + "/" + std::to_string(state));
    }
    void DrawEdge(HTHEME, HDC, int32_t, int32_t, const TRect&, uint32_t, uint32_t) override { Calls.push_back("edge"); }
    void DrawIcon(HTHEME, HDC, int32_t, int32_t, const TRect&, uintptr_t, int32_t) override { Calls.push_back("icon"); }
    void DrawText(HTHEME, HDC, int32_t, int32_t, const std::u16string& text, const TRect&, uint32_t) override
    {
        Calls.push_back(text == u"Imprimé" ? "text ok" : "text wrong");
    }
    bool PartiallyTransparent(HTHEME, int32_t, int32_t) override { return Transparent; }
    void DrawParentBackground(HWND, HDC, const TRect&) override { Calls.push_back("parent"); }
};

TEST(ThemeServicesTest, WithoutTheLibraryEverythingDrawsClassically)
{
    InitThemeServices();
    ASSERT_NE(ThemeServices, nullptr);
    EXPECT_FALSE(ThemeServices->LibraryBound());
    EXPECT_FALSE(ThemeServices->ThemesActive());
    EXPECT_FALSE(ThemeServices->GetThemesEnabled());
    EXPECT_EQ(ThemeServices->GetTheme(TThemedElement::teButton), 0u);
    ThemeServices->DrawElement(nullptr, ButtonDetails(2), {0, 0, 10, 10});  // does nothing
    int changes = 0;
    ThemeServices->OnThemeChange = [&] { ++changes; };
    ThemeServices->ApplyThemeChange();
    EXPECT_EQ(changes, 1) << "the frame is told even without themes";
    DoneThemeServices();
    EXPECT_EQ(ThemeServices, nullptr);
}

TEST(ThemeServicesTest, DetailBuilders)
{
    struct TCase { TThemedElementDetails Got; TThemedElement Element; int32_t Part, State; };
    const TCase cases[] = {
        {ButtonDetails(2), TThemedElement::teButton, 1, 1},
        {ButtonDetails(6), TThemedElement::teButton, 1, 5},
        {ButtonDetails(7), TThemedElement::teButton, 2, 1},
        {ButtonDetails(26), TThemedElement::teButton, 3, 12},
        {ButtonDetails(28), TThemedElement::teButton, 4, 2},
        {ButtonDetails(29), TThemedElement::teButton, 5, 1},
        {ButtonDetails(1), TThemedElement::teButton, 0, 0},
        {ButtonDetails(30), TThemedElement::teButton, 0, 0},
        {StatusDetails(2), TThemedElement::teStatus, 1, 1},
        {StatusDetails(4), TThemedElement::teStatus, 3, 1},
        {StatusDetails(5), TThemedElement::teStatus, 0, 0},
        {ToolBarDetails(2), TThemedElement::teToolBar, 1, 1},
        {ToolBarDetails(13), TThemedElement::teToolBar, 2, 6},
        {ToolBarDetails(37), TThemedElement::teToolBar, 6, 6},
        {ToolBarDetails(38), TThemedElement::teToolBar, 0, 0},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(c.Got.Element, c.Element);
        EXPECT_EQ(c.Got.Part, c.Part);
        EXPECT_EQ(c.Got.State, c.State);
    }
    EXPECT_EQ(std::u16string(ThemedElementClassName(TThemedElement::teTrayNotify)), u"traynotify");
    EXPECT_EQ(std::u16string(ThemedElementClassName(TThemedElement::teWindow)), u"window");
}

TEST(ThemeServicesTest, ThemesOpenOnFirstUseAndCloseOnAChange)
{
    auto owned = std::make_unique<TFakeThemeLibrary>();
    TFakeThemeLibrary& lib = *owned;
    TThemeServices themes(std::move(owned), true);
    EXPECT_TRUE(themes.GetThemesEnabled());
    themes.DrawElement(nullptr, ToolBarDetails(9), {0, 0, 4, 4});
    themes.DrawElement(nullptr, ToolBarDetails(3), {0, 0, 4, 4});
    EXPECT_EQ(lib.Open_.size(), 1u) << "one theme per element class";
    EXPECT_EQ(lib.Open_.begin()->second, u"toolbar");
    EXPECT_EQ(lib.Calls, (std::vector<std::string>{"background 100 2/2", "background 100 1/2"}));
    themes.DrawText(nullptr, ButtonDetails(2), "Imprim\xE9", {0, 0, 4, 4}, 0);
    EXPECT_EQ(lib.Calls.back(), "text ok");

    // The parent's background: only when partly transparent if asked so.
    lib.Calls.clear();
    const TThemedElementDetails d = ButtonDetails(2);
    themes.DrawParentBackground(HWND_NONE, nullptr, &d, true, {0, 0, 1, 1});
    lib.Transparent = true;
    themes.DrawParentBackground(HWND_NONE, nullptr, &d, true, {0, 0, 1, 1});
    themes.DrawParentBackground(HWND_NONE, nullptr, nullptr, true, {0, 0, 1, 1});
    lib.Transparent = false;
    themes.DrawParentBackground(HWND_NONE, nullptr, &d, false, {0, 0, 1, 1});
    EXPECT_EQ(lib.Calls.size(), 3u);

    // A theme change closes every open handle; they reopen on the next draw.
    int changes = 0;
    themes.OnThemeChange = [&] { ++changes; };
    themes.ApplyThemeChange();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(lib.Closed.size(), 2u);
    EXPECT_EQ(themes.OpenHandle(TThemedElement::teToolBar), 0u);
    EXPECT_NE(themes.GetTheme(TThemedElement::teToolBar), 0u);
    // Themes switched off: nothing opens.
    lib.ActiveAnswer = false;
    themes.ApplyThemeChange();
    EXPECT_FALSE(themes.GetThemesEnabled());
    EXPECT_EQ(themes.GetTheme(TThemedElement::teEdit), 0u);
}

TEST(ThemeServicesTest, OldCommonControlsNeverUseThemes)
{
    TThemeServices themes(std::make_unique<TFakeThemeLibrary>(), false);
    EXPECT_TRUE(themes.LibraryBound());
    EXPECT_TRUE(themes.ThemesActive());
    EXPECT_FALSE(themes.GetThemesEnabled());
}

} // namespace
