// The autocorrection engine: the corrections made right after a character
// was typed (operation 31) or over a range on request (operation 32). Every
// change goes through the document's own edits with the operation given, so
// that undo takes the corrections back together.
#include "document/editing/Autocorrect.h"

#include "document/editing/EditingRecords.h"
#include "document/fields/FieldInstructions.h"
#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/OperationManager.h"
#include "document/text/SpacingContext.h"
#include "document/text/TextAccess.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"
#include "foundation/TextTables.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Windows.h"
#include "proofing/AutocorrectLangOptions.h"

#include <algorithm>
#include <map>

namespace {

constexpr int32_t French = 12;
constexpr int32_t Italian = 16;
constexpr int32_t Spanish = 10;
constexpr int32_t WindowLength = 64;
constexpr uint32_t VkCapital = 0x14;

// The upper- and lower-case forms of the 256 characters for a locale, made
// once a locale: the case tests run for every typed character.
struct TCaseTables {
    std::array<uint8_t, 256> Upper{};
    std::array<uint8_t, 256> Lower{};
};

const TCaseTables& CaseTables(LCID locale)
{
    static std::map<LCID, TCaseTables> cache;
    auto it = cache.find(locale);
    if (it != cache.end())
        return it->second;
    TCaseTables tables;
    std::string all(255, '\0');
    for (int c = 1; c < 256; ++c)
        all[static_cast<size_t>(c - 1)] = static_cast<char>(c);
    const std::string upper = LocaleUpperCase(locale, all);
    const std::string lower = LocaleLowerCase(locale, all);
    tables.Upper[0] = tables.Lower[0] = 0;
    for (int c = 1; c < 256; ++c) {
        tables.Upper[static_cast<size_t>(c)] = static_cast<uint8_t>(upper[static_cast<size_t>(c - 1)]);
        tables.Lower[static_cast<size_t>(c)] = static_cast<uint8_t>(lower[static_cast<size_t>(c - 1)]);
    }
    return cache.emplace(locale, tables).first->second;
}

// The case tests of one pass: lower case when upper-casing changes the
// character, upper case when lower-casing does.
struct TCaseRules {
    const TCaseTables& T;
    LCID Locale;
    explicit TCaseRules(LCID locale) : T(CaseTables(locale)), Locale(locale) {}
    bool IsLower(uint8_t c) const { return T.Upper[c] != c; }
    bool IsUpper(uint8_t c) const { return T.Lower[c] != c; }
    static bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
    std::string Upper(const std::string& s) const
    {
        std::string r = s;
        for (char& c : r)
            c = static_cast<char>(T.Upper[static_cast<uint8_t>(c)]);
        return r;
    }
    bool HasUpper(const std::string& s) const
    {
        return std::any_of(s.begin(), s.end(), [&](char c) { return IsUpper(static_cast<uint8_t>(c)); });
    }
    bool HasLower(const std::string& s) const
    {
        return std::any_of(s.begin(), s.end(), [&](char c) { return IsLower(static_cast<uint8_t>(c)); });
    }
    // First character upper case, no upper case after it.
    bool IsCapitalised(const std::string& s) const
    {
        return !s.empty() && IsUpper(static_cast<uint8_t>(s[0])) && !HasUpper(s.substr(1));
    }
};

// The document's characters as the rules read them: the non-breaking space
// and hyphen as blank and "-", the dashes as their 1252 characters, other
// codes below 32 as they are (they match no letter).
uint8_t ReadChar(uint8_t c)
{
    switch (c) {
    case scNonBreakingSpace:
        return ' ';
    case scNonBreakingHyphen:
        return '-';
    case scEmDash:
        return 0x97;
    case scEnDash:
        return 0x96;
    default:
        return c;
    }
}

bool IsBlank(uint8_t c)
{
    return c == ' ' || c == scNonBreakingSpace;
}

std::string ReplaceAllOf(std::string text, const std::string& what, const std::string& with)
{
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// Sets a character class entry for the time of a scope.
class TClassEntryScope {
public:
    TClassEntryScope(TCharClassTable& table, uint8_t c, bool value) : FTable(table), FChar(c), FOld(table[c])
    {
        FTable[c] = value;
    }
    ~TClassEntryScope() { FTable[FChar] = FOld; }

private:
    TCharClassTable& FTable;
    uint8_t FChar;
    bool FOld;
};

// The URL option of the word finder for the time of a pass.
class TUrlOptionScope {
public:
    TUrlOptionScope() : FOld(DocumentHost().UrlDetection()) { DocumentHost().SetUrlDetection(true); }
    ~TUrlOptionScope() { DocumentHost().SetUrlDetection(FOld); }

private:
    bool FOld;
};

TCharFormat OneSlot(int slot, int32_t value)
{
    TCharFormat format;
    ClearCharFormat(format);
    format[slot] = value;
    return format;
}

}  // namespace

TAutocorrectMatch& AutocorrectMatch()
{
    static TAutocorrectMatch match;
    return match;
}

TAutocorrectLast& AutocorrectLast()
{
    static TAutocorrectLast last;
    return last;
}

TAutocorrectPassState& AutocorrectPassState()
{
    static TAutocorrectPassState state{};
    return state;
}

bool MatchReplacement(const std::string& window, TAutocorrectLangOptions& options, uint16_t language,
                      TAutocorrectMatch& match)
{
    match = TAutocorrectMatch();
    const TCaseRules cases(language);
    const int32_t n = static_cast<int32_t>(window.size());
    if (n == 0)
        return false;
    const int32_t primary = language & 0x3FF;
    const bool apostrophes = primary == French || primary == Italian;
    const auto delimiter = [&](uint8_t c) {
        return DelimiterCharTable[c] || (apostrophes && (c == 0x27 || c == 0x91 || c == 0x92 || c == 0x60));
    };
    const auto alnum = [&](uint8_t c) { return IsAlphaNumericChar(cases.Locale, c); };

    // 1. A fraction at the end (before one delimiter) lets only entries of
    // its own length match.
    int32_t fractionLength = 0;
    {
        int32_t end = n;
        if (end > 0 && delimiter(static_cast<uint8_t>(window[static_cast<size_t>(end - 1)])) &&
            window[static_cast<size_t>(end - 1)] != '/')
            --end;
        int32_t i = end;
        while (i > 0 && TCaseRules::IsDigit(static_cast<uint8_t>(window[static_cast<size_t>(i - 1)])))
            --i;
        if (i < end && i > 0 && window[static_cast<size_t>(i - 1)] == '/') {
            int32_t j = i - 1;
            while (j > 0 && TCaseRules::IsDigit(static_cast<uint8_t>(window[static_cast<size_t>(j - 1)])))
                --j;
            if (j < i - 1)
                fractionLength = end - j;
        }
    }
    // 2. Text that ends with an exception is left alone.
    {
        const std::string upperWindow = cases.Upper(window);
        for (int32_t i = 0; i < options.OtherEx.Count(); ++i) {
            const std::string ex = cases.Upper(options.OtherEx.Strings(i));
            for (int32_t cut : {0, 1}) {
                const int32_t end = n - cut;
                if (end >= static_cast<int32_t>(ex.size()) && !ex.empty() &&
                    upperWindow.compare(static_cast<size_t>(end) - ex.size(), ex.size(), ex) == 0 &&
                    (cut == 0 || delimiter(static_cast<uint8_t>(window.back()))))
                    return false;
            }
        }
    }

    // 4. to 7. The entries, from the last to the first.
    const uint8_t last = static_cast<uint8_t>(window.back());
    bool bestExact = false;
    int32_t bestT = 0;
    std::string bestTail;
    for (int32_t index = options.Replacements.Count() - 1; index >= 0; --index) {
        std::string k, r;
        TAutocorrectLangOptions::SplitReplacementEntry(options.Replacements.Strings(index), k, r);
        if (k.empty())
            continue;
        const int32_t klen = static_cast<int32_t>(k.size());
        if (fractionLength > 0 && klen != fractionLength)
            continue;
        if (match.Index >= 0 && klen < static_cast<int32_t>(match.Typed.size()))
            continue;
        const int32_t t = alnum(static_cast<uint8_t>(k.back())) && delimiter(last) ? 1 : 0;
        const int32_t start = n - t - klen;
        if (start < 0)
            continue;
        const std::string tail = window.substr(static_cast<size_t>(start), static_cast<size_t>(klen));
        const bool exact = tail == k;
        const bool superscript = r.find("^^") != std::string::npos;
        bool fits = exact;
        if (!fits && cases.Upper(tail) == cases.Upper(k)) {
            fits = !cases.HasUpper(k) ||
                   (cases.IsCapitalised(k) && (cases.IsCapitalised(tail) || !cases.HasLower(tail)));
            // An entry that only changes case fits only exactly.
            if (fits && cases.Upper(r) == cases.Upper(k) && !superscript)
                fits = false;
        }
        if (!fits)
            continue;
        // A word needs a delimiter before it unless it starts the window.
        if (start > 0 && alnum(static_cast<uint8_t>(k[0])) &&
            !delimiter(static_cast<uint8_t>(window[static_cast<size_t>(start - 1)])))
            continue;
        std::string text = ReplaceAllOf(r, "^s^", std::string(1, '\xA0'));
        int32_t sup = -1;
        if (const size_t at = text.find("^^"); at != std::string::npos) {
            sup = static_cast<int32_t>(at);
            text.erase(at, 2);
        }
        // A replacement as long as the typed text that already stands there.
        if (r.size() == k.size() && tail == r)
            continue;
        // Tie-break: a longer typed text wins; at equal length an exact fit
        // replaces a fit by case.
        if (match.Index >= 0) {
            if (klen == static_cast<int32_t>(match.Typed.size()) && !(exact && !bestExact))
                continue;
        }
        match.Index = index;
        match.Typed = k;
        match.Replacement = r;
        match.Text = text;
        match.SuperscriptStart = sup;
        bestExact = exact;
        bestT = t;
        bestTail = tail;
    }
    if (match.Index < 0)
        return false;

    // 8. The range and the case of the replacement.
    match.End = n - bestT;
    match.Start = match.End - static_cast<int32_t>(match.Typed.size());
    const bool superscript = match.SuperscriptStart >= 0;
    if (bestTail != match.Typed && (cases.Upper(match.Replacement) != cases.Upper(match.Typed) || superscript)) {
        if (!cases.HasLower(bestTail))
            match.Text = cases.Upper(match.Text);
        else if (cases.IsUpper(static_cast<uint8_t>(bestTail[0])) && !match.Text.empty())
            match.Text[0] = static_cast<char>(cases.T.Upper[static_cast<uint8_t>(match.Text[0])]);
    }
    // 9. The superscript part, without a blank at its end.
    if (superscript) {
        int32_t end = static_cast<int32_t>(match.Text.size());
        if (end > 0 && (match.Text.back() == ' ' || match.Text.back() == '\xA0'))
            --end;
        if (static_cast<int32_t>(match.Text.size()) >= match.SuperscriptStart + 2 && end > match.SuperscriptStart)
            match.SuperscriptEnd = end;
        else
            match.SuperscriptStart = -1;
    }
    return true;
}

// ---------------------------------------------------------------------------
// The pass

namespace {

class TAutocorrectPass {
public:
    TAutocorrectPass(TDocument& document, TTextPosition& position, TUpdateRange& update, TOperation* op,
                     TAutocorrectLangOptions& options, LANGID language, uint8_t mode)
        : D(document), Pos(position), Update(update), Op(op), Options(options), Language(language),
          Cases(language), Mode(mode)
    {
    }

