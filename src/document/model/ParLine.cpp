#include "document/model/ParLine.h"

#include "document/model/Page.h"

#include <utility>

namespace {

TParagraphLayout* g_ParagraphLayout = nullptr;

}  // namespace

TParLine::~TParLine()
{
    if (Page)
        Page->DetachLine(PageIndex, this);
}

TParagraphLayout* SetParagraphLayout(TParagraphLayout* layout)
{
    return std::exchange(g_ParagraphLayout, layout);
}

TParagraphLayout* GetParagraphLayout()
{
    return g_ParagraphLayout;
}
