#include "document/DocumentFixtures.h"

#include "document/model/DocObject.h"
#include "document/fields/Field.h"
#include "document/model/ObjectManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Fonts 0 and 3 are two entries of one family, font 5 another family.
class TTestFamilies : public TFontFamilyResolver {
public:
    TTestFamilies() : FPrevious(SetFontFamilyResolver(this)) {}
    ~TTestFamilies() override { SetFontFamilyResolver(FPrevious); }
    int32_t FontFamilyOf(int32_t font) const override { return font == 0 || font == 3 ? 1 : font == 5 ? 2 : -1; }

private:
    const TFontFamilyResolver* FPrevious;
};

std::string SlotText(int32_t value)
{
    return value == NotSet ? "-" : std::to_string(value);
}

// The slots the tables look at, in one line: font size bold italic colour.
std::string Describe(const TCharFormat& f)
{
    return SlotText(f[cfFont]) + " " + SlotText(f[cfSize]) + " " + SlotText(f[cfBold]) + " " +
           SlotText(f[cfItalic]) + " " + SlotText(f[cfColor]);
}

// Every slot, the font by its family: two results that agree on everything
// but which entry of one font family they name are the same.
std::string Comparable(const TCharFormat& f)
{
    std::string out;
    for (int slot = 0; slot < TCharFormat::Count; ++slot) {
        int32_t value = f[slot];
        if (slot == cfFont && value != NotSet)
            value = value == 0 || value == 3 ? 1 : value == 5 ? 2 : -1;
        out += SlotText(value) + " ";
    }
    return out;
}

}  // namespace

// Three paragraphs of mixed runs:
//   0  "Le " plain, "chat" bold, " noir" italic in colour 4, then the mark plain
//   1  "Deux" in font 3 (the family of the default font), centred
//   2  "Fin" in font 5 at 15 pt
class SelectionTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetParagraphText(Doc.Paragraphs(0), "Le {2:1}chat{2:0}{3:1}{14:4} noir{3:0}{14:0}{22:2}");
        TParagraph& second = Doc.AppendParagraph(stBody);
        SetParagraphText(second, "{0:3}Deux{22:2}");
        second.Format[pfAlignment] = 1;
        SetParagraphText(Doc.AppendParagraph(stBody), "{0:5}{1:30}Fin{22:2}");
    }

    // The common format of the current selection worked out from scratch.
    TCharFormat Fresh()
    {
        TCharFormat format;
        Doc.GetCommonCharFormat({Doc.Selection().Start, Doc.Selection().End}, format, false);
        return format;
    }

    TTestHost Host;
    TDocument Doc{true};
};

TEST_F(SelectionTest, CommonCharacterFormatReportsMixedAttributesAsNotSet)
{
    TTestFamilies families;
    struct {
        int32_t P1, O1, P2, O2;
        const char* Text;
        const char* Expected;  // font size bold italic colour
    } const cases[] = {
        {0, 0, 0, 3, "Le ", "0 24 0 0 0"},
        {0, 3, 0, 7, "chat", "0 24 1 0 0"},
        {0, 3, 0, 4, "c", "0 24 1 0 0"},
        {0, 2, 0, 4, " c", "0 24 - 0 0"},
        {0, 6, 0, 9, "t n", "0 24 - - -"},
        {0, 7, 0, 12, " noir", "0 24 0 1 4"},
        {0, 7, 0, 13, " noir and the mark", "0 24 0 - -"},
        {0, 0, 0, 13, "the whole paragraph", "0 24 - - -"},
        // Fonts 0 and 3 are one family: the font stays set across them.
        {0, 12, 1, 2, "the mark and De", "0 24 0 0 0"},
        {1, 0, 1, 4, "Deux", "3 24 0 0 0"},
        {1, 0, 2, 2, "Deux, the mark and Fi", "- - 0 0 0"},
        {2, 0, 2, 3, "Fin", "5 30 0 0 0"},
        // A selection that ends at offset 0 of the next paragraph ends with
        // its own paragraph.
        {1, 0, 2, 0, "Deux and the mark", "3 24 0 0 0"},
    };
    for (const auto& c : cases) {
        Doc.SetSelection(c.P1, c.O1, c.P2, c.O2, ssfOldIsEmpty);
        EXPECT_EQ(Describe(Doc.SelCharFormat), c.Expected) << c.Text;
    }
    // Without the family rule two font entries differ.
    SetFontFamilyResolver(nullptr);
    Doc.SetSelection(0, 12, 1, 2, ssfOldIsEmpty);
    EXPECT_EQ(Describe(Doc.SelCharFormat), "- 24 0 0 0");
}

