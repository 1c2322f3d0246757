// TDocument: sections and their page setup.
#include "document/model/Document.h"

#include "document/fields/Field.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <string>

TSection& TDocument::Sections(int32_t index) const
{
    if (index < 0 || index >= SectionCount())
        throw EListError("Indice de liste hors limites (" + std::to_string(index) + ")");
    return *FSections[static_cast<size_t>(index)];
}

int32_t TDocument::IndexOfSection(const TSection* section) const
{
    for (size_t i = 0; i < FSections.size(); ++i)
        if (FSections[i].get() == section)
            return static_cast<int32_t>(i);
    return -1;
}

TSection& TDocument::InsertSection(int32_t index)
{
    if (index < 0 || index > SectionCount())
        throw EListError("Indice de liste hors limites (" + std::to_string(index) + ")");
    auto section = std::make_unique<TSection>(this);
    section->SetDefaults();
    TSection& result = *section;
    FSections.insert(FSections.begin() + index, std::move(section));
    SectionsDirty = 1;
    ColumnsDirty = 1;
    UpdateSectionDeviceSizes();
    return result;
}

void TDocument::RebuildSectionRanges()
{
    if (!SectionsDirty)
        return;
    SectionsDirty = 0;
    ComputeSectionRanges();
    CalcMaxPageSize();
}

void TDocument::ComputeSectionRanges()
{
    // A section that no break closes covers nothing.
    for (const auto& section : FSections) {
        section->FirstParagraph = 0;
        section->LastParagraph = -1;
    }
    TSection* last = FSections.back().get();
    const int32_t bodyLast = StoryLast(stBody);
    int32_t first = 0;
    int32_t number = 0;
    if (FSections.size() > 1) {
        for (int32_t index = 0; index <= bodyLast; ++index) {
            const TParagraph& paragraph = *FParagraphs[static_cast<size_t>(index)];
            const int32_t count = paragraph.GetCharCount();
            if (count == 0 || paragraph.GetPlainChars().Data()[count - 1] != scSectionBreak)
                continue;
            // A break that names no section of this document, or the last
            // section (which always runs to the end of the body), closes nothing.
            TSection* section = FObjects.GetSection(paragraph.GetSectionBreak());
            if (!section || section == last)
                continue;
            section->FirstParagraph = first;
            section->LastParagraph = index;
            section->Number = number;
            first = index + 1;
            ++number;
        }
    }
    last->FirstParagraph = first;
    last->LastParagraph = bodyLast;
    last->Number = number;
}

void TDocument::RefitColumns()
{
    for (const auto& section : FSections)
        FitColumnWidths(section->Settings, GetPageSectionOf(*section).PageParams);
}

TSection& TDocument::GetSectionOfParagraph(int32_t index)
{
    RebuildSectionRanges();
    if (ColumnsDirty) {
        ColumnsDirty = 0;
        RefitColumns();
    }
    for (auto it = FSections.rbegin(); it != FSections.rend(); ++it)
        if ((*it)->FirstParagraph <= index && index <= (*it)->LastParagraph)
            return **it;
    if (EditedHeaderFooter && GetStoryOfParagraph(index) == stHeadersFooters &&
        EditedHeaderFooter->Range.Start.Paragraph <= index && index <= EditedHeaderFooter->Range.End.Paragraph &&
        EditedHeaderFooterPage >= 0 && EditedHeaderFooterPage < static_cast<int32_t>(FPages.size()))
        return GetPageSectionOfPage(EditedHeaderFooterPage);
    return *FSections.back();
}

int32_t TDocument::PageSectionIndex(int32_t index) const
{
    while (index > 0 && FSections[static_cast<size_t>(index - 1)]->BreakKind() == sbContinuous)
        --index;
    return index;
}

const TSection& TDocument::GetPageSectionOf(const TSection& section) const
{
    const int32_t index = IndexOfSection(&section);
    // A section outside the list (kept by undo) governs its own pages.
    return index < 0 ? section : *FSections[static_cast<size_t>(PageSectionIndex(index))];
}

TSection& TDocument::GetPageSection(int32_t index)
{
    const int32_t section = IndexOfSection(&GetSectionOfParagraph(index));
    return *FSections[static_cast<size_t>(PageSectionIndex(section))];
}

