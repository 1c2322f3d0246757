#include "document/DocumentFixtures.h"

#include "document/model/DocObject.h"
#include "document/fields/Field.h"
#include "document/model/ObjectManager.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/model/ParReformatingManager.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/Style.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/Files.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

TEST(Document, NewDocumentHoldsOneParagraphAndOneSection)
{
    TDocument doc(true);
    EXPECT_TRUE(doc.IsHidden());
    EXPECT_EQ(doc.View(), nullptr);
    EXPECT_EQ(doc.ParagraphCount(), 1);
    EXPECT_EQ(doc.StoryCount(stBody), 1);
    EXPECT_EQ(doc.SectionCount(), 1);
    EXPECT_TRUE(doc.RangeObjects().empty());
    EXPECT_EQ(doc.Zoom(), 100);
    EXPECT_EQ(doc.KindOverride, 255);
    EXPECT_EQ(doc.GetChangeFlag(chfConstruction), 0);
    EXPECT_EQ(doc.Sections(0).Settings, DefaultSectionSettings());
    EXPECT_EQ(doc.Sections(0).PageParams[ppPaperWidth], 11905);
    EXPECT_EQ(doc.Sections(0).Trailing[1], -1);
    EXPECT_EQ(doc.ParagraphMarkers[0], NotSet);
    EXPECT_EQ(doc.UndoManager().SavedIndex, -1);
    EXPECT_EQ(doc.UndoManager().RecoveryIndex, NotSet);
    EXPECT_FALSE(doc.UndoManager().CanUndo());
    // Every object that text records name has a handle of the document.
    EXPECT_EQ(doc.Objects().GetSection(doc.Sections(0).Handle()), &doc.Sections(0));
    EXPECT_EQ(doc.Styles().Document(), &doc);
    EXPECT_EQ(doc.Styles().TabManager(), &doc.TabManager());
}

TEST(Document, InitNewDocumentGivesTheFirstParagraphItsMark)
{
    TTestHost host;
    TDocument doc(true);
    doc.InitNewDocument();
    const TParagraph& first = doc.Paragraphs(0);
    EXPECT_EQ(first.GetText().Size(), 16);
    EXPECT_EQ(first.GetCharCount(), 1);
    TTextRange body;
    doc.GetBodyRange(body);
    EXPECT_EQ(body.Start.Paragraph, 0);
    EXPECT_EQ(body.Start.Offset, 0);
    EXPECT_EQ(body.End.Paragraph, 0);
    EXPECT_EQ(body.End.Offset, 1);
    EXPECT_EQ(doc.Properties.Author, "Camille");
    EXPECT_EQ(doc.Properties.LastAuthor, "Camille");
    EXPECT_GT(doc.Properties.Created, 0);
    EXPECT_EQ(doc.Properties.LastSaved, doc.Properties.Created);
    EXPECT_EQ(doc.SelCharFormat[cfSize], 20);  // the caret takes the 10-point record
    EXPECT_EQ(doc.NewDocument, 1);
    EXPECT_EQ(doc.Initializing, 0);
}

TEST(Document, StoriesFollowOneAnother)
{
    TDocument doc(true);
    EXPECT_EQ(doc.GetStoryOfParagraph(0), stBody);
    EXPECT_EQ(doc.GetStoryOfParagraph(1), NoStory);
    doc.AppendParagraph(stHeadersFooters);
    // Empty note stories: the first paragraph after the body is a header's.
    EXPECT_EQ(doc.GetStoryOfParagraph(1), stHeadersFooters);
    doc.AppendParagraph(stBody);
    doc.AppendParagraph(stFootnotes);
    doc.AppendParagraph(stEndnotes);
    doc.AppendParagraph(stEndnotes);
    // body 0-1, footnotes 2, endnotes 3-4, headers and footers 5.
    const int32_t expected[] = {stBody, stBody, stFootnotes, stEndnotes, stEndnotes, stHeadersFooters, NoStory};
    for (int32_t i = 0; i < 7; ++i)
        EXPECT_EQ(doc.GetStoryOfParagraph(i), expected[i]) << i;
    EXPECT_EQ(doc.GetStoryOfParagraph(-1), NoStory);
    EXPECT_EQ(doc.StoryFirst(stEndnotes), 3);
    EXPECT_EQ(doc.StoryLast(stEndnotes), 4);
    EXPECT_EQ(doc.StoryLast(stHeadersFooters), 5);
    for (int32_t i = 0; i < doc.ParagraphCount(); ++i)
        EXPECT_EQ(doc.Paragraphs(i).Index, i);

    TTextRange all;
    doc.GetAllRange(all);
    EXPECT_EQ(all.End.Paragraph, 5);
    EXPECT_THROW(doc.InsertParagraph(0, stEndnotes), EListError);
    doc.DeleteParagraph(1);
    EXPECT_THROW(doc.DeleteParagraph(0), EInternalError);  // the body keeps one paragraph
    EXPECT_EQ(doc.StoryFirst(stFootnotes), 1);
    EXPECT_THROW(doc.Paragraphs(5), EListError);

    // While the body is edited, header paragraphs lie outside; while a header
    // is edited, the rest does; never in full-screen mode.
    EXPECT_TRUE(doc.IsOutsideEditedStory(4));
    EXPECT_FALSE(doc.IsOutsideEditedStory(0));
    doc.EditedHeaderFooter = &doc.AddRangeObject(rkHeaderFooter);
    EXPECT_FALSE(doc.IsOutsideEditedStory(4));
    EXPECT_TRUE(doc.IsOutsideEditedStory(0));
    doc.IsPreview = 1;
    EXPECT_FALSE(doc.IsOutsideEditedStory(0));
}