    void Run(uint16_t kinds)
    {
        const TAutocorrectSwitches& s = GetAutocorrectLangOptionsManager().Switches;
        const TAutocorrectPassState& state = AutocorrectPassState();
        const bool on[AutocorrectKindCount] = {
            s.ReplaceText,   s.InitialCaps,  s.CapsLock,     s.SentenceCaps,     Options.AllowQuotes != 0,
            s.SpaceRules,    s.SpaceRules,   s.SpaceRules && Options.NonbrSpcs,  s.RaiseOrdinals,
            s.Fractions,     s.UrlToHyperlink, true, true, true};
        for (int kind = 0; kind < AutocorrectKindCount; ++kind) {
            if (!(kinds & (1u << kind)) || state[static_cast<size_t>(kind)] == 2 || !on[kind])
                continue;
            switch (kind) {
            case acReplaceText: ReplaceText(); break;
            case acInitialCaps: InitialCaps(); break;
            case acCapsLock: CapsLock(); break;
            case acSentenceCaps: SentenceCaps(); break;
            case acQuotes: Quotes(); break;
            case acCollapseBlanks: CollapseBlanks(); break;
            case acInsertSpace: InsertSpace(); break;
            case acNonBreakingSpace: NonBreakingSpace(); break;
            case acOrdinals: Ordinals(); break;
            case acFractions: Fractions(); break;
            case acHyperlinks: Hyperlink(); break;
            default: LanguageRule(kind - acLangRule1); break;
            }
        }
    }

private:
    TDocument& D;
    TTextPosition& Pos;
    TUpdateRange& Update;
    TOperation* Op;
    TAutocorrectLangOptions& Options;
    LANGID Language;
    TCaseRules Cases;
    uint8_t Mode;

