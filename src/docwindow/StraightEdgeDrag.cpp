// The rulers' mouse: the tab-kind selector, stops added by a click, the
// markers dragged (margins, indents, tab stops) with their limits and
// snapping, and the undoable edit a finished drag writes.
#include "docwindow/DocumentForm.h"
#include "docwindow/DocumentWindowHost.h"
#include "docwindow/StraightEdge.h"
#include "document/editing/SectionScopes.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "foundation/MessageDlg.h"
#include "foundation/NotSet.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/TabManager.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>

namespace {

// Commands a double click runs.
constexpr int32_t cmdPageSetup = 260;
constexpr int32_t cmdParagraph = 9000;
constexpr int32_t cmdColumns = 15600;
constexpr int32_t cmdTabStops = 209100;

TParFormat UnsetParFormat()
{
    TParFormat format;
    std::fill(std::begin(format.Slots), std::end(format.Slots), NotSet);
    return format;
}

TTextRange SelectionRange(const TDocument& document)
{
    return {document.Selection().Start, document.Selection().End};
}

}  // namespace

void TStraightEdge::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    TDocument* document = Document();
    if (button != TMouseButton::mbLeft || !document || !FForm->CanHandleInput())
        return;
    FLastDown = {x, y};
    ClearState();
    ReadState(FShown);
    const TRulerHitResult hit = HitTest({x, y});
    FGrab = hit.GrabOffset;
    switch (hit.Hit) {
    case rhTabSelector:
        CurrentTabKind = static_cast<uint8_t>((CurrentTabKind + 1) % 5);
        Invalidate();
        DocumentHost().FireProgramEvent(evRulerTabKind);
        return;
    case rhLeftMarginEdge:
    case rhRightMarginEdge:
    case rhTopMarginEdge:
    case rhBottomMarginEdge: {
        FSubKind = hit.Hit == rhLeftMarginEdge ? 0 : hit.Hit == rhRightMarginEdge ? 1 : hit.Hit == rhTopMarginEdge ? 2 : 3;
        FStart = FCurrent = FShown.Page[ppLeftMargin + FSubKind];
        FDrag = rdMargin;
        break;
    }
    case rhFirstLineIndent:
    case rhLeftIndent:
    case rhIndentBox:
    case rhRightIndent: {
        FSubKind = static_cast<uint8_t>(hit.Hit - rhFirstLineIndent);
        const TParFormat& common = FShown.Common;
        const bool differs = FSubKind == 3 ? common[pfRightIndent] == NotSet
                                           : common[pfFirstIndent] == NotSet || common[pfLeftIndent] == NotSet;
        FStartFormat = differs ? FShown.First : common;
        if (FStartFormat[pfRightIndent] == NotSet)
            FStartFormat[pfRightIndent] = FShown.First[pfRightIndent];
        FDragFormat = FStartFormat;
        FDrag = rdIndent;
        break;
    }
    case rhTabStop: {
        FTabIndex = hit.TabIndex;
        FStart = FCurrent = TabPixel(FTabIndex) == 0 ? 0 : Twips(TabPixel(FTabIndex) - FColumnLeft);
        if (const TTabTable* table = ShownTabTable())
            FStart = FCurrent = TabStopPosition(table->Stops(FTabIndex));
        FTabRemoved = false;
        FDrag = rdTabStop;
        break;
    }
    case rhGapLeftEdge:
    case rhGapRightEdge:
    case rhGapGrip:
        FColumn = hit.Column;
        FSubKind = hit.Hit == rhGapRightEdge ? 1 : 0;
        FStartSettings = FShown.Settings;
        FStart = FCurrent = hit.Hit == rhGapGrip
                                ? GetColumnGeometry(FShown.Settings, FShown.Page, FColumn).Width
                                : GetColumnGeometry(FShown.Settings, FShown.Page, FColumn).Gap;
        FDrag = hit.Hit == rhGapGrip ? rdGapGrip : rdGapEdge;
        break;
    case rhTextZone:
        if (FOrientation == 0)
            AddTabAt(x);
        return;
    default: return;
    }
    SetMouseCapture(true);
    TMeasurementsManager* units = GetMeasurementsManager();
    const int32_t value = FDrag == rdIndent ? (FSubKind == 3 ? FDragFormat[pfRightIndent]
                                                             : FSubKind == 0 ? FDragFormat[pfFirstIndent]
                                                                             : FDragFormat[pfLeftIndent])
                                            : FCurrent;
    FTipText = units ? units->FormatTwips(value) : std::to_string(value);
    Invalidate();
}