// Growing or shrinking the selection at one end updates the formats
// incrementally; every step must give what a fresh computation gives, for
// every selection over the fixture. Shrinking a mixed selection to a uniform
// part must make the attribute set again.
TEST_F(SelectionTest, IncrementalUpdatesAgreeWithAFreshComputation)
{
    TTestFamilies families;
    const int32_t counts[] = {13, 5, 4};
    for (int32_t p1 = 0; p1 < 3; ++p1)
        for (int32_t o1 = 0; o1 <= counts[p1]; ++o1)
            for (int32_t p2 = p1; p2 < 3; ++p2)
                for (int32_t o2 = 0; o2 <= counts[p2]; ++o2) {
                    if (p1 == p2 && o2 < o1)
                        continue;
                    SCOPED_TRACE(testing::Message() << "(" << p1 << "," << o1 << ")-(" << p2 << "," << o2 << ")");
                    Doc.SetSelection(p1, o1, p2, o2, ssfOldIsEmpty);
                    // The end one character further, then back.
                    Doc.SetSelection(p1, o1, p2, o2 + 1);
                    ASSERT_EQ(Comparable(Doc.SelCharFormat), Comparable(Fresh()));
                    Doc.SetSelection(p1, o1, p2, o2);
                    ASSERT_EQ(Comparable(Doc.SelCharFormat), Comparable(Fresh()));
                    // The start one character earlier, then back.
                    if (o1 > 0) {
                        Doc.SetSelection(p1, o1 - 1, p2, o2);
                        ASSERT_EQ(Comparable(Doc.SelCharFormat), Comparable(Fresh()));
                        Doc.SetSelection(p1, o1, p2, o2);
                        ASSERT_EQ(Comparable(Doc.SelCharFormat), Comparable(Fresh()));
                    }
                }
    // Plain then bold: extending over the first bold character mixes the bold slot.
    Doc.SetSelection(0, 0, 0, 3, ssfOldIsEmpty);
    EXPECT_EQ(Doc.SelCharFormat[cfBold], 0);
    Doc.SetSelection(0, 0, 0, 4);
    EXPECT_EQ(Doc.SelCharFormat[cfBold], NotSet);
    Doc.SetSelection(0, 1, 0, 4);
    EXPECT_EQ(Doc.SelCharFormat[cfBold], NotSet);
    Doc.SetSelection(0, 3, 0, 4);
    EXPECT_EQ(Doc.SelCharFormat[cfBold], 1);
}

TEST_F(SelectionTest, CommonParagraphFormat)
{
    Doc.SetSelection(0, 1, 0, 5, ssfOldIsEmpty);
    EXPECT_EQ(Doc.SelParFormat[pfAlignment], 0);
    Doc.SetSelection(0, 1, 1, 2);
    EXPECT_EQ(Doc.SelParFormat[pfAlignment], NotSet);
    EXPECT_EQ(Doc.SelParFormat[pfLineSpacing], 240);
    Doc.SetSelection(1, 1, 1, 2);
    EXPECT_EQ(Doc.SelParFormat[pfAlignment], 1);
    // An empty selection takes its paragraph's format.
    Doc.SetSelection(1, 2, 1, 2);
    EXPECT_EQ(Doc.SelParFormat, Doc.Paragraphs(1).Format);
}

