#include "document/steps/ChangeHyphenationOptionsOperation.h"

#include "document/model/Document.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"

#include <utility>

TChangeHyphenationOptionsOperation::TChangeHyphenationOptionsOperation(TDocument* document,
                                                                       const THyphenationOptions& options)
    : TSubOperation(document), FOptions(options)
{
}

void TChangeHyphenationOptionsOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    TDocument& document = *FDocument;
    const int32_t flags = (document.AutoHyphenation ? hofAutomatic : 0) | (document.HyphenateCapitals ? hofCapitals : 0);
    document.AutoHyphenation = (FOptions.Flags & 0xFF) != 0 ? 1 : 0;
    document.HyphenateCapitals = (FOptions.Flags & 0xFF00) != 0 ? 1 : 0;
    FOptions.Flags = flags;
    std::swap(document.HyphenationZone, FOptions.Zone);
    std::swap(document.HyphenationLimit, FOptions.ConsecutiveLimit);
    for (int32_t index = 0; index < document.ParagraphCount(); ++index)
        document.ReformatingManager().AddParagraph(index);
    document.RelayoutPending = 1;
    update.FullUpdate = 1;
}
