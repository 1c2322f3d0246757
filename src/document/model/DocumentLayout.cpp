#include "document/model/DocumentLayout.h"

#include <utility>

namespace {

TDocumentLayout* g_DocumentLayout = nullptr;

}  // namespace

TDocumentLayout* SetDocumentLayout(TDocumentLayout* layout)
{
    return std::exchange(g_DocumentLayout, layout);
}

TDocumentLayout* GetDocumentLayout()
{
    return g_DocumentLayout;
}
