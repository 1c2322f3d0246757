#include "shell/proofing/SpellCheckManager.h"

#include "docwindow/DocumentSpellingHost.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "formats/DocDispatcher.h"
#include "foundation/MessageDlg.h"
#include "foundation/TextTables.h"
#include "foundation/managers/LanguageManager.h"
#include "platform/runtime/Processes.h"
#include "platform/runtime/SysUtils.h"
#include "proofing/AutocorrectLangOptions.h"
#include "proofing/SpellCheckDrvAPI.h"
#include "shell/commands/CommandManager.h"
#include "shell/frame/MainForm.h"
#include "shell/proofing/ChooseLangForm.h"
#include "shell/proofing/SpellCheckForm.h"

#include <algorithm>
#include <array>

namespace {

std::unique_ptr<TSpellCheckManager> gManager;
TSpellChecksInvalidator gPreviousInvalidator = nullptr;
TDocumentSpeller* gPreviousSpeller = nullptr;

constexpr int32_t kSuggestionBufferSize = 2065;

const char* const kKeepSystemQuestion =
    "Impossible de démarrer le vérificateur orthographique||\"%s\".||Souhaitez-vous conserver ce vérificateur "
    "orthographique et renouveler votre tentative plus tard ?";

bool IsQuoteChar(uint8_t c)
{
    switch (c) {
    case '"':
    case '\'':
    case 0x60:
    case 0x84:
    case 0x91:
    case 0x92:
    case 0x93:
    case 0x94:
    case 0xAB:
    case 0xBB:
        return true;
    default:
        return false;
    }
}

bool IsApostrophe(char c)
{
    const auto u = static_cast<uint8_t>(c);
    return u == '\'' || u == 0x91 || u == 0x92 || u == 0x60;
}

bool HasHyphen(const std::string& word)
{
    return word.find('-') != std::string::npos || word.find('\x0B') != std::string::npos;
}

bool IsFrenchOrItalian(int32_t language)
{
    return (language & 0x3FF) == 0x0C || (language & 0x3FF) == 0x10;
}

bool HasLanguage(int32_t language)
{
    return language != LanguageNeutral && language != LanguageNotSet && language != 0;
}

// Changes entries of the word separators for as long as it lives.
class TSeparatorChange {
public:
    TSeparatorChange(std::initializer_list<uint8_t> chars, bool separator)
    {
        for (uint8_t c : chars) {
            FSaved.push_back({c, DelimiterCharTable[c]});
            DelimiterCharTable[c] = separator;
        }
    }
    ~TSeparatorChange()
    {
        for (auto it = FSaved.rbegin(); it != FSaved.rend(); ++it)
            DelimiterCharTable[it->first] = it->second;
    }
    TSeparatorChange(const TSeparatorChange&) = delete;
    TSeparatorChange& operator=(const TSeparatorChange&) = delete;

private:
    std::vector<std::pair<uint8_t, bool>> FSaved;
};

// The option the document's word finder reads for web addresses, set for as
// long as it lives.
class TUrlOptionChange {
public:
    explicit TUrlOptionChange(bool on) : FSaved(DocumentHost().UrlDetection()) { DocumentHost().SetUrlDetection(on); }
    ~TUrlOptionChange() { DocumentHost().SetUrlDetection(FSaved); }
    TUrlOptionChange(const TUrlOptionChange&) = delete;
    TUrlOptionChange& operator=(const TUrlOptionChange&) = delete;

private:
    bool FSaved;
};

// The document window's spelling menu, served by the manager.
class TShellSpellingHost : public TDocumentSpellingHost {
public:
    bool BackgroundSpellingShown() override
    {
        const uint16_t both = scCheckAsYouType | scUnderlineMisspellings;
        return (ProgramSpellSettings().Flags & both) == both;
    }
    bool CheckWordAtCaret(TDocument& document, TSpellingFinding& finding) override
    {
        TSpellCheckManager& manager = GetSpellCheckManager();
        manager.CheckWordAtCaret(document);
        const TCaretWordAnalysis& word = manager.CaretWord;
        finding = TSpellingFinding{};
        if (word.Range.Length <= 0)
            return false;
        finding.Range.Start = word.Range.Position;
        finding.Range.End = word.Range.Position;
        finding.Range.End.Offset += word.Range.Length;
        finding.Word = word.Doubled ? word.DoubledText : word.Text;
        finding.Language = word.Language;
        finding.Misspelled = word.Misspelled;
        finding.Doubled = word.Doubled;
        finding.NoSystem = word.NoSystem;
        finding.Suggestions = manager.Suggestions;
        return true;
    }
    void ReplaceWord(TDocument& document, const std::string& text) override
    {
        GetSpellCheckManager().CheckSpelling(document, scmReplace, nullptr, text);
    }
    void AddAutocorrection(int32_t language, const std::string& word, const std::string& text) override
    {
        GetAutocorrectLangOptionsManager().GetLangOptions(static_cast<LANGID>(language)).SetReplacement(word, text);
    }
    void SetLanguage(TDocument& document, int32_t language) override
    {
        TTextRange range{document.Selection().Start, document.Selection().End};
        TCharFormat format;
        ClearCharFormat(format);
        format[cfLanguage] = language;
        uint8_t flags = 0;
        document.LanguageCommand = 1;
        try {
            document.ExecuteOperation(docFormatText, {&range, &format, &flags});
        } catch (...) {
            document.LanguageCommand = 0;
            throw;
        }
        document.LanguageCommand = 0;
    }
    void RunCommand(int32_t commandId) override
    {
        if (CommandManager)
            CommandManager->ExecuteCommand(commandId);
    }
};

TShellSpellingHost gSpellingHost;
TDocumentSpellingHost* gPreviousSpellingHost = nullptr;

void InvalidateFromSystems()
{
    if (gManager)
        gManager->InvalidateChecks();
}

TTextPosition WordEnd(const TSpellWordRange& word)
{
    TTextPosition end = word.Position;
    end.Offset += word.Length;
    return end;
}

bool Before(const TTextPosition& a, const TTextPosition& b)
{
    return CompareTextPos(a, b) < 0;
}

}  // namespace

