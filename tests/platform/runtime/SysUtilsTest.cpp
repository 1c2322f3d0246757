#include "platform/runtime/Exception.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SysUtils.h"
#include "platform/testing/Testing.h"

#include <cmath>
#include <limits>

namespace {

std::string ConvertErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EConvertError& e) {
        return e.Message();
    }
    return "(no error)";
}

}  // namespace

TEST(SysUtils, FormatTable)
{
    struct TCase {
        std::string Result;
        const char* Expected;
    };
    const TCase cases[] = {
        {Format("%d", {42}), "42"},
        {Format("%5d|%-5d|", {42, 42}), "   42|42   |"},
        {Format("%.5d", {-42}), "-00042"},
        {Format("%3d", {-12345}), "-12345"},
        {Format("%d %d", {std::numeric_limits<int32_t>::min(), int64_t(-9000000000)}), "-2147483648 -9000000000"},
        {Format("%d", {4000000000u}), "4000000000"},
        {Format("%u %u", {-1, 7}), "4294967295 7"},
        {Format("%x %X %.4x", {255, 255, 255}), "FF FF 00FF"},
        {Format("%x", {-1}), "FFFFFFFF"},
        {Format("%x", {int64_t(-1)}), "FFFFFFFFFFFFFFFF"},
        {Format("%5.2f", {1.5}), " 1,50"},
        {Format("%f", {2.5}), "2,50"},
        {Format("%.0f %.0f %.0f", {2.5, -2.5, 0.49}), "3 -3 0"},
        {Format("%.2f %.2f %.2f", {0.125, 1.005, -0.001}), "0,13 1,00 0,00"},
        {Format("%e", {1.5}), "1,50000000000000E+000"},
        {Format("%.3e", {-1234.5}), "-1,23E+003"},
        {Format("%.2e", {0.000123}), "1,2E-004"},
        {Format("%e", {0.0}), "0,00000000000000E+000"},
        {Format("%g", {0.1 + 0.2}), "0,3"},
        {Format("%g %g %g", {1e20, 0.00001, 123456.0}), "1E020 1E-005 123456"},
        {Format("%.3g", {123456.0}), "1,23E005"},
        {Format("%n", {1234567.891}), "1\xA0" "234\xA0" "567,89"},
        {Format("%.0n", {999.5}), "1\xA0" "000"},
        {Format("%n", {-1234.5}), "-1\xA0" "234,50"},
        {Format("%m", {1234.5}), "1\xA0" "234,50 €"},
        {Format("%m", {-3.0}), "-3,00 €"},
        {Format("%.0m", {0.4}), "0 €"},
        {Format("%s|%.2s|%5s|%-5s|", {"abc", "abc", "ab", std::string("ab")}), "abc|ab|   ab|ab   |"},
        {Format("%s%s", {'x', std::string_view("yz")}), "xyz"},
        {Format("%c%c", {'a', 66}), "aB"},
        {Format("%*d|%-*.*f|", {5, 42, 8, 1, 3.14159}), "   42|3,1     |"},
        {Format("%1:s %0:s %s", {"a", "b"}), "b a b"},
        {Format("100%% sûr", {}), "100% sûr"},
        {Format("%p", {nullptr}), "0000000000000000"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(c.Result, c.Expected);
}

TEST(SysUtils, FormatRefusesWhatDoesNotFit)
{
    struct TCase {
        std::function<std::string()> Call;
        const char* Message;
    };
    const TCase cases[] = {
        {[] { return Format("%d", {1.5}); }, "Format '%d' incorrect ou incompatible avec l'argument"},
        {[] { return Format("%f", {1}); }, "Format '%f' incorrect ou incompatible avec l'argument"},
        {[] { return Format("%s", {1}); }, "Format '%s' incorrect ou incompatible avec l'argument"},
        {[] { return Format("%x", {"1"}); }, "Format '%x' incorrect ou incompatible avec l'argument"},
        {[] { return Format("%p", {1}); }, "Format '%p' incorrect ou incompatible avec l'argument"},
        {[] { return Format("a%", {1}); }, "Format 'a%' incorrect ou incompatible avec l'argument"},
        {[] { return Format("%q", {1}); }, "Format '%q' incorrect ou incompatible avec l'argument"},
        {[] { return Format("%.2", {1.0}); }, "Format '%.2' incorrect ou incompatible avec l'argument"},
        {[] { return Format("%*d", {"5", 1}); }, "Format '%*d' incorrect ou incompatible avec l'argument"},
        {[] { return Format("%d %d", {1}); }, "Aucun argument pour le format '%d %d'"},
        {[] { return Format("%2:d", {1, 2}); }, "Aucun argument pour le format '%2:d'"},
        // The message shows the first 31 characters of the format.
        {[] { return Format("Un texte assez long pour être coupé : %d", {"x"}); },
         "Format 'Un texte assez long pour être c' incorrect ou incompatible avec l'argument"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(ConvertErrorOf([&] { c.Call(); }), c.Message);
}

TEST(SysUtils, FloatToTextAndBack)
{
    struct TCase {
        double Value;
        const char* Text;
    };
    const TCase general[] = {
        {1.5, "1,5"},
        {0.1, "0,1"},
        {0.1 + 0.2, "0,3"},
        {1.0 / 3, "0,333333333333333"},
        {2.0 / 3, "0,666666666666667"},
        {1e15, "1E15"},
        {123456789012345.0, "123456789012345"},
        {-0.0001, "-0,0001"},
        {1e-5, "1E-5"},
        {0.0, "0"},
        {-0.0, "0"},
        {-1e-300, "-1E-300"},
        {std::numeric_limits<double>::max(), "1,79769313486232E308"},
        {NAN, "NAN"},
        {INFINITY, "INF"},
        {-INFINITY, "-INF"},
    };
    for (const TCase& c : general)
        EXPECT_EQ(FloatToStr(c.Value), c.Text);

    EXPECT_EQ(FloatToStrF(2.5, TFloatFormat::ffFixed, 15, 0), "3");
    EXPECT_EQ(FloatToStrF(123456.789, TFloatFormat::ffFixed, 7, 2), "123456,80");
    EXPECT_EQ(FloatToStrF(1e20, TFloatFormat::ffFixed, 15, 2), "1E20");
    EXPECT_EQ(FloatToStrF(9.9999, TFloatFormat::ffFixed, 15, 2), "10,00");
    EXPECT_EQ(FloatToStrF(0.0006, TFloatFormat::ffNumber, 15, 3), "0,001");

    struct TParse {
        const char* Text;
        bool Ok;
        double Value;
    };
    const TParse parses[] = {
        {"1,5", true, 1.5},       {" -2,5e3 ", true, -2500}, {"+3", true, 3},        {",5", true, 0.5},
        {"5,", true, 5},          {"1E-400", true, 0},        {"0e999999", true, 0},  {"1,5E+2", true, 150},
        {"1.5", false, 0},        {"1e400", false, 0},        {"", false, 0},         {" ", false, 0},
        {"e5", false, 0},         {"1e", false, 0},           {"1 000", false, 0},    {"1,2,3", false, 0},
        {"INF", false, 0},        {"0x10", false, 0},
    };
    for (const TParse& p : parses) {
        double v = -1;
        EXPECT_EQ(TryStrToFloat(p.Text, v), p.Ok) << p.Text;
        if (p.Ok) {
            EXPECT_EQ(v, p.Value) << p.Text;
        }
    }
    EXPECT_EQ(ConvertErrorOf([] { StrToFloat("1.5"); }), "'1.5' n'est pas une valeur à virgule flottante correcte");
    TFormatSettings point;
    point.DecimalSeparator = '.';
    EXPECT_EQ(StrToFloat("1.5", point), 1.5);
    EXPECT_EQ(FloatToStr(0.25, point), "0.25");
    EXPECT_EQ(StrToFloatDef("x", 7.5), 7.5);
    // Every value written with 15 digits reads back to within that precision.
    for (double v : {3.14159, -2.5e-7, 6.02214076e23, 1.0 / 7}) {
        double back = StrToFloat(FloatToStr(v));
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-14);
    }
}

TEST(SysUtils, StrToIntEdges)
{
    struct TCase {
        const char* Text;
        bool Ok;
        int32_t Value;
    };
    const TCase cases[] = {
        {"0", true, 0},
        {"-0", true, 0},
        {"00012", true, 12},
        {"+7", true, 7},
        {"  12", true, 12},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, std::numeric_limits<int32_t>::min()},
        {"$7FFFFFFF", true, 2147483647},
        {"$80000000", true, std::numeric_limits<int32_t>::min()},
        {"$FFFFFFFF", true, -1},
        {"$0000000FF", true, 255},
        {"-$10", true, -16},
        {"0x1f", true, 31},
        {"X1F", true, 31},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"$100000000", false, 0},
        {"12 ", false, 0},
        {"\t12", false, 0},
        {"", false, 0},
        {" ", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"1e3", false, 0},
        {"12a", false, 0},
        {"$G", false, 0},
        {"1 2", false, 0},
    };
    for (const TCase& c : cases) {
        int32_t v = -99;
        EXPECT_EQ(TryStrToInt(c.Text, v), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(v, c.Value) << c.Text;
            EXPECT_EQ(StrToInt(c.Text), c.Value);
        } else {
            EXPECT_EQ(v, -99) << c.Text;
            EXPECT_EQ(StrToIntDef(c.Text, 5), 5);
        }
    }
    EXPECT_EQ(ConvertErrorOf([] { StrToInt("douze"); }), "'douze' n'est pas une valeur entière correcte");
    EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("4294967296"), 4294967296LL);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_EQ(StrToInt64Def("$10000000000000000", 3), 3);

    EXPECT_EQ(IntToStr(std::numeric_limits<int32_t>::min()), "-2147483648");
    EXPECT_EQ(IntToStr(int64_t(-9000000000)), "-9000000000");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int64_t(-2), 1), "FFFFFFFFFFFFFFFE");
    EXPECT_EQ(IntToHex(0, 0), "0");
}

