// Randomly built documents (fixed seeds) paginated whole, in slices and again
// after edits through the dispatcher: every body line stands on exactly one
// page in order, slices give the pages of one run, and re-pagination after an
// edit gives the pages of a fresh pagination. Extreme page and paragraph
// values must neither crash nor hang.
#include "PaginationFixtures.h"

#include "document/operations/OperationDispatcher.h"
#include "document/model/ParReformatingManager.h"
#include "foundation/Memory.h"

#include <functional>
#include <random>

namespace {

constexpr int32_t kAllPages = 0x7FFFFFFF;

}  // namespace

class PaginationProperty : public PaginationTest {
protected:
    ~PaginationProperty() override
    {
        Doc.reset();
        if (FViewFactorySet)
            SetDocumentViewFactory(FPreviousFactory);
        TFakeView::State = nullptr;
    }

    // A new empty document, with a window (a fake one) or hidden.
    void NewDocument(bool withWindow)
    {
        Doc.reset();
        if (withWindow && !FViewFactorySet) {
            TFakeView::State = &FViewState;
            FPreviousFactory = SetDocumentViewFactory(&TFakeView::Create);
            FViewFactorySet = true;
        }
        Doc = std::make_unique<TDocument>(!withWindow);
        FParagraphs = 0;
        SmallPage(Doc->Sections(0), 5);
    }

    int32_t Pick(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(FRandom); }
    bool Chance(int32_t percent) { return Pick(0, 99) < percent; }

    // Random words with character formats, tabs and breaks.
    std::string RandomText()
    {
        static const char* const words[] = {"le", "texte", "mise", "en", "page", "élégante", "W", "iiii",
                                            "paragraphe", "MMMMMMMMMMMMMMMM", "à", "côté", "de", "la"};
        static const char* const faces[] = {"Arial", "Times New Roman", "Courier New"};
        std::string text;
        const int32_t count = Pick(0, 40);
        for (int32_t i = 0; i < count; ++i) {
            const int32_t kind = Pick(0, 99);
            if (kind < 4)
                text += Rec(cfSize, Pick(0, 9) == 0 ? Pick(1, 200) : Pick(12, 48));
            else if (kind < 7)
                text += Rec(cfBold, Pick(0, 1));
            else if (kind < 9)
                text += Rec(cfItalic, Pick(0, 1));
            else if (kind < 11)
                text += Rec(cfFont, FontIndex(faces[Pick(0, 2)]));
            else if (kind < 12)
                text += Rec(cfVerticalPosition, Pick(0, 2));
            else if (kind < 17)
                text += kTab;
            else if (kind < 20)
                text += kLineBreak;
            else if (kind < 21)
                text += kPageBreak;
            else if (kind < 22)
                text += kColumnBreak;
            else if (kind < 23)
                text += kSoftHyphen;
            else
                text += words[Pick(0, static_cast<int32_t>(std::size(words)) - 1)];
            if (Chance(70))
                text += " ";
        }
        return text;
    }

    TParFormat RandomParFormat()
    {
        TParFormat format = DefaultParFormat();
        if (Chance(30))
            format[pfLeftIndent] = Pick(0, 2000);
        if (Chance(30))
            format[pfRightIndent] = Pick(0, 1500);
        if (Chance(30))
            format[pfFirstIndent] = Pick(-1000, 1000);
        format[pfAlignment] = Pick(0, 3);
        if (Chance(30))
            format[pfSpaceBefore] = Pick(0, 400);
        if (Chance(30))
            format[pfSpaceAfter] = Pick(0, 400);
        if (Chance(20)) {
            format[pfLineRule] = Pick(0, 1);
            format[pfLineSpacing] = format[pfLineRule] ? Pick(120, 480) : Pick(-500, 500);
        }
        format[pfKeepWithNext] = Chance(20);
        format[pfKeepTogether] = Chance(15);
        format[pfWidowControl] = Chance(40);
        format[pfPageBreakBefore] = Chance(7);
        return format;
    }

