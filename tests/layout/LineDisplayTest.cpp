// Display widths at a zoom, re-fitting a single line, the geometry queries,
// kerning, objects and note marks.
#include "LayoutFixtures.h"

#include "document/model/DocObject.h"
#include "document/fields/Field.h"
#include "document/model/ObjectManager.h"
#include "document/model/Page.h"
#include "foundation/managers/TabManager.h"

#include <cstdlib>
#include <vector>

namespace {

TParFormat Format(std::initializer_list<std::pair<int, int32_t>> slots)
{
    TParFormat format = DefaultParFormat();
    for (const auto& [slot, value] : slots)
        format[slot] = value;
    return format;
}

// What a line is, as far as a rebuild must give it again.
struct TLineSnapshot {
    int32_t FirstChar, CharCount, StartByte, ByteLength, Ascent, Descent, TextAscent, Height;
    uint8_t Overlap;
    std::vector<int32_t> Positions;
    bool operator==(const TLineSnapshot&) const = default;
};

TLineSnapshot Snapshot(const TLayoutLine& line)
{
    TLineSnapshot s{line.FirstChar, line.CharCount, line.StartByte, line.ByteLength, line.Ascent,
                    line.Descent,   line.TextAscent, line.Height, line.Overlap, {}};
    for (int32_t i = 0; i <= line.CharCount; ++i)
        s.Positions.push_back(line.GetCharPosition(i));
    return s;
}

const std::string kFrench =
    "Il y avait une fois, dans un petit village au bord de la mer, une vieille femme qui "
    "vendait des coquillages aux passants. Chaque matin elle descendait sur la plage, "
    "{2:1}remplissait son panier{3:1} et remontait lentement{2:0} le chemin{3:0} de pierre.";

}  // namespace

// The display widths of every line add up to the line's width at the zoom,
// rounded, whatever the zoom; at 100 % the offsets are the positions divided
// by 8.
TEST_F(LayoutTest, DisplayWidthsAddUpAtEveryZoom)
{
    TTabTable table;
    table.AddTab(PackTabStop(2880, tkRight, 1));
    const int32_t tabs = Doc->TabManager().AddTable(table);
    std::vector<TParagraph*> paragraphs = {
        &Lay(kFrench + kMark),
        &Lay(kFrench + kMark, Format({{pfAlignment, 3}, {pfLeftIndent, 360}})),
        &Lay(kFrench + kMark, Format({{pfAlignment, 1}})),
        &Lay("Total" + kTab + "1 234,50" + kLineBreak + "{8:1}Petites Capitales{16:1} 2" + kMark,
             Format({{pfTabTable, tabs}})),
        &Lay("{0:" + std::to_string(FontIndex("Arial")) + "}{1:21}{18:-10}" + kFrench + kMark),
    };
    for (const int32_t zoom : {50, 75, 100, 150, 200}) {
        SCOPED_TRACE(zoom);
        Doc->SetZoom(zoom);
        for (TParagraph* p : paragraphs) {
            for (int32_t i = 0; i < p->GetLineCount(); ++i) {
                TLayoutLine& line = Line(*p, i);
                line.UpdateDisplayWidths();
                EXPECT_EQ(line.DisplayZoom, zoom);
                int64_t sum = 0;
                for (int32_t c = 0; c < line.CharCount; ++c) {
                    EXPECT_GE(line.DisplayWidth(c), 0);
                    sum += line.DisplayWidth(c);
                }
                const int64_t width = line.GetCharPosition(line.CharCount) - line.GetCharPosition(0);
                EXPECT_EQ(sum, (width * zoom + 399) / 800) << "paragraph " << p->Index << " line " << i;
                if (zoom == 100) {
                    // The offsets follow the positions divided by 8; a unit of
                    // the remainders may be given up to five characters early.
                    for (int32_t c = 0; c <= line.CharCount; ++c)
                        EXPECT_LT(std::abs(line.GetCharOffset(c) - line.GetCharPosition(c) / 8.0), 2.0);
                    EXPECT_EQ(line.GetCharOffset(line.CharCount),
                              line.GetCharPosition(0) / 8 + (width * 100 + 399) / 800);
                }
                // Display widths leave the line as it was laid out.
                EXPECT_EQ(line.RightLimit, Line(*p, 0).RightLimit);
            }
        }
    }
}