TEST(SysUtils, AnsiCaseMapsCoverEveryByte)
{
    const std::pair<char, char> pairs[] = {{'a', 'A'}, {'z', 'Z'}, {'\xE0', '\xC0'}, {'\xE9', '\xC9'},
                                           {'\xFE', '\xDE'}, {'\x9C', '\x8C'}, {'\x9A', '\x8A'},
                                           {'\x9E', '\x8E'}, {'\xFF', '\x9F'}};
    for (auto [lower, upper] : pairs) {
        EXPECT_EQ(AnsiUpperChar(lower), upper);
        EXPECT_EQ(AnsiLowerChar(upper), lower);
    }
    // ß, µ, ×, ÷, ª, º, ƒ and the digits have no partner.
    for (char c : {'\xDF', '\xB5', '\xD7', '\xF7', '\xAA', '\xBA', '\x83', '5'}) {
        EXPECT_EQ(AnsiUpperChar(c), c);
        EXPECT_EQ(AnsiLowerChar(c), c);
    }
    int uppered = 0;
    int lowered = 0;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const char up = AnsiUpperChar(c);
        const char low = AnsiLowerChar(c);
        if (up != c) {
            ++uppered;
            EXPECT_EQ(AnsiLowerChar(up), c) << b;
            EXPECT_EQ(low, c) << b << " is a lower-case letter";
        }
        if (low != c) {
            ++lowered;
            EXPECT_EQ(AnsiUpperChar(low), c) << b;
        }
        // The ASCII maps leave everything above 127 alone.
        EXPECT_EQ(UpperCase(std::string(1, c))[0], b < 128 ? up : c) << b;
        EXPECT_EQ(LowerCase(std::string(1, c))[0], b < 128 ? low : c) << b;
    }
    EXPECT_EQ(uppered, 26 + 30 + 4);
    EXPECT_EQ(lowered, 26 + 30 + 4);
    EXPECT_EQ(AnsiUpperCase("œuvre à l'été, ÿ"), "ŒUVRE À L'ÉTÉ, Ÿ");
    EXPECT_EQ(AnsiLowerCase("ŒUVRE À L'ÉTÉ, Ÿ"), "œuvre à l'été, ÿ");
}

