#include "document/model/ParLine.h"

#include "document/model/Page.h"
#include "platform/runtime/Exception.h"

#include <utility>

namespace {

TParagraphLayout* g_ParagraphLayout = nullptr;

}  // namespace

TParLine::~TParLine()
{
    if (Page)
        Page->DetachLine(PageIndex, this);
}

void TParLine::GetBlockRange(int32_t /*leftX*/, int32_t /*rightX*/, int32_t& first, int32_t& last)
{
    first = 0;
    last = 0;
    throw EInternalError("Cette ligne ne sait pas mesurer une sélection rectangulaire");
}

TParagraphLayout* SetParagraphLayout(TParagraphLayout* layout)
{
    return std::exchange(g_ParagraphLayout, layout);
}

TParagraphLayout* GetParagraphLayout()
{
    return g_ParagraphLayout;
}
