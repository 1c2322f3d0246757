// The toolbar controls: what is typed in the zoom and size boxes, the values
// they show following the caret, input applied to the document through its
// operations, the control commands themselves, and the colour and underline
// drop-downs.
#include "ToolbarTesting.h"

#include "foundation/NotSet.h"
#include "shell/toolbars/ToolbarButtonImages.h"
#include "shell/toolbars/ToolbarMenus.h"

#include "shell/toolbars/ToolbarControls.h"

namespace {

// Bold Arial 14 pt, then Times 10 pt.
const char* const TwoRunsRtf =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
    "\\f0\\fs28\\b Gras\\b0\\f1\\fs20  maigre\\par}";

}  // namespace

TEST(ToolbarNumberBoxes, ZoomAndSizeTextsAreReadOrRefusedWithAWarning)
{
    TRecordedMessages messages;
    struct TCase {
        std::string Text;
        int32_t Zoom;
        int32_t Size;
        std::string ZoomWarning;
        std::string SizeWarning;
    };
    const std::string invalid = "Le nombre spécifié n'est pas valide.";
    const TCase cases[] = {
        {"75 %", 75, 0, "", invalid},
        {"75", 75, 150, "", ""},
        {"5", 0, 10, "Le nombre doit être compris entre 10% et 500%.", ""},
        {"600", 0, 1200, "Le nombre doit être compris entre 10% et 500%.", ""},
        {"abc", 0, 0, invalid, invalid},
        {"10,5", 0, 21, invalid, ""},
        {"10.5", 0, 21, invalid, ""},
        {"10,25", 0, 20, invalid, ""},
        {"0,5", 0, 0, invalid, "Le nombre doit être compris entre 1 et 1000."},
        {"1001", 0, 0, "Le nombre doit être compris entre 10% et 500%.", "Le nombre doit être compris entre 1 et 1000."},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        messages.Texts.clear();
        EXPECT_EQ(ParseZoomText(c.Text), c.Zoom);
        EXPECT_EQ(messages.Texts, c.ZoomWarning.empty() ? std::vector<std::string>{}
                                                        : std::vector<std::string>{c.ZoomWarning});
        messages.Texts.clear();
        EXPECT_EQ(ParseSizeText(c.Text), c.Size);
        EXPECT_EQ(messages.Texts, c.SizeWarning.empty() ? std::vector<std::string>{}
                                                        : std::vector<std::string>{c.SizeWarning});
    }
}

class ToolbarControlsTest : public ToolbarFixture {
protected:
    TToolbarComboBox& Box(TCommandId id)
    {
        TToolButton* item = Manager->FindItem(id);
        EXPECT_TRUE(item && item->Control) << id;
        return *static_cast<TToolbarComboBox*>(item->Control);
    }
};

TEST_F(ToolbarControlsTest, TheBoxesFollowTheCaret)
{
    TDocument& doc = OpenRtf(TwoRunsRtf);
    Manager->RebuildToolbars();
    struct TCase {
        int32_t Offset;
        const char* Font;
        const char* Size;
    };
    const TCase cases[] = {{2, "Arial", "14"}, {8, "Times New Roman", "10"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Offset);
        doc.SetSelection(0, c.Offset, 0, c.Offset);
        Manager->RefreshToolbarStates();
        EXPECT_EQ(Box(212100).Text(), c.Font);
        EXPECT_EQ(Box(212200).Text(), c.Size);
        EXPECT_EQ(Box(206100).Text(), "100%");
        EXPECT_FALSE(Box(209050).Text().empty());
    }
    // A selection over both runs: mixed size and font give empty boxes.
    doc.SetSelection(0, 1, 0, 9);
    Manager->RefreshToolbarStates();
    EXPECT_EQ(Box(212200).Text(), "");
    EXPECT_EQ(Box(212100).Text(), "");
    // With the format brush the boxes show the copied format.
    MouseMode = 2;
    PainterFormat = doc.SelCharFormat;
    PainterFormat[cfSize] = 21;
    Manager->RefreshToolbarStates();
    EXPECT_EQ(Box(212200).Text(), "10,5");
    MouseMode = 0;
    // No document: empty boxes.
    Context.Active = nullptr;
    Manager->RefreshToolbarStates();
    EXPECT_EQ(Box(206100).Text(), "");
}

