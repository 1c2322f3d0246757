#include "dialogs/CharMap.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/managers/FontManager.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/GraphicsObjects.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Geometry.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

constexpr uint8_t SymbolCharsetValue = 2;

// Points to a pixel height (an em height) on the screen.
int32_t PointsToScreenHeight(int32_t halfPoints)
{
    return -MulDiv(halfPoints, ScreenPixelsPerInch(), 144);
}

}  // namespace

const TMessageMap& TCharMapControl::ClassMessageMap()
{
    static const TMessageMap map{&TCustomControl::ClassMessageMap(),
                                 {MessageEntry<&TCharMapControl::WMKillFocusDrop>(WM_KILLFOCUS)}};
    return map;
}

TCharMapControl::TCharMapControl(TComponent* owner) : TCustomControl(owner)
{
    TabStop = true;
    const int32_t ppi = ScreenPixelsPerInch();
    FCellWidth = ppi * 18 / 96;
    FCellHeight = ppi * 21 / 96;
    // The control sizes itself to the grid and its margin.
    SetBounds(0, 0, Columns * FCellWidth + 1 + 2 * Margin, Rows * FCellHeight + 1 + 2 * Margin);
    RecreateGlyphFonts();
}

bool TCharMapControl::IsSymbolFont() const
{
    if (TFontManager* fonts = GetFontManager()) {
        const int32_t family = fonts->IndexOfFamily(FontName);
        return family >= 0 && fonts->Families(family).Charset == SymbolCharsetValue;
    }
    // Without the font manager only the one symbol face every desktop of the
    // program has is known.
    return AnsiSameText(FontName, "Symbol");
}

uint8_t TCharMapControl::Charset() const
{
    return IsSymbolFont() ? SymbolCharsetValue : GetLocaleCharset(static_cast<LCID>(Language), true);
}

bool TCharMapControl::Admits(uint8_t character) const
{
    return !GlyphFilter || (*GlyphFilter)[character];
}

void TCharMapControl::RecreateGlyphFonts()
{
    // 11 points for the cells, 22 for the magnified cell.
    FCellFontHeight = PointsToScreenHeight(22);
    FBigFontHeight = PointsToScreenHeight(44);
    Invalidate();
}

TRect TCharMapControl::GridRect() const
{
    return {Margin, Margin, Margin + Columns * FCellWidth + 1, Margin + Rows * FCellHeight + 1};
}

TRect TCharMapControl::CellRect(uint8_t character) const
{
    const int32_t index = std::max<int32_t>(character, FirstChar) - FirstChar;
    const int32_t left = Margin + (index % Columns) * FCellWidth;
    const int32_t top = Margin + (index / Columns) * FCellHeight;
    return {left, top, left + FCellWidth + 1, top + FCellHeight + 1};
}

uint8_t TCharMapControl::CharAtPoint(TPoint point) const
{
    const TRect grid = GridRect();
    const int32_t x = std::clamp(point.X, grid.Left, grid.Right - 1);
    const int32_t y = std::clamp(point.Y, grid.Top, grid.Bottom - 1);
    const int32_t column = std::min((x - Margin) / FCellWidth, Columns - 1);
    const int32_t row = std::min((y - Margin) / FCellHeight, Rows - 1);
    int32_t character = row * Columns + FirstChar + column;
    if (character > 255)
        character -= Columns;
    return static_cast<uint8_t>(character);
}

void TCharMapControl::SelectChar(uint8_t character, bool magnified)
{
    character = std::max(character, FirstChar);
    if (character == FSelectedChar && magnified == FMagnified)
        return;
    const bool changed = character != FSelectedChar;
    FSelectedChar = character;
    FMagnified = magnified;
    Invalidate();
    if (changed && OnSelectSymbol)
        OnSelectSymbol(this, character);
}