void TStraightEdge::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (FDrag != rdNone) {
        DragMove(x, y);
        return;
    }
    if (!Document() || !FForm->CanHandleInput())
        return;
    switch (HitTest({x, y}).Hit) {
    case rhLeftMarginEdge:
    case rhRightMarginEdge:
    case rhGapLeftEdge:
    case rhGapRightEdge: SetCursor(crSizeWE); break;
    case rhTopMarginEdge:
    case rhBottomMarginEdge: SetCursor(crSizeNS); break;
    case rhGapGrip: SetCursor(crUpArrow); break;
    default: SetCursor(crArrow); break;
    }
}

void TStraightEdge::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button == TMouseButton::mbLeft && FDrag != rdNone)
        FinishDrag();
}

void TStraightEdge::DragMove(int32_t x, int32_t y)
{
    TDocument* document = Document();
    if (!document)
        return;
    const int32_t pointer = (FOrientation == 0 ? x : y) - FGrab;
    TMeasurementsManager* units = GetMeasurementsManager();
    auto format = [&](int32_t twips) { return units ? units->FormatTwips(twips) : std::to_string(twips); };
    switch (FDrag) {
    case rdMargin: {
        const bool fromStart = FSubKind == 0 || FSubKind == 2;
        const int32_t distance = fromStart ? pointer - FPageStart : FPageEnd - pointer;
        const int32_t twips = Twips(distance);
        int32_t value = twips < 0 ? 0 : SnapToGrid(twips, FStart);
        // At most 40 % of the page's width or height.
        const int32_t extent = FSubKind <= 1 ? FShown.Page[ppPaperWidth] : FShown.Page[ppPaperHeight];
        value = std::min(value, extent * 40 / 100);
        if (value != FCurrent) {
            FCurrent = value;
            FShown.Page[ppLeftMargin + FSubKind] = value;
            DocumentHost().FireProgramEvent(evRulerMargins);
            Invalidate();
        }
        FTipText = format(FCurrent);
        break;
    }
    case rdIndent: {
        const int32_t width = ColumnWidthTwips();
        const int32_t leftLimit = -FShown.Page[ppLeftMargin];
        const int32_t first0 = FStartFormat[pfFirstIndent];
        const int32_t left0 = FStartFormat[pfLeftIndent];
        TParFormat next = FDragFormat;
        int32_t shown = 0;
        switch (FSubKind) {
        case 0: {  // first line: its absolute place moves, the left indent stays
            const int32_t at =
                std::clamp(SnapToGrid(Twips(pointer - FColumnLeft), left0 + first0), leftLimit, width);
            next[pfFirstIndent] = at - next[pfLeftIndent];
            shown = next[pfFirstIndent];
            break;
        }
        case 1: {  // left indent: the first-line marker stays where it was
            const int32_t left = std::clamp(SnapToGrid(Twips(pointer - FColumnLeft), left0), leftLimit, width);
            next[pfLeftIndent] = left;
            next[pfFirstIndent] = first0 + left0 - left;
            shown = left;
            break;
        }
        case 2: {  // the box: both markers move
            const int32_t left = std::clamp(SnapToGrid(Twips(pointer - FColumnLeft), left0), leftLimit, width);
            next[pfLeftIndent] = left;
            next[pfFirstIndent] = first0;
            shown = left;
            break;
        }
        default: {
            const int32_t right = std::clamp(SnapToGrid(Twips(FColumnRight - pointer), FStartFormat[pfRightIndent]),
                                             -FShown.Page[ppRightMargin], width);
            next[pfRightIndent] = right;
            shown = right;
            break;
        }
        }
        if (!(next == FDragFormat)) {
            FDragFormat = next;
            DocumentHost().FireProgramEvent(evRulerIndent);
            Invalidate();
        }
        FTipText = format(shown);
        break;
    }
    case rdTabStop: {
        const bool overBand = y >= 0 && y < Height() && pointer >= FColumnLeft && pointer <= FColumnRight;
        const int32_t position = overBand ? SnapToGrid(Twips(pointer - FColumnLeft), FStart) : 0;
        if (position <= 0) {
            if (!FTabRemoved) {
                FTabRemoved = true;
                FTipText.clear();
                Invalidate();
            }
            break;
        }
        const TTabTable* table = ShownTabTable();
        const int32_t other = table ? table->IndexOfPosition(position) : -1;
        if (other != -1 && other != FTabIndex)
            break;  // another stop stands there: this one does not move
        if (position != FCurrent || FTabRemoved) {
            if (position != FCurrent)
                DocumentHost().FireProgramEvent(evRulerTabMoved);
            FCurrent = position;
            FTabRemoved = false;
            Invalidate();
        }
        FTipText = format(FCurrent);
        break;
    }
    case rdGapEdge:
    case rdGapGrip: DragColumns(pointer); break;
    default: break;
    }
}