TEST(SysUtils, Comparisons)
{
    EXPECT_LT(CompareStr("B", "a"), 0);
    EXPECT_GT(CompareStr("abc", "ab"), 0);
    EXPECT_EQ(CompareText("HeLLo", "hello"), 0);
    EXPECT_NE(CompareText("é", "É"), 0) << "ASCII only";
    EXPECT_TRUE(SameText("ABC", "abc"));
    EXPECT_FALSE(SameText("abc", "abcd"));

    struct TCase {
        const char* A;
        const char* B;
        int32_t Text;  // AnsiCompareText
        int32_t Str;   // AnsiCompareStr
    };
    const TCase cases[] = {
        {"abc", "ABC", 0, -1},   {"a", "B", -1, -1},       {"e", "é", -1, -1},       {"é", "f", -1, -1},
        {"élan", "elle", -1, -1}, {"côte", "cote", 1, 1},   {"ÉTÉ", "été", 0, 1},     {"œuf", "oeuf", 1, 1},
        {"a\x01", "a", 1, 1},    {"", "a", -1, -1},        {"x", "x", 0, 0},         {"Zoé", "zoe", 1, 1},
        {"10", "9", -1, -1},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(AnsiCompareText(c.A, c.B), c.Text) << c.A << " / " << c.B;
        EXPECT_EQ(AnsiCompareText(c.B, c.A), -c.Text) << c.B << " / " << c.A;
        EXPECT_EQ(AnsiCompareStr(c.A, c.B), c.Str) << c.A << " / " << c.B;
        EXPECT_EQ(AnsiCompareStr(c.B, c.A), -c.Str) << c.B << " / " << c.A;
    }
    EXPECT_TRUE(AnsiSameText("Œuvre", "œUVRE"));
    EXPECT_FALSE(AnsiSameText("oeuvre", "œuvre"));
}

