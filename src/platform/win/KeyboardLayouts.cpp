#include "platform/win/KeyboardLayouts.h"

#include "platform/runtime/CodePages.h"
#include "platform/win/Messages.h"

#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace {

// The language identifier of each layout the program knows by name.
struct TLayoutLanguage {
    const char* Name;
    uint16_t Language;
};
constexpr TLayoutLanguage kLayoutLanguages[] = {
    {"fr", 0x040C}, {"de", 0x0407}, {"us", 0x0409}, {"gb", 0x0809}, {"es", 0x040A}, {"it", 0x0410},
    {"be", 0x080C}, {"ca", 0x0C0C}, {"ch", 0x0807}, {"nl", 0x0413}, {"pt", 0x0816}, {"br", 0x0416},
    {"se", 0x041D}, {"dk", 0x0406}, {"no", 0x0414}, {"fi", 0x040B}, {"pl", 0x0415}, {"cz", 0x0405},
};

// The character keys: evdev code and the virtual key of that place on the
// French keyboard (letters and top-row digits are worked out from the layout).
constexpr std::array<std::pair<uint8_t, uint8_t>, 48> kCharacterKeys = {{
    {2, 0},  {3, 0},  {4, 0},  {5, 0},  {6, 0},  {7, 0},  {8, 0},  {9, 0},  {10, 0}, {11, 0}, {12, 0xDB}, {13, 0xBB},
    {16, 0}, {17, 0}, {18, 0}, {19, 0}, {20, 0}, {21, 0}, {22, 0}, {23, 0}, {24, 0}, {25, 0}, {26, 0xDD}, {27, 0xBA},
    {30, 0}, {31, 0}, {32, 0}, {33, 0}, {34, 0}, {35, 0}, {36, 0}, {37, 0}, {38, 0}, {39, 0}, {40, 0xC0}, {41, 0xDE},
    {43, 0xDC}, {44, 0}, {45, 0}, {46, 0}, {47, 0}, {48, 0}, {49, 0}, {50, 0xBC}, {51, 0xBE}, {52, 0xBF},
    {53, 0xDF}, {86, VK_OEM_102},
}};

// A dead key's accent as a character of its own.
char32_t DeadKeyAccent(xkb_keysym_t sym)
{
    switch (sym) {
    case XKB_KEY_dead_grave: return U'`';
    case XKB_KEY_dead_acute: return 0xB4;
    case XKB_KEY_dead_circumflex: return U'^';
    case XKB_KEY_dead_tilde: return U'~';
    case XKB_KEY_dead_diaeresis: return 0xA8;
    case XKB_KEY_dead_cedilla: return 0xB8;
    default: return 0;
    }
}

struct TKeyLevels {
    uint8_t Vk = 0;
    // Unshifted, Shift, AltGr, Shift+AltGr (0: nothing).
    char32_t Chars[4] = {};
};

struct TCompiledLayout {
    std::string Name;
    HKL Handle = 0;
    std::vector<TKeyLevels> Keys;
};

char32_t LevelChar(xkb_keymap* keymap, xkb_keycode_t code, xkb_level_index_t level)
{
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, code, 0, level, &syms) != 1)
        return 0;
    if (char32_t accent = DeadKeyAccent(syms[0]))
        return accent;
    return xkb_keysym_to_utf32(syms[0]);
}

bool Compile(xkb_context* context, const std::string& name, TCompiledLayout& layout)
{
    uint16_t language = 0;
    for (const TLayoutLanguage& l : kLayoutLanguages)
        if (name == l.Name)
            language = l.Language;
    if (language == 0)
        return false;
    xkb_rule_names names{"evdev", "pc105", name.c_str(), "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return false;
    layout.Name = name;
    layout.Handle = static_cast<HKL>(language) << 16 | language;
    for (const auto& [evdev, placeVk] : kCharacterKeys) {
        TKeyLevels k;
        const xkb_keycode_t code = evdev + 8u;
        for (xkb_level_index_t level = 0; level < 4; ++level)
            k.Chars[level] = LevelChar(keymap, code, level);
        const char32_t base = k.Chars[0], shifted = k.Chars[1];
        if (base >= U'a' && base <= U'z')
            k.Vk = static_cast<uint8_t>(base - U'a' + 'A');
        else if (evdev >= 2 && evdev <= 11)
            k.Vk = static_cast<uint8_t>(evdev == 11 ? '0' : '1' + (evdev - 2));
        else if (shifted >= U'A' && shifted <= U'Z')
            k.Vk = static_cast<uint8_t>(shifted);
        else
            k.Vk = placeVk;
        if (k.Vk != 0)
            layout.Keys.push_back(k);
    }
    // The space bar types a space under every layout.
    layout.Keys.push_back({VK_SPACE, {U' ', U' ', 0, 0}});
    xkb_keymap_unref(keymap);
    return true;
}

struct TLayoutRegistry {
    std::mutex Lock;
    bool Loaded = false;
    std::vector<TCompiledLayout> Layouts;
    HKL Active = 0;
};

TLayoutRegistry& Registry()
{
    static TLayoutRegistry registry;
    return registry;
}

std::vector<std::string> SplitNames(const std::string& list)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = list.find(',', start);
        const std::string name = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!name.empty())
            names.push_back(name);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return names;
}