TEST_F(ToolbarControlsTest, TypedValuesApplyToTheSelectionAsUndoableOperations)
{
    TDocument& doc = OpenRtf(TwoRunsRtf);
    Manager->RebuildToolbars();
    doc.SetSelection(0, 0, 0, 4);
    Manager->RefreshToolbarStates();
    TRecordedMessages messages;

    // The size box: "10,5" and Enter give 21 half-points.
    TToolbarComboBox& size = Box(212200);
    Frame->SetFocus();
    size.SetFocus();
    ASSERT_TRUE(RunUntil([&] { return size.Focused(); }));
    size.SetText("10,5");
    Keys.Tap("Enter");
    ASSERT_TRUE(RunUntil([&] { return FormatOf(0, 4)[cfSize] == 21; }));
    EXPECT_EQ(Manager->Runner().LastControlCommand, 212200);

    // The font box: a name chosen from the list.
    TToolbarComboBox& font = Box(212100);
    const int32_t mono = font.Items().IndexOf("Liberation Mono");
    ASSERT_GE(mono, 0);
    TControlValue value;
    value.Text = font.Items().Strings(mono);
    ExecuteControlCommand(212100, value);
    EXPECT_EQ(FormatOf(0, 4)[cfFont], GetFontManager()->IndexOfFont("Liberation Mono"));

    // Colour 6 (red) then -1 (nothing chosen) for the font colour.
    value.Int = 6;
    ExecuteControlCommand(212300, value);
    EXPECT_EQ(FormatOf(0, 4)[cfColor], 6);
    value.Int = -1;
    ExecuteControlCommand(212300, value);
    EXPECT_EQ(FormatOf(0, 4)[cfColor], 6);

    // The zoom box: "75 %" zooms to 75; "5" gives the range warning and
    // changes nothing.
    TToolbarComboBox& zoom = Box(206100);
    zoom.SetFocus();
    zoom.SetText("75 %");
    RunPending();
    Keys.Tap("Enter");
    ASSERT_TRUE(RunUntil([&] { return doc.Zoom() == 75; }));
    zoom.SetFocus();
    zoom.SetText("5");
    RunPending();
    Keys.Tap("Enter");
    RunPending();
    EXPECT_EQ(doc.Zoom(), 75);
    ASSERT_FALSE(messages.Texts.empty());
    EXPECT_EQ(messages.Texts.back(), "Le nombre doit être compris entre 10% et 500%.");
    // An entry of the list: "Pages entières" selects view mode 3.
    zoom.SetFocus();
    zoom.SetItemIndex(11);
    RunPending();
    Keys.Tap("Enter");
    ASSERT_TRUE(RunUntil([&] { return doc.ViewMode == 3; }));
    SavePng(*Manager->Row(tbFormatting).front(), "toolbar-formatting-applied.png");
}

TEST_F(ToolbarControlsTest, ZoomCommandsClampAndRearrangeOnlyWhenTheModeChanges)
{
    TDocument& doc = OpenRtf("{\\rtf1 Texte}");
    int arranged = 0, layouts = 0, popupsClosed = 0;
    Manager->Runner().ArrangeDocumentWindow = [&](TDocument&) { ++arranged; };
    Manager->Runner().UpdateFrameLayout = [&] { ++layouts; };
    Manager->Runner().ClosePopups = [&] { ++popupsClosed; };
    struct TCase {
        TCommandId Id;
        int32_t Int;
        uint8_t Direction;
        int32_t Zoom;
        int32_t Mode;
        int Arranged;
    };
    const TCase cases[] = {
        {206100, 5, 0, 10, 0, 0},
        {206100, 900, 0, 500, 0, 0},
        {206200, 0, 1, 500, 0, 0},  // enlarging at 500 changes nothing
        {206200, 0, 0, 490, 0, 0},
        {206100, 2 << 16, 0, -1, 2, 1},
        {206100, 120, 0, 120, 0, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Id);
        SCOPED_TRACE(c.Int);
        arranged = 0;
        TControlValue value;
        value.Int = c.Int;
        value.ZoomDirection = c.Direction;
        value.ZoomStep = 10;
        ExecuteControlCommand(c.Id, value);
        if (c.Zoom >= 0) {
            EXPECT_EQ(doc.Zoom(), c.Zoom);
        }
        EXPECT_EQ(doc.ViewMode, c.Mode);
        EXPECT_EQ(arranged, c.Arranged);
    }
    EXPECT_EQ(layouts, 6);

    // A control command whose id is disabled still stamps the action time and
    // closes the popups.
    Context.Active = nullptr;
    Commands->LastActionTime = 0;
    Commands->TickSource = [] { return 4242u; };
    const int closedBefore = popupsClosed;
    TControlValue value;
    value.Int = 150;
    ExecuteControlCommand(206100, value);
    EXPECT_EQ(Commands->LastActionTime, 4242u);
    EXPECT_EQ(popupsClosed, closedBefore + 1);
}

TEST_F(ToolbarControlsTest, ThePickersListTheirEntriesDrawnAsTheyApply)
{
    OpenRtf(TwoRunsRtf);
    Manager->Settings().Toolbar(tbFormatting).Commands = {212300, 212400, cmToolbarSeparator, 12120};
    Manager->RebuildToolbars();
    TToolbarComboBox& underline = *static_cast<TToolbarComboBox*>(Manager->FindItem(212400)->Control);
    underline.SetDroppedDown(true);
    ASSERT_TRUE(RunUntil([&] { return underline.ListWindow() != nullptr; }));
    SavePng(*underline.ListWindow(), "toolbar-underline-picker.png");
    underline.SetDroppedDown(false);
    TToolbarComboBox& colour = *static_cast<TToolbarComboBox*>(Manager->FindItem(212300)->Control);
    colour.SetDroppedDown(true);
    ASSERT_TRUE(RunUntil([&] { return colour.ListWindow() != nullptr; }));
    SavePng(*colour.ListWindow(), "toolbar-colour-picker.png");
    colour.SetDroppedDown(false);
}