TEST(Document, ChangeFlagsRestoreInReverseOrder)
{
    TDocument doc(true);
    const int32_t a = 40, b = 41;
    doc.SetChangeFlag(b, 1);
    for (int split = 0; split < 2; ++split) {
        doc.BeginChange(a);
        doc.BeginSuppressChange(b);
        EXPECT_EQ(doc.GetChangeFlag(a), 1);
        EXPECT_EQ(doc.GetChangeFlag(b), 0);
        EXPECT_EQ(doc.ChangeStackDepth(), 2);
        if (split) {
            doc.EndChanges(1);
            EXPECT_EQ(doc.GetChangeFlag(b), 1);  // b first
            EXPECT_EQ(doc.GetChangeFlag(a), 1);
            doc.EndChanges(1);
        } else {
            doc.EndChanges(2);
        }
        EXPECT_EQ(doc.GetChangeFlag(a), 0);
        EXPECT_EQ(doc.GetChangeFlag(b), 1);
        EXPECT_EQ(doc.ChangeStackDepth(), 0);
    }
    // Nested changes of one flag come back to where they started; popping
    // more than was pushed stops at the bottom.
    doc.BeginChange(a);
    doc.BeginChange(a);
    doc.EndChanges(5);
    EXPECT_EQ(doc.GetChangeFlag(a), 0);
    EXPECT_THROW(doc.BeginChange(ChangeFlagCount), EListError);
}

TEST(Document, UnitConversionsRoundHalfUpAndTruncateNegatives)
{
    TDocument doc(true);
    ASSERT_EQ(doc.LayoutResolution(), 96);
    struct {
        int32_t Twips, Layout;
    } const cases[] = {
        {1440, 96}, {0, 0}, {7, 0}, {8, 1},  // 0.53 rounds up
        {15, 1}, {22, 1}, {23, 2},           // 1.47 down, 1.53 up
        {-8, 0}, {-15, -1}, {-23, -1},       // negatives truncate
        {11905, 794}, {2147483647, 143165576}, {-2147483647 - 1, -143165576},
    };
    for (const auto& c : cases)
        EXPECT_EQ(doc.TwipsToLayout(c.Twips), c.Layout) << c.Twips;

    doc.SetZoom(150);
    EXPECT_EQ(doc.DeviceResolutionX(), 144);
    EXPECT_EQ(doc.DeviceResolutionY(), 144);
    EXPECT_EQ(doc.LayoutResolution(), 96);
    EXPECT_EQ(doc.TwipsToDeviceX(1440), 144);
    EXPECT_EQ(doc.TwipsToDeviceY(5), 1);      // 0.5 rounds up
    EXPECT_EQ(doc.TwipsToDeviceY(-5), 0);
    EXPECT_EQ(doc.TwipsToLayoutScaled(1440, 150), 144);
    EXPECT_EQ(doc.TwipsToDeviceYScaled(1440, 50), 72);
    EXPECT_EQ(doc.LayoutToTwips(96), 1440);
    EXPECT_EQ(doc.LayoutToTwips(1), 15);
    EXPECT_EQ(doc.DeviceYToTwips(144), 1440);
    EXPECT_EQ(doc.ApplyZoom(10), 15);
    EXPECT_EQ(doc.ApplyZoom(3), 5);           // 4.5 rounds up
    EXPECT_EQ(doc.ApplyScaleX(-3), -4);       // -4.5 truncates
    EXPECT_EQ(doc.FontSizeToHeight(24), -16); // 12 pt at 96 per inch
    EXPECT_EQ(doc.FontSizeToDeviceHeight(24), -24);
    EXPECT_EQ(doc.FontSizeToDeviceHeight(2), -3);  // never below 3 in magnitude
    EXPECT_EQ(doc.FontSizeToDeviceHeight(0), -3);
    EXPECT_EQ(doc.ViewScale().Zoom, 150);
    EXPECT_EQ(doc.ViewScale().SecondZoom, 150);
    doc.SetZoom(100);
    EXPECT_EQ(doc.ApplyZoom(7), 7);
}

