// TDocument: text access, words, links and sentences on the paragraphs' plain
// characters.
#include "document/text/TextAccess.h"

#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "foundation/InlineControl.h"
#include "foundation/ShellHelpers.h"
#include "platform/runtime/Locale.h"
#include "proofing/AutocorrectLangOptions.h"

#include <algorithm>
#include <initializer_list>

namespace {

struct TCodeRange {
    int From;
    int To;
};

constexpr TCharClassTable MakeClass(std::initializer_list<TCodeRange> ranges,
                                    std::initializer_list<int> without = {})
{
    TCharClassTable table{};
    for (const TCodeRange& r : ranges)
        for (int c = r.From; c <= r.To; ++c)
            table[c] = true;
    for (int c : without)
        table[c] = false;
    return table;
}

constexpr int Spanish = 10;

bool IsBlankChar(uint8_t c)
{
    return c == ' ' || c == scNonBreakingSpace;
}

bool IsAsciiAlphaNumeric(uint8_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t n = std::char_traits<char>::length(prefix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char a = text[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a + 32);
        if (a != prefix[i])
            return false;
    }
    return true;
}

LCID LocaleOfLanguage(int32_t language)
{
    return language == NotSet || language <= 0 ? GetUserDefaultLCID() : static_cast<LCID>(language & 0xFFFF);
}

// A paragraph's plain characters.
struct TPlain {
    const uint8_t* Chars;
    int32_t Count;
};

TPlain PlainOf(const TDocument& document, int32_t paragraph)
{
    const TParagraph& p = document.Paragraphs(paragraph);
    return {p.GetPlainChars().Data(), p.GetCharCount()};
}

}  // namespace

const TCharClassTable SymbolRunCharTable =
    MakeClass({{11, 13}, {0x21, 0x2F}, {0x3A, 0x40}, {0x5B, 0x60}, {0x7B, 0x7E}, {0x80, 0xBF}, {0xD7, 0xD7},
               {0xF7, 0xF7}},
              {0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xA0, 0xAA, 0xB5, 0xBA});
const TCharClassTable SymbolStopCharTable =
    MakeClass({{2, 7}, {10, 10}, {32, 32}, {'"', '"'}, {'\'', '\''}, {'(', ')'}, {'<', '<'}, {'>', '>'},
               {'[', '['}, {']', ']'}, {'`', '`'}, {'{', '{'}, {'}', '}'}, {0x84, 0x84}, {0x8B, 0x8B},
               {0x91, 0x94}, {0x9B, 0x9B}, {0xAB, 0xAB}, {0xBB, 0xBB}});
const TCharClassTable WordEndDelimiterCharTable =
    MakeClass({{2, 7}, {10, 10}, {32, 32}, {'!', '!'}, {')', ')'}, {',', ','}, {'.', '.'}, {':', ';'},
               {'?', '?'}, {']', ']'}, {'}', '}'}});
const TCharClassTable SentenceGapCharTable =
    MakeClass({{5, 5}, {7, 7}, {10, 10}, {32, 32}, {'"', '"'}, {'\'', '\''}, {'(', ')'}, {'[', '['},
               {']', ']'}, {'{', '{'}, {'}', '}'}, {0x84, 0x84}, {0x8B, 0x8B}, {0x91, 0x94}, {0x9B, 0x9B},
               {0xAB, 0xAB}, {0xBB, 0xBB}});
const TCharClassTable SentenceOpeningCharTable =
    MakeClass({{'"', '"'}, {'\'', '\''}, {'(', '('}, {'[', '['}, {'{', '{'}, {0x84, 0x84}, {0x8B, 0x8B},
               {0x91, 0x91}, {0x93, 0x93}, {0xAB, 0xAB}});
