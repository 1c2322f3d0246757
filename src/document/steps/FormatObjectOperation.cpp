#include "document/steps/FormatObjectOperation.h"

#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "platform/runtime/Exception.h"

#include <utility>

TFormatObjectOperation::TFormatObjectOperation(TDocument* document, TDocObject* object, int32_t paragraph)
    : TSubOperation(document), FObject(object), FParagraph(paragraph)
{
    if (!object)
        throw EInternalError("Mise en forme d'image sans image");
    Values = {object->Width, object->Height, object->ScaleX, object->ScaleY, object->PlainPicture};
}

void TFormatObjectOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    std::swap(FObject->Width, Values.Width);
    std::swap(FObject->Height, Values.Height);
    std::swap(FObject->ScaleX, Values.ScaleX);
    std::swap(FObject->ScaleY, Values.ScaleY);
    const int32_t plain = FObject->PlainPicture;
    FObject->PlainPicture = static_cast<uint8_t>(Values.PlainPicture);
    Values.PlainPicture = plain;
    TDocument& document = *FDocument;
    if (FParagraph >= 0 && FParagraph < document.ParagraphCount()) {
        document.UndoManager().GetRelayoutStart(update, FParagraph);
        document.Paragraphs(FParagraph).Invalidate(false, 0);
        document.ReformatingManager().AddParagraph(FParagraph);
        document.RelayoutPending = 1;
    }
}
