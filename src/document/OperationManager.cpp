#include "document/OperationManager.h"

#include "document/Document.h"
#include "document/DocumentLayout.h"
#include "document/DocumentView.h"
#include "document/Page.h"
#include "document/Paragraph.h"

#include <algorithm>

TOperationManager::TOperationManager(TDocument* document) : FDocument(document) {}

void TOperationManager::AddChangedLine(int32_t paragraph, int32_t line)
{
    for (const TChangedLine& changed : FChangedLines)
        if (changed.Paragraph == paragraph && changed.Line == line)
            return;
    FChangedLines.push_back({paragraph, line});
}

void TOperationManager::RemoveChangedLinesFrom(int32_t paragraph)
{
    FChangedLines.erase(std::remove_if(FChangedLines.begin(), FChangedLines.end(),
                                       [paragraph](const TChangedLine& changed) {
                                           return changed.Paragraph >= paragraph;
                                       }),
                        FChangedLines.end());
}

void TOperationManager::MergeUpdateRange(TUpdateRange& accumulated, const TUpdateRange& step)
{
    accumulated.FullUpdate = (accumulated.FullUpdate | step.FullUpdate) & 0xFF;
    if (accumulated.IsFull()) {
        accumulated.FirstParagraph = NotSet;
    } else if (step.FirstParagraph != NotSet &&
               (accumulated.FirstParagraph == NotSet || accumulated.FirstParagraph > step.FirstParagraph)) {
        accumulated.FirstParagraph = step.FirstParagraph;
        accumulated.FirstPage = step.FirstPage;
    }
    accumulated.SelStartParagraph = step.SelStartParagraph;
    accumulated.SelStartOffset = step.SelStartOffset;
    accumulated.SelEndParagraph = step.SelEndParagraph;
    accumulated.SelEndOffset = step.SelEndOffset;
    accumulated.CaretParagraph = step.CaretParagraph;
    accumulated.CaretOffset = step.CaretOffset;
}

void TOperationManager::GetRelayoutStart(TUpdateRange& update, int32_t paragraph)
{
    TDocument& document = *FDocument;
    update.FirstParagraph = NotSet;
    update.FirstPage = NotSet;
    if (paragraph < 0 || paragraph >= document.ParagraphCount())
        return;
    const int32_t story = document.GetStoryOfParagraph(paragraph);
    const int32_t storyFirst = document.StoryFirst(story);
    auto keepsWithNext = [&document](int32_t index) {
        const int32_t value = document.Paragraphs(index).Format[pfKeepWithNext];
        return value != 0 && value != NotSet;
    };
    while (paragraph > storyFirst && keepsWithNext(paragraph - 1))
        --paragraph;
    if (story == stHeadersFooters) {
        update.FirstParagraph = paragraph;
        return;
    }
    const TParagraph& target = document.Paragraphs(paragraph);
    if (target.GetLaidOutFlag() && target.GetLineCount() > 0) {
        const TParLine& last = target.GetLine(target.GetLineCount() - 1);
        if (last.Page) {
            update.FirstParagraph = paragraph;
            update.FirstPage = last.Page->Index;
        }
    }
}

void TOperationManager::UpdateViews(TUpdateRange& update)
{
    TDocument& document = *FDocument;
    TDocumentLayout* layout = GetDocumentLayout();
    const int32_t lastVisible = layout ? layout->GetLastVisiblePage(document) : -1;
    if (update.FirstParagraph != NotSet) {
        int32_t page = 0;
        if (update.FirstPage == NotSet)
            update.FullUpdate = 1;
        else if (update.FirstPage > 0)
            page = update.FirstPage - 1;
        if (layout)
            layout->Paginate(document, page, std::max(page, lastVisible));
        RemoveChangedLinesFrom(update.FirstParagraph);
    } else if (update.IsFull() && layout) {
        layout->Paginate(document, 0, std::max(0, lastVisible));
    }
    const int32_t last = document.ParagraphCount() - 1;
    const int32_t caret = std::clamp(update.CaretParagraph, 0, last);
    const int32_t offset = std::clamp(update.CaretOffset, 0, document.Paragraphs(caret).GetCharCount());
    document.Caret.Paragraph = caret;
    document.Caret.Offset = offset;
    if (TDocumentView* view = document.View(); view && !document.SuppressRepaint &&
                                               (update.IsFull() || update.FirstParagraph != NotSet ||
                                                !FChangedLines.empty()))
        view->Repaint();
    FChangedLines.clear();
}
