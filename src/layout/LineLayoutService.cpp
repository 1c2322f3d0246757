#include "layout/LineLayoutService.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/managers/TabManager.h"
#include "layout/LayoutLine.h"
#include "layout/RunFont.h"

namespace {

std::unique_ptr<TLineLayoutService> g_Service;
TParagraphLayout* g_Previous = nullptr;

}  // namespace

int32_t TLineLayoutService::WidthToLayout(TParagraph& paragraph, int32_t twips)
{
    return NormalLayoutUnits(DocumentOfParagraph(paragraph)).TwipsToEighths(twips);
}

int32_t TLineLayoutService::ScaleToViewX(TParagraph& paragraph, int32_t value)
{
    return NormalLayoutUnits(DocumentOfParagraph(paragraph)).ToViewX(value);
}

int32_t TLineLayoutService::ScaleFromViewX(TParagraph& paragraph, int32_t value)
{
    return NormalLayoutUnits(DocumentOfParagraph(paragraph)).FromViewX(value);
}

void TLineLayoutService::PrepareParagraphTabs(TParagraph& paragraph)
{
    DocumentOfParagraph(paragraph).TabManager().PrepareParagraphTabs(paragraph.Format);
}

void TLineLayoutService::SelectRunFont(TParagraph& paragraph, const TCharFormat& format)
{
    TDocument& document = DocumentOfParagraph(paragraph);
    LayoutWorkingState().Format = format;
    ::SelectRunFont(document, format, rfLineBuilding);
}

std::unique_ptr<TParLine> TLineLayoutService::CreateLine(TParagraph& paragraph)
{
    return std::make_unique<TLayoutLine>(paragraph);
}

void CreateLineLayout()
{
    if (g_Service)
        return;
    g_Service = std::make_unique<TLineLayoutService>();
    g_Previous = SetParagraphLayout(g_Service.get());
}

void FreeLineLayout()
{
    if (!g_Service)
        return;
    SetParagraphLayout(g_Previous);
    g_Previous = nullptr;
    g_Service.reset();
    FreeLayoutWorkingState();
}
