// Randomized round trips of the runtime's text routines: string lists through
// their comma, delimited and line texts, file names between 1252 and UTF-8,
// numbers through their text forms, and Format fed garbage.
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/testing/Testing.h"
#include "platform/testing/TextSamples.h"

#include <charconv>
#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <random>
#include <set>
#include <vector>

namespace {

using TItems = std::vector<std::string>;

// Mostly the characters lists and paths give a meaning to.
std::string TrickyText(std::mt19937& rng, size_t maxLength)
{
    static const char kChars[] = "\",;' \t\r\n=[]\\/.?~%\x01\xA0\xE9\x81";
    static const std::string kSpecial(kChars, sizeof kChars);  // the final NUL too
    return RandomTextFrom(rng, maxLength, kSpecial);
}

TItems ItemsOf(const TStrings& list)
{
    TItems items;
    for (int32_t i = 0; i < list.Count(); ++i)
        items.push_back(list.Strings(i));
    return items;
}

}  // namespace

TEST(TextRoundTripFuzz, StringListTextsGiveBackTheirItems)
{
    std::mt19937 rng(1252);
    for (int round = 0; round < 1500; ++round) {
        TItems items(rng() % 6);
        for (std::string& s : items)
            s = rng() % 2 ? TrickyText(rng, 12) : RandomBytes(rng, 12);
        TStringList list;
        for (const std::string& s : items)
            list.Add(s);

        TStringList comma;
        comma.SetCommaText(list.CommaText());
        EXPECT_EQ(ItemsOf(comma), items) << list.CommaText();

        // Any delimiter and quote that are no blanks and differ.
        char delimiter = static_cast<char>(33 + rng() % 223);
        char quote = static_cast<char>(33 + rng() % 223);
        if (quote == delimiter)
            quote = delimiter == '"' ? '\'' : '"';
        list.SetDelimiter(delimiter);
        list.SetQuoteChar(quote);
        TStringList delimited;
        delimited.SetDelimiter(delimiter);
        delimited.SetQuoteChar(quote);
        delimited.SetDelimitedText(list.DelimitedText());
        EXPECT_EQ(ItemsOf(delimited), items) << list.DelimitedText();

        // Lines hold any item without a line break.
        TItems lines = items;
        for (std::string& s : lines)
            std::erase_if(s, [](char c) { return c == '\r' || c == '\n'; });
        TStringList text;
        for (const std::string& s : lines)
            text.Add(s);
        TStringList back;
        back.SetText(text.Text());
        EXPECT_EQ(ItemsOf(back), lines);

        // Reading garbage neither fails nor loops.
        const std::string garbage = TrickyText(rng, 40);
        back.SetCommaText(garbage);
        back.SetDelimitedText(garbage);
        back.SetText(garbage);
    }
}

TEST(TextRoundTripFuzz, ProgramNamesReachTheFilesTheyNameAndBack)
{
    std::mt19937 rng(437);
    const std::string dir = MakeTestDir("fuzz-names");
    // 1252 names: the file-system name comes back to the same program name.
    for (int i = 0; i < 400; ++i) {
        std::string name = RandomBytes(rng, 20);
        std::erase_if(name, [](char c) { return c == '/' || c == '\\' || c == '\0' || c == '?'; });
        if (name.empty() || name == "." || name == "..")
            continue;
        const std::string program = AnsiFromUtf8(dir) + "/" + name;
        const std::string fs = FileSystemName(program);
        EXPECT_EQ(fs, dir + "/" + Utf8FromAnsi(name));
        EXPECT_EQ(ProgramFileName(fs), program);
    }
    // UTF-8 names 1252 cannot hold (other scripts, invalid bytes, a '\'): each
    // gets an alias of its own that leads back to it.
    const std::string odd = dir + "/odd";
    std::filesystem::create_directory(odd);
    std::set<std::string> reals;
    for (int i = 0; i < 150; ++i) {
        std::string name;
        for (size_t n = 1 + rng() % 6; n > 0; --n) {
            switch (rng() % 4) {
            case 0: name += "\xD0\x9F"; break;        // Cyrillic
            case 1: name += static_cast<char>(0x80 + rng() % 0x40); break;  // a stray continuation byte
            case 2: name += "\\"; break;
            default: name += static_cast<char>('a' + rng() % 3); break;
            }
        }
        if (rng() % 2)
            name += ".rtf";
        if (Utf8FitsAnsi(name) && name.find('\\') == std::string::npos)
            continue;
        if (reals.insert(name).second)
            WriteTestFile(odd + "/" + name, name);
    }
    std::set<std::string> aliases;
    for (const std::string& real : reals) {
        const std::string alias = ProgramNameInFolder(odd, real);
        EXPECT_NE(alias.find('?'), std::string::npos);
        EXPECT_TRUE(aliases.insert(AnsiUpperCaseFileName(alias)).second) << alias;
        const std::string program = ProgramFileName(odd + "/" + real);
        EXPECT_EQ(program, AnsiFromUtf8(odd) + "/" + alias);
        EXPECT_EQ(FileSystemName(program), odd + "/" + real);
        EXPECT_EQ(ReadTestFile(FileSystemName(program)), real);
    }
}