    int32_t Primary() const { return Language & 0x3FF; }
    const TMemory& Plain() const { return D.Paragraphs(Pos.Paragraph).GetPlainChars(); }
    int32_t Count() const { return Plain().Size(); }
    // The character at an offset of the position's paragraph; 0 outside it.
    uint8_t At(int32_t offset) const
    {
        const TMemory& plain = Plain();
        return offset >= 0 && offset < plain.Size() ? plain.Data()[offset] : 0;
    }
    std::string Text(int32_t start, int32_t end) const
    {
        std::string s;
        for (int32_t i = std::max(start, 0); i < end && i < Count(); ++i)
            s += static_cast<char>(ReadChar(At(i)));
        return s;
    }
    bool IsDelimiter(uint8_t c) const { return DelimiterCharTable[c]; }

    void Merge(const TUpdateRange& local) { D.UndoManager().MergeUpdateRange(Update, local); }

    // In an explicit pass the change's range is what undo and redo select.
    void Replace(int32_t start, int32_t end, const std::string& text)
    {
        TMemory buffer;
        buffer.Append(text.data(), static_cast<int32_t>(text.size()));
        TUpdateRange local;
        D.ReplaceText({Pos.Paragraph, start}, {Pos.Paragraph, end}, local, Op, 0, buffer);
        Merge(local);
    }
    void Delete(int32_t start, int32_t end)
    {
        TUpdateRange local;
        D.DeleteRange({Pos.Paragraph, start}, {Pos.Paragraph, end}, local, Op, 0);
        Merge(local);
    }
    void Insert(int32_t at, const std::string& text)
    {
        TMemory buffer;
        buffer.Append(text.data(), static_cast<int32_t>(text.size()));
        TUpdateRange local;
        D.PrepareTypingFormat({Pos.Paragraph, at}, 0);
        D.InsertPlainTextAt(buffer, {Pos.Paragraph, at}, local, Op, 0);
        Merge(local);
    }
    void Transform(uint8_t mode, int32_t start, int32_t end)
    {
        TUpdateRange local;
        D.TransformText(mode, TTextRange{{Pos.Paragraph, start}, {Pos.Paragraph, end}}, 0, nullptr, local, Op);
        Merge(local);
    }
    // Gives the range a value of one attribute where some character lacks it.
    void Format(int32_t start, int32_t end, int slot, int32_t value)
    {
        if (start >= end)
            return;
        const TTextRange range{{Pos.Paragraph, start}, {Pos.Paragraph, end}};
        TCharFormat common;
        D.GetCommonCharFormat(range, common, false);
        if (common[slot] == value)
            return;
        TUpdateRange local;
        D.FormatText(range, OneSlot(slot, value), ftfNoSelectionHint, local, Op);
        Merge(local);
    }

