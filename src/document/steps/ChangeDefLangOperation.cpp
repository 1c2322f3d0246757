#include "document/steps/ChangeDefLangOperation.h"

#include "document/model/Document.h"

#include <utility>

TChangeDefLangOperation::TChangeDefLangOperation(TDocument* document, int32_t language)
    : TSubOperation(document), FLanguage(language)
{
}

void TChangeDefLangOperation::Undo(TUpdateRange& update)
{
    CheckSubOperationFault(*this);
    update.Reset();
    std::swap(FDocument->DocumentLanguage, FLanguage);
    FDocument->RestartSpellCheck();
}
