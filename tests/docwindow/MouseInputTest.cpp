// Real mouse input on a document window: clicks, double and triple clicks in
// the text and in the selection margin, drag selection across pages with
// autoscroll, Shift+click, links, rectangular selections with Alt, resizing a
// picture by its handle, text drags inside the document, the wheel, the
// middle button, focus loss in a drag, the context menus, and drops from
// other programs.
#include "docwindow/DocumentWindowFixture.h"

#include "docwindow/ClipboardManager.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/DocObject.h"
#include "document/model/Paragraph.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/OperationManager.h"
#include "foundation/MessageAnswers.h"
#include "layout/LayoutLine.h"
#include "layout/LinePainter.h"
#include "platform/framework/controls/Ranges.h"
#include "platform/ole/DataObject.h"
#include "platform/runtime/CodePages.h"
#include "platform/win/DragDrop.h"

#include <functional>

namespace {

// An 8 x 8 red PNG, shown one inch square.
const char* const PictureHex =
    "89504e470d0a1a0a0000000d49484452000000080000000808020000004b6d29dc0000001149444154789c633821278715310c2d09"
    "0090bf4101b29f3e220000000049454e44ae426082";

std::string MouseDocumentRtf()
{
    return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fmodern Courier New;}}\\fs24"
                       "\\pard Premier paragraphe avec quelques mots. Une seconde phrase ici.\\par"
                       "\\pard Voir {\\field{\\*\\fldinst HYPERLINK \"rapport.rtf\"}{\\fldrslt lien}} ou http://exemple.org aussi.\\par"
                       "\\pard Image {\\pict\\pngblip\\picw8\\pich8\\picwgoal1440\\pichgoal1440 ") +
           PictureHex +
           "} fin.\\par"
           "\\pard\\f1 abcdefghij\\par abcdefghij\\par abcdefghij\\par"
           "\\pard\\f0 Dernier paragraphe du texte.\\par}";
}

std::string LongRtf(int paragraphs)
{
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\fs24";
    for (int i = 0; i < paragraphs; ++i)
        rtf += "\\pard Paragraphe " + std::to_string(i + 1) +
               " : un texte de remplissage qui occupe une ligne et demie de la page pour faire des pages.\\par";
    return rtf + "}";
}

int32_t FindParagraph(TDocument& document, const std::string& prefix)
{
    for (int32_t i = 0; i < document.ParagraphCount(); ++i)
        if (document.GetTextRun(i, 0, static_cast<int32_t>(prefix.size())) == prefix)
            return i;
    return -1;
}

int32_t OffsetOf(TDocument& document, int32_t paragraph, const std::string& text)
{
    return static_cast<int32_t>(document.GetTextRun(paragraph, 0, 500).find(text));
}

struct TLinePlace {
    TLayoutLine* Line = nullptr;
    TRect PageRect{};
    TLineGeometry Geometry;
};

TLinePlace PlaceOf(TDocument& document, int32_t paragraph, int32_t offset)
{
    TLinePlace place;
    for (const auto& page : document.Pages())
        for (TParLine* line : page->Lines)
            if (line && !place.Line && &AsLayoutLine(line)->Paragraph() == &document.Paragraphs(paragraph) &&
                line->FirstChar <= offset && offset < line->FirstChar + std::max(line->CharCount, 1))
                place.Line = AsLayoutLine(line);
    EXPECT_NE(place.Line, nullptr) << paragraph << ":" << offset;
    if (!place.Line)
        place.Line = AsLayoutLine(&document.Paragraphs(0).GetLine(0));
    place.PageRect = place.Line->Page->Rect;
    GetLineGeometry(*place.Line, place.Geometry);
    return place;
}

// View point at the character: its middle, or just right of its left edge.
TPoint CharPoint(TDocument& document, int32_t paragraph, int32_t offset, bool leftEdge = false)
{
    TLinePlace p = PlaceOf(document, paragraph, offset);
    const auto i = static_cast<size_t>(offset - p.Line->FirstChar);
    const int32_t x = leftEdge ? p.Geometry.X[i] + 1 : (p.Geometry.X[i] + p.Geometry.X[i + 1]) / 2;
    return {p.PageRect.Left + x, p.PageRect.Top + p.Geometry.Top + p.Geometry.BandHeight / 2};
}