    // The word before the position, in the position's paragraph; false when
    // there is none.
    bool PrevWord(TFoundWord& word)
    {
        D.GetPrevWord(Pos, word);
        if (word.Length == 0 || word.Position.Paragraph != Pos.Paragraph)
            return false;
        TFoundWord at;
        D.GetWordAt(word.Position, at);
        if (at.Length > 0 && at.Position.Paragraph == Pos.Paragraph)
            word = at;
        return word.Length > 0 && word.Position.Offset + word.Length <= Pos.Offset;
    }
    std::string WordText(const TFoundWord& word) const
    {
        return Text(word.Position.Offset, word.Position.Offset + word.Length);
    }
    bool InRangeObject(const TFoundWord& word, uint8_t kind = 255)
    {
        return D.FindRangeAt(word.Position, 255, kind) != nullptr;
    }

    // Kind 0: the typed text before the position replaced by its entry.
    void ReplaceText()
    {
        const int32_t start = std::max(0, Pos.Offset - WindowLength);
        const std::string window = Text(start, Pos.Offset);
        TAutocorrectMatch& match = AutocorrectMatch();
        if (!MatchReplacement(window, Options, Language, match))
            return;
        int32_t decided = 0;
        if (Options.Decisions.Find(match.Typed, decided) &&
            IntFromObject(Options.Decisions.Objects(decided)) != 1)
            return;
        match.Start += start;
        match.End += start;
        if (match.SuperscriptStart >= 0) {
            match.SuperscriptStart += match.Start;
            match.SuperscriptEnd += match.Start;
        }
        if (Text(match.Start, match.End) != match.Text)
            Replace(match.Start, match.End, match.Text);
        if (match.SuperscriptStart >= 0)
            Format(match.SuperscriptStart, match.SuperscriptEnd, cfVerticalPosition, 1);
        AutocorrectLast().Word = match.Typed;
        Pos.Offset += static_cast<int32_t>(match.Text.size()) - (match.End - match.Start);
    }

    // Kind 1: "THe" becomes "The".
    void InitialCaps()
    {
        TFoundWord word;
        if (!PrevWord(word) || InRangeObject(word))
            return;
        const std::string w = WordText(word);
        if (w.size() < 3)
            return;
        const auto u = [&](size_t i) { return static_cast<uint8_t>(w[i]); };
        if (TCaseRules::IsDigit(u(0)) || TCaseRules::IsDigit(u(1)) || !Cases.IsUpper(u(0)) || !Cases.IsUpper(u(1)))
            return;
        for (size_t i = 2; i < w.size(); ++i)
            if (TCaseRules::IsDigit(u(i)) || Cases.IsUpper(u(i)))
                return;
        int32_t s = 0, l = 0;
        if (Options.MatchOrdinal(w, s, l) || Options.IsOtherException(w))
            return;
        const int32_t second = word.Position.Offset + 1;
        Transform(tmToggleCase, second, second + 1);
        AutocorrectLast().Word = w;
    }

