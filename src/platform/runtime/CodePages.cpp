#include "platform/runtime/CodePages.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

// Windows-1252 as the original platform converts it: the five undefined bytes
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct TCodePageTable {
    std::array<char16_t, 256> ToWide{};
    std::unordered_map<char16_t, uint8_t> FromWide;
    UConverter* Fallback = nullptr;  // best-fit for characters outside the table
    ~TCodePageTable()
    {
        if (Fallback)
            ucnv_close(Fallback);
    }
};

std::atomic<uint32_t> g_OemCodePage{437};

uint32_t Normalise(uint32_t codePage)
{
    if (codePage == CP_ACP)
        return 1252;
    if (codePage == CP_OEMCP)
        return g_OemCodePage.load();
    return codePage;
}

const char* IcuName(uint32_t cp)
{
    switch (cp) {
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 437: return "ibm-437";
    case 850: return "ibm-850";
    case CP_MACROMAN: return "macintosh";
    default: return nullptr;
    }
}

void FillReverse(TCodePageTable& t)
{
    for (int b = 255; b >= 0; --b)
        t.FromWide[t.ToWide[b]] = static_cast<uint8_t>(b);
}

std::unique_ptr<TCodePageTable> BuildTable(uint32_t cp)
{
    auto t = std::make_unique<TCodePageTable>();
    for (int b = 0; b < 128; ++b)
        t->ToWide[b] = static_cast<char16_t>(b);
    if (cp == 1252) {
        for (int b = 0x80; b < 0xA0; ++b)
            t->ToWide[b] = kCp1252High[b - 0x80];
        for (int b = 0xA0; b < 256; ++b)
            t->ToWide[b] = static_cast<char16_t>(b);
    } else if (cp == CP_SYMBOL) {
        for (int b = 0; b < 256; ++b)
            t->ToWide[b] = static_cast<char16_t>(0xF000 + b);
    } else {
        UErrorCode err = U_ZERO_ERROR;
        UConverter* cnv = ucnv_open(IcuName(cp), &err);
        std::array<bool, 256> defined{};
        for (int b = 0x80; b < 256 && U_SUCCESS(err); ++b) {
            char in = static_cast<char>(b);
            UChar out[4];
            UErrorCode e = U_ZERO_ERROR;
            ucnv_reset(cnv);
            ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &e);
            int32_t n = ucnv_toUChars(cnv, out, 4, &in, 1, &e);
            if (U_SUCCESS(e) && n == 1) {
                t->ToWide[b] = out[0];
                defined[b] = true;
            }
        }
        if (cnv)
            ucnv_close(cnv);
        // Bytes the code page leaves undefined still convert, to a character that
        // converts back to them: the C1 control or Latin-1 letter of the same value
        // when the code page does not use it, else a private-use character.
        std::unordered_map<char16_t, bool> used;
        for (int b = 0; b < 256; ++b)
            if (b < 128 || defined[b])
                used[t->ToWide[b]] = true;
        for (int b = 0x80; b < 256; ++b)
            if (!defined[b])
                t->ToWide[b] = used.count(static_cast<char16_t>(b)) ? static_cast<char16_t>(0xF700 + b)
                                                                   : static_cast<char16_t>(b);
    }
    FillReverse(*t);
    if (cp != CP_SYMBOL) {
        UErrorCode err = U_ZERO_ERROR;
        const char* name = cp == 1252 ? "windows-1252" : IcuName(cp);
        t->Fallback = ucnv_open(name, &err);
        if (U_FAILURE(err)) {
            t->Fallback = nullptr;
        } else {
            ucnv_setFallback(t->Fallback, true);
            UErrorCode e = U_ZERO_ERROR;
            ucnv_setFromUCallBack(t->Fallback, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &e);
        }
    }
    return t;
}

std::mutex g_TablesLock;

const TCodePageTable& Table(uint32_t codePage)
{
    static std::unordered_map<uint32_t, std::unique_ptr<TCodePageTable>> tables;
    uint32_t cp = Normalise(codePage);
    if (cp != 1252 && cp != CP_SYMBOL && !IcuName(cp))
        cp = 1252;
    std::lock_guard<std::mutex> lock(g_TablesLock);
    auto& slot = tables[cp];
    if (!slot)
        slot = BuildTable(cp);
    return *slot;
}

