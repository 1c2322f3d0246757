// The document window in a real MDI frame: its controls and document
// rectangle, its scroll bars through pagination, zoom and typing, the page
// hint while the scroll box is dragged, the zoom at a point, hand scrolling,
// the close question, and what it shows of a corpus document.
#include "docwindow/DocumentWindowFixture.h"

#include "document/model/Paragraph.h"
#include "foundation/Memory.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Ranges.h"
#include "platform/framework/controls/Tabs.h"
#include "shell/ShellTesting.h"

#include <algorithm>
#include <fstream>

namespace {

// Body paragraphs of filler text; every tenth one, when headings are asked
// for, a "Heading 1" paragraph "Chapitre n".
std::string LongRtf(int paragraphs, bool headings, const std::string& firstHeading = "")
{
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
                      "{\\stylesheet{\\s0 Normal;}{\\s1\\fs32\\b heading 1;}}\\fs24";
    for (int i = 0; i < paragraphs; ++i) {
        if (headings && i % 10 == 0) {
            const std::string title = i == 0 && !firstHeading.empty() ? firstHeading : "Chapitre " + std::to_string(i / 10 + 1);
            rtf += "\\pard\\s1\\fs32\\b " + title + "\\par";
        }
        rtf += "\\pard\\plain\\fs24 Paragraphe " + std::to_string(i + 1) +
               " : un texte de remplissage qui occupe une ligne et demie de la page pour faire des pages.\\par";
    }
    return rtf + "}";
}

}  // namespace

class DocumentFormTest : public DocumentWindowTest {};

TEST_F(DocumentFormTest, ScrollBarsFollowPaginationZoomAndTypingThatAddsAPage)
{
    TDocument* document = OpenRtf("long.rtf", LongRtf(60, false));
    ASSERT_NE(document, nullptr);
    TDocumentForm& window = WindowOf(*document);
    TScrollBar& vertical = *window.VerScrollBar95();
    TScrollBar& horizontal = *window.HorScrollBar95();
    const int32_t V = GetSystemMetrics(SM_CXVSCROLL);
    const int32_t H = GetSystemMetrics(SM_CYHSCROLL);

    // Both bars shown; the document rectangle is the client area less them,
    // and the bars' page sizes are its size.
    ASSERT_TRUE(vertical.Visible());
    ASSERT_TRUE(horizontal.Visible());
    EXPECT_TRUE(window.PageScrollPanel()->Visible());
    EXPECT_FALSE(window.BookmarkTabs()->Visible());
    const TRect client = window.TForm::ClientRect();
    EXPECT_EQ(window.DocRect, (TRect{0, 0, client.Right - V, client.Bottom - H}));
    EXPECT_EQ(vertical.PageSize(), window.DocHeight);
    EXPECT_EQ(horizontal.PageSize(), window.DocWidth);
    EXPECT_EQ(vertical.Left(), client.Right - V);
    EXPECT_EQ(vertical.Height(), window.PageScrollPanel()->Top());
    EXPECT_EQ(window.PageScrollPanel()->Height(), 2 * V + H);
    EXPECT_EQ(window.PageUpSpeedButton()->Tag, cmdPageUp);
    EXPECT_EQ(window.PageDownSpeedButton()->Tag, cmdPageDown);

    // After pagination the vertical range is the page grid's height.
    const int32_t pages = document->PageCount();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(vertical.Max(), document->ViewExtent.cy - 1);
    EXPECT_EQ(document->ViewExtent.cy,
              (document->LargestPage().HeightDevice + PageGap) * document->PageRows + PageGap);
    EXPECT_EQ(vertical.Position(), 0);

    // Zoomed to 200 %, the range follows the pages twice as tall, and the
    // bar keeps showing the view origin.
    const int32_t extent100 = document->ViewExtent.cy;
    document->SetZoom(200);
    RunPending();
    EXPECT_EQ(vertical.Max(), document->ViewExtent.cy - 1);
    EXPECT_NEAR(document->ViewExtent.cy - PageGap, 2 * (extent100 - PageGap), pages * PageGap + 4);
    EXPECT_EQ(horizontal.Max(), document->ViewExtent.cx - 1);
    EXPECT_EQ(vertical.Position(), document->ViewOrigin.Y);
    document->SetZoom(100);
    RunPending();
    EXPECT_EQ(vertical.Max(), extent100 - 1);

    // Typing at the end that fills another page: the range grows by a page.
    const int32_t last = document->StoryLast(stBody);
    document->SetSelection(last, 0, last, 0);
    std::string text;
    for (int i = 0; i < 120; ++i)
        text += "Encore une phrase tapee au clavier pour remplir la page. ";
    TMemory buffer;
    buffer.Append(text.data(), static_cast<int32_t>(text.size()));
    uint8_t flags = 0;
    document->ExecuteOperation(docInsertText, {&buffer, &flags});
    RunPending();
    document->PaginateAll();
    UpdatePageLayout(*document);
    ASSERT_GT(document->PageCount(), pages);
    EXPECT_EQ(vertical.Max(), document->ViewExtent.cy - 1);
    EXPECT_GT(vertical.Max(), extent100 - 1);

    // A user's move of the bar scrolls the document.
    vertical.SetPosition(300);
    EXPECT_EQ(document->ViewOrigin.Y, 300);
    horizontal.SetPosition(0);
    EXPECT_EQ(document->ViewOrigin.X, 0);
}

