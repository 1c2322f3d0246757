#include "foundation/managers/ColorManager.h"

#include "foundation/managers/SharedManagersHost.h"
#include "platform/gdi/Drawing.h"
#include "platform/win/SysColors.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::unique_ptr<TColorManager> g_Manager;

// Per element: a literal colour when the high byte is set, else the index of
// a system colour.
constexpr uint32_t kElementDefaults[ColorElementCount] = {
    COLOR_WINDOWTEXT, COLOR_WINDOWTEXT, COLOR_WINDOW, 0xFFFF0000,     COLOR_BTNSHADOW,
    COLOR_WINDOWTEXT, COLOR_BTNFACE,    COLOR_BTNSHADOW, COLOR_WINDOW, COLOR_WINDOWTEXT,
    COLOR_WINDOWTEXT, COLOR_BTNFACE,    0xFF0000FF,
};

constexpr int32_t kBasicColors[BasicColorCount] = {
    0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0xFF00FF, 0x0000FF, 0x00FFFF, 0xFFFFFF,
    0x800000, 0x808000, 0x008000, 0x800080, 0x000080, 0x008080, 0x808080, 0xC0C0C0,
};

const char* const kBasicColorNames[BasicColorCount + 1] = {
    "Automatique", "Noir",        "Bleu",       "Cyan",       "Vert vif", "Magenta",
    "Rouge",       "Jaune",       "Blanc",      "Bleu marine", "Cyan foncé", "Vert foncé",
    "Violet",      "Bordeaux",    "Olive",      "Gris",       "Gris clair",
};

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

// --- TColorScheme ---

TColorScheme::TColorScheme()
{
    std::fill(std::begin(Colors), std::end(Colors), DefaultElementColor);
}

void TColorScheme::Assign(const TColorScheme& source)
{
    std::copy(std::begin(source.Colors), std::end(source.Colors), std::begin(Colors));
}

std::string TColorScheme::GetAsText() const
{
    static const char kDigits[] = "0123456789ABCDEF";
    int32_t count = ColorElementCount;
    while (count > 0 && Colors[count - 1] == DefaultElementColor)
        --count;
    std::string text;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t value = static_cast<uint32_t>(Colors[i]);
        for (int shift = 28; shift >= 0; shift -= 4)
            text += kDigits[(value >> shift) & 0xF];
    }
    return text;
}

void TColorScheme::SetAsText(const std::string& text)
{
    std::fill(std::begin(Colors), std::end(Colors), DefaultElementColor);
    const size_t count = std::min<size_t>(text.size() / 8, ColorElementCount);
    for (size_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        for (size_t j = 0; j < 8; ++j) {
            // A character that is no hexadecimal digit counts as 0.
            const int digit = HexDigit(text[i * 8 + j]);
            value = (value << 4) | static_cast<uint32_t>(digit < 0 ? 0 : digit);
        }
        Colors[i] = static_cast<int32_t>(value);
    }
}

int32_t TColorScheme::GetColor(int32_t element) const
{
    if (element < 0 || element >= ColorElementCount)
        return 0;
    return Colors[element] != DefaultElementColor ? Colors[element] : DefaultElementColorOf(element);
}

int32_t DefaultElementColorOf(int32_t element)
{
    if (element < 0 || element >= ColorElementCount)
        return 0;
    const uint32_t entry = kElementDefaults[element];
    if ((entry >> 24) != 0)
        return static_cast<int32_t>(entry & 0xFFFFFF);
    return static_cast<int32_t>(GetSysColor(static_cast<int>(entry)));
}

// --- TPaletteColor ---

TPaletteColor::~TPaletteColor()
{
    if (FBrush)
        DeleteObject(FBrush);
}

void TPaletteColor::SetColor(int32_t color)
{
    if (FBrush) {
        DeleteObject(FBrush);
        FBrush = nullptr;
    }
    FColor = color;
}

HBRUSH TPaletteColor::GetBrush()
{
    if (!FBrush)
        FBrush = CreateSolidBrush(static_cast<COLORREF>(FColor));
    return FBrush;
}

// --- TColorPalette ---

void TColorPalette::ApplyScheme(const TColorScheme& scheme)
{
    for (int32_t i = 0; i < ColorElementCount; ++i)
        FColors[i].SetColor(scheme.GetColor(i));
}

// --- TColorManager ---

TColorManager::TColorManager() : FScreen(std::make_unique<TColorPalette>()), FCurrent(FScreen.get())
{
    // The element defaults until the options' scheme is applied.
    FScreen->ApplyScheme(TColorScheme());
}

TColorManager::~TColorManager() = default;

TColorScheme TColorManager::FactoryScheme()
{
    TColorScheme scheme;
    const int32_t colors[] = {0x000000, 0x000000, 0xFFFFFF, 0xFF0000, 0x808080, 0x000000};
    std::copy(std::begin(colors), std::end(colors), scheme.Colors);
    return scheme;
}

TColorPalette& TColorManager::GetDefaultPalette()
{
    if (!FDefault) {
        FDefault = std::make_unique<TColorPalette>();
        FDefault->ApplyScheme(FactoryScheme());
    }
    return *FDefault;
}

void TColorManager::UseScreenPalette()
{
    FCurrent = FScreen.get();
}

void TColorManager::UseDefaultPalette()
{
    FCurrent = &GetDefaultPalette();
}

void TColorManager::UseFullScreenPalette()
{
    FCurrent = &GetFullScreenPalette();
}

void TColorManager::ApplyOptionsScheme()
{
    const TColorScheme* scheme = SharedManagersHost().OptionsColorScheme();
    FScreen->ApplyScheme(scheme ? *scheme : TColorScheme());
    if (FDefault) {
        const bool current = FCurrent == FDefault.get();
        FDefault.reset();
        GetDefaultPalette();
        if (current)
            FCurrent = FDefault.get();
    }
    SharedManagersHost().ColorsChanged();
}

void TColorManager::MapDocumentColors(std::vector<TDocColorEntry>& table) const
{
    for (TDocColorEntry& entry : table)
        entry.Index = entry.Automatic ? 0 : FindNearestBasicColor(entry.Color);
}

bool TColorManager::SameSchemes(const TColorScheme& a, const TColorScheme& b)
{
    return std::equal(std::begin(a.Colors), std::end(a.Colors), std::begin(b.Colors));
}

TColorManager* GetColorManager()
{
    return g_Manager.get();
}

void CreateColorManager()
{
    g_Manager = std::make_unique<TColorManager>();
}

void FreeColorManager()
{
    g_Manager.reset();
}

// --- Basic colours ---

int32_t BasicColor(int32_t index)
{
    return index >= 1 && index <= BasicColorCount ? kBasicColors[index - 1] : 0;
}

std::string BasicColorName(int32_t index)
{
    return index >= 0 && index <= BasicColorCount ? kBasicColorNames[index] : "";
}

int32_t FindNearestBasicColor(int32_t color)
{
    const auto channel = [](int32_t value, int shift) { return (value >> shift) & 0xFF; };
    int32_t best = 765;
    int32_t bestIndex = 16;
    for (int32_t index = 1; index <= BasicColorCount; ++index) {
        const int32_t basic = kBasicColors[index - 1];
        const int32_t distance = std::abs(channel(color, 0) - channel(basic, 0)) +
                                 std::abs(channel(color, 8) - channel(basic, 8)) +
                                 std::abs(channel(color, 16) - channel(basic, 16));
        if (distance < best) {
            best = distance;
            bestIndex = index;
        }
    }
    return bestIndex;
}