int32_t TStraightEdge::NearestEqualColumnSpacing(int32_t pointer) const
{
    const int32_t count = std::max(FStartSettings[ssColumnCount], 2);
    const int32_t textWidth = FShown.Page[ppPaperWidth] - FShown.Page[ppLeftMargin] - FShown.Page[ppRightMargin];
    const int32_t step = std::max(SnapStepTwips(), 1);
    int32_t best = FStartSettings[ssColumnSpacing];
    int32_t bestDistance = INT32_MAX;
    for (int32_t gap = textWidth / (count - 1) / step * step; gap >= 0; gap -= step) {
        const int32_t width = (textWidth - (count - 1) * gap) / count;
        if (width <= 0)
            continue;
        const int32_t left = (FColumn + 1) * width + FColumn * gap;
        const int32_t edge = FTextLeft + Px(FSubKind == 0 ? left : left + gap);
        const int32_t distance = std::abs(edge - pointer);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = gap;
        }
    }
    return best;
}

void TStraightEdge::DragColumns(int32_t pointer)
{
    const int32_t i = FColumn;
    const int32_t widthI = TSectionSettings::ColumnValue(i, crWidth);
    const int32_t gapI = TSectionSettings::ColumnValue(i, crSpacing);
    const int32_t widthNext = TSectionSettings::ColumnValue(i + 1, crWidth);
    const TColumnGeometry column = GetColumnGeometry(FStartSettings, FShown.Page, i);
    const TColumnGeometry next = GetColumnGeometry(FStartSettings, FShown.Page, i + 1);
    TSectionSettings settings = FStartSettings;
    int32_t value = FCurrent;
    if (FDrag == rdGapEdge && FStartSettings[ssEqualColumns]) {
        value = NearestEqualColumnSpacing(pointer);
        settings[ssColumnSpacing] = value;
    } else if (FDrag == rdGapEdge) {
        if (FSubKind == 1) {
            // The right edge: column i + 1 gives up what the gap gains.
            const int32_t total = column.Gap + next.Width;
            const int32_t end = FTextLeft + Px(column.Left + column.Width);
            value = std::clamp(SnapToGrid(Twips(pointer - end), FStart), 0, total * 4 / 5);
            settings[gapI] = value;
            settings[widthNext] = total - value;
        } else {
            // The left edge: column i gives up what the gap gains.
            const int32_t total = column.Width + column.Gap;
            const int32_t start = FTextLeft + Px(next.Left);
            value = std::clamp(SnapToGrid(Twips(start - pointer), FStart), 0, total * 4 / 5);
            settings[gapI] = value;
            settings[widthI] = total - value;
        }
    } else {
        // The grip: the width of column i, at least 720 twips each side.
        const int32_t total = column.Width + next.Width;
        const int32_t raw = Twips(pointer - Px(column.Gap) / 2 - (FTextLeft + Px(column.Left)));
        const int32_t low = std::min(720, column.Width);
        const int32_t high = std::max(total - 720, column.Width);
        value = std::clamp(SnapToGrid(std::max(raw, low), FStart), low, high);
        settings[widthI] = value;
        settings[widthNext] = total - value;
    }
    TMeasurementsManager* units = GetMeasurementsManager();
    auto format = [&](int32_t twips) { return units ? units->FormatTwips(twips) : std::to_string(twips); };
    FTipText = FDrag == rdGapGrip ? format(value) + "     " + format(settings[widthNext]) : format(value);
    if (value != FCurrent) {
        FCurrent = value;
        FShown.Settings = settings;
        DocumentHost().FireProgramEvent(evRulerMargins);
        Invalidate();
    }
}

