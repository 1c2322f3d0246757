// Randomized checks of the settings file behind the registry: damaged files
// load without harm and a save keeps every value that was readable; any 1252
// text written as a key name, value name or value reads back identical.
#include "platform/win/Registry.h"
#include "platform/testing/Testing.h"
#include "platform/testing/TextSamples.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <utility>
#include <vector>

static bool operator==(const TRegValue& a, const TRegValue& b)
{
    return a.Type == b.Type && a.Data == b.Data;
}

namespace {

using TPath = TRegistryStore::TPath;
// Every key of a store (path by folded names) with its values in order.
using TSnapshot = std::map<std::vector<std::string>, std::vector<std::pair<std::string, TRegValue>>>;

void SnapshotKey(TRegistryStore& store, const TPath& path, TSnapshot& out)
{
    if (!path.empty()) {
        std::vector<std::string> folded;
        for (const std::string& name : path)
            folded.push_back(TRegistryStore::FoldName(name));
        auto& values = out[folded];
        for (const std::string& name : store.ValueNames(path)) {
            TRegValue v;
            EXPECT_TRUE(store.GetValue(path, name, v)) << name;
            values.emplace_back(name, v);
        }
    }
    for (const std::string& child : store.KeyNames(path)) {
        TPath sub = path;
        sub.push_back(child);
        SnapshotKey(store, sub, out);
    }
}

TSnapshot Snapshot(const std::string& file)
{
    TRegistryStore store(file);
    TSnapshot s;
    SnapshotKey(store, {}, s);
    return s;
}

// A text made mostly of the characters the file's syntax gives a meaning to.
std::string TrickyText(std::mt19937& rng, size_t maxLength)
{
    static const char kChars[] = "\"\\[]@=%;#,:x \t\r\n\x01\x7F\x81\x9D\xA0\xFF\xE9";
    static const std::string kSpecial(kChars, sizeof kChars);  // the final NUL too
    return RandomTextFrom(rng, maxLength, kSpecial, 4);
}

// A key name: any byte but the separator, never empty.
std::string RandomKeyName(std::mt19937& rng)
{
    std::string s = TrickyText(rng, 12);
    std::erase(s, '\\');
    return s.empty() ? std::string("k") : s;
}

}  // namespace

TEST(RegistryFuzz, AnyTextWrittenReadsBackIdentical)
{
    std::mt19937 rng(1252);
    const std::string file = MakeTestDir("fuzz-roundtrip") + "/registry";
    struct TItem {
        std::string Key, Name;
        TRegValue Value;
    };
    std::vector<TItem> items;
    {
        TRegistryStore store(file);
        TRegistry reg(store);
        for (int i = 0; i < 300; ++i) {
            TItem item;
            item.Key = "\\Fuzz\\" + std::to_string(i) + "\\" + RandomKeyName(rng);
            item.Name = i % 7 == 0 ? std::string() : (i % 2 ? TrickyText(rng, 20) : RandomBytes(rng, 20));
            const int kind = i % 4;
            const std::string data = i % 3 ? TrickyText(rng, 80) : RandomBytes(rng, 300);
            ASSERT_TRUE(reg.OpenKey(item.Key, true));
            switch (kind) {
            case 0:
                reg.WriteString(item.Name, data);
                item.Value = {rdString, data};
                break;
            case 1:
                reg.WriteExpandString(item.Name, data);
                item.Value = {rdExpandString, data};
                break;
            case 2: {
                const auto v = static_cast<int32_t>(rng());
                reg.WriteInteger(item.Name, v);
                item.Value = {rdInteger, std::string(reinterpret_cast<const char*>(&v), 4)};
                break;
            }
            default:
                reg.WriteBinaryData(item.Name, data.data(), static_cast<int32_t>(data.size()));
                item.Value = {rdBinary, data};
                break;
            }
            items.push_back(std::move(item));
        }
        reg.Flush();
    }
    TRegistryStore again(file);
    TRegistry reg(again);
    for (const TItem& item : items) {
        ASSERT_TRUE(reg.OpenKey(item.Key, false)) << item.Key;
        TRegDataInfo info;
        ASSERT_TRUE(reg.GetDataInfo(item.Name, info)) << item.Key << " / " << item.Name;
        EXPECT_EQ(info.RegData, item.Value.Type);
        if (item.Value.Type == rdString || item.Value.Type == rdExpandString) {
            EXPECT_EQ(reg.ReadString(item.Name), item.Value.Data) << item.Key;
        } else if (item.Value.Type == rdInteger) {
            int32_t expected = 0;
            std::memcpy(&expected, item.Value.Data.data(), 4);
            EXPECT_EQ(reg.ReadInteger(item.Name), expected);
        } else {
            std::string back(item.Value.Data.size() + 1, 'x');
            EXPECT_EQ(reg.ReadBinaryData(item.Name, back.data(), static_cast<int32_t>(back.size())),
                      static_cast<int32_t>(item.Value.Data.size()));
            EXPECT_EQ(back.substr(0, item.Value.Data.size()), item.Value.Data);
        }
        const std::vector<std::string> names = reg.GetValueNames();
        EXPECT_EQ(names, std::vector<std::string>{item.Name}) << item.Key;
    }
}