TSpellCheckManager& GetSpellCheckManager()
{
    if (!gManager) {
        gManager = std::make_unique<TSpellCheckManager>();
        gPreviousInvalidator = SetSpellChecksInvalidator(&InvalidateFromSystems);
        gPreviousSpeller = SetDocumentSpeller(gManager.get());
        gPreviousSpellingHost = SetDocumentSpellingHost(&gSpellingHost);
        TLanguageManager& languages = GetLanguageManager();
        languages.HasSpellingSystem = [](int32_t language) {
            return gManager && HasLanguage(language) && gManager->HasSystemForLanguage(language);
        };
        languages.SpellingLanguages = [] {
            std::vector<int32_t> list;
            if (!gManager)
                return list;
            for (auto it = gManager->Systems.rbegin(); it != gManager->Systems.rend(); ++it) {
                if (!(*it)->Loaded)
                    (*it)->LoadSettings(false);
                if ((*it)->Loaded)
                    list.push_back((*it)->Language);
            }
            return list;
        };
    }
    return *gManager;
}

TSpellCheckManager* SpellCheckManagerIfAny()
{
    return gManager.get();
}

void FreeSpellCheckManager()
{
    if (!gManager)
        return;
    SetSpellChecksInvalidator(gPreviousInvalidator);
    SetDocumentSpeller(gPreviousSpeller);
    SetDocumentSpellingHost(gPreviousSpellingHost);
    gPreviousSpellingHost = nullptr;
    FreeSpellCheckForm();
    gPreviousInvalidator = nullptr;
    gPreviousSpeller = nullptr;
    gManager.reset();
}

TSpellCheckManager::TSpellCheckManager()
{
    if (TSC_Settings* settings = GetSpellSettings())
        for (int32_t i = 0; i < settings->Systems.Count(); ++i)
            Systems.push_back(std::make_unique<TSpellCheckSystem>(settings->Systems.Strings(i)));
}

TSpellCheckManager::~TSpellCheckManager() = default;

// --- systems -----------------------------------------------------------------------------

bool TSpellCheckManager::HasSystemForLanguage(int32_t language)
{
    for (auto& system : Systems) {
        if (!system->Loaded)
            system->LoadSettings(false);
        if (system->Loaded && system->PrimaryLanguage() == (language & 0x3FF))
            return true;
    }
    return false;
}

TSpellCheckSystem* TSpellCheckManager::GetSystemForLanguage(int32_t language, bool start)
{
    if (!HasLanguage(language))
        return nullptr;
    // 1. The exact language, from the last system to the first; a system
    // that cannot be loaded may be dropped.
    for (int32_t i = static_cast<int32_t>(Systems.size()) - 1; i >= 0; --i) {
        TSpellCheckSystem* system = Systems[static_cast<size_t>(i)].get();
        if (!system->Loaded && !system->LoadSettings(start)) {
            if (start && ShowMessageDlg(Format(kKeepSystemQuestion, {system->DescriptionPath}), mtWarning,
                                        mbYesNo) == mrNo)
                RemoveSystem(i);
            continue;
        }
        if (system->Language == language)
            return start ? EnsureSystemStarted(system) : system;
    }
    // 2. The first of the same primary language.
    for (auto& system : Systems)
        if (system->Loaded && system->PrimaryLanguage() == (language & 0x3FF))
            return start ? EnsureSystemStarted(system.get()) : system.get();
    return nullptr;
}

TSpellCheckSystem* TSpellCheckManager::EnsureSystemStarted(TSpellCheckSystem* system)
{
    if (!system->Running)
        system->StartSession();
    if (system->Running)
        return system;
    if (ShowMessageDlg(Format(kKeepSystemQuestion, {system->Description}), mtWarning, mbYesNo) == mrNo)
        for (size_t i = 0; i < Systems.size(); ++i)
            if (Systems[i].get() == system) {
                RemoveSystem(static_cast<int32_t>(i));
                break;
            }
    return nullptr;
}

void TSpellCheckManager::AddSystem(const std::string& name)
{
    Systems.push_back(std::make_unique<TSpellCheckSystem>(name));
    if (TSC_Settings* settings = GetSpellSettings())
        settings->Systems.Add(name);
}

void TSpellCheckManager::RemoveSystem(int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(Systems.size()))
        return;
    const std::string name = Systems[static_cast<size_t>(index)]->DescriptionPath;
    if (TSC_Settings* settings = GetSpellSettings()) {
        // The settings name the system as its list entry did.
        if (index < settings->Systems.Count())
            settings->Systems.Delete(index);
    }
    if (CaretWord.System == Systems[static_cast<size_t>(index)].get())
        CaretWord.System = nullptr;
    Systems.erase(Systems.begin() + index);
}