void TStraightEdge::FinishDrag()
{
    TDocument* document = Document();
    const TRulerDragMode mode = FDrag;
    FDrag = rdNone;
    FTipText.clear();
    if (MouseCapture())
        SetMouseCapture(false);
    if (!document)
        return;
    TDocument& doc = *document;
    switch (mode) {
    case rdMargin: {
        if (FCurrent == FStart)
            break;
        TPageParams params;
        std::fill(std::begin(params.Values), std::end(params.Values), NotSet);
        int32_t slot = ppLeftMargin + FSubKind;
        // The ruler shows an odd page's margins exchanged: write them back as stored.
        if (HasMirroredMargins(FShown.Page) && (FShown.PageIndex & 1) && FSubKind <= 1)
            slot = FSubKind == 0 ? ppRightMargin : ppLeftMargin;
        params[slot] = FCurrent;
        TStringList scopes;
        uint8_t defaultScope = 255;
        FillApplyToScopes(doc, scopes, defaultScope);
        uint8_t scope = 0;
        bool has3 = false, has4 = false;
        for (int32_t i = 0; i < scopes.Count(); ++i) {
            const auto code = static_cast<uint8_t>(reinterpret_cast<intptr_t>(scopes.Objects(i)));
            has3 = has3 || code == 3;
            has4 = has4 || code == 4;
        }
        scope = has4 ? 4 : has3 ? 3 : 0;
        ApplySectionFormatToScope(doc, scope, sfPageSetup, &params);
        break;
    }
    case rdIndent: {
        TParFormat format = UnsetParFormat();
        if (FSubKind <= 2) {
            if (FDragFormat[pfFirstIndent] == FStartFormat[pfFirstIndent] &&
                FDragFormat[pfLeftIndent] == FStartFormat[pfLeftIndent])
                break;
            format[pfFirstIndent] = FDragFormat[pfFirstIndent];
            format[pfLeftIndent] = FDragFormat[pfLeftIndent];
        } else {
            if (FDragFormat[pfRightIndent] == FStartFormat[pfRightIndent])
                break;
            format[pfRightIndent] = FDragFormat[pfRightIndent];
        }
        TTextRange range = SelectionRange(doc);
        doc.ExecuteOperation(docFormatParagraphs, {&range, &format});
        break;
    }
    case rdTabStop: {
        const TTabTable* table = ShownTabTable();
        if (!table || FTabIndex < 0 || FTabIndex >= table->Count() || (!FTabRemoved && FCurrent == FStart))
            break;
        TTabTable edited;
        for (int32_t i = 0; i < table->Count(); ++i)
            if (i != FTabIndex)
                edited.AddTab(table->Stops(i));
        const TTabStop dragged = table->Stops(FTabIndex);
        if (!FTabRemoved)
            edited.AddTab(PackTabStop(FCurrent, TabStopKind(dragged), TabStopLeader(dragged)));
        edited.Sort();
        TTabChange change;
        change.DefaultInterval = doc.TabManager().DefaultInterval();
        change.TableIndex = doc.TabManager().AddTable(edited);
        change.Range = SelectionRange(doc);
        doc.ExecuteOperation(docFormatTabs, {&change});
        DocumentHost().FireProgramEvent(evRulerTabAdded);
        break;
    }
    case rdGapEdge:
    case rdGapGrip: {
        if (FCurrent == FStart)
            break;
        // The selected sections when they share a column count and the caret
        // lies in the selection; else the caret's section.
        uint8_t scope = 3;
        if (doc.HasSelection() && doc.IsInSelection({doc.Caret.Paragraph, doc.Caret.Offset})) {
            TSectionSettings common;
            doc.GetSelectionSectionSettings(common);
            if (common[ssColumnCount] != NotSet)
                scope = 4;
        }
        TSectionSettings settings = FShown.Settings;
        ApplySectionFormatToScope(doc, scope, sfColumns, &settings);
        break;
    }
    default: break;
    }
    ClearState();
    UpdateFromDocument();
    Invalidate();
}

void TStraightEdge::AddTabAt(int32_t x)
{
    TDocument* document = Document();
    if (!document)
        return;
    TDocument& doc = *document;
    const TTabTable* table = ShownTabTable();
    if (table && table->Count() >= MaxTabStops) {
        ShowWarning(Format("Le nombre de taquets de tabulation dans une table de tabulations ne peut pas "
                           "dépasser %d.",
                           {MaxTabStops}));
        return;
    }
    const int32_t position = SnapToGrid(Twips(x - FColumnLeft), NotSet);
    if (position <= 0 || position > ColumnWidthTwips() || (table && table->HasTabAt(position)))
        return;
    TTabTable edited;
    if (table)
        edited.Assign(*table);
    edited.AddTab(PackTabStop(position, CurrentTabKind, 0));
    edited.Sort();
    TTabChange change;
    change.DefaultInterval = doc.TabManager().DefaultInterval();
    change.TableIndex = doc.TabManager().AddTable(edited);
    change.Range = SelectionRange(doc);
    doc.ExecuteOperation(docFormatTabs, {&change});
    DocumentHost().FireProgramEvent(evRulerTabAdded);
    ClearState();
    UpdateFromDocument();
}

void TStraightEdge::DblClick()
{
    TCustomControl::DblClick();
    if (!Document())
        return;
    const TRulerHitResult hit = HitTest(FLastDown);
    int32_t command = 0;
    switch (hit.Hit) {
    case rhTabSelector:
        CurrentTabKind = static_cast<uint8_t>((CurrentTabKind + 1) % 5);
        Invalidate();
        return;
    case rhTextZone:
    case rhTabStop:
    case rhOffBand: command = FOrientation == 0 ? cmdTabStops : cmdPageSetup; break;
    case rhFirstLineIndent:
    case rhLeftIndent:
    case rhIndentBox:
    case rhRightIndent: command = cmdParagraph; break;
    case rhColumnGap:
    case rhGapLeftEdge:
    case rhGapGrip:
    case rhGapRightEdge: command = cmdColumns; break;
    default: command = cmdPageSetup; break;
    }
    DocumentWindowHost().RunCommand(command);
}