TEST(TextRoundTripFuzz, NumbersReadBackFromTheirTextForms)
{
    std::mt19937_64 rng(65001);
    std::vector<int64_t> values = {0, 1, -1, INT_MAX, INT_MIN, LLONG_MAX, LLONG_MIN, INT_MAX + 1LL, INT_MIN - 1LL};
    for (int i = 0; i < 5000; ++i)
        values.push_back(static_cast<int64_t>(rng()) >> (rng() % 63));
    for (int64_t v : values) {
        EXPECT_EQ(StrToInt64(IntToStr(v)), v);
        EXPECT_EQ(StrToInt64("$" + IntToHex(v, 1)), v);
        EXPECT_EQ(StrToInt64(Format("%d", {v})), v);
        int32_t narrow = 0;
        const bool fits = v >= INT_MIN && v <= INT_MAX;
        EXPECT_EQ(TryStrToInt(IntToStr(v), narrow), fits) << v;
        if (fits) {
            EXPECT_EQ(narrow, v);
            EXPECT_EQ(StrToInt("0x" + IntToHex(static_cast<int32_t>(v), 8)), v);
            EXPECT_EQ(StrToInt(Format("%x", {static_cast<int32_t>(v)}).insert(0, "$")), v);
            EXPECT_EQ(StrToInt(Format("%.12d", {static_cast<int32_t>(v)})), v);
        }
    }
    // Decimal numbers of 15 significant digits or fewer come back exactly.
    TFormatSettings point;
    point.DecimalSeparator = '.';
    for (int i = 0; i < 5000; ++i) {
        const int64_t mantissa = static_cast<int64_t>(rng() % 1000000000000000ULL) * (rng() % 2 ? 1 : -1);
        const int exponent = static_cast<int>(rng() % 600) - 300;
        const std::string decimal = std::to_string(mantissa) + "e" + std::to_string(exponent);
        double v = 0;
        if (std::from_chars(decimal.data(), decimal.data() + decimal.size(), v).ec != std::errc())
            continue;
        if (std::isinf(v) || (v != 0 && std::fabs(v) < 1e-300))
            continue;
        EXPECT_EQ(StrToFloat(FloatToStr(v)), v) << FloatToStr(v);
        EXPECT_EQ(StrToFloat(FloatToStr(v, point), point), v);
        EXPECT_EQ(StrToFloat(FloatToStrF(v, TFloatFormat::ffExponent, 15, 0)), v);
        const double cents = static_cast<double>(mantissa % 100000000000LL) / 100;
        EXPECT_EQ(StrToFloat(FloatToStrF(cents, TFloatFormat::ffFixed, 15, 2)), cents);
        EXPECT_EQ(StrToFloat(Format("%.2f", {cents})), cents);
    }
    // Garbage is refused, never misread as a number or reported by the sanitizers.
    const char* const kGarbage[] = {"", " ", "-", "+", "$", "0x", "x", "--1", "1-", "1 ", " 1", "$-1", "0x-1",
                                    "99999999999999999999", "-9223372036854775809", "$10000000000000000",
                                    "1e", "e1", ",", "1,,5", "1e+", "NaN", "\xA0" "1"};
    for (const char* g : kGarbage) {
        int64_t v = 0;
        double d = 0;
        (void)TryStrToInt64(g, v);
        (void)TryStrToFloat(g, d);
    }
    std::mt19937 bytes(1);
    for (int i = 0; i < 20000; ++i) {
        const std::string s = i % 2 ? RandomBytes(bytes, 24) : TrickyText(bytes, 24) + std::to_string(bytes());
        int32_t v32 = 0;
        int64_t v64 = 0;
        double d = 0;
        (void)TryStrToInt(s, v32);
        (void)TryStrToInt64(s, v64);
        (void)TryStrToFloat(s, d);
    }
}

TEST(TextRoundTripFuzz, FormatOnGarbageRaisesOrFormatsButNeverBreaks)
{
    std::mt19937 rng(31);
    static const char kSpec[] = "%%%%-:.*0123456789dDuUxXeEfFgGnNmMpPsScC ";
    const std::string name = "texte";
    int pointee = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string fmt;
        for (size_t n = rng() % 12; n > 0; --n)
            fmt += kSpec[rng() % (sizeof kSpec - 1)];
        // Widths of a million characters and more only test the memory.
        if (std::count_if(fmt.begin(), fmt.end(), [](char c) { return c >= '0' && c <= '9'; }) > 5)
            continue;
        const TVarRec args[] = {static_cast<int32_t>(rng()) % 40, INT_MIN, LLONG_MIN, -1.5e300, 0.0, name,
                                'c', &pointee, std::nan(""), -INFINITY};
        const size_t first = rng() % 10;
        try {
            (void)Format(fmt, std::span<const TVarRec>(args + first, 10 - first));
        } catch (const EConvertError&) {
        }
    }
}
