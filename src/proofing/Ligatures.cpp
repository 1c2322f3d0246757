#include "proofing/Ligatures.h"

#include "proofing/AutocorrectLangOptions.h"

#include <cctype>
#include <cstring>

namespace {

constexpr LCID FrenchLocale = 0x040C;

bool IsUpperCaseWord(const std::string& word)
{
    return LocaleUpperCase(FrenchLocale, word) == word;
}

}  // namespace

std::string MakeLigatures(const std::string& word)
{
    static const char* const keepApart[] = {"Caen",     "Defoe",    "Groenland", "groenlandais", "maelström",
                                            "maerl",    "maestoso", "maestria",  "maestro",      "reggae"};
    const std::string upper = LocaleUpperCase(FrenchLocale, word);
    for (const char* w : keepApart)
        if (upper == LocaleUpperCase(FrenchLocale, w))
            return word;
    const bool loess = upper == "LOESS" || upper == "LOESSIQUE";
    std::string r = word;
    for (size_t i = r.size(); i-- > 1;) {
        if (r[i] != 'e' && r[i] != 'E')
            continue;
        const char first = r[i - 1];
        if (first == 'a' || first == 'A') {
            r.replace(i - 1, 2, 1, first == 'A' ? '\xC6' : '\xE6');
            --i;
        } else if (first == 'o' || first == 'O') {
            if (i + 2 < r.size()) {
                const char a = static_cast<char>(std::toupper(static_cast<unsigned char>(r[i + 1])));
                const char b = static_cast<char>(std::toupper(static_cast<unsigned char>(r[i + 2])));
                if (a == b && a != '\0' && std::strchr("LFTSNM", a) && !loess)
                    continue;
            }
            r.replace(i - 1, 2, 1, first == 'O' ? '\x8C' : '\x9C');
            --i;
        }
    }
    return r;
}

std::string ExpandLigatureText(const std::string& word)
{
    const bool capitals = IsUpperCaseWord(word);
    std::string r = word;
    for (size_t i = r.size(); i-- > 0;) {
        const char c = r[i];
        const bool firstMixed = i == 0 && !capitals;
        if (c == '\x9C')
            r.replace(i, 1, "oe");
        else if (c == '\xE6')
            r.replace(i, 1, "ae");
        else if (c == '\x8C')
            r.replace(i, 1, firstMixed ? "Oe" : "OE");
        else if (c == '\xC6')
            r.replace(i, 1, firstMixed ? "Ae" : "AE");
    }
    return r;
}

std::string TAutocorrectLangOptions::ApplyLigatures(const std::string& text) const
{
    if (!(Flags & 0x1))
        return text;
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = i;
        if (static_cast<uint8_t>(text[i]) >= 32) {
            while (j < text.size() && static_cast<uint8_t>(text[j]) >= 32)
                ++j;
            out += MakeLigatures(text.substr(i, j - i));
        } else {
            while (j < text.size() && static_cast<uint8_t>(text[j]) < 32)
                ++j;
            out += text.substr(i, j - i);
        }
        i = j;
    }
    return out;
}

std::string TAutocorrectLangOptions::ExpandLigatures(const std::string& word) const
{
    return ExpandLigatureText(word);
}
