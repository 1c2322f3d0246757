// Randomized checks of the settings stores and the number routines of the
// foundation: INI files damaged on disk, any text through INI and registry
// stores, lengths and numbers converted both ways at their limits.
#include "foundation/settings/IniFile.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/settings/RegistryEx.h"
#include "foundation/StringRoutines.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"
#include "platform/testing/Testing.h"
#include "platform/testing/TextSamples.h"

#include <algorithm>
#include <climits>
#include <random>

namespace {

// Mostly the characters that mean something in a line of settings.
std::string TrickyText(std::mt19937& rng, size_t maxLength)
{
    static const char kChars[] = "=[];%\x01\r\n\"', \t\\\xA0\xE9\x81\xFF%0D%25";
    static const std::string kSpecial(kChars, sizeof kChars);  // the final NUL too
    return RandomTextFrom(rng, maxLength, kSpecial);
}

// Section and value names the dialect can carry: no "=", no line break, not
// starting with "[", unique ignoring case through their number.
std::string SafeName(std::mt19937& rng, int number)
{
    static const std::string kChars = "abcXYZ019 _.-()\xE9\xC9\xE0\x9C\x8C";
    std::string s = "N" + std::to_string(number);
    for (size_t i = rng() % 6; i > 0; --i)
        s += kChars[rng() % kChars.size()];
    return s;
}

std::string IniName(const std::string& name)
{
    return AnsiFromUtf8(MakeTestDir(name)) + "/settings.ini";
}

}  // namespace

TEST(SettingsFuzz, AnyValueWrittenToAnIniFileReadsBackIdentical)
{
    std::mt19937 rng(1252);
    const std::string ini = IniName("ini-roundtrip");
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections;
    {
        TIniFile w(ini, true);
        for (int s = 0; s < 20; ++s) {
            sections.push_back({SafeName(rng, s), {}});
            w.OpenKey(sections.back().first);
            for (int v = 0; v < 15; ++v) {
                std::string value = v % 2 ? TrickyText(rng, 60) : RandomBytes(rng, 200);
                if (v == 0)
                    value = "\x01" + value;  // what the escape marker looks like
                const std::string name = SafeName(rng, v);
                w.WriteString(name, value);
                sections.back().second.emplace_back(name, value);
            }
        }
        w.Flush();
    }
    TIniFile r(ini, false);
    for (const auto& [section, values] : sections) {
        ASSERT_TRUE(r.KeyExists(section)) << section;
        r.OpenKey(section);
        for (const auto& [name, value] : values)
            EXPECT_EQ(r.ReadString(name, "<absent>"), value) << section << " / " << name;
    }
}

TEST(SettingsFuzz, LongStringsAndBlocksReadBackIdenticalFromBothStores)
{
    std::mt19937 rng(1789);
    const std::string dir = MakeTestDir("long-roundtrip");
    const std::string ini = AnsiFromUtf8(dir) + "/settings.ini";
    std::vector<std::string> texts;
    std::vector<std::string> blocks;
    for (int i = 0; i < 25; ++i) {
        std::string t = i % 2 ? TrickyText(rng, 3000) : RandomBytes(rng, 3000);
        if (i % 5 == 0)
            t = std::string(rng() % 1500, ' ') + t + std::string(rng() % 700, '\n');
        texts.push_back(t);
        blocks.push_back(RandomBytes(rng, 1500));
    }
    auto write = [&](TSettingsStorage& s) {
        for (size_t i = 0; i < texts.size(); ++i) {
            s.WriteLongString("Long" + std::to_string(i), texts[i]);
            s.WriteBinary("Block" + std::to_string(i), blocks[i].data(), blocks[i].size());
        }
    };
    auto check = [&](TSettingsStorage& s, const char* what) {
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(s.ReadLongString("Long" + std::to_string(i), "<absent>"), texts[i]) << what << " " << i;
            const std::vector<uint8_t> block = s.ReadBinary("Block" + std::to_string(i));
            EXPECT_EQ(std::string(block.begin(), block.end()), blocks[i]) << what << " " << i;
        }
    };
    {
        TRegistryStore store(dir + "/registry");
        TRegistryEx reg(store);
        reg.Prefix = "\\Software\\Fuzz\\";
        write(reg);
        TIniFile file(ini, true);
        write(file);
    }
    TRegistryStore store(dir + "/registry");
    TRegistryEx reg(store);
    reg.Prefix = "\\Software\\Fuzz\\";
    check(reg, "registry");
    TIniFile file(ini, false);
    check(file, "ini");
}

