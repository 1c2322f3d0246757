#pragma once
// Resources embedded into the executable at build time (resources/<TYPE>/<NAME>),
// found by type and name without regard to case, as the program looks them up.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TEmbeddedResource {
    const char* Type;
    const char* Name;
    const unsigned char* Data;
};

struct TEmbeddedResourceTable {
    const TEmbeddedResource* Entries;
    const unsigned char* const* Ends;
    size_t Count;
};

// Provided by the generated source of each executable; an executable without
// resources gets an empty table.
const TEmbeddedResourceTable& EldravinEmbeddedResources();

// A found resource: its bytes stay valid for the life of the program. The byte
// after the last one is always zero.
struct TResourceData {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    explicit operator bool() const { return Data != nullptr; }
    std::string_view View() const { return {reinterpret_cast<const char*>(Data), Size}; }
};

TResourceData FindResourceData(std::string_view type, std::string_view name);
bool ResourceExists(std::string_view type, std::string_view name);
// Names of all resources of a type, in the order they were embedded.
std::vector<std::string> ResourceNames(std::string_view type);