void TCharMapControl::DrawCell(uint8_t character, const TRect& cell, bool magnified)
{
    TCanvas& canvas = Canvas();
    const bool selected = character == FSelectedChar;
    canvas.Brush().SetColor(clBlack);
    canvas.FrameRect(cell);
    const TRect inner{cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1};
    canvas.Font().SetName(FontName);
    canvas.Font().SetCharset(Charset());
    canvas.Font().SetHeight(magnified ? FBigFontHeight : FCellFontHeight);
    canvas.Font().SetColor(selected ? clHighlightText : clWindowText);
    canvas.Brush().SetColor(selected ? clHighlight : clWindow);
    // A rejected character is a blank cell.
    const std::string text = Admits(character) ? std::string(1, static_cast<char>(character)) : std::string(" ");
    const int32_t width = cell.Right - cell.Left;
    const int32_t height = cell.Bottom - cell.Top;
    const int32_t textWidth = canvas.TextWidth(text);
    const int32_t textHeight = canvas.TextHeight("A");
    const int32_t x = cell.Left + MulDiv(width - 1 - textWidth, 1, 2);
    const int32_t y = cell.Top + MulDiv(height - 1 - textHeight, 1, 2);
    canvas.TextRect(inner, x, y, text);
}

void TCharMapControl::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect(ClientRect());
    for (int32_t c = FirstChar; c <= 255; ++c)
        DrawCell(static_cast<uint8_t>(c), CellRect(static_cast<uint8_t>(c)), false);
    const TRect cell = CellRect(FSelectedChar);
    if (FMagnified) {
        // Twice the cell, centred on it, over its neighbours.
        const int32_t w = 2 * FCellWidth, h = 2 * FCellHeight;
        const int32_t left = cell.Left + (cell.Right - cell.Left) / 2 - w / 2;
        const int32_t top = cell.Top + (cell.Bottom - cell.Top) / 2 - h / 2;
        DrawCell(FSelectedChar, {left, top, left + w + 1, top + h + 1}, true);
    } else if (Focused()) {
        canvas.DrawFocusRect({cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom - 2});
    }
}

void TCharMapControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    FLastPressInGrid = false;
    if (button != TMouseButton::mbLeft || !PtInRect(GridRect(), {x, y}))
        return;
    FLastPressInGrid = true;
    if (CanFocus())
        SetFocus();
    SelectChar(CharAtPoint({x, y}), true);
    // The mouse stays with the map until the button is released. The cursor
    // is not confined to the control: the desktop does not let a program
    // hold the pointer in a rectangle.
    FMouseDown = true;
    SetCapture(Handle());
}

void TCharMapControl::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (FMouseDown)
        SelectChar(CharAtPoint({x, y}), true);
}

void TCharMapControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button == TMouseButton::mbLeft)
        EndMouseCapture();
}

void TCharMapControl::EndMouseCapture()
{
    if (!FMouseDown)
        return;
    FMouseDown = false;
    ReleaseCapture();
}

void TCharMapControl::DblClick()
{
    if (!FLastPressInGrid)
        return;
    SelectChar(FSelectedChar, false);
    TCustomControl::DblClick();
}

void TCharMapControl::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    const int32_t c = FSelectedChar;
    const int32_t column = (c - FirstChar) % Columns;
    int32_t next = -1;
    switch (key) {
    case VK_LEFT: next = c - 1; break;
    case VK_RIGHT: next = c + 1; break;
    case VK_UP: next = c - Columns; break;
    case VK_DOWN: next = c + Columns; break;
    case VK_HOME: next = FirstChar; break;
    case VK_END: next = 255; break;
    case VK_PRIOR:
        if (c - FirstChar >= Columns)
            next = FirstChar + column;
        break;
    case VK_NEXT:
        if (c <= 227)
            next = 228 + column;
        break;
    case VK_ESCAPE:
        EndMouseCapture();
        return;
    default: return;
    }
    key = 0;
    if (next >= FirstChar && next <= 255)
        SelectChar(static_cast<uint8_t>(next), true);
}

void TCharMapControl::WMKillFocusDrop(TMessage& m)
{
    TWinControl::WMKillFocus(m);
    EndMouseCapture();
    SelectChar(FSelectedChar, false);
    Invalidate();
}