TEST_F(SelectionTest, SettingTheSelectionPlacesItsEnds)
{
    struct {
        int32_t P1, O1, P2, O2;
        int32_t S1, T1, S2, T2;  // the selection that results
    } const cases[] = {
        {0, 2, 0, 5, 0, 2, 0, 5},
        {0, 5, 0, 2, 0, 2, 0, 5},       // ordered
        {0, 13, 1, 3, 1, 0, 1, 3},      // a start behind the mark moves on
        {1, 1, 2, 0, 1, 1, 1, 5},       // an end at a paragraph's start moves back
        {1, 0, 1, 0, 1, 0, 1, 0},       // empty at (1, 0): the end moves back, then to the start
        {0, 99, 0, 99, 1, 0, 1, 0},     // offsets lowered to the count, then behind the mark
        {2, 4, 2, 4, 2, 4, 2, 4},       // the end of the body stays
        {-3, 0, 77, 0, 0, 0, 1, 5},     // paragraph indices within the list
    };
    for (const auto& c : cases) {
        Doc.SetSelection(c.P1, c.O1, c.P2, c.O2);
        const TTextSelection& s = Doc.Selection();
        EXPECT_EQ(s.Start.Paragraph, c.S1) << c.P1 << "," << c.O1 << " " << c.P2 << "," << c.O2;
        EXPECT_EQ(s.Start.Offset, c.T1) << c.P1 << "," << c.O1 << " " << c.P2 << "," << c.O2;
        EXPECT_EQ(s.End.Paragraph, c.S2) << c.P1 << "," << c.O1 << " " << c.P2 << "," << c.O2;
        EXPECT_EQ(s.End.Offset, c.T2) << c.P1 << "," << c.O1 << " " << c.P2 << "," << c.O2;
        EXPECT_EQ(s.Start.Placement, SelectionStartHint);
        EXPECT_EQ(s.End.Placement, SelectionEndHint);
    }
    // A selection never runs from the end of the body into the note stories.
    SetParagraphText(Doc.AppendParagraph(stFootnotes), "Note{22:2}");
    Doc.SetSelection(2, 4, 3, 0);
    EXPECT_EQ(Doc.Selection().Start.Paragraph, 2);
    EXPECT_EQ(Doc.Selection().End.Paragraph, 3);
    Doc.SetSelection(3, 0, 3, 0);
    EXPECT_EQ(Doc.Selection().End.Paragraph, 3);

    // The anchor stays where the selection began while it grows from there.
    Doc.SetSelection(0, 5, 0, 5);
    Doc.SetSelection(0, 5, 0, 8);
    Doc.SetSelection(0, 2, 0, 5);
    EXPECT_EQ(Doc.Selection().AnchorOffset, 5);
    Doc.SetSelection(0, 1, 0, 3);
    EXPECT_EQ(Doc.Selection().AnchorOffset, 1);
    EXPECT_TRUE(Doc.IsInSelection({0, 1}));
    EXPECT_FALSE(Doc.IsInSelection({0, 3}));
    Doc.ClearSelection();
    EXPECT_FALSE(Doc.HasSelection());
    EXPECT_EQ(Doc.Caret.Paragraph, 0);
    EXPECT_EQ(Doc.Caret.Offset, 0);
    int32_t first = -1, last = -1;
    Doc.GetSelectedParagraphs(first, last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
    Doc.SelectAll();
    Doc.GetSelectedParagraphs(first, last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 2);
    EXPECT_EQ(Doc.Selection().End.Offset, 4);
    EXPECT_EQ(Doc.GetChangeFlag(chfToolsRefresh), 1);
    EXPECT_GT(Host.LayoutRequests, 0);
}

TEST_F(SelectionTest, FormatAtTheCaret)
{
    TCharFormat f;
    // Between "Le " and "chat" the caret takes the bold that starts there.
    Doc.GetParagraphCharFormat(0, 3, f);
    EXPECT_EQ(f[cfBold], 1);
    Doc.PrecedingFormatOnly = 1;
    Doc.GetParagraphCharFormat(0, 3, f);
    EXPECT_EQ(f[cfBold], 0);
    Doc.PrecedingFormatOnly = 0;
    Doc.GetParagraphCharFormat(0, 0, f);
    EXPECT_EQ(Describe(f), "0 24 0 0 0");
    Doc.GetParagraphCharFormat(2, 0, f);
    EXPECT_EQ(Describe(f), "5 30 0 0 0");
    EXPECT_EQ(Doc.GetLanguageAt(0, 5), DefaultCharFormat()[cfLanguage]);

    // An empty selection holds the format at the caret, unless told to keep it.
    Doc.SetSelection(0, 5, 0, 5);
    EXPECT_EQ(Doc.SelCharFormat[cfBold], 1);
    Doc.KeepFormat = 1;
    Doc.SetSelection(0, 10, 0, 10);
    EXPECT_EQ(Doc.SelCharFormat[cfBold], 1);
    EXPECT_EQ(Doc.SelCharFormat[cfItalic], 0);
    Doc.KeepFormat = 0;
    Doc.SetSelection(0, 10, 0, 10);
    EXPECT_EQ(Doc.SelCharFormat[cfItalic], 1);
}

// The end of a field closes its formatted run: the format that follows it does
// not reach back to the caret before it. A bookmark's end does not.
TEST_F(SelectionTest, FieldEndsCloseTheFormattedRun)
{
    TField& field = Doc.AddRangeObject(rkField);
    TField& bookmark = Doc.AddRangeObject(rkBookmark);
    for (TField* object : {&field, &bookmark}) {
        const std::string h = std::to_string(object->Handle());
        SetParagraphText(Doc.Paragraphs(1), "Voir {26:" + h + "}{6:1}lien{27:" + h + "}{6:0} suite{22:2}");
        TCharFormat f;
        Doc.GetParagraphCharFormat(1, 9, f);  // behind "lien"
        EXPECT_EQ(f[cfUnderline], object == &field ? 1 : 0) << int(object->Kind);

        // Typing there: the format before is the field's, the format after the
        // next character's.
        Doc.SetSelection(1, 9, 1, 9);
        Doc.PrepareTypingFormat({1, 9}, 1);
        if (object == &field) {
            EXPECT_EQ(Doc.PrecedingFormat[cfUnderline], 1);
            EXPECT_EQ(Doc.FollowingFormat[cfUnderline], 0);
        }
        EXPECT_EQ(Doc.GetChangeFlag(chfReadingFormats), 0);
    }
    TTextRange range{{1, 0}, {1, 7}};
    Doc.CaptureRangeEndFormats(range);
    EXPECT_EQ(Doc.RangeStartFormat[cfUnderline], 0);
    EXPECT_EQ(Doc.RangeEndFormat[cfUnderline], 1);
}

TEST_F(SelectionTest, TypingFormat)
{
    TCharFormat painter;
    for (int32_t& slot : painter.Slots)
        slot = NotSet;
    painter[cfItalic] = 1;
    painter[cfHighlight] = 3;
    // Over a selection: before it the format at its start, after it the next
    // character's; the highlight follows the text after.
    Doc.SetSelection(0, 4, 0, 5);
    Doc.PrepareTypingFormat(Doc.Selection().Start, 1);
    EXPECT_EQ(Doc.PrecedingFormat[cfBold], 1);
    EXPECT_EQ(Doc.FollowingFormat[cfBold], 1);
    Doc.SetSelection(0, 0, 0, 6);
    Doc.PrepareTypingFormat(Doc.Selection().Start, 1);
    EXPECT_EQ(Doc.PrecedingFormat, DefaultCharFormat());
    // At a position: all three are the format there.
    Doc.PrepareTypingFormat({0, 9}, 0);
    EXPECT_EQ(Doc.InsertFormat[cfItalic], 1);
    EXPECT_EQ(Doc.FollowingFormat, Doc.PrecedingFormat);
    // The very end of the paragraph list counts as its last character.
    Doc.PrepareTypingFormat({2, 4}, 0);
    EXPECT_EQ(Doc.InsertFormat[cfSize], 30);
    // The main window's tools.
    Host.Tool = etFormatPainter;
    Host.Painter = painter;
    Doc.PrepareTypingFormat({0, 1}, 0);
    EXPECT_EQ(Doc.InsertFormat[cfItalic], 1);
    EXPECT_EQ(Doc.InsertFormat[cfHighlight], 0);  // never from the painter
    EXPECT_EQ(Doc.InsertFormat[cfSize], 24);
    Host.Tool = etHighlighter;
    Doc.PrepareTypingFormat({0, 1}, 0);
    EXPECT_EQ(Doc.InsertFormat[cfHighlight], 7);
    Host.Tool = etFontColorPen;
    Doc.PrepareTypingFormat({0, 1}, 0);
    EXPECT_EQ(Doc.InsertFormat[cfColor], 5);
    // Frozen: nothing changes.
    Host.Tool = etNone;
    Doc.InsertionFreeze = 1;
    Doc.PrepareTypingFormat({0, 9}, 0);
    EXPECT_EQ(Doc.InsertFormat[cfColor], 5);
}

TEST_F(SelectionTest, ObjectsInTheSelection)
{
    TDocObject& picture = Doc.ObjectManager().AddObject(std::make_unique<TDocPicture>(nullptr));
    SetParagraphText(Doc.Paragraphs(1), "A" + Rec(icPicture, picture.Handle()) + "B{22:2}");
    Doc.SetSelection(1, 1, 1, 2);
    EXPECT_TRUE(Doc.IsObjectSelected());
    EXPECT_EQ(Doc.GetObjectAt(Doc.Selection().Start), &picture);
    EXPECT_EQ(Doc.GetObjectAt({1, 0}), nullptr);
    EXPECT_EQ(Doc.GetObjectAt({1, 99}), nullptr);
    Doc.SetSelection(1, 1, 1, 3);
    EXPECT_FALSE(Doc.IsObjectSelected());  // two characters starting with a picture
    EXPECT_TRUE(IsSingleObjectRange(Doc, {{1, 1}, {1, 2}}));
    EXPECT_FALSE(IsSingleObjectRange(Doc, {{1, 0}, {1, 1}}));
    // A record whose handle names no object gives none.
    SetParagraphText(Doc.Paragraphs(1), "A{24:4242}B{22:2}");
    EXPECT_EQ(Doc.GetObjectAt({1, 1}), nullptr);
}

TEST_F(SelectionTest, RangeQueries)
{
    struct {
        TTextRange Range;
        bool Word, Control;
    } const cases[] = {
        {{{0, 3}, {0, 7}}, true, false},   // "chat"
        {{{0, 4}, {0, 7}}, false, false},  // "hat"
        {{{0, 0}, {0, 2}}, true, false},   // "Le": a paragraph start and a blank after
        {{{0, 8}, {0, 13}}, true, true},   // "noir" and the mark
        {{{0, 8}, {1, 2}}, false, true},   // across paragraphs
        {{{0, 5}, {0, 5}}, false, false},  // empty
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Doc.IsWordRange(c.Range), c.Word) << c.Range.Start.Offset << "-" << c.Range.End.Offset;
        EXPECT_EQ(Doc.HasControlCodes(c.Range), c.Control) << c.Range.Start.Offset << "-" << c.Range.End.Offset;
    }
    EXPECT_TRUE(RunHasSpecialChars(Doc.Paragraphs(0), 12, 13));
    EXPECT_FALSE(RunHasSpecialChars(Doc.Paragraphs(0), 0, 12));
    EXPECT_FALSE(RunHasSpecialChars(Doc.Paragraphs(0), 12, -5));

    // A bookmark over paragraphs 0 to 2 is met by a range that reaches past one
    // of its ends, not by one that stays inside it.
    TField& bookmark = Doc.AddRangeObject(rkBookmark);
    bookmark.Range = {{0, 5}, {2, 2}};
    EXPECT_TRUE(Doc.RangeMeetsMultiParagraphObject({{0, 0}, {0, 6}}));
    EXPECT_TRUE(Doc.RangeMeetsMultiParagraphObject({{1, 0}, {2, 3}}));
    EXPECT_FALSE(Doc.RangeMeetsMultiParagraphObject({{1, 0}, {1, 3}}));
    TField& inside = Doc.AddRangeObject(rkBookmark);
    inside.Range = {{1, 0}, {1, 2}};  // one paragraph: never counts
    EXPECT_FALSE(Doc.RangeMeetsMultiParagraphObject({{1, 1}, {1, 3}}));
}

