#include "foundation/managers/ColorManager.h"

#include "foundation/managers/SharedManagersHost.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/SysColors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int32_t> Colors(const TColorScheme& scheme)
{
    return std::vector<int32_t>(std::begin(scheme.Colors), std::end(scheme.Colors));
}

std::vector<int32_t> Defaults(std::initializer_list<int32_t> first)
{
    std::vector<int32_t> colors(first);
    colors.resize(ColorElementCount, DefaultElementColor);
    return colors;
}

}  // namespace

TEST(ColorSchemeTest, TextForm)
{
    struct TCase {
        std::string Text;
        std::vector<int32_t> Colors;
        std::string TextBack;  // GetAsText of the result
    };
    const std::string all13 = std::string(12 * 8, '0') + "00FFFFFF";
    const TCase cases[] = {
        {"", Defaults({}), ""},
        {"000000FF", Defaults({0xFF}), "000000FF"},
        // A default inside the range is written as FFFFFFFF; trailing defaults are left out.
        {"00FF0000FFFFFFFF0000ff00", Defaults({0xFF0000, -1, 0xFF00}), "00FF0000FFFFFFFF0000FF00"},
        {"00FF0000FFFFFFFF", Defaults({0xFF0000}), "00FF0000"},
        // A part group at the end is ignored.
        {"000000FF123", Defaults({0xFF}), "000000FF"},
        {all13, Defaults({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF}), all13},
        // More than 13 groups: the rest is ignored.
        {all13 + "00000001", Defaults({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF}), all13},
    };
    for (const TCase& c : cases) {
        TColorScheme scheme;
        scheme.Colors[3] = 0x123456;  // replaced by every SetAsText
        scheme.SetAsText(c.Text);
        EXPECT_EQ(Colors(scheme), c.Colors) << c.Text;
        EXPECT_EQ(scheme.GetAsText(), c.TextBack) << c.Text;
    }
}

TEST(ColorSchemeTest, AssignCopiesColoursOnly)
{
    TColorScheme source;
    source.Name = "Ardoise";
    source.SetAsText("00112233");
    TColorScheme target;
    target.Name = "Mien";
    target.Assign(source);
    EXPECT_EQ(target.Name, "Mien");
    EXPECT_EQ(target.Colors[0], 0x112233);
}