    // Kind 2: "cAPS" typed with Caps Lock on becomes "Caps".
    void CapsLock()
    {
        if (Mode == AutocorrectAsYouType && !(GetKeyState(VkCapital) & 1))
            return;
        TFoundWord word;
        if (!PrevWord(word) || InRangeObject(word))
            return;
        const std::string w = WordText(word);
        if (w.size() < 2 || TCaseRules::IsDigit(static_cast<uint8_t>(w[0])) ||
            !Cases.IsLower(static_cast<uint8_t>(w[0])))
            return;
        for (size_t i = 1; i < w.size(); ++i)
            if (!Cases.IsUpper(static_cast<uint8_t>(w[i])))
                return;
        if (Options.IsOtherException(w))
            return;
        Transform(tmToggleCase, word.Position.Offset, word.Position.Offset + word.Length);
        AutocorrectLast().Word = w;
        // Switching Caps Lock off needs synthesised key input, which the
        // desktop does not offer to applications here: the key stays as it is.
    }

    // Kind 3: the first letter of a sentence upper-cased.
    void SentenceCaps()
    {
        TFoundWord word;
        if (!PrevWord(word) || InRangeObject(word))
            return;
        const std::string w = WordText(word);
        if (w.empty() || Cases.HasUpper(w) || !(GetCharTypeFlags(Cases.Locale, static_cast<uint8_t>(w[0])) & C1_ALPHA))
            return;
        if (D.IsWordDelimitedAt(word, w) || Options.IsOtherException(w))
            return;
        TFoundWord url;
        D.GetUrlAt(word.Position, url);
        if (url.Length > 0)
            return;
        if (!D.IsSentenceStart(word.Position))
            return;
        Transform(tmUpperCase, word.Position.Offset, word.Position.Offset + 1);
        AutocorrectLast().Word = w;
    }

    // Kind 4: straight quotes become the language's quotes.
    void Quotes()
    {
        static const uint8_t table[4][4] = {
            {0x93, 0x94, 0x91, 0x92}, {0xAB, 0xBB, 0x91, 0x92}, {0x84, 0x93, 0x91, 0x92}, {0xBB, 0xAB, 0x91, 0x92}};
        const int32_t at = Pos.Offset - 1;
        const uint8_t typed = At(at);
        if (typed == '"' || typed == '\'') {
            const uint8_t c = at > 0 ? ReadChar(At(at - 1)) : 0;
            const uint8_t raw = at > 0 ? At(at - 1) : 0;
            bool opening;
            if (Primary() == French && (c == 0x27 || c == 0x91 || c == 0x92)) {
                opening = true;
            } else if (raw == scEmDash || raw == scEnDash || c == '-') {
                opening = true;
            } else {
                TSpacingContext context;
                D.GetAutocorrectContext(Pos.Paragraph, at, context, &Options);
                if (context.BeforeClass == 2 || context.BeforeClass == 3) {
                    opening = false;
                } else {
                    const bool closes =
                        c == 0x22 || c == 0x27 || c == 0x91 || Options.IsOpeningQuote(c) ||
                        (typed == '"' && (raw == ' ' || raw == scNonBreakingSpace) && at > 1 &&
                         Options.IsOpeningQuote(At(at - 2)));
                    opening = !closes;
                }
            }
            const int style = std::clamp<int>(Options.Quotes, 0, 3);
            const uint8_t quote = table[style][(typed == '"' ? 0 : 2) + (opening ? 0 : 1)];
            std::string text(1, static_cast<char>(quote));
            if (GetAutocorrectLangOptionsManager().Switches.SpaceRules) {
                uint8_t look = quote;
                if (style == 3 && (quote == 0xAB || quote == 0xBB))
                    look = quote == 0xAB ? 0xBB : 0xAB;
                if (style == 2 && !opening && quote == 0x93)
                    look = 0x94;
                const char space = Options.NonbrSpcs ? '\xA0' : ' ';
                if (opening && typed == '"' && !Options.LeftAdjSep[look])
                    text += space;
                else if (!opening && typed == '"' && !Options.RightAdjSep[look] && at > 0 && !IsBlank(raw)) {
                    text.insert(text.begin(), space);
                }
            }
            Replace(at, at + 1, text);
            AutocorrectLast().TypedQuote = typed;
            AutocorrectLast().NewQuote = quote;
            Pos.Offset += static_cast<int32_t>(text.size()) - 1;
            return;
        }
        // An opening quote before a number ("'98") becomes an apostrophe.
        TFoundWord word;
        if (!PrevWord(word))
            return;
        const int32_t s = word.Position.Offset;
        const int32_t e = s + word.Length;
        if (e != Pos.Offset - 1 || s <= 0)
            return;
        const uint8_t before = At(s - 1);
        const uint8_t after = At(e);
        if ((before != 0x27 && before != 0x91) || after == 0x27 || after == 0x92)
            return;
        const std::string w = WordText(word);
        if (w.empty() || !std::all_of(w.begin(), w.end(), [](char ch) { return ch >= '0' && ch <= '9'; }))
            return;
        Replace(s - 1, s, "\x92");
    }