    // A document of one to four sections of different page sizes,
    // orientations and column counts, some with headers and footers.
    void BuildRandomDocument()
    {
        const int32_t sectionCount = Pick(1, 4);
        std::vector<TSection*> sections;
        static const uint8_t kinds[] = {sbContinuous, sbNewPage, sbOddPage, sbEvenPage};
        for (int32_t i = 0; i + 1 < sectionCount; ++i)
            sections.push_back(&NewSection(Pick(2, 8), kinds[Pick(0, 3)], Pick(3000, 10000)));
        sections.push_back(&Doc->Sections(Doc->SectionCount() - 1));
        SmallPage(*sections.back(), Pick(2, 8), Pick(3000, 10000));
        for (TSection* section : sections) {
            section->Settings[ssColumnCount] = Chance(40) ? Pick(2, 4) : 1;
            section->Settings[ssColumnSpacing] = Pick(0, 720);
            section->PageParams[ppOrientation] = Pick(0, 1);
            if (Chance(20))
                section->PageParams[ppFlags] = Pick(0, 1) ? 0x0100 : 0x0001;
        }
        Doc->RecalcPageExtents();
        for (size_t s = 0; s < sections.size(); ++s) {
            const int32_t count = Pick(1, 10);
            for (int32_t p = 0; p < count; ++p) {
                const bool last = p + 1 == count && s + 1 < sections.size();
                Para(RandomText() + (last ? SectionBreak(*sections[s]) : kMark), RandomParFormat());
            }
        }
        for (TSection* section : sections) {
            for (int32_t slot = 0; slot < 6; ++slot)
                if (Chance(15))
                    AnchoredHeaderFooter(*section, slot, Pick(1, 3));
            if (Chance(30)) {
                section->PageParams[ppHeaderDistance] = Pick(0, 1200);
                section->PageParams[ppFooterDistance] = Pick(0, 1200);
            }
        }
        Doc->SectionsDirty = 1;
        Doc->RefreshRangeObjectPositions();
    }

    // A header or footer of n lines between its anchors (which keep its
    // range right while the body changes) in a section's slot.
    void AnchoredHeaderFooter(TSection& section, int32_t slot, int32_t lines)
    {
        TField& range = Doc->AddRangeObject(rkHeaderFooter);
        std::string text = Rec(icRangeStart, range.Handle());
        for (int32_t i = 0; i < lines; ++i)
            text += "En-tête " + std::to_string(i) + (i + 1 < lines ? kLineBreak : kMark);
        text += Rec(icRangeEnd, range.Handle());
        TParagraph& paragraph = Doc->AppendParagraph(stHeadersFooters);
        const std::string encoded = EncodeText(text);
        paragraph.SetText(encoded.data(), static_cast<int32_t>(encoded.size()));
        section.HeadersFooters[slot] = &range;
    }

    // The pages as paginated: per page its header and footer space, then each
    // body line as paragraph.line@column:top+height.
    std::string Signature() const
    {
        std::string out;
        for (const auto& page : Doc->Pages()) {
            out += "[" + std::to_string(page->HeaderSpace) + "," + std::to_string(page->FooterSpace) + "]";
            for (const TParLine* line : page->Lines) {
                if (!line) {
                    out += " ?";
                    continue;
                }
                const TLayoutLine* layoutLine = AsLayoutLine(const_cast<TParLine*>(line));
                out += " " + std::to_string(layoutLine->Paragraph().Index) + "." + std::to_string(line->Index) +
                       "@" + std::to_string(line->Column) + ":" + std::to_string(line->Top) + "+" +
                       std::to_string(line->Height);
            }
            out += "\n";
        }
        return out;
    }

    // Two signatures equal, or the first page where they differ.
    static void ExpectSamePages(const std::string& actual, const std::string& expected)
    {
        if (actual == expected)
            return;
        size_t start = 0;
        int32_t page = 0;
        for (;;) {
            const size_t a = actual.find('\n', start);
            const size_t e = expected.find('\n', start);
            const std::string lineA = actual.substr(start, a == std::string::npos ? a : a - start);
            const std::string lineE = expected.substr(start, e == std::string::npos ? e : e - start);
            if (lineA != lineE || a == std::string::npos || e == std::string::npos) {
                ADD_FAILURE() << "page " << page << " differs:\n  " << lineA << "\nexpected\n  " << lineE;
                return;
            }
            start = a + 1;
            ++page;
        }
    }