std::string SelectedText(TDocument& document)
{
    const TTextSelection& s = document.Selection();
    std::string text;
    for (int32_t p = s.Start.Paragraph; p <= s.End.Paragraph; ++p) {
        const int32_t from = p == s.Start.Paragraph ? s.Start.Offset : 0;
        const int32_t to = p == s.End.Paragraph ? s.End.Offset : document.Paragraphs(p).GetCharCount();
        if (p > s.Start.Paragraph)
            text += "|";
        text += document.GetTextRun(p, from, to - from);
    }
    return text;
}

class TMouseShell : public TWindowTestShell {
public:
    int32_t Mode = 0;
    TMouseEditOptions EditOptions;
    std::vector<std::vector<std::string>> Menus;
    std::vector<std::string> Links;
    std::function<void()> Paste;
    int32_t MouseMode() override { return Mode; }
    TMouseEditOptions MouseEditOptions() override { return EditOptions; }
    void OpenLinkTarget(const std::string& target) override { Links.push_back(target); }
    void ShowContextMenu(const std::vector<std::string>& menus, TPoint) override { Menus.push_back(menus); }
    void RunCommand(int32_t id) override
    {
        TWindowTestShell::RunCommand(id);
        if (id == 3360 && Paste)
            Paste();
    }
};

class TMouseHost : public TWindowTestHost {
public:
    bool UrlDetection() override { return true; }
};

// Modifier keys held for a scope.
class THeldKeys {
public:
    THeldKeys(TTestKeyboard& keyboard, std::vector<std::string> keys) : FKeyboard(keyboard), FKeys(std::move(keys))
    {
        for (const auto& key : FKeys)
            FKeyboard.Down(key);
    }
    ~THeldKeys()
    {
        for (auto it = FKeys.rbegin(); it != FKeys.rend(); ++it)
            FKeyboard.Up(*it);
    }

private:
    TTestKeyboard& FKeyboard;
    std::vector<std::string> FKeys;
};

}  // namespace

class MouseInputTest : public DocumentWindowTest {
protected:
    void SetUp() override
    {
        DocumentWindowTest::SetUp();
        CreateClipboardManager(1);
    }
    void TearDown() override
    {
        FreeClipboardManager();
        DocumentWindowTest::TearDown();
    }

    TDocument* OpenMouseDocument()
    {
        TDocument* document = OpenRtf("souris.rtf", MouseDocumentRtf());
        if (document) {
            Window = &WindowOf(*document);
            SetFocus(Window->Handle());
            RunPending();
        }
        return document;
    }

    HWND W() { return Window->Handle(); }
    TPoint At(TDocument& document, int32_t paragraph, int32_t offset, bool leftEdge = false)
    {
        return Window->DocumentToClient(CharPoint(document, paragraph, offset, leftEdge));
    }
    TPoint MarginAt(TDocument& document, int32_t paragraph)
    {
        const TLinePlace p = PlaceOf(document, paragraph, 0);
        return Window->DocumentToClient({p.PageRect.Left + 4, p.PageRect.Top + p.Geometry.Top + p.Geometry.BandHeight / 2});
    }
    void Drag(TPoint from, TPoint to)
    {
        Mouse.Press(W(), from);
        Mouse.Move(W(), {(from.X + to.X) / 2, (from.Y + to.Y) / 2});
        Mouse.Move(W(), to);
        Mouse.Release(W(), to);
        RunPending();
    }
    void SavePng(const std::string& name)
    {
        RunPending();
        TBitmap grab;
        if (GrabWindow(W(), grab))
            WriteBitmapPng(grab, TestOutputDir() + "/" + name);
    }

    TMouseHost MouseHost;
    TMouseShell Shell2;
    TTestKeyboard Keyboard;
    TDocumentForm* Window = nullptr;
};