TEST(BasicColorTest, NearestBasicColour)
{
    struct TCase {
        int32_t Color;
        int32_t Index;
    };
    const TCase cases[] = {
        {0xFFFFFF, 8},  {0x7F7F7F, 15}, {0x000000, 1},  {0x0000FF, 6},  {0xFF0000, 2},
        {0xC0C0C0, 16}, {0x000080, 13}, {0x0000F0, 6},  {0x202020, 1},
        // Equally far from black (1) and navy (9): the lower index wins.
        {0x400000, 1},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(FindNearestBasicColor(c.Color), c.Index) << std::hex << c.Color;
    for (int32_t index = 1; index <= BasicColorCount; ++index)
        EXPECT_EQ(FindNearestBasicColor(BasicColor(index)), index);
    EXPECT_EQ(BasicColorName(0), "Automatique");
    EXPECT_EQ(BasicColorName(11), "Vert foncé");
    EXPECT_EQ(BasicColorName(17), "");
}

TEST(ColorSchemeTest, ElementDefaults)
{
    TColorScheme scheme;
    // Literal defaults whatever the desktop's colours are.
    EXPECT_EQ(scheme.GetColor(3), 0xFF0000);
    EXPECT_EQ(scheme.GetColor(12), 0x0000FF);
    // The others are the desktop's colours.
    EXPECT_EQ(scheme.GetColor(0), static_cast<int32_t>(GetSysColor(COLOR_WINDOWTEXT)));
    EXPECT_EQ(scheme.GetColor(2), static_cast<int32_t>(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(scheme.GetColor(6), static_cast<int32_t>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(scheme.GetColor(7), static_cast<int32_t>(GetSysColor(COLOR_BTNSHADOW)));
    scheme.SetAsText("000000FF00000000");
    EXPECT_EQ(scheme.GetColor(0), 0x0000FF);
    EXPECT_EQ(scheme.GetColor(1), 0);
    EXPECT_EQ(scheme.GetColor(13), 0);  // no such element
}

namespace {

class TSchemeHost : public TSharedManagersHost {
public:
    TSchemeHost() : FPrevious(SetSharedManagersHost(this)) {}
    ~TSchemeHost() override { SetSharedManagersHost(FPrevious); }
    const TColorScheme* OptionsColorScheme() override { return &Scheme; }
    void ColorsChanged() override { ++Repaints; }
    TColorScheme Scheme;
    int Repaints = 0;

private:
    TSharedManagersHost* FPrevious;
};

}  // namespace

TEST(ColorManagerTest, PalettesAndBrushes)
{
    TSchemeHost host;
    TColorManager manager;
    EXPECT_EQ(&manager.CurrentPalette(), &manager.ScreenPalette());
    EXPECT_EQ(manager.ScreenPalette().Colors(3).Color(), 0xFF0000);  // the defaults until the options apply

    // The default palette: the factory colours, the element defaults after them.
    TColorPalette& printing = manager.GetDefaultPalette();
    EXPECT_EQ(printing.Colors(2).Color(), 0xFFFFFF);
    EXPECT_EQ(printing.Colors(3).Color(), 0xFF0000);
    EXPECT_EQ(printing.Colors(4).Color(), 0x808080);
    EXPECT_EQ(printing.Colors(12).Color(), 0x0000FF);
    manager.UseDefaultPalette();
    EXPECT_EQ(&manager.CurrentPalette(), &printing);

    // The options' scheme goes to the screen; the default palette is made again and stays
    // the current one; documents are repainted.
    host.Scheme.SetAsText("00112233");
    HBRUSH brush = manager.ScreenPalette().Colors(0).GetBrush();
    EXPECT_NE(brush, nullptr);
    EXPECT_EQ(manager.ScreenPalette().Colors(0).GetBrush(), brush);  // kept
    manager.ApplyOptionsScheme();
    EXPECT_EQ(manager.ScreenPalette().Colors(0).Color(), 0x112233);
    EXPECT_EQ(manager.CurrentPalette().Colors(4).Color(), 0x808080);
    EXPECT_EQ(&manager.CurrentPalette(), &manager.GetDefaultPalette());
    EXPECT_EQ(host.Repaints, 1);
    manager.UseScreenPalette();
    EXPECT_EQ(manager.CurrentPalette().Colors(0).Color(), 0x112233);

    // A brush in the colour it stands for.
    HDC screen = GetScreenDC();
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 4, 4);
    ReleaseDC(screen);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    const TRect all{0, 0, 4, 4};
    FillRect(dc, all, manager.ScreenPalette().Colors(0).GetBrush());
    EXPECT_EQ(GetPixel(dc, 1, 1), 0x112233u);
    DeleteDC(dc);
    DeleteObject(bitmap);

    EXPECT_TRUE(TColorManager::SameSchemes(host.Scheme, host.Scheme));
    EXPECT_FALSE(TColorManager::SameSchemes(host.Scheme, TColorScheme()));
}

TEST(ColorManagerTest, DocumentColoursMapToBasicColours)
{
    TColorManager manager;
    std::vector<TDocColorEntry> table = {{0xFFFFFF, false, -1}, {0x123456, true, -1}, {0x7F7F7F, false, -1}};
    manager.MapDocumentColors(table);
    EXPECT_EQ(table[0].Index, 8);
    EXPECT_EQ(table[1].Index, 0);
    EXPECT_EQ(table[2].Index, 15);
}

TEST(ColorManagerTest, ProgramWideManager)
{
    EXPECT_EQ(GetColorManager(), nullptr);
    CreateColorManager();
    ASSERT_NE(GetColorManager(), nullptr);
    FreeColorManager();
    EXPECT_EQ(GetColorManager(), nullptr);
}
