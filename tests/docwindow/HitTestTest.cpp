// What lies under points of a document window: a document of two sections
// with a header, a footnote, a picture and a hyperlink field, hit at points
// worked out from its laid-out lines.
#include "docwindow/DocumentWindowFixture.h"

#include "document/model/DocObject.h"
#include "docwindow/ObjectResize.h"
#include "document/model/Paragraph.h"
#include "layout/CaretDisplay.h"
#include "layout/LayoutLine.h"
#include "layout/LinePainter.h"

#include <cmath>

namespace {

// An 8 x 8 red PNG, shown one inch square.
const char* const PictureHex =
    "89504e470d0a1a0a0000000d49484452000000080000000808020000004b6d29dc0000001149444154789c633821278715310c2d09"
    "0090bf4101b29f3e220000000049454e44ae426082";

std::string TestDocumentRtf()
{
    return std::string("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}\\fs24"
                       "{\\header\\pard Titre courant\\par}"
                       "\\pard Premier paragraphe avec un mot.{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} Une note.\\par}\\par"
                       "\\pard Voir {\\field{\\*\\fldinst HYPERLINK \"http://exemple.org\"}{\\fldrslt lien}} ici.\\par"
                       "\\pard Image {\\pict\\pngblip\\picw8\\pich8\\picwgoal1440\\pichgoal1440 ") +
           PictureHex +
           "} fin.\\par"
           "\\sect\\pard Seconde section.\\par}";
}

// The paragraph whose text starts with the prefix (body story).
int32_t FindParagraph(TDocument& document, const std::string& prefix)
{
    for (int32_t i = 0; i < document.ParagraphCount(); ++i)
        if (document.GetTextRun(i, 0, static_cast<int32_t>(prefix.size())) == prefix)
            return i;
    return -1;
}

struct TLinePlace {
    TLayoutLine* Line = nullptr;
    TRect PageRect{};
    TLineGeometry Geometry;
};

// The line of a page that shows the offset of the paragraph (headers,
// footers and notes stand on the pages as the body does).
TLinePlace PlaceOf(TDocument& document, int32_t paragraph, int32_t offset)
{
    TLinePlace place;
    for (const auto& page : document.Pages())
        for (TParLine* line : page->Lines)
            if (line && !place.Line && &AsLayoutLine(line)->Paragraph() == &document.Paragraphs(paragraph) &&
                line->FirstChar <= offset && offset < line->FirstChar + std::max(line->CharCount, 1))
                place.Line = AsLayoutLine(line);
    EXPECT_NE(place.Line, nullptr) << paragraph << ":" << offset;
    if (!place.Line) {
        place.Line = AsLayoutLine(&document.Paragraphs(document.StoryFirst(stBody)).GetLine(0));
    }
    place.PageRect = place.Line->Page->Rect;
    GetLineGeometry(*place.Line, place.Geometry);
    return place;
}

// A view point in the middle of the character at the offset (its line's middle height).
TPoint CharPoint(TDocument& document, int32_t paragraph, int32_t offset)
{
    TLinePlace p = PlaceOf(document, paragraph, offset);
    const int32_t i = offset - p.Line->FirstChar;
    const int32_t x = (p.Geometry.X[static_cast<size_t>(i)] + p.Geometry.X[static_cast<size_t>(i) + 1]) / 2;
    return {p.PageRect.Left + x, p.PageRect.Top + p.Geometry.Top + p.Geometry.BandHeight / 2};
}

}  // namespace

class HitTestTest : public DocumentWindowTest {};