    // Kind 5: superfluous blanks deleted.
    void CollapseBlanks()
    {
        const int32_t p = Pos.Offset;
        const uint8_t c = At(p);
        const auto control = [](uint8_t ch) { return ch >= 2 && ch <= 6; };
        if (control(c)) {
            int32_t s = p;
            while (s > 0 && (At(s - 1) == scTab || At(s - 1) == scNonBreakingSpace || At(s - 1) == scOptionalHyphen ||
                             At(s - 1) == ' '))
                --s;
            if (s < p)
                DeleteBlanks(s, p);
            return;
        }
        const auto blank = [](uint8_t ch) { return ch == ' ' || ch == scNonBreakingSpace; };
        int32_t s = p, e = p;
        while (s > 0 && blank(At(s - 1)))
            --s;
        while (e < Count() && blank(At(e)))
            ++e;
        if (e - s < 1)
            return;
        int32_t keep = 0;
        if (!control(At(e)) && e < Count()) {
            TSpacingContext before, after;
            D.GetAutocorrectContext(Pos.Paragraph, s, before, &Options);
            D.GetAutocorrectContext(Pos.Paragraph, e, after, &Options);
            if (Options.TwoSentSpcs && e - s >= 2 && s > 0 && SentenceEndCharTable[At(s - 1)])
                keep = 2;
            else if ((before.BeforeClass == 2 || before.BeforeClass == 3) &&
                     (after.AfterClass == 1 || after.AfterClass == 3))
                keep = 1;
        }
        if (e - s > keep)
            DeleteBlanks(s + keep, e);
    }
    void DeleteBlanks(int32_t s, int32_t e)
    {
        Delete(s, e);
        AutocorrectLast().DeletedStart = s;
        AutocorrectLast().DeletedEnd = e;
        Pos.Offset = s;
    }

    // Kind 6: the missing space before or after a punctuation mark.
    void InsertSpace()
    {
        const int32_t at = Pos.Offset - 1;
        const uint8_t c = At(at);
        if (at < 0 || !IsDelimiter(c) || c == 0x27 || IsBlank(c) || c < 32)
            return;
        const uint8_t before = at > 0 ? At(at - 1) : 0;
        const uint8_t after = At(at + 1);
        if (TCaseRules::IsDigit(before) && TCaseRules::IsDigit(after) &&
            (c == ',' || c == '.' || c == '/' || c == static_cast<uint8_t>(FormatSettings().DecimalSeparator)))
            return;
        if (TokenIsException(at))
            return;
        TSpacingContext left, mark, right, next;
        D.GetAutocorrectContext(Pos.Paragraph, at, left, &Options);
        D.GetAutocorrectContext(Pos.Paragraph, at, mark, &Options);
        D.GetAutocorrectContext(Pos.Paragraph, at + 1, right, &Options);
        const bool spaceBefore = (left.BeforeClass == 2 || left.BeforeClass == 3) &&
                                 (mark.AfterClass == 1 || mark.AfterClass == 3);
        bool spaceAfter = false;
        if (at + 1 < Count() && !IsDelimiter(after)) {
            D.GetAutocorrectContext(Pos.Paragraph, at + 1, next, &Options);
            spaceAfter = (right.BeforeClass == 2 || right.BeforeClass == 3) &&
                         (next.AfterClass == 1 || next.AfterClass == 3);
        }
        const bool opening = Options.IsOpeningMark(c);
        if (spaceAfter)
            Insert(at + 1, std::string(1, Options.NonbrSpcs && opening ? '\xA0' : ' '));
        if (spaceBefore) {
            Insert(at, std::string(1, Options.NonbrSpcs && mark.AfterPlain && !opening ? '\xA0' : ' '));
            ++Pos.Offset;
        }
        if (spaceAfter)
            ++Pos.Offset;
        AutocorrectLast().SpaceBefore = spaceBefore;
        AutocorrectLast().SpaceAfter = spaceAfter;
    }
    // The run of characters between blanks around the mark, or a form of it
    // with delimiters taken off its ends, is an exception.
    bool TokenIsException(int32_t at)
    {
        const auto stop = [](uint8_t ch) { return (ch >= 2 && ch <= 8) || ch == scNonBreakingSpace || ch == ' '; };
        int32_t s = at, e = at + 1;
        while (s > 0 && !stop(At(s - 1)))
            --s;
        while (e < Count() && !stop(At(e)))
            ++e;
        std::string token = Text(s, e);
        while (!token.empty()) {
            if (Options.IsOtherException(token))
                return true;
            if (IsDelimiter(static_cast<uint8_t>(token.back())))
                token.pop_back();
            else if (IsDelimiter(static_cast<uint8_t>(token.front())))
                token.erase(token.begin());
            else
                break;
        }
        AutocorrectLast().Word = Text(s, e);
        return false;
    }