TSection& TDocument::GetPageSectionOfPage(int32_t page)
{
    if (FPages.empty())
        return *FSections.front();
    // The nearest page at or before it that shows body text.
    for (int32_t i = std::clamp(page, 0, static_cast<int32_t>(FPages.size()) - 1); i >= 0; --i) {
        const TPage& candidate = *FPages[static_cast<size_t>(i)];
        for (int32_t r = 0; r < static_cast<int32_t>(candidate.Ranges.size()); ++r) {
            const int32_t paragraph = candidate.RangeParagraphIndex(r);
            if (paragraph >= 0 && GetStoryOfParagraph(paragraph) == stBody)
                return GetPageSection(paragraph);
        }
    }
    return *FSections.front();
}

void TDocument::GetCaretPageParams(TPageParams& params)
{
    params = GetPageSection(Caret.Paragraph).PageParams;
}

void TDocument::GetSectionsOfRange(const TTextRange& range, std::vector<TSection*>& list)
{
    list.clear();
    int32_t first = IndexOfSection(&GetSectionOfParagraph(range.Start.Paragraph));
    int32_t last = IndexOfSection(&GetSectionOfParagraph(range.End.Paragraph));
    if (first > last)
        std::swap(first, last);
    for (int32_t i = std::max(first, 0); i <= last; ++i)
        list.push_back(FSections[static_cast<size_t>(i)].get());
}

void TDocument::GetSelectionSectionSettings(TSectionSettings& settings)
{
    if (!HasSelection()) {
        settings = GetSectionOfParagraph(Caret.Paragraph).Settings;
        return;
    }
    std::vector<TSection*> sections;
    GetSectionsOfRange({FSelection.Start, FSelection.End}, sections);
    const TSectionSettings& first = GetSectionOfParagraph(FSelection.Start.Paragraph).Settings;
    settings = first;
    auto columnsDiffer = [&first](const TSectionSettings& other) {
        if (other[ssColumnCount] != first[ssColumnCount] || other[ssColumnSpacing] != first[ssColumnSpacing])
            return true;
        for (int i = ssFirstColumn; i < ssLastValue; ++i)
            if (other[i] != first[i])
                return true;
        return false;
    };
    for (const TSection* section : sections) {
        const TSectionSettings& other = section->Settings;
        if (columnsDiffer(other)) {
            settings[ssColumnCount] = NotSet;
            settings[ssColumnSpacing] = NotSet;
            for (int i = ssFirstColumn; i < ssLastValue; ++i)
                settings[i] = NotSet;
        }
        if (other[ssEqualColumns] != first[ssEqualColumns])
            settings[ssEqualColumns] = NotSet;
        if (other[ssLastValue] != first[ssLastValue])
            settings[ssLastValue] = NotSet;
    }
}

bool TDocument::HasMultiColumnSections() const
{
    return std::any_of(FSections.begin(), FSections.end(),
                       [](const std::unique_ptr<TSection>& s) { return s->Settings[ssColumnCount] != 1; });
}

bool TDocument::HasDifferentPageSizes() const
{
    const TPageParams& last = FSections.back()->PageParams;
    return std::any_of(FSections.begin(), FSections.end(), [&last](const std::unique_ptr<TSection>& s) {
        return s->PageParams[ppPaperWidth] != last[ppPaperWidth] || s->PageParams[ppPaperHeight] != last[ppPaperHeight];
    });
}

// ---------------------------------------------------------------------------
// Ranges of the document's parts

void TDocument::GetAllRange(TTextRange& range) const
{
    const int32_t last = ParagraphCount() - 1;
    MakeTextPos(0, 0, range.Start);
    MakeTextPos(last, Paragraphs(last).GetCharCount(), range.End);
}

void TDocument::GetBodyRange(TTextRange& range) const
{
    const int32_t last = StoryLast(stBody);
    MakeTextPos(0, 0, range.Start);
    MakeTextPos(last, Paragraphs(last).GetCharCount(), range.End);
}

void TDocument::GetHeaderFooterRange(TTextRange& range) const
{
    if (EditedHeaderFooter)
        range = EditedHeaderFooter->Range;
    else
        GetBodyRange(range);
}

void TDocument::GetEditRange(TTextRange& range) const
{
    GetHeaderFooterRange(range);
}

void TDocument::GetSelectedParagraphs(int32_t& first, int32_t& last) const
{
    if (HasSelection()) {
        first = FSelection.Start.Paragraph;
        last = FSelection.End.Paragraph;
    } else {
        first = Caret.Paragraph;
        last = Caret.Paragraph;
    }
}
