// The rulers of a document window: what they show of the caret's paragraph
// and section at zooms from 50 to 200 %, their hints, and the drags of every
// marker with the real mouse, each written as one undoable change.
#include "docwindow/DocumentWindowFixture.h"
#include "docwindow/StraightEdge.h"

#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/OperationManager.h"
#include "foundation/NotSet.h"
#include "foundation/managers/TabManager.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"

#include <cstdlib>
#include <functional>

namespace {

// A4, margins of 2.5 cm; the first paragraph indented (left 2 cm, first line
// 1 cm more, right 1 cm) with a left, a centred and a decimal stop; the
// second without indents or stops.
const char* const IndentedRtf =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\fs24"
    "\\paperw11906\\paperh16838\\margl1418\\margr1418\\margt1418\\margb1418"
    "\\pard\\li1134\\fi567\\ri567\\tx1701\\tqc\\tx3402\\tqdec\\tx5103 Les cerises sont m\\'fbres au mois de juin, "
    "et le merle les mange avant nous.\\par"
    "\\pard Deuxi\\'e8me paragraphe, sans retrait ni taquet.\\par}";

}  // namespace

class RulerTest : public DocumentWindowTest {
protected:
    void SetUp() override
    {
        DocumentWindowTest::SetUp();
        Shell.Options.HorizontalRuler = true;
        Shell.Options.VerticalRuler = true;
        Doc = OpenRtf("retraits.rtf", IndentedRtf);
        ASSERT_NE(Doc, nullptr);
        Window = &WindowOf(*Doc);
        Window->RealignView();
        Doc->SetSelection(0, 3, 0, 3);
        RunPending();
        Ruler = Window->StraightEdge;
        ASSERT_TRUE(Ruler->Visible());
        ASSERT_TRUE(Window->VerStraightEdge->Visible());
        Refresh();
    }
    void Refresh()
    {
        Ruler->ClearState();
        Ruler->UpdateFromDocument();
        RunPending();
        Ruler->HitTest({0, 0});  // geometry for the present state
    }
    const TParFormat& Format0() const { return Doc->Paragraphs(0).Format; }
    std::vector<TTabStop> Stops0() const
    {
        const TTabTable* table = Doc->TabManager().Tables(Format0()[pfTabTable]);
        return table ? table->StopList() : std::vector<TTabStop>{};
    }
    // A real drag on the ruler: press, move in steps, release.
    void Drag(TPoint from, TPoint to, bool direct = false)
    {
        const HWND h = Ruler->Handle();
        Mouse.Move(h, from);
        Mouse.Press(h, from);
        const TPoint middle{(from.X + to.X) / 2, (from.Y + to.Y) / 2};
        if (!direct)
            Mouse.Move(h, middle);
        Mouse.Move(h, to);
        Mouse.Release(h, to);
        RunPending();
        Refresh();
    }
    int32_t Twips(int32_t pixels) const { return Doc->DeviceYToTwips(pixels); }

    TDocument* Doc = nullptr;
    TDocumentForm* Window = nullptr;
    TStraightEdge* Ruler = nullptr;
};

TEST_F(RulerTest, TheRulersShowTheCaretParagraphAtZoomsFrom50To200)
{
    for (int32_t zoom : {50, 75, 100, 150, 200}) {
        SCOPED_TRACE(zoom);
        Doc->SetZoom(zoom);
        RunPending();
        Refresh();
        // The text zone starts where the page's left margin does in the document view.
        const TPoint pageLeft = Window->DocumentToClient({GetPageRect(*Doc, 0).Left, 0});
        const int32_t textLeft = pageLeft.X + Doc->TwipsToDeviceX(1418);
        EXPECT_NEAR(Ruler->TextLeftPixel(), textLeft, 1);
        EXPECT_NEAR(Ruler->IndentPixel(rhLeftIndent), textLeft + Doc->TwipsToDeviceX(1134), 1);
        EXPECT_NEAR(Ruler->IndentPixel(rhFirstLineIndent), textLeft + Doc->TwipsToDeviceX(1701), 1);
        EXPECT_NEAR(Ruler->IndentPixel(rhRightIndent),
                    Ruler->TextRightPixel() - Doc->TwipsToDeviceX(567), 1);
        EXPECT_NEAR(Ruler->TabPixel(2), textLeft + Doc->TwipsToDeviceX(5103), 1);

        TBitmap grab;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(Window->Handle(), grab) && grab.Width() > 0; }));
        EXPECT_TRUE(WriteBitmapPng(grab, TestOutputDir() + "/Ruler_zoom" + std::to_string(zoom) + ".png"));
        // Inside the band: the margin is grey, the text zone white.
        TBitmap ruler;
        ASSERT_TRUE(RunUntil([&] { return GrabWindow(Ruler->Handle(), ruler) && ruler.Width() > 0; }));
        const int32_t bandY = Ruler->BandTop() + 1;
        EXPECT_EQ(ruler.Canvas().Pixels(textLeft - 5, bandY) & 0xFFFFFF, 0xC0C0C0u);
        EXPECT_EQ(ruler.Canvas().Pixels(textLeft + 2, bandY) & 0xFFFFFF, 0xFFFFFFu);
    }
}

