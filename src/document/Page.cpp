#include "document/Page.h"

bool TPage::HoldsParagraph(int32_t paragraph) const
{
    for (const TPagePlacement& placement : Placements)
        if (placement.Paragraph == paragraph)
            return true;
    return false;
}