    // Complete pages: every line of every body paragraph on one page, which
    // holds it in one slot.
    void CheckComplete()
    {
        ASSERT_TRUE(Doc->PaginationComplete);
        CheckPages();
        int32_t placed = 0;
        for (const auto& page : Doc->Pages())
            for (const TParLine* line : page->Lines)
                if (line && Doc->GetStoryOfParagraph(AsLayoutLine(const_cast<TParLine*>(line))->Paragraph().Index) ==
                                stBody)
                    ++placed;
        int32_t lines = 0;
        for (int32_t i = 0; i <= Doc->StoryLast(stBody); ++i) {
            TParagraph& paragraph = Doc->Paragraphs(i);
            EXPECT_TRUE(paragraph.GetLaidOutFlag()) << "paragraph " << i;
            for (int32_t l = 0; l < paragraph.GetLineCount(); ++l, ++lines) {
                const TParLine& line = paragraph.GetLine(l);
                EXPECT_NE(line.Page, nullptr) << "paragraph " << i << " line " << l;
                if (line.Page) {
                    EXPECT_EQ(line.Page->LineAt(line.PageIndex), &line) << "paragraph " << i << " line " << l;
                }
            }
        }
        EXPECT_EQ(placed, lines);
    }

    std::string Fresh()
    {
        Doc->FreePages();
        Doc->PaginateAll();
        return Signature();
    }

    // Slices of random sizes from the end of the page list give the pages of
    // one run.
    void CheckSlices(const std::string& whole)
    {
        Doc->FreePages();
        int32_t runs = 0;
        Doc->Paginate(0, Pick(0, 2), 0);
        while (!Doc->PaginationComplete && runs++ < 1000) {
            const int32_t count = Doc->PageCount();
            const int32_t from = std::max(count - Pick(0, 2), 0);
            Doc->Paginate(from, count + Pick(0, 2), from);
            CheckPages();
        }
        ExpectSamePages(Signature(), whole);
        // A run again from a page in the middle.
        const int32_t from = Pick(0, Doc->PageCount());
        Doc->Paginate(from, kAllPages, from);
        ExpectSamePages(Signature(), whole);
    }

    // A random edit through the dispatcher: typing, Enter or a deletion.
    void RandomEdit()
    {
        const int32_t last = Doc->StoryLast(stBody);
        const int32_t paragraph = Pick(0, last);
        const int32_t chars = Doc->Paragraphs(paragraph).GetCharCount();
        const int32_t offset = Pick(0, std::max(chars - 1, 0));
        uint8_t flags = 0;
        const int32_t kind = Pick(0, 9);
        if (kind < 6) {
            Doc->SetSelection(paragraph, offset, paragraph, offset);
            std::string text;
            if (kind < 2)
                text = "\r";
            else if (kind < 3)
                text = std::string(1, static_cast<char>(Pick(0, 1) ? '\t' : 'x'));
            else
                text = Pick(0, 1) ? " et une suite de mots assez longue pour passer à la ligne suivante" : "ab";
            FLastEdit += "type " + std::to_string(paragraph) + ":" + std::to_string(offset) + " '" + text + "'; ";
            TMemory buffer;
            buffer.Append(text.data(), static_cast<int32_t>(text.size()));
            Doc->ExecuteOperation(docInsertText, {&buffer, &flags});
        } else {
            // Within the paragraph or into a later one.
            TTextPosition from{paragraph, offset};
            TTextPosition to{paragraph, std::min(offset + Pick(1, 12), std::max(chars - 1, offset))};
            if (kind == 9 && paragraph < last) {
                const int32_t other = Pick(paragraph + 1, std::min(paragraph + 2, last));
                to = {other, Pick(0, std::max(Doc->Paragraphs(other).GetCharCount() - 1, 0))};
            }
            FLastEdit += "delete " + std::to_string(from.Paragraph) + ":" + std::to_string(from.Offset) + "-" +
                         std::to_string(to.Paragraph) + ":" + std::to_string(to.Offset) + "; ";
            Doc->ExecuteOperation(docDeleteRange, {&from, &to, &flags});
        }
    }

    void RunSeed(uint32_t seed)
    {
        FRandom.seed(seed);
        NewDocument(seed % 2 == 0);
        BuildRandomDocument();
        Doc->PaginateAll();
        CheckComplete();
        const std::string whole = Signature();
        CheckSlices(whole);
        ExpectSamePages(Fresh(), whole);

        for (int32_t round = 0; round < 6 && !HasFatalFailure(); ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            const int32_t edits = Pick(1, 3);
            FLastEdit.clear();
            for (int32_t e = 0; e < edits; ++e) {
                RandomEdit();
                if (Chance(50))
                    Doc->PaginateAll();
            }
            Doc->ReformatingManager().ReformatPending();
            Doc->PaginateAll();
            SCOPED_TRACE(FLastEdit);
            CheckComplete();
            const std::string after = Signature();
            ExpectSamePages(after, Fresh());
            if (Chance(30))
                CheckSlices(Signature());
        }
    }

