// Operations on settings of the whole document or of its sections: the
// default language (29), the hyphenation settings (51), the page numbering
// (49), and the style list (11).
#include "document/model/Document.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "document/steps/ChangeDefLangOperation.h"
#include "document/steps/ChangeHyphenationOptionsOperation.h"
#include "document/steps/FormatPageNumberOperation.h"
#include "document/steps/FormatStyleListOperation.h"
#include "foundation/managers/Style.h"

#include <algorithm>
#include <memory>

namespace {

// The selection's ends and the caret, as the settings operations report them.
void SetSelectionAndCaretHints(const TDocument& document, TUpdateRange& update)
{
    const TTextSelection& selection = document.Selection();
    update.SetViewHints(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                        selection.End.Offset);
    update.SetCaret(document.Caret.Paragraph, document.Caret.Offset, document.Caret.Line);
}

// The change flag under which applying a style leaves the style box alone.
constexpr int32_t chfStyleBox = 96;

}  // namespace

void TDocument::ChangeDefaultLanguage(int32_t language, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (language == DocumentLanguage || !op)
        return;
    ApplyStep(*this, std::make_unique<TChangeDefLangOperation>(this, language), update, op);
    SetSelectionAndCaretHints(*this, update);
}

void TDocument::ChangeHyphenationOptions(const THyphenationOptions& options, TUpdateRange& update, TOperation* op)
{
    update.Reset();
    ApplyStep(*this, std::make_unique<TChangeHyphenationOptionsOperation>(this, options), update, op);
    SetSelectionAndCaretHints(*this, update);
}

TTextRange TDocument::PageNumberingScope()
{
    int32_t first;
    int32_t last;
    if (EditedHeaderFooter && EditedHeaderFooterPage >= 0 && EditedHeaderFooterPage < PageCount()) {
        const TSection& section = GetPageSectionOfPage(EditedHeaderFooterPage);
        first = section.FirstParagraph;
        last = section.LastParagraph;
    } else if (HasSelection()) {
        first = GetSectionOfParagraph(Selection().Start.Paragraph).FirstParagraph;
        last = GetSectionOfParagraph(Selection().End.Paragraph).LastParagraph;
    } else {
        const TSection& section = GetSectionOfParagraph(Caret.Paragraph);
        first = section.FirstParagraph;
        last = section.LastParagraph;
    }
    // A section that no paragraph closes covers the body's end.
    const int32_t bodyLast = StoryLast(stBody);
    first = std::clamp(first, 0, bodyLast);
    last = std::clamp(last < first ? bodyLast : last, first, bodyLast);
    TTextRange range;
    MakeTextPos(first, 0, range.Start);
    MakeTextPos(last, Paragraphs(last).GetCharCount(), range.End);
    return range;
}

void TDocument::FormatPageNumbers(const int32_t (&settings)[2], TUpdateRange& update, TOperation* op)
{
    update.Reset();
    ApplyStep(*this, std::make_unique<TFormatPageNumberOperation>(this, PageNumberingScope(), settings), update, op);
    const TTextSelection& selection = Selection();
    update.SetViewHints(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                        selection.End.Offset);
    update.SetCaret(Caret.Paragraph, Caret.Offset, NotSet);
}

void TDocument::ChangeStyleList(const TTextRange& range, std::unique_ptr<TFormatStyleListInfo> info,
                                TUpdateRange& update, TOperation* op)
{
    update.Reset();
    if (!info)
        return;
    const int32_t styleIndex = info->StyleIndex;
    if (info->Styles)
        ApplyStep(*this, std::make_unique<TFormatStyleListOperation>(this, std::move(info)), update, op);
    if (styleIndex != -1) {
        BeginSuppressChange(chfStyleBox);
        try {
            TTextRange target = range;
            int32_t style = styleIndex;
            uint8_t reset = 1;
            void* params[] = {&target, &style, &reset};
            TUpdateRange local;
            RunOperationRoutine(docApplyStyle, *this, params, op, local);
            FUndoManager->MergeUpdateRange(update, local);
        } catch (...) {
            EndChanges(1);
            throw;
        }
        EndChanges(1);
    }
    SetSelectionAndCaretHints(*this, update);
}
