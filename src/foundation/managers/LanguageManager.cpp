#include "foundation/managers/LanguageManager.h"

#include "foundation/CodePageRoutines.h"
#include "foundation/settings/SettingsStorage.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/Bitmap.h"
#include "platform/runtime/Locale.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
std::unique_ptr<TLanguageManager> gLanguageManager;

bool IsNoLanguage(int32_t language)
{
    return language == LanguageNeutral || language == LanguageNotSet;
}
}  // namespace

TLanguageManager& GetLanguageManager()
{
    if (!gLanguageManager) {
        gLanguageManager = std::make_unique<TLanguageManager>();
        gLanguageManager->Initialize();
    }
    return *gLanguageManager;
}

void FreeLanguageManager()
{
    gLanguageManager.reset();
}

void TLanguageManager::Initialize()
{
    FNames.clear();
    // Every primary language with its sublanguages 1, 2, ... up to the first
    // one the system does not name.
    for (int32_t primary = 1; primary <= 54; ++primary)
        for (int32_t sub = 1; sub < 64; ++sub) {
            const int32_t language = (sub << 10) + primary;
            const std::string name = GetLocaleLanguageName(static_cast<LCID>(language));
            if (name.empty())
                break;
            FNames.push_back({name, language});
        }
    std::stable_sort(FNames.begin(), FNames.end(),
                     [](const TLanguageName& a, const TLanguageName& b) { return AnsiCompareText(a.Name, b.Name) < 0; });
    FHistory.clear();
    AddToHistory(static_cast<int32_t>(GetUserDefaultLangID()));
}

std::string TLanguageManager::GetLanguageName(int32_t language) const
{
    if (IsNoLanguage(language))
        return "( aucune )";
    for (const TLanguageName& entry : FNames)
        if (entry.Language == language)
            return entry.Name;
    return "( Autre langue (ID: " + std::to_string(language) + ") )";
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

void TLanguageManager::AddToHistory(int32_t language)
{
    FHistory.erase(std::remove(FHistory.begin(), FHistory.end(), language), FHistory.end());
    FHistory.insert(FHistory.begin(), language);
    if (FHistory.size() > LanguageHistoryLimit)
        FHistory.resize(LanguageHistoryLimit);
}

void TLanguageManager::LoadHistory(TSettingsStorage& store)
{
    store.OpenKey("LangHistory");
    const int32_t count = store.ReadInteger("Count", 0, -1, static_cast<int32_t>(LanguageHistoryLimit));
    const int32_t userDefault = static_cast<int32_t>(GetUserDefaultLangID());
    FHistory.clear();
    if (count != -1) {
        // "A" is the most recent: added last, it ends first.
        for (int32_t i = count - 1; i >= 0; --i)
            AddToHistory(store.ReadInteger(std::string(1, static_cast<char>('A' + i)), INT32_MIN, userDefault,
                                           INT32_MAX));
        return;
    }
    AddToHistory(userDefault);
    if (SpellingLanguages)
        for (int32_t language : SpellingLanguages())
            AddToHistory(language);
}

void TLanguageManager::SaveHistory(TSettingsStorage& store) const
{
    store.OpenKey("LangHistory");
    for (size_t i = 0; i < FHistory.size(); ++i)
        store.WriteInteger(std::string(1, static_cast<char>('A' + i)), FHistory[i]);
    store.WriteInteger("Count", static_cast<int32_t>(FHistory.size()));
}

void TLanguageManager::DrawLanguageItem(int32_t language, TCanvas& canvas, bool separator, const TRect& rect) const
{
    canvas.FillRect(rect);
    int32_t x = rect.Left + 3;
    if (HasSpellingSystem && SpellingGlyph && HasSpellingSystem(language))
        if (const TBitmap* glyph = SpellingGlyph()) {
            canvas.Draw(x, rect.Top + (rect.Bottom - rect.Top - glyph->Height()) / 2,
                        const_cast<TBitmap&>(*glyph));
            x += glyph->Width() + 3;
        }
    const std::string name = GetLanguageName(language);
    canvas.TextOut(x, rect.Top + (rect.Bottom - rect.Top - canvas.TextHeight(name)) / 2, name);
    if (separator) {
        canvas.Pen().SetColor(canvas.Font().Color());
        for (int32_t row : {rect.Bottom - 3, rect.Bottom - 1}) {
            canvas.MoveTo(rect.Left, row);
            canvas.LineTo(rect.Right, row);
        }
    }
}
