#include "document/model/DocumentView.h"

#include <utility>

namespace {

TDocumentViewFactory g_ViewFactory = nullptr;

}  // namespace

TDocumentViewFactory SetDocumentViewFactory(TDocumentViewFactory factory)
{
    return std::exchange(g_ViewFactory, factory);
}

TDocumentViewFactory GetDocumentViewFactory()
{
    return g_ViewFactory;
}
