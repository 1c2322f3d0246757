#include "document/ParLine.h"

#include <utility>

namespace {

TParagraphLayout* g_ParagraphLayout = nullptr;

}  // namespace

TParagraphLayout* SetParagraphLayout(TParagraphLayout* layout)
{
    return std::exchange(g_ParagraphLayout, layout);
}

TParagraphLayout* GetParagraphLayout()
{
    return g_ParagraphLayout;
}