void TSpellCheckManager::InvalidateChecks()
{
    ++Generation;
    if (DocDispatcher)
        for (int32_t i = 0; i < DocDispatcher->Count(); ++i)
            DocDispatcher->Documents(i)->RestartSpellCheck();
}

void TSpellCheckManager::RestartAllSystems()
{
    for (auto& system : Systems)
        system->Restart();
    InvalidateChecks();
}

void TSpellCheckManager::SaveSystemSettings(TSettingsStorage& store)
{
    for (auto& system : Systems)
        system->SaveFlags(store);
}

bool TSpellCheckManager::CheckAsYouType()
{
    return (ProgramSpellSettings().Flags & scCheckAsYouType) != 0;
}

// --- words -------------------------------------------------------------------------------

void TSpellCheckManager::FindWordAt(TDocument& document, const TTextPosition& position, TFoundWord& word)
{
    bool isAddress = false;
    int32_t language = 0;
    FindWordAt(document, position, word, isAddress, language);
}

void TSpellCheckManager::FindWordAt(TDocument& document, const TTextPosition& position, TSpellWordRange& word,
                                    bool& isAddress, int32_t& language)
{
    word = TSpellWordRange{position, 0};
    isAddress = false;
    language = LanguageNotSet;
    if (position.Paragraph < 0 || position.Paragraph >= document.ParagraphCount())
        return;
    // 2. A web address or file link is taken whole and has no language.
    if (ProgramSpellSettings().Flags & scIgnoreAddresses) {
        TFoundWord link;
        {
            TUrlOptionChange url(true);
            document.GetUrlAt(position, link);
        }
        if (link.Length <= 0)
            document.GetPrefixedLinkAt(position, link);
        if (link.Length > 0) {
            word = link;
            isAddress = true;
            return;
        }
    }
    // 3. An abbreviation in capitals ("U.S.").
    TFoundWord abbreviation;
    if (document.GetSpellWordAt(position, abbreviation) && abbreviation.Length > 0) {
        word = abbreviation;
        language = document.GetLanguageAt(word.Position.Paragraph, word.Position.Offset + 1);
        return;
    }
    // 4. The extent without a language, then with the word's own.
    FindSpellWordExtent(LanguageNeutral, document, position, word);
    if (word.Length <= 0)
        return;
    language = document.GetLanguageAt(word.Position.Paragraph, word.Position.Offset + 1);
    FindSpellWordExtent(language, document, position, word);
    if (word.Length <= 0)
        return;
    // 6. Quotation marks around the word are not part of it.
    const TParagraph& paragraph = document.Paragraphs(word.Position.Paragraph);
    const uint8_t* chars = paragraph.GetPlainChars().Data();
    while (word.Length > 0 && IsQuoteChar(chars[word.Position.Offset])) {
        ++word.Position.Offset;
        --word.Length;
    }
    while (word.Length > 0 && IsQuoteChar(chars[word.Position.Offset + word.Length - 1]))
        --word.Length;
}

void TSpellCheckManager::FindSpellWordExtent(int32_t language, TDocument& document, const TTextPosition& position,
                                             TSpellWordRange& word)
{
    TUrlOptionChange url((ProgramSpellSettings().Flags & scIgnoreAddresses) != 0);
    TSpellCheckSystem* system = GetSystemForLanguage(language, true);
    if (!system) {
        document.GetWordAt(position, word);
        return;
    }
    TSeparatorChange hyphens({'-', 11}, false);
    document.GetWordAt(position, word);
    const std::string text = WordText(document, word);
    const bool apostrophes = IsFrenchOrItalian(language) && std::any_of(text.begin(), text.end(), IsApostrophe);
    if (!HasHyphen(text) && !apostrophes)
        return;
    if (IsNearlyCorrect(*system, language, text))
        return;
    if (IsFrenchOrItalian(language)) {
        TSeparatorChange elision({'\'', 0x91, 0x92, 0x60}, true);
        document.GetWordAt(position, word);
        if (HasHyphen(WordText(document, word)) && !IsNearlyCorrect(*system, language, WordText(document, word))) {
            TSeparatorChange split({'-', 11}, true);
            document.GetWordAt(position, word);
        }
    } else {
        TSeparatorChange split({'-', 11}, true);
        document.GetWordAt(position, word);
    }
}

bool TSpellCheckManager::IsNearlyCorrect(TSpellCheckSystem& system, int32_t language, const std::string& word)
{
    if (system.CheckWordCached(word, language, 0, nullptr) == csAccepted)
        return true;
    if (word.size() <= 7 || word.find('-') == std::string::npos)
        return false;
    auto cased = [](char c) { return AnsiUpperCase(std::string(1, c)) != AnsiLowerCase(std::string(1, c)); };
    auto accepted = [&](const std::string& w) { return system.CheckWordCached(w, language, 0, nullptr) == csAccepted; };
    // A single typing error: two neighbouring letters swapped (each keeping
    // the case of its place), then one letter too many.
    for (size_t i = 0; i + 1 < word.size(); ++i) {
        if (!cased(word[i]) || !cased(word[i + 1]))
            continue;
        std::string w = word;
        auto matchCase = [](char c, char pattern) {
            const std::string p(1, pattern);
            return p == AnsiUpperCase(p) ? AnsiUpperCase(std::string(1, c))[0] : AnsiLowerCase(std::string(1, c))[0];
        };
        w[i] = matchCase(word[i + 1], word[i]);
        w[i + 1] = matchCase(word[i], word[i + 1]);
        if (accepted(w))
            return true;
    }
    for (size_t i = 0; i < word.size(); ++i) {
        if (!cased(word[i]))
            continue;
        std::string w = word;
        w.erase(i, 1);
        if (accepted(w))
            return true;
    }
    return false;
}