void LoadLocked(TLayoutRegistry& r, const std::vector<std::string>& names)
{
    r.Layouts.clear();
    r.Active = 0;
    r.Loaded = true;
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context)
        return;
    for (const std::string& name : names) {
        TCompiledLayout layout;
        if (Compile(context, name, layout))
            r.Layouts.push_back(std::move(layout));
    }
    xkb_context_unref(context);
    if (!r.Layouts.empty())
        r.Active = r.Layouts.front().Handle;
}

TLayoutRegistry& LoadedRegistry()
{
    TLayoutRegistry& r = Registry();
    if (!r.Loaded) {
        const char* desktop = std::getenv("XKB_DEFAULT_LAYOUT");
        LoadLocked(r, SplitNames(desktop && *desktop ? desktop : "fr"));
    }
    return r;
}

const TCompiledLayout* FindLayout(TLayoutRegistry& r, HKL handle)
{
    for (const TCompiledLayout& l : r.Layouts)
        if (l.Handle == handle)
            return &l;
    return nullptr;
}

uint8_t AnsiOf(char32_t c)
{
    if (c == 0 || c > 0xFFFF)
        return 0;
    const char16_t wide[1] = {static_cast<char16_t>(c)};
    bool usedDefault = false;
    const std::string bytes = FromWide(std::u16string_view(wide, 1), 1252, &usedDefault);
    return usedDefault || bytes.size() != 1 ? 0 : static_cast<uint8_t>(bytes[0]);
}

} // namespace

std::vector<HKL> GetKeyboardLayoutList()
{
    TLayoutRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    LoadedRegistry();
    std::vector<HKL> list;
    for (const TCompiledLayout& l : r.Layouts)
        list.push_back(l.Handle);
    return list;
}

void SetKeyboardLayoutNames(const std::vector<std::string>& names)
{
    TLayoutRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    LoadLocked(r, names);
}

HKL GetKeyboardLayout(uint32_t /*threadId*/)
{
    return GetActiveKeyboardLayout();
}

HKL GetActiveKeyboardLayout()
{
    TLayoutRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    return LoadedRegistry().Active;
}

bool ActivateKeyboardLayout(HKL layout)
{
    TLayoutRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    if (!FindLayout(LoadedRegistry(), layout))
        return false;
    r.Active = layout;
    return true;
}

std::string KeyboardLayoutName(HKL layout)
{
    TLayoutRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    const TCompiledLayout* l = FindLayout(LoadedRegistry(), layout);
    return l ? l->Name : std::string();
}

int16_t VkKeyScanEx(char character, HKL layout)
{
    TLayoutRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    const TCompiledLayout* l = FindLayout(LoadedRegistry(), layout);
    if (!l)
        return -1;
    const uint8_t wanted = static_cast<uint8_t>(character);
    static const uint8_t shifts[4] = {0, 1, 6, 7};
    for (int level = 0; level < 4; ++level)
        for (const TKeyLevels& k : l->Keys)
            if (k.Chars[level] != 0 && AnsiOf(k.Chars[level]) == wanted)
                return static_cast<int16_t>(shifts[level] << 8 | k.Vk);
    return -1;
}

int32_t ToAsciiEx(uint32_t virtualKey, uint32_t /*scanCode*/, const uint8_t keyState[256], uint16_t* character,
                  uint32_t /*flags*/, HKL layout)
{
    TLayoutRegistry& r = Registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    const TCompiledLayout* l = FindLayout(LoadedRegistry(), layout);
    if (!l || !character)
        return 0;
    const bool shift = (keyState[VK_SHIFT] & 0x80) != 0;
    const bool ctrl = (keyState[VK_CONTROL] & 0x80) != 0;
    const bool alt = (keyState[VK_MENU] & 0x80) != 0;
    if (ctrl != alt)
        return 0;  // Ctrl or Alt alone types no character here
    const int level = (shift ? 1 : 0) + (ctrl && alt ? 2 : 0);
    for (const TKeyLevels& k : l->Keys) {
        if (k.Vk != virtualKey)
            continue;
        const uint8_t c = AnsiOf(k.Chars[level]);
        if (c == 0)
            return 0;
        *character = c;
        return 1;
    }
    return 0;
}
