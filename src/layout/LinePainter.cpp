#include "layout/LinePainter.h"

#include "document/editing/EditingRecords.h"
#include "document/fields/Field.h"
#include "document/model/DocObject.h"
#include "document/model/DocObjectImage.h"
#include "document/model/Document.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"
#include "foundation/drawing/DrawingHelpers.h"
#include "foundation/drawing/ServiceBitmaps.h"
#include "foundation/managers/TabManager.h"
#include "foundation/SharedManagers.h"
#include "foundation/TextTables.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "layout/FormattingMarks.h"
#include "layout/LayoutLine.h"
#include "layout/PageGrid.h"
#include "layout/PagePainter.h"
#include "layout/PaintSettings.h"
#include "layout/RunFont.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Locale.h"

#include <algorithm>
#include <map>
#include <string>

namespace {

constexpr COLORREF kGreyMarks = 0xC0C0C0;

// The display character of a special character for painting: the glyph of
// the marks when they are shown, else what the character stands for.
uint8_t DisplayOfSpecial(uint8_t kind, bool marks, const TPaintSettings& settings)
{
    switch (kind) {
    case scParagraphMark:
        return marks && settings.MarkParagraphEnds ? 182 : ' ';
    case scNonBreakingSpace:
        return marks ? 176 : ' ';
    case scNonBreakingHyphen:
        return marks ? 150 : '-';
    case scEmDash:
        return 151;
    case scEnDash:
        return 150;
    default:
        return ' ';
    }
}

// The state of one line's paint.
class TLinePainter {
public:
    TLinePainter(TLayoutLine& line, HDC target, int32_t x, int32_t y)
        : FLine(line), FParagraph(line.Paragraph()), FDocument(DocumentOfParagraph(line.Paragraph())),
          FTarget(target), FTargetX(x), FTargetY(y), FFlags(PaintFlags()), FSettings(PaintSettings())
    {
    }

    void Paint();
    // Draws the line's text (no background, selection or copy) into the
    // scratch context of the line being composed, whose band starts at the
    // page-relative y bandTop.
    void PaintAsNeighbour(HDC dc, int32_t bandTop);

private:
    // Page-relative device coordinates to the drawing context's.
    int32_t DX(int32_t x) const { return x + FOffsetX; }
    int32_t DY(int32_t y) const { return y + FOffsetY; }

    void PrepareText();
    void PaintHighlight();
    void PaintFieldShading();
    void WalkText();
    void SelectFont(bool reduced);
    void FlushRun();
    void DrawRun(int32_t first, int32_t count);
    void DrawTextCopies(int32_t first, int32_t count, int32_t top);
    void DrawSpecial(int32_t index, uint8_t kind, int32_t argument);
    void DrawObject(int32_t index, const TInlineControl& control);
    void DrawRangeMark(int32_t index, const TInlineControl& control);
    void PaintUnderlines();
    void PaintSelection();
    void PaintBlockSelection();
    void PaintNeighbours();
    void PaintBullet();
    void PaintBarTabs();
    void PaintColumnSeparators();
    void PaintSpellingMarks();
    void PaintMarginGuides();
    void PaintHeaderFooterFrame();
    void PaintUnprintableBorder();
    void DrawNoteReference(int32_t index);
    bool MarksTakeTheirColour() const;
    void DrawInMarksColour(int32_t index);
    bool IsEditedHeaderFooterLine() const;
    HBRUSH MarksBrush();
    COLORREF MarksColor() const;
    int32_t TextTop() const;
    int32_t RaiseOffset() const;
    COLORREF CurrentTextColor() const;

    TLayoutLine& FLine;
    TParagraph& FParagraph;
    TDocument& FDocument;
    HDC FTarget;
    int32_t FTargetX;
    int32_t FTargetY;
    const TPaintFlags& FFlags;
    const TPaintSettings& FSettings;

