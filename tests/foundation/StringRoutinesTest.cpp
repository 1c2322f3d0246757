#include "foundation/StringRoutines.h"

#include "foundation/NotSet.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Locale.h"
#include "platform/testing/WindowTesting.h"
#include "platform/win/WindowRecorder.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace {

constexpr int32_t kMinInt = std::numeric_limits<int32_t>::min();
constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

// Runs with a French user locale.
class FrenchLocale : public testing::Test {
protected:
    void SetUp() override
    {
        FPrevious = GetUserDefaultLCID();
        SetUserDefaultLCID(0x040C);
    }
    void TearDown() override { SetUserDefaultLCID(FPrevious); }

private:
    LCID FPrevious = 0;
};

}  // namespace

TEST(StringRoutines, RadixParsing)
{
    struct TCase {
        int32_t (*Parse)(const std::string&);
        const char* Text;
        std::optional<int32_t> Value;  // none: "Invalid integer constant"
    };
    const TCase cases[] = {
        {HexStrToInt, "-1F", -31},
        {HexStrToInt, "+ 7f", 127},
        {HexStrToInt, "  ff  ", 255},
        {HexStrToInt, "- 1f", -31},
        {HexStrToInt, "7FFFFFFF", kMaxInt},
        {HexStrToInt, "0", 0},
        {HexStrToInt, "-0", 0},
        {HexStrToInt, "0000000000000000000000000001", 1},
        {HexStrToInt, "80000000", std::nullopt},
        {HexStrToInt, "-80000000", std::nullopt},
        {HexStrToInt, "FFFFFFFFFFFFFFFFFFFFFFFF", std::nullopt},
        {HexStrToInt, "G", std::nullopt},
        {HexStrToInt, "1 2", std::nullopt},
        {HexStrToInt, "", std::nullopt},
        {HexStrToInt, "-", std::nullopt},
        {HexStrToInt, "+  ", std::nullopt},
        {HexStrToInt, "--1", std::nullopt},
        {BinStrToInt, "101", 5},
        {BinStrToInt, "1111111111111111111111111111111", kMaxInt},
        {BinStrToInt, "11111111111111111111111111111111", std::nullopt},
        {BinStrToInt, "2", std::nullopt},
        {OctStrToInt, "777", 511},
        {OctStrToInt, "-17777777777", -kMaxInt},
        {OctStrToInt, "20000000000", std::nullopt},
        {OctStrToInt, "8", std::nullopt},
    };
    for (const TCase& c : cases) {
        if (c.Value) {
            EXPECT_EQ(c.Parse(c.Text), *c.Value) << c.Text;
        } else {
            try {
                c.Parse(c.Text);
                ADD_FAILURE() << "no error for \"" << c.Text << "\"";
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.Message(), "Invalid integer constant");
            }
        }
    }
}

