#include "document/model/DocumentFiler.h"

#include "platform/runtime/Exception.h"

#include <utility>

namespace {

TDocumentFiler* g_Filer = nullptr;

}  // namespace

TDocumentFiler* GetDocumentFiler()
{
    return g_Filer;
}

TDocumentFiler& DocumentFiler()
{
    if (!g_Filer)
        throw EInternalError("Aucun service de lecture et d'écriture des documents n'est installé");
    return *g_Filer;
}

TDocumentFiler* SetDocumentFiler(TDocumentFiler* filer)
{
    return std::exchange(g_Filer, filer);
}
