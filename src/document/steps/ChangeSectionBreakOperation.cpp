#include "document/steps/ChangeSectionBreakOperation.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/Section.h"

TChangeSectionBreakOperation::TChangeSectionBreakOperation(TDocument* document, int32_t paragraph,
                                                           uint8_t breakKind)
    : TSubOperation(document), FParagraph(paragraph), FBreakKind(breakKind)
{
}

void TChangeSectionBreakOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    TDocument& document = *FDocument;
    TSection& section = document.GetSectionOfParagraph(FParagraph);
    FRefit.Before(document);
    int32_t& value = section.Settings[ssBreakKind];
    const uint8_t old = static_cast<uint8_t>(value & 0xFF);
    value = static_cast<int32_t>((static_cast<uint32_t>(value) & ~0xFFu) | FBreakKind);
    FBreakKind = old;
    // The page groups follow the break kinds.
    document.SectionsDirty = 1;
    FRefit.After(document);
    FRefit.Restore(document, FForward);
    FForward = !FForward;
    document.UndoManager().GetRelayoutStart(update, FParagraph);
}