TEST(Document, SetZoomClampsAndRecomputesPageSizes)
{
    TDocument doc(true);
    const TPageParams& p = doc.Sections(0).PageParams;
    EXPECT_EQ(p[ppPaperWidthLayout], 794);
    EXPECT_EQ(p[ppPaperHeightLayout], 1123);
    EXPECT_EQ(p[ppLeftMarginLayout], 94);
    EXPECT_EQ(p[ppPaperHeightDevice15], p[ppPaperHeightDevice] + 15);
    doc.SetZoom(1000);
    EXPECT_EQ(doc.Zoom(), MaxZoom);
    EXPECT_EQ(p[ppPaperWidthDevice], 3968);  // 11905 twips at 480 per inch
    EXPECT_EQ(p[ppPaperWidthLayout], 794);   // layout units do not zoom
    EXPECT_EQ(p[ppTopMarginScaled], 472);
    EXPECT_EQ(doc.LargestPage().WidthDevice, 3968);
    doc.SetZoom(0);
    EXPECT_EQ(doc.Zoom(), MinZoom);
    EXPECT_EQ(doc.DeviceResolutionX(), 10);
    EXPECT_EQ(p[ppPaperWidthDevice], 83);
}

TEST(Document, CalcZoomFitsTheZoomKindToTheWindow)
{
    TTestViews views;
    TDocument doc(false);
    ASSERT_NE(doc.View(), nullptr);
    views.Log.ClientWidth = 814;  // the page width (794) and 20 units
    views.Log.ClientHeight = 600;
    struct {
        uint8_t Kind;
        int32_t Width, Height, PaperHeight, Zoom;
        uint8_t WholePage;
    } const cases[] = {
        {zkFixed, 814, 600, 16838, 100, 0},
        {zkPageWidth, 814, 600, 16838, 100, 0},
        {zkPageWidth, 417, 600, 16838, 50, 0},
        {zkTextWidth, 645, 600, 16838, 100, 0},   // text 605 units and 40
        // Whole page of an A4 page: held by the height, (600 - 20) × 100 / 1123.
        {zkWholePage, 814, 600, 16838, 51, 1},
        // A very tall page: its height limits the zoom, down to the minimum.
        {zkWholePage, 814, 600, 31680, 27, 1},
        {zkWholePage, 814, 100, 31680, 10, 1},
        {zkTwoPages, 1618, 2000, 16838, 100, 1},
        // Wide windows stop at the maximum.
        {zkPageWidth, 100000, 600, 16838, 500, 0},
        {zkPageWidth, 10, 600, 16838, 10, 0},
    };
    for (const auto& c : cases) {
        views.Log.ClientWidth = c.Width;
        views.Log.ClientHeight = c.Height;
        doc.Sections(0).PageParams[ppPaperHeight] = c.PaperHeight;
        doc.UpdateSectionDeviceSizes();
        doc.WholePageFitted = 0;
        doc.ZoomKind = c.Kind;
        EXPECT_EQ(doc.CalcZoom(), c.Zoom) << int(c.Kind) << " " << c.Width << " x " << c.Height;
        EXPECT_EQ(doc.WholePageFitted, c.WholePage);
    }
    // SetZoom takes the kind's zoom unless the kind is a fixed percentage.
    views.Log.ClientWidth = 417;
    doc.ZoomKind = zkPageWidth;
    doc.SetZoom(300);
    EXPECT_EQ(doc.Zoom(), 50);
    doc.ZoomKind = zkFixed;
    doc.SetZoom(300);
    EXPECT_EQ(doc.Zoom(), 300);
    EXPECT_GT(views.Log.Repaints, 0);
}