TEST(SettingsFuzz, DamagedIniFilesLoadAndKeepTheLinesThatAreIntact)
{
    std::mt19937 rng(4242);
    const std::string ini = IniName("ini-damage");
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections;
    {
        TIniFile w(ini, true);
        for (int s = 0; s < 8; ++s) {
            sections.push_back({"Section" + std::to_string(s), {}});
            w.OpenKey(sections.back().first);
            for (int v = 0; v < 8; ++v) {
                const std::string name = "Name" + std::to_string(v);
                const std::string value = v % 2 ? TrickyText(rng, 30) : std::to_string(static_cast<int32_t>(rng()));
                w.WriteString(name, value);
                sections.back().second.emplace_back(name, value);
            }
        }
    }
    const std::string text = ReadTestFile(Utf8FromAnsi(ini));
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    for (int round = 0; round < 150; ++round) {
        const int kind = round % 5;
        std::string damaged;
        if (kind <= 1) {
            // Lines added between the intact ones, none a header nor a known name.
            for (const std::string& line : lines) {
                damaged += line + (rng() % 2 ? "\r\n" : "\n");
                if (rng() % 3 == 0) {
                    std::string junk = kind == 0 ? RandomBytes(rng, 50) : TrickyText(rng, 50);
                    std::replace(junk.begin(), junk.end(), '\n', ' ');
                    std::replace(junk.begin(), junk.end(), '\r', ' ');
                    if (!junk.empty() && (junk[0] == '[' || junk[0] == 'N' || junk[0] == 'n'))
                        junk[0] = '!';
                    if (rng() % 10 == 0)
                        junk += "=" + std::string(100000, 'z');  // a huge line
                    damaged += junk + "\r\n";
                }
                if (rng() % 8 == 0)
                    damaged += line + "\r\n";  // given twice
            }
        } else if (kind == 2) {
            damaged = text.substr(0, rng() % text.size());
        } else if (kind == 3) {
            damaged = text;
            for (int i = 0; i < 10; ++i)
                damaged[rng() % damaged.size()] = static_cast<char>(rng() % 2 ? 0 : rng());
        } else {
            damaged = RandomBytes(rng, 5000);
        }
        WriteTestFile(Utf8FromAnsi(ini), damaged);
        TIniFile r(ini, false);
        for (const auto& [section, values] : sections) {
            r.OpenKey(section);
            for (const auto& [name, value] : values) {
                const std::string back = r.ReadString(name, "<absent>");
                (void)r.ReadInteger(name, INT_MIN, 0, INT_MAX);
                if (kind <= 1) {
                    EXPECT_EQ(back, value) << "round " << round << " " << section << "/" << name;
                }
            }
            (void)r.ReadLongString(section, "");
            (void)r.ReadBinary(section);
        }
    }
}

TEST(SettingsFuzz, LengthsConvertBothWaysAtEveryMagnitude)
{
    std::mt19937 rng(1440);
    std::vector<int32_t> twips = {0, 1, -1, 2, -2, 7, 10, 14, 15, 720, 1440, -1440, 31680, INT_MAX, INT_MIN,
                                  INT_MAX - 1, INT_MIN + 1, 1000000, -1000000, 100000000};
    for (int i = 0; i < 4000; ++i)
        twips.push_back(static_cast<int32_t>(rng()) >> (rng() % 31));
    for (uint8_t unit : std::initializer_list<uint8_t>{muCentimeter, muInch, muPoint, muPica, muMillimeter, 200}) {
        for (int32_t t : twips) {
            const int32_t units = TwipsToUnits(unit, t);
            const int32_t back = UnitsToTwips(unit, units);
            const std::string shown = FormatTwipsIn(unit, t);
            EXPECT_FALSE(shown.empty());
            if (std::abs(static_cast<int64_t>(t)) > 100000000)
                continue;  // beyond any length of a page
            // A hundredth of an inch is 14.4 twips, every other step is smaller:
            // the way back lands within half of it.
            EXPECT_LE(std::abs(static_cast<int64_t>(back) - t), 8) << int(unit) << " " << t;
            // Whatever the user types back from the shown text lands there too.
            EXPECT_EQ(UnitsToTwips(unit, TwipsToUnits(unit, back)), back) << int(unit) << " " << t;
        }
        for (int32_t h : {INT_MAX, INT_MIN, INT_MAX / 2, INT_MIN / 2, 0, -1})
            (void)UnitsToTwips(unit, h);
    }
}

TEST(SettingsFuzz, RadixRomanAndPercentRoutinesAtTheirLimits)
{
    std::mt19937 rng(16);
    std::vector<int32_t> values = {0, 1, -1, INT_MAX, INT_MIN, INT_MIN + 1, 255, -256, 4000, 3999};
    for (int i = 0; i < 3000; ++i)
        values.push_back(static_cast<int32_t>(rng()) >> (rng() % 31));
    for (int32_t v : values) {
        if (v != INT_MIN) {
            EXPECT_EQ(BinStrToInt(IntToBinStr(v)), v);
            EXPECT_EQ(OctStrToInt(IntToOctStr(v)), v);
            EXPECT_EQ(HexStrToInt(IntToHexStr(v)), v);
            // The sign comes first; blanks may stand around the digits.
            const std::string hex = LowerCase(IntToHexStr(v));
            EXPECT_EQ(HexStrToInt(v < 0 ? "- " + hex.substr(1) + " " : "+ " + hex + " "), v);
        } else {
            EXPECT_THROW(HexStrToInt(IntToHexStr(v)), EConvertError);  // beyond the magnitude allowed
        }
        if (v > 0 && v <= 20000) {
            EXPECT_EQ(RomanToInt(IntToRoman(v), -1), v);
            EXPECT_EQ(IntToLetters(v).size(), static_cast<size_t>((v - 1) / 26 + 1));
        }
        const int32_t percent = static_cast<int32_t>(rng()) >> (rng() % 31);
        const int64_t exact = static_cast<int64_t>(v) * percent;
        const int32_t got = MulDivPercent(v, percent);
        const int64_t lo = std::clamp<int64_t>(exact / 100 - 1, INT_MIN, INT_MAX);
        const int64_t hi = std::clamp<int64_t>(exact / 100 + 1, INT_MIN, INT_MAX);
        EXPECT_GE(got, lo);
        EXPECT_LE(got, hi);
    }
    for (int i = 0; i < 3000; ++i) {
        const std::string garbage = TrickyText(rng, 12) + RandomBytes(rng, 4);
        for (auto parse : {BinStrToInt, OctStrToInt, HexStrToInt}) {
            try {
                (void)parse(garbage);
            } catch (const EConvertError&) {
            }
        }
        (void)RomanToInt(garbage, 0);
        (void)RomanToInt(std::string(rng() % 4000, "MDCLXVI"[rng() % 7]), -1);
    }
    EXPECT_EQ(RomanToInt(std::string(2147484, 'M'), -1), -1);  // beyond 2147483647
}
