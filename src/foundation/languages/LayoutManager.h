#pragma once
// TLayoutManager: the keyboard layouts the desktop offers and the character
// the same key gives under another layout, which the layout-conversion tool
// uses to retype text typed with the wrong layout active.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/KeyboardLayouts.h"

struct TLayout {
    HKL Handle = 0;  // its low 16 bits are the language identifier
    std::string Name;  // the display name of that language
    // For each character 0 to 255 the key that types it: low byte the
    // virtual key, high byte the shifts; 0xFFFF when no key types it.
    std::array<uint16_t, 256> KeyTable{};
    uint8_t Charset = 0;
    int32_t Language() const { return static_cast<int32_t>(Handle & 0xFFFF); }
};

class TLayoutManager {
public:
    // Makes a layout for each of the desktop's layouts, in its order.
    void LoadLayouts();
    // Makes the desktop's active layout current (unchanged when it is not listed).
    void UpdateCurrentLayout();
    // The last layout of that language; the current index when none.
    int32_t IndexOfLanguage(int32_t language) const;
    // The character the key that types c under source types under target
    // (c itself when no key of source types it; a control character becomes
    // a space).
    char TranslateChar(char c, const TLayout& source, const TLayout& target) const;

    const std::vector<std::unique_ptr<TLayout>>& Layouts() const { return FLayouts; }
    int32_t CurrentIndex() const { return FCurrent; }

private:
    std::vector<std::unique_ptr<TLayout>> FLayouts;
    int32_t FCurrent = -1;
};
