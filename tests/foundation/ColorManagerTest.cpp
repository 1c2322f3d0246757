#include "foundation/ColorManager.h"

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
