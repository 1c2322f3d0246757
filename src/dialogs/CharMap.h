#pragma once
// The character map: the characters 32 to 255 of one font as a grid of 28
// columns and 8 rows, picked with the mouse or the keyboard, the picked one
// shown magnified over its neighbours. A symbol font shows its own set; a
// text font shows the code page of the map's language.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/framework/Controls.h"

using TSelectSymbolEvent = std::function<void(TControl* sender, uint8_t character)>;

// Characters admitted by a glyph filter: true where the character may be picked.
using TGlyphFilter = std::array<bool, 256>;

class TCharMapControl : public TCustomControl {
    ELDRAVIN_MESSAGE_MAP()
public:
    static constexpr int32_t Columns = 28;
    static constexpr int32_t Rows = 8;
    static constexpr int32_t Margin = 10;
    static constexpr uint8_t FirstChar = 32;

    explicit TCharMapControl(TComponent* owner);

    // The face shown and the language whose character set a text font takes.
    std::string FontName = "Arial";
    int32_t Language = 0x040C;
    // Characters the filter rejects are drawn blank and cannot be accepted.
    std::optional<TGlyphFilter> GlyphFilter;
    TSelectSymbolEvent OnSelectSymbol;

    uint8_t SelectedChar() const { return FSelectedChar; }
    bool Magnified() const { return FMagnified; }
    // Selects a character (32 to 255), magnified or not; repaints and fires
    // OnSelectSymbol when the character changed.
    void SelectChar(uint8_t character, bool magnified);
    // Rebuilds the cell and magnified fonts for FontName and Language.
    void RecreateGlyphFonts();
    // 2 for an installed family of the symbol character set, else the
    // character set of the language.
    uint8_t Charset() const;
    bool IsSymbolFont() const;
    // The filter admits the character (always, without a filter).
    bool Admits(uint8_t character) const;

    int32_t CellWidth() const { return FCellWidth; }
    int32_t CellHeight() const { return FCellHeight; }
    // The character under a client point, the point first brought into the grid.
    uint8_t CharAtPoint(TPoint point) const;
    // The cell of a character (its frame included).
    TRect CellRect(uint8_t character) const;
    TRect GridRect() const;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void MouseMove(TShiftState shift, int32_t x, int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y) override;
    void DblClick() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void WMKillFocusDrop(TMessage& m);

private:
    void DrawCell(uint8_t character, const TRect& cell, bool magnified);
    void EndMouseCapture();
    uint8_t FSelectedChar = FirstChar;
    bool FMagnified = false;
    bool FMouseDown = false;
    bool FLastPressInGrid = false;
    int32_t FCellWidth = 18;
    int32_t FCellHeight = 21;
    // The two glyph caches: font height and the height of "A" in each.
    int32_t FCellFontHeight = -15;
    int32_t FBigFontHeight = -29;
};