TEST(LineSpacing, RulesOfTheParagraph)
{
    TDocument doc(true);
    struct {
        int32_t Rule, Value, Height, Single, Expected;
    } const cases[] = {
        {1, 360, 20, 20, 30},  // one and a half lines
        {1, 240, 20, 20, 20},
        {1, 120, 20, 20, 10},
        {1, 0, 20, 20, 1},     // never below 1
        {0, -300, 50, 20, 20}, // exactly 300 twips, however tall the line
        {0, -300, 5, 20, 20},
        {0, 300, 10, 10, 20},  // at least 300 twips
        {0, 300, 30, 10, 30},
        {2, 999, 17, 10, 17},  // other rules leave the height
        {1, NotSet, 17, 10, 17},
    };
    for (const auto& c : cases) {
        TParFormat format = DefaultParFormat();
        format[pfLineRule] = c.Rule;
        format[pfLineSpacing] = c.Value;
        EXPECT_EQ(ApplyLineSpacing(doc, c.Height, c.Single, format), c.Expected) << c.Rule << " " << c.Value;
    }
}

// Only what changed between the old and the new selection is drawn again, with
// the caret hidden meanwhile.
TEST(SelectionRepaint, DrawsTheSymmetricDifference)
{
    TTestViews views;
    TTestDocumentLayout layout;
    TDocument doc(false);
    SetParagraphText(doc.Paragraphs(0), "Un deux trois{22:2}");
    SetParagraphText(doc.AppendParagraph(stBody), "Quatre{22:2}");
    doc.SetSelection(0, 0, 0, 5);
    layout.Repainted.clear();
    views.Log.CaretHidden = views.Log.CaretShown = 0;
    doc.SetSelection(0, 2, 0, 8);
    ASSERT_EQ(layout.Repainted.size(), 2u);
    EXPECT_EQ(layout.Repainted[0].Start.Offset, 0);
    EXPECT_EQ(layout.Repainted[0].End.Offset, 2);
    EXPECT_EQ(layout.Repainted[1].Start.Offset, 5);
    EXPECT_EQ(layout.Repainted[1].End.Offset, 8);
    EXPECT_EQ(views.Log.CaretHidden, 2);
    EXPECT_EQ(views.Log.CaretShown, 2);
    // A range that starts behind a paragraph mark is drawn from the next paragraph.
    layout.Repainted.clear();
    doc.RepaintRange({{0, 14}, {1, 3}});
    ASSERT_EQ(layout.Repainted.size(), 1u);
    EXPECT_EQ(layout.Repainted[0].Start.Paragraph, 1);
    EXPECT_EQ(layout.Repainted[0].Start.Offset, 0);
    // Nothing for an empty range, nor while repainting is suppressed.
    layout.Repainted.clear();
    doc.RepaintRange({{0, 3}, {0, 3}});
    doc.SuppressRepaint = 1;
    doc.SetSelection(1, 0, 1, 2);
    EXPECT_TRUE(layout.Repainted.empty());
}