TEST_F(DocumentFormTest, ViewOptionsDecideWhichControlsShowAndTheDocumentRectangle)
{
    TDocument* document = OpenRtf("marque.rtf",
                                  "{\\rtf1\\ansi Un {\\*\\bkmkstart Alpha}signet{\\*\\bkmkend Alpha} et "
                                  "{\\*\\bkmkstart Beta}un autre{\\*\\bkmkend Beta}.\\par}");
    ASSERT_NE(document, nullptr);
    TDocumentForm& window = WindowOf(*document);
    const TRect client = window.TForm::ClientRect();
    const int32_t V = GetSystemMetrics(SM_CXVSCROLL);
    const int32_t H = GetSystemMetrics(SM_CYHSCROLL);
    struct TCase {
        const char* What;
        int32_t Mode;
        uint8_t ZoomKind;
        bool Tabs;
        bool FullScreen;
        bool Vertical, Horizontal;
        TRect Rect;
    };
    const TCase cases[] = {
        {"both bars", 3, zkFixed, false, false, true, true, {0, 0, client.Right - V, client.Bottom - H}},
        {"horizontal only at page width: none", 1, zkPageWidth, false, false, false, false, client},
        {"vertical only", 2, zkFixed, false, false, true, false, {0, 0, client.Right - V, client.Bottom}},
        {"tabs below the horizontal bar", 3, zkFixed, true, false, true, true,
         {0, 0, client.Right - V, client.Bottom - H - (BookmarkTabHeight - 1)}},
        {"tabs without a horizontal bar", 2, zkFixed, true, false, true, false,
         {0, 0, client.Right - V, client.Bottom - BookmarkTabHeight}},
        {"full screen hides everything", 3, zkFixed, true, true, false, false, client},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        Shell.Options.ScrollBarMode = c.Mode;
        Shell.Options.BookmarkTabs = c.Tabs;
        Shell.FullScreenMode = c.FullScreen;
        document->ZoomKind = c.ZoomKind;
        window.RealignView();
        EXPECT_EQ(window.VerScrollBar95()->Visible(), c.Vertical);
        EXPECT_EQ(window.PageScrollPanel()->Visible(), c.Vertical);
        EXPECT_EQ(window.HorScrollBar95()->Visible(), c.Horizontal);
        EXPECT_EQ(window.BookmarkTabs()->Visible(), c.Tabs && !c.FullScreen);
        EXPECT_EQ(window.DocRect, c.Rect);
        EXPECT_EQ(window.ClientWidth(), c.Rect.Width());
        EXPECT_EQ(window.ClientHeight(), c.Rect.Height());
    }
    // The tabs hold the bookmarks; a click on one goes there, a double click
    // asks for the bookmark dialog.
    Shell.Options.BookmarkTabs = true;
    Shell.FullScreenMode = false;
    document->ZoomKind = zkFixed;
    window.RealignView();
    TTabSet& tabs = *window.BookmarkTabs();
    ASSERT_EQ(tabs.Tabs().Count(), 2);
    EXPECT_EQ(tabs.Tabs().Strings(0), "Alpha");
    EXPECT_EQ(tabs.Tabs().Strings(1), "Beta");
    RunPending();
    const TRect second = tabs.TabRect(1);
    Mouse.Click(tabs.Handle(), {(second.Left + second.Right) / 2, (second.Top + second.Bottom) / 2});
    RunPending();
    EXPECT_EQ(document->Caret.Paragraph, 0);
    EXPECT_EQ(document->Caret.Offset, 13);  // "Un signet et |un autre"
    tabs.OnDblClick(&tabs);
    EXPECT_EQ(Shell.Commands, std::vector<int32_t>{cmdBookmarkDialog});
}

