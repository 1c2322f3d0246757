#include "document/steps/FormatPageNumberOperation.h"

#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/Section.h"

#include <algorithm>
#include <utility>

TFormatPageNumberOperation::TFormatPageNumberOperation(TDocument* document, const TTextRange& range,
                                                       const int32_t (&value)[2])
    : TSubOperation(document), FRange(range)
{
    std::vector<TSection*> sections;
    document->GetSectionsOfRange(range, sections);
    FValues.assign(sections.size(), {value[0], value[1]});
}

int64_t TFormatPageNumberOperation::MemorySize() const
{
    return static_cast<int64_t>(sizeof(TFormatPageNumberOperation) + FValues.capacity() * sizeof(FValues[0]));
}

void TFormatPageNumberOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    std::vector<TSection*> sections;
    FDocument->GetSectionsOfRange(FRange, sections);
    const size_t count = std::min(sections.size(), FValues.size());
    for (size_t i = 0; i < count; ++i) {
        std::swap(sections[i]->Trailing[0], FValues[i][0]);
        std::swap(sections[i]->Trailing[1], FValues[i][1]);
    }
    if (!sections.empty() && sections.front()->FirstParagraph <= sections.front()->LastParagraph)
        FDocument->UndoManager().GetRelayoutStart(update, sections.front()->FirstParagraph);
}
