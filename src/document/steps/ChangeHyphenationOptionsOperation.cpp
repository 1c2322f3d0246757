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
    const int32_t automatic = document.AutoHyphenation;
    document.AutoHyphenation = static_cast<uint8_t>(FOptions.Automatic != 0 ? 1 : 0);
    FOptions.Automatic = automatic;
    std::swap(document.HyphenationZone, FOptions.Zone);
    std::swap(document.HyphenationLimit, FOptions.ConsecutiveLimit);
    for (int32_t index = 0; index < document.ParagraphCount(); ++index)
        document.ReformatingManager().AddParagraph(index);
    document.RelayoutPending = 1;
    update.FullUpdate = 1;
}