const TCharClassTable LinkTrimCharTable =
    MakeClass({{'!', '!'}, {'"', '"'}, {'\'', ')'}, {',', ','}, {'.', '.'}, {':', ';'}, {'<', '<'},
               {'>', '?'}, {'[', '['}, {']', ']'}, {'{', '{'}, {'}', '}'}, {0x84, 0x84}, {0x8B, 0x8B},
               {0x91, 0x94}, {0x9B, 0x9B}, {0xAB, 0xAB}, {0xBB, 0xBB}});
const TCharClassTable AddressCharTable =
    MakeClass({{'A', 'Z'}, {'a', 'z'}, {'0', '9'}, {'#', '#'}, {'%', '&'}, {'\'', ')'}, {'+', '/'},
               {':', ';'}, {'=', '='}, {'?', '@'}, {'\\', '\\'}, {'_', '_'}, {'~', '~'}, {128, 255}},
              {0x84, 0x93, 0x94, 0xAB, 0xBB});

bool IsUrlLike(const std::string& text)
{
    auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '.')
            continue;
        if (text[i + 1] >= '0' && text[i + 1] <= '9')
            return true;
        if (i + 2 < text.size() && isLetter(text[i + 1]) && isLetter(text[i + 2]))
            return true;
    }
    return false;
}

bool IsFileLinkText(const std::string& link)
{
    std::string text = link;
    if (StartsWithNoCase(text, "file:///"))
        text.erase(0, 8);
    if (text.empty())
        return false;
    // A drive ("C:"), a root folder or a network share.
    const bool drive = (text.size() >= 2 && text[1] == ':' &&
                        ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) ||
                       text[0] == '/' || text[0] == '\\';
    if (drive)
        return true;
    // The name's extension: after the last dot of the last path element.
    const size_t slash = text.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || name.size() - dot - 1 < 2)
        return false;
    return DocumentHost().IsDocumentExtension(name.substr(dot + 1));
}

// ---------------------------------------------------------------------------
// Runs

int TextCharOfPlain(uint8_t c)
{
    if (c >= 32)
        return c;
    switch (c) {
    case scEnDash:
        return 0x96;
    case scEmDash:
        return 0x97;
    case scNonBreakingSpace:
        return ' ';
    case scNonBreakingHyphen:
        return '-';
    default:
        return -1;
    }
}

std::string TDocument::GetTextRun(int32_t paragraph, int32_t offset, int32_t length) const
{
    std::string text;
    if (paragraph < 0 || paragraph >= ParagraphCount())
        return text;
    const TPlain plain = PlainOf(*this, paragraph);
    const int32_t from = std::clamp(offset, 0, plain.Count);
    const int32_t to =
        static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(from) + length, from, plain.Count));
    for (int32_t i = from; i < to && static_cast<int32_t>(text.size()) < MaxTextRunLength; ++i) {
        const int c = TextCharOfPlain(plain.Chars[i]);
        if (c >= 0)
            text += static_cast<char>(c);
    }
    return text;
}

std::string TDocument::GetRangeText(const TTextRange& range) const
{
    const int32_t paragraph = range.Start.Paragraph;
    if (paragraph < 0 || paragraph >= ParagraphCount())
        return {};
    if (range.End.Paragraph != paragraph) {
        const int32_t count = Paragraphs(paragraph).GetCharCount();
        return GetTextRun(paragraph, range.Start.Offset, count - 1 - range.Start.Offset);
    }
    return GetTextRun(paragraph, range.Start.Offset, range.End.Offset - range.Start.Offset);
}

// ---------------------------------------------------------------------------
// Words

