// Autocorrection options per language: the default lists, the replacement
// list's order, the ordinals, and the settings saved and read back through
// the registry and through an INI file.
#include "foundation/settings/IniFile.h"
#include "foundation/settings/RegistryEx.h"
#include "platform/runtime/SysUtils.h"
#include "proofing/AutocorrectLangOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

namespace {

constexpr int32_t English = 9;
constexpr int32_t French = 12;
constexpr int32_t German = 7;
constexpr int32_t Spanish = 10;

std::string Typed(const TAutocorrectLangOptions& options, int32_t index)
{
    std::string typed, replacement;
    TAutocorrectLangOptions::SplitReplacementEntry(options.Replacements.Strings(index), typed, replacement);
    return typed;
}

std::string ReplacementOf(const TAutocorrectLangOptions& options, const std::string& typed)
{
    const int32_t index = options.FindReplacement(typed);
    if (index < 0)
        return "<none>";
    std::string t, replacement;
    TAutocorrectLangOptions::SplitReplacementEntry(options.Replacements.Strings(index), t, replacement);
    return replacement;
}

// Every typed text can be found again: the list is in the order the binary
// search expects.
void ExpectSearchable(const TAutocorrectLangOptions& options)
{
    for (int32_t i = 0; i < options.Replacements.Count(); ++i)
        EXPECT_EQ(options.FindReplacement(Typed(options, i)), i) << Typed(options, i);
}

TEST(AutocorrectOptionsTest, LanguagesStartFromTheirDefaultLists)
{
    const TAutocorrectLangOptions french(French), english(English), german(German), spanish(Spanish);
    EXPECT_EQ(french.Quotes, 1);
    EXPECT_EQ(german.Quotes, 2);
    EXPECT_EQ(english.Quotes, 0);
    EXPECT_EQ(spanish.Quotes, 0);
    EXPECT_EQ(ReplacementOf(french, "Cie"), "C^^ie");
    EXPECT_EQ(ReplacementOf(french, "teh"), "<none>");
    EXPECT_EQ(ReplacementOf(english, "teh"), "the");
    // A language without a list of its own takes the general one.
    EXPECT_EQ(ReplacementOf(spanish, "(c)"), "\xA9");
    EXPECT_EQ(ReplacementOf(spanish, "Cie"), "<none>");
    EXPECT_TRUE(french.IsCapSentException("etc."));
    EXPECT_TRUE(english.IsOtherException("ghz"));
    EXPECT_EQ(french.OrdinalsStored, 0);
    EXPECT_EQ(spanish.OrdinalsStored, 1);
    EXPECT_EQ(spanish.Ordinals.Count(), 0);
    EXPECT_EQ(french.LangRecord, 0);
    EXPECT_EQ(english.LangRecord, -1);
    EXPECT_EQ(french.Modified, 0);
    ExpectSearchable(french);
    ExpectSearchable(english);
}

TEST(AutocorrectOptionsTest, SetReplacementOverwritesOrInsertsInOrder)
{
    TAutocorrectLangOptions options(French);
    const int32_t count = options.Replacements.Count();
    EXPECT_EQ(options.FindReplacement("zzz-absent"), -1);

    options.SetReplacement("Cie", "Compagnie");
    EXPECT_EQ(options.Replacements.Count(), count);
    EXPECT_EQ(ReplacementOf(options, "Cie"), "Compagnie");
    EXPECT_EQ(options.Modified, 1);

    for (const char* typed : {"bjr", "a", "zzz", "Bjr", "(x)"})
        options.SetReplacement(typed, std::string("<") + typed + ">");
    EXPECT_EQ(options.Replacements.Count(), count + 5);
    ExpectSearchable(options);
    EXPECT_EQ(ReplacementOf(options, "Bjr"), "<Bjr>");
    EXPECT_EQ(ReplacementOf(options, "bjr"), "<bjr>");
}

TEST(AutocorrectOptionsTest, OrdinalsSplitAndMatch)
{
    struct {
        const char* Text;
        bool Romans;
        bool Ok;
        const char* Number;
        const char* Suffix;
    } const splits[] = {
        {"1er", true, true, "1", "er"},  {"XIVe", true, true, "14", "e"},   {"mille", true, false, "", "mille"},
        {"XIVe", false, false, "", "XIVe"}, {"21st", false, true, "21", "st"}, {"42", true, false, "42", ""},
    };
    for (const auto& c : splits) {
        std::string number, suffix;
        EXPECT_EQ(SplitOrdinal(c.Text, c.Romans, number, suffix), c.Ok) << c.Text;
        EXPECT_EQ(number, c.Number) << c.Text;
        EXPECT_EQ(suffix, c.Suffix) << c.Text;
    }

    TAutocorrectLangOptions english(English), french(French);
    struct {
        TAutocorrectLangOptions* Options;
        const char* Word;
        int32_t Start;  // -1: no match
    } const matches[] = {
        {&english, "21st", 2},  {&english, "111th", 3}, {&english, "11st", -1}, {&english, "2ND", 1},
        {&english, "3rd", 1},   {&french, "1er", 1},    {&french, "IIe", 2},    {&french, "XIVe", 3},
        {&french, "1ER", -1},   {&french, "mille", -1}, {&french, "21e", 2},   {&french, "Ve", 1},
        // A lone C, D, L or M starts a word: "Le" and "Les" are no ordinals.
        {&french, "Le", -1},    {&french, "Les", -1},   {&french, "Ces", -1},  {&french, "LIe", 2},
    };
    for (const auto& c : matches) {
        int32_t start = 0, length = 0;
        const bool found = c.Options->MatchOrdinal(c.Word, start, length);
        EXPECT_EQ(found ? start : -1, c.Start) << c.Word;
        if (found) {
            EXPECT_EQ(start + length, static_cast<int32_t>(std::string(c.Word).size())) << c.Word;
        }
    }
}

// The two stores, each opened for writing and then for reading.
struct TStoreKind {
    const char* Name;
    std::function<std::unique_ptr<TSettingsStorage>(bool write)> Open;
};

std::vector<TStoreKind> StoreKinds()
{
    const std::string ini = (std::filesystem::temp_directory_path() / "autocorrect-test.ini").string();
    std::filesystem::remove(ini);
    return {
        {"registry", [](bool) { return std::make_unique<TRegistryEx>(); }},
        {"ini", [ini](bool write) { return std::make_unique<TIniFile>(ini, write); }},
    };
}

void Flush(TSettingsStorage& store)
{
    if (auto* registry = dynamic_cast<TRegistryEx*>(&store))
        registry->Flush();
    if (auto* ini = dynamic_cast<TIniFile*>(&store))
        ini->Flush();
}

TEST(AutocorrectOptionsTest, SettingsSurviveBothStores)
{
    for (const TStoreKind& kind : StoreKinds()) {
        SCOPED_TRACE(kind.Name);
        TAutocorrectLangOptions options(French);
        const int32_t defaults = options.Replacements.Count();
        options.Replacements.Delete(options.FindReplacement("Cie"));
        options.SetReplacement("bjr", "bonjour");
        options.Quotes = 3;
        options.NonbrSpcs = 0;
        options.Flags = 5;
        options.LeftAdjSep['!'] = true;
        options.OtherEx.Add("XYZs");
        {
            std::unique_ptr<TSettingsStorage> store = kind.Open(true);
            options.SaveToStorage(*store);
            Flush(*store);
        }
        std::unique_ptr<TSettingsStorage> store = kind.Open(false);
        const TAutocorrectLangOptions read(French, store.get());
        EXPECT_EQ(read.Replacements.Count(), defaults);
        EXPECT_EQ(read.FindReplacement("Cie"), -1);
        EXPECT_EQ(ReplacementOf(read, "bjr"), "bonjour");
        EXPECT_EQ(read.Quotes, 3);
        EXPECT_EQ(read.NonbrSpcs, 0);
        EXPECT_EQ(read.Flags, 5);
        EXPECT_TRUE(read.IsOtherException("XYZs"));
        EXPECT_TRUE(read.LeftAdjSep['!']);
        // The blank stays in both tables though the stored text starts at 33.
        EXPECT_TRUE(read.LeftAdjSep[' ']);
        EXPECT_TRUE(read.RightAdjSep[' ']);
        EXPECT_EQ(read.LeftAdjSep, options.LeftAdjSep);
        EXPECT_EQ(read.RightAdjSep, options.RightAdjSep);
        ExpectSearchable(read);

        store->Prefix = std::string(AutocorrectSettingsKey) + "12\\";
        EXPECT_EQ(store->ReadLongString("RplcTxt_Rmv", ""), "Cie\tC^^ie");

        // A stored list from an older version: the default lines it lacks
        // and that the user never removed come in by themselves.
        {
            std::unique_ptr<TSettingsStorage> out = kind.Open(true);
            out->Prefix = std::string(AutocorrectSettingsKey) + "12\\";
            out->WriteLongString("RplcTxt", "bjr\tbonjour");
            out->WriteLongString("RplcTxt_Rmv", "Cie\tC^^ie");
            Flush(*out);
        }
        std::unique_ptr<TSettingsStorage> older = kind.Open(false);
        const TAutocorrectLangOptions merged(French, older.get());
        EXPECT_EQ(merged.Replacements.Count(), defaults);
        EXPECT_EQ(ReplacementOf(merged, "(c)"), "\xA9");
        EXPECT_EQ(merged.FindReplacement("Cie"), -1);
        ExpectSearchable(merged);
    }
}

TEST(AutocorrectOptionsTest, TransferCarriesEveryStoredLanguage)
{
    // A language beyond the usual first 55 ids (Hindi, 57) and a usual one.
    {
        TRegistryEx registry;
        for (int32_t language : {57, French}) {
            TAutocorrectLangOptions options(language);
            options.SetReplacement("xq", "transfert " + std::to_string(language));
            options.SaveToStorage(registry);
        }
        registry.Flush();
    }
    TAutocorrectLangOptionsManager manager;
    manager.SetStoreSource([] { return std::unique_ptr<TSettingsStorage>(std::make_unique<TRegistryEx>()); });
    const std::string ini = (std::filesystem::temp_directory_path() / "autocorrect-transfer.ini").string();
    {
        TIniFile store(ini, true);
        manager.SaveToStorage(store, true);
        store.Flush();
    }
    TIniFile store(ini, false);
    for (int32_t language : {57, French})
        EXPECT_EQ(ReplacementOf(TAutocorrectLangOptions(language, &store), "xq"),
                  "transfert " + std::to_string(language))
            << language;

    // Without a transfer only changed languages are written.
    TAutocorrectLangOptionsManager quiet;
    quiet.GetLangOptions(0x0409);
    quiet.GetLangOptions(0x040C).SetReplacement("yq", "modifié");
    const std::string second = (std::filesystem::temp_directory_path() / "autocorrect-changed.ini").string();
    {
        TIniFile out(second, true);
        quiet.SaveToStorage(out);
        out.Flush();
    }
    TIniFile in(second, false);
    in.Prefix.clear();
    EXPECT_TRUE(in.KeyExists(std::string(AutocorrectSettingsKey) + "12"));
    EXPECT_FALSE(in.KeyExists(std::string(AutocorrectSettingsKey) + "9"));
}

}  // namespace
