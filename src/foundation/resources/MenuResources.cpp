#include "foundation/resources/MenuResources.h"

#include <cstring>
#include <memory>

#include "foundation/resources/ResourceStrings.h"
#include "platform/framework/menus/Menus.h"
#include "platform/runtime/Exception.h"

bool MenuCustomizationActive = false;
std::function<std::string(int32_t id)> DynamicCommandCaption;

namespace {

constexpr uint8_t kOpenSubmenu = 0xFE;
constexpr uint8_t kCloseLevel = 0xFF;

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Reads one item at p; false when it does not fit the data.
bool ReadItem(const uint8_t* data, size_t size, size_t& p, std::string& caption, int32_t& id)
{
    const size_t length = data[p];
    if (size - p - 1 < length + 4)
        return false;
    caption.assign(reinterpret_cast<const char*>(data) + p + 1, length);
    id = static_cast<int32_t>(ReadU32(data + p + 1 + length));
    p += 1 + length + 4;
    return true;
}

TComponent* ItemOwner(TMenuItem& parent)
{
    TMenu* menu = parent.GetParentMenu();
    if (!menu)
        return nullptr;
    return menu->Owner() ? menu->Owner() : menu;
}

// Hands an item and its submenu from the temporary menu to the owner of the
// item they were moved into, so that freeing the temporary menu frees none of them.
void TakeOwnership(TMenuItem& item, TComponent* owner, TComponent& from)
{
    if (owner)
        owner->InsertComponent(&item);
    else if (item.Owner() == &from)
        from.RemoveComponent(&item);
    for (int i = 0; i < item.Count(); ++i)
        TakeOwnership(*item.Items(i), owner, from);
}

} // namespace

bool IsValidMenuTemplate(const uint8_t* data, size_t size)
{
    if (!data && size > 0)
        return false;
    // Per open level: whether an item has been read on it.
    std::vector<bool> itemOnLevel{false};
    size_t p = 0;
    while (p < size) {
        const uint8_t b = data[p];
        if (b == kOpenSubmenu) {
            if (!itemOnLevel.back() || static_cast<int>(itemOnLevel.size()) > kMaxMenuTemplateDepth)
                return false;
            itemOnLevel.push_back(false);
            ++p;
        } else if (b == kCloseLevel) {
            if (itemOnLevel.size() == 1)
                return true;  // the end of the template; what follows is not read
            itemOnLevel.pop_back();
            ++p;
        } else {
            std::string caption;
            int32_t id = 0;
            if (!ReadItem(data, size, p, caption, id))
                return false;
            itemOnLevel.back() = true;
        }
    }
    return true;
}

size_t ParseMenuTemplate(TMenuItem& parent, const uint8_t* data, size_t size, std::vector<TMenuTemplateRecord>& records,
                         int depth)
{
    size_t p = 0;
    while (p < size) {
        const uint8_t b = data[p];
        if (b == kOpenSubmenu) {
            ++p;
            if (depth >= kMaxMenuTemplateDepth)
                return size;
            if (parent.Count() > 0) {
                p += ParseMenuTemplate(*parent.Items(parent.Count() - 1), data + p, size - p, records, depth + 1);
            } else {
                // No item to open (its placeholder was dropped): the level is read and thrown away.
                TMenuItem scratch(nullptr);
                p += ParseMenuTemplate(scratch, data + p, size - p, records, depth + 1);
            }
            continue;
        }
        if (b == kCloseLevel)
            return p + 1;
        std::string caption;
        int32_t id = 0;
        if (!ReadItem(data, size, p, caption, id))
            return size;  // an item cut short ends every level
        auto item = std::make_unique<TMenuItem>(ItemOwner(parent));
        item->SetCaption(caption);
        item->Tag = id;
        if (!MenuCustomizationActive) {
            if (id == cmdEmptyListPlaceholder)
                continue;  // freed instead of added
            if (id == cmdToolbarsMenu || id == cmdDocumentBarMenu) {
                item->SetCaption(id == cmdToolbarsMenu ? "Barres d'outils" : "Barre des documents");
                LoadSubmenuFromResource(*item, id == cmdToolbarsMenu ? "TLBAR" : "DOCBAR2");
                records.push_back({item.get(), item->Count()});
            }
        } else {
            if (DynamicCommandCaption) {
                const std::string text = DynamicCommandCaption(id);
                if (!text.empty())
                    item->SetCaption(text);
            }
            if (id == cmdEmptyListPlaceholder) {
                item->SetCaption("( Vide )");
                item->Enabled = false;
            }
        }
        parent.Add(item.release());
    }
    return p;
}

bool BuildMenuFromTemplate(TMenu& menu, const uint8_t* data, size_t size)
{
    if (!IsValidMenuTemplate(data, size))
        throw Exception("Le modèle de menu est endommagé.");
    std::vector<TMenuTemplateRecord> records;
    ParseMenuTemplate(menu.Items(), data, size, records);
    bool trimmed = false;
    for (const TMenuTemplateRecord& r : records)
        while (r.Item->Count() > r.ChildCount) {
            r.Item->Delete(r.Item->Count() - 1);
            trimmed = true;
        }
    return trimmed;
}

bool LoadMenuResource(TMenu& menu, const std::string& templateName, bool ownerDraw)
{
    menu.OwnerDraw = ownerDraw;
    const TResourceData data = LoadResourceData(templateName, "_MENU");
    if (!data)
        return false;
    BuildMenuFromTemplate(menu, data.Data, data.Size);
    return true;
}

bool LoadStoredMenu(TMenu& menu, const std::string& stored, const std::string& templateName, bool ownerDraw)
{
    menu.Items().Clear();
    menu.OwnerDraw = ownerDraw;
    const auto* bytes = reinterpret_cast<const uint8_t*>(stored.data());
    if (!stored.empty() && IsValidMenuTemplate(bytes, stored.size())) {
        BuildMenuFromTemplate(menu, bytes, stored.size());
        return true;
    }
    LoadMenuResource(menu, templateName, ownerDraw);
    return false;
}

void LoadSubmenuFromResource(TMenuItem& item, const std::string& templateName)
{
    TMenu scratch(nullptr);
    const TResourceData data = LoadResourceData(templateName, "_MENU");
    if (!data)
        return;
    BuildMenuFromTemplate(scratch, data.Data, data.Size);
    while (scratch.Items().Count() > 0) {
        TMenuItem* moved = scratch.Items().Items(0);
        item.Add(moved);
        TakeOwnership(*moved, item.Owner(), scratch);
    }
}

namespace {

TMenuItem* FindByTag(TMenuItem& parent, int32_t id)
{
    for (int i = parent.Count() - 1; i >= 0; --i) {
        TMenuItem* item = parent.Items(i);
        if (TMenuItem* found = FindByTag(*item, id))
            return found;
        if (item->Tag == id)
            return item;
    }
    return nullptr;
}

} // namespace

TMenuItem* FindMenuItemByTag(TMenu& menu, int32_t id)
{
    return FindByTag(menu.Items(), id);
}
