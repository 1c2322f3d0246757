#include "document/steps/ChangeSectionHeadersOperation.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/Section.h"

#include <algorithm>
#include <utility>

TChangeSectionHeadersOperation::TChangeSectionHeadersOperation(TDocument* document, TSection* section,
                                                               TField* const (&references)[6])
    : TSubOperation(document), FSection(section)
{
    std::copy(std::begin(references), std::end(references), std::begin(FReferences));
}

void TChangeSectionHeadersOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    for (int i = 0; i < 6; ++i)
        std::swap(FSection->HeadersFooters[i], FReferences[i]);
    FDocument->RebuildSectionRanges();
    if (FDocument->IndexOfSection(FSection) >= 0 && FSection->FirstParagraph <= FSection->LastParagraph)
        FDocument->UndoManager().GetRelayoutStart(update, FSection->FirstParagraph);
}