    bool FScreen = true;
    bool FMarks = false;
    bool FOutside = false;
    HDC FDC = nullptr;
    int32_t FOffsetX = 0;
    int32_t FOffsetY = 0;
    int32_t FPageWidth = 0;
    TLineGeometry FGeometry;
    std::string FDisplay;           // one display byte per character
    std::vector<uint8_t> FItalic;   // per character
    std::vector<int32_t> FHighlight;  // per character
    std::vector<TUnderlineSegment> FSegments;
    TCharFormat FFormat{};
    bool FReselect = true;
    TSharedFont* FFont = nullptr;
    int32_t FFullAscent = 0;   // of the full-size font
    int32_t FFullDescent = 0;
    int32_t FRunStart = 0;
    int32_t FRunLength = 0;
    HBRUSH FGreyBrush = nullptr;
    bool FNeighbour = false;
    TField* FNote = nullptr;  // the note reference whose mark comes next
};

void TLinePainter::Paint()
{
    FScreen = FFlags.Mode == TPaintMode::Screen;
    FMarks = FScreen && FSettings.ShowMarks && !FNeighbour;
    FOutside = FScreen && FDocument.IsOutsideEditedStory(FParagraph.Index);
    GetLineGeometry(FLine, FGeometry);
    const TPageParams& params = LinePageParams(FLine);
    FPageWidth = std::max(params[ppPaperWidthDevice], 1);
    int32_t band = FGeometry.BandHeight;
    if (FFlags.OverlapExtended)
        band += band * 15 / 100;
    FGeometry.BandHeight = band;

    TColorManager* colors = GetColorManager();
    if (!colors)
        throw EInternalError("Affichage impossible : aucun gestionnaire de couleurs");
    if (FScreen) {
        TServiceBitmap* bitmap = ServiceBitmap(1);
        if (!bitmap)
            throw EInternalError("Affichage impossible : aucune image de travail");
        bitmap->EnsureSize(FPageWidth, band);
        FDC = bitmap->DC();
        FOffsetX = 0;
        FOffsetY = -FGeometry.Top;
        const TRect rect{FGeometry.BandLeft, 0, FGeometry.BandRight, band};
        FillRect(FDC, rect, colors->CurrentPalette().Colors(2).GetBrush());
    } else {
        FDC = FTarget;
        FOffsetX = FTargetX;
        FOffsetY = FTargetY;
    }
    SetBkMode(FDC, TRANSPARENT);

    PrepareText();
    if (FScreen) {
        PaintFieldShading();
        PaintHighlight();
        PaintNeighbours();
    } else {
        PaintHighlight();
        if (FFlags.Mode == TPaintMode::Printing && FFlags.PrintFieldShading)
            PaintFieldShading();
    }

    // The paragraph-attribute glyphs left of the first line.
    if (FMarks && FLine.Index == 0) {
        const TParFormat& format = FParagraph.Format;
        const bool attributes[3] = {SlotValue(format[pfKeepWithNext]) > 0, SlotValue(format[pfKeepTogether]) > 0,
                                    SlotValue(format[pfPageBreakBefore]) > 0};
        if (attributes[0] || attributes[1] || attributes[2])
            DrawParagraphAttributeGlyphs(FDC, attributes, DX(FGeometry.TextLeft),
                                         DY(FGeometry.Top + FDocument.ApplyZoom(FLine.GetSpaceBefore())),
                                         FDocument.Zoom());
    }

    WalkText();
    PaintBarTabs();
    PaintUnderlines();
    PaintColumnSeparators();
    if (FScreen) {
        PaintSpellingMarks();
        PaintSelection();
        PaintBlockSelection();
        PaintMarginGuides();
        PaintHeaderFooterFrame();
        PaintUnprintableBorder();
    }
    if (FGreyBrush)
        DeleteObject(FGreyBrush);
    FGreyBrush = nullptr;

    if (FScreen)
        BitBlt(FTarget, FTargetX + FGeometry.BandLeft, FTargetY + FGeometry.Top,
               FGeometry.BandRight - FGeometry.BandLeft, band, FDC, FGeometry.BandLeft, 0, SRCCOPY);
}

void TLinePainter::PaintAsNeighbour(HDC dc, int32_t bandTop)
{
    FNeighbour = true;
    FScreen = true;
    FMarks = false;
    FOutside = FDocument.IsOutsideEditedStory(FParagraph.Index);
    GetLineGeometry(FLine, FGeometry);
    FDC = dc;
    FOffsetX = 0;
    FOffsetY = -bandTop;
    SetBkMode(FDC, TRANSPARENT);
    PrepareText();
    WalkText();
    PaintUnderlines();
    if (FGreyBrush)
        DeleteObject(FGreyBrush);
    FGreyBrush = nullptr;
}

// Lines that overlap are composed together: the previous line of the page
// (same column and story) when it overlaps into this one, and, when this
// line overlaps, the following lines of exactly spaced paragraphs that it
// reaches into. They draw their text only, with change notifications held.
void TLinePainter::PaintNeighbours()
{
    if (FNeighbour || !FLine.Page)
        return;
    TPage& page = *FLine.Page;
    const int32_t story = FDocument.GetStoryOfParagraph(FParagraph.Index);
    auto sameStream = [&](const TLayoutLine* other) {
        return other && other->Column == FLine.Column && FDocument.GetStoryOfParagraph(other->Paragraph().Index) == story;
    };
    auto paintNeighbour = [&](TLayoutLine& other) {
        TPaintFlags& flags = PaintFlags();
        const bool saved = flags.NeighbourPass;
        const int32_t depth = FDocument.ChangeStackDepth();
        FDocument.BeginSuppressChange(chfLayoutChange);
        flags.NeighbourPass = true;
        try {
            TLinePainter neighbour(other, FTarget, FTargetX, FTargetY);
            neighbour.PaintAsNeighbour(FDC, FGeometry.Top);
        } catch (...) {
            flags.NeighbourPass = saved;
            FDocument.EndChanges(FDocument.ChangeStackDepth() - depth);
            throw;
        }
        flags.NeighbourPass = saved;
        FDocument.EndChanges(FDocument.ChangeStackDepth() - depth);
    };
    const int32_t slot = FLine.PageIndex;
    if (slot > 0) {
        TLayoutLine* previous = AsLayoutLine(page.LineAt(slot - 1));
        if (sameStream(previous) && previous->Overlap)
            paintNeighbour(*previous);
    }
    if (!FLine.Overlap)
        return;
    for (int32_t next = slot + 1; next < static_cast<int32_t>(page.Lines.size()); ++next) {
        TLayoutLine* following = AsLayoutLine(page.LineAt(next));
        if (!sameStream(following))
            break;
        const TParFormat& format = following->Paragraph().Format;
        if (SlotValue(format[pfLineRule]) != 0 || SlotValue(format[pfLineSpacing]) >= 0)
            break;
        paintNeighbour(*following);
    }
}

void TLinePainter::PrepareText()
{
    const int32_t count = FLine.CharCount;
    FDisplay.assign(static_cast<size_t>(count), ' ');
    FItalic.assign(static_cast<size_t>(count), 0);
    FHighlight.assign(static_cast<size_t>(count), 0);
    const uint8_t* plain = FParagraph.GetPlainChars().Data() + FLine.FirstChar;
    const bool dots = FMarks && FSettings.MarkSpaces;
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t c = plain[i];
        uint8_t shown = c;
        if (c < 32)
            shown = DisplayOfSpecial(c, FMarks, FSettings);
        else if (c == ' ' && dots)
            shown = 0xB7;
        FDisplay[static_cast<size_t>(i)] = static_cast<char>(shown);
    }
    // Italic and highlight of every character, from the format records.
    TCharFormat format{};
    FParagraph.ExpandFormatDiff(format, FLine.StartFormat);
    const uint8_t* text = FParagraph.GetText().Data() + FLine.StartByte;
    int32_t index = 0;
    for (int32_t pos = 0; pos < FLine.ByteLength && index <= count;) {
        if (text[pos] == InlineControlStartByte && pos + InlineControlSize <= FLine.ByteLength) {
            const TInlineControl control = ReadInlineControl(text + pos);
            if (IsFormatCode(control.Code))
                format[control.Code] = control.Argument;
            else if (IsCharacterCode(control.Code) && index < count) {
                FItalic[static_cast<size_t>(index)] = SlotOn(format[cfItalic]);
                FHighlight[static_cast<size_t>(index)] = SlotValue(format[cfHighlight]);
                ++index;
            }
            pos += InlineControlSize;
            continue;
        }
        if (index < count) {
            FItalic[static_cast<size_t>(index)] = SlotOn(format[cfItalic]);
            FHighlight[static_cast<size_t>(index)] = SlotValue(format[cfHighlight]);
        }
        ++index;
        ++pos;
    }
}

void TLinePainter::PaintHighlight()
{
    const int32_t top = FGeometry.Top + FDocument.ApplyZoom(FLine.GetSpaceBefore());
    const int32_t bottom = std::min(top + FDocument.ApplyZoom(FLine.Ascent + FLine.Descent),
                                    FGeometry.Top + FGeometry.BandHeight);
    const int32_t count = FLine.CharCount;
    for (int32_t i = 0; i < count;) {
        const int32_t index = FHighlight[static_cast<size_t>(i)];
        int32_t j = i + 1;
        while (j < count && FHighlight[static_cast<size_t>(j)] == index)
            ++j;
        if (index >= 1 && index <= BasicColorCount) {
            HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(BasicColor(index)));
            const TRect rect{DX(FGeometry.X[static_cast<size_t>(i)]), DY(top), DX(FGeometry.X[static_cast<size_t>(j)]),
                             DY(bottom)};
            FillRect(FDC, rect, brush);
            DeleteObject(brush);
        }
        i = j;
    }
}