TEST_F(DocumentFormTest, DraggingTheScrollBoxShowsThePageAndItsHeading)
{
    TDocument* document = OpenRtf("chapitres.rtf", LongRtf(60, true));
    ASSERT_NE(document, nullptr);
    TDocumentForm& window = WindowOf(*document);
    ASSERT_GE(document->PageCount(), 3);
    TScrollBar& bar = *window.VerScrollBar95();
    RunPending();

    // The thumb stands just below the upper arrow; dragged to the middle of
    // the bar, it shows the page there with its chapter, then goes.
    const int32_t V = bar.Width();
    Mouse.Press(bar.Handle(), {V / 2, V + 2});
    Mouse.Move(bar.Handle(), {V / 2, bar.Height() / 2});
    RunPending();
    ASSERT_NE(window.PageHintWindow(), nullptr);
    EXPECT_TRUE(window.PageHintWindow()->Visible());
    const int32_t page = window.PageHintPage();
    EXPECT_GT(page, 0);
    EXPECT_EQ(window.PageHintTextShown(), PageHintText(*document, page));
    EXPECT_EQ(window.PageHintTextShown().rfind("Page " + std::to_string(page + 1) + "\r\nChapitre ", 0), 0u);
    // At the top right of the document rectangle, 200 pixels wide.
    const TPoint corner = window.ClientToScreen({window.DocRect.Right - 200, window.DocRect.Top});
    EXPECT_EQ(window.PageHintWindow()->Left(), corner.X);
    EXPECT_EQ(window.PageHintWindow()->Top(), corner.Y);
    EXPECT_EQ(window.PageHintWindow()->Width(), 200);
    Mouse.Release(bar.Handle(), {V / 2, bar.Height() / 2});
    RunPending();
    EXPECT_EQ(window.PageHintWindow(), nullptr);
    EXPECT_GT(document->ViewOrigin.Y, 0);
    EXPECT_EQ(document->ViewOrigin.Y, bar.Position());
}

TEST_F(DocumentFormTest, PageHintTexts)
{
    const std::string heading250(250, 'h');
    TDocument* chapters = OpenRtf("chapitres.rtf", LongRtf(40, true));
    TDocument* longHeading = OpenRtf("long.rtf", LongRtf(40, true, heading250));
    TDocument* plain = OpenRtf("plain.rtf", LongRtf(40, false));
    ASSERT_TRUE(chapters && longHeading && plain);
    // Page 1 starts with its heading; a page without one shows the nearest before it.
    EXPECT_EQ(PageHintText(*chapters, 0), "Page 1\r\nChapitre 1");
    const std::string second = PageHintText(*chapters, 1);
    EXPECT_EQ(second.rfind("Page 2\r\nChapitre ", 0), 0u) << second;
    EXPECT_EQ(PageHintText(*plain, 1), "Page 2");
    // Page line, line break and heading longer than 200 characters: cut, and the ellipsis.
    const std::string cut = PageHintText(*longHeading, 0);
    EXPECT_EQ(cut, ("Page 1\r\n" + heading250).substr(0, 200) + "\x85");

    // A document of one page shows no hint.
    TDocument* single = OpenRtf("court.rtf", "{\\rtf1\\ansi Court.\\par}");
    ASSERT_EQ(single->PageCount(), 1);
    WindowOf(*single).ShowPageHint(0);
    EXPECT_EQ(WindowOf(*single).PageHintWindow(), nullptr);
}

TEST_F(DocumentFormTest, ZoomAtAPointStepsByTheKeysAndSoundsAsTheDirection)
{
    TDocument* document = OpenRtf("zoom.rtf", LongRtf(10, false));
    TDocumentForm& window = WindowOf(*document);
    struct TCase {
        uint32_t Keys;
        bool Out;
        int32_t Step;
        int32_t Event;
    };
    const TCase cases[] = {
        {0, false, 25, evZoomIn},
        {MK_CONTROL, false, 10, evZoomIn},
        {MK_SHIFT, true, 100, evZoomOut},
        {MK_CONTROL | MK_SHIFT, true, 10, evZoomOut},
    };
    for (const TCase& c : cases) {
        Host.Events.clear();
        Shell.Zooms.clear();
        window.ZoomAtPoint(ZoomAtCentre, 0, c.Out, c.Keys);
        ASSERT_EQ(Shell.Zooms.size(), 1u);
        EXPECT_EQ(Shell.Zooms[0].Step, c.Step);
        EXPECT_EQ(Shell.Zooms[0].ZoomOut, c.Out);
        EXPECT_EQ(Host.Events, std::vector<int32_t>{c.Event});
    }
    // The centre of the view lies on the first page: its page and the point on it.
    const TZoomPointerContext& context = Shell.Zooms[0];
    EXPECT_EQ(context.ViewPoint, (TPoint{window.DocWidth / 2, window.DocHeight / 2}));
    EXPECT_EQ(context.Page, 0);
    const TRect page = document->Pages()[0]->Rect;
    EXPECT_EQ(context.PagePoint, (TPoint{context.DocumentPoint.X - page.Left, context.DocumentPoint.Y - page.Top}));
    EXPECT_NE(Shell.ZoomHits[0].Kind, hkOutside);
}