// The remainders of a run of one letter are spread over its characters: none
// gets more than one unit above the plain scaling.
TEST_F(LayoutTest, DisplayWidthRemaindersFollowTheZoomedFont)
{
    TParagraph& p = Lay("iiiiiiiiiiiiiiii" + kMark);
    Doc->SetZoom(150);
    TLayoutLine& line = Line(p, 0);
    line.UpdateDisplayWidths();
    const int32_t eighths = CharWidth("Times New Roman", 24, 'i');
    const int32_t floor = eighths * 150 / 800;
    int32_t raised = 0;
    for (int32_t c = 0; c < 16; ++c) {
        EXPECT_GE(line.DisplayWidth(c), floor);
        EXPECT_LE(line.DisplayWidth(c), floor + 1);
        raised += line.DisplayWidth(c) - floor;
    }
    EXPECT_EQ(raised, (16 * eighths * 150 + 399) / 800 - 16 * floor);
    // Zoom changes make the widths again.
    Doc->SetZoom(200);
    EXPECT_EQ(line.GetCharOffset(16), line.GetCharPosition(16) / 8);
    EXPECT_EQ(line.DisplayZoom, 200);
}

// TryRebuild gives the same line as a full rebuild; after an edit that keeps
// the line's end it gives the line a full layout of the edited text gives;
// when the line would end elsewhere it fails and keeps its count and bytes.
TEST_F(LayoutTest, TryRebuildMatchesFullLayout)
{
    TTabTable table;
    table.AddTab(PackTabStop(1440, tkCenter, 0));
    const TParFormat formats[] = {
        DefaultParFormat(),
        Format({{pfAlignment, 3}, {pfFirstIndent, 720}, {pfSpaceBefore, 120}, {pfSpaceAfter, 240}}),
        Format({{pfTabTable, Doc->TabManager().AddTable(table)}, {pfLineSpacing, 360}, {pfLineRule, 1}}),
    };
    for (const TParFormat& format : formats) {
        TParagraph& p = Lay(kTab + "A" + kFrench + kMark, format, 5000);
        ASSERT_GT(p.GetLineCount(), 2);
        std::vector<TLineSnapshot> before;
        for (int32_t i = 0; i < p.GetLineCount(); ++i)
            before.push_back(Snapshot(Line(p, i)));
        for (int32_t i = p.GetLineCount() - 1; i >= 0; --i) {
            EXPECT_TRUE(Line(p, i).TryRebuild()) << i;
            EXPECT_EQ(Snapshot(Line(p, i)), before[static_cast<size_t>(i)]) << i;
        }
        // Laying the paragraph out again from a later line starts from that
        // line's format and gives the same lines.
        for (int32_t from = 1; from < p.GetLineCount(); ++from) {
            p.Reformat(from, Line(p, 0).RightLimit);
            ASSERT_EQ(p.GetLineCount(), static_cast<int32_t>(before.size()));
            for (int32_t i = 0; i < p.GetLineCount(); ++i)
                EXPECT_EQ(Snapshot(Line(p, i)), before[static_cast<size_t>(i)]) << from << " " << i;
        }
    }

    // An edit inside the second line: "petit" becomes "grand".
    TParagraph& edited = Lay(kFrench + kMark, DefaultParFormat(), 5000);
    const std::string text(reinterpret_cast<const char*>(edited.GetText().Data()), edited.GetText().Size());
    const auto at = static_cast<int32_t>(text.find("petit"));
    ASSERT_GE(edited.FindLineOfChar(at, 0, false), 0);
    const int32_t lineIndex = edited.FindLineOfChar(at, 0, false);
    edited.DeleteText(at, 5);
    edited.InsertChars(at, "grand");
    TLayoutLine& line = Line(edited, lineIndex);
    ASSERT_TRUE(line.TryRebuild());
    const TLineSnapshot rebuilt = Snapshot(line);
    edited.Invalidate(true, 5000);
    EXPECT_EQ(rebuilt, Snapshot(Line(edited, lineIndex)));

}

