#include "document/model/Page.h"

#include "document/model/Document.h"
#include "document/fields/Field.h"
#include "document/model/ParLine.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"

#include <algorithm>

TPage::TPage(TDocument* document, int32_t index) : Index(index), FDocument(document) {}

TPage::~TPage()
{
    for (TParLine* line : Lines) {
        if (line && line->Page == this) {
            line->Page = nullptr;
            line->PageIndex = -1;
        }
    }
}

void TPage::AddParagraphRange(TParagraph& paragraph, int32_t firstLine, int32_t lastLine)
{
    TParagraphOnPageInfo range;
    range.Paragraph = &paragraph;
    range.FirstLine = firstLine;
    range.LastLine = std::max(lastLine, firstLine - 1);
    Lines.reserve(Lines.size() + static_cast<size_t>(range.LineCount()));
    for (int32_t i = firstLine; i <= range.LastLine; ++i) {
        TParLine& line = paragraph.GetLine(i);
        range.Height += line.Height;
        // A line stands on one page only.
        if (line.Page && line.Page != this)
            line.Page->DetachLine(line.PageIndex, &line);
        line.Page = this;
        line.PageIndex = static_cast<int32_t>(Lines.size());
        Lines.push_back(&line);
    }
    Ranges.push_back(range);
}

int32_t TPage::FindParagraph(int32_t paragraphIndex) const
{
    // Ranges stand in paragraph order (header and footer ranges, which
    // belong to a later story, at the end), so the search goes back from the
    // end; a page holds few ranges.
    for (int32_t i = static_cast<int32_t>(Ranges.size()) - 1; i >= 0; --i)
        if (RangeParagraphIndex(i) == paragraphIndex)
            return i;
    return -1;
}

void TPage::RemoveParagraphRange(int32_t position)
{
    if (position < 0 || position >= static_cast<int32_t>(Ranges.size()))
        return;
    const TParagraphOnPageInfo& range = Ranges[static_cast<size_t>(position)];
    UsedHeight -= range.Height;
    const int32_t first = RangeFirstSlot(position);
    const int32_t count = std::min(range.LineCount(), static_cast<int32_t>(Lines.size()) - first);
    for (int32_t slot = first + count - 1; slot >= first; --slot) {
        TParLine* line = Lines[static_cast<size_t>(slot)];
        if (line && line->Page == this) {
            line->Page = nullptr;
            line->PageIndex = -1;
        }
    }
    Lines.erase(Lines.begin() + first, Lines.begin() + first + count);
    Ranges.erase(Ranges.begin() + position);
    for (int32_t slot = first; slot < static_cast<int32_t>(Lines.size()); ++slot)
        if (TParLine* line = Lines[static_cast<size_t>(slot)])
            line->PageIndex = slot;
}

TSection& TPage::GetSection() const
{
    for (size_t i = 0; i < Ranges.size(); ++i) {
        const int32_t paragraph = RangeParagraphIndex(static_cast<int32_t>(i));
        if (paragraph >= 0 && Ranges[i].LineCount() > 0)
            return FDocument->GetSectionOfParagraph(paragraph);
    }
    return FDocument->GetPageSectionOfPage(Index);
}

void TPage::RemoveHeaderFooter()
{
    for (int32_t i = static_cast<int32_t>(Ranges.size()) - 1; i >= 0; --i) {
        if (!Ranges[static_cast<size_t>(i)].HeaderFooter)
            continue;
        const int32_t height = Ranges[static_cast<size_t>(i)].Height;
        RemoveParagraphRange(i);
        UsedHeight += height;
    }
}

void TPage::LayoutHeaderFooter(TField* range)
{
    RemoveHeaderFooter();
    if (!range)
        return;
    const TSection& section = GetSection();
    const TPageParams& params = FDocument->GetPageSectionOf(section).PageParams;
    bool footer = range == Footer;
    if (!footer && range != Header) {
        for (int kind : {2, 3, 5})
            if (section.HeadersFooters[kind] == range)
                footer = true;
    }
    const int32_t first = std::max(range->Range.Start.Paragraph, FDocument->StoryFirst(stHeadersFooters));
    const int32_t last = std::min(range->Range.End.Paragraph, FDocument->StoryLast(stHeadersFooters));
    const int32_t pageHeight = params[ppPaperHeightLayout];

    // Its page-dependent fields show this page's number and section; the
    // range being edited on this page keeps what the user sees.
    const bool edited = FDocument->EditedHeaderFooter == range && FDocument->EditedHeaderFooterPage == Index;
    if (!edited && first <= last) {
        TTextRange fields;
        MakeTextPos(first, 0, fields.Start);
        MakeTextPos(last, FDocument->Paragraphs(last).GetCharCount(), fields.End);
        FDocument->StampFields(fields, PageDependentFieldTypes(), Index + 1, &GetSection());
    }

    // Lay out at the section's text width; heights summed, a line that would
    // pass 80 % of the page height taking none.
    int64_t total = 0;
    for (int32_t index = first; index <= last; ++index) {
        TParagraph& paragraph = FDocument->Paragraphs(index);
        paragraph.Invalidate(true, params[ppTextWidth]);
        for (int32_t i = 0; i < paragraph.GetLineCount(); ++i) {
            TParLine& line = paragraph.GetLine(i);
            line.Column = -1;
            total = AddHeaderFooterLine(line, total, pageHeight);
        }
    }
    int64_t y = footer ? static_cast<int64_t>(pageHeight) - FDocument->TwipsToLayout(params[ppFooterDistance]) - total
                       : FDocument->TwipsToLayout(params[ppHeaderDistance]);
    for (int32_t index = first; index <= last; ++index) {
        TParagraph& paragraph = FDocument->Paragraphs(index);
        for (int32_t i = 0; i < paragraph.GetLineCount(); ++i) {
            TParLine& line = paragraph.GetLine(i);
            line.Top = static_cast<int32_t>(y);
            y += line.Height;
        }
        AddParagraphRange(paragraph, 0, paragraph.GetLineCount() - 1);
        Ranges.back().HeaderFooter = 1;
    }
}