TEST_F(DocumentFormTest, HandScrollingMovesTheViewByTheMouseDistance)
{
    TDocument* document = OpenRtf("main.rtf", LongRtf(40, false));
    TDocumentForm& window = WindowOf(*document);
    document->ScrollTo({0, 400});
    window.BeginPanning(200, 200);
    EXPECT_EQ(Host.Events, std::vector<int32_t>{evPanningStarted});
    window.PanTo(200, 150);
    EXPECT_EQ(document->ViewOrigin.Y, 450);
    window.PanTo(200, 260);
    EXPECT_EQ(document->ViewOrigin.Y, 340);
    // Not beyond the top of the document.
    window.PanTo(200, 5000);
    EXPECT_EQ(document->ViewOrigin.Y, 0);
    window.EndPanning();
    window.PanTo(200, 100);
    EXPECT_EQ(document->ViewOrigin.Y, 0);
}

TEST_F(DocumentFormTest, ClosingAsksAboutEveryChangedDocumentAndDoesWhatTheAnswerSays)
{
    enum TState { Unchanged, ChangedSaved, ChangedUntitled, ReadOnly };
    struct TCase {
        const char* What;
        TState State;
        std::deque<int32_t> Answers;
        bool DialogAccepts;  // the Save As dialog, when it opens
        bool Asked;
        bool Closed;
        bool Written;  // to the file or the Save As name
    };
    const TCase cases[] = {
        {"unchanged", Unchanged, {}, true, false, true, false},
        {"changed, Yes", ChangedSaved, {mrYes}, true, true, true, true},
        {"changed, No", ChangedSaved, {mrNo}, true, true, true, false},
        {"changed, Cancel", ChangedSaved, {mrCancel}, true, true, false, false},
        {"untitled, Yes and a name", ChangedUntitled, {mrYes}, true, true, true, true},
        {"untitled, Yes and the dialog cancelled", ChangedUntitled, {mrYes}, false, true, false, false},
        {"untitled, No", ChangedUntitled, {mrNo}, true, true, true, false},
        {"untitled, Cancel", ChangedUntitled, {mrCancel}, true, true, false, false},
        {"read-only, Yes and a name", ReadOnly, {mrYes, mrOk}, true, true, true, true},
        {"read-only, No", ReadOnly, {mrNo}, true, true, true, false},
        {"read-only, Cancel", ReadOnly, {mrCancel}, true, true, false, false},
    };
    int n = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const std::string original = "{\\rtf1\\ansi Texte d'origine.\\par}";
        const std::string path = Dir + "/doc" + std::to_string(++n) + ".rtf";
        const std::string saveAs = Dir + "/nouveau" + std::to_string(n) + ".rtf";
        TDocument* document = nullptr;
        if (c.State == ChangedUntitled) {
            document = DocDispatcher->NewDocument();
        } else {
            WriteTestFile(path, original);
            document = DocDispatcher->OpenDocument(path);
        }
        ASSERT_NE(document, nullptr);
        if (c.State == ReadOnly)
            document->FileState.ReadOnly = 1;
        if (c.State != Unchanged)
            document->SetModified(true);
        TDocumentForm& window = WindowOf(*document);
        // Save As: for a new document and a read-only one (after telling so).
        const bool dialogExpected = !c.Answers.empty() && c.Answers.front() == mrYes && c.State != ChangedSaved;
        bool dialogOpened = false;
        if (dialogExpected)
            AnswerNextSystemDialog([&](TSystemDialogAnswer& answer) {
                dialogOpened = true;
                EXPECT_EQ(answer.Kind, "save");
                answer.Accept = c.DialogAccepts;
                answer.FileName = saveAs;
            });
        TScriptedAnswers answers;
        answers.Script = c.Answers;
        window.Close();
        RunPending();

        const bool closed = DocDispatcher->IndexOf(document) < 0;
        EXPECT_EQ(closed, c.Closed);
        EXPECT_EQ(!answers.Texts.empty(), c.Asked);
        if (c.Asked) {
            const std::string name = c.State == ChangedUntitled ? "Nouveau document" : "doc" + std::to_string(n) + ".rtf";
            EXPECT_EQ(answers.Texts[0], "Le document \"" + name + "\" a changé. Voulez-vous enregistrer les modifications ?");
        }
        EXPECT_EQ(dialogOpened, dialogExpected);
        if (c.State == ReadOnly && dialogOpened) {
            EXPECT_NE(answers.Texts[1].find("doc" + std::to_string(n) + ".rtf\" a été ouvert en lecture seule."),
                      std::string::npos)
                << answers.Texts[1];
        }
        const std::string target = c.State == ChangedSaved ? path : saveAs;
        if (c.Written) {
            EXPECT_TRUE(TestPathExists(target));
        }
        if (c.State == ChangedSaved)
            EXPECT_EQ(ReadTestFile(path) != original, c.Written);
        else
            EXPECT_EQ(TestPathExists(saveAs), c.Written);
        if (!closed) {
            document->SetModified(false);
            window.Close();
            RunPending();
            EXPECT_LT(DocDispatcher->IndexOf(document), 0);
        }
    }
    // Each closing fired the document-closed event.
    EXPECT_EQ(std::count(Host.Events.begin(), Host.Events.end(), evDocumentClosed), static_cast<long>(std::size(cases)));
}