TEST(SysUtils, StringRoutines)
{
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \x01"), "  a");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(Trim(std::string(3, '\0')), "");

    EXPECT_EQ(StringReplace("Été, été, ETE", "été", "x", rfReplaceAll | rfIgnoreCase), "x, x, ETE");
    EXPECT_EQ(StringReplace("Été, été", "été", "x", rfReplaceAll), "Été, x");
    EXPECT_EQ(StringReplace("aaa", "a", "bb", 0), "bbaa");
    EXPECT_EQ(StringReplace("aaa", "aa", "a", rfReplaceAll), "aa");
    EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");

    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("z", "abc"), 0);
    EXPECT_EQ(Copy("abc", 0, 2), "ab");
    EXPECT_EQ(Copy("abc", -5, 2), "ab");
    EXPECT_EQ(Copy("abc", 2, 100), "bc");
    EXPECT_EQ(Copy("abc", 2, std::numeric_limits<int32_t>::max()), "bc");
    EXPECT_EQ(Copy("abc", 4, 1), "");
    EXPECT_EQ(Copy("abc", 2, -1), "");

    EXPECT_EQ(QuotedStr("l'été"), "'l''été'");
    EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
    EXPECT_EQ(AnsiDequotedStr("'l''été'", '\''), "l'été");
    EXPECT_EQ(AnsiDequotedStr("''", '\''), "");
    EXPECT_EQ(AnsiDequotedStr("abc", '\''), "abc");
    EXPECT_EQ(AnsiDequotedStr("'abc", '\''), "'abc");
    EXPECT_EQ(AnsiDequotedStr("'a'b'", '\''), "a");  // what follows the closing quote is dropped
    size_t used = 0;
    EXPECT_EQ(AnsiExtractQuotedStr("\"a\"\"b\" reste", '"', &used), "a\"b");
    EXPECT_EQ(used, 6u);

    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false), "0");
    EXPECT_EQ(BoolToStr(true, true), "True");
}

// A locale's date conventions in the runtime's picture letters; pseudo and
// unknown locales keep the program's own settings.
TEST(SysUtils, LocaleDateSettings)
{
    const TFormatSettings english = GetLocaleFormatSettings(0x0409);
    EXPECT_EQ(english.LongMonthNames[2], "March");
    EXPECT_EQ(english.ShortDayNames[0], "Sun");
    EXPECT_EQ(english.LongDateFormat, "dddd, MMMM d, yyyy");
    EXPECT_EQ(english.TimeAMString, "AM");
    // The program's own separators stay.
    EXPECT_EQ(english.DecimalSeparator, ',');

    const TFormatSettings german = GetLocaleFormatSettings(0x0407);
    EXPECT_EQ(german.LongMonthNames[2], "M\xE4rz");
    EXPECT_EQ(german.LongDayNames[3], "Mittwoch");
    EXPECT_EQ(german.ShortDateFormat, "dd.MM.yy");
    EXPECT_EQ(german.TimeAMString, "");

    const TFormatSettings french = GetLocaleFormatSettings(0x040C);
    EXPECT_EQ(french.LongDateFormat, "dddd d MMMM yyyy");
    EXPECT_EQ(french.ShortMonthNames[1], "f\xE9vr.");

    for (const LCID pseudo : {0x0000u, 0x0400u, 0x0800u, 0x80000000u, 0x7C00u}) {
        SCOPED_TRACE(pseudo);
        EXPECT_EQ(GetLocaleFormatSettings(pseudo).LongMonthNames[0], FormatSettings().LongMonthNames[0]);
    }
}