    // Kind 7: a plain space beside punctuation becomes a non-breaking one.
    void NonBreakingSpace()
    {
        const int32_t at = Pos.Offset - 1;
        if (At(at) != ' ')
            return;
        const uint8_t before = at > 0 ? At(at - 1) : 0;
        const uint8_t after = At(at + 1);
        bool change = Options.IsOpeningMark(before) || Options.IsClosingMark(after);
        if (!change && IsDelimiter(after) && !Options.IsOpeningMark(after) && !IsBlank(after) && after >= 32) {
            TSpacingContext left, right;
            D.GetAutocorrectContext(Pos.Paragraph, at, left, &Options);
            D.GetAutocorrectContext(Pos.Paragraph, at + 1, right, &Options);
            change = (left.BeforeClass == 2 || left.BeforeClass == 3) && right.AfterPlain &&
                     (right.AfterClass == 1 || right.AfterClass == 3);
        }
        if (change)
            Replace(at, at + 1, "\xA0");
    }

    // Kind 8: the suffix of an ordinal raised.
    void Ordinals()
    {
        TFoundWord word;
        if (!PrevWord(word))
            return;
        const std::string w = WordText(word);
        int32_t s = 0, l = 0;
        if (!Options.MatchOrdinal(w, s, l))
            return;
        Format(word.Position.Offset + s, word.Position.Offset + s + l, cfVerticalPosition, 1);
        AutocorrectLast().Word = w;
    }

    // Kind 9: "1/2 " gets a raised numerator, a lowered denominator and a
    // changed slash.
    void Fractions()
    {
        int32_t e = Pos.Offset - 1;
        if (e <= 0 || TCaseRules::IsDigit(At(e)))
            return;
        int32_t d = e;
        while (d > 0 && TCaseRules::IsDigit(At(d - 1)))
            --d;
        if (d == e || d == 0 || At(d - 1) != '/')
            return;
        const int32_t slash = d - 1;
        int32_t s = slash;
        while (s > 0 && TCaseRules::IsDigit(At(s - 1)))
            --s;
        if (s == slash || (s > 0 && (At(s - 1) == '/' || !IsDelimiter(At(s - 1)))) || At(e) == '/')
            return;
        const std::string text = Text(s, e);
        if (Options.IsOtherException(text))
            return;
        Format(s, slash, cfVerticalPosition, 1);
        Format(d, e, cfVerticalPosition, 2);
        Format(slash, slash + 1, cfItalic, 1);
        AutocorrectLast().Word = text;
    }

    // Kind 10: a typed web address becomes a hyperlink.
    void Hyperlink()
    {
        TFoundWord word;
        D.GetPrevWord(Pos, word);
        if (word.Length == 0 || word.Position.Paragraph != Pos.Paragraph)
            return;
        TFoundWord url;
        D.GetUrlAt(word.Position, url);
        if (url.Length == 0 || url.Position.Paragraph != Pos.Paragraph)
            return;
        const std::string text = Text(url.Position.Offset, url.Position.Offset + url.Length);
        if (Options.IsOtherException(text) || D.FindRangeAt(url.Position, 255, 13) != nullptr)
            return;
        AutocorrectLast().Word = text;
        D.SetSelection(Pos.Paragraph, url.Position.Offset, Pos.Paragraph, url.Position.Offset + url.Length);
        TUpdateRange local;
        const std::string target = text.find("://") == std::string::npos && text.rfind("www", 0) == 0
                                       ? "http://" + text
                                       : text;
        D.InsertHyperlink(BuildHyperlinkField(target, ""), text, local, Op);
        Merge(local);
        // The inserted field leaves the address as it was: the typing point
        // keeps its offset.
        D.SetSelection(Pos.Paragraph, Pos.Offset, Pos.Paragraph, Pos.Offset);
    }