void TLinePainter::PaintFieldShading()
{
    const int32_t mode = FSettings.FieldShading;
    // "Toujours" does not shade while the printable area is previewed.
    const bool shade = FFlags.Mode == TPaintMode::Printing
                           ? true
                           : (mode == 2 && !FFlags.PrintableAreaPreview) || (mode == 1 && FSettings.ShowMarks);
    if (!shade)
        return;
    const int32_t top = FGeometry.Top + FDocument.ApplyZoom(FLine.GetSpaceBefore());
    const int32_t bottom = std::min(top + FDocument.ApplyZoom(FLine.Ascent + FLine.Descent),
                                    FGeometry.Top + FGeometry.BandHeight);
    const int32_t first = FLine.FirstChar;
    const int32_t end = first + FLine.CharCount;
    for (const auto& field : FDocument.RangeObjects()) {
        if (field->Kind != rkField)
            continue;
        const TTextRange& range = field->Range;
        if (range.Start.Paragraph > FParagraph.Index || range.End.Paragraph < FParagraph.Index)
            continue;
        const int32_t from = range.Start.Paragraph < FParagraph.Index ? first : std::max(range.Start.Offset, first);
        const int32_t to = range.End.Paragraph > FParagraph.Index ? end : std::min(range.End.Offset, end);
        if (from >= to)
            continue;
        HBRUSH brush = CreateSolidBrush(FOutside ? 0x808080 : 0xC0C0C0);
        const TRect rect{DX(FGeometry.X[static_cast<size_t>(from - first)]), DY(top),
                         DX(FGeometry.X[static_cast<size_t>(to - first)]), DY(bottom)};
        FillRect(FDC, rect, brush);
        DeleteObject(brush);
    }
}

void TLinePainter::SelectFont(bool reduced)
{
    TFontManager* fonts = GetFontManager();
    if (!fonts)
        throw EInternalError("Affichage impossible : aucun gestionnaire de polices");
    const int32_t full = SlotValue(FFormat[cfSize]) > 0 ? FFormat[cfSize] : 24;
    const bool smallCaps = SlotOn(FFormat[cfSmallCaps]);
    const bool vertical = SlotOn(FFormat[cfVerticalPosition]);
    // Underlines and strike-through are drawn by the painter, never by the
    // font.
    TCharFormat description = FFormat;
    description[cfUnderline] = 0;
    description[cfStrikeOut] = 0;
    description[cfDoubleStrikeOut] = 0;
    // The full-size font's metrics place superscript and subscript.
    TSharedFont* font =
        fonts->SelectSharedFont(description, FDocument.FontSizeToDeviceHeight(full), false, true, FDC);
    FFullAscent = font->Ascent;
    FFullDescent = font->Metrics.tmDescent;
    int32_t size = full;
    if (smallCaps && vertical && reduced)
        size = static_cast<int32_t>(static_cast<int64_t>(full) * 52 / 100);
    else if (vertical)
        size = MulDiv(full, 65, 100);
    else if (smallCaps && reduced)
        size = MulDiv(full, 80, 100);
    if (size != full)
        font = fonts->SelectSharedFont(description, FDocument.FontSizeToDeviceHeight(size), false, true, FDC);
    FFont = font;
}

int32_t TLinePainter::RaiseOffset() const
{
    const int32_t raise = SlotValue(FFormat[cfRaise]);
    return raise == 0 ? 0 : FDocument.TwipsToDeviceY(raise * 10);
}

int32_t TLinePainter::TextTop() const
{
    const int32_t baseline = FGeometry.Baseline;
    const int32_t ascent = FFont->Ascent;
    const int32_t descent = FFont->Metrics.tmDescent;
    int32_t top = baseline - ascent;
    const int32_t vertical = SlotValue(FFormat[cfVerticalPosition]);
    if (vertical == 1)
        top = baseline - ascent * 100 / 65;
    else if (vertical == 2)
        top = baseline + descent * 100 / 65 - descent - ascent;
    return top - RaiseOffset();
}

COLORREF CharColorOrGrey(int32_t index, bool outside)
{
    return CharColor(outside ? 16 : index);
}

COLORREF TLinePainter::CurrentTextColor() const
{
    return CharColorOrGrey(SlotValue(FFormat[cfColor]), FOutside);
}

COLORREF TLinePainter::MarksColor() const
{
    if (FOutside)
        return kGreyMarks;
    return static_cast<COLORREF>(GetColorManager()->CurrentPalette().Colors(1).Color());
}

HBRUSH TLinePainter::MarksBrush()
{
    if (!FOutside)
        return GetColorManager()->CurrentPalette().Colors(1).GetBrush();
    if (!FGreyBrush)
        FGreyBrush = CreateSolidBrush(kGreyMarks);
    return FGreyBrush;
}

void TLinePainter::WalkText()
{
    FParagraph.ExpandFormatDiff(FFormat, FLine.StartFormat);
    FReselect = true;
    SelectFont(false);
    FReselect = false;
    SetTextColor(FDC, CurrentTextColor());
    FSegments.clear();
    FRunStart = 0;
    FRunLength = 0;
    FNote = nullptr;
    PaintBullet();

    const uint8_t* text = FParagraph.GetText().Data() + FLine.StartByte;
    const uint8_t* plain = FParagraph.GetPlainChars().Data() + FLine.FirstChar;
    int32_t index = 0;
    for (int32_t pos = 0; pos < FLine.ByteLength;) {
        if (text[pos] != InlineControlStartByte || pos + InlineControlSize > FLine.ByteLength) {
            // With the marks colour given explicitly, spaces take it (they
            // show as middle dots while spaces are marked).
            if (text[pos] == ' ' && MarksTakeTheirColour() && index < FLine.CharCount) {
                DrawInMarksColour(index);
                ++index;
                ++pos;
                continue;
            }
            if (FRunLength == 0)
                FRunStart = index;
            ++FRunLength;
            ++index;
            ++pos;
            continue;
        }
        const TInlineControl control = ReadInlineControl(text + pos);
        pos += InlineControlSize;
        const uint16_t code = control.Code;
        switch (code) {
        case cfFont:
        case cfSize:
        case cfBold:
        case cfItalic:
        case cfSmallCaps:
        case cfAllCaps:
        case cfVerticalPosition:
        case cfHorizontalScale:
            FlushRun();
            FFormat[code] = control.Argument;
            FReselect = true;
            break;
        case cfStrikeOut:
        case cfDoubleStrikeOut:
        case cfUnderline:
        case cfUnderlineColor:
        case cfShadow:
        case cfOutline:
        case cfEmboss:
        case cfEngrave:
        case cfRaise:
            FlushRun();
            FFormat[code] = control.Argument;
            break;
        case cfColor:
            FlushRun();
            FFormat[cfColor] = control.Argument;
            SetTextColor(FDC, CurrentTextColor());
            break;
        case icSpecialChar:
        case icSectionBreak: {
            const uint8_t kind =
                code == icSectionBreak ? static_cast<uint8_t>(scSectionBreak) : SpecialCharKind(control.Argument);
            // Characters that draw as text join the run.
            const bool textual = kind == scParagraphMark || kind == scNonBreakingSpace ||
                                 kind == scNonBreakingHyphen || kind == scEmDash || kind == scEnDash;
            if (kind == scReaderSpecial && code == icSpecialChar) {
                FlushRun();
                DrawNoteReference(index);
            } else if (textual && index < FLine.CharCount && plain[index] == kind && FMarks &&
                       MarksTakeTheirColour() &&
                       (kind == scNonBreakingSpace || kind == scNonBreakingHyphen ||
                        (kind == scParagraphMark && FSettings.MarkParagraphEnds))) {
                DrawInMarksColour(index);
            } else if (textual && index < FLine.CharCount && plain[index] == kind) {
                if (FRunLength == 0)
                    FRunStart = index;
                ++FRunLength;
            } else {
                FlushRun();
                DrawSpecial(index, kind, code == icSectionBreak ? control.Argument : 0);
            }
            ++index;
            break;
        }
        case icPicture:
        case icOleObject:
            FlushRun();
            DrawObject(index, control);
            ++index;
            break;
        case icRangeStart:
        case icRangeEnd:
            if (code == icRangeStart) {
                TField* field = FDocument.Objects().GetField(static_cast<TObjectHandle>(control.Argument));
                if (field && field->Kind == rkNoteReference)
                    FNote = field;
            }
            DrawRangeMark(index, control);
            break;
        default:
            // Highlight, letter spacing, kerning and language act elsewhere.
            if (IsFormatCode(code))
                FFormat[code] = control.Argument;
            break;
        }
    }
    FlushRun();
}