namespace {

// What the word finders need of the document while they run: the plain
// characters and the language of each character, looked up only for
// characters outside ASCII.
class TWordScanner {
public:
    TWordScanner(TDocument& document, int32_t paragraph)
        : FDocument(document), FParagraph(paragraph), FPlain(PlainOf(document, paragraph))
    {
    }
    int32_t Count() const { return FPlain.Count; }
    uint8_t At(int32_t offset) const { return FPlain.Chars[offset]; }
    int32_t LanguageAt(int32_t offset) { return FDocument.GetLanguageAt(FParagraph, offset + 1); }
    // A letter or digit for the language of the character.
    bool IsLetter(int32_t offset)
    {
        const uint8_t c = At(offset);
        if (c < 128)
            return IsAsciiAlphaNumeric(c);
        return (GetCharTypeFlags(LocaleOfLanguage(LanguageAt(offset)), c) & (C1_ALPHA | C1_DIGIT)) != 0;
    }
    bool IsAlphabetic(int32_t offset)
    {
        const uint8_t c = At(offset);
        if (c < 128)
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        return (GetCharTypeFlags(LocaleOfLanguage(LanguageAt(offset)), c) & C1_ALPHA) != 0;
    }

private:
    TDocument& FDocument;
    int32_t FParagraph;
    TPlain FPlain;
};

bool ValidParagraph(const TDocument& document, const TTextPosition& position)
{
    return position.Paragraph >= 0 && position.Paragraph < document.ParagraphCount();
}

void SetWord(TFoundWord& word, const TTextPosition& position, int32_t offset, int32_t length)
{
    word.Position = position;
    word.Position.Offset = offset;
    word.Length = length;
}

// The word at the position with the given separators.
void FindWordAt(TDocument& document, const TTextPosition& position, const TCharClassTable& separators,
                TFoundWord& word)
{
    SetWord(word, position, position.Offset, 0);
    if (!ValidParagraph(document, position))
        return;
    TWordScanner scan(document, position.Paragraph);
    const int32_t n = scan.Count();
    const int32_t o = std::clamp(position.Offset, 0, n);
    int32_t start = o;
    int32_t end = o;
    while (end < n - 1 && !separators[scan.At(end)])
        ++end;
    while (start > 0 && !separators[scan.At(start - 1)])
        --start;
    // Leading characters beyond ASCII that the language takes for no letter.
    while (start < end && scan.At(start) >= 128 && !scan.IsAlphabetic(start))
        ++start;
    if (start > o) {
        SetWord(word, position, o, 0);
        return;
    }
    // Kept control bytes at its edges are no part of the word; alone they
    // make none.
    while (start < end && IsKeptControlChar(scan.At(start)))
        ++start;
    while (end > start && IsKeptControlChar(scan.At(end - 1)))
        --end;
    SetWord(word, position, end > start ? start : o, end - start);
}

// The text of plain characters without the kept control bytes.
std::string VisibleText(const uint8_t* chars, int32_t from, int32_t to)
{
    std::string text;
    for (int32_t i = from; i < to; ++i)
        if (!IsKeptControlChar(chars[i]))
            text += static_cast<char>(chars[i]);
    return text;
}

}  // namespace

void TDocument::GetWordAt(const TTextPosition& position, TFoundWord& word)
{
    if (DocumentHost().UrlDetection()) {
        GetUrlAt(position, word);
        if (word.Length > 0)
            return;
    }
    FindWordAt(*this, position, DelimiterCharTable, word);
}