TEST_F(DocumentFormTest, ACorpusDocumentShowsOnItsPageAt100AndAt200Percent)
{
    const std::string file = SharedDir() + "/corpus/rtf/abiword-exported/10177-symptoms.abw.exp.raw.rtf";
    ELDRAVIN_NEED_SHARED(file);
    TDocument* document = DocDispatcher->OpenDocument(file);
    ASSERT_NE(document, nullptr);
    TDocumentForm& window = WindowOf(*document);
    RunPending();

    // The height of the first line of ink on the page, and where the page's
    // white starts on the left.
    struct TShot {
        int32_t InkTop = -1, InkBottom = -1, PageLeft = -1;
    };
    auto shoot = [&](const std::string& name) {
        window.Repaint();
        RunPending();
        TBitmap bitmap;
        EXPECT_TRUE(GrabWindow(window.Handle(), bitmap));
        WriteBitmapPng(bitmap, TestOutputDir() + "/" + name);
        TShot shot;
        const int32_t middle = window.DocHeight / 2;
        const uint8_t* row = bitmap.ScanLine(middle);
        for (int32_t x = 0; x < window.DocWidth; ++x)
            if (row[x * 4] == 255 && row[x * 4 + 1] == 255 && row[x * 4 + 2] == 255) {
                shot.PageLeft = x;
                break;
            }
        for (int32_t y = 40; y < window.DocHeight && (shot.InkBottom < 0); ++y) {
            const uint8_t* line = bitmap.ScanLine(y);
            bool ink = false;
            for (int32_t x = shot.PageLeft + 5; x < std::min(window.DocWidth - 30, shot.PageLeft + 500); ++x) {
                const uint8_t* p = line + x * 4;
                if (p[0] < 100 && p[1] < 100 && p[2] < 100) {
                    ink = true;
                    break;
                }
            }
            if (ink && shot.InkTop < 0)
                shot.InkTop = y;
            else if (!ink && shot.InkTop >= 0)
                shot.InkBottom = y;
        }
        return shot;
    };
    const TShot at100 = shoot("document-window-100.png");
    // The grey workspace left of the page, the white page, then text.
    ASSERT_GT(at100.PageLeft, 0);
    const uint8_t* left = nullptr;
    {
        TBitmap bitmap;
        ASSERT_TRUE(GrabWindow(window.Handle(), bitmap));
        left = bitmap.ScanLine(window.DocHeight / 2);
        EXPECT_FALSE(left[0] == 255 && left[1] == 255 && left[2] == 255);
    }
    ASSERT_GT(at100.InkTop, 0);
    ASSERT_GT(at100.InkBottom, at100.InkTop);

    document->SetZoom(200);
    document->ScrollTo({0, 0});
    const TShot at200 = shoot("document-window-200.png");
    ASSERT_GT(at200.InkBottom, at200.InkTop);
    // The first line's ink is about twice as tall.
    const double ratio = static_cast<double>(at200.InkBottom - at200.InkTop) / (at100.InkBottom - at100.InkTop);
    EXPECT_GT(ratio, 1.6);
    EXPECT_LT(ratio, 2.5);
}
