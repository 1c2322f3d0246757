#include "layout/LineHyphenation.h"

#include "document/Paragraph.h"
#include "layout/LayoutLine.h"

bool FindHyphenationPoints(TParagraph& /*paragraph*/, const TLayoutLine& /*line*/, int32_t /*atChar*/,
                           int32_t /*lastBreak*/, THyphenationCandidate& /*candidate*/,
                           std::vector<int32_t>& points)
{
    points.clear();
    return false;
}