void TDocument::GetPrevWord(const TTextPosition& position, TFoundWord& word)
{
    SetWord(word, position, position.Offset, 0);
    if (!ValidParagraph(*this, position))
        return;
    TWordScanner scan(*this, position.Paragraph);
    const int32_t n = scan.Count();
    int32_t o = std::clamp(position.Offset, 0, n);
    if (o == 0) {
        TTextRange edit;
        GetEditRange(edit);
        if (position.Paragraph <= edit.Start.Paragraph || position.Paragraph == 0)
            return;
        const int32_t previous = position.Paragraph - 1;
        word.Position.Paragraph = previous;
        word.Position.Offset = std::max(Paragraphs(previous).GetCharCount() - 1, 0);
        return;
    }
    // 1. Back to the last character before the position, then over blanks
    // (and kept control bytes, which are not there).
    --o;
    while (o > 0 && (IsBlankChar(scan.At(o)) || IsKeptControlChar(scan.At(o))))
        --o;
    const int32_t last = o;
    // 2. A run of symbols.
    bool symbols = false;
    while (o >= 1 && SymbolRunCharTable[scan.At(o)] && SymbolRunCharTable[scan.At(o - 1)]) {
        --o;
        symbols = true;
        if (SymbolStopCharTable[scan.At(o + 1)])
            break;
    }
    // 3. Otherwise the letters of a word.
    if (!symbols)
        while (o > 0 && !DelimiterCharTable[scan.At(o)] &&
               (scan.IsLetter(o - 1) || IsKeptControlChar(scan.At(o - 1))))
            --o;
    while (o < last && IsKeptControlChar(scan.At(o)))
        ++o;
    int32_t start = o;
    int32_t length = last - o + 1;
    // 4. A separator before the word's first letter is not part of it.
    if (length > 1 && DelimiterCharTable[scan.At(start)] && !DelimiterCharTable[scan.At(start + 1)]) {
        ++start;
        --length;
    }
    SetWord(word, position, start, length);
    // 5. A web address that starts before the word is the word.
    if (DocumentHost().UrlDetection()) {
        TFoundWord link;
        GetUrlAt(word.Position, link);
        if (link.Length > 0 && link.Position.Offset < start)
            word = link;
    }
}

namespace {

void NextWordCore(TDocument& document, const TTextPosition& position, TTextPosition& next, bool urls)
{
    next = position;
    if (!ValidParagraph(document, position))
        return;
    TTextRange edit;
    document.GetEditRange(edit);
    const int32_t lastParagraph = std::min(edit.End.Paragraph, document.ParagraphCount() - 1);
    int32_t p = position.Paragraph;
    int32_t n = document.Paragraphs(p).GetCharCount();
    int32_t o = std::clamp(position.Offset, 0, n);
    // 1. At the end of the part being edited.
    if (p > lastParagraph || (p == lastParagraph && o >= n))
        return;
    // 2. Before the paragraph mark: the next paragraph's start.
    if (o == n - 1) {
        if (p == lastParagraph)
            next.Offset = n;
        else
            MakeTextPos(p + 1, 0, next);
        return;
    }
    // 3. After the paragraph mark.
    if (o >= n) {
        ++p;
        o = 0;
        n = document.Paragraphs(p).GetCharCount();
    }
    TWordScanner scan(document, p);
    const int32_t from = o;
    // 4. Over the word, ending after a character that is no letter.
    while (o < n - 1 && !DelimiterCharTable[scan.At(o)]) {
        const bool letter = scan.IsLetter(o) || IsKeptControlChar(scan.At(o));
        ++o;
        if (!letter)
            break;
    }
    // 5. No word: over a run of symbols; a stop character ends it (and is
    // passed itself when it comes first).
    if (o == from) {
        while (o < n - 1 && SymbolRunCharTable[scan.At(o)]) {
            if (SymbolStopCharTable[scan.At(o)]) {
                if (o == from)
                    ++o;
                break;
            }
            ++o;
        }
        // Any other single character is passed alone, so that the caller
        // always moves on.
        if (o == from && o < n - 1 && !IsBlankChar(scan.At(o)))
            ++o;
    }
    // 6. Over blanks (and kept control bytes).
    while (o < n - 1 && (IsBlankChar(scan.At(o)) || IsKeptControlChar(scan.At(o))))
        ++o;
    MakeTextPos(p, o, next);
    // 7. A web address that goes on beyond: the word after it.
    if (urls && p == position.Paragraph) {
        TFoundWord link;
        document.GetUrlAt(position, link);
        const int32_t linkEnd = link.Position.Offset + link.Length;
        if (link.Length > 0 && linkEnd > o) {
            TTextPosition last = next;
            last.Offset = linkEnd - 1;
            NextWordCore(document, last, next, false);
        }
    }
}

}  // namespace