    std::mt19937 FRandom;
    std::string FLastEdit;
    TFakeViewState FViewState;
    TDocumentViewFactory FPreviousFactory = nullptr;
    bool FViewFactorySet = false;
};

TEST_F(PaginationProperty, RandomDocuments)
{
    // Beyond the first two, seeds that once found faults: an edit in a
    // paragraph pagination had not reached (166), lines of no height (200),
    // a space before lost at the top of columns below another section (323),
    // a keep-with-next chain left open past what followed it (843, 2559).
    for (uint32_t seed : {1u, 2u, 166u, 200u, 323u, 843u, 2559u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RunSeed(seed);
    }
}

// Extreme pages, paragraphs and characters: pagination ends, every line of
// the body on one page.
TEST_F(PaginationProperty, ExtremeValues)
{
    struct TCase {
        const char* Name;
        std::function<void()> Build;
    };
    const std::string text = "Un texte de quelques mots" + kTab + "et une tabulation, assez long pour plusieurs lignes";
    const std::vector<TCase> cases = {
        {"paper without width",
         [&]() {
             SmallPage(Doc->Sections(0), 5, 0);
             Para(text + kMark);
         }},
        {"margins wider than the paper",
         [&]() {
             TPageParams& p = Doc->Sections(0).PageParams;
             p[ppLeftMargin] = p[ppRightMargin] = 9000;
             p[ppTopMargin] = -500;
             Doc->RecalcPageExtents();
             Para(text + kMark);
         }},
        {"paper without height",
         [&]() {
             TPageParams& p = Doc->Sections(0).PageParams;
             p[ppPaperHeight] = 0;
             Doc->RecalcPageExtents();
             Para(text + kMark);
             Para(text + kMark);
         }},
        {"indents larger than the text width",
         [&]() {
             Para(text + kMark, With({{pfLeftIndent, 30000}, {pfRightIndent, 30000}}));
             Para(text + kMark, With({{pfFirstIndent, -30000}}));
             Para(text + kMark, With({{pfLeftIndent, -8000}, {pfAlignment, 3}}));
         }},
        {"a font size of 1 and of 1638 half-points, a line taller than the page",
         [&]() {
             Para(Rec(cfSize, 1) + text + kMark);
             Para(Rec(cfSize, 1638) + "Wi" + kMark);
             Para(Rec(cfSize, 1638) + text + kMark, With({{pfKeepTogether, 1}, {pfWidowControl, 1}}));
             OneLiners(2);
         }},
        {"space before and line spacing taller than the page",
         [&]() {
             Para(text + kMark, With({{pfSpaceBefore, 30000}, {pfSpaceAfter, 30000}}));
             Para(text + kMark, With({{pfLineRule, 0}, {pfLineSpacing, -30000}}));
             Para(text + kMark, With({{pfLineRule, 1}, {pfLineSpacing, 24000}}));
         }},
        {"columns narrower than a character",
         [&]() {
             TSection& section = Doc->Sections(0);
             section.Settings[ssColumnCount] = MaxColumns;
             section.Settings[ssColumnSpacing] = 0;
             Doc->RecalcPageExtents();
             Para(text + kColumnBreak + "MMMM" + kMark);
             OneLiners(3);
         }},
        {"a keep-with-next chain longer than the page",
         [&]() {
             OneLiners(12, With({{pfKeepWithNext, 1}, {pfKeepTogether, 1}}));
             Lines(8, With({{pfWidowControl, 1}, {pfKeepTogether, 1}}));
         }},
        {"a header taller than the page",
         [&]() {
             OneLiners(4);
             AnchoredHeaderFooter(Doc->Sections(0), 1, 40);
             AnchoredHeaderFooter(Doc->Sections(0), 3, 40);
             Doc->RefreshRangeObjectPositions();
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        NewDocument(false);
        c.Build();
        Doc->PaginateAll();
        CheckComplete();
        const std::string whole = Signature();
        CheckSlices(whole);
    }
}