TEST(RegistryFuzz, DamagedFilesLoadAndASaveKeepsWhatWasReadable)
{
    std::mt19937 rng(2718);
    const std::string dir = MakeTestDir("fuzz-damage");
    const std::string original = dir + "/original";
    {
        TRegistryStore store(original);
        TRegistry reg(store);
        for (int k = 0; k < 12; ++k) {
            ASSERT_TRUE(reg.OpenKey("\\Software\\App\\K" + std::to_string(k) + RandomKeyName(rng), true));
            for (int v = 0; v < 6; ++v) {
                const std::string name = "v" + std::to_string(v) + TrickyText(rng, 6);
                switch (v % 3) {
                case 0: reg.WriteString(name, TrickyText(rng, 40)); break;
                case 1: reg.WriteInteger(name, static_cast<int32_t>(rng())); break;
                default: {
                    const std::string b = RandomBytes(rng, 20);
                    reg.WriteBinaryData(name, b.data(), static_cast<int32_t>(b.size()));
                }
                }
            }
        }
        reg.Flush();
    }
    const std::string text = ReadTestFile(original);
    const TSnapshot full = Snapshot(original);
    ASSERT_EQ(full.size(), 15u);  // with HKEY_CURRENT_USER, Software and App

    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    const std::string file = dir + "/registry";
    for (int round = 0; round < 120; ++round) {
        std::string damaged;
        const int kind = round % 6;
        // Kinds 0 and 1 only add lines that name no key: every value stays readable.
        bool keepsEverything = kind <= 1;
        if (kind <= 1) {
            for (const std::string& line : lines) {
                damaged += line + (rng() % 2 ? "\r\n" : "\n");
                if (rng() % 4 == 0) {
                    std::string junk = kind == 0 ? RandomBytes(rng, 60) : TrickyText(rng, 60);
                    std::replace(junk.begin(), junk.end(), '\n', ' ');
                    std::replace(junk.begin(), junk.end(), '\r', ' ');
                    if (!junk.empty() && (junk[0] == '[' || junk[0] == '"' || junk[0] == '@'))
                        junk[0] = '!';
                    if (rng() % 8 == 0)
                        junk += std::string(70000, 'z');  // a huge line
                    damaged += junk + "\n";
                }
                if (rng() % 10 == 0)
                    damaged += line + "\n";  // a key or value given twice
            }
        } else if (kind == 2) {
            damaged = text.substr(0, rng() % text.size());  // truncated
        } else if (kind == 3) {
            damaged = text;
            for (int i = 0; i < 8; ++i)
                damaged[rng() % damaged.size()] = static_cast<char>(rng());
        } else if (kind == 4) {
            damaged = text;
            for (int i = 0; i < 5; ++i)
                damaged.insert(rng() % damaged.size(), rng() % 2 ? std::string(3, '\0') : TrickyText(rng, 10));
        } else {
            damaged = RandomBytes(rng, 4000);
        }
        WriteTestFile(file, damaged);

        const TSnapshot before = Snapshot(file);
        if (keepsEverything) {
            ASSERT_EQ(before, full) << "round " << round;
        }
        // Another key written and saved: everything read before is still there.
        {
            TRegistryStore store(file);
            TRegistry reg(store);
            ASSERT_TRUE(reg.OpenKey("\\Software\\Added", true));
            reg.WriteInteger("Round", round);
            reg.Flush();
        }
        TSnapshot after = Snapshot(file);
        const std::vector<std::string> added = {"HKEY_CURRENT_USER", "SOFTWARE", "ADDED"};
        ASSERT_EQ(after[added].size(), 1u) << "round " << round;
        after.erase(added);
        TSnapshot expected = before;
        expected.erase(added);
        // The new key's parents may be new too.
        for (const auto& key : {std::vector<std::string>{"HKEY_CURRENT_USER"},
                                std::vector<std::string>{"HKEY_CURRENT_USER", "SOFTWARE"}})
            if (!expected.count(key) && after.count(key) && after[key].empty())
                after.erase(key);
        EXPECT_EQ(after, expected) << "round " << round;
    }
}