TEST_F(HitTestTest, PointsOverATwoSectionDocumentGiveTheAreaAndThePlaceUnderThem)
{
    TDocument* document = OpenRtf("essai.rtf", TestDocumentRtf());
    ASSERT_NE(document, nullptr);
    TDocumentForm& window = WindowOf(*document);
    ASSERT_GE(document->PageCount(), 2);
    ASSERT_EQ(document->SectionCount(), 2);

    const int32_t first = FindParagraph(*document, "Premier");
    const int32_t linked = FindParagraph(*document, "Voir");
    const int32_t pictured = FindParagraph(*document, "Image");
    const int32_t second = FindParagraph(*document, "Seconde");
    const int32_t header = FindParagraph(*document, "Titre");
    ASSERT_TRUE(first >= 0 && linked >= 0 && pictured >= 0 && second >= 0 && header >= 0);
    // The footnote's reference is a character of the first paragraph; the
    // note's text stands in its own story.
    EXPECT_GT(document->StoryFirst(stFootnotes), second);
    ASSERT_GT(document->StoryCount(stFootnotes), 0);
    ASSERT_NE(document->Pages()[0]->Header, nullptr);
    // The header stands at its distance from the top of the page.
    const int32_t headerTop = document->TwipsToDeviceY(document->Sections(0).PageParams[ppHeaderDistance]);

    const TRect page0 = document->Pages()[0]->Rect;
    const TRect page1 = document->Pages()[1]->Rect;
    const TLinePlace firstLine = PlaceOf(*document, first, 0);
    const int32_t firstMiddle = page0.Top + firstLine.Geometry.Top + firstLine.Geometry.BandHeight / 2;
    const int32_t firstEnd = document->Paragraphs(first).GetCharCount() - 1;
    const TLinePlace secondLine = PlaceOf(*document, second, 0);
    const int32_t lien = static_cast<int32_t>(document->GetTextRun(linked, 0, 200).find("lien"));
    const int32_t picture = static_cast<int32_t>(document->GetTextRun(pictured, 0, 200).find(' ')) + 1;
    ASSERT_GT(lien, 0);
    // The picture's character: the one after "Image ".
    ASSERT_EQ(document->Paragraphs(pictured).GetPlainChars().Data()[picture], scPicture);
    const TPoint pictureMiddle = CharPoint(*document, pictured, picture);
    const TLinePlace pictureLine = PlaceOf(*document, pictured, picture);
    const int32_t pictureBaseline = page0.Top + pictureLine.Geometry.Baseline;
    const int32_t bottomMargin = page0.Bottom - document->TwipsToDeviceY(document->Sections(0).PageParams[ppBottomMargin]);

    struct TCase {
        const char* What;
        TPoint Point;  // view coordinates
        uint8_t Kind;
        int32_t Paragraph;  // of Position; -1: not checked
        int32_t Offset;
    };
    const TCase cases[] = {
        {"grey gap between the pages", {(page0.Left + page0.Right) / 2, page0.Bottom + PageGap / 2}, hkOutside, -1, 0},
        {"left of the pages", {page0.Left - 3, firstMiddle}, hkOutside, -1, 0},
        {"left margin beside the first line", {page0.Left + 4, firstMiddle}, hkLeftOfLine, first, 0},
        {"right of the first paragraph's end",
         {page0.Left + PlaceOf(*document, first, firstEnd).Geometry.X.back() + 40,
          page0.Top + PlaceOf(*document, first, firstEnd).Geometry.Top + 2},
         hkRightOfLine, first, firstEnd},
        {"in the header", {page0.Left + firstLine.Geometry.TextLeft + 5, page0.Top + headerTop + 4}, hkHeader, -1, 0},
        {"on the link's text", CharPoint(*document, linked, lien + 1), hkTextLine, linked, -1},
        {"inside the picture", {pictureMiddle.X, pictureBaseline - 20}, hkTextLine, pictured, -1},
        {"below the second section's last line",
         {page1.Left + secondLine.Geometry.X.front() + 1, page1.Top + secondLine.Geometry.Top + 200}, hkTextLine, second, 0},
        {"in the bottom margin", {page1.Left + 200, page1.Bottom - 10}, hkBottomMargin, -1, 0},
        {"in the top margin of the second page", {page1.Left + 200, page1.Top + 5}, hkHeader, -1, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const TPoint client = window.DocumentToClient(c.Point);
        const THitTestResult hit = window.HitTest(client.X, client.Y);
        EXPECT_EQ(hit.Kind, c.Kind);
        if (c.Paragraph >= 0) {
            EXPECT_EQ(hit.Position.Paragraph, c.Paragraph);
            if (c.Offset >= 0) {
                EXPECT_EQ(hit.Position.Offset, c.Offset);
            }
        }
        if (c.Kind == hkOutside) {
            EXPECT_EQ(hit.Position.Page, -1);
        }
    }
    (void)bottomMargin;

    // The link: the field of any type and the hyperlink, with the word under the point.
    {
        const TPoint at = window.DocumentToClient(CharPoint(*document, linked, lien + 1));
        const THitTestResult hit = window.HitTest(at.X, at.Y);
        EXPECT_NE(hit.FieldAtPoint, nullptr);
        EXPECT_EQ(hit.HyperlinkAtPoint, hit.FieldAtPoint);
        EXPECT_EQ(hit.TocAtPoint, nullptr);
        EXPECT_EQ(hit.OnWord, 1);
        EXPECT_EQ(hit.WordRange.Start.Offset, lien);
        EXPECT_EQ(hit.WordRange.End.Offset, lien + 4);
        EXPECT_EQ(hit.CharOffset, lien + 1);
        EXPECT_EQ(hit.OnObject, 0);
    }
    // Plain text before the link lies in no field; a space under the point
    // gives the space mark in the character position.
    {
        const TPoint at = window.DocumentToClient(CharPoint(*document, linked, 4));  // the space after "Voir"
        const THitTestResult hit = window.HitTest(at.X, at.Y);
        EXPECT_EQ(hit.FieldAtPoint, nullptr);
        EXPECT_EQ(hit.CharPosition.Offset, HitOnSpace);
        EXPECT_EQ(hit.CharOffset, 4);
    }
    // The picture: the object with its rectangle; selected, its handles.
    {
        const TPoint at = window.DocumentToClient({pictureMiddle.X, pictureBaseline - 20});
        THitTestResult hit = window.HitTest(at.X, at.Y);
        EXPECT_EQ(hit.OnObject, 1);
        ASSERT_NE(hit.Object, nullptr);
        EXPECT_EQ(hit.CharOffset, picture);
        EXPECT_EQ(hit.ObjectRect.Width(), 96);
        EXPECT_EQ(hit.ObjectRect.Height(), 96);
        EXPECT_EQ(hit.ObjectRect.Bottom, pictureBaseline);
        EXPECT_EQ(hit.ObjectHandle, 0);
        document->SetSelection(pictured, picture, pictured, picture + 1);
        const TRect r = hit.ObjectRect;
        const TPoint corner = window.DocumentToClient({r.Right - 2, r.Bottom - 2});
        hit = window.HitTest(corner.X, corner.Y);
        EXPECT_EQ(hit.InSelection, 1);
        EXPECT_EQ(hit.ObjectHandle, 8);
        const TPoint top = window.DocumentToClient({(r.Left + r.Right) / 2, r.Top + 3});
        EXPECT_EQ(window.HitTest(top.X, top.Y).ObjectHandle, 2);

        // Its bottom-right handle dragged with the proportions kept: 48
        // pixels wider and only 10 lower gives a frame half as big again
        // both ways, and the scale shown follows.
        TDocObject& object = *hit.Object;
        TObjectResize resize;
        ASSERT_TRUE(BeginObjectResize(resize, object, 8, r, {8, 8}, {600, 600}, true));
        ResizeObjectFrame(resize, {r.Right + 48, r.Bottom + 10});
        EXPECT_EQ(resize.Frame, (TRect{r.Left, r.Top, r.Right + 48, r.Bottom + 48}));
        const int32_t percent = static_cast<int32_t>(std::lround(144.0 * 15 * 100 / object.Width));
        EXPECT_EQ(ObjectScaleText(resize, *document),
                  "Échelle : largeur = " + std::to_string(percent) + "%, hauteur = " + std::to_string(percent) + "%");
        // Not below the minimum: the left edge stays 8 pixels from the right.
        ASSERT_TRUE(BeginObjectResize(resize, object, 4, r, {8, 8}, {600, 600}, false));
        ResizeObjectFrame(resize, {r.Right + 100, r.Top});
        EXPECT_EQ(resize.Frame, (TRect{r.Right - 8, r.Top, r.Right, r.Bottom}));
    }
}

TEST_F(HitTestTest, AnObjectWithoutAStoredSizeOrScaleCannotBeResized)
{
    TDocument* document = OpenRtf("essai.rtf", TestDocumentRtf());
    ASSERT_NE(document, nullptr);
    const int32_t pictured = FindParagraph(*document, "Image");
    TDocObject* object = document->GetObjectAt({pictured, 6, 0, 0, 0, 0});
    ASSERT_NE(object, nullptr);
    struct TCase {
        const char* What;
        int32_t TDocObject::*Field;
    };
    const TCase cases[] = {
        {"no stored width", &TDocObject::Width},
        {"no stored height", &TDocObject::Height},
        {"no horizontal scale", &TDocObject::ScaleX},
        {"no vertical scale", &TDocObject::ScaleY},
    };
    const TRect rect{100, 100, 196, 196};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        const int32_t value = object->*c.Field;
        object->*c.Field = 0;
        TObjectResize resize;
        EXPECT_FALSE(BeginObjectResize(resize, *object, 8, rect, {8, 8}, {600, 600}, true));
        object->*c.Field = value;
        EXPECT_TRUE(BeginObjectResize(resize, *object, 8, rect, {8, 8}, {600, 600}, true));
    }
}

TEST(ObjectHandlesTest, TheNearestHandleHoldingThePointWinsAndTheLaterOneOnATie)
{
    struct TCase {
        TRect Frame;
        TPoint Point;
        uint8_t Handle;
    };
    const TCase cases[] = {
        {{0, 0, 100, 100}, {1, 1}, 1},
        {{0, 0, 100, 100}, {50, 99}, 7},
        {{0, 0, 100, 100}, {50, 50}, 0},
        // A frame 10 pixels wide: the top-left, top and top-right squares
        // overlap; the top handle's centre (5, 0) is nearest.
        {{0, 0, 10, 100}, {4, 1}, 2},
        // Equal distances to the top-left (0, 0) and top (6, 0) centres: the later one.
        {{0, 0, 12, 100}, {3, 0}, 2},
        {{0, 0, 12, 100}, {2, 0}, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.Point.X) + "," + std::to_string(c.Point.Y));
        EXPECT_EQ(ObjectHandleAt(c.Frame, c.Point), c.Handle);
    }
}