bool TSpellCheckManager::IsRepeatedWord(TDocument& document, const TSpellWordRange& previous,
                                        const TSpellWordRange& word, const std::string& previousText,
                                        const std::string& wordText, std::string& doubledText)
{
    if (previousText.size() != wordText.size() || previousText.empty() ||
        AnsiCompareText(previousText, wordText) != 0 || previous.Position.Paragraph != word.Position.Paragraph)
        return false;
    const int32_t gapStart = previous.Position.Offset + previous.Length;
    const int32_t gapEnd = word.Position.Offset;
    if (gapEnd <= gapStart)
        return false;
    const uint8_t* chars = document.Paragraphs(word.Position.Paragraph).GetPlainChars().Data();
    for (int32_t i = gapStart; i < gapEnd; ++i)
        if (chars[i] != ' ')
            return false;
    doubledText = previousText + std::string(static_cast<size_t>(gapEnd - gapStart), ' ') + wordText;
    return true;
}

std::string TSpellCheckManager::WordText(TDocument& document, const TSpellWordRange& word)
{
    if (word.Length <= 0)
        return {};
    return document.GetTextRun(word.Position.Paragraph, word.Position.Offset, word.Length);
}

namespace {

// The word before the word, separated from it by blanks (at least one); false
// when there is none.
bool FindPreviousWord(TSpellCheckManager& manager, TDocument& document, const TSpellWordRange& word,
                      TSpellWordRange& previous, std::string& previousText)
{
    const uint8_t* chars = document.Paragraphs(word.Position.Paragraph).GetPlainChars().Data();
    int32_t gap = word.Position.Offset;
    while (gap > 0 && chars[gap - 1] == ' ')
        --gap;
    if (gap == word.Position.Offset || gap == 0)
        return false;
    TTextPosition at = word.Position;
    at.Offset = gap - 1;
    bool isAddress = false;
    int32_t language = 0;
    manager.FindWordAt(document, at, previous, isAddress, language);
    if (previous.Length <= 0 || isAddress || previous.Position.Offset + previous.Length != gap)
        return false;
    previousText = TSpellCheckManager::WordText(document, previous);
    return true;
}

}  // namespace

void TSpellCheckManager::SetRunning(bool running)
{
    if (!MainForm)
        return;
    if (running)
        MainForm->Flags |= ffSpellCheckRunning;
    else
        MainForm->Flags &= ~ffSpellCheckRunning;
}

void TSpellCheckManager::CheckWordAtCaret(TDocument& document)
{
    CaretWord = TCaretWordAnalysis{};
    Suggestions.clear();
    bool isAddress = false;
    int32_t language = 0;
    FindWordAt(document, document.Selection().End, CaretWord.Range, isAddress, language);
    CaretWord.Language = language;
    if (CaretWord.Range.Length <= 0 || isAddress) {
        CaretWord.Range.Length = 0;
        return;
    }
    CaretWord.Copy = CaretWord.Range;
    CaretWord.Text = WordText(document, CaretWord.Range);
    const TTextRange range{CaretWord.Range.Position, WordEnd(CaretWord.Range)};
    CheckSpelling(document, scmRange, &range);
    if (!HasSystemForLanguage(language) || !(CaretWord.System = GetSystemForLanguage(language, true))) {
        CaretWord.NoSystem = true;
        return;
    }
    TSpellCheckSystem& system = *CaretWord.System;
    CaretWord.Misspelled = system.IsCachedMisspelling(CaretWord.Text);
    if (CaretWord.Misspelled) {
        std::array<char, kSuggestionBufferSize> buffer{};
        if (system.CheckWordCached(CaretWord.Text, language, kSuggestionBufferSize, buffer.data()) == csAccepted) {
            // Accepted by now (a dictionary changed): it is no longer marked.
            system.IgnoreWordAlways(CaretWord.Text);
            CheckSpelling(document, scmRange, &range);
            CaretWord.Range.Length = 0;
            CaretWord.Misspelled = false;
        } else {
            TStringList list;
            FillListFromBuffer(buffer.data(), buffer.size(), list);
            for (int32_t i = 0; i < list.Count(); ++i)
                Suggestions.push_back(list.Strings(i));
        }
        return;
    }
    if (!(ProgramSpellSettings().Flags & scReportDoubledWords))
        return;
    TSpellWordRange previous;
    std::string previousText;
    std::string doubled;
    if (!FindPreviousWord(*this, document, CaretWord.Range, previous, previousText) ||
        !IsRepeatedWord(document, previous, CaretWord.Range, previousText, CaretWord.Text, doubled))
        return;
    uint8_t state = csAccepted;
    if (system.CheckWord(language, doubled, state, 0, nullptr) >= 0 && state == csMisspelled) {
        CaretWord.Misspelled = true;
        CaretWord.Doubled = true;
        CaretWord.DoubledText = doubled;
        // The doubled word's range runs from the first word to the second.
        CaretWord.Range.Length = CaretWord.Range.Position.Offset + CaretWord.Range.Length - previous.Position.Offset;
        CaretWord.Range.Position = previous.Position;
    }
}

