// Line breaks, positions and metrics of paragraphs laid out with the real
// fonts at 96 dpi (layout units: pixels; positions: eighths of a pixel).
#include "LayoutFixtures.h"

#include "document/model/Section.h"
#include "foundation/managers/TabManager.h"

#include <limits>
#include <numeric>
#include <vector>

namespace {

TParFormat Format(std::initializer_list<std::pair<int, int32_t>> slots)
{
    TParFormat format = DefaultParFormat();
    for (const auto& [slot, value] : slots)
        format[slot] = value;
    return format;
}

constexpr const char* kTimes = "Times New Roman";
constexpr const char* kArial = "Arial";

}  // namespace

// Where lines break: the text of every line of each paragraph.
TEST_F(LayoutTest, LineBreaks)
{
    struct TCase {
        const char* Name;
        std::string Text;
        int32_t Width;  // twips
        std::vector<std::string> Lines;
    };
    const std::vector<TCase> cases = {
        {"words wrap after spaces",
         "Le vieux port de Marseille accueille chaque matin les pecheurs qui vendent leur poisson sur le quai." +
             kMark,
         4000,
         {"Le vieux port de Marseille accueille ", "chaque matin les pecheurs qui vendent ",
          "leur poisson sur le quai.<2>"}},
        {"a line break ends the line, the paragraph mark follows", "Un" + kLineBreak + "deux" + kMark, 9000,
         {"Un<5>", "deux<2>"}},
        {"an empty line before a break", kPageBreak + "Suite" + kMark, 9000, {"<6>", "Suite<2>"}},
        {"column break", "Fin" + kColumnBreak + kMark, 9000, {"Fin<4>", "<2>"}},
        {"non-breaking space and hyphen hold words together",
         "aaaa bbbb" + kNbSpace + "cccc" + kNbHyphen + "dddd" + kMark, 1700,
         {"aaaa ", "bbbb<10>cccc<11>dddd<2>"}},
        {"dashes are break points", "aaaa" + kEmDash + "bbbb" + kEnDash + "cccc" + kMark, 1000,
         {"aaaa<12>", "bbbb<13>", "cccc<2>"}},
        {"a hyphen is a break point", "porte-monnaie" + kMark, 1000, {"porte-", "monnaie<2>"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TParagraph& p = Lay(c.Text, DefaultParFormat(), c.Width);
        ASSERT_EQ(p.GetLineCount(), static_cast<int32_t>(c.Lines.size()));
        for (int32_t i = 0; i < p.GetLineCount(); ++i)
            EXPECT_EQ(LineText(p, i), c.Lines[static_cast<size_t>(i)]) << "line " << i;
        // Lines follow each other without gap over the whole text.
        int32_t bytes = 0;
        for (int32_t i = 0; i < p.GetLineCount(); ++i) {
            EXPECT_EQ(p.GetLine(i).StartByte, bytes);
            bytes += p.GetLine(i).ByteLength;
        }
        EXPECT_EQ(bytes, p.GetText().Size());
    }
}

// Position entries keep 30 bits of magnitude: values beyond them (extreme
// indents and positions read from files) stop at the largest one of their
// sign instead of wrapping round to small ones.
TEST_F(LayoutTest, PositionsSaturateAtTheirThirtyBits)
{
    TParagraph& p = Lay("ab" + kMark);
    TLayoutLine& line = Line(p, 0);
    constexpr int32_t kLargest = 0x3FFFFFFF;
    struct TCase {
        int32_t Start, Delta, Expected;
    };
    const TCase cases[] = {
        {kLargest - 10, 100, kLargest},
        {-kLargest + 10, -100, -kLargest},
        {kLargest, std::numeric_limits<int32_t>::max(), kLargest},
        {-kLargest, std::numeric_limits<int32_t>::min(), -kLargest},
        {1000, -250, 750},
    };
    for (const TCase& c : cases) {
        line.SetPosFlag(1, true);
        line.SetPosition(1, c.Start);
        line.AddToPosition(1, c.Delta);
        EXPECT_EQ(line.GetCharPosition(1), c.Expected) << c.Start << " + " << c.Delta;
        EXPECT_TRUE(line.GetPosFlag(1));
    }
    line.SetPosition(0, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(line.GetCharPosition(0), kLargest);
    line.SetPosition(0, 0x40000000);
    EXPECT_EQ(line.GetCharPosition(0), kLargest);
}

// A word longer than the line is cut after its last character that fits;
// a character wider than the line takes a line of its own.
TEST_F(LayoutTest, WordLongerThanTheLine)
{
    // Without hyphenation: the word is cut where the line is full.
    const std::string word = "anticonstitutionnellement";
    TParFormat noHyphenation = DefaultParFormat();
    noHyphenation[pfNoHyphenation] = 1;
    TParagraph& p = Lay(word + kMark, noHyphenation, 1000);
    const int32_t limit = Line(p, 0).RightLimit;
    EXPECT_EQ(limit, 533);  // 1000 twips = 66.7 px, in eighths
    std::string rest = word;
    for (int32_t i = 0; i + 1 < p.GetLineCount(); ++i) {
        // The cut: as many characters as fit, and not one more.
        size_t fit = 0;
        while (fit < rest.size() && TextWidth(kTimes, 24, rest.substr(0, fit + 1)) <= limit)
            ++fit;
        EXPECT_EQ(LineText(p, i), rest.substr(0, fit)) << "line " << i;
        rest = rest.substr(fit);
    }
    EXPECT_EQ(LineText(p, p.GetLineCount() - 1), rest + "<2>");

    // 72 pt "W" in a line of 50 twips: one character a line.
    TParagraph& q = Lay("{1:144}WW" + kMark, DefaultParFormat(), 50);
    ASSERT_EQ(q.GetLineCount(), 2);
    EXPECT_EQ(LineText(q, 0), "W");
    EXPECT_EQ(LineText(q, 1), "W<2>");
}

// Two spaces may hang past the right limit; the third ends the line there.
TEST_F(LayoutTest, HangingSpaces)
{
    // "aaaa" fills the line almost exactly.
    const int32_t width = 4 * CharWidth(kTimes, 24, 'a');  // eighths
    const int32_t twips = width * 1440 / (8 * 96) + 1;
    TParagraph& p = Lay("aaaa    b" + kMark, DefaultParFormat(), twips);
    ASSERT_EQ(p.GetLineCount(), 2);
    EXPECT_EQ(LineText(p, 0), "aaaa  ");
    EXPECT_EQ(LineText(p, 1), "  b<2>");
}

// Ascent, descent and height: the fonts' metrics at 12 points and 96 dpi
// (Liberation Serif: ascent 1825/2048 em, descent 443/2048 em and line gap
// 87/2048 em, so 114 and 28 + 5 eighths at 128 eighths a em, 14 and 4
// pixels), line spacing rules and paragraph spacing.
TEST_F(LayoutTest, MetricsAndLineSpacing)
{
    struct TCase {
        const char* Name;
        std::string Text;
        TParFormat Format;
        int32_t Ascent, Descent, FirstHeight, LastHeight;
        uint8_t Overlap;
    };
    const std::string two = "Premier" + kLineBreak + "Second" + kMark;
    const std::vector<TCase> cases = {
        {"single", two, DefaultParFormat(), 14, 4, 18, 18, 0},
        {"one and a half lines", two, Format({{pfLineSpacing, 360}, {pfLineRule, 1}}), 14, 4, 27, 27, 0},
        {"double", two, Format({{pfLineSpacing, 480}, {pfLineRule, 1}}), 14, 4, 36, 36, 0},
        {"at least 24 pt", two, Format({{pfLineSpacing, 480}, {pfLineRule, 0}}), 14, 4, 32, 32, 0},
        {"at least less than the text", two, Format({{pfLineSpacing, 120}, {pfLineRule, 0}}), 14, 4, 18, 18, 0},
        {"exactly 10 pt: smaller than the text", two, Format({{pfLineSpacing, -200}, {pfLineRule, 0}}), 14, 4,
         13, 13, 1},
        {"space before and after (12 and 6 pt)", two, Format({{pfSpaceBefore, 240}, {pfSpaceAfter, 120}}), 14, 4,
         18 + 16, 18 + 8, 0},
        {"24 pt Arial", "{0:A}{1:48}Grand" + kMark, DefaultParFormat(), 0, 0, 0, 0, 0},
    };
    for (TCase c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Ascent == 0) {
            // Liberation Sans 24 pt: ascent 1854/2048 em, descent 434/2048 em
            // and line gap 67/2048 em of 256 eighths: 232 and 54 + 8, so 29
            // and 8 pixels.
            c.Text = "{0:" + std::to_string(FontIndex(kArial)) + "}" + c.Text.substr(5);
            c.Ascent = 29;
            c.Descent = 8;
            c.FirstHeight = c.LastHeight = 37;
        }
        TParagraph& p = Lay(c.Text, c.Format);
        const TLayoutLine& first = Line(p, 0);
        const TLayoutLine& last = Line(p, p.GetLineCount() - 1);
        EXPECT_EQ(first.Ascent, c.Ascent);
        EXPECT_EQ(first.Descent, c.Descent);
        EXPECT_EQ(first.Height, c.FirstHeight);
        EXPECT_EQ(last.Height, c.LastHeight);
        EXPECT_EQ(first.Overlap, c.Overlap);
    }
}

// Positions: left, centred, right and justified lines, first-line and
// hanging indents.
TEST_F(LayoutTest, AlignmentAndIndents)
{
    const std::string text = "Le vieux port de Marseille accueille chaque matin les pecheurs." + kMark;
    const int32_t widthTwips = 4000;
    const int32_t limit = 2133;

    TParagraph& left = Lay(text, DefaultParFormat(), widthTwips);
    ASSERT_EQ(left.GetLineCount(), 2);
    const TLayoutLine& l0 = Line(left, 0);
    EXPECT_EQ(l0.GetCharPosition(0), 0);
    // Cumulative positions: each boundary adds the character's width.
    int32_t x = 0;
    for (int32_t i = 0; i < l0.CharCount; ++i) {
        x += CharWidth(kTimes, 24, static_cast<uint8_t>(LineText(left, 0)[static_cast<size_t>(i)]));
        ASSERT_EQ(l0.GetCharPosition(i + 1), x) << i;
    }
    const int32_t natural = l0.GetCharPosition(l0.CharCount - 1);  // without the trailing space
    const int32_t free = limit - natural;

    TParagraph& right = Lay(text, Format({{pfAlignment, 2}}), widthTwips);
    EXPECT_EQ(Line(right, 0).GetCharPosition(0), free);
    EXPECT_EQ(Line(right, 0).GetCharPosition(Line(right, 0).CharCount - 1), limit);

    TParagraph& centred = Lay(text, Format({{pfAlignment, 1}}), widthTwips);
    EXPECT_EQ(Line(centred, 0).GetCharPosition(0), free / 2);

    TParagraph& justified = Lay(text, Format({{pfAlignment, 3}}), widthTwips);
    const TLayoutLine& j0 = Line(justified, 0);
    EXPECT_EQ(j0.GetCharPosition(0), 0);
    EXPECT_EQ(j0.GetCharPosition(j0.CharCount - 1), limit);  // the last letter reaches the limit
    // Only the spaces widen, each by free / 5 rounded (five spaces before the
    // trailing one).
    const std::string line = LineText(justified, 0);
    int32_t spaces = 0;
    for (int32_t i = 0; i < j0.CharCount - 1; ++i) {
        const int32_t w = j0.GetCharPosition(i + 1) - j0.GetCharPosition(i);
        const int32_t natural_w = l0.GetCharPosition(i + 1) - l0.GetCharPosition(i);
        if (line[static_cast<size_t>(i)] == ' ') {
            ++spaces;
            EXPECT_NEAR(w - natural_w, free / 5.0, 1.0) << i;
        } else {
            EXPECT_EQ(w, natural_w) << i;
        }
    }
    EXPECT_EQ(spaces, 5);
    // The paragraph's last line is not justified.
    EXPECT_EQ(Line(justified, 1).GetCharPosition(0), 0);
    EXPECT_EQ(Line(justified, 1).GetCharPosition(3), Line(left, 1).GetCharPosition(3));

    // Indents: first line at left + first, the others at left; the right
    // indent narrows the line.
    TParagraph& indented =
        Lay(text, Format({{pfLeftIndent, 720}, {pfFirstIndent, 360}, {pfRightIndent, 360}}), widthTwips);
    EXPECT_EQ(Line(indented, 0).GetCharPosition(0), 576);  // 1080 twips
    EXPECT_EQ(Line(indented, 1).GetCharPosition(0), 384);  // 720 twips
    EXPECT_EQ(Line(indented, 0).RightLimit, 1941);         // 3640 twips
    TParagraph& hanging = Lay(text, Format({{pfLeftIndent, 720}, {pfFirstIndent, -720}}), widthTwips);
    EXPECT_EQ(Line(hanging, 0).GetCharPosition(0), 0);
    EXPECT_EQ(Line(hanging, 1).GetCharPosition(0), 384);
}

// Trailing characters: a centred or right line is measured without its
// trailing spaces, but without at most two characters in all (a paragraph
// mark counts among them).
TEST_F(LayoutTest, TrailingSpacesOfAlignedLines)
{
    const int32_t space = CharWidth(kTimes, 24, ' ');
    auto rightEdge = [&](const std::string& text, int32_t chars) {
        const TLayoutLine& line = Line(Lay(text, Format({{pfAlignment, 2}})), 0);
        return line.RightLimit - line.GetCharPosition(chars);
    };
    EXPECT_EQ(rightEdge("abc" + kMark, 3), 0);
    EXPECT_EQ(rightEdge("abc " + kMark, 3), 0);
    EXPECT_EQ(rightEdge("abc  " + kMark, 3), space);
    EXPECT_EQ(rightEdge("abc   " + kMark, 3), 2 * space);
    // A line that wraps: its two trailing spaces hang.
    const int32_t room = TextWidth(kTimes, 24, "abc");
    TParagraph& wrapped = Lay("abc  defgh" + kMark, Format({{pfAlignment, 2}}), room * 1440 / 768 + 1);
    ASSERT_EQ(LineText(wrapped, 0), "abc  ");
    EXPECT_EQ(Line(wrapped, 0).GetCharPosition(3), Line(wrapped, 0).RightLimit);
}

// Tabs of every kind, leaders, default stops and the hanging first line.
TEST_F(LayoutTest, Tabs)
{
    TTabTable table;
    table.AddTab(PackTabStop(1440, tkLeft, 0));
    table.AddTab(PackTabStop(2880, tkCenter, 1));
    table.AddTab(PackTabStop(4320, tkRight, 2));
    table.AddTab(PackTabStop(5760, tkDecimal, 3));
    table.AddTab(PackTabStop(6480, tkBar, 0));
    table.Sort();
    const int32_t index = Doc->TabManager().AddTable(table);
    const TParFormat format = Format({{pfTabTable, index}});

    TParagraph& p = Lay("a" + kTab + "gauche" + kTab + "centre" + kTab + "droite" + kTab + "123,45" + kMark, format);
    ASSERT_EQ(p.GetLineCount(), 1);
    const TLayoutLine& line = Line(p, 0);
    const std::string text(reinterpret_cast<const char*>(p.GetPlainChars().Data()), p.GetCharCount());
    auto at = [&](const std::string& s) { return static_cast<int32_t>(text.find(s)); };
    // Left stop at 1 in (768 eighths): the text starts there.
    EXPECT_EQ(line.GetCharPosition(at("gauche")), 768);
    // Centred stop at 2 in: the text's middle stands there.
    const int32_t c0 = line.GetCharPosition(at("centre"));
    const int32_t c1 = line.GetCharPosition(at("centre") + 6);
    EXPECT_NEAR((c0 + c1) / 2.0, 1536, 1.0);
    EXPECT_EQ(c1 - c0, TextWidth(kTimes, 24, "centre"));
    // Right stop at 3 in: the text ends there.
    EXPECT_EQ(line.GetCharPosition(at("droite") + 6), 2304);
    // Decimal stop at 4 in: the comma starts there.
    EXPECT_EQ(line.GetCharPosition(at(",")), 3072);
    // The stops' kinds and leaders, for painting; the bar is no stop.
    ASSERT_EQ(line.Tabs().size(), 4u);
    const uint8_t kinds[] = {tkLeft, tkCenter, tkRight, tkDecimal};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(line.Tabs()[i].Kind, kinds[i]);
        EXPECT_EQ(line.Tabs()[i].Leader, i);
    }
    // A tab takes the room up to the text it aligns.
    EXPECT_EQ(line.GetCharPosition(at("centre") - 1), 768 + TextWidth(kTimes, 24, "gauche"));

    // A right tab whose text is wider than the room does not move it left; a
    // decimal tab without separator is a right tab.
    TTabTable right;
    right.AddTab(PackTabStop(1440, tkRight, 0));
    right.AddTab(PackTabStop(5760, tkDecimal, 0));
    const TParFormat rightFormat = Format({{pfTabTable, Doc->TabManager().AddTable(right)}});
    TParagraph& wide = Lay(kTab + "abcdefghijklmnopqrstuvwxyz" + kTab + "12" + kMark, rightFormat);
    const TLayoutLine& w = Line(wide, 0);
    EXPECT_EQ(w.GetCharPosition(1), 0);
    EXPECT_EQ(w.GetCharPosition(27), TextWidth(kTimes, 24, "abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(w.GetCharPosition(30), 3072);

    // A line cut at a conditional hyphen after a right tab: the text up to
    // the hyphen ends at the stop, the hyphen shown after it, as the line
    // rebuilt alone gives it.
    TTabTable rightOnly;
    rightOnly.AddTab(PackTabStop(1440, tkRight, 0));
    TParagraph& cut = Lay(kTab + "abc" + kSoftHyphen + "defghijklmnopqrstuvwxyzabcdefgh" + kMark,
                          Format({{pfTabTable, Doc->TabManager().AddTable(rightOnly)}}), 1600);
    ASSERT_EQ(LineText(cut, 0), "<7>abc<14>");
    TLayoutLine& c = Line(cut, 0);
    EXPECT_EQ(c.GetCharPosition(4), 768);
    EXPECT_EQ(c.GetCharPosition(5), 768 + CharWidth(kTimes, 24, '-'));
    EXPECT_TRUE(c.TryRebuild());
    EXPECT_EQ(c.GetCharPosition(4), 768);
    EXPECT_EQ(c.GetCharPosition(5), 768 + CharWidth(kTimes, 24, '-'));

    // Default stops every half inch after the last stop of the table; none
    // of its own: from the start.
    TParagraph& defaults = Lay("a" + kTab + "b" + kTab + kTab + "c" + kMark);
    const TLayoutLine& d = Line(defaults, 0);
    EXPECT_EQ(d.GetCharPosition(2), 384);
    EXPECT_EQ(d.GetCharPosition(4), 768);
    EXPECT_EQ(d.GetCharPosition(5), 1152);

    // A hanging first line: its first tab goes to the left indent.
    TParagraph& list = Lay("1." + kTab + "Premier point de la liste" + kMark,
                           Format({{pfLeftIndent, 1080}, {pfFirstIndent, -1080}}));
    EXPECT_EQ(Line(list, 0).GetCharPosition(3), 576);
}

// A bullet widens the first line's start by 270 twips, the bullet's width or
// the hanging indent, whichever is largest.
TEST_F(LayoutTest, Bullets)
{
    TParagraph& plain = Lay("Point" + kMark, Format({{pfInternal, 1}}));
    EXPECT_EQ(Line(plain, 0).GetCharPosition(0), 144);  // 270 twips = 18 px
    TParagraph& hanging =
        Lay("Point" + kLineBreak + "suite" + kMark, Format({{pfInternal, 1}, {pfLeftIndent, 720}, {pfFirstIndent, -720}}));
    EXPECT_EQ(Line(hanging, 0).GetCharPosition(0), 384);
    EXPECT_EQ(Line(hanging, 1).GetCharPosition(0), 384);
    TParagraph& none = Lay("Point" + kMark);
    EXPECT_EQ(Line(none, 0).GetCharPosition(0), 0);
}

// Character formats: letter spacing, small and all capitals, superscript and
// subscript, raised text.
TEST_F(LayoutTest, CharacterFormats)
{
    auto advances = [&](TParagraph& p, int32_t from, int32_t count) {
        std::vector<int32_t> out;
        const TLayoutLine& line = Line(p, 0);
        for (int32_t i = from; i < from + count; ++i)
            out.push_back(line.GetCharPosition(i + 1) - line.GetCharPosition(i));
        return out;
    };
    // Letter spacing of 2 pt (40 twips = 21 eighths) after every character.
    TParagraph& spaced = Lay("{18:40}abc" + kMark);
    EXPECT_EQ(advances(spaced, 0, 3), (std::vector<int32_t>{CharWidth(kTimes, 24, 'a') + 21,
                                                            CharWidth(kTimes, 24, 'b') + 21,
                                                            CharWidth(kTimes, 24, 'c') + 21}));
    // All capitals: measured as capitals.
    TParagraph& caps = Lay("{9:1}\xE9t\xE9" + kMark);
    EXPECT_EQ(advances(caps, 0, 3), (std::vector<int32_t>{CharWidth(kTimes, 24, 0xC9), CharWidth(kTimes, 24, 'T'),
                                                          CharWidth(kTimes, 24, 0xC9)}));
    // Small capitals: capitals at full size, lower-case letters as capitals
    // at 80 % (9.6 pt: 154 view units).
    TParagraph& small = Lay("{8:1}Paris" + kMark);
    EXPECT_EQ(advances(small, 0, 2),
              (std::vector<int32_t>{CharWidth(kTimes, 24, 'P'), ViewCharWidth(kTimes, 154, 'A')}));
    // A line of small letters does not take the height of the capitals cut
    // off its end.
    TParagraph& smallLine = Lay("{8:1}aaaa" + kSoftHyphen + "BBBBBBBBBBBBBBBB" + kMark, DefaultParFormat(), 2000);
    ASSERT_EQ(LineText(smallLine, 0), "aaaa<14>");
    EXPECT_EQ(Line(smallLine, 0).Ascent, Line(Lay("{8:1}aaaa" + kMark), 0).Ascent);
    EXPECT_LT(Line(smallLine, 0).Ascent, Line(smallLine, 1).Ascent);
    // Superscript at 65 % (7.8 pt): narrower, but the line keeps the
    // full-size ascent and descent.
    TParagraph& super = Lay("x{16:1}2" + kMark);
    EXPECT_EQ(advances(super, 1, 1), (std::vector<int32_t>{ViewCharWidth(kTimes, 125, '2')}));
    EXPECT_EQ(Line(super, 0).Ascent, 14);
    EXPECT_EQ(Line(super, 0).Height, 18);
    // Raised text (3 pt) makes the line taller by the raise, unless the
    // spacing is exact.
    TParagraph& raised = Lay("x{19:3}2" + kMark);
    EXPECT_EQ(Line(raised, 0).Raise, 3);
    EXPECT_EQ(Line(raised, 0).Height, 18 + 4);
    TParagraph& exact = Lay("x{19:3}2" + kMark, Format({{pfLineSpacing, -360}, {pfLineRule, 0}}));
    EXPECT_EQ(Line(exact, 0).Raise, 0);
    EXPECT_EQ(Line(exact, 0).Height, 24);
    // Underline makes the line overlap its neighbours; colour alone does not.
    EXPECT_EQ(Line(Lay("a{6:1}b" + kMark), 0).Overlap, 1);
    EXPECT_EQ(Line(Lay("a{14:6}b" + kMark), 0).Overlap, 0);
}

// Special characters: their widths in the run font.
TEST_F(LayoutTest, SpecialCharacterWidths)
{
    TParagraph& p = Lay("a" + kNbSpace + kNbHyphen + kEmDash + kEnDash + kSoftHyphen + "b" + kMark);
    const TLayoutLine& line = Line(p, 0);
    std::vector<int32_t> widths;
    for (int32_t i = 0; i < line.CharCount; ++i)
        widths.push_back(line.GetCharPosition(i + 1) - line.GetCharPosition(i));
    EXPECT_EQ(widths, (std::vector<int32_t>{CharWidth(kTimes, 24, 'a'), CharWidth(kTimes, 24, ' '),
                                            CharWidth(kTimes, 24, '-'), CharWidth(kTimes, 24, 151),
                                            CharWidth(kTimes, 24, 150), 0, CharWidth(kTimes, 24, 'b'),
                                            CharWidth(kTimes, 24, 182)}));
    // A line ending at a conditional hyphen shows the hyphen.
    const int32_t room = TextWidth(kTimes, 24, "abc-");
    const int32_t twips = room * 1440 / (8 * 96) + 2;
    TParagraph& cut = Lay("abc" + kSoftHyphen + "de" + kMark, DefaultParFormat(), twips);
    ASSERT_EQ(cut.GetLineCount(), 2);
    EXPECT_EQ(LineText(cut, 0), "abc<14>");
    EXPECT_EQ(Line(cut, 0).GetCharPosition(4), room);
    // Also when it is all the line holds, in a line narrower than it.
    TParagraph& alone = Lay(kSoftHyphen + "ab" + kMark, DefaultParFormat(), 1);
    EXPECT_EQ(LineText(alone, 0), "<14>");
    EXPECT_EQ(Line(alone, 0).GetCharPosition(1), CharWidth(kTimes, 24, '-'));
    // A line break is 11 pixels wide; a page break takes the rest of a left
    // line.
    TParagraph& breaks = Lay("a" + kLineBreak + "b" + kPageBreak + kMark);
    EXPECT_EQ(Line(breaks, 0).GetCharPosition(2) - Line(breaks, 0).GetCharPosition(1), 88);
    EXPECT_EQ(Line(breaks, 1).GetCharPosition(2), Line(breaks, 1).RightLimit);
    EXPECT_TRUE(Line(breaks, 1).EndsWithPageBreak());
    EXPECT_TRUE(Line(breaks, 0).EndsWithBreak());
    EXPECT_FALSE(Line(breaks, 0).EndsWithPageBreak());
    // A section break ends the page when its section starts a new page; a
    // line of nothing but the break is a break-only line, and the next line
    // starts as a first line would.
    TSection& section = Doc->Sections(0);
    const std::string sectionBreak = Rec(icSectionBreak, section.Handle());
    section.Settings[ssBreakKind] = sbNewPage;
    TParagraph& newPage = Lay(sectionBreak);
    ASSERT_EQ(newPage.GetLineCount(), 1);
    EXPECT_TRUE(Line(newPage, 0).EndsWithPageBreak());
    EXPECT_TRUE(Line(newPage, 0).IsBreakOnlyLine());
    EXPECT_FALSE(Line(newPage, 0).EndsWithBreak());
    EXPECT_EQ(Line(newPage, 0).Ascent, 10);  // the 8 pt paragraph-mark font: 76 eighths
    section.Settings[ssBreakKind] = sbContinuous;
    EXPECT_FALSE(Line(Lay("Fin" + sectionBreak), 0).EndsWithPageBreak());
    TParagraph& after = Lay(kPageBreak + "Suite" + kMark, Format({{pfFirstIndent, 720}, {pfSpaceBefore, 240}}));
    EXPECT_EQ(Line(after, 0).GetSpaceBefore(), 0);
    EXPECT_EQ(Line(after, 1).GetSpaceBefore(), 16);
    EXPECT_EQ(Line(after, 1).GetCharPosition(0), 384);
}