TEST_F(RulerTest, HintsNameTheValuesAndTheParagraphsThatDiffer)
{
    const int32_t up = Ruler->BandTop() - 2;
    struct TCase {
        const char* What;
        std::function<TPoint()> Where;
        const char* Hint;
    };
    const TCase cases[] = {
        {"selector", [] { return TPoint{10, 10}; }, "sélecteur de tabulations"},
        {"left margin", [&] { return TPoint{Ruler->TextLeftPixel() - 10, Ruler->BandTop() + 4}; },
         "marge gauche (2,5 cm)"},
        {"left margin edge", [&] { return TPoint{Ruler->TextLeftPixel(), Ruler->BandTop() + 4}; },
         "modifie la marge gauche"},
        {"left indent", [&] { return TPoint{Ruler->IndentPixel(rhLeftIndent), up}; }, "retrait gauche (2 cm)"},
        {"first line", [&] { return TPoint{Ruler->IndentPixel(rhFirstLineIndent), 2}; },
         "retrait de 1ère ligne positif (1 cm)"},
        {"right indent", [&] { return TPoint{Ruler->IndentPixel(rhRightIndent), up}; }, "retrait droit (1 cm)"},
        {"tab stop", [&] { return TPoint{Ruler->TabPixel(0) + 1, Ruler->BandBottom() - 2}; },
         "position du taquet (3 cm)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(Ruler->HintAt(c.Where()), c.Hint);
    }
    // Both paragraphs selected: the first one's markers, and the note.
    Doc->SetSelection(0, 3, 1, 3);
    Refresh();
    EXPECT_EQ(Ruler->HintAt({Ruler->IndentPixel(rhLeftIndent), up}),
              "retrait gauche (2 cm)  (les paragraphes sélectionnés ont des valeurs différentes pour les retraits "
              "gauches)");
    // The second paragraph alone: the markers at the text's edges.
    Doc->SetSelection(1, 3, 1, 3);
    Refresh();
    EXPECT_EQ(Ruler->IndentPixel(rhLeftIndent), Ruler->TextLeftPixel());
    EXPECT_EQ(Ruler->IndentPixel(rhRightIndent), Ruler->TextRightPixel());
}

TEST_F(RulerTest, DraggingEachMarkerChangesTheFormatAndOneUndoTakesItBack)
{
    const TParFormat before = Format0();
    const std::vector<TTabStop> stopsBefore = Stops0();
    const TPageParams pageBefore = Doc->Sections(0).PageParams;
    const int32_t cm = Doc->TwipsToDeviceX(567);  // pixels of one centimetre
    const int32_t up = Ruler->BandTop() - 2;
    const int32_t step = 71;                      // the snapping step: an eighth of a centimetre
    struct TCase {
        const char* What;
        std::function<TPoint()> From;
        TPoint By;
        int32_t Event;
        std::function<void()> Check;
    };
    const TCase cases[] = {
        {"left indent: the first line stays", [&] { return TPoint{Ruler->IndentPixel(rhLeftIndent), up}; }, {cm, 0},
         evRulerIndent,
         [&] {
             EXPECT_NEAR(Format0()[pfLeftIndent], 1134 + 567, step);
             EXPECT_EQ(Format0()[pfLeftIndent] + Format0()[pfFirstIndent], 1134 + 567);
         }},
        {"box: both move", [&] { return TPoint{Ruler->IndentPixel(rhIndentBox), Ruler->BandTop() + 3}; }, {cm, 0},
         evRulerIndent,
         [&] {
             EXPECT_NEAR(Format0()[pfLeftIndent], 1134 + 567, step);
             EXPECT_EQ(Format0()[pfFirstIndent], 567);
         }},
        {"first line", [&] { return TPoint{Ruler->IndentPixel(rhFirstLineIndent), 2}; }, {-2 * cm, 0},
         evRulerIndent,
         [&] {
             EXPECT_EQ(Format0()[pfLeftIndent], 1134);
             EXPECT_NEAR(Format0()[pfFirstIndent], 567 - 2 * 567, step);
         }},
        {"right indent", [&] { return TPoint{Ruler->IndentPixel(rhRightIndent), up}; }, {-cm, 0}, evRulerIndent,
         [&] { EXPECT_NEAR(Format0()[pfRightIndent], 567 + 567, step); }},
        {"left indent into the margin, down to the page edge",
         [&] { return TPoint{Ruler->IndentPixel(rhLeftIndent), up}; }, {-10 * cm, 0}, evRulerIndent,
         [&] { EXPECT_EQ(Format0()[pfLeftIndent], -1418); }},
        {"tab stop moved", [&] { return TPoint{Ruler->TabPixel(0) + 1, Ruler->BandBottom() - 2}; }, {cm, 0},
         evRulerTabMoved,
         [&] {
             ASSERT_EQ(Stops0().size(), 3u);
             EXPECT_NEAR(TabStopPosition(Stops0()[0]), 1701 + 567, step);
             EXPECT_EQ(TabStopKind(Stops0()[0]), tkLeft);
         }},
        {"tab stop dragged out of the ruler", [&] { return TPoint{Ruler->TabPixel(1) + 1, Ruler->BandBottom() - 2}; },
         {0, 60}, evRulerTabAdded,
         [&] {
             ASSERT_EQ(Stops0().size(), 2u);
             EXPECT_EQ(TabStopPosition(Stops0()[1]), 5103);
         }},
        {"left margin", [&] { return TPoint{Ruler->TextLeftPixel(), Ruler->BandTop() + 4}; }, {cm, 0},
         evRulerMargins, [&] { EXPECT_NEAR(Doc->Sections(0).PageParams[ppLeftMargin], 1418 + 567, step); }},
        {"left margin stops at 40 % of the page", [&] { return TPoint{Ruler->TextLeftPixel(), Ruler->BandTop() + 4}; },
         {20 * cm, 0}, evRulerMargins,
         [&] { EXPECT_EQ(Doc->Sections(0).PageParams[ppLeftMargin], 11906 * 40 / 100); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const int32_t operations = Doc->UndoManager().CurrentIndex();
        Host.Events.clear();
        const TPoint from = c.From();
        Drag(from, {from.X + c.By.X, from.Y + c.By.Y});
        EXPECT_EQ(Ruler->DragMode(), rdNone);
        EXPECT_EQ(Doc->UndoManager().CurrentIndex(), operations + 1);
        EXPECT_NE(std::find(Host.Events.begin(), Host.Events.end(), c.Event), Host.Events.end());
        c.Check();
        Doc->UndoManager().Undo();
        RunPending();
        Refresh();
        EXPECT_EQ(Format0(), before);
        EXPECT_EQ(Stops0(), stopsBefore);
        EXPECT_EQ(Doc->Sections(0).PageParams[ppLeftMargin], pageBefore[ppLeftMargin]);
    }
}

TEST_F(RulerTest, DragsThatChangeNothingWriteNothing)
{
    const int32_t up = Ruler->BandTop() - 2;
    const int32_t operations = Doc->UndoManager().CurrentIndex();
    // Released a pixel from where it started: the starting value wins the snap.
    const TPoint left{Ruler->IndentPixel(rhLeftIndent), up};
    Drag(left, {left.X + 1, left.Y});
    // A stop dropped on another one stays where it was.
    const TPoint tab{Ruler->TabPixel(0) + 1, Ruler->BandBottom() - 2};
    Drag(tab, {Ruler->TabPixel(1) + 1, tab.Y}, true);
    EXPECT_EQ(Doc->UndoManager().CurrentIndex(), operations);
    EXPECT_EQ(Format0()[pfLeftIndent], 1134);
    EXPECT_EQ(TabStopPosition(Stops0()[0]), 1701);
}

TEST_F(RulerTest, AClickOnTheTextZoneAddsAStopOfTheSelectedKind)
{
    // Three clicks on the selector, far enough apart not to make a double
    // click: left, centred, right, decimal.
    for (int i = 0; i < 3; ++i) {
        Mouse.Wait(2000);
        Mouse.Click(Ruler->Handle(), {10, 10});
    }
    RunPending();
    ASSERT_EQ(CurrentTabKind, tkDecimal);
    const int32_t x = Ruler->ColumnLeftPixel() + Doc->TwipsToDeviceX(7 * 567);
    Mouse.Click(Ruler->Handle(), {x, Ruler->BandTop() + 4});
    RunPending();
    ASSERT_EQ(Stops0().size(), 4u);
    // Sorted in among the others: between 6 and 9 cm.
    EXPECT_EQ(TabStopKind(Stops0()[2]), tkDecimal);
    const int32_t position = TabStopPosition(Stops0()[2]);
    EXPECT_NEAR(position, 7 * 567, 71);
    // On the grid of eighths of a centimetre.
    EXPECT_EQ(position, Ruler->SnapToGrid(position, NotSet));
    Doc->UndoManager().Undo();
    RunPending();
    EXPECT_EQ(Stops0().size(), 3u);
    CurrentTabKind = 0;
}

TEST_F(RulerTest, ColumnGapsAndTheGripKeepTheirLimits)
{
    // Two columns of 4,000 twips with 700 between them fill a text width of 8,700.
    TSection& section = Doc->Sections(0);
    section.PageParams[ppLeftMargin] = section.PageParams[ppRightMargin] = (11906 - 8700) / 2;
    section.Settings[ssColumnCount] = 2;
    section.Settings[ssEqualColumns] = 0;
    section.Settings[TSectionSettings::ColumnValue(0, crWidth)] = 4000;
    section.Settings[TSectionSettings::ColumnValue(0, crSpacing)] = 700;
    section.Settings[TSectionSettings::ColumnValue(1, crWidth)] = 4000;
    Doc->UpdateSectionDeviceSizes();
    Refresh();
    const int32_t y = Ruler->BandTop() + 4;
    const int32_t gapLeft = Ruler->TextLeftPixel() + Doc->TwipsToDeviceX(4000);
    const int32_t gapRight = gapLeft + Doc->TwipsToDeviceX(700);
    EXPECT_EQ(Ruler->HitTest({gapLeft, y}).Hit, rhGapLeftEdge);
    EXPECT_EQ(Ruler->HitTest({gapRight, y}).Hit, rhGapRightEdge);
    EXPECT_EQ(Ruler->HitTest({(gapLeft + gapRight) / 2, y}).Hit, rhGapGrip);
    EXPECT_EQ(Ruler->HintAt({(gapLeft + gapRight) / 2, y}), "modifie la largeur de la colonne");
    auto column = [&](int32_t i, int32_t value) {
        return Doc->Sections(0).Settings[TSectionSettings::ColumnValue(i, value)];
    };
    struct TCase {
        const char* What;
        int32_t From;
        int32_t To;
        std::function<void()> Check;
    };
    const int32_t far = 2000;
    const TCase cases[] = {
        {"grip far left: the first column keeps 720", (gapLeft + gapRight) / 2, -far,
         [&] {
             EXPECT_EQ(column(0, crWidth), 720);
             EXPECT_EQ(column(1, crWidth), 8000 - 720);
         }},
        {"grip far right: the second column keeps 720", (gapLeft + gapRight) / 2, far,
         [&] {
             EXPECT_EQ(column(1, crWidth), 720);
             EXPECT_EQ(column(0, crWidth), 8000 - 720);
         }},
        {"right edge far right: the gap takes at most 4/5 of gap and column", gapRight, far,
         [&] {
             EXPECT_EQ(column(0, crSpacing), (700 + 4000) * 4 / 5);
             EXPECT_EQ(column(1, crWidth), 4700 - (700 + 4000) * 4 / 5);
             EXPECT_EQ(column(0, crWidth), 4000);
         }},
        {"left edge far left", gapLeft, -far,
         [&] {
             EXPECT_EQ(column(0, crSpacing), (4000 + 700) * 4 / 5);
             EXPECT_EQ(column(0, crWidth), 4700 - (4000 + 700) * 4 / 5);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const int32_t operations = Doc->UndoManager().CurrentIndex();
        Drag({c.From, y}, {c.To, y});
        EXPECT_EQ(Doc->UndoManager().CurrentIndex(), operations + 1);
        c.Check();
        Doc->UndoManager().Undo();
        RunPending();
        Refresh();
        EXPECT_EQ(column(0, crWidth), 4000);
        EXPECT_EQ(column(0, crSpacing), 700);
    }
}