// The zoom changes around the place the user looks at: a point kept in page
// coordinates shows at the same place of the window afterwards.
TEST(Document, SetZoomAtKeepsThePointInPlace)
{
    TTestViews views;
    TTestDocumentLayout layout;
    layout.PageCount = 3;
    views.Log.ClientWidth = 400;
    TDocument doc(false);
    doc.SetZoom(100);
    doc.ScrollTo({100, 1200});
    ASSERT_EQ(doc.ViewOrigin.X, 100);
    ASSERT_EQ(doc.ViewOrigin.Y, 1200);
    ASSERT_EQ(layout.GetCurrentPage(doc), 1);
    // A point of page 1, 50 units right and 30 down of the window's corner.
    const TPoint keep{150, 1230};
    TRect page;
    layout.GetPageRect(doc, 1, page);
    const TPoint inPage{keep.X - page.Left, keep.Y - page.Top};
    doc.SetZoomAt(200, &keep);
    layout.GetPageRect(doc, 1, page);
    EXPECT_EQ(page.Left + inPage.X * 2 - doc.ViewOrigin.X, 50);
    EXPECT_EQ(page.Top + inPage.Y * 2 - doc.ViewOrigin.Y, 30);
    EXPECT_EQ(views.Log.ScrollBars, doc.ViewOrigin);
    EXPECT_EQ(doc.GetChangeFlag(chfPageLayout), 0);

    // Scrolling stays within what can be scrolled.
    doc.ScrollTo({-50, 1 << 30});
    EXPECT_EQ(doc.ViewOrigin.X, 0);
    EXPECT_EQ(doc.ViewOrigin.Y, doc.ViewExtent.cy - views.Log.ClientHeight);
}

TEST(Document, InitialScrollShowsTheFirstPageMargin)
{
    TTestViews views;
    TTestDocumentLayout layout;
    views.Log.ClientWidth = 400;
    TDocument doc(false);
    doc.SetZoom(100);
    doc.SetInitialScrollPos();
    const TPageParams& p = doc.Sections(0).PageParams;
    // A fifth of the left margin scrolled away; the top margin and a fifth
    // more above it (clamped at the top of the view) in sight.
    EXPECT_EQ(doc.ViewOrigin.X, 10 + p[ppLeftMarginScaled] - p[ppLeftMarginScaled] * 4 / 5);
    EXPECT_EQ(doc.ViewOrigin.Y, 0);
}

TEST(Document, FullScreenSavesAndRestoresTheView)
{
    struct TFullScreenHost : TTestHost {
        TFullScreenSettings FullScreenSettings() override { return {2, 150, zkFixed}; }
    } host;
    // The user paints on blue; full screen previews the pages as they print.
    CreateColorManager();
    TColorManager& colors = *GetColorManager();
    TColorScheme blue;
    blue.SetAsText("00FFFF0000FFFFFF00800000");
    colors.ScreenPalette().ApplyScheme(blue);
    TDocument doc(true);
    doc.ViewMode = 1;
    doc.SetZoom(80);
    doc.SetFullScreen(true);
    EXPECT_TRUE(doc.IsFullScreen());
    EXPECT_EQ(doc.ViewMode, 2);
    EXPECT_EQ(doc.Zoom(), 150);
    EXPECT_EQ(&colors.CurrentPalette(), &colors.GetFullScreenPalette());
    EXPECT_EQ(&colors.GetFullScreenPalette(), &colors.GetDefaultPalette());
    EXPECT_EQ(colors.CurrentPalette().Colors(0).Color(), 0x000000);
    EXPECT_EQ(colors.CurrentPalette().Colors(2).Color(), 0xFFFFFF);
    // Entering twice changes nothing; the saved view stays the normal one.
    doc.SetFullScreen(true);
    doc.SetFullScreen(false);
    EXPECT_FALSE(doc.IsFullScreen());
    EXPECT_EQ(doc.ViewMode, 1);
    EXPECT_EQ(doc.Zoom(), 80);
    EXPECT_EQ(&colors.CurrentPalette(), &colors.ScreenPalette());
    EXPECT_EQ(colors.CurrentPalette().Colors(0).Color(), 0xFFFF00);
    EXPECT_EQ(colors.CurrentPalette().Colors(2).Color(), 0x800000);
    // Printing switched to the default palette meanwhile: the document's own
    // scheme comes back.
    colors.UseDefaultPalette();
    doc.ApplyColorScheme();
    EXPECT_EQ(&colors.CurrentPalette(), &colors.ScreenPalette());
    FreeColorManager();
    // Without a colour manager the view still switches.
    doc.SetFullScreen(true);
    EXPECT_TRUE(doc.IsFullScreen());
    doc.SetFullScreen(false);
}