// A line that no longer fits fails to rebuild and keeps its count and bytes.
TEST_F(LayoutTest, TryRebuildFailsWhenTheLineEndsElsewhere)
{
    TParagraph& p = Lay("un deux trois quatre cinq six sept huit neuf dix onze douze" + kMark, DefaultParFormat(), 2000);
    ASSERT_GT(p.GetLineCount(), 1);
    TLayoutLine& line = Line(p, 0);
    const int32_t count = line.CharCount;
    const int32_t bytes = line.ByteLength;
    const uint8_t overlap = line.Overlap;
    std::vector<int32_t> positions;
    for (int32_t i = 0; i <= count; ++i)
        positions.push_back(line.GetCharPosition(i));
    // Same bytes, much wider text: the line would break earlier.
    p.DeleteText(0, 2);
    p.InsertChars(0, "WW");
    p.DeleteText(3, 4);
    p.InsertChars(3, "MMMM");
    EXPECT_FALSE(line.TryRebuild());
    EXPECT_EQ(line.CharCount, count);
    EXPECT_EQ(line.ByteLength, bytes);
    EXPECT_EQ(line.Overlap, overlap);
    // The line stays as it was, every character with its position.
    for (int32_t i = 0; i <= count; ++i)
        EXPECT_EQ(line.GetCharPosition(i), positions[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(line.CharIndexAtX(10000), count);
}

// Hit-testing and offsets at 100 %, the block range and the page height.
TEST_F(LayoutTest, GeometryQueries)
{
    TParagraph& p = Lay("Bonjour tout le monde, voici une ligne assez longue pour en faire deux." + kMark,
                        DefaultParFormat(), 4000);
    ASSERT_EQ(p.GetLineCount(), 2);
    TLayoutLine& first = Line(p, 0);
    TLayoutLine& last = Line(p, 1);
    for (int32_t i = 0; i < first.CharCount; ++i)
        EXPECT_EQ(first.CharIndexAtX(first.GetCharOffset(i)), i);
    // Between two boundaries: the nearer one.
    const int32_t a = first.GetCharOffset(3);
    const int32_t b = first.GetCharOffset(4);
    ASSERT_GE(b - a, 3);
    for (const int32_t x : {a + 1, b - 1})
        EXPECT_EQ(first.CharIndexAtX(x), b - x > x - a ? 3 : 4) << x;
    // Beyond the end: after the last character, but never past the paragraph
    // mark on the paragraph's last line.
    EXPECT_EQ(first.CharIndexAtX(10000), first.CharCount);
    EXPECT_EQ(last.CharIndexAtX(10000), last.CharCount - 1);

    int32_t from = -1;
    int32_t to = -1;
    first.GetBlockRange(first.GetCharOffset(2), first.GetCharOffset(6), from, to);
    EXPECT_EQ(from, 2);
    EXPECT_EQ(to, 6);
    first.GetBlockRange(50, 50, from, to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 0);

    EXPECT_EQ(first.GetPageHeight(), 18);
    Doc->SetZoom(200);
    EXPECT_EQ(first.GetPageHeight(), 36);
    // On a page, a line whose next line starts lower takes the room up to it.
    {
        TPage page(Doc.get(), 0);
        page.AddParagraphRange(p, 0, p.GetLineCount() - 1);
        first.Top = 100;
        last.Top = 125;
        last.Column = first.Column;
        EXPECT_EQ(first.GetPageHeight(), 50);
        EXPECT_EQ(last.GetPageHeight(), 36);  // the page's last line
    }
    EXPECT_EQ(first.Page, nullptr);
}

// Kerned pairs move the second character by the font's kerning amount, from
// the kerning threshold on.
TEST_F(LayoutTest, Kerning)
{
    TParagraph& plain = Lay("AVA" + kMark);
    TParagraph& kerned = Lay("{20:20}AVA" + kMark);
    TParagraph& tooSmall = Lay("{20:28}AVA" + kMark);
    TCharFormat format = DefaultCharFormat();
    format[cfSize] = 24 * 8;
    format[cfKerning] = 20;
    SelectRunFont(*Doc, format, rfLineBuilding);
    ASSERT_NE(LayoutWorkingState().Kerning, nullptr);
    const int32_t kern = LayoutWorkingState().Kerning->GetKernAmount('A', 'V');
    ASSERT_LT(kern, 0);
    EXPECT_EQ(Line(kerned, 0).GetCharPosition(1), Line(plain, 0).GetCharPosition(1) + kern);
    EXPECT_EQ(Line(tooSmall, 0).GetCharPosition(1), Line(plain, 0).GetCharPosition(1));

    // A pair cut off at the line's end takes its kerning with it: "A" fits
    // after the space (kerned), "V" does not, and the line ends after the
    // space at its plain width, as its single-line rebuild gives it.
    const int32_t spaceA = LayoutWorkingState().Kerning->GetKernAmount(' ', 'A');
    ASSERT_LT(spaceA, 0);
    const int32_t room = TextWidth("Times New Roman", 24, "aaaa A") + spaceA;
    TParagraph& cut = Lay("{20:20}aaaa AV" + kMark, DefaultParFormat(), room * 1440 / 768 + 2);
    ASSERT_EQ(LineText(cut, 0), "aaaa ");
    TLayoutLine& first = Line(cut, 0);
    EXPECT_EQ(first.GetCharPosition(5), TextWidth("Times New Roman", 24, "aaaa "));
    EXPECT_TRUE(first.TryRebuild());
    EXPECT_EQ(first.GetCharPosition(5), TextWidth("Times New Roman", 24, "aaaa "));
}

// Pictures stand on the baseline with their scaled size; note marks take the
// width of their number and make the line overlap.
TEST_F(LayoutTest, ObjectsAndNoteMarks)
{
    auto picture = std::make_unique<TDocPicture>(Doc.get());
    picture->Width = 1440;
    picture->Height = 720;
    picture->ScaleX = 50;
    picture->ScaleY = 200;
    TDocObject& object = Doc->ObjectManager().AddObject(std::move(picture));
    TParagraph& p = Lay("a" + Rec(icPicture, object.Handle()) + "b" + kMark);
    const TLayoutLine& line = Line(p, 0);
    EXPECT_EQ(line.GetCharPosition(2) - line.GetCharPosition(1), 384);  // half an inch in eighths
    EXPECT_EQ(line.Ascent, 96);                                        // one inch
    EXPECT_EQ(line.TextAscent, 14);
    EXPECT_EQ(line.Height, 96 + 4);
    // Selecting the picture: the line holds the selected object.
    EXPECT_FALSE(line.HoldsSelectedObject());
    Doc->SetSelection(p.Index, 1, p.Index, 2);
    EXPECT_TRUE(line.HoldsSelectedObject());
    Doc->SetSelection(p.Index, 0, p.Index, 2);
    EXPECT_FALSE(line.HoldsSelectedObject());
    Doc->ClearSelection();
    // A handle that names nothing takes no room.
    TParagraph& stale = Lay("a" + Rec(icPicture, 9999) + "b" + kMark);
    EXPECT_EQ(Line(stale, 0).GetCharPosition(2), Line(stale, 0).GetCharPosition(1));

    TField& note = Doc->AddRangeObject(rkNoteReference);
    note.Result = "12";
    note.Endnote = 1;
    TParagraph& noted = Lay("Texte" + Rec(icRangeStart, note.Handle()) + "{22:15}" + Rec(icRangeEnd, note.Handle()) + kMark);
    const TLayoutLine& n = Line(noted, 0);
    EXPECT_EQ(n.GetCharPosition(6) - n.GetCharPosition(5), TextWidth("Times New Roman", 24, "12"));
    EXPECT_EQ(n.EndnoteMark, &note);
    EXPECT_EQ(n.FootnoteMark, nullptr);
    EXPECT_EQ(n.Overlap, 1);
}

// Exact spacing smaller than the text makes the line and the one above it
// overlap; the last line of a paragraph followed by one with exact spacing
// overlaps it.
TEST_F(LayoutTest, ExactSpacingOverlapsNeighbours)
{
    const TParFormat exact = Format({{pfLineSpacing, -160}, {pfLineRule, 0}});
    TParagraph& above = Lay("Au-dessus" + kMark);
    EXPECT_EQ(Line(above, 0).Overlap, 0);
    TParagraph& tight = Lay("Premier" + kLineBreak + "Second" + kMark, exact);
    EXPECT_EQ(Line(tight, 0).Height, 11);
    EXPECT_EQ(Line(tight, 0).Overlap, 1);
    EXPECT_EQ(Line(tight, 1).Overlap, 1);
    EXPECT_EQ(Line(above, 0).Overlap, 1);
    // Laid out again, the paragraph above sees the tight one below.
    above.Invalidate(true, 9000);
    EXPECT_EQ(Line(above, 0).Overlap, 1);
    // A line that fits its exact spacing overlaps a taller line below it,
    // also once it is rebuilt alone.
    TParagraph& taller = Lay("Petit" + kLineBreak + "{1:48}Grand" + kMark, Format({{pfLineSpacing, -480}, {pfLineRule, 0}}));
    EXPECT_EQ(Line(taller, 0).Height, 32);
    EXPECT_EQ(Line(taller, 1).Overlap, 1);
    EXPECT_EQ(Line(taller, 0).Overlap, 1);
    EXPECT_TRUE(Line(taller, 0).TryRebuild());
    EXPECT_EQ(Line(taller, 0).Overlap, 1);
}

// The plain run before the next record, and the display substitution of a run.
TEST(LineRunsTest, ControlRecordsAndDisplayMapping)
{
    const uint8_t text[] = {'a', 'b', 0, 22, 0, 7, 0, 0, 0, 1};
    EXPECT_EQ(FindNextControlRecord(text, 10), 2);
    EXPECT_EQ(FindNextControlRecord(text + 2, 8), 0);
    EXPECT_EQ(FindNextControlRecord(text, 2), 2);
    EXPECT_EQ(FindNextControlRecord(text, 0), -1);

    uint8_t table[256] = {};
    table[' '] = 183;
    table[160] = 176;
    uint8_t run[] = {'a', ' ', 160, 'b'};
    MapDisplayChars(run, 4, table);
    EXPECT_EQ(run[0], 'a');
    EXPECT_EQ(run[1], 183);
    EXPECT_EQ(run[2], 176);
    EXPECT_EQ(run[3], 'b');
}