// Best-fit byte of one character through ICU's fallback mappings; 0 if none.
bool BestFit(const TCodePageTable& t, char32_t c, uint8_t& out)
{
    if (!t.Fallback)
        return false;
    UChar in[2];
    int32_t len = 0;
    U16_APPEND_UNSAFE(in, len, c);
    char buf[8];
    UErrorCode e = U_ZERO_ERROR;
    std::lock_guard<std::mutex> lock(g_TablesLock);
    ucnv_reset(t.Fallback);
    int32_t n = ucnv_fromUChars(t.Fallback, buf, sizeof buf, in, len, &e);
    if (U_FAILURE(e) || n != 1)
        return false;
    out = static_cast<uint8_t>(buf[0]);
    return true;
}

// Latin letters with diacritics that have no byte of their own fall back to the
// base letter, as the platform's best-fit tables do.
char32_t StripDiacritic(char32_t c)
{
    static const char* const kBases =
        // U+0100 .. U+017F
        "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi\0\0JjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
    static const char kLatin1[] = "AAAAAA\0CEEEEIIII\0NOOOOO\0OUUUUY\0\0aaaaaa\0ceeeeiiii\0nooooo\0ouuuuy\0y";
    if (c >= 0xC0 && c < 0x100) {
        char b = kLatin1[c - 0xC0];
        return b ? static_cast<char32_t>(b) : 0;
    }
    if (c >= 0x100 && c < 0x180) {
        char b = kBases[c - 0x100];
        return b ? static_cast<char32_t>(b) : 0;
    }
    return 0;
}

}  // namespace

uint32_t GetACP()
{
    return 1252;
}

uint32_t GetOEMCP()
{
    return g_OemCodePage.load();
}

bool SetOEMCP(uint32_t codePage)
{
    if (codePage != 437 && codePage != 850)
        return false;
    g_OemCodePage.store(codePage);
    return true;
}

namespace {

struct TOemAnsiTables {
    uint8_t OemToAnsi[256];
    uint8_t AnsiToOem[256];
};

TOemAnsiTables BuildOemAnsiTables(uint32_t oemCodePage)
{
    TOemAnsiTables t{};
    bool oemDone[256] = {};
    bool ansiTaken[256] = {};
    auto pair = [&](int oem, int ansi) {
        t.OemToAnsi[oem] = static_cast<uint8_t>(ansi);
        t.AnsiToOem[ansi] = static_cast<uint8_t>(oem);
        oemDone[oem] = true;
        ansiTaken[ansi] = true;
    };
    for (int b = 0; b < 128; ++b)
        pair(b, b);
    const TCodePageTable& oem = Table(oemCodePage);
    const TCodePageTable& ansi = Table(1252);
    // The characters both code pages hold.
    for (int b = 128; b < 256; ++b) {
        auto it = ansi.FromWide.find(oem.ToWide[b]);
        if (it != ansi.FromWide.end() && it->second >= 128 && !ansiTaken[it->second])
            pair(b, it->second);
    }
    // Best fits that are still free.
    for (int b = 128; b < 256; ++b) {
        if (oemDone[b])
            continue;
        uint8_t fit = 0;
        if (BestFit(ansi, oem.ToWide[b], fit) && fit >= 128 && !ansiTaken[fit])
            pair(b, fit);
    }
    // The rest in the order of the codes.
    int next = 128;
    for (int b = 128; b < 256; ++b) {
        if (oemDone[b])
            continue;
        while (ansiTaken[next])
            ++next;
        pair(b, next);
    }
    return t;
}

const TOemAnsiTables& OemAnsiTables(uint32_t oemCodePage)
{
    static const TOemAnsiTables cp437 = BuildOemAnsiTables(437);
    static const TOemAnsiTables cp850 = BuildOemAnsiTables(850);
    return oemCodePage == 850 ? cp850 : cp437;
}

}  // namespace