TEST(Document, UntitledNamesCountAndSkipOpenDocuments)
{
    TTestHost host;
    TDocument doc(true);
    EXPECT_EQ(doc.MakeUntitledName(), "/docs/Doc01.rtf");
    EXPECT_EQ(doc.MakeUntitledName(), "/docs/Doc02.rtf");
    // After 99 the counter starts again at 1.
    host.SetUntitledCounter(99);
    EXPECT_EQ(doc.MakeUntitledName(), "/docs/Doc01.rtf");
    // Names of open documents are skipped.
    host.OpenNames = {"/docs/Doc02.rtf", "/docs/Doc03.rtf"};
    EXPECT_EQ(doc.MakeUntitledName(), "/docs/Doc04.rtf");
    EXPECT_EQ(host.UntitledCounter(), 4);
    doc.Format = ciWord97;
    host.Folder = "/autre";
    EXPECT_EQ(doc.MakeUntitledName(), "/autre/Doc05.doc");
}

TEST(Document, UntitledNamesEndWhenEveryTwoDigitNameIsOpen)
{
    TTestHost host;
    TDocument doc(true);
    for (int i = 1; i <= 99; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/docs/Doc%02d.rtf", i);
        host.OpenNames.insert(name);
    }
    host.OpenNames.insert("/docs/Doc100.rtf");
    EXPECT_EQ(doc.MakeUntitledName(), "/docs/Doc101.rtf");
    // A dispatcher that counts every name as open cannot hold the loop either.
    host.OpenAll = true;
    EXPECT_FALSE(doc.MakeUntitledName().empty());
}

TEST(Document, TitleTextIsCleaned)
{
    EXPECT_EQ(CleanTitleText("  Lettre\tà Paul : \"brouillon\"?  ", false), "Lettre à Paul    brouillon");
    EXPECT_EQ(CleanTitleText("  Lettre\tà Paul : \"brouillon\"?  ", true), "Lettre à Paul : \"brouillon\"?");
}

TEST(Document, TitleSuggestedFromTheFirstSentence)
{
    struct TCase {
        std::vector<std::string> Body;
        bool Keep;
        const char* Expected;
    };
    const std::string longSentence(150, 'a');
    const TCase cases[] = {
        // The first sentence, its closing punctuation gone, the extension on.
        {{"Rapport annuel. Deuxième phrase.{22:2}"}, false, "Rapport annuel.rtf"},
        {{"Rapport annuel. Deuxième phrase.{22:2}"}, true, "Rapport annuel"},
        // Empty paragraphs are passed over.
        {{"{22:2}", "{22:2}", "Compte rendu de la réunion ?{22:2}"}, false, "Compte rendu de la réunion.rtf"},
        // Characters a file name cannot hold become blanks, unless kept.
        {{"Devis: \"cuisine\"/salle de bains !{22:2}"}, false, "Devis   cuisine  salle de bains.rtf"},
        {{"Devis: \"cuisine\"/salle de bains !{22:2}"}, true, "Devis: \"cuisine\"/salle de bains"},
        // A tab and a line break inside the sentence.
        {{"Lettre{22:7}à Paul{22:5}suite.{22:2}"}, false, "Lettre à Paul suite.rtf"},
        // Cut to 100 characters as a file name, whole as a title.
        {{longSentence + "{22:2}"}, false, nullptr},
        {{longSentence + "{22:2}"}, true, nullptr},
        // Nothing to take: the default.
        {{"{22:2}"}, false, "Doc01.rtf"},
        {{"... !{22:2}"}, false, "Doc01.rtf"},
        {{"{22:2}"}, true, "Doc01.rtf"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Body.back());
        TDocument doc(true);
        for (size_t i = 0; i < c.Body.size(); ++i)
            SetParagraphText(i == 0 ? doc.Paragraphs(0) : doc.AppendParagraph(stBody), c.Body[i]);
        const std::string title = doc.SuggestTitle("Doc01.rtf", c.Keep);
        if (c.Expected)
            EXPECT_EQ(title, c.Expected);
        else
            EXPECT_EQ(title, c.Keep ? longSentence : std::string(100, 'a') + ".rtf");
    }
}

