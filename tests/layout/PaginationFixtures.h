#pragma once
// Documents paginated by the real line layout and pagination on small pages:
// the default font (Liberation Serif 12 points) gives lines of 18 layout
// units at 96 dpi, and a page set up with SmallPage holds exactly the number
// of such lines it is given. Pages are summed up as text: the lines of each
// page in placement order as "paragraph.line", a "/" where the column changes,
// pages separated by " | " and a blank page as "(blanche)".
#include "LayoutFixtures.h"

#include "document/model/DocumentHost.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/model/Page.h"
#include "document/model/Section.h"
#include "layout/DocumentLayoutService.h"
#include "layout/PageGrid.h"
#include "layout/Pagination.h"

#include <map>
#include <string>
#include <vector>

constexpr int32_t kLineHeight = 18;        // layout units of a single-spaced line
constexpr int32_t kLineTwips = 270;        // the same in twips at 96 dpi
constexpr int32_t kPageMargin = 720;       // every margin of a small page
constexpr int32_t kSmallPageWidth = 6000;  // text width 4560 twips

// A window of a given client size; IsBusy answers what the test sets.
struct TFakeViewState {
    int32_t ClientWidth = 1000;
    int32_t ClientHeight = 800;
    bool Busy = false;
    int32_t Repaints = 0;
    int32_t Scrolls = 0;
    int32_t ScrollDx = 0;
    int32_t ScrollDy = 0;
    int32_t MaxX = 0;
    int32_t LargeX = 0;
    int32_t MaxY = 0;
    int32_t LargeY = 0;
};

class TFakeView : public TDocumentView {
public:
    static inline TFakeViewState* State = nullptr;
    int32_t ClientWidth() const override { return State->ClientWidth; }
    int32_t ClientHeight() const override { return State->ClientHeight; }
    bool IsBusy() const override { return State->Busy; }
    void SetScrollRanges(int32_t maxX, int32_t largeX, int32_t maxY, int32_t largeY) override
    {
        State->MaxX = maxX;
        State->LargeX = largeX;
        State->MaxY = maxY;
        State->LargeY = largeY;
    }
    void SetScrollPositions(int32_t, int32_t) override {}
    void ScrollContent(int32_t dx, int32_t dy) override
    {
        ++State->Scrolls;
        State->ScrollDx = dx;
        State->ScrollDy = dy;
    }
    void Repaint() override { ++State->Repaints; }
    void HideCaret() override {}
    void ShowCaret() override {}
    void RestoreAndActivate() override {}
    void DocumentDestroyed(bool) override { delete this; }
    static TDocumentView* Create(TDocument&) { return new TFakeView; }
};

// While it lives, new documents open with a fake window reporting into the
// state given. Documents made in its time must be freed before it ends.
class TFakeViewScope {
public:
    explicit TFakeViewScope(TFakeViewState& state) : FPrevious(SetDocumentViewFactory(&TFakeView::Create))
    {
        TFakeView::State = &state;
    }
    ~TFakeViewScope()
    {
        SetDocumentViewFactory(FPrevious);
        TFakeView::State = nullptr;
    }
    TFakeViewScope(const TFakeViewScope&) = delete;
    TFakeViewScope& operator=(const TFakeViewScope&) = delete;

private:
    TDocumentViewFactory FPrevious;
};

// The main window's status bar as pagination sees it.
class TStatusHost : public TDocumentHost {
public:
    int32_t Mode = 0;
    std::vector<std::string> Texts;
    int32_t Pushes = 0;
    int32_t Pops = 0;
    int32_t StatusBarMode() override { return Mode; }
    void SetStatusBarMode(int32_t mode) override { Mode = mode; }
    void SetStatusText(const std::string& text) override { Texts.push_back(text); }
    void PushStatus() override { ++Pushes; }
    void PopStatus() override { ++Pops; }
};

