// The drop-down menus of the toolbar buttons: the colours menu named by its
// button, colours chosen through it, and the underline and general menus.
#include "ToolbarTesting.h"

#include "foundation/NotSet.h"
#include "platform/framework/menus/Menus.h"
#include "shell/toolbars/ToolbarMenus.h"

namespace {
const char* const TwoRunsRtf =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
    "\\f0\\fs28\\b Gras\\b0\\f1\\fs20  maigre\\par}";
}  // namespace

class ToolbarMenusTest : public ToolbarFixture {};

TEST_F(ToolbarMenusTest, TheColoursMenuNamesItsFirstEntryByButtonAndAnUnderlineColourUnderlines)
{
    TDocument& doc = OpenRtf(TwoRunsRtf);
    doc.SetSelection(0, 0, 0, 4);
    Manager->RebuildToolbars();
    TPopupMenu* highlight = Manager->PrepareDropDown(704);
    ASSERT_EQ(highlight, Manager->ColoursMenu());
    ASSERT_EQ(highlight->Items().Count(), 17);
    EXPECT_EQ(highlight->Items().Items(0)->Caption(), "Aucun(e)");
    EXPECT_EQ(highlight->Items().Items(16)->Caption(), "Gris clair");
    EXPECT_EQ(Manager->PrepareDropDown(705)->Items().Items(0)->Caption(), "Automatique");
    EXPECT_EQ(Manager->PrepareDropDown(12150)->Items().Items(0)->Caption(), "Automatique");
    EXPECT_EQ(Manager->PrepareDropDown(12160), Manager->UnderlineMenu());
    EXPECT_EQ(Manager->UnderlineMenu()->Items().Count(), UnderlineKindCount + 1);
    EXPECT_EQ(Manager->UnderlineMenu()->Items().Items(UnderlineKindCount)->Caption(), "Couleur");
    EXPECT_EQ(Manager->PrepareDropDown(12120), nullptr);

    // An underline colour for text without underline also underlines it.
    ASSERT_EQ(FormatOf(0, 4)[cfUnderline], 0);
    Manager->PrepareDropDown(12150);
    Manager->ColoursMenu()->Items().Items(6)->Click();
    EXPECT_EQ(FormatOf(0, 4)[cfUnderlineColor], 6);
    EXPECT_EQ(FormatOf(0, 4)[cfUnderline], 1);

    // The font colour: the chosen colour becomes the button's; outside the
    // pen mode the button's own command runs.
    Manager->PrepareDropDown(705);
    Handler.Ran.clear();
    Manager->ColoursMenu()->Items().Items(2)->Click();
    EXPECT_EQ(Manager->LastFontColor, 2);
    ASSERT_FALSE(Handler.Ran.empty());
    EXPECT_EQ(Handler.Ran.back(), 705);
    // In the font-colour pen mode with text selected, the selection is coloured.
    MouseMode = 5;
    Context.Doc.SelectionEmpty = false;
    Manager->PrepareDropDown(705);
    Manager->ColoursMenu()->Items().Items(9)->Click();
    EXPECT_EQ(Handler.Ran.back(), 12520);
    MouseMode = 0;

    // The menu and the two pickers' lists as they draw.
    TBitmap menu;
    menu.SetSize(160, 17 * 18);
    for (int i = 0; i < 17; ++i) {
        TMenuItem* item = Manager->ColoursMenu()->Items().Items(i);
        DrawColourMenuItem(*item, menu.Canvas(), {0, i * 18, 160, i * 18 + 18}, i == 6);
    }
    // The swatch of entry 6 (red) is red; entry 0 draws no colour.
    EXPECT_EQ(menu.Canvas().Pixels(10, 6 * 18 + 9) & 0xFFFFFF, static_cast<TColor>(BasicColor(6)) & 0xFFFFFF);
    EXPECT_TRUE(WriteBitmapPng(menu, TestOutputDir() + "/toolbar-colours-menu.png"));
}