int32_t TPage::RangeFirstSlot(int32_t position) const
{
    int32_t slot = 0;
    for (int32_t i = 0; i < position && i < static_cast<int32_t>(Ranges.size()); ++i)
        slot += Ranges[static_cast<size_t>(i)].LineCount();
    return slot;
}

bool TPage::IsRangeIntact(int32_t position) const
{
    if (position < 0 || position >= static_cast<int32_t>(Ranges.size()))
        return false;
    const TParagraphOnPageInfo& range = Ranges[static_cast<size_t>(position)];
    if (!range.Paragraph)
        return false;
    const int32_t first = RangeFirstSlot(position);
    const int32_t count = range.LineCount();
    if (first + count > static_cast<int32_t>(Lines.size()))
        return false;
    for (int32_t slot = first; slot < first + count; ++slot)
        if (!Lines[static_cast<size_t>(slot)])
            return false;
    // Lines in their slots keep their paragraph alive; it must still be the
    // document's (an edit may have taken the paragraph object out for undo).
    // A range without lines (pagination makes none) is taken as it stands.
    const int32_t index = range.Paragraph->Index;
    return count == 0 || (index >= 0 && index < FDocument->ParagraphCount() &&
                          &FDocument->Paragraphs(index) == range.Paragraph);
}

int32_t TPage::RangeParagraphIndex(int32_t position) const
{
    return IsRangeIntact(position) ? Ranges[static_cast<size_t>(position)].Paragraph->Index : -1;
}

bool TPage::HasParagraphs() const
{
    return FirstParagraph() >= 0;
}

int32_t TPage::FirstParagraph() const
{
    for (size_t i = 0; i < Ranges.size(); ++i) {
        const int32_t paragraph = RangeParagraphIndex(static_cast<int32_t>(i));
        if (paragraph >= 0)
            return paragraph;
    }
    return -1;
}

bool TPage::HoldsParagraph(int32_t paragraph) const
{
    for (size_t i = 0; i < Ranges.size(); ++i)
        if (RangeParagraphIndex(static_cast<int32_t>(i)) == paragraph)
            return true;
    return false;
}

TParLine* TPage::LineAt(int32_t slot) const
{
    if (slot < 0 || slot >= static_cast<int32_t>(Lines.size()))
        return nullptr;
    return Lines[static_cast<size_t>(slot)];
}

TParLine* TPage::LastBodyLine() const
{
    for (int32_t i = static_cast<int32_t>(Ranges.size()) - 1; i >= 0; --i) {
        const TParagraphOnPageInfo& range = Ranges[static_cast<size_t>(i)];
        if (range.HeaderFooter || range.LineCount() == 0)
            continue;
        return LineAt(RangeFirstSlot(i) + range.LineCount() - 1);
    }
    return nullptr;
}

void TPage::RenumberLines()
{
    for (size_t slot = 0; slot < Lines.size(); ++slot) {
        if (TParLine* line = Lines[slot]) {
            line->Page = this;
            line->PageIndex = static_cast<int32_t>(slot);
        }
    }
}

void TPage::TakeOver(TPage& other, bool merge)
{
    size_t from = 0;
    if (merge && !Ranges.empty() && !other.Ranges.empty() && Ranges.back().Paragraph &&
        Ranges.back().Paragraph == other.Ranges.front().Paragraph &&
        Ranges.back().LastLine + 1 == other.Ranges.front().FirstLine) {
        Ranges.back().LastLine = other.Ranges.front().LastLine;
        Ranges.back().Height += other.Ranges.front().Height;
        from = 1;
    }
    Ranges.insert(Ranges.end(), other.Ranges.begin() + static_cast<std::ptrdiff_t>(from), other.Ranges.end());
    const size_t firstSlot = Lines.size();
    Lines.insert(Lines.end(), other.Lines.begin(), other.Lines.end());
    other.Ranges.clear();
    other.Lines.clear();
    other.UsedHeight = 0;
    for (size_t slot = firstSlot; slot < Lines.size(); ++slot) {
        if (TParLine* line = Lines[slot]) {
            line->Page = this;
            line->PageIndex = static_cast<int32_t>(slot);
        }
    }
}

void TPage::DetachLine(int32_t slot, const TParLine* line)
{
    if (slot >= 0 && slot < static_cast<int32_t>(Lines.size()) && Lines[static_cast<size_t>(slot)] == line)
        Lines[static_cast<size_t>(slot)] = nullptr;
}

void TPage::ReplaceLine(int32_t slot, TParLine* line)
{
    if (slot < 0 || slot >= static_cast<int32_t>(Lines.size()) || !line)
        return;
    Lines[static_cast<size_t>(slot)] = line;
    line->Page = this;
    line->PageIndex = slot;
}

int64_t AddHeaderFooterLine(TParLine& line, int64_t total, int32_t pageHeight)
{
    const int64_t limit = static_cast<int64_t>(pageHeight) * 80 / 100;
    if (total + line.Height > limit)
        line.Height = 0;
    return total + line.Height;
}