// Line layout that counts how often each paragraph is laid out (one run
// font selection starts every re-layout).
class TCountingLayout : public TParagraphLayout {
public:
    std::map<const TParagraph*, int32_t> Layouts;
    int32_t Total() const
    {
        int32_t total = 0;
        for (const auto& [paragraph, count] : Layouts)
            total += count;
        return total;
    }
    int32_t WidthToLayout(TParagraph& p, int32_t twips) override { return FInner.WidthToLayout(p, twips); }
    int32_t ScaleToViewX(TParagraph& p, int32_t value) override { return FInner.ScaleToViewX(p, value); }
    int32_t ScaleFromViewX(TParagraph& p, int32_t value) override { return FInner.ScaleFromViewX(p, value); }
    void PrepareParagraphTabs(TParagraph& p) override { FInner.PrepareParagraphTabs(p); }
    void SelectRunFont(TParagraph& p, const TCharFormat& format) override
    {
        ++Layouts[&p];
        FInner.SelectRunFont(p, format);
    }
    std::unique_ptr<TParLine> CreateLine(TParagraph& p) override { return FInner.CreateLine(p); }

private:
    TLineLayoutService FInner;
};

class PaginationTest : public LayoutTest {
protected:
    PaginationTest()
    {
        CreateDocumentLayout();
        SmallPage(Doc->Sections(0), 5);
    }
    ~PaginationTest() override { FreeDocumentLayout(); }

    // A page whose text area holds `lines` lines, margins of 720 twips,
    // header and footer 360 twips from the edges.
    void SmallPage(TSection& section, int32_t lines, int32_t width = kSmallPageWidth)
    {
        TPageParams& p = section.PageParams;
        p[ppPaperWidth] = width;
        p[ppPaperHeight] = 2 * kPageMargin + lines * kLineTwips;
        p[ppLeftMargin] = p[ppRightMargin] = p[ppTopMargin] = p[ppBottomMargin] = kPageMargin;
        p[ppHeaderDistance] = p[ppFooterDistance] = 360;
        Doc->RecalcPageExtents();
    }

    // A body paragraph with the text (the notation of LayoutFixtures.h)
    // and the format; the document's first paragraph first.
    TParagraph& Para(const std::string& notation, const TParFormat& format = DefaultParFormat())
    {
        TParagraph& paragraph = FParagraphs == 0 ? Doc->Paragraphs(0) : Doc->AppendParagraph(stBody);
        ++FParagraphs;
        const std::string text = EncodeText(notation);
        paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
        paragraph.Format = format;
        return paragraph;
    }
    // A paragraph of n lines (line breaks between them).
    TParagraph& Lines(int32_t n, const TParFormat& format = DefaultParFormat())
    {
        std::string text;
        for (int32_t i = 0; i < n; ++i)
            text += "Ligne " + std::to_string(i) + (i + 1 < n ? kLineBreak : kMark);
        return Para(text, format);
    }
    // n one-line paragraphs.
    void OneLiners(int32_t n, const TParFormat& format = DefaultParFormat())
    {
        for (int32_t i = 0; i < n; ++i)
            Lines(1, format);
    }
    // A new section before the last one (the body's sections in order); the
    // caller closes it with SectionBreak.
    TSection& NewSection(int32_t lines, uint8_t breakKind, int32_t width = kSmallPageWidth)
    {
        TSection& section = Doc->InsertSection(Doc->SectionCount() - 1);
        section.Settings[ssBreakKind] = breakKind;
        SmallPage(section, lines, width);
        return section;
    }
    static std::string SectionBreak(const TSection& section) { return Rec(icSectionBreak, section.Handle()); }
    // A header or footer of n lines in a section's slot.
    TField& HeaderFooter(TSection& section, int32_t slot, int32_t n)
    {
        std::string text;
        for (int32_t i = 0; i < n; ++i)
            text += "En-tête " + std::to_string(i) + (i + 1 < n ? kLineBreak : kMark);
        TParagraph& paragraph = Doc->AppendParagraph(stHeadersFooters);
        const std::string encoded = EncodeText(text);
        paragraph.SetText(encoded.data(), static_cast<int32_t>(encoded.size()));
        TField& field = Doc->AddRangeObject(rkHeaderFooter);
        field.Range = {{paragraph.Index, 0}, {paragraph.Index, paragraph.GetCharCount()}};
        section.HeadersFooters[slot] = &field;
        return field;
    }
    static TParFormat With(std::initializer_list<std::pair<int, int32_t>> slots)
    {
        TParFormat format = DefaultParFormat();
        for (const auto& [slot, value] : slots)
            format[slot] = value;
        return format;
    }

