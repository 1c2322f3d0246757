#include "foundation/languages/LanguageManager.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/NotSet.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <cstring>

namespace {

std::unique_ptr<TLanguageManager> g_LanguageManager;

bool IsNoLanguage(int32_t language)
{
    return language == NoLanguage || language == NotSet;
}

std::string HistoryValueName(int32_t index)
{
    return std::string(1, static_cast<char>('A' + index));
}

} // namespace

void TLanguageManager::LoadNames()
{
    FNames.clear();
    for (int32_t primary = 1; primary <= 54; ++primary) {
        // Sublanguages take the six bits above the primary language.
        for (int32_t sub = 1; sub < 64; ++sub) {
            const int32_t id = (sub << 10) + primary;
            const std::string name = GetLocaleLanguageName(static_cast<LCID>(id));
            if (name.empty())
                break;
            FNames.push_back({name, id});
        }
    }
    std::stable_sort(FNames.begin(), FNames.end(),
                     [](const TLanguageName& a, const TLanguageName& b) { return AnsiCompareText(a.Name, b.Name) < 0; });
}

std::string TLanguageManager::GetLanguageName(int32_t language) const
{
    if (IsNoLanguage(language))
        return "( aucune )";
    for (const TLanguageName& n : FNames)
        if (n.Language == language)
            return n.Name;
    return Format("( Autre langue (ID: %d) )", {language});
}

int32_t TLanguageManager::LanguageForCharset(uint8_t charset, int32_t language) const
{
    if (!IsNoLanguage(language) && GetLocaleCharset(static_cast<LCID>(language), false) == charset)
        return language;
    if (GetLocaleCharset(LOCALE_USER_DEFAULT, false) == charset)
        return GetUserDefaultLangID();
    for (const TLanguageName& n : FNames)
        if (GetLocaleCharset(static_cast<LCID>(n.Language), false) == charset)
            return n.Language;
    return language;
}

void TLanguageManager::AddToHistory(int32_t language)
{
    FHistory.erase(std::remove(FHistory.begin(), FHistory.end(), language), FHistory.end());
    FHistory.insert(FHistory.begin(), language);
    if (FHistory.size() > static_cast<size_t>(LanguageHistoryLimit))
        FHistory.resize(LanguageHistoryLimit);
}

void TLanguageManager::LoadHistory(TSettingsStorage& store)
{
    FHistory.clear();
    store.OpenKey("LangHistory");
    const int32_t count = store.ReadInteger("Count", -1, -1, LanguageHistoryLimit);
    if (count == -1) {
        // The spelling systems' languages join the history once they are
        // configured; the user's language comes first.
        FHistory.push_back(GetUserDefaultLangID());
        return;
    }
    // "A" is the most recent: added last, it ends first.
    for (int32_t i = count - 1; i >= 0; --i)
        AddToHistory(store.ReadInteger(HistoryValueName(i), INT32_MIN, GetUserDefaultLangID(), INT32_MAX));
}

void TLanguageManager::SaveHistory(TSettingsStorage& store) const
{
    store.OpenKey("LangHistory");
    for (size_t i = 0; i < FHistory.size(); ++i)
        store.WriteInteger(HistoryValueName(static_cast<int32_t>(i)), FHistory[i]);
    store.WriteInteger("Count", static_cast<int32_t>(FHistory.size()));
}

int32_t TLanguageManager::IndexOfLanguageRecord(const void* records, int32_t lastIndex, int32_t language)
{
    const auto* bytes = static_cast<const uint8_t*>(records);
    for (int32_t i = 0; i <= lastIndex; ++i) {
        int32_t id = 0, second = 0;
        std::memcpy(&id, bytes + i * 20, 4);
        std::memcpy(&second, bytes + i * 20 + 4, 4);
        if (id == language && second > 0)
            return i;
    }
    return -1;
}

TLanguageManager& GetLanguageManager()
{
    if (!g_LanguageManager) {
        g_LanguageManager = std::make_unique<TLanguageManager>();
        g_LanguageManager->LoadNames();
    }
    return *g_LanguageManager;
}

void FreeLanguageManager()
{
    g_LanguageManager.reset();
}