void OemToCharBuff(const char* source, char* destination, size_t length)
{
    const uint8_t* map = OemAnsiTables(GetOEMCP()).OemToAnsi;
    for (size_t i = 0; i < length; ++i)
        destination[i] = static_cast<char>(map[static_cast<uint8_t>(source[i])]);
}

void CharToOemBuff(const char* source, char* destination, size_t length)
{
    const uint8_t* map = OemAnsiTables(GetOEMCP()).AnsiToOem;
    for (size_t i = 0; i < length; ++i)
        destination[i] = static_cast<char>(map[static_cast<uint8_t>(source[i])]);
}

void GetOemAnsiTables(uint32_t oemCodePage, uint8_t (&oemToAnsi)[256], uint8_t (&ansiToOem)[256])
{
    const TOemAnsiTables& t = OemAnsiTables(oemCodePage);
    std::memcpy(oemToAnsi, t.OemToAnsi, sizeof oemToAnsi);
    std::memcpy(ansiToOem, t.AnsiToOem, sizeof ansiToOem);
}

bool IsValidCodePage(uint32_t codePage)
{
    uint32_t cp = Normalise(codePage);
    return cp == 1252 || cp == CP_SYMBOL || cp == CP_UTF8 || IcuName(cp) != nullptr;
}

char16_t ByteToWide(uint8_t byte, uint32_t codePage)
{
    return Table(codePage).ToWide[byte];
}

std::u16string ToWide(std::string_view bytes, uint32_t codePage)
{
    if (Normalise(codePage) == CP_UTF8)
        return WideFromUtf8(bytes);
    const TCodePageTable& t = Table(codePage);
    std::u16string out;
    out.resize(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = t.ToWide[static_cast<uint8_t>(bytes[i])];
    return out;
}

std::string FromWide(std::u16string_view text, uint32_t codePage, bool* usedDefault, char defaultChar, bool bestFit)
{
    if (usedDefault)
        *usedDefault = false;
    if (Normalise(codePage) == CP_UTF8)
        return Utf8FromWide(text);
    const TCodePageTable& t = Table(codePage);
    const bool symbol = Normalise(codePage) == CP_SYMBOL;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (U16_IS_LEAD(c) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
            c = U16_GET_SUPPLEMENTARY(c, text[i + 1]);
            ++i;
        }
        if (c < 0x10000) {
            auto it = t.FromWide.find(static_cast<char16_t>(c));
            if (it != t.FromWide.end()) {
                out += static_cast<char>(it->second);
                continue;
            }
            if (symbol && c < 0x100) {
                out += static_cast<char>(c);
                continue;
            }
        }
        uint8_t b = 0;
        if (bestFit && !symbol) {
            if (BestFit(t, c, b)) {
                out += static_cast<char>(b);
                continue;
            }
            char32_t base = StripDiacritic(c);
            if (base) {
                auto it = t.FromWide.find(static_cast<char16_t>(base));
                if (it != t.FromWide.end()) {
                    out += static_cast<char>(it->second);
                    continue;
                }
            }
        }
        out += defaultChar;
        if (usedDefault)
            *usedDefault = true;
    }
    return out;
}

std::string ConvertCodePage(std::string_view bytes, uint32_t fromCodePage, uint32_t toCodePage, bool* usedDefault)
{
    return FromWide(ToWide(bytes, fromCodePage), toCodePage, usedDefault);
}

std::string Utf8FromWide(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (U16_IS_LEAD(c) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1])) {
            c = U16_GET_SUPPLEMENTARY(c, text[i + 1]);
            ++i;
        } else if (U16_IS_SURROGATE(c)) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string WideFromUtf8(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    int32_t i = 0;
    const int32_t n = static_cast<int32_t>(utf8.size());
    while (i < n) {
        UChar32 c;
        U8_NEXT(s, i, n, c);
        if (c < 0)
            c = 0xFFFD;
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(U16_LEAD(c));
            out += static_cast<char16_t>(U16_TRAIL(c));
        }
    }
    return out;
}

std::string Utf8FromAnsi(std::string_view ansi)
{
    return Utf8FromWide(ToWide(ansi, 1252));
}