TEST_F(MouseInputTest, OneTwoAndThreeClicksSelectMoreInTheTextAndInTheMargin)
{
    TDocument* document = OpenMouseDocument();
    ASSERT_NE(document, nullptr);
    const int32_t first = FindParagraph(*document, "Premier");
    const int32_t word = OffsetOf(*document, first, "quelques");
    const int32_t length = document->Paragraphs(first).GetCharCount();
    const TParLine& line = document->Paragraphs(first).GetLine(0);
    const std::string firstLine = document->GetTextRun(first, 0, line.CharCount);
    struct TCase {
        const char* What;
        bool Margin;
        std::string AfterOne, AfterTwo, AfterThree;
    };
    const std::string paragraph = document->GetTextRun(first, 0, length);
    const TCase cases[] = {
        {"in the text: caret, word, paragraph", false, "", "quelques", paragraph},
        {"in the margin: line, paragraph, everything", true, firstLine, paragraph, "*"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Mouse.Wait(2000);
        const TPoint point = c.Margin ? MarginAt(*document, first) : At(*document, first, word + 2);
        Mouse.Click(W(), point);
        RunPending();
        EXPECT_EQ(SelectedText(*document), c.AfterOne);
        if (!c.Margin) {
            EXPECT_EQ(document->Caret.Offset, word + 2);
        }
        Mouse.Click(W(), point);
        RunPending();
        EXPECT_EQ(SelectedText(*document), c.AfterTwo);
        Mouse.Click(W(), point);
        RunPending();
        if (c.AfterThree == "*") {
            const TTextSelection& s = document->Selection();
            EXPECT_EQ(s.Start.Paragraph, 0);
            EXPECT_EQ(s.Start.Offset, 0);
            EXPECT_EQ(s.End.Paragraph, document->StoryLast(stBody));
        } else {
            EXPECT_EQ(SelectedText(*document), c.AfterThree);
        }
        EXPECT_EQ(GetCapture(), HWND_NONE);
        EXPECT_EQ(Window->WindowFlags & (dwfDragSelecting | dwfTextDragArmed), 0u);
    }

    // Three mouse moves after a double click: the next click is no triple
    // click but a click in the selection, which puts the caret there.
    Mouse.Wait(2000);
    const TPoint point = At(*document, first, word + 2);
    Mouse.Click(W(), point);
    Mouse.Click(W(), point);
    ASSERT_EQ(SelectedText(*document), "quelques");
    for (int i = 1; i <= 3; ++i)
        Mouse.Move(W(), {point.X + i, point.Y});
    Mouse.Click(W(), point);
    RunPending();
    EXPECT_FALSE(document->HasSelection());
    EXPECT_EQ(document->Caret.Offset, word + 2);

    // Between the pages nothing happens; a double click there opens the page setup.
    const TRect page0 = document->Pages()[0]->Rect;
    const TPoint grey = Window->DocumentToClient({page0.Left - 3, page0.Top + 100});
    Mouse.Wait(2000);
    Mouse.Click(W(), grey);
    EXPECT_EQ(document->Caret.Offset, word + 2);
    Mouse.Click(W(), grey);
    RunPending();
    EXPECT_EQ(Shell2.Commands, std::vector<int32_t>{260});
    EXPECT_NE(std::find(MouseHost.Events.begin(), MouseHost.Events.end(), 13100), MouseHost.Events.end());
}

TEST_F(MouseInputTest, DraggingBelowTheViewScrollsAndSelectsAcrossPages)
{
    TDocument* document = OpenRtf("long.rtf", LongRtf(60));
    ASSERT_NE(document, nullptr);
    Window = &WindowOf(*document);
    SetFocus(W());
    RunPending();
    ASSERT_GE(document->PageCount(), 3);
    // The last paragraph that starts on the first page, shown near the bottom of the view.
    int32_t pressed = 0;
    while (pressed + 1 < document->ParagraphCount() && document->PageOfPosition({pressed + 1, 0}) == 0)
        ++pressed;
    const TPoint view = CharPoint(*document, pressed, 3);
    document->ScrollTo({0, view.Y - Window->DocHeight + 60});
    RunPending();
    const int32_t origin = document->ViewOrigin.Y;
    const TPoint start = At(*document, pressed, 3);
    Mouse.Press(W(), start);
    Mouse.Move(W(), {start.X + 40, start.Y + 10});
    // Past the bottom of the document rectangle: the timer scrolls and the
    // selection follows the scrolled view onto the next page.
    const TPoint below{start.X + 40, Window->DocRect.Bottom + 10};
    Mouse.Move(W(), below);
    EXPECT_NE(Window->WindowFlags & dwfAutoscrollTimerOn, 0u);
    // The timer's ticks come from the event loop: run it, a bounded number of rounds.
    for (int round = 0; round < 200 && document->PageOfPosition(document->Selection().End) < 1; ++round)
        RunPending();
    EXPECT_GT(document->ViewOrigin.Y, origin);
    SavePng("mouse-drag-select-across-pages.png");
    Mouse.Release(W(), below);
    RunPending();
    const TTextSelection& s = document->Selection();
    // Whole words: the anchor goes back to its word's start.
    EXPECT_EQ(s.Start.Paragraph, pressed);
    EXPECT_EQ(s.Start.Offset, 0);
    EXPECT_GE(document->PageOfPosition(s.End), 1);
    EXPECT_EQ(Window->WindowFlags & (dwfAutoscrollTimerOn | dwfDragSelecting), 0u);
    EXPECT_EQ(GetCapture(), HWND_NONE);
    // 10 pixels outside scroll 6 pixels a tick.
    EXPECT_EQ(TDocumentForm::AutoscrollStep(10), 6);
    EXPECT_EQ(TDocumentForm::AutoscrollStep(0), 0);
}

TEST_F(MouseInputTest, ShiftClickExtendsByWordsOrByCharactersAsTheOptionSays)
{
    TDocument* document = OpenMouseDocument();
    ASSERT_NE(document, nullptr);
    const int32_t first = FindParagraph(*document, "Premier");
    const int32_t from = OffsetOf(*document, first, "paragraphe") + 3;
    const int32_t to = OffsetOf(*document, first, "quelques") + 2;
    struct TCase {
        bool WholeWords;
        std::string Selected;
    };
    for (const TCase& c : {TCase{true, "paragraphe avec quelques"}, TCase{false, "agraphe avec qu"}}) {
        SCOPED_TRACE(c.WholeWords);
        Shell2.EditOptions.SelWholeWords = c.WholeWords;
        Mouse.Wait(2000);
        Mouse.Click(W(), At(*document, first, from, true));
        ASSERT_EQ(document->Caret.Offset, from);
        {
            THeldKeys shift(Keyboard, {"Shift"});
            Mouse.Click(W(), At(*document, first, to, true));
        }
        RunPending();
        EXPECT_EQ(SelectedText(*document), c.Selected);
    }
}

TEST_F(MouseInputTest, LinksFollowOnAClickReleasedWhereItWasPressedAndWebAddressesOnCtrlClick)
{
    TDocument* document = OpenMouseDocument();
    ASSERT_NE(document, nullptr);
    const int32_t linked = FindParagraph(*document, "Voir");
    const int32_t lien = OffsetOf(*document, linked, "lien");
    const int32_t address = OffsetOf(*document, linked, "exemple");
    WriteTestFile(Dir + "/rapport.rtf", "{\\rtf1 Rapport.\\par}");
    {
        // Released elsewhere: nothing is followed (no question is asked).
        TMessageAnswers answers;
        Drag(At(*document, linked, lien + 1), At(*document, linked, lien + 3));
    }
    {
        // A local file asks the safety question first.
        TYesNoPresetHost presets;
        TMessageAnswers answers;
        answers.Expect("rapport.rtf", mrNo);
        Mouse.Wait(2000);
        Mouse.Click(W(), At(*document, linked, lien + 1));
        RunPending();
    }
    EXPECT_EQ(GetCapture(), HWND_NONE);
    // Ctrl+click on a web address written in the text opens it.
    {
        THeldKeys ctrl(Keyboard, {"Ctrl"});
        Mouse.Wait(2000);
        Mouse.Click(W(), At(*document, linked, address));
    }
    RunPending();
    EXPECT_EQ(Shell2.Links, std::vector<std::string>{"http://exemple.org"});
    EXPECT_NE(std::find(MouseHost.Events.begin(), MouseHost.Events.end(), 10140), MouseHost.Events.end());
    // Ctrl+click elsewhere selects the sentence.
    const int32_t first = FindParagraph(*document, "Premier");
    {
        THeldKeys ctrl(Keyboard, {"Ctrl"});
        Mouse.Wait(2000);
        Mouse.Click(W(), At(*document, first, OffsetOf(*document, first, "seconde")));
    }
    RunPending();
    EXPECT_EQ(SelectedText(*document).rfind("Une seconde phrase ici.", 0), 0u);
}

TEST_F(MouseInputTest, AltDragMakesABlockThatTheReleaseCopiesDeletesOrLeavesAsAnOrdinarySelection)
{
    struct TCase {
        const char* What;
        std::vector<std::string> Keys;
        bool Columns;
        std::string Clipboard;  // "" not checked
        std::string Line;       // the first block line afterwards
    };
    const TCase cases[] = {
        {"Alt alone copies the block", {"Alt"}, false, "cde\r\ncde\r\ncde", "abcdefghij"},
        {"Alt+Ctrl deletes its text", {"Alt", "Ctrl"}, false, "", "abfghij"},
        {"in two columns an ordinary selection", {"Alt"}, true, "", "abcdefghij"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::string rtf = MouseDocumentRtf();
        if (c.Columns)
            rtf.insert(rtf.find("\\pard"), "\\cols2 ");
        TDocument* document = OpenRtf(std::string("bloc") + (c.Columns ? "2" : "1") + std::to_string(c.Keys.size()) + ".rtf", rtf);
        ASSERT_NE(document, nullptr);
        Window = &WindowOf(*document);
        SetFocus(W());
        RunPending();
        const int32_t top = FindParagraph(*document, "abcdefghij");
        ASSERT_GE(top, 0);
        {
            THeldKeys keys(Keyboard, c.Keys);
            Mouse.Wait(2000);
            const TPoint from = At(*document, top, 2, true);
            Mouse.Press(W(), from);
            EXPECT_EQ((Window->WindowFlags & dwfBlockSelecting) != 0, !c.Columns);
            const TPoint to = At(*document, top + 2, 5, true);
            Mouse.Move(W(), to);
            if (!c.Columns) {
                SavePng("mouse-block-selection.png");
            }
            Mouse.Release(W(), to);
        }
        RunPending();
        EXPECT_EQ(document->GetTextRun(top, 0, 20), c.Line);
        EXPECT_EQ(document->GetTextRun(top + 2, 0, 20), c.Line);
        if (!c.Clipboard.empty()) {
            TClipboardManager& clipboard = *GetClipboardManager();
            ASSERT_TRUE(clipboard.Open(1000));
            EXPECT_EQ(TextOfBlock(clipboard.GetData(CF_TEXT)), c.Clipboard);
            clipboard.Close();
        }
        if (c.Columns) {
            EXPECT_TRUE(document->HasSelection());
        }
        EXPECT_EQ(ShownBlockSelection(*document), nullptr);
        DocDispatcher->CloseDocument(document);
        RunPending();
    }
}

TEST_F(MouseInputTest, DraggingAPictureHandleScalesItWithinFiveToAThousandPercent)
{
    TDocument* document = OpenMouseDocument();
    ASSERT_NE(document, nullptr);
    const int32_t pictured = FindParagraph(*document, "Image");
    const int32_t picture = OffsetOf(*document, pictured, " ") + 1;
    const TPoint middle = At(*document, pictured, picture);
    const THitTestResult onPicture = Window->HitTest(middle.X, middle.Y - 20);
    ASSERT_NE(onPicture.Object, nullptr);
    TDocObject& object = *onPicture.Object;
    // A click selects the picture.
    Mouse.Click(W(), {middle.X, middle.Y - 20});
    RunPending();
    ASSERT_TRUE(document->IsObjectSelected());
    struct TCase {
        const char* What;
        int32_t Dx, Dy;
        int32_t ScaleX, ScaleY;
    };
    const TCase cases[] = {
        {"twice as large", 96, 96, 200, 200},
        {"wider only", 48, 0, 150, 100},
        {"below the smallest size", -400, -400, 5, 5},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const TPoint view = CharPoint(*document, pictured, picture);
        const THitTestResult hit = Window->HitTest(Window->DocumentToClient(view).X, Window->DocumentToClient(view).Y - 20);
        const TPoint corner = Window->DocumentToClient({hit.ObjectRect.Right - 2, hit.ObjectRect.Bottom - 2});
        ASSERT_EQ(Window->HitTest(corner.X, corner.Y).ObjectHandle, 8);
        Mouse.Wait(2000);
        Drag(corner, {corner.X + c.Dx, corner.Y + c.Dy});
        EXPECT_EQ(object.ScaleX, c.ScaleX);
        EXPECT_EQ(object.ScaleY, c.ScaleY);
        if (c.Dx == 96) {
            SavePng("mouse-picture-resized.png");
        }
        document->UndoManager().Undo();
        RunPending();
        EXPECT_EQ(object.ScaleX, 100);
        EXPECT_EQ(object.ScaleY, 100);
        // The picture stays selected for the next drag.
        if (!document->IsObjectSelected())
            Mouse.Click(W(), {middle.X, middle.Y - 20});
    }
}

TEST_F(MouseInputTest, DraggingTheSelectionMovesOrCopiesItAndUndoPutsItBack)
{
    TDocument* document = OpenMouseDocument();
    ASSERT_NE(document, nullptr);
    const int32_t first = FindParagraph(*document, "Premier");
    const int32_t last = FindParagraph(*document, "Dernier");
    const int32_t word = OffsetOf(*document, first, "quelques");
    const std::string firstText = document->GetTextRun(first, 0, 200);
    const std::string lastText = document->GetTextRun(last, 0, 200);
    struct TCase {
        const char* What;
        bool Copy;
        bool Inside;
        std::string First, Last;
    };
    const std::string moved = "Premier paragraphe avec mots. Une seconde phrase ici.";
    const TCase cases[] = {
        {"moved", false, false, moved, "quelques Dernier paragraphe du texte."},
        {"copied with Ctrl", true, false, firstText, "quelques Dernier paragraphe du texte."},
        {"dropped inside itself", false, true, firstText, lastText},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Mouse.Wait(2000);
        const TPoint on = At(*document, first, word + 2);
        Mouse.Click(W(), on);
        Mouse.Click(W(), on);
        RunPending();
        ASSERT_EQ(SelectedText(*document), "quelques");
        Mouse.Wait(2000);
        const TPoint target = c.Inside ? At(*document, first, word + 5) : At(*document, last, 0, true);
        {
            THeldKeys keys(Keyboard, c.Copy ? std::vector<std::string>{"Ctrl"} : std::vector<std::string>{});
            Drag(on, target);
        }
        EXPECT_EQ(document->GetTextRun(first, 0, 200), c.First);
        EXPECT_EQ(document->GetTextRun(last, 0, 200), c.Last);
        if (c.Inside) {
            EXPECT_FALSE(document->HasSelection());
            continue;
        }
        EXPECT_NE(std::find(MouseHost.Events.begin(), MouseHost.Events.end(), 10020), MouseHost.Events.end());
        document->UndoManager().Undo();
        RunPending();
        EXPECT_EQ(document->GetTextRun(first, 0, 200), firstText);
        EXPECT_EQ(document->GetTextRun(last, 0, 200), lastText);
    }
}

TEST_F(MouseInputTest, TheWheelScrollsByNotchesAddsUpSmallDeltasAndZoomsWithCtrl)
{
    TDocument* document = OpenRtf("long.rtf", LongRtf(60));
    ASSERT_NE(document, nullptr);
    Window = &WindowOf(*document);
    SetFocus(W());
    RunPending();
    const int32_t page = Window->VerScrollBar95()->LargeChange;
    ASSERT_GT(page, 48);
    struct TCase {
        const char* What;
        std::vector<std::string> Keys;
        std::vector<int> Deltas;
        int32_t Dy;
        std::vector<int32_t> Commands;
    };
    const TCase cases[] = {
        {"a notch down scrolls three lines", {}, {-120}, 48, {}},
        {"a notch up", {}, {120}, -48, {}},
        {"two notches in one message", {}, {-240}, 96, {}},
        {"thirds of a notch add up to one", {}, {-40, -40}, 0, {}},
        {"the third third", {}, {-40, -40, -40}, 48, {}},
        {"turning back forgets the parts", {}, {-60, 60, 60}, -48, {}},
        {"Shift scrolls a page", {"Shift"}, {-120}, page, {}},
        {"Ctrl zooms in", {"Ctrl"}, {120}, 0, {6196}},
        {"Ctrl zooms out once a notch is there", {"Ctrl"}, {-60, -60}, 0, {6195}},
        {"Alt does nothing", {"Alt"}, {-120}, 0, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Window->WheelRemainder = 0;
        Window->ZoomWheelRemainder = 0;
        document->ScrollTo({0, 1000});
        Shell2.Commands.clear();
        {
            THeldKeys keys(Keyboard, c.Keys);
            for (int delta : c.Deltas)
                Mouse.Wheel(W(), {200, 200}, delta);
        }
        RunPending();
        EXPECT_EQ(document->ViewOrigin.Y, 1000 + c.Dy);
        EXPECT_EQ(Shell2.Commands, c.Commands);
    }
}

TEST_F(MouseInputTest, TheMiddleButtonAndLosingTheFocusEndTheMouseStates)
{
    TDocument* document = OpenRtf("long.rtf", LongRtf(60));
    ASSERT_NE(document, nullptr);
    Window = &WindowOf(*document);
    SetFocus(W());
    RunPending();
    // Middle button: autoscroll mode with the direction cursor until release.
    Mouse.Press(W(), {200, 200}, TTestButton::Middle);
    EXPECT_NE(Window->WindowFlags & dwfWheelAutoscroll, 0u);
    EXPECT_EQ(GetCapture(), W());
    Mouse.Move(W(), {200, 260});
    EXPECT_EQ(Window->MouseCursor, 28 + 3 * 2 + 1);
    Mouse.Move(W(), {200, 150});
    EXPECT_EQ(Window->MouseCursor, 28 + 1);
    Mouse.Release(W(), {200, 150}, TTestButton::Middle);
    EXPECT_EQ(Window->WindowFlags & dwfWheelAutoscroll, 0u);
    EXPECT_EQ(GetCapture(), HWND_NONE);

    // A drag past the view runs the autoscroll timer; switching elsewhere
    // stops it, ends the drag and frees the mouse.
    const TPoint start = At(*document, 0, 3);
    Mouse.Press(W(), start);
    Mouse.Move(W(), {start.X, Window->DocRect.Bottom + 30});
    ASSERT_NE(Window->WindowFlags & dwfAutoscrollTimerOn, 0u);
    SetFocus(Frame->Handle());
    RunPending();
    EXPECT_EQ(Window->WindowFlags & (dwfAutoscrollTimerOn | dwfDragSelecting), 0u);
    EXPECT_EQ(GetCapture(), HWND_NONE);
    const TPoint origin = document->ViewOrigin;
    RunPending();
    EXPECT_EQ(document->ViewOrigin, origin);
    Mouse.Release(W(), {start.X, Window->DocRect.Bottom + 30});
}

TEST_F(MouseInputTest, MagnifierAndHandModesTakeTheClicks)
{
    TDocument* document = OpenMouseDocument();
    ASSERT_NE(document, nullptr);
    const TPoint point = At(*document, 0, 5);
    struct TCase {
        const char* What;
        int32_t Mode;
        TTestButton Button;
        int Clicks;
        std::vector<bool> ZoomsOut;
    };
    const TCase cases[] = {
        {"magnifier: a left click zooms in", 3, TTestButton::Left, 1, {false}},
        {"magnifier: a left double click zooms in twice", 3, TTestButton::Left, 2, {false, false}},
        {"magnifier: right click and double click zoom out", 3, TTestButton::Right, 2, {true, true}},
        {"hand: a double click does nothing more", 1, TTestButton::Left, 2, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Shell2.Mode = c.Mode;
        Shell2.Zooms.clear();
        Mouse.Wait(2000);
        for (int i = 0; i < c.Clicks; ++i)
            Mouse.Click(W(), point, c.Button);
        RunPending();
        std::vector<bool> zooms;
        for (const auto& zoom : Shell2.Zooms)
            zooms.push_back(zoom.ZoomOut);
        EXPECT_EQ(zooms, c.ZoomsOut);
        EXPECT_EQ(GetCapture(), HWND_NONE);
    }
}

TEST_F(MouseInputTest, TheContextMenuIsMergedFromWhatLiesUnderThePointer)
{
    TDocument* document = OpenMouseDocument();
    ASSERT_NE(document, nullptr);
    const int32_t first = FindParagraph(*document, "Premier");
    const int32_t linked = FindParagraph(*document, "Voir");
    const int32_t pictured = FindParagraph(*document, "Image");
    const int32_t picture = OffsetOf(*document, pictured, " ") + 1;
    const TPoint onPicture = At(*document, pictured, picture);
    using TMenus = std::vector<std::string>;
    struct TCase {
        const char* What;
        TPoint Point;
        TMenus Menus;
        bool ObjectSelected;
    };
    const TCase cases[] = {
        {"text (a misspelled word too, until spelling serves the window)", At(*document, first, 3),
         {"CLIPBRD", "", "TXTFMT"}, false},
        {"a hyperlink", At(*document, linked, OffsetOf(*document, linked, "lien") + 1), {"CLIPBRD", "", "HLINK"}, false},
        {"a picture, selected first", {onPicture.X, onPicture.Y - 20}, {"CLIPBRD", "", "OBJ"}, true},
        {"the selected picture again", {onPicture.X, onPicture.Y - 20}, {"CLIPBRD", "", "OBJ"}, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Shell2.Menus.clear();
        Mouse.Wait(2000);
        Mouse.Click(W(), c.Point, TTestButton::Right);
        RunPending();
        ASSERT_EQ(Shell2.Menus.size(), 1u);
        EXPECT_EQ(Shell2.Menus[0], c.Menus);
        EXPECT_EQ(document->IsObjectSelected(), c.ObjectSelected);
    }
    // The context-menu key: the caret in the link offers the link's menu.
    Shell2.Menus.clear();
    Mouse.Wait(2000);
    Mouse.Click(W(), At(*document, linked, OffsetOf(*document, linked, "lien") + 1));
    RunPending();
    SendMessage(W(), WM_CONTEXTMENU, W(), MakeLParam(100, 100));
    ASSERT_EQ(Shell2.Menus.size(), 1u);
    EXPECT_EQ(Shell2.Menus[0], (TMenus{"CLIPBRD", "", "HLINK"}));
}

TEST_F(MouseInputTest, DropsFromOtherProgramsPasteTextAndInsertFiles)
{
    TDocument* document = OpenMouseDocument();
    ASSERT_NE(document, nullptr);
    Shell2.Paste = [document] {
        uint8_t plain = 0;
        int32_t format = 0;
        document->ExecuteOperation(docPaste, {&plain, &format});
    };
    WriteTestFile(Dir + "/note.txt", "Texte du fichier\n");
    std::string png;
    for (size_t i = 0; PictureHex[i] && PictureHex[i + 1]; i += 2)
        png += static_cast<char>(std::stoi(std::string(PictureHex + i, 2), nullptr, 16));
    WriteTestFile(Dir + "/image.png", png);
    // What is dropped goes to the start of the last paragraph, which stays the last one.
    const int32_t last = document->StoryLast(stBody);
    ASSERT_EQ(last, FindParagraph(*document, "Dernier"));
    const int32_t objects = document->Objects().Count();

    struct TCase {
        const char* What;
        TTestDragData Data;
        uint32_t Effect;
        std::function<void()> Check;
    };
    const TCase cases[] = {
        {"text", {"déposé ", {}, 3, false}, DROPEFFECT_COPY,
         [&] { EXPECT_EQ(document->GetTextRun(document->StoryLast(stBody), 0, 14), AnsiFromUtf8("déposé Dernier")); }},
        {"text with Ctrl is text", {"encore ", {}, 3, true}, DROPEFFECT_COPY,
         [&] { EXPECT_EQ(document->GetTextRun(document->StoryLast(stBody), 0, 7), "encore "); }},
        {"a text file", {"", {Dir + "/note.txt"}, 3, false}, DROPEFFECT_COPY,
         [&] { EXPECT_NE(FindParagraph(*document, "Texte du fichier"), -1); }},
        {"a picture file", {"", {Dir + "/image.png"}, 3, false}, DROPEFFECT_COPY,
         [&] { EXPECT_EQ(document->Objects().Count(), objects + 1); }},
        {"files with Ctrl become links", {"", {Dir + "/note.txt"}, 3, true}, DROPEFFECT_COPY, [&] {
             int links = 0;
             for (const auto& field : document->RangeObjects())
                 links += field->Type == fkHyperlink && field->Instruction.find("note.txt") != std::string::npos;
             EXPECT_EQ(links, 1);
         }},
        {"nothing usable", {"", {}, 3, false}, DROPEFFECT_NONE, [] {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        // A selection that entering takes away.
        document->SetSelection(0, 0, 0, 4);
        const int32_t end = document->StoryLast(stBody);
        const std::string before = document->GetTextRun(end, 0, 200);
        TTestDrag drag(c.Data);
        const TPoint target = At(*document, end, 0, true);
        EXPECT_EQ(drag.Enter(W(), {target.X, target.Y - 30}), c.Effect);
        if (c.Effect != DROPEFFECT_NONE) {
            EXPECT_FALSE(document->HasSelection());
        }
        drag.Move(W(), target);
        if (c.Effect != DROPEFFECT_NONE) {
            EXPECT_EQ(document->Caret.Paragraph, end);
            EXPECT_EQ(document->Caret.Offset, 0);
        }
        drag.Drop(W(), target);
        RunPending();
        c.Check();
        if (c.Effect == DROPEFFECT_NONE) {
            EXPECT_EQ(document->GetTextRun(end, 0, 200), before);
        }
        EXPECT_EQ(Window->WindowFlags & (dwfTextDragArmed | dwfClipInsertDrag), 0u);
        EXPECT_EQ(GetClipboardManager()->DragSource(), nullptr);
    }
    SavePng("mouse-after-drops.png");
}
