// Random selections over documents of mixed formats: the selection's common
// character and paragraph formats, however the selection got there (set afresh,
// grown or shrunk at one end, moved), must be what walking the selected
// characters one by one gives.
#include "document/DocumentFixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Fonts 0 and 3 are two entries of one family, font 5 another family.
class TRandomFamilies : public TFontFamilyResolver {
public:
    TRandomFamilies() : FPrevious(SetFontFamilyResolver(this)) {}
    ~TRandomFamilies() override { SetFontFamilyResolver(FPrevious); }
    int32_t FontFamilyOf(int32_t font) const override { return font == 0 || font == 3 ? 1 : font == 5 ? 2 : -1; }

private:
    const TFontFamilyResolver* FPrevious;
};

int32_t Family(int32_t font)
{
    return font == NotSet ? NotSet : font == 0 || font == 3 ? 1 : font == 5 ? 2 : -1;
}

std::string Comparable(const TCharFormat& f)
{
    std::string out;
    for (int slot = 0; slot < TCharFormat::Count; ++slot) {
        const int32_t value = slot == cfFont ? Family(f[slot]) : f[slot];
        out += (value == NotSet ? std::string("-") : std::to_string(value)) + " ";
    }
    return out;
}

// What the selection's character format should be: every selected character's
// format merged in text order (a slot differing anywhere is not set, fonts of
// one family count as one); with nothing selected, the format in force before
// the character at the caret.
TCharFormat ExpectedCharFormat(TDocument& doc, const TTextSelection& s)
{
    if (CompareTextPos(s.Start, s.End) == 0) {
        TCharFormat atEnd;
        const std::vector<TCharFormat> formats = CharFormatsOfParagraph(doc.Paragraphs(s.Start.Paragraph), &atEnd);
        return s.Start.Offset < static_cast<int32_t>(formats.size()) ? formats[static_cast<size_t>(s.Start.Offset)]
                                                                     : atEnd;
    }
    bool first = true;
    TCharFormat merged;
    for (int32_t p = s.Start.Paragraph; p <= s.End.Paragraph; ++p) {
        TCharFormat atEnd;
        const std::vector<TCharFormat> formats = CharFormatsOfParagraph(doc.Paragraphs(p), &atEnd);
        const int32_t from = p == s.Start.Paragraph ? s.Start.Offset : 0;
        const int32_t to = p == s.End.Paragraph ? s.End.Offset : static_cast<int32_t>(formats.size());
        for (int32_t c = from; c < to; ++c) {
            if (first)
                merged = formats[static_cast<size_t>(c)];
            else
                MergeCharFormat(merged, formats[static_cast<size_t>(c)]);
            first = false;
        }
    }
    return merged;
}

TParFormat ExpectedParFormat(TDocument& doc, const TTextSelection& s)
{
    TParFormat format = doc.Paragraphs(s.Start.Paragraph).Format;
    for (int32_t p = s.Start.Paragraph; p <= s.End.Paragraph; ++p)
        for (int slot = 0; slot < TParFormat::Count; ++slot)
            if (format[slot] != doc.Paragraphs(p).Format[slot])
                format[slot] = NotSet;
    return format;
}

// Paragraph text of letters and format records (some of them redundant, as a
// reader may leave them), now and then a bookmark's anchors, and the mark.
std::string RandomParagraph(std::mt19937& random)
{
    auto below = [&random](int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(random); };
    std::string notation;
    const int32_t length = below(12);
    for (int32_t i = 0; i < length; ++i) {
        switch (below(8)) {
        case 0: notation += Rec(cfBold, below(2)); break;
        case 1: notation += Rec(cfItalic, below(2)); break;
        case 2: notation += Rec(cfColor, below(3)); break;
        case 3: notation += Rec(cfFont, std::vector<int32_t>{0, 3, 5}[static_cast<size_t>(below(3))]); break;
        case 4: notation += Rec(cfSize, below(2) ? 24 : 30); break;
        case 5: notation += Rec(below(2) ? icRangeStart : icRangeEnd, 900 + below(3)); break;
        case 6: notation += Rec(icSpecialChar, scTab); break;
        default: notation.push_back(static_cast<char>('a' + below(26))); break;
        }
    }
    notation += kMark;
    if (below(4) == 0)
        notation += Rec(cfBold, below(2));  // a record behind the mark
    return notation;
}

}  // namespace

TEST(SelectionRandom, CommonFormatsAgreeWithTheSelectedCharacters)
{
    TRandomFamilies families;
    TTestHost host;
    std::mt19937 random(7031u);
    auto below = [&random](int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(random); };
    for (int round = 0; round < 80; ++round) {
        TDocument doc(true);
        const int32_t paragraphs = 1 + below(6);
        for (int32_t p = 0; p < paragraphs; ++p) {
            TParagraph& paragraph = p == 0 ? doc.Paragraphs(0) : doc.AppendParagraph(stBody);
            const std::string notation = RandomParagraph(random);
            SetParagraphText(paragraph, notation);
            paragraph.Format[pfAlignment] = below(2);
            paragraph.Format[pfLeftIndent] = below(3) == 0 ? 360 : 0;
        }
        TTextSelection previous = doc.Selection();
        for (int step = 0; step < 200; ++step) {
            // A fresh selection, or one end of the current one moved a little.
            int32_t p1, o1, p2, o2;
            uint32_t flags = 0;
            const TTextSelection& now = doc.Selection();
            const int32_t move = below(6);
            if (move < 2) {
                p1 = below(paragraphs + 1) - (below(8) == 0 ? 1 : 0);
                p2 = below(paragraphs + 1);
                o1 = below(16) - 1;
                o2 = below(16) - 1;
                if (below(3) == 0)
                    flags |= ssfOldIsEmpty;
            } else {
                p1 = now.Start.Paragraph;
                o1 = now.Start.Offset;
                p2 = now.End.Paragraph;
                o2 = now.End.Offset;
                const int32_t delta = below(2) ? 1 : -1 - below(2);
                if (move < 4)
                    o2 += delta;
                else
                    o1 += delta;
                if (below(5) == 0)
                    std::swap(p1, p2), std::swap(o1, o2);
            }
            doc.SetSelection(p1, o1, p2, o2, flags);
            const TTextSelection& s = doc.Selection();
            SCOPED_TRACE(testing::Message() << "round " << round << " step " << step << ": (" << previous.Start.Paragraph
                                            << "," << previous.Start.Offset << ")-(" << previous.End.Paragraph << ","
                                            << previous.End.Offset << ") to (" << s.Start.Paragraph << ","
                                            << s.Start.Offset << ")-(" << s.End.Paragraph << "," << s.End.Offset
                                            << ")");
            ASSERT_LE(CompareTextPos(s.Start, s.End), 0);
            ASSERT_EQ(Comparable(doc.SelCharFormat), Comparable(ExpectedCharFormat(doc, s)));
            ASSERT_EQ(doc.SelParFormat, ExpectedParFormat(doc, s));
            previous = s;
        }
    }
}