std::string AnsiFromUtf8(std::string_view utf8, bool* usedDefault)
{
    return FromWide(WideFromUtf8(utf8), 1252, usedDefault);
}

bool Utf8FitsAnsi(std::string_view utf8)
{
    bool used = false;
    std::string a = FromWide(WideFromUtf8(utf8), 1252, &used, '?', false);
    return !used && Utf8FromAnsi(a) == utf8;
}

uint32_t CodePageFromLangId(uint16_t langId)
{
    const uint16_t primary = langId & 0x3FF;
    const uint16_t sub = langId >> 10;
    switch (primary) {
    case 0x05: case 0x0E: case 0x15: case 0x18: case 0x1B: case 0x24: case 0x1C:  // cs hu pl ro sk sl sq
    case 0x1A:  // hr / sr / bs
        if (primary == 0x1A && (sub == 0x03 || sub == 0x07))  // Serbian and Bosnian in Cyrillic
            return 1251;
        return 1250;
    case 0x02: case 0x19: case 0x22: case 0x23: case 0x2F: case 0x3F: case 0x40: case 0x44: case 0x50:
        return 1251;  // bg ru uk be mk kk ky tt mn
    case 0x08: return 1253;
    case 0x1F: return 1254;
    case 0x2C: return sub == 0x02 ? 1251 : 1254;  // Azeri: Cyrillic or Latin
    case 0x43: return sub == 0x02 ? 1251 : 1254;  // Uzbek
    case 0x0D: return 1255;
    case 0x01: case 0x20: case 0x29: return 1256;  // ar ur fa
    case 0x25: case 0x26: case 0x27: return 1257;  // et lv lt
    case 0x2A: return 1258;
    case 0x1E: return 874;
    case 0x11: return 932;
    case 0x12: return 949;
    case 0x04: return (sub == 0x01 || sub == 0x04) ? 936 : 950;
    default: return 1252;
    }
}

uint8_t CharsetFromCodePage(uint32_t codePage)
{
    switch (Normalise(codePage)) {
    case 1252: return ANSI_CHARSET;
    case 1250: return EASTEUROPE_CHARSET;
    case 1251: return RUSSIAN_CHARSET;
    case 1253: return GREEK_CHARSET;
    case 1254: return TURKISH_CHARSET;
    case 1255: return HEBREW_CHARSET;
    case 1256: return ARABIC_CHARSET;
    case 1257: return BALTIC_CHARSET;
    case 1258: return VIETNAMESE_CHARSET;
    case 874: return THAI_CHARSET;
    case 932: return SHIFTJIS_CHARSET;
    case 936: return GB2312_CHARSET;
    case 949: return HANGEUL_CHARSET;
    case 950: return CHINESEBIG5_CHARSET;
    case 1361: return JOHAB_CHARSET;
    case CP_SYMBOL: return SYMBOL_CHARSET;
    case CP_MACROMAN: return MAC_CHARSET;
    case 437: case 850: return OEM_CHARSET;
    default: return DEFAULT_CHARSET;
    }
}

uint32_t CodePageFromCharset(uint8_t charset)
{
    switch (charset) {
    case ANSI_CHARSET: return 1252;
    case DEFAULT_CHARSET: return GetACP();
    case SYMBOL_CHARSET: return CP_SYMBOL;
    case MAC_CHARSET: return CP_MACROMAN;
    case SHIFTJIS_CHARSET: return 932;
    case HANGEUL_CHARSET: return 949;
    case JOHAB_CHARSET: return 1361;
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    case GREEK_CHARSET: return 1253;
    case TURKISH_CHARSET: return 1254;
    case VIETNAMESE_CHARSET: return 1258;
    case HEBREW_CHARSET: return 1255;
    case ARABIC_CHARSET: return 1256;
    case BALTIC_CHARSET: return 1257;
    case RUSSIAN_CHARSET: return 1251;
    case THAI_CHARSET: return 874;
    case EASTEUROPE_CHARSET: return 1250;
    case OEM_CHARSET: return GetOEMCP();
    default: return 1252;
    }
}