TEST(Document, PropertiesDialogMarksTheDocument)
{
    TTestHost host;
    TDocument doc(true);
    host.NewTitle = "Rapport";
    doc.EditProperties();  // cancelled
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.Properties.Title, "");
    host.AcceptProperties = true;
    doc.EditProperties();
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.PropertiesChanged, 1);
    EXPECT_EQ(doc.Properties.Title, "Rapport");
    EXPECT_EQ(doc.UndoManager().SavedIndex, NotSet);
    EXPECT_EQ(host.LayoutRequests, 1);
    doc.SetModified(true);  // no change, no request
    EXPECT_EQ(host.LayoutRequests, 1);
    EXPECT_FALSE(doc.IsTemplate());
}

// The whole life of a document: four stories, several sections, pictures and
// range objects, measured, zoomed and freed. Under the sanitizers of the test
// build a leak or a stale handle fails the run.
TEST(Document, FullDocumentLivesAndDies)
{
    TTestViews views;
    TTestDocumentLayout layout;
    {
        TDocument doc(false);
        doc.InitNewDocument();
        TSection& first = doc.InsertSection(0);
        TSection& second = doc.InsertSection(1);
        second.PageParams[ppPaperWidth] = 16838;  // landscape A4
        second.PageParams[ppPaperHeight] = 11905;
        ValidatePageParams(second.PageParams);
        auto& picture = doc.ObjectManager().AddObject(std::make_unique<TDocPicture>(nullptr));
        SetParagraphText(doc.Paragraphs(0), "Premier{6:1}" + SectionBreak(first));
        SetParagraphText(doc.AppendParagraph(stBody), "Image " + Rec(icPicture, picture.Handle()) + kMark);
        SetParagraphText(doc.AppendParagraph(stBody), "Paysage" + SectionBreak(second));
        SetParagraphText(doc.AppendParagraph(stBody), "Fin" + std::string(kMark));
        SetParagraphText(doc.AppendParagraph(stFootnotes), "Note" + std::string(kMark));
        SetParagraphText(doc.AppendParagraph(stEndnotes), "Note de fin" + std::string(kMark));
        SetParagraphText(doc.AppendParagraph(stHeadersFooters), "En-tête" + std::string(kMark));
        TField& note = doc.AddRangeObject(rkNoteReference);
        TField& header = doc.AddRangeObject(rkHeaderFooter);
        first.HeadersFooters[0] = &header;
        note.NoteRecord = &header;
        for (int32_t i = 0; i < doc.ParagraphCount(); ++i)
            doc.ReformatingManager().AddParagraph(i);
        doc.ReformatingManager().AddParagraph(0);
        EXPECT_EQ(doc.ReformatingManager().Queue().size(), 7u);

        TLargestPage largest;
        doc.GetMaxPageSizes(largest);
        EXPECT_EQ(largest.WidthTwips, 16838);
        EXPECT_EQ(largest.HeightTwips, 16838);
        EXPECT_EQ(doc.GetSectionOfParagraph(1).Handle(), second.Handle());
        EXPECT_EQ(doc.GetSectionOfParagraph(3).Number, 2);
        EXPECT_EQ(doc.GetObjectAt({1, 6}), &picture);
        EXPECT_TRUE(doc.HasDifferentPageSizes());

        doc.ZoomKind = zkWholePage;
        doc.SetZoom(100);
        EXPECT_EQ(doc.Zoom(), 51);  // the tallest page in 600 units
        doc.SelectAll();
        EXPECT_TRUE(doc.HasSelection());
        EXPECT_EQ(doc.Objects().Count(), 3 + 1 + 2);  // sections, picture, range objects
        doc.Pages().push_back(std::make_unique<TPage>(&doc, 0));
        doc.Pages()[0]->Header = &header;
        doc.RemoveRangeObject(&header);
        EXPECT_EQ(first.HeadersFooters[0], nullptr);
        EXPECT_EQ(note.NoteRecord, nullptr);
        EXPECT_EQ(doc.Pages()[0]->Header, nullptr);
    }
    EXPECT_EQ(views.Log.Destroyed, 1);
    EXPECT_FALSE(views.Log.DestroyedNow);
    EXPECT_EQ(layout.Released, 1);
}

