#pragma once
// Menu templates (resource type "_MENU") and the loader that turns them into
// menu items. A template is a run of items, each a caption length (u8), the
// caption (1252, "&" marks the access key) and a command id (u32 little-
// endian); a byte 0xFE after an item opens that item's submenu, a byte 0xFF
// closes it (at the top level it ends the template), and the end of the data
// ends every open level. The caption "-" is a separator.
//
// The user's customised menus are stored in the same form; they come from a
// file the user can touch, so every length and count is checked, and a
// damaged template gives the built-in menu.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TMenu;
class TMenuItem;

// The toolbars item: its caption and submenu come from the template "TLBAR".
constexpr int32_t cmdToolbarsMenu = 6030;
// The document-bar item: its caption and submenu come from "DOCBAR2".
constexpr int32_t cmdDocumentBarMenu = 6095;
// The empty-list placeholder.
constexpr int32_t cmdEmptyListPlaceholder = 1000002000;

// Set by the shell while its menu-customisation dialog runs.
extern bool MenuCustomizationActive;
// Set by the shell: during customisation, the caption of a dynamic command
// (one whose caption the program makes up), or "" for any other id.
extern std::function<std::string(int32_t id)> DynamicCommandCaption;

// Deepest submenu nesting a template may have.
constexpr int kMaxMenuTemplateDepth = 16;

// Whether the data is a whole template: every item complete, every 0xFE after
// an item of its level, nesting within kMaxMenuTemplateDepth.
bool IsValidMenuTemplate(const uint8_t* data, size_t size);

// A special item built with its own submenu, and its child count then.
struct TMenuTemplateRecord {
    TMenuItem* Item = nullptr;
    int ChildCount = 0;
};

// Parses the template from its start into the parent's submenu; returns the
// bytes consumed (up to and including a closing 0xFF of this level). Items
// that do not fit the data end the parse.
size_t ParseMenuTemplate(TMenuItem& parent, const uint8_t* data, size_t size, std::vector<TMenuTemplateRecord>& records,
                         int depth = 0);

// Parses a template into the menu's top-level items (after the ones it has),
// then trims the special submenus to the children they were built with. True
// when any item was trimmed. A damaged template raises Exception and leaves
// the menu as it was.
bool BuildMenuFromTemplate(TMenu& menu, const uint8_t* data, size_t size);

// Sets the menu's owner drawing and builds the "_MENU" resource of that name
// into it. False when the resource does not exist.
bool LoadMenuResource(TMenu& menu, const std::string& templateName, bool ownerDraw);

// The user's stored template, or the built-in one when it is missing or
// damaged: the menu is cleared first. True when the stored one was used.
bool LoadStoredMenu(TMenu& menu, const std::string& stored, const std::string& templateName, bool ownerDraw);

// Builds the named template into a temporary menu and moves its top-level
// items, in order, into the item's submenu.
void LoadSubmenuFromResource(TMenuItem& item, const std::string& templateName);

// Depth first over the whole tree: at each level from the last item to the
// first, an item's submenu before the item itself. The first item whose tag
// is the id, or nullptr.
TMenuItem* FindMenuItemByTag(TMenu& menu, int32_t id);
