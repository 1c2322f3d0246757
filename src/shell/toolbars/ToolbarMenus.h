#pragma once
// What the drop-down menus of the toolbar buttons share with the toolbar
// controls: the underline kinds, the drawing of a colour entry, and the menu
// resources of the general drop-down menu.
#include <cstdint>
#include <string>

#include "platform/win/Geometry.h"
#include "shell/commands/CommandIds.h"

class TCanvas;
class TMenuItem;

// The underline kinds of the picker and the underline menu, in their order.
constexpr int32_t UnderlineKindCount = 18;
extern const int32_t UnderlineKinds[UnderlineKindCount];
std::string UnderlineKindName(int32_t index);

void DrawColourMenuItem(TMenuItem& item, TCanvas& canvas, const TRect& rect, bool selected);
// The menu resource that a drop-down button's general menu loads, or null.
const char* GeneralMenuResource(TCommandId id);