TEST(StringRoutines, RadixFormatting)
{
    struct TCase {
        int32_t Value;
        const char* Bin;
        const char* Oct;
        const char* Hex;
    };
    const TCase cases[] = {
        {0, "0", "0", "0"},
        {5, "101", "5", "5"},
        {-1, "-1", "-1", "-1"},
        {255, "11111111", "377", "FF"},
        {kMaxInt, "1111111111111111111111111111111", "17777777777", "7FFFFFFF"},
        {kMinInt, "-10000000000000000000000000000000", "-20000000000", "-80000000"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(IntToBinStr(c.Value), c.Bin) << c.Value;
        EXPECT_EQ(IntToOctStr(c.Value), c.Oct) << c.Value;
        EXPECT_EQ(IntToHexStr(c.Value), c.Hex) << c.Value;
    }
    // Every value but the smallest reads back.
    for (int32_t v : {0, 1, -1, 4660, -4660, kMaxInt, -kMaxInt}) {
        EXPECT_EQ(HexStrToInt(IntToHexStr(v)), v);
        EXPECT_EQ(BinStrToInt(IntToBinStr(v)), v);
        EXPECT_EQ(OctStrToInt(IntToOctStr(v)), v);
    }
}

TEST(StringRoutines, RomanNumeralsAndLetters)
{
    const std::pair<int32_t, const char*> roman[] = {
        {1994, "MCMXCIV"}, {0, ""},       {-5, ""},      {kMinInt, ""}, {1, "I"},       {4, "IV"},
        {9, "IX"},         {40, "XL"},    {90, "XC"},    {400, "CD"},   {900, "CM"},    {3999, "MMMCMXCIX"},
        {4000, "MMMM"},    {2024, "MMXXIV"},
    };
    for (auto [value, text] : roman) {
        EXPECT_EQ(IntToRoman(value), text) << value;
        if (value > 0) {
            EXPECT_EQ(RomanToInt(text, -1), value) << text;
        }
    }
    const std::string largest = IntToRoman(kMaxInt);
    EXPECT_EQ(largest.size(), 2147483u + 7u);
    EXPECT_EQ(largest.substr(largest.size() - 8), "MDCXLVII");
    EXPECT_EQ(RomanToInt(largest, -1), kMaxInt);
    EXPECT_EQ(RomanToInt(largest + "I", -1), -1) << "beyond 32 bits gives the default";

    const std::pair<const char*, int32_t> parsed[] = {
        {"mcmxciv", 1994}, {"McMxCiV", 1994}, {"", 0},   {"IIII", 4},   {"IC", 99},
        {"XIIV", 15},      {"123", -7},       {"X V", -7}, {"XA", -7},  {"MMMMM", 5000},
    };
    for (auto [text, value] : parsed)
        EXPECT_EQ(RomanToInt(text, -7), value) << text;

    const std::pair<int32_t, std::string> letters[] = {
        {1, "A"}, {26, "Z"}, {27, "AA"}, {28, "BB"}, {52, "ZZ"}, {53, "AAA"},
        {0, ""},  {-1, ""},  {kMinInt, ""}, {702, std::string(27, 'Z')},
    };
    for (const auto& [value, text] : letters)
        EXPECT_EQ(IntToLetters(value), text) << value;
}

TEST_F(FrenchLocale, ByteSizesAndThousands)
{
    const std::pair<int64_t, const char*> sizes[] = {
        {0, "0 octets"},
        {-5, "-5 octets"},
        {65534, "65 534 octets"},
        {65535, "64 Ko"},
        {2097152, "2 Mo"},
        {3000000, "2 930 Ko"},
        {16777214, "16 384 Ko"},
        {16777215, "16,00 Mo"},
        {20000000, "19,07 Mo"},
        {1048576000, "1 000,00 Mo"},
        {std::numeric_limits<int64_t>::max(), "8 796 093 022 208,00 Mo"},
        {1099511627776, "1 048 576,00 Mo"},
    };
    for (auto [bytes, text] : sizes)
        EXPECT_EQ(FormatByteSize(bytes), text) << bytes;

    const std::pair<double, const char*> thousands[] = {
        {0, "0"}, {999, "999"}, {1000, "1 000"}, {-1234567, "-1 234 567"}, {1234.6, "1 235"},
        {9007199254740992.0, "9 007 199 254 740 992"},
    };
    for (auto [number, text] : thousands)
        EXPECT_EQ(FormatThousands(number), text) << number;
}

TEST_F(FrenchLocale, LocaleComparisons)
{
    EXPECT_EQ(CompareStrLocale("a", "b"), -1);
    EXPECT_EQ(CompareStrLocale("b", "a"), 1);
    EXPECT_EQ(CompareStrLocale("été", "étude"), -1);
    EXPECT_EQ(CompareStrLocale("élan", "fin"), -1) << "accented letters sort with their letter";
    EXPECT_EQ(CompareStrLocale("!zz", "aa"), -1) << "punctuation sorts before letters";
    EXPECT_EQ(CompareStrLocale("-b", "a"), -1) << "string sort: the hyphen counts";
    EXPECT_EQ(CompareStrLocale("abc", "ABC"), -1);
    EXPECT_EQ(CompareTextLocale("ABC", "abc"), 0);
    EXPECT_NE(CompareTextLocale("ete", "été"), 0) << "ignoring case keeps accents";
}

TEST(StringRoutines, ArithmeticAndArrays)
{
    struct TCase {
        int32_t Value, Percent, Result;
    };
    const TCase cases[] = {
        {200, 50, 100}, {3, 50, 2},       {-3, 50, -2},       {1, 49, 0},          {0, 100, 0},
        {kMaxInt, 200, kMaxInt}, {kMinInt, 100, kMinInt}, {kMinInt, -100, kMaxInt}, {kMinInt, 200, kMinInt},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(MulDivPercent(c.Value, c.Percent), c.Result) << c.Value << " x " << c.Percent;

    EXPECT_LT(DateToDayIndex(EncodeDate(2024, 1, 31)), DateToDayIndex(EncodeDate(2024, 2, 1)));
    EXPECT_LT(DateToDayIndex(EncodeDate(2023, 12, 31)), DateToDayIndex(EncodeDate(2024, 1, 1)))
        << "dates stay in order over a new year";
    EXPECT_EQ(DateToDayIndex(EncodeDate(2024, 3, 1) + 0.75) - DateToDayIndex(EncodeDate(2024, 2, 1)), 31);

    int32_t a[5] = {1, 2, 3, 4, 5};
    MoveDWords(a, a + 1, 4);  // upwards, element by element: the first repeats
    for (int32_t v : a)
        EXPECT_EQ(v, 1);
    FillDWords(a, 3, 9);
    EXPECT_EQ(a[2], 9);
    EXPECT_EQ(a[3], 1);
    FillUnset(a + 1, 4);
    EXPECT_EQ(a[0], 9);
    EXPECT_EQ(a[4], NotSet);
}

TEST(StringRoutines, TextRoutines)
{
    EXPECT_EQ(ReplaceAllText("aab", "ab", "b"), "b") << "the search restarts after each replacement";
    EXPECT_EQ(ReplaceAllText("a-b-c", "-", ", "), "a, b, c");
    EXPECT_EQ(ReplaceAllText("aaa", "a", "aa"), "aaaaaa") << "a replacement holding the text still ends";
    EXPECT_EQ(ReplaceAllText("abc", "", "x"), "abc");
    EXPECT_EQ(BarsToLineBreaks("Un||deux||||trois|||"), "Un\r\ndeux\r\n\r\ntrois\r\n|");
    EXPECT_EQ(LineBreaksToBars("Un\r\ndeux\ntrois"), "Un||deux\ntrois");

    EXPECT_EQ(EscapeMenuCaption("-"), "- ");
    EXPECT_EQ(EscapeMenuCaption("Copier & coller"), "Copier && coller");
    EXPECT_EQ(EscapeMenuCaption("--"), "--");
    EXPECT_EQ(FormatCaptionWithHotKey("&Ouvrir\tCtrl+O"), "Ouvrir (Ctrl+O)");
    EXPECT_EQ(FormatCaptionWithHotKey("Pile && &face"), "Pile & face");
    EXPECT_EQ(FormatCaptionWithHotKey("Fin&"), "Fin");

    EXPECT_EQ(CompareBytes("abc", "abc", 3), 0);
    EXPECT_EQ(CompareBytes("abcd", "abc", 3), 1) << "the text goes on";
    EXPECT_EQ(CompareBytes("abb", "abc", 3), -1);
    EXPECT_EQ(CompareBytes("ab", "abc", 3), -1) << "the text ends first";
    EXPECT_EQ(CompareBytes("a\xE9", "a\x41", 2), -1) << "bytes compare as signed values";
    EXPECT_EQ(CompareBytes("", "", 0), 0);

    EXPECT_EQ(IndexOfByte("hello", 5, 'l'), 2);
    EXPECT_EQ(IndexOfByte("hello", 5, 'z'), -1);
    EXPECT_EQ(IndexOfByte("hello", 0, 'h'), -1);
    EXPECT_EQ(CountPrintableChars("ab\x05" "cd", 5), 2);
    EXPECT_EQ(CountPrintableChars("\xE9t\xE9", 3), 3);
    EXPECT_EQ(CountPrintableChars("abc", 0), 0);
}

namespace {

TEST(StringRoutines, ScaleByDpi)
{
    struct TCase {
        int32_t Value, Ppi, Result;
    };
    const TCase cases[] = {{153, 96, 153}, {153, 120, 191}, {11, 120, 14}, {7, 144, 11},
                           {1, 144, 2},    {-1, 144, -2},   {3, 72, 2},    {kMaxInt, 192, kMaxInt}};
    for (const TCase& c : cases)
        EXPECT_EQ(ScaleByDPI(c.Value, c.Ppi), c.Result) << c.Value << " at " << c.Ppi;
    EXPECT_EQ(ScaleByScreenDPI(153), 153);  // the tests' screen is 96 dots per inch
}

TEST(StringRoutines, KeyStatesOfMessagesAndOfTheKeyboardNow)
{
    TRecordingWindow window({WM_KEYDOWN, WM_MOUSEWHEEL});
    ASSERT_NE(window.Create(Bounds(0, 0, 100, 100)), HWND_NONE);
    SetFocus(window.Handle);
    std::vector<uint32_t> atWheel;
    bool ctrlAtKey = false;
    window.OnMessage = [&](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT&) {
        if (msg == WM_MOUSEWHEEL)
            atWheel.push_back(GetAsyncShiftState());
        if (msg == WM_KEYDOWN && wp == 'K')
            ctrlAtKey = IsKeyDown(VK_CONTROL);
        return false;
    };
    TTestKeyboard keys;
    TTestMouse mouse;
    keys.Chord({"Ctrl"}, "K");
    EXPECT_TRUE(ctrlAtKey);
    EXPECT_FALSE(IsKeyDown(VK_CONTROL));
    mouse.Wheel(window.Handle, {5, 5}, 120);
    keys.Down("Ctrl");
    mouse.Wheel(window.Handle, {5, 5}, 120);
    keys.Up("Ctrl");
    keys.Down("Alt");
    mouse.Wheel(window.Handle, {5, 5}, 120);  // Alt is reported: "no modifier" must not match
    keys.Up("Alt");
    keys.Down("Shift");
    mouse.Press(window.Handle, {5, 5});
    mouse.Wheel(window.Handle, {5, 5}, 120);
    mouse.Release(window.Handle, {5, 5});
    keys.Up("Shift");
    EXPECT_EQ(atWheel, (std::vector<uint32_t>{0, 4, 2, 1 | 8}));
    EXPECT_EQ(GetAsyncShiftState(), 0u);
}

} // namespace