void TDocument::GetNextWord(const TTextPosition& position, TTextPosition& next)
{
    NextWordCore(*this, position, next, DocumentHost().UrlDetection());
}

// ---------------------------------------------------------------------------
// Links

void TDocument::GetUrlAt(const TTextPosition& position, TFoundWord& word)
{
    SetWord(word, position, position.Offset, 0);
    if (!DocumentHost().UrlDetection() || !ValidParagraph(*this, position))
        return;
    const TPlain plain = PlainOf(*this, position.Paragraph);
    const int32_t o = std::clamp(position.Offset, 0, plain.Count);
    int32_t start = o;
    int32_t end = o;
    auto address = [](uint8_t c) { return AddressCharTable[c] || IsKeptControlChar(c); };
    while (start > 0 && address(plain.Chars[start - 1]))
        --start;
    while (end < plain.Count && address(plain.Chars[end]))
        ++end;
    auto trimmed = [](uint8_t c) {
        if (IsKeptControlChar(c))
            return true;
        switch (c) {
        case '#': case '%': case '&': case '(': case ')': case '+': case ',': case '-':
        case '.': case ':': case ';': case '=': case '?': case '@':
            return true;
        default:
            return false;
        }
    };
    while (end > start && trimmed(plain.Chars[end - 1]))
        --end;
    while (start < end && trimmed(plain.Chars[start]))
        ++start;
    if (end <= start || start > o || o > end)
        return;
    const std::string text = VisibleText(plain.Chars, start, end);
    if ((IsUrlLike(text) && IsURLOrEMail(text)) || StartsWithNoCase(text, "file://"))
        SetWord(word, position, start, end - start);
}

void TDocument::GetPrefixedLinkAt(const TTextPosition& position, TFoundWord& word)
{
    // Everything but the blanks and control codes belongs to the link.
    TCharClassTable separators = DelimiterCharTable;
    for (int c = 33; c < 256; ++c)
        separators[c] = false;
    FindWordAt(*this, position, separators, word);
    if (word.Length == 0)
        return;
    const TPlain plain = PlainOf(*this, position.Paragraph);
    int32_t start = word.Position.Offset;
    int32_t end = start + word.Length;
    while (end > start && LinkTrimCharTable[plain.Chars[end - 1]])
        --end;
    while (start < end && LinkTrimCharTable[plain.Chars[start]])
        ++start;
    const int32_t o = std::clamp(position.Offset, 0, plain.Count);
    const std::string text = VisibleText(plain.Chars, start, end);
    if (end > start && start <= o && o <= end && IsFileLinkText(text))
        SetWord(word, position, start, end - start);
    else
        SetWord(word, position, position.Offset, 0);
}

void TDocument::GetLinkAt(const TTextPosition& position, TFoundWord& word)
{
    GetUrlAt(position, word);
    if (word.Length == 0)
        GetPrefixedLinkAt(position, word);
}

void TDocument::GetWordOrLinkAt(const TTextPosition& position, TFoundWord& word)
{
    GetLinkAt(position, word);
    if (word.Length == 0)
        GetWordAt(position, word);
}

