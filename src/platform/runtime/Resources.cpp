#include "platform/runtime/Resources.h"

namespace {
bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x -= 32;
        if (y >= 'a' && y <= 'z')
            y -= 32;
        if (x != y)
            return false;
    }
    return true;
}

const TEmbeddedResource kNoEntry{nullptr, nullptr, nullptr};
const unsigned char* const kNoEnd = nullptr;
}  // namespace

__attribute__((weak)) const TEmbeddedResourceTable& EldravinEmbeddedResources()
{
    static const TEmbeddedResourceTable empty{&kNoEntry, &kNoEnd, 0};
    return empty;
}

TResourceData FindResourceData(std::string_view type, std::string_view name)
{
    const TEmbeddedResourceTable& table = EldravinEmbeddedResources();
    for (size_t i = 0; i < table.Count; ++i) {
        const TEmbeddedResource& e = table.Entries[i];
        if (SameText(e.Type, type) && SameText(e.Name, name))
            return TResourceData{e.Data, static_cast<size_t>(table.Ends[i] - e.Data)};
    }
    return {};
}

bool ResourceExists(std::string_view type, std::string_view name)
{
    return static_cast<bool>(FindResourceData(type, name));
}

std::vector<std::string> ResourceNames(std::string_view type)
{
    std::vector<std::string> names;
    const TEmbeddedResourceTable& table = EldravinEmbeddedResources();
    for (size_t i = 0; i < table.Count; ++i)
        if (SameText(table.Entries[i].Type, type))
            names.emplace_back(table.Entries[i].Name);
    return names;
}