    // Kinds 11 to 13: the rules of single languages.
    void LanguageRule(int32_t flag)
    {
        if (!Options.HasLangFlag(flag))
            return;
        TFoundWord word;
        if (!PrevWord(word))
            return;
        const std::string w = WordText(word);
        if (Options.IsOtherException(w))
            return;
        const int32_t s = word.Position.Offset;
        if (Primary() == French && flag == 0) {
            const std::string made = Options.ApplyLigatures(w);
            if (made != w) {
                Replace(s, s + word.Length, made);
                Pos.Offset += static_cast<int32_t>(made.size()) - word.Length;
            }
        } else if (Primary() == French && flag == 1) {
            if (w.size() < 5 || !std::all_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return;
            int32_t inserted = 0;
            for (int32_t at = static_cast<int32_t>(w.size()) - 3; at > 0; at -= 3) {
                Insert(s + at, "\xA0");
                ++inserted;
            }
            Pos.Offset += inserted;
        } else if (Primary() == Spanish && flag == 0) {
            if (w.size() < 2 || (w.back() != 'a' && w.back() != 'o') ||
                !std::all_of(w.begin(), w.end() - 1, [](char c) { return c >= '0' && c <= '9'; }))
                return;
            const int32_t at = s + word.Length - 1;
            Replace(at, at + 1, w.back() == 'a' ? "\xAA" : "\xBA");
        }
    }
};

}  // namespace

void TDocument::ApplyAutocorrectRules(TTextPosition& position, uint16_t kinds, TUpdateRange& update, TOperation* op,
                                      uint16_t language, uint8_t mode)
{
    update.Reset();
    if (position.Paragraph < 0 || position.Paragraph >= ParagraphCount())
        return;
    TUrlOptionScope url;
    TClassEntryScope apostrophe(DelimiterCharTable, 0x27, true);
    TAutocorrectLangOptions& options = GetAutocorrectLangOptionsManager().GetLangOptions(language);
    AutocorrectLast().Word.clear();
    TAutocorrectPass pass(*this, position, update, op, options, language, mode);
    pass.Run(kinds);
}

void TDocument::AutocorrectTypedChar(const TTextPosition& caret, uint8_t typed, TOperation* op, TUpdateRange& update)
{
    uint16_t kinds = typed == 13 || typed == 32 ? AutocorrectTypingMaskAfterBlank : AutocorrectTypingMaskOther;
    // No sentence capital inside an e-mail or web address being typed.
    if (typed == '@')
        kinds &= ~(1u << acSentenceCaps);
    else if (caret.Paragraph >= 0 && caret.Paragraph < ParagraphCount()) {
        const TMemory& plain = Paragraphs(caret.Paragraph).GetPlainChars();
        int32_t end = std::clamp(caret.Offset - 1, 0, plain.Size());
        int32_t start = end;
        while (start > 0 && plain.Data()[start - 1] != ' ' && plain.Data()[start - 1] != scNonBreakingSpace)
            --start;
        const std::string run(reinterpret_cast<const char*>(plain.Data()) + start, static_cast<size_t>(end - start));
        for (const char* prefix : {"http", "ftp", "news", "www"}) {
            const size_t n = std::char_traits<char>::length(prefix);
            if (run.size() >= n && AnsiCompareText(AnsiLowerCase(run.substr(0, n)), prefix) == 0) {
                kinds &= ~(1u << acSentenceCaps);
                break;
            }
        }
    }
    TTextPosition position = caret;
    const LANGID language = static_cast<LANGID>(GetCurrentLanguage() & 0xFFFF);
    ApplyAutocorrectRules(position, kinds, update, op, language, AutocorrectAsYouType);
    if (op && !op->IsEmpty()) {
        Autocorrected = 1;
        // One undo takes the typed character back with its corrections.
        op->Joined = 1;
    }
    if (update.CaretParagraph == position.Paragraph || (op && !op->IsEmpty())) {
        update.SetCaret(position.Paragraph, position.Offset, NotSet);
        update.SetViewHints(position.Paragraph, position.Offset, position.Paragraph, position.Offset);
    } else {
        update.SetCaret(caret.Paragraph, caret.Offset, NotSet);
    }
}

void TDocument::ApplyAutocorrectToRange(const TTextRange& range, uint16_t kinds, TOperation* op, TUpdateRange& update)
{
    TTextPosition position = range.Start;
    TCharFormat format;
    GetCharFormatAt(position, format);
    const LANGID language = static_cast<LANGID>(format[cfLanguage] == NotSet ? GetCurrentLanguage() : format[cfLanguage]);
    ApplyAutocorrectRules(position, kinds, update, op, language, AutocorrectExplicitPass);
    update.CaretOffset = position.Offset;
}
