#pragma once
// The controls that stand on the toolbars besides the buttons: the zoom,
// style, font name and size boxes and the font colour and underline pickers,
// what they show of the active document and what their input runs; and the
// items of the colour and underline drop-down menus.
#include <cstdint>
#include <functional>
#include <string>

#include "foundation/CharFormat.h"
#include "platform/framework/controls/Lists.h"
#include "shell/commands/CommandIds.h"
#include "shell/toolbars/ToolbarMenus.h"

class TDocument;
class TMenuItem;
class TToolBar;
struct TControlValue;

// The entries of the zoom box and their values.
constexpr int32_t ZoomEntryCount = 13;
extern const int32_t ZoomEntryValues[ZoomEntryCount];
// The sizes of the size box, in points.
constexpr int32_t FontSizeEntryCount = 18;
extern const int32_t FontSizeEntries[FontSizeEntryCount];

class TToolbarComboBox : public TComboBox {
public:
    TToolbarComboBox(TComponent* owner, TCommandId id);
    TCommandId CommandId;
    // Enter, or an entry chosen.
    std::function<void(TToolbarComboBox&)> OnInput;
    std::function<void(TToolbarComboBox&)> OnEscape;

protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void Select() override;
};

// Makes the control of the id on the toolbar (its width already scaled).
TToolbarComboBox* CreateToolbarControl(TToolBar& bar, TCommandId id);
// Shows the document's value (or the brush's copied format's) unless the box
// has the keyboard or is open.
void ShowControlValue(TToolbarComboBox& box, TDocument* document, const TCharFormat* painterFormat);
// Turns what was chosen or typed into the command's value; false when nothing
// is to run (a warning may have been shown).
bool ReadControlInput(TToolbarComboBox& box, TDocument* document, bool painter, TControlValue& value);
// The size in half-points as the box writes it ("10", "10,5").
std::string FormatHalfPoints(int32_t halfPoints);