    // The pages as text (see the top of this file).
    std::string Summary() const
    {
        std::string out;
        for (const auto& page : Doc->Pages()) {
            if (!out.empty())
                out += " | ";
            if (page->Lines.empty()) {
                out += "(blanche)";
                continue;
            }
            std::string text;
            int32_t column = NotSet;
            for (const TParLine* line : page->Lines) {
                if (!line) {
                    text += " ?";
                    continue;
                }
                if (column != NotSet && line->Column != column)
                    text += " /";
                column = line->Column;
                const TLayoutLine* layoutLine = AsLayoutLine(const_cast<TParLine*>(line));
                if (!text.empty())
                    text += " ";
                text += std::to_string(layoutLine->Paragraph().Index) + "." + std::to_string(line->Index);
            }
            out += text;
        }
        return out;
    }

    // What must hold of any page list: every line of the body on exactly one
    // page, in order, each knowing its page and slot; each page's ranges
    // matching its lines and its used height; within a column no line's text
    // above the end of the text before it.
    void CheckPages() const
    {
        const auto& pages = Doc->Pages();
        int32_t paragraph = 0;
        int32_t line = 0;
        for (size_t p = 0; p < pages.size(); ++p) {
            const TPage& page = *pages[p];
            SCOPED_TRACE("page " + std::to_string(p));
            EXPECT_EQ(page.Index, static_cast<int32_t>(p));
            int32_t slot = 0;
            for (size_t r = 0; r < page.Ranges.size(); ++r) {
                const TParagraphOnPageInfo& range = page.Ranges[r];
                ASSERT_TRUE(page.IsRangeIntact(static_cast<int32_t>(r)));
                if (range.HeaderFooter)
                    continue;
                EXPECT_EQ(range.Paragraph->Index, paragraph);
                EXPECT_EQ(range.FirstLine, line);
                int32_t height = 0;
                for (int32_t i = range.FirstLine; i <= range.LastLine; ++i, ++slot) {
                    const TParLine& placed = range.Paragraph->GetLine(i);
                    EXPECT_EQ(page.Lines[static_cast<size_t>(slot)], &placed);
                    EXPECT_EQ(placed.Page, &page);
                    EXPECT_EQ(placed.PageIndex, slot);
                    height += placed.Height;
                }
                EXPECT_EQ(range.Height, height);
                if (range.LastLine == range.Paragraph->GetLineCount() - 1) {
                    ++paragraph;
                    line = 0;
                } else {
                    line = range.LastLine + 1;
                }
            }
            // No line's text in a column starts above the end of the text of
            // the one before it. The spaces around the text may overlap: the
            // space after a paragraph is taken into the next one's space
            // before, and a space before lost at the top of a column reaches
            // above it. Equal tops are no fault: a line may take no height, as
            // under an exact line spacing of less than a unit.
            for (size_t i = 1; i < page.Lines.size(); ++i) {
                TParLine& above = *page.Lines[i - 1];
                TParLine& below = *page.Lines[i];
                if (below.Column != above.Column)
                    continue;
                const TParagraph& paragraph = AsLayoutLine(&above)->Paragraph();
                const int32_t after = above.Index == paragraph.GetLineCount() - 1
                                          ? Doc->TwipsToLayout(SlotValue(paragraph.Format[pfSpaceAfter]))
                                          : 0;
                EXPECT_GE(below.Top + AsLayoutLine(&below)->GetSpaceBefore(), above.Top + above.Height - after)
                    << "slot " << i;
            }
        }
        if (Doc->PaginationComplete) {
            EXPECT_EQ(paragraph, Doc->StoryCount(stBody));
        }
    }

    int32_t FParagraphs = 0;
};
