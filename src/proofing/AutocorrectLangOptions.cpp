#include "proofing/AutocorrectLangOptions.h"

#include "foundation/TextTables.h"

#include <initializer_list>

namespace {

constexpr int32_t French = 12;
constexpr int32_t German = 7;

void Mark(std::array<bool, 256>& table, std::initializer_list<int> codes)
{
    for (int c : codes)
        table[static_cast<size_t>(c)] = true;
}

void MarkText(std::array<bool, 256>& table, const char* text)
{
    for (; *text; ++text)
        table[static_cast<uint8_t>(*text)] = true;
}

}  // namespace

TAutocorrectLangOptions::TAutocorrectLangOptions(int32_t language) : Language(language & 0x3FF)
{
    Quotes = Language == French ? 1 : Language == German ? 2 : 0;
    // Codes 2 to 7, the non-breaking space and hyphen and the blank attach on
    // both sides; code 15 only to the text before it.
    for (auto* table : {&LeftAdjSep, &RightAdjSep}) {
        Mark(*table, {2, 3, 4, 5, 6, 7, 10, 11, ' '});
    }
    Mark(RightAdjSep, {15});
    // French typography wants a space before ! ? : and after « and before »,
    // unless the program's own language is Canadian French.
    if (Language == French && GetUserDefaultLangID() != 0x0C0C) {
        MarkText(LeftAdjSep, "#(*+-/=@[^_{~");
        Mark(LeftAdjSep, {0x84, 0x93});
        MarkText(RightAdjSep, ")*+,-./;=@]^_}~");
        Mark(RightAdjSep, {0x94});
    } else {
        MarkText(LeftAdjSep, "#$(*+-/=@[^_{~");
        Mark(LeftAdjSep, {0x80, 0x84, 0x93, 0xAB});
        MarkText(RightAdjSep, "!%)*+,-./:;?@]^_}~");
        Mark(RightAdjSep, {0x94, 0xBB});
    }
    CapSentEx.SetSorted(true);
    OtherEx.SetSorted(true);
}

bool TAutocorrectLangOptions::IsWordDelimiter(uint8_t c) const
{
    return DelimiterCharTable[c];
}

bool TAutocorrectLangOptions::IsOpeningQuote(uint8_t c) const
{
    switch (c) {
    case 0x84:
        return true;
    case 0x93:
        return Quotes != 2;
    case 0xBB:
        return Quotes == 3;
    case 0xAB:
        return Quotes != 3;
    default:
        return false;
    }
}

bool TAutocorrectLangOptions::IsClosingQuote(uint8_t c) const
{
    switch (c) {
    case 0x94:
        return true;
    case 0x93:
        return Quotes == 2;
    case 0xAB:
        return Quotes == 3;
    case 0xBB:
        return Quotes != 3;
    default:
        return false;
    }
}

bool TAutocorrectLangOptions::IsCapSentException(const std::string& word) const
{
    int32_t index = 0;
    return CapSentEx.Find(word, index);
}

TAutocorrectLangOptions& TAutocorrectLangOptionsManager::GetLangOptions(LANGID language)
{
    const int32_t primary = language & 0x3FF;
    for (auto it = FList.rbegin(); it != FList.rend(); ++it)
        if ((*it)->Language == primary)
            return **it;
    FList.push_back(std::make_unique<TAutocorrectLangOptions>(primary));
    return *FList.back();
}

TAutocorrectLangOptionsManager& GetAutocorrectLangOptionsManager()
{
    static TAutocorrectLangOptionsManager manager;
    return manager;
}
