#include "document/model/ParReformatingManager.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"

#include <algorithm>

TParLineOnPageInfo::TParLineOnPageInfo(const TParLine& line)
    : Page(line.Page), PageIndex(line.PageIndex), Top(line.Top), Overlap(line.Overlap), Column(line.Column),
      Height(line.Height)
{
}

void TParLineOnPageInfo::Apply(TParLine& line) const
{
    line.Page = Page;
    line.PageIndex = PageIndex;
    line.Top = Top;
    line.Column = Column;
}

TParReformatingManager::TParReformatingManager(TDocument* document) : FDocument(document) {}

void TParReformatingManager::AddParagraph(int32_t index)
{
    if (std::find(FQueue.begin(), FQueue.end(), index) == FQueue.end())
        FQueue.push_back(index);
}

void TParReformatingManager::RemoveParagraph(int32_t index)
{
    FQueue.erase(std::remove(FQueue.begin(), FQueue.end(), index), FQueue.end());
}

void TParReformatingManager::ParagraphsReplaced(int32_t index, int32_t oldCount, int32_t newCount) noexcept
{
    if (oldCount == newCount)
        return;
    const int32_t kept = std::min(oldCount, newCount);
    const int32_t delta = newCount - oldCount;
    auto gone = [&](int32_t queued) { return queued >= index + kept && queued < index + oldCount; };
    FQueue.erase(std::remove_if(FQueue.begin(), FQueue.end(), gone), FQueue.end());
    for (int32_t& queued : FQueue)
        if (queued >= index + oldCount)
            queued += delta;
}

namespace {

// The paragraph must be left to pagination: it is laid out there, with the
// pages around it.
bool LeaveToPagination(TDocument& document, const TParagraph& paragraph, int32_t firstChangedLine)
{
    if (!paragraph.IsPaginated())
        return true;
    const int32_t count = paragraph.GetCharCount();
    const uint8_t* chars = paragraph.GetPlainChars().Data();
    const int32_t fromLine = std::clamp(firstChangedLine - 1, 0, paragraph.GetLineCount() - 1);
    const int32_t from = std::clamp(paragraph.GetLine(fromLine).FirstChar, 0, count);
    if (HasBreakChars(chars + from, count - from))
        return true;
    const int32_t limit = paragraph.GetLine(0).RightLimit;
    for (int32_t i = 1; i < paragraph.GetLineCount(); ++i)
        if (paragraph.GetLine(i).RightLimit != limit)
            return true;
    if (std::find(chars, chars + count, scReaderSpecial) != chars + count)
        return true;
    return document.GetStoryOfParagraph(paragraph.Index) == stHeadersFooters;
}

}  // namespace

void TParReformatingManager::ReformatParagraph(int32_t index, int32_t firstChangedLine, TUpdateRange& update)
{
    TDocument& document = *FDocument;
    TOperationManager& manager = document.UndoManager();
    update.Reset();
    TParagraph& paragraph = document.Paragraphs(index);
    manager.GetRelayoutStart(update, index);
    // A paragraph whose last line stands on no page while earlier ones do
    // (the page list ends inside it) is paginated again from its last placed
    // line's page: the lines about to be dropped must not stay on pages.
    if (update.FirstParagraph == NotSet && !update.IsFull() &&
        document.GetStoryOfParagraph(index) != stHeadersFooters) {
        for (int32_t i = paragraph.GetLineCount() - 1; i >= 0; --i) {
            if (const TPage* page = paragraph.GetLine(i).Page) {
                update.FirstParagraph = index;
                update.FirstPage = page->Index;
                break;
            }
        }
    }

    if (LeaveToPagination(document, paragraph, firstChangedLine)) {
        paragraph.SetNormalizedFlag(false);
        paragraph.Invalidate(false, 0);
        document.LinesRebuilt = 1;
        return;
    }

    // Where every line stands, and the width to lay the paragraph out at:
    // its column's, or the text width of its page setup.
    const int32_t oldCount = paragraph.GetLineCount();
    std::vector<TParLineOnPageInfo> places;
    places.reserve(static_cast<size_t>(oldCount));
    for (int32_t i = 0; i < oldCount; ++i)
        places.emplace_back(paragraph.GetLine(i));
    int32_t width;
    if (places.front().Column >= 0)
        width = document.GetSectionOfParagraph(index).GetColumnGeometry(places.front().Column).Width;
    else
        width = document.GetPageSection(index).PageParams[ppTextWidth];
    paragraph.SetNormalizedFlag(false);
    paragraph.Invalidate(true, width);

    // The same lines, of the same heights: they keep their places, and only
    // the changed ones are repainted; nothing is paginated again.
    bool same = paragraph.GetLineCount() == oldCount;
    for (int32_t i = 0; same && i < oldCount; ++i) {
        const TParLine& line = paragraph.GetLine(i);
        const TParLineOnPageInfo& place = places[static_cast<size_t>(i)];
        same = line.Height == place.Height && line.Overlap == place.Overlap;
    }
    if (same) {
        for (int32_t i = 0; i < oldCount; ++i) {
            const TParLineOnPageInfo& place = places[static_cast<size_t>(i)];
            if (!place.Page)
                break;
            TParLine& line = paragraph.GetLine(i);
            place.Apply(line);
            place.Page->ReplaceLine(place.PageIndex, &line);
        }
        for (int32_t i = std::max(firstChangedLine - 1, 0); i < oldCount; ++i)
            if (paragraph.GetLine(i).Page)
                manager.AddChangedLine(index, i);
        update.FirstParagraph = NotSet;
    }
    document.LinesRebuilt = 1;
}

bool TParReformatingManager::ReformatQueued(TUpdateRange& merged)
{
    TDocument& document = *FDocument;
    if (FQueue.empty() || document.IsViewBusy())
        return false;
    TOperationManager& manager = document.UndoManager();
    while (!FQueue.empty()) {
        const int32_t index = FQueue.back();
        if (index >= 0 && index < document.ParagraphCount()) {
            TUpdateRange update;
            ReformatParagraph(index, 0, update);
            manager.MergeUpdateRange(merged, update);
        }
        // Taken out only once laid out again: a failure leaves it queued.
        FQueue.pop_back();
    }
    return true;
}

bool TParReformatingManager::ReformatPending()
{
    if (FQueue.empty())
        return false;
    TDocument& document = *FDocument;
    if (document.IsViewBusy())
        return true;
    document.LockDispatcher();
    try {
        TUpdateRange merged;
        ReformatQueued(merged);
        // The caret stays where it is; its metrics are read again.
        merged.CaretParagraph = document.Caret.Paragraph;
        merged.CaretOffset = document.Caret.Offset;
        merged.CaretColumn = document.Caret.Column;
        document.CaretMetricsChanged = 1;
        document.UndoManager().UpdateViews(merged);
    } catch (...) {
        document.UnlockDispatcher();
        throw;
    }
    document.UnlockDispatcher();
    return true;
}