void TLinePainter::FlushRun()
{
    if (FRunLength <= 0)
        return;
    const int32_t first = FRunStart;
    const int32_t count = std::min(FRunLength, FLine.CharCount - first);
    FRunLength = 0;
    if (count > 0)
        DrawRun(first, count);
}

void TLinePainter::DrawTextCopies(int32_t first, int32_t count, int32_t top)
{
    std::string text = FDisplay.substr(static_cast<size_t>(first), static_cast<size_t>(count));
    const bool allCaps = SlotOn(FFormat[cfAllCaps]);
    const bool smallCaps = SlotOn(FFormat[cfSmallCaps]);
    std::vector<uint8_t> lower(text.size(), 0);
    if (allCaps || smallCaps) {
        const std::string upper = LocaleUpperCase(LOCALE_USER_DEFAULT, text);
        if (upper.size() == text.size()) {
            for (size_t i = 0; i < text.size(); ++i)
                lower[i] = upper[i] != text[i];
            text = upper;
        }
    }
    std::vector<int32_t> advances(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        advances[static_cast<size_t>(i)] =
            FGeometry.X[static_cast<size_t>(first + i + 1)] - FGeometry.X[static_cast<size_t>(first + i)];

    // One copy of the run at an offset: small capitals switch between the
    // reduced font (characters that were lower case) and the full one.
    auto copy = [&](int32_t dx, int32_t dy) {
        if (!smallCaps) {
            ExtTextOut(FDC, DX(FGeometry.X[static_cast<size_t>(first)] + dx), DY(top + dy), 0, nullptr, text,
                       advances.data());
            return;
        }
        size_t i = 0;
        while (i < text.size()) {
            size_t j = i + 1;
            while (j < text.size() && lower[j] == lower[i])
                ++j;
            SelectFont(lower[i] != 0);
            const int32_t stretchTop = lower[i] ? top + (FFullAscent - FFont->Ascent) : top;
            ExtTextOut(FDC, DX(FGeometry.X[static_cast<size_t>(first) + i] + dx), DY(stretchTop + dy), 0, nullptr,
                       std::string_view(text).substr(i, j - i), advances.data() + i);
            i = j;
        }
        SelectFont(false);
    };

    // The colour the run is drawn in (the marks colour for marks drawn as text).
    const COLORREF color = GetTextColor(FDC);
    const int32_t height = FFont->Ascent + FFont->Metrics.tmDescent;
    const bool shadow = SlotOn(FFormat[cfShadow]);
    const bool outline = SlotOn(FFormat[cfOutline]);
    const bool emboss = SlotOn(FFormat[cfEmboss]);
    const bool engrave = SlotOn(FFormat[cfEngrave]);
    if (shadow) {
        const int32_t d = std::max(1, height * 4 / 100) + (outline ? 1 : 0);
        SetTextColor(FDC, CharColor(16));
        copy(d, d);
        SetTextColor(FDC, color);
    }
    if (outline) {
        for (int32_t dy = -1; dy <= 1; ++dy)
            for (int32_t dx = -1; dx <= 1; ++dx)
                if (dx != 0 || dy != 0)
                    copy(dx, dy);
        SetTextColor(FDC, static_cast<COLORREF>(GetColorManager()->CurrentPalette().Colors(2).Color()));
        copy(0, 0);
        SetTextColor(FDC, color);
    } else if (emboss || engrave) {
        int32_t d = std::max(1, height * 2 / 100);
        if (emboss)
            d = -d;
        // A grey copy, and the text in white beside it.
        SetTextColor(FDC, CharColor(15));
        copy(0, 0);
        SetTextColor(FDC, CharColor(8));
        copy(d, d);
        SetTextColor(FDC, color);
    } else {
        copy(0, 0);
    }
}

void TLinePainter::DrawRun(int32_t first, int32_t count)
{
    if (FReselect) {
        SelectFont(false);
        FReselect = false;
    }
    const int32_t top = TextTop();
    const bool lastLine = FLine.Index == FParagraph.GetLineCount() - 1;
    const uint8_t* plain = FParagraph.GetPlainChars().Data() + FLine.FirstChar;
    // The paragraph end of the paragraph's last line is neither underlined
    // nor struck through.
    int32_t decorated = count;
    if (lastLine && first + count == FLine.CharCount && plain[first + count - 1] == scParagraphMark)
        --decorated;
    if (SlotOn(FFormat[cfUnderline]) && decorated > 0) {
        TUnderlineSegment segment;
        segment.Left = DX(FGeometry.X[static_cast<size_t>(first)]);
        segment.Right = DX(FGeometry.X[static_cast<size_t>(first + decorated)]);
        segment.Top = DY(top);
        segment.Ascent = FFont->Ascent;
        segment.Descent = FFont->Metrics.tmDescent;
        segment.Format = FFormat;
        segment.FirstChar = first;
        segment.CharCount = decorated;
        FSegments.push_back(segment);
    }

    DrawTextCopies(first, count, top);

    // The line's end position holds the hyphen's width: the hyphen stands
    // right after the last character, within the line.
    if (first + count == FLine.CharCount && FLine.HyphenEnd) {
        TSize hyphen{};
        GetTextExtentPoint32(FDC, "-", &hyphen);
        const int32_t end = DX(FGeometry.X[static_cast<size_t>(first + count)]);
        TextOut(FDC, std::max(DX(FGeometry.X[static_cast<size_t>(first + count - 1)]), end - hyphen.cx), DY(top), "-");
    }

    // Strike-through, in the current text colour.
    const bool single = SlotOn(FFormat[cfStrikeOut]);
    const bool twice = SlotOn(FFormat[cfDoubleStrikeOut]);
    if ((single || twice) && decorated > 0) {
        const bool relief = SlotOn(FFormat[cfEmboss]) || SlotOn(FFormat[cfEngrave]);
        HBRUSH brush = CreateSolidBrush(relief ? CharColor(0) : CurrentTextColor());
        const int32_t ascent = FFont->Ascent;
        const int32_t bar = std::max(1, ascent * 7 / 100);
        const int32_t left = DX(FGeometry.X[static_cast<size_t>(first)]);
        const int32_t right = DX(FGeometry.X[static_cast<size_t>(first + decorated)]);
        if (single) {
            const int32_t y = DY(top + ascent * 70 / 100);
            FillRect(FDC, TRect{left, y, right, y + bar}, brush);
        } else {
            const int32_t y = DY(top + ascent * 60 / 100);
            FillRect(FDC, TRect{left, y, right, y + bar}, brush);
            FillRect(FDC, TRect{left, y + 2 * bar, right, y + 3 * bar}, brush);
        }
        DeleteObject(brush);
    }
}

void TLinePainter::DrawSpecial(int32_t index, uint8_t kind, int32_t argument)
{
    if (index >= FLine.CharCount)
        return;
    if (FReselect) {
        SelectFont(false);
        FReselect = false;
    }
    const int32_t x = DX(FGeometry.X[static_cast<size_t>(index)]);
    const int32_t width = FGeometry.X[static_cast<size_t>(index + 1)] - FGeometry.X[static_cast<size_t>(index)];
    const int32_t top = DY(TextTop());
    const int32_t ascent = FFont->Ascent;
    const int32_t descent = FFont->Metrics.tmDescent;
    switch (kind) {
    case scTab: {
        // The leader of the tab's stop, and the underline over the tab.
        for (const TLineTab& tab : FLine.Tabs()) {
            if (tab.Char != index || tab.Leader == 0)
                continue;
            DrawTabLeader(FDC, tab.Leader, tab.Kind == 1, x, top, width, ascent + descent, FFont->Widths);
        }
        if (SlotOn(FFormat[cfUnderline])) {
            TUnderlineSegment segment;
            segment.Left = x;
            segment.Right = x + width;
            segment.Top = top;
            segment.Ascent = ascent;
            segment.Descent = descent;
            segment.Format = FFormat;
            segment.FirstChar = index;
            segment.CharCount = 1;
            FSegments.push_back(segment);
        }
        if (FMarks && FSettings.MarkTabs)
            DrawTabArrow(FDC, MarksBrush(), x, top, width, ascent);
        break;
    }
    case scLineBreak:
        if (FMarks)
            DrawLineBreakArrow(FDC, MarksBrush(), x, top, std::max(width, FDocument.TwipsToDeviceX(11 * 15)),
                               ascent);
        break;
    case scOptionalHyphen: {
        // Nothing where it takes no room; at a line end a hyphen, or its
        // mark while that mark is shown.
        const bool lineEnd = index == FLine.CharCount - 1;
        if (width <= 0 && !lineEnd)
            break;
        if (FMarks && FSettings.MarkOptionalHyphens)
            DrawOptionalHyphenMark(FDC, MarksBrush(), x, top, std::max(width, 4), ascent, descent);
        else if (lineEnd)
            TextOut(FDC, x, top, "-");
        break;
    }
    case scSectionBreak:
    case scColumnBreak:
    case scPageBreak: {
        if (!FMarks)
            break;
        int32_t caption = kind == scPageBreak ? 0 : 1;
        if (kind == scSectionBreak) {
            const TSection* section = FDocument.Objects().GetSection(static_cast<TObjectHandle>(argument));
            caption = 2 + (section ? std::clamp<int32_t>(section->BreakKind(), 0, 3) : 0);
        }
        TFontManager* fonts = GetFontManager();
        TCharFormat format = DefaultCharFormat();
        format[cfSize] = 16;
        const int32_t captionHeight = FDocument.FontSizeToDeviceHeight(16);
        fonts->SelectSharedFont(format, captionHeight, false, true, FDC);
        const int32_t captionTop = FGeometry.Baseline - fonts->CurrentSharedFont()->Ascent;
        DrawBreakMark(FDC, MarksColor(), CharColor(0), caption, x, DY(captionTop), width);
        FReselect = true;
        break;
    }
    default:
        break;
    }
}

void TLinePainter::DrawObject(int32_t index, const TInlineControl& control)
{
    if (index >= FLine.CharCount)
        return;
    TDocObject* object = FDocument.Objects().GetDocObject(static_cast<TObjectHandle>(control.Argument));
    const int32_t left = FGeometry.X[static_cast<size_t>(index)];
    const int32_t right = FGeometry.X[static_cast<size_t>(index + 1)];
    int32_t height = 0;
    if (object)
        height = FDocument.TwipsToDeviceY(static_cast<int32_t>(static_cast<int64_t>(object->Height) * object->ScaleY / 100));
    height = std::max(height, 1);
    const TRect rect{DX(left), DY(FGeometry.Baseline - height), DX(right), DY(FGeometry.Baseline)};
    if (!object) {
        // A record whose object is gone: its place is framed.
        FrameRect(FDC, rect, GetStockBrush(GRAY_BRUSH));
        return;
    }
    TObjectDrawInfo info;
    info.Object = object;
    info.DC = FDC;
    info.TargetDC = FScreen ? nullptr : FTarget;
    info.Rect = rect;
    info.Paragraph = FParagraph.Index;
    info.Flags = FScreen ? 0 : odPrinting;
    // The selection that is exactly this object gets its handles.
    if (FScreen && FLine.HoldsSelectedObject()) {
        const TTextSelection& selection = FDocument.Selection();
        if (selection.Start.Paragraph == FParagraph.Index && selection.Start.Offset == FLine.FirstChar + index)
            info.Flags |= odSelectedObject;
    }
    object->Draw(info);
}

void TLinePainter::DrawRangeMark(int32_t index, const TInlineControl& control)
{
    if (!FMarks || !FSettings.MarkBookmarks)
        return;
    const TField* field = FDocument.Objects().GetField(static_cast<TObjectHandle>(control.Argument));
    if (!field || field->Kind != rkBookmark)
        return;
    if (FReselect) {
        SelectFont(false);
        FReselect = false;
    }
    const int32_t i = std::clamp(index, 0, FLine.CharCount);
    const int32_t top = DY(FGeometry.Top + FDocument.ApplyZoom(FLine.GetSpaceBefore()));
    const int32_t height = FDocument.ApplyZoom(FLine.Ascent + FLine.Descent);
    DrawBookmarkBracket(FDC, MarksBrush(), control.Code == icRangeStart, DX(FGeometry.X[static_cast<size_t>(i)]), top,
                        height);
}

void TLinePainter::PaintUnderlines()
{
    MergeUnderlineSegments(FSegments);
    const COLORREF automatic = CharColorOrGrey(0, FOutside);
    for (const TUnderlineSegment& segment : FSegments) {
        // Words-only underlines find the blanks by character.
        std::vector<int32_t> xs;
        for (int32_t i = 0; i <= segment.CharCount; ++i)
            xs.push_back(DX(FGeometry.X[static_cast<size_t>(segment.FirstChar + i)]));
        const COLORREF color = FOutside ? automatic : UnderlineColor(segment.Format, automatic);
        DrawUnderlineSegment(FDC, segment, DX(FGeometry.TextLeft), color, xs.data(),
                             reinterpret_cast<const uint8_t*>(FDisplay.data()) + segment.FirstChar);
    }
}

void TLinePainter::PaintSelection()
{
    if (FNeighbour || !FDocument.HasSelection() || FLine.HoldsSelectedObject() || !IsEditedHeaderFooterLine())
        return;
    const TTextSelection& selection = FDocument.Selection();
    const int32_t index = FParagraph.Index;
    if (selection.Start.Paragraph > index || selection.End.Paragraph < index)
        return;
    const int32_t first = FLine.FirstChar;
    const int32_t end = first + FLine.CharCount;
    const int32_t from = selection.Start.Paragraph < index ? first : std::max(selection.Start.Offset, first);
    int32_t to = selection.End.Paragraph > index ? end : std::min(selection.End.Offset, end);
    if (from >= to)
        return;
    const int32_t a = from - first;
    const int32_t b = to - first;
    int32_t left = DX(FGeometry.X[static_cast<size_t>(a)]);
    int32_t right = DX(FGeometry.X[static_cast<size_t>(b)]);
    if (right <= left)
        right = left + 3;
    const int32_t top = DY(FGeometry.Top);
    const int32_t bottom = DY(FGeometry.Top + FGeometry.BandHeight);
    const bool italicStart = FItalic[static_cast<size_t>(a)] != 0;
    const bool italicEnd = FItalic[static_cast<size_t>(b - 1)] != 0;
    if (!italicStart && !italicEnd) {
        InvertRect(FDC, TRect{left, top, right, bottom});
        return;
    }
    // A slanted end leans with a slope of 1/4 about the baseline.
    const int32_t baseline = DY(FGeometry.Baseline);
    const int32_t up = (baseline - top) / 4;
    const int32_t down = (bottom - baseline) / 4;
    const TPoint points[4] = {
        {italicStart ? left + up : left, top},
        {italicEnd ? right + up : right, top},
        {italicEnd ? right - down : right, bottom},
        {italicStart ? left - down : left, bottom},
    };
    HRGN region = CreatePolygonRgn(points, 4, ALTERNATE);
    InvertRgn(FDC, region);
    DeleteObject(region);
}


// Spaces, paragraph ends and non-breaking characters are drawn in the marks
// colour when the user's scheme gives that colour explicitly, for the story
// being edited.
bool TLinePainter::MarksTakeTheirColour() const
{
    return FScreen && !FNeighbour && !FOutside && FSettings.MarksColorExplicit;
}

// One character drawn as a run of its own in the marks colour.
void TLinePainter::DrawInMarksColour(int32_t index)
{
    FlushRun();
    if (FReselect) {
        SelectFont(false);
        FReselect = false;
    }
    SetTextColor(FDC, MarksColor());
    DrawRun(index, 1);
    SetTextColor(FDC, CurrentTextColor());
}

// The bullet of a bulleted paragraph's first line (or of the line after a
// line that holds only a break): character 183 of "Symbol" in the format of
// the paragraph end, hanging left of the text by the room the line builder
// gave it.
void TLinePainter::PaintBullet()
{
    if (!SlotOn(FParagraph.Format[pfInternal]) || FLine.CharCount <= 0)
        return;
    if (FLine.Index != 0) {
        if (FLine.Index != 1)
            return;
        TLayoutLine* before = AsLayoutLine(&FParagraph.GetLine(0));
        if (!before || !before->IsBreakOnlyLine())
            return;
    }
    TFontManager* fonts = GetFontManager();
    if (!fonts || fonts->SymbolIndex() < 0)
        return;
    const TCharFormat saved = FFormat;
    FDocument.GetParagraphCharFormat(FParagraph.Index, FParagraph.GetCharCount(), FFormat);
    FFormat[cfFont] = fonts->SymbolIndex();
    SelectFont(false);
    const int32_t bulletWidth = FFont->Widths[183];
    int32_t grow = std::max(FDocument.ApplyZoom(NormalLayoutUnits(FDocument).TwipsToEighths(270) / 8), bulletWidth);
    const int32_t first = SlotValue(FParagraph.Format[pfFirstIndent]);
    if (first < 0)
        grow = std::max(grow, FDocument.ApplyZoom(NormalLayoutUnits(FDocument).TwipsToEighths(-first) / 8));
    SetTextColor(FDC, CurrentTextColor());
    const int32_t x = FGeometry.X[0] - grow;
    const int32_t advance = bulletWidth;
    const char bullet = static_cast<char>(183);
    ExtTextOut(FDC, DX(x), DY(TextTop()), 0, nullptr, std::string_view(&bullet, 1), &advance);
    FFormat = saved;
    SelectFont(false);
    SetTextColor(FDC, CurrentTextColor());
}

// A note reference mark: the field's result text ("?" without a field),
// framed with a focus rectangle while marks are shown.
void TLinePainter::DrawNoteReference(int32_t index)
{
    if (index >= FLine.CharCount)
        return;
    if (FReselect) {
        SelectFont(false);
        FReselect = false;
    }
    std::string text = "?";
    if (FNote) {
        if (!FNote->Result.empty())
            text = FNote->Result;
        else if (FNote->Number > 0)
            text = std::to_string(FNote->Number);
    }
    const int32_t left = FGeometry.X[static_cast<size_t>(index)];
    const int32_t right = FGeometry.X[static_cast<size_t>(index) + 1];
    TextOut(FDC, DX(left), DY(TextTop()), text);
    FNote = nullptr;
    if (!FMarks)
        return;
    const int32_t top = FGeometry.Top + FDocument.ApplyZoom(FLine.GetSpaceBefore());
    const TRect rect{DX(left), DY(top), DX(right), DY(top + FDocument.ApplyZoom(FLine.Ascent + FLine.Descent))};
    if (FOutside) {
        // Outside the edited story the frame is drawn in the complements of
        // the text and background colours.
        const COLORREF savedText = SetTextColor(FDC, 0xFFFFFF ^ CurrentTextColor());
        const COLORREF savedBack = SetBkColor(FDC, 0xFFFFFF ^ static_cast<COLORREF>(
                                                       GetColorManager()->CurrentPalette().Colors(2).Color()));
        DrawFocusRect(FDC, rect);
        SetTextColor(FDC, savedText);
        SetBkColor(FDC, savedBack);
    } else {
        DrawFocusRect(FDC, rect);
    }
}

// Bar tabs: each bar stop of the paragraph's tab table is an inverted band
// max(1, 20 twips) wide over the line's height.
void TLinePainter::PaintBarTabs()
{
    const TTabTable* table = FDocument.TabManager().Tables(FParagraph.Format[pfTabTable]);
    if (!table)
        return;
    const int32_t width = std::max(1, FDocument.TwipsToDeviceX(20));
    const TLayoutUnits units = NormalLayoutUnits(FDocument);
    for (TTabStop stop : table->StopList()) {
        if (TabStopKind(stop) != tkBar)
            continue;
        const int32_t x =
            FGeometry.TextLeft + FDocument.ApplyZoom(units.TwipsToEighths(TabStopPosition(stop)) / 8);
        InvertRect(FDC, TRect{DX(x), DY(FGeometry.Top), DX(x + width), DY(FGeometry.Top + FGeometry.BandHeight)});
    }
}

// The line between columns: left of every column but the first, and on
// screen right of a column that is not the last when no later line of the
// page stands in a column further right.
void TLinePainter::PaintColumnSeparators()
{
    if (FLine.Column < 0 || !FLine.Page)
        return;
    const TSection& section = FDocument.GetSectionOfParagraph(FParagraph.Index);
    if (!section.LineBetweenColumns)
        return;
    const int32_t columns = section.Settings.UsableColumnCount();
    if (columns < 2)
        return;
    const TPageMargins margins = GetPageMargins(FDocument, LinePageParams(FLine), FLine.Page->Index);
    const int32_t width = FScreen ? 1 : std::max(1, FDocument.TwipsToDeviceX(20));
    HBRUSH brush = GetColorManager()->CurrentPalette().Colors(0).GetBrush();
    auto separator = [&](int32_t column) {
        // Centred in the gap before the column.
        const TColumnGeometry geometry = section.GetColumnGeometry(column);
        const int32_t x = margins.LeftDevice + FDocument.TwipsToDeviceX(geometry.LeftBoundary) - width / 2;
        FillRect(FDC, TRect{DX(x), DY(FGeometry.Top), DX(x + width), DY(FGeometry.Top + FGeometry.BandHeight)},
                 brush);
    };
    if (FLine.Column > 0)
        separator(FLine.Column);
    if (FScreen && FLine.Column < columns - 1 && FLine.IsLastColumnOnPage())
        separator(FLine.Column + 1);
}

bool TLinePainter::IsEditedHeaderFooterLine() const
{
    if (FDocument.GetStoryOfParagraph(FParagraph.Index) != stHeadersFooters)
        return true;
    const TField* edited = FDocument.EditedHeaderFooter;
    if (!edited || !FLine.Page || FDocument.EditedHeaderFooterPage != FLine.Page->Index)
        return false;
    return edited->Range.Start.Paragraph <= FParagraph.Index && FParagraph.Index <= edited->Range.End.Paragraph;
}

// The misspellings the paragraph keeps, underlined with a zigzag 2 pixels
// below the baseline in their colour.
void TLinePainter::PaintSpellingMarks()
{
    if (FNeighbour || !FSettings.CheckAsYouType || !FSettings.ShowSpellingErrors || !IsEditedHeaderFooterLine())
        return;
    const int32_t first = FLine.FirstChar;
    const int32_t end = first + FLine.CharCount;
    for (int32_t i = 0; i < FParagraph.GetMisspellingCount(); ++i) {
        const TMisspelling mark = FParagraph.GetMisspelling(i);
        const int32_t from = std::max(mark.From, first);
        const int32_t to = std::min(mark.To, end);
        if (from >= to)
            continue;
        DrawZigzagLine(FDC, DX(FGeometry.X[static_cast<size_t>(from - first)]),
                       DX(FGeometry.X[static_cast<size_t>(to - first)]), static_cast<COLORREF>(mark.Value),
                       DX(FGeometry.TextLeft), DY(FGeometry.Baseline + 2));
    }
}

// A block selection inverts its horizontal span over the line's height, or,
// snapped to characters, the span of the characters inside it.
void TLinePainter::PaintBlockSelection()
{
    if (FNeighbour || !IsEditedHeaderFooterLine())
        return;
    const TBlockSelection* block = ShownBlockSelection(FDocument);
    if (!block)
        return;
    const int32_t index = FParagraph.Index;
    auto before = [](int32_t p1, int32_t l1, int32_t p2, int32_t l2) { return p1 < p2 || (p1 == p2 && l1 < l2); };
    if (before(index, FLine.Index, block->StartParagraph, block->StartLine) ||
        before(block->EndParagraph, block->EndLine, index, FLine.Index))
        return;
    int32_t left = std::min(block->LeftX, block->RightX);
    int32_t right = std::max(block->LeftX, block->RightX);
    if (FSettings.BlockSnapsToChars) {
        int32_t firstChar = 0;
        int32_t lastChar = 0;
        FLine.GetBlockRange(left, right, firstChar, lastChar);
        if (lastChar <= firstChar)
            return;
        left = FGeometry.X[static_cast<size_t>(std::clamp(firstChar, 0, FLine.CharCount))];
        right = FGeometry.X[static_cast<size_t>(std::clamp(lastChar, 0, FLine.CharCount))];
    }
    if (right <= left)
        return;
    InvertRect(FDC, TRect{DX(left), DY(FGeometry.Top), DX(right), DY(FGeometry.Top + FGeometry.BandHeight)});
}

// The parts of the margin guides that cross the band, in the dotted pattern
// that the page painter uses, fixed on the page.
void TLinePainter::PaintMarginGuides()
{
    if (FNeighbour || !FSettings.MarginGuides || !FLine.Page)
        return;
    const TPageParams& params = LinePageParams(FLine);
    const TPageMargins margins = GetPageMargins(FDocument, params, FLine.Page->Index);
    const TRect area{margins.LeftDevice - 1, FDocument.TwipsToDeviceY(params[ppTopMargin]) - 1,
                     params[ppPaperWidthDevice] - margins.RightDevice,
                     params[ppPaperHeightDevice] - FDocument.TwipsToDeviceY(params[ppBottomMargin])};
    TColorPalette& palette = GetColorManager()->CurrentPalette();
    const COLORREF guide = static_cast<COLORREF>(palette.Colors(3).Color());
    const COLORREF back = static_cast<COLORREF>(palette.Colors(2).Color());
    const int32_t top = std::max(FGeometry.Top, area.Top);
    const int32_t bottom = std::min(FGeometry.Top + FGeometry.BandHeight, area.Bottom + 1);
    for (int32_t y = top; y < bottom; ++y) {
        const COLORREF colour = MarginGuideColor(y, guide, back);
        SetPixelV(FDC, DX(area.Left), DY(y), colour);
        SetPixelV(FDC, DX(area.Right), DY(y), colour);
    }
    for (int32_t y : {area.Top, area.Bottom}) {
        if (y < FGeometry.Top || y >= FGeometry.Top + FGeometry.BandHeight)
            continue;
        for (int32_t x = area.Left; x <= area.Right; ++x)
            SetPixelV(FDC, DX(x), DY(y), MarginGuideColor(x, guide, back));
    }
}

// In header and footer editing, the dashed frame of the header or footer
// area that the line's band crosses.
void TLinePainter::PaintHeaderFooterFrame()
{
    if (FNeighbour || !FDocument.EditedHeaderFooter || !FLine.Page)
        return;
    for (bool footer : {false, true}) {
        TRect frame{};
        if (!HeaderFooterFrameRect(*FLine.Page, footer, frame))
            continue;
        if (frame.Bottom <= FGeometry.Top || frame.Top >= FGeometry.Top + FGeometry.BandHeight)
            continue;
        DrawHeaderFooterFrame(FDC, frame, FOffsetX, FOffsetY);
    }
}

// While the printable area is previewed, what lies outside the printer's
// minimum margins is filled again with the page background.
void TLinePainter::PaintUnprintableBorder()
{
    if (FNeighbour || !FFlags.PrintableAreaPreview)
        return;
    const TPageParams& params = LinePageParams(FLine);
    const int32_t width = params[ppPaperWidthDevice];
    const int32_t height = params[ppPaperHeightDevice];
    const int32_t left = FDocument.TwipsToDeviceX(FFlags.PrinterMargins[0]);
    const int32_t top = FDocument.TwipsToDeviceY(FFlags.PrinterMargins[1]);
    const int32_t right = width - FDocument.TwipsToDeviceX(FFlags.PrinterMargins[2]);
    const int32_t bottom = height - FDocument.TwipsToDeviceY(FFlags.PrinterMargins[3]);
    HBRUSH brush = GetColorManager()->CurrentPalette().Colors(2).GetBrush();
    const int32_t bandTop = FGeometry.Top;
    const int32_t bandBottom = FGeometry.Top + FGeometry.BandHeight;
    const TRect parts[4] = {
        {0, bandTop, left, bandBottom},
        {right, bandTop, width, bandBottom},
        {0, bandTop, width, std::min(top, bandBottom)},
        {0, std::max(bottom, bandTop), width, bandBottom},
    };
    for (const TRect& part : parts)
        if (part.Right > part.Left && part.Bottom > part.Top)
            FillRect(FDC, TRect{DX(part.Left), DY(part.Top), DX(part.Right), DY(part.Bottom)}, brush);
}
}  // namespace