bool TDocument::IsWordDelimitedAt(const TFoundWord& word, const std::string& text) const
{
    if (word.Length <= 0 || !ValidParagraph(*this, word.Position) || text.empty())
        return false;
    const TPlain plain = PlainOf(*this, word.Position.Paragraph);
    const int32_t start = word.Position.Offset;
    const int32_t end = start + word.Length;
    if (start < 0 || end > plain.Count)
        return false;
    int32_t before = start;
    while (before > 0 && IsKeptControlChar(plain.Chars[before - 1]))
        --before;
    if (before > 0 && !DelimiterCharTable[plain.Chars[before - 1]])
        return false;
    // A single letter, an integer or a decimal number.
    bool standsAlone = false;
    if (text.size() == 1) {
        const uint8_t c = static_cast<uint8_t>(text[0]);
        standsAlone = (GetCharTypeFlags(GetUserDefaultLCID(), c) & (C1_ALPHA | C1_DIGIT)) != 0;
    } else {
        int separators = 0;
        bool digits = true;
        for (size_t i = 0; i < text.size() && digits; ++i) {
            const char c = text[i];
            if (c == ',' || c == '.') {
                digits = i > 0 && i + 1 < text.size() && ++separators == 1;
            } else {
                digits = c >= '0' && c <= '9';
            }
        }
        standsAlone = digits;
    }
    int32_t after = end;
    while (after < plain.Count && IsKeptControlChar(plain.Chars[after]))
        ++after;
    if (!standsAlone || after >= plain.Count)
        return false;
    return WordEndDelimiterCharTable[plain.Chars[after]];
}

bool TDocument::GetSpellWordAt(const TTextPosition& position, TFoundWord& word)
{
    TCharClassTable separators = DelimiterCharTable;
    separators['-'] = false;
    separators['.'] = false;
    if (DocumentHost().UrlDetection()) {
        GetUrlAt(position, word);
        if (word.Length > 0)
            return false;
    }
    FindWordAt(*this, position, separators, word);
    if (word.Length == 0)
        return false;
    const TPlain plain = PlainOf(*this, position.Paragraph);
    const LCID locale = LocaleOfLanguage(GetLanguageAt(position.Paragraph, word.Position.Offset + 1));
    bool afterCapital = false;
    for (int32_t i = word.Position.Offset; i < word.Position.Offset + word.Length; ++i) {
        const uint8_t c = plain.Chars[i];
        if (IsKeptControlChar(c))
            continue;
        const bool capital = CharHasCase(c, locale) && IsUpperCaseChar(c, locale);
        if (capital) {
            if (afterCapital)
                return false;
            afterCapital = true;
        } else if (c == '-' || c == '.') {
            afterCapital = false;
        } else {
            return false;
        }
    }
    return plain.Chars[word.Position.Offset + word.Length - 1] == '.';
}

// ---------------------------------------------------------------------------
// Sentences

bool TDocument::IsSentenceStart(const TTextPosition& position)
{
    if (!ValidParagraph(*this, position))
        return false;
    TWordScanner scan(*this, position.Paragraph);
    const int32_t n = scan.Count();
    int32_t q = std::clamp(position.Offset, 0, n);
    const int32_t language = GetLanguageAt(position.Paragraph, q);
    const bool spanish = language != NotSet && PRIMARYLANGID(static_cast<LANGID>(language)) == Spanish;
    auto gap = [&](uint8_t c) {
        return SentenceGapCharTable[c] || IsKeptControlChar(c) || (spanish && InvertedPunctuationSet.Contains(c));
    };
    auto ending = [](uint8_t c) { return SentenceEndCharTable[c] || c == 0x85; };

    // A sentence starts after a blank: a full stop inside a name or a number
    // ("plan.rtf", "3.5") ends none.
    bool blank = false;
    while (q > 0 && gap(scan.At(q - 1))) {
        blank = blank || IsBlankChar(scan.At(q - 1)) || scan.At(q - 1) == scTab || scan.At(q - 1) == scLineBreak;
        --q;
    }
    if (q == 0)
        return true;
    if (!ending(scan.At(q - 1)) || !blank)
        return false;
    const int32_t punctuationEnd = q;
    const bool ellipsis = scan.At(q - 1) == 0x85 ||
                          (q >= 3 && scan.At(q - 1) == '.' && scan.At(q - 2) == '.' && scan.At(q - 3) == '.');
    while (q > 0 && ending(scan.At(q - 1)))
        --q;
    while (q > 0 && gap(scan.At(q - 1)))
        --q;
    if (q == 0)
        return true;
    TFoundWord word;
    TTextPosition before = position;
    before.Offset = q;
    GetPrevWord(before, word);
    if (word.Length == 0 || word.Position.Paragraph != position.Paragraph)
        return true;
    const std::string text = GetTextRun(position.Paragraph, word.Position.Offset, word.Length);
    if (!ellipsis) {
        // The word with its punctuation, blanks left out ("etc.", "M.").
        std::string withPunctuation;
        for (const char c : GetTextRun(position.Paragraph, word.Position.Offset,
                                       punctuationEnd - word.Position.Offset))
            if (c != ' ')
                withPunctuation += c;
        const int32_t wordLanguage = GetLanguageAt(position.Paragraph, word.Position.Offset + 1);
        const TAutocorrectLangOptions& options =
            GetAutocorrectLangOptionsManager().GetLangOptions(
                static_cast<LANGID>(LocaleOfLanguage(wordLanguage) & 0xFFFF));
        if (!options.IsCapSentException(withPunctuation))
            return true;
    }
    return IsWordDelimitedAt(word, text);
}

