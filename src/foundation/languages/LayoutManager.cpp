#include "foundation/languages/LayoutManager.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/managers/LanguageManager.h"
#include "platform/win/Messages.h"

void TLayoutManager::LoadLayouts()
{
    FLayouts.clear();
    FCurrent = -1;
    for (HKL handle : GetKeyboardLayoutList()) {
        auto layout = std::make_unique<TLayout>();
        layout->Handle = handle;
        layout->Name = GetLanguageManager().GetLanguageName(layout->Language());
        for (int c = 0; c < 256; ++c)
            layout->KeyTable[static_cast<size_t>(c)] =
                static_cast<uint16_t>(VkKeyScanEx(static_cast<char>(c), handle));
        layout->Charset = GetLocaleCharset(static_cast<LCID>(layout->Language()), false);
        FLayouts.push_back(std::move(layout));
    }
}

void TLayoutManager::UpdateCurrentLayout()
{
    const HKL active = GetActiveKeyboardLayout();
    for (int32_t i = static_cast<int32_t>(FLayouts.size()) - 1; i >= 0; --i)
        if (FLayouts[static_cast<size_t>(i)]->Handle == active) {
            FCurrent = i;
            return;
        }
}

int32_t TLayoutManager::IndexOfLanguage(int32_t language) const
{
    for (int32_t i = static_cast<int32_t>(FLayouts.size()) - 1; i >= 0; --i)
        if (FLayouts[static_cast<size_t>(i)]->Language() == language)
            return i;
    return FCurrent;
}

char TLayoutManager::TranslateChar(char c, const TLayout& source, const TLayout& target) const
{
    const uint16_t k = source.KeyTable[static_cast<uint8_t>(c)];
    if (k == 0xFFFF)
        return c;
    uint8_t state[256] = {};
    if (k & 0x100)
        state[VK_SHIFT] = 0x80;
    uint16_t result = 0;
    if (ToAsciiEx(k & 0xFF, 0, state, &result, 0, target.Handle) != 1)
        result = 0;
    return result < 32 ? ' ' : static_cast<char>(result);
}