void TSpellCheckManager::CheckRange(TDocument& document, const TTextRange& range)
{
    CheckSpelling(document, scmRange, &range);
}

void TSpellCheckManager::CheckSpelling(TDocument& document, uint8_t mode, const TTextRange* range,
                                       const std::string& text)
{
    const uint16_t flags = ProgramSpellSettings().Flags;
    if (mode == scmRange) {
        if ((flags & (scCheckAsYouType | scUnderlineMisspellings)) != (scCheckAsYouType | scUnderlineMisspellings) ||
            !range || document.ExcludedFromSpelling)
            return;
        if (document.SpellState.Phase == bsNotRunning)
            document.RestartSpellCheck();
    }
    if (mode == scmReplace) {
        FDocument = &document;
        AutoReplace = false;
        Changes = 0;
        FRangeEnd = document.Selection().End;
        ReplaceCurrentWord(text);
        return;
    }
    if (mode == scmBackground && document.ExcludedFromSpelling)
        return;
    // A quiet re-check may come while another check runs (the context menu
    // during a run): the run's state is put back afterwards.
    struct TRunState {
        TDocument* Document;
        uint8_t Mode;
        TTextRange Part;
        TTextPosition RangeEnd;
        bool Stopped;
        bool Cancelled;
        std::vector<int32_t> Missing;
        int32_t Counts[4];
    };
    const TRunState saved{FDocument, FMode, FPart, FRangeEnd, FStopped, Cancelled, FMissingLanguages,
                          {Changes, WordsChecked, WordsWithoutLanguage, MarkedCount}};
    const bool wasRunning = MainForm && MainForm->HasFlag(ffSpellCheckRunning);
    SetRunning(true);
    AutoReplace = false;
    const uint32_t started = GetTickCount();
    FDocument = &document;
    FMode = mode;
    document.GetEditRange(FPart);
    Cancelled = false;
    FStopped = false;
    FMissingLanguages.clear();
    Changes = WordsChecked = WordsWithoutLanguage = MarkedCount = 0;
    auto restore = [&] {
        if (mode == scmRange || mode == scmBackground) {
            FDocument = saved.Document;
            FMode = saved.Mode;
            FPart = saved.Part;
            FRangeEnd = saved.RangeEnd;
            FStopped = saved.Stopped;
            Cancelled = saved.Cancelled;
            FMissingLanguages = saved.Missing;
        }
        SetRunning(wasRunning);
    };
    try {
        // A system started or a dictionary changed during the run makes every
        // paragraph unchecked: the document's check starts over.
        const int32_t generation = Generation;
        if (mode == scmBackground) {
            TTextRange piece;
            while (NextPiece(piece)) {
                RunRange(piece);
                if (Generation != generation || GetTickCount() - started >= BackgroundSliceMs)
                    break;
            }
        } else if (mode == scmRange) {
            TTextRange r = *range;
            RunRange(r);
        }
        if (Generation != generation && (mode == scmBackground || mode == scmRange))
            document.RestartSpellCheck(); else {
            const TTextSelection& selection = document.Selection();
            const bool hadSelection = document.HasSelection();
            const TTextRange selected{selection.Start, selection.End};
            TTextRange r{selection.End, FPart.End};
            if (mode == scmInteractive && hadSelection)
                r = selected;
            if (mode != scmInteractive) {
                const int32_t count = document.Paragraphs(r.Start.Paragraph).GetCharCount();
                if (r.Start.Offset < count - 1)
                    ++r.Start.Offset;
            }
            CheckRangeWords(r);
            if ((mode == scmInteractive || !FStopped) && !Cancelled && !hadSelection &&
                CompareTextPos(r.Start, FPart.Start) != 0)
                CheckRangeWords(TTextRange{FPart.Start, r.Start});
            if (mode == scmInteractive)
                AfterInteractiveRun(hadSelection, selected);
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TSpellCheckManager::RunRange(const TTextRange& range)
{
    TTextRange r = range;
    MarkWordsChecked(r);
    CheckRangeWords(r);
    if (FMode == scmBackground) {
        if (MarkedCount > 0)
            FDocument->SpellState.HasMisspellings = 1;
        if (!FMissingLanguages.empty() || WordsWithoutLanguage > 0)
            FDocument->SpellState.HasTextWithoutSystem = 1;
    }
    FDocument->RepaintRange(r);
}

void TSpellCheckManager::AfterInteractiveRun(bool hadSelection, const TTextRange& selection)
{
    TDocument& document = *FDocument;
    if (!Cancelled && !SingleWordCheck && hadSelection &&
        !(CompareTextPos(selection.Start, FPart.Start) == 0 && CompareTextPos(selection.End, FPart.End) == 0)) {
        const char* question =
            document.EditedHeaderFooter
                ? "Eldravin a fini de vérifier la sélection actuelle. Voulez-vous vérifier l'orthographe du reste de "
                  "cet en-tête ou de ce pied de page ?"
                : "Vérification terminée pour la sélection courante. Voulez-vous qu'Eldravin procède à la "
                  "vérification du reste du document ?";
        if (ShowMessageDlg(question, mtConfirmation, mbYesNo) == mrYes) {
            // The selection's end moved with the replacements made in it.
            TTextPosition from = document.Selection().End;
            if (CompareTextPos(from, selection.End) < 0)
                from = selection.End;
            CheckRangeWords(TTextRange{from, FPart.End});
            if (!Cancelled)
                CheckRangeWords(TTextRange{FPart.Start, selection.Start});
        }
    }
    CloseRunLexicons();
    if (Cancelled || SingleWordCheck)
        return;
    if (WordsChecked > 0 && WordsWithoutLanguage == WordsChecked) {
        ShowInformation("Aucune indication concernant la langue utilisée n'a pu être trouvée dans le codage de ce "
                        "document.||Veuillez, s'il vous plaît, préciser la langue utilisée dans ce document.");
        int32_t language = static_cast<int32_t>(GetUserDefaultLangID());
        if (!AskTextLanguage(language, clfAlwaysChoice, "Langue du texte", 16000))
            return;
        TTextRange target = hadSelection ? selection : FPart;
        if (!hadSelection)
            MarkWordsChecked(target);
        TCharFormat format;
        ClearCharFormat(format);
        format[cfLanguage] = language;
        uint8_t flags = 0;
        document.ExecuteOperation(docFormatText, {&target, &format, &flags});
        if (hadSelection)
            document.SetSelection(selection.Start.Paragraph, selection.Start.Offset, selection.End.Paragraph,
                                  selection.End.Offset);
        CheckSpelling(document, scmInteractive);
        return;
    }
    std::string warning;
    if (WordsWithoutLanguage > 0)
        warning = "||||Attention ! Toutes les portions de texte dont la langue d'origine n'était pas précisée dans "
                  "le codage du document ont été ignorées par le vérificateur orthographique.||Si vous souhaitez "
                  "qu'Eldravin procède à la vérification orthographique de portions de texte dont la langue "
                  "d'origine n'est pas indiquée, veuillez, s'il vous plaît, sélectionner ces fragments de texte, "
                  "puis utiliser la commande \"Format\" | \"Langue du texte...\" pour spécifier à quelle langue ces "
                  "portions de texte appartiennent.||Relancez alors la vérification orthographique.";
    ShowInformation(Format("Vérification orthographique terminée.||%d changement(s) effectué(s).%s",
                           {Changes, warning}));
}

void TSpellCheckManager::CheckRangeWords(const TTextRange& range)
{
    if (IsRangeEmpty(range) || !Before(range.Start, range.End))
        return;
    FRangeEnd = range.End;
    FHasPrevious = false;
    TTextPosition cursor = range.Start;
    while (!Cancelled && !FStopped && Before(cursor, FRangeEnd) && cursor.Paragraph < FDocument->ParagraphCount())
        CheckNextWord(cursor);
}

void TSpellCheckManager::StepCursor(TTextPosition& cursor) const
{
    const int32_t count = FDocument->Paragraphs(cursor.Paragraph).GetCharCount();
    if (cursor.Offset >= count - 1) {
        ++cursor.Paragraph;
        cursor.Offset = 0;
    } else {
        ++cursor.Offset;
    }
}

void TSpellCheckManager::MarkWord(const TSpellWordRange& word, int32_t value)
{
    FDocument->Paragraphs(word.Position.Paragraph)
        .AddMisspelling(word.Position.Offset, word.Position.Offset + word.Length, value);
}

bool TSpellCheckManager::IsTypingWord(const TSpellWordRange& word) const
{
    const TBackgroundSpellState& state = FDocument->SpellState;
    if (!state.WordPending || state.PendingWord.Position.Paragraph != word.Position.Paragraph)
        return false;
    const int32_t start = state.PendingWord.Position.Offset;
    const int32_t end = start + state.PendingWord.Length;
    return word.Position.Offset <= end && start <= word.Position.Offset + word.Length;
}

bool TSpellCheckManager::CheckNextWord(TTextPosition& cursor)
{
    TDocument& document = *FDocument;
    const TTextPosition before = cursor;
    auto stepIfStuck = [&] {
        if (CompareTextPos(cursor, before) <= 0) {
            cursor = before;
            StepCursor(cursor);
        }
    };
    TSpellWordRange word;
    bool isAddress = false;
    int32_t language = 0;
    FindWordAt(document, cursor, word, isAddress, language);
    // 1, 2. A word begun before the cursor was seen already; no word: on.
    if (word.Length <= 0 || word.Position.Offset < cursor.Offset) {
        if (word.Length > 0)
            cursor.Offset = std::max(cursor.Offset, word.Position.Offset + word.Length);
        stepIfStuck();
        return false;
    }
    const TTextPosition end = WordEnd(word);
    auto skip = [&] {
        cursor = end;
        StepCursor(cursor);
    };
    // 3. Addresses are no words.
    if (isAddress) {
        skip();
        return false;
    }
    // 4, 10. Words without a language.
    ++WordsChecked;
    if (!HasLanguage(language)) {
        ++WordsWithoutLanguage;
        if (FMode == scmNextWithoutSystem) {
            document.GoToPosition(end.Paragraph, end.Offset);
            FStopped = true;
            return true;
        }
        skip();
        return false;
    }
    // 9. A language without a spelling system.
    TSpellCheckSystem* system = GetSystemForLanguage(language, true);
    if (!system) {
        const bool known =
            std::find(FMissingLanguages.begin(), FMissingLanguages.end(), language) != FMissingLanguages.end();
        if (!known)
            FMissingLanguages.push_back(language);
        switch (FMode) {
        case scmInteractive:
            if (!known) {
                document.SetSelection(word.Position.Paragraph, word.Position.Offset, end.Paragraph, end.Offset);
                ShowWarning(Format("Aucun vérificateur orthographique n'est installé pour cette langue : %s",
                                   {GetLanguageManager().GetLanguageName(language)}));
            }
            break;
        case scmBackground:
        case scmRange:
            MarkWord(word, SpellMarkNoSystem);
            break;
        case scmNextMisspelling:
            document.GoToPosition(word.Position.Paragraph, word.Position.Offset);
            FStopped = true;
            return true;
        case scmNextWithoutSystem:
            document.GoToPosition(end.Paragraph, end.Offset);
            FStopped = true;
            return true;
        default:
            break;
        }
        cursor = end;
        stepIfStuck();
        return false;
    }
    // 5. Words that are not checked.
    std::string text = WordText(document, word);
    TFoundWord abbreviation;
    int32_t suffixStart = 0;
    int32_t suffixLength = 0;
    if (text.empty() || document.IsWordDelimitedAt(word, text) ||
        (document.GetSpellWordAt(word.Position, abbreviation) && abbreviation.Length > 0) ||
        (GetAutocorrectLangOptionsManager()
             .GetLangOptions(static_cast<LANGID>(language))
             .MatchOrdinal(text, suffixStart, suffixLength) &&
         suffixLength > 0) ||
        (FMode == scmBackground && IsTypingWord(word))) {
        cursor = end;
        stepIfStuck();
        return false;
    }
    // 6. The answer.
    std::string replacement;
    const uint8_t action = AskSpellingAction(text, language, word, replacement,
                                             FMode == scmInteractive ? 0 : sfQuiet, *system, document);
    TSpellWordRange current = word;
    switch (action) {
    case saGoOn:
        cursor = end;
        break;
    case saReplace:
        ReplaceCurrentWord(replacement);
        current.Length = static_cast<int32_t>(replacement.size());
        text = replacement;
        cursor = WordEnd(current);
        break;
    case saMisspelled:
        if (FMode == scmNextMisspelling) {
            document.GoToPosition(end.Paragraph, end.Offset);
            FStopped = true;
            return true;
        }
        if (FMode == scmBackground || FMode == scmRange) {
            MarkWord(word, SpellMarkMisspelled);
            ++MarkedCount;
        }
        cursor = end;
        break;
    default:
        Cancelled = true;
        return true;
    }
    // 7. Doubled words.
    if (!Cancelled && FMode <= scmNextMisspelling && (ProgramSpellSettings().Flags & scReportDoubledWords) &&
        CheckDoubledWord(current, text, *system, language, cursor))
        return true;
    stepIfStuck();
    return false;
}

bool TSpellCheckManager::CheckDoubledWord(const TSpellWordRange& word, const std::string& text,
                                          TSpellCheckSystem& system, int32_t language, TTextPosition& cursor)
{
    TDocument& document = *FDocument;
    TSpellWordRange previous;
    std::string previousText;
    std::string doubled;
    if (!FindPreviousWord(*this, document, word, previous, previousText) ||
        !IsRepeatedWord(document, previous, word, previousText, text, doubled))
        return false;
    uint8_t state = csAccepted;
    const int32_t result = system.CheckWord(language, doubled, state, 0, nullptr);
    if (TSpellCheckSystem::CheckEngineResult(result)) {
        Cancelled = true;
        return true;
    }
    if (state == csAccepted)
        return false;
    const TTextPosition end = WordEnd(word);
    switch (FMode) {
    case scmBackground:
    case scmRange:
        MarkWord(word, SpellMarkMisspelled);
        ++MarkedCount;
        return false;
    case scmNextMisspelling:
        document.GoToPosition(end.Paragraph, end.Offset);
        FStopped = true;
        return true;
    default:
        break;
    }
    TSpellWordRange both{previous.Position, end.Offset - previous.Position.Offset};
    std::string replacement = previousText;
    const uint8_t action = AskSpellingAction(doubled, language, both, replacement, sfDoubled, system, document);
    if (action == saReplace) {
        ReplaceCurrentWord(replacement);
        cursor = previous.Position;
        cursor.Offset += static_cast<int32_t>(replacement.size());
    } else if (action == saCancel) {
        Cancelled = true;
        return true;
    }
    return false;
}

void TSpellCheckManager::MarkWordsChecked(TTextRange& range)
{
    TDocument& document = *FDocument;
    TSpellWordRange word;
    bool isAddress = false;
    int32_t language = 0;
    FindWordAt(document, range.Start, word, isAddress, language);
    if (word.Length > 0 && word.Position.Paragraph == range.Start.Paragraph &&
        word.Position.Offset <= range.Start.Offset && range.Start.Offset < word.Position.Offset + word.Length)
        range.Start.Offset = word.Position.Offset;
    if (range.End.Offset > 0) {
        TTextPosition last = range.End;
        --last.Offset;
        FindWordAt(document, last, word, isAddress, language);
        if (word.Length > 0 && word.Position.Paragraph == last.Paragraph && word.Position.Offset <= last.Offset &&
            last.Offset < word.Position.Offset + word.Length)
            range.End.Offset = std::max(range.End.Offset, word.Position.Offset + word.Length);
    }
    if (FMode != scmBackground && FMode != scmRange)
        return;
    for (int32_t p = range.Start.Paragraph; p <= range.End.Paragraph && p < document.ParagraphCount(); ++p) {
        TParagraph& paragraph = document.Paragraphs(p);
        const int32_t from = p == range.Start.Paragraph ? range.Start.Offset : 0;
        const int32_t to = p == range.End.Paragraph ? std::min(range.End.Offset, paragraph.GetCharCount()) - 1
                                                    : paragraph.GetCharCount() - 1;
        paragraph.MarkSpellChecked(from, to, Generation);
    }
    TBackgroundSpellState& state = document.SpellState;
    if (FMode == scmBackground && state.NextParagraph == range.End.Paragraph)
        state.NextOffset = std::max(state.NextOffset, range.End.Offset);
}

bool TSpellCheckManager::NextPiece(TTextRange& piece)
{
    TDocument& document = *FDocument;
    TBackgroundSpellState& state = document.SpellState;
    const int32_t last = std::min(FPart.End.Paragraph, document.ParagraphCount() - 1);
    int32_t p = std::max(state.NextParagraph, FPart.Start.Paragraph);
    int32_t o = std::max(state.NextOffset, 0);
    // Paragraphs checked whole under this generation keep their marks.
    while (p <= last) {
        const TParagraph& paragraph = document.Paragraphs(p);
        const int32_t count = paragraph.GetCharCount();
        if (o < count && !(o == 0 && paragraph.IsSpellChecked(0, count - 1, Generation)))
            break;
        if (o == 0)
            for (int32_t i = 0; i < paragraph.GetMisspellingCount(); ++i) {
                const int32_t value = paragraph.GetMisspelling(i).Value;
                if (value == SpellMarkNoSystem)
                    state.HasTextWithoutSystem = 1;
                else
                    state.HasMisspellings = 1;
            }
        ++p;
        o = 0;
    }
    if (p > last) {
        state.NextParagraph = p;
        state.NextOffset = 0;
        return false;
    }
    piece.Start = TTextPosition{p, o};
    int32_t remaining = BackgroundPieceLength;
    for (;;) {
        const int32_t count = document.Paragraphs(p).GetCharCount();
        if (count - o > remaining) {
            o += remaining;
            break;
        }
        remaining -= count - o;
        o = count;
        if (p == last || remaining <= 0)
            break;
        ++p;
        o = 0;
    }
    piece.End = TTextPosition{p, o};
    state.NextParagraph = p;
    state.NextOffset = o;
    return true;
}

void TSpellCheckManager::ReplaceCurrentWord(const std::string& text)
{
    TDocument& document = *FDocument;
    const TTextSelection selection = document.Selection();
    const int32_t oldLength = selection.Start.Paragraph == selection.End.Paragraph
                                  ? selection.End.Offset - selection.Start.Offset
                                  : 0;
    TMemory buffer;
    buffer.Append(text.data(), static_cast<int32_t>(text.size()));
    uint8_t flags = 0;
    document.KindOverride = 41;
    document.OperationRecorded = 0;
    try {
        document.ExecuteOperation(docInsertText, {&buffer, &flags});
    } catch (...) {
        document.KindOverride = 255;
        throw;
    }
    document.KindOverride = 255;
    // The replacements of a run undo together.
    TOperationManager& undo = document.UndoManager();
    if (document.OperationRecorded && Changes > 0 && undo.CurrentIndex() >= 0)
        undo.Operations(undo.CurrentIndex()).Joined = 1;
    ++Changes;
    if (FRangeEnd.Paragraph == selection.Start.Paragraph && selection.Start.Paragraph == selection.End.Paragraph)
        FRangeEnd.Offset += static_cast<int32_t>(text.size()) - oldLength;
}

void TSpellCheckManager::CloseRunLexicons()
{
    for (auto& system : Systems)
        if (system->ReplaceAllLexId >= 0) {
            system->CloseLexicon(system->ReplaceAllLexId);
            system->ReplaceAllLexId = -1;
        }
}

bool TSpellCheckManager::BackgroundStep(TDocument& document)
{
    TBackgroundSpellState& state = document.SpellState;
    if (!CheckAsYouType() || state.Phase != bsChecking || document.ExcludedFromSpelling ||
        (MainForm && MainForm->HasFlag(ffSpellCheckRunning)))
        return false;
    if (state.WordPending && GetTickCount() - state.PendingSince >= PendingWordDelayMs)
        document.CheckPendingWord();
    TTextRange part;
    document.GetEditRange(part);
    if (state.NextParagraph <= part.End.Paragraph)
        CheckSpelling(document, scmBackground);
    if (state.NextParagraph <= part.End.Paragraph)
        return false;
    state.Phase = state.HasMisspellings        ? bsFinishedMisspelled
                  : state.HasTextWithoutSystem ? bsFinishedNoSystem
                                               : bsFinishedClean;
    DocumentHost().RequestLayout();
    return true;
}

bool SpellingIdleStep(TDocument* document)
{
    if (!document || document->SpellState.Phase != bsChecking || document->ExcludedFromSpelling ||
        !(ProgramSpellSettings().Flags & scCheckAsYouType))
        return false;
    TSpellCheckManager& manager = GetSpellCheckManager();
    manager.BackgroundStep(*document);
    return document->SpellState.Phase == bsChecking;
}