TEST(Document, ObjectHandlesResolveByKindWhileTheObjectLives)
{
    TDocument doc(true);
    TDocObject& picture = doc.ObjectManager().AddObject(std::make_unique<TDocPicture>(nullptr));
    TDocObject& ole = doc.ObjectManager().AddObject(std::make_unique<TDocOLEObject>(&doc));
    TField& field = doc.AddRangeObject(rkField);
    const TObjectHandle handles[] = {picture.Handle(), ole.Handle(), field.Handle(), doc.Sections(0).Handle()};
    for (TObjectHandle h : handles)
        EXPECT_GT(h, 0);
    EXPECT_EQ(doc.Objects().KindOf(picture.Handle()), TObjectKind::Picture);
    EXPECT_EQ(doc.Objects().KindOf(ole.Handle()), TObjectKind::OleObject);
    EXPECT_EQ(doc.Objects().GetDocObject(ole.Handle()), &ole);
    EXPECT_EQ(doc.Objects().GetField(field.Handle()), &field);
    // A handle of another kind resolves to nothing.
    EXPECT_EQ(doc.Objects().GetSection(picture.Handle()), nullptr);
    EXPECT_EQ(doc.Objects().GetField(doc.Sections(0).Handle()), nullptr);
    EXPECT_EQ(doc.Objects().KindOf(NoObjectHandle), TObjectKind::None);

    // Freed objects leave the table, and their handles are not given again.
    const TObjectHandle gone = picture.Handle();
    doc.ObjectManager().RemoveObject(&picture);
    doc.RemoveRangeObject(&field);
    EXPECT_EQ(doc.Objects().KindOf(gone), TObjectKind::None);
    EXPECT_EQ(doc.Objects().Count(), 2);
    TDocObject& again = doc.ObjectManager().AddObject(std::make_unique<TDocPicture>(nullptr));
    EXPECT_NE(again.Handle(), gone);

    // An object moved to another document takes a handle there.
    TDocument other(true);
    auto loose = std::make_unique<TDocPicture>(&other);
    const TObjectHandle before = loose->Handle();
    TDocObject& moved = doc.ObjectManager().AddObject(std::move(loose));
    EXPECT_EQ(other.Objects().KindOf(before), TObjectKind::None);
    EXPECT_EQ(doc.Objects().GetDocObject(moved.Handle()), &moved);
    EXPECT_EQ(moved.GetDocument(), &doc);
}

// The clear text of an encrypted document's working file is overwritten
// before the file is deleted; a second link to the file shows what was left.
TEST(Document, WorkingFileIsDeletedAndWipedForEncryptedDocuments)
{
    const std::string dir = MakeTestDir("working-file");
    for (int32_t coding : {ciRtf, ciEncrypted}) {
        const std::string name = dir + "/travail" + std::to_string(coding) + ".tmp";
        const std::string link = name + ".lien";
        const std::string secret(40000, 'S');
        WriteTestFile(name, secret);
        ASSERT_EQ(::link(name.c_str(), link.c_str()), 0);
        {
            TDocument doc(true);
            doc.Format = coding;
            doc.WorkingFileName = name;
            doc.WorkingFileHandle = FileOpen(name, fmOpenReadWrite | fmShareDenyNone);
            ASSERT_NE(doc.WorkingFileHandle, INVALID_HANDLE_VALUE);
            doc.KeepsWorkingFile = 1;
        }
        EXPECT_FALSE(FileExists(name));
        const std::string left = ReadTestFile(link);
        ASSERT_EQ(left.size(), secret.size());
        if (coding == ciEncrypted)
            EXPECT_EQ(left, std::string(secret.size(), '\0'));
        else
            EXPECT_EQ(left, secret);
    }
}

TEST(Document, PageCountRepaintsWhenThePagesChange)
{
    TTestViews views;
    TTestDocumentLayout layout;
    TDocument doc(false);
    EXPECT_EQ(doc.PageGridCount, 100);
    const int before = views.Log.Repaints;
    doc.SetPageCount(100);  // unchanged
    doc.SetPageCount(3);    // the current page stays where it was
    EXPECT_EQ(doc.PageGridCount, 3);
    EXPECT_EQ(views.Log.Repaints, before);
    TSection& wide = doc.InsertSection(0);
    wide.PageParams[ppPaperWidth] = 20000;
    doc.SetPageCount(4);
    EXPECT_EQ(views.Log.Repaints, before + 1);
}
