#include "docwindow/HitTest.h"

#include "document/fields/Field.h"
#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"
#include "layout/LayoutLine.h"
#include "layout/LinePainter.h"
#include "layout/PageGrid.h"
#include "layout/PagePainter.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint8_t FieldTypeHyperlink = 88;
constexpr uint8_t FieldTypeToc = 13;
constexpr uint8_t RangeKindField = 0;
constexpr int32_t HandleSize = 12;

// The page whose rectangle holds the point; pages are built further while the
// point lies below the last one and the text goes on. -1 when none.
int32_t FindPageAt(TDocument& document, TPoint point)
{
    int32_t index = 0;
    for (;;) {
        const int32_t count = document.PageCount();
        for (; index < count; ++index)
            if (PtInRect(document.Pages()[static_cast<size_t>(index)]->Rect, point))
                return index;
        if (count == 0 || document.PaginationComplete)
            return -1;
        if (point.Y < document.Pages()[static_cast<size_t>(count - 1)]->Rect.Bottom)
            return -1;
        TDocumentHost& host = DocumentHost();
        host.PushStatus();
        try {
            document.Paginate(count, count + std::max(count / 4, 1), count);
        } catch (...) {
            host.PopStatus();
            throw;
        }
        host.PopStatus();
        UpdatePageLayout(document);
        if (document.PageCount() <= count)
            return -1;
    }
}

bool IsHeaderFooterSlot(const TPage& page, int32_t slot)
{
    int32_t first = 0;
    for (const TParagraphOnPageInfo& range : page.Ranges) {
        const int32_t count = range.LineCount();
        if (slot >= first && slot < first + count)
            return range.HeaderFooter != 0;
        first += count;
    }
    return false;
}

// The horizontal distance of x to a line's span (0 inside it).
int32_t DistanceToLineSpan(TLayoutLine& line, int32_t x)
{
    TLineGeometry geometry;
    GetLineGeometry(line, geometry);
    const int32_t left = geometry.X.front();
    const int32_t right = geometry.X.back();
    if (x < left)
        return left - x;
    if (x > right)
        return x - right;
    return 0;
}

// The line of the page nearest above the point: the last whose top is at or
// above y, among the header and footer lines when those are edited on the
// page (inHeaderFooter), else among the body lines; lines of other columns
// replace the choice when they are horizontally nearer.
TLayoutLine* ChooseLine(TDocument& document, TPage& page, int32_t x, int32_t y, bool inHeaderFooter)
{
    TLayoutLine* chosen = nullptr;
    TLayoutLine* first = nullptr;
    for (int32_t slot = static_cast<int32_t>(page.Lines.size()) - 1; slot >= 0; --slot) {
        TLayoutLine* line = AsLayoutLine(page.LineAt(slot));
        if (!line || IsHeaderFooterSlot(page, slot) != inHeaderFooter)
            continue;
        first = line;
        if (document.ApplyZoom(line->Top) > y)
            continue;
        if (!chosen) {
            chosen = line;
            if (line->Column < 0)
                break;
            continue;
        }
        if (line->Column != chosen->Column && DistanceToLineSpan(*line, x) < DistanceToLineSpan(*chosen, x)) {
            // A column further left: its own nearest line above the point.
            bool nearer = true;
            for (int32_t later = slot + 1; later < static_cast<int32_t>(page.Lines.size()); ++later) {
                TLayoutLine* other = AsLayoutLine(page.LineAt(later));
                if (other && other->Column == line->Column && !IsHeaderFooterSlot(page, later) &&
                    document.ApplyZoom(other->Top) <= y) {
                    nearer = false;
                    break;
                }
            }
            if (nearer)
                chosen = line;
        }
    }
    return chosen ? chosen : first;
}

}  // namespace

void MeasureRectDistance(TRectDistance& candidate, TPoint point)
{
    const TRect& r = candidate.Rect;
    candidate.Inside = PtInRect(r, point);
    candidate.Dx = std::abs((r.Left + r.Right) / 2 - point.X);
    candidate.Dy = std::abs((r.Top + r.Bottom) / 2 - point.Y);
    candidate.Distance = candidate.Dx + candidate.Dy;
}