void TDocument::GetSentenceAt(const TTextPosition& position, TTextRange& range)
{
    range.Start = position;
    range.End = position;
    if (!ValidParagraph(*this, position))
        return;
    const int32_t p = position.Paragraph;
    const TPlain plain = PlainOf(*this, p);
    const int32_t n = plain.Count;
    const int32_t language = GetLanguageAt(p, std::clamp(position.Offset, 0, n));
    const bool spanish = language != NotSet && PRIMARYLANGID(static_cast<LANGID>(language)) == Spanish;
    auto opening = [&](uint8_t c) {
        return SentenceOpeningCharTable[c] || (spanish && InvertedPunctuationSet.Contains(c));
    };

    TFoundWord word;
    GetWordAt(position, word);
    TTextPosition start = word.Position;
    if (word.Length == 0)
        GetNextWord(position, start);
    if (start.Paragraph != p)
        MakeTextPos(p, std::clamp(position.Offset, 0, std::max(n - 1, 0)), start);
    start.Offset = std::clamp(start.Offset, 0, std::max(n - 1, 0));
    TTextPosition end = start;
    end.Offset = std::min(start.Offset + 1, std::max(n - 1, 0));

    // The start goes back word by word to the sentence's start.
    while (start.Offset > 0 && !IsSentenceStart(start)) {
        TFoundWord previous;
        GetPrevWord(start, previous);
        if (previous.Position.Paragraph != p || previous.Position.Offset >= start.Offset)
            start.Offset -= 1;
        else
            start.Offset = previous.Position.Offset;
    }
    // Opening quotes and brackets belong to the sentence, with the
    // non-breaking spaces French typography puts after them.
    {
        int32_t q = start.Offset;
        while (q > 0 && (opening(plain.Chars[q - 1]) || plain.Chars[q - 1] == scNonBreakingSpace))
            --q;
        while (q < start.Offset && plain.Chars[q] == scNonBreakingSpace)
            ++q;
        start.Offset = q;
    }
    if (end.Offset < start.Offset)
        end.Offset = start.Offset;
    while (end.Offset < n - 1 && (opening(plain.Chars[end.Offset]) || plain.Chars[end.Offset] == scNonBreakingSpace))
        ++end.Offset;
    // The end goes on word by word to the next sentence or the paragraph mark.
    while (end.Offset < n - 1 && !IsSentenceStart(end)) {
        TTextPosition next;
        GetNextWord(end, next);
        if (next.Paragraph != p || next.Offset <= end.Offset) {
            end.Offset = n - 1;
            break;
        }
        end.Offset = std::min(next.Offset, n - 1);
    }
    while (end.Offset > start.Offset &&
           (IsBlankChar(plain.Chars[end.Offset - 1]) || IsKeptControlChar(plain.Chars[end.Offset - 1])))
        --end.Offset;
    range.Start = start;
    range.End = end;
}