COLORREF CharColor(int32_t index)
{
    if (index >= 1 && index <= BasicColorCount)
        return static_cast<COLORREF>(BasicColor(index));
    if (TColorManager* colors = GetColorManager())
        return static_cast<COLORREF>(colors->CurrentPalette().Colors(0).Color());
    return 0;
}

const TPageParams& LinePageParams(TLayoutLine& line)
{
    TDocument& document = DocumentOfParagraph(line.Paragraph());
    if (line.Page)
        return document.GetPageSectionOf(line.Page->GetSection()).PageParams;
    return document.GetPageSection(line.Paragraph().Index).PageParams;
}

void GetLineGeometry(TLayoutLine& line, TLineGeometry& geometry)
{
    TDocument& document = DocumentOfParagraph(line.Paragraph());
    line.UpdateDisplayWidths();
    const TPageParams& params = LinePageParams(line);
    const int32_t pageIndex = line.Page ? line.Page->Index : 0;
    const TPageMargins margins = GetPageMargins(document, params, pageIndex);
    geometry.TextLeft = line.Column >= 1 ? line.GetColumnLeft() : margins.LeftDevice + line.GetColumnLeft();
    geometry.Top = document.ApplyZoom(line.Top);
    geometry.Baseline = document.ApplyZoom(line.Top + line.GetSpaceBefore() + line.Ascent);
    geometry.BandHeight = line.GetPageHeight();
    geometry.BandLeft = 0;
    geometry.BandRight = params[ppPaperWidthDevice];
    if (line.Column >= 0) {
        // Lines of neighbouring columns share their rows: each line's band
        // keeps to its column.
        const TSection& section = document.GetSectionOfParagraph(line.Paragraph().Index);
        const TColumnGeometry column = section.GetColumnGeometry(line.Column);
        if (line.Column > 0)
            geometry.BandLeft = margins.LeftDevice + document.TwipsToDeviceX(column.LeftBoundary);
        if (line.Column < section.Settings.UsableColumnCount() - 1)
            geometry.BandRight = margins.LeftDevice + document.TwipsToDeviceX(column.RightBoundary);
    }
    geometry.X.resize(static_cast<size_t>(line.CharCount) + 1);
    int32_t x = geometry.TextLeft + document.ApplyZoom(line.GetCharPosition(0) / 8);
    geometry.X[0] = x;
    for (int32_t i = 0; i < line.CharCount; ++i) {
        x += line.DisplayWidth(i);
        geometry.X[static_cast<size_t>(i) + 1] = x;
    }
}

namespace {

// Never destroyed, as the caret display table: documents may be freed during
// program exit.
std::map<const TDocument*, TBlockSelection>& ShownBlocks()
{
    static auto* blocks = new std::map<const TDocument*, TBlockSelection>;
    return *blocks;
}

}  // namespace

void SetShownBlockSelection(const TDocument& document, const TBlockSelection* block)
{
    if (block)
        ShownBlocks()[&document] = *block;
    else
        ShownBlocks().erase(&document);
}

const TBlockSelection* ShownBlockSelection(const TDocument& document)
{
    auto& blocks = ShownBlocks();
    const auto found = blocks.find(&document);
    return found == blocks.end() ? nullptr : &found->second;
}

void PaintLine(TLayoutLine& line, HDC target, int32_t x, int32_t y)
{
    TLinePainter painter(line, target, x, y);
    painter.Paint();
}