uint8_t ObjectHandleAt(const TRect& frame, TPoint point)
{
    const int32_t half = HandleSize / 2;
    const int32_t midX = (frame.Left + frame.Right) / 2;
    const int32_t midY = (frame.Top + frame.Bottom) / 2;
    const TPoint centres[8] = {{frame.Left, frame.Top},    {midX, frame.Top},    {frame.Right, frame.Top},
                               {frame.Left, midY},         {frame.Right, midY},  {frame.Left, frame.Bottom},
                               {midX, frame.Bottom},       {frame.Right, frame.Bottom}};
    uint8_t best = 0;
    int32_t bestDistance = 0;
    for (uint8_t i = 0; i < 8; ++i) {
        TRectDistance candidate;
        candidate.Rect = {centres[i].X - half, centres[i].Y - half, centres[i].X + half, centres[i].Y + half};
        MeasureRectDistance(candidate, point);
        if (candidate.Inside && (best == 0 || candidate.Distance <= bestDistance)) {
            best = static_cast<uint8_t>(i + 1);
            bestDistance = candidate.Distance;
        }
    }
    return best;
}

THitTestResult HitTestDocument(TDocument& document, TPoint point)
{
    THitTestResult result;
    const int32_t pageIndex = FindPageAt(document, point);
    if (pageIndex < 0)
        return result;
    TPage& page = *document.Pages()[static_cast<size_t>(pageIndex)];
    if (page.Lines.empty())
        return result;

    result.Kind = hkTextLine;
    int32_t x = point.X - page.Rect.Left;
    int32_t y = point.Y - page.Rect.Top;
    const TPageParams& params = document.GetPageSectionOf(page.GetSection()).PageParams;
    const int32_t pageHeight = params[ppPaperHeightDevice];
    // The header and footer areas: the lines laid out on the page when they
    // are there (header and footer editing), else the room pagination kept
    // for them beyond the margins.
    const int32_t topMargin = document.TwipsToDeviceY(params[ppTopMargin]);
    const int32_t bottomMargin = document.TwipsToDeviceY(params[ppBottomMargin]);
    TRect headerRect{};
    TRect footerRect{};
    bool hasHeader = HeaderFooterFrameRect(page, false, headerRect);
    bool hasFooter = HeaderFooterFrameRect(page, true, footerRect);
    if (!hasHeader && page.Header) {
        hasHeader = true;
        headerRect.Bottom = topMargin + document.ApplyZoom(page.HeaderSpace);
    }
    if (!hasFooter && page.Footer) {
        hasFooter = true;
        footerRect.Top = pageHeight - bottomMargin - document.ApplyZoom(page.FooterSpace);
    }
    const bool editingHere = document.EditedHeaderFooter && document.EditedHeaderFooterPage == page.Index;
    const bool headerEdited = editingHere && document.EditedHeaderFooter == page.Header;
    const bool footerEdited = editingHere && document.EditedHeaderFooter == page.Footer;

    // Above the top margin (the header's bottom on a page with a header) and
    // below the bottom margin (the footer's top).
    const int32_t topLimit = hasHeader ? headerRect.Bottom : topMargin;
    const int32_t bottomLimit = hasFooter ? footerRect.Top : pageHeight - bottomMargin;
    const int32_t originalY = y;
    if (y < topLimit) {
        result.Kind = hkTopMargin;
        y = topLimit;
    } else if (y >= bottomLimit) {
        result.Kind = hkBottomMargin;
        y = std::max(bottomLimit - 1, 0);
    }
    const bool inHeader = hasHeader && originalY < headerRect.Bottom;
    const bool inFooter = hasFooter && originalY >= footerRect.Top;
    if (inHeader && !headerEdited) {
        result.Kind = hkHeader;
        return result;
    }
    if (inFooter && !footerEdited) {
        result.Kind = hkFooter;
        return result;
    }
    const bool inEditedArea = (inHeader && headerEdited) || (inFooter && footerEdited);
    if (inEditedArea) {
        result.Kind = hkTextLine;
        y = originalY;
    }

    TLayoutLine* line = ChooseLine(document, page, x, y, inEditedArea);
    if (!line)
        line = ChooseLine(document, page, x, y, !inEditedArea);
    if (!line) {
        result.Kind = hkOutside;
        return result;
    }
    TLineGeometry geometry;
    GetLineGeometry(*line, geometry);
    const int32_t lineTop = geometry.Top;
    const int32_t lineBottom = geometry.Top + geometry.BandHeight;
    result.InLineHeight = originalY >= lineTop && originalY < lineBottom ? 1 : 0;

    // Along the line: right of its last character, left of its first.
    const int32_t left = geometry.X.front();
    const int32_t right = geometry.X.back();
    result.InLineWidth = 1;
    int32_t lineX = x;
    if (x > right) {
        if (result.Kind == hkTextLine)
            result.Kind = hkRightOfLine;
        lineX = right;
        result.InLineWidth = 0;
    } else if (x < left) {
        if (result.Kind == hkTextLine && x < geometry.TextLeft)
            result.Kind = hkLeftOfLine;
        lineX = left;
        result.InLineWidth = 0;
    }

    // The character under the point and the boundary nearest to it. The
    // paragraph mark at the end of a paragraph's last line is no place for
    // the caret to go past.
    TParagraph& paragraph = line->Paragraph();
    const int32_t count = line->CharCount;
    int32_t i = 0;
    while (i < count - 1 && geometry.X[static_cast<size_t>(i) + 1] < lineX)
        ++i;
    int32_t boundary = i;
    if (count > 0 && lineX - geometry.X[static_cast<size_t>(i)] > geometry.X[static_cast<size_t>(i) + 1] - lineX)
        boundary = i + 1;
    const bool lastLine = line->FirstChar + count >= paragraph.GetCharCount();
    if (lastLine)
        boundary = std::min(boundary, std::max(count - 1, 0));
    else if (line->EndsWithBreak())
        boundary = std::min(boundary, std::max(count - 1, 0));
    result.CharParagraph = paragraph.Index;
    result.CharOffset = line->FirstChar + i;
    result.Position = {paragraph.Index, line->FirstChar + boundary, 0, page.Index, line->Index, 0};
    result.CharPosition = {paragraph.Index, result.CharOffset, 0, page.Index, line->Index, 0};

    const uint8_t c =
        result.CharOffset < paragraph.GetCharCount() ? paragraph.GetPlainChars().Data()[result.CharOffset] : 0;
    const bool insideLine = result.InLineHeight && result.InLineWidth;
    TTextPosition under{paragraph.Index, result.CharOffset, 0, page.Index, line->Index, 0};
    result.InSelection = insideLine && document.IsInSelection(under) ? 1 : 0;
    if (c == ' ')
        result.CharPosition.Offset = HitOnSpace;
    TFoundWord word;
    document.GetWordAt(under, word);
    result.WordRange.Start = word.Position;
    result.WordRange.End = word.Position;
    result.WordRange.End.Offset += word.Length;
    result.OnWord = insideLine && word.Length >= 1 && word.Position.Offset <= result.CharOffset &&
                            result.CharOffset < word.Position.Offset + word.Length
                        ? 1
                        : 0;
    const int32_t charLeft = geometry.X[static_cast<size_t>(i)];
    result.OnObject = (c == scPicture || c == scOleObject) && x > charLeft ? 1 : 0;

    if (result.OnObject) {
        result.Object = document.GetObjectAt(under);
        if (!result.Object) {
            result.OnObject = 0;
        } else {
            const int32_t height = document.TwipsToDeviceYScaled(result.Object->Height, result.Object->ScaleY);
            TRect frame{charLeft, geometry.Baseline - height, geometry.X[static_cast<size_t>(i) + 1], geometry.Baseline};
            if (result.InSelection && document.IsObjectSelected())
                result.ObjectHandle = ObjectHandleAt(frame, {x, originalY});
            result.ObjectRect = {frame.Left + page.Rect.Left, frame.Top + page.Rect.Top, frame.Right + page.Rect.Left,
                                 frame.Bottom + page.Rect.Top};
        }
    }

    // Fields: only inside the line in both directions; a field that starts at
    // the character counts once the point is right of the character's left edge.
    if (insideLine) {
        auto covering = [&](uint8_t type) -> TField* {
            TTextRange range;
            TField* field = document.FindRangeAt(under, type, RangeKindField, nullptr, &range);
            if (field && range.Start.Paragraph == under.Paragraph && range.Start.Offset == under.Offset &&
                x <= charLeft)
                return nullptr;
            return field;
        };
        result.FieldAtPoint = covering(255);
        if (result.FieldAtPoint) {
            result.HyperlinkAtPoint = covering(FieldTypeHyperlink);
            result.TocAtPoint = covering(FieldTypeToc);
        }
    }
    return result;
}
