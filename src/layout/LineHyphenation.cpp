#include "layout/LineHyphenation.h"

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/InlineControl.h"
#include "foundation/TextTables.h"
#include "layout/LayoutLine.h"
#include "layout/RunFont.h"
#include "proofing/HyphManager.h"
#include "platform/runtime/SysUtils.h"

#include <string>

namespace {

constexpr int32_t kNoLanguage = 1024;
constexpr int32_t kMaxHyphenatedWord = 48;

bool IsApostrophe(uint8_t c)
{
    return c == 39 || c == 96 || c == 145 || c == 146;
}

// The word around the character at: [start, end) with its conditional
// hyphens; for French and Italian an apostrophe ends an elided prefix ("l'",
// "qu'"), which is no part of it. False when the character is none of a word.
bool WordAround(TDocument& document, const TParagraph& paragraph, int32_t at, int32_t& start, int32_t& end)
{
    const uint8_t* plain = paragraph.GetPlainChars().Data();
    const int32_t count = paragraph.GetCharCount();
    if (at < 0 || at >= count)
        return false;
    const int32_t primary = document.GetLanguageAt(paragraph.Index, at) & 0x3FF;
    const bool elision = primary == 12 || primary == 16;
    auto inWord = [&](uint8_t c) {
        if (c == scOptionalHyphen)
            return true;
        if (c < 32 || DelimiterCharTable[c])
            return false;
        return !(elision && IsApostrophe(c));
    };
    if (!inWord(plain[at]))
        return false;
    start = at;
    while (start > 0 && inWord(plain[start - 1]))
        --start;
    end = at;
    while (end < count && inWord(plain[end]))
        ++end;
    return true;
}

// English: a possessive "'s" and a final apostrophe are no part of the word,
// except that "n'" stands for "ng". The characters left out at the end.
int32_t TrimEnglishEnding(std::string& word)
{
    const size_t n = word.size();
    if (n >= 2 && IsApostrophe(static_cast<uint8_t>(word[n - 2])) && (word[n - 1] == 's' || word[n - 1] == 'S')) {
        word.resize(n - 2);
        return 2;
    }
    if (n >= 1 && IsApostrophe(static_cast<uint8_t>(word[n - 1]))) {
        if (n >= 2 && (word[n - 2] == 'n' || word[n - 2] == 'N')) {
            word[n - 1] = 'g';
            return 0;
        }
        word.resize(n - 1);
        return 1;
    }
    return 0;
}

}  // namespace

bool FindProbeCandidate(TParagraph& paragraph, const TLayoutLine& line, int32_t atChar, int32_t lastBreak,
                        THyphProbeCandidate& candidate)
{
    TDocument& document = DocumentOfParagraph(paragraph);
    if (SlotOn(paragraph.Format[pfNoHyphenation]))
        return false;
    int32_t start = 0;
    int32_t end = 0;
    if (!WordAround(document, paragraph, atChar, start, end))
        return false;
    // Nothing of the word fits, or the line is cut before it or at one of
    // its conditional hyphens (the word is offered again, its break to be
    // chosen anew); any other break inside it leaves it alone.
    if (end - start < 2 || start >= atChar)
        return false;
    const uint8_t* plain = paragraph.GetPlainChars().Data();
    const int32_t cut = line.FirstChar + lastBreak;
    if (lastBreak > 0 && start < cut && !(cut < end && plain[cut - 1] == scOptionalHyphen))
        return false;
    TFoundWord link;
    document.GetLinkAt({paragraph.Index, atChar}, link);
    if (link.Length > 0)
        return false;
    const int32_t language = document.GetLanguageAt(paragraph.Index, start + 1);
    if (language == NotSet || language == kNoLanguage)
        return false;
    std::string text;
    int32_t before = 0;
    for (int32_t i = start; i < end; ++i) {
        if (plain[i] == scOptionalHyphen)
            continue;
        text.push_back(static_cast<char>(plain[i]));
        if (i < line.FirstChar)
            ++before;
    }
    if (text.size() < 2 || static_cast<int32_t>(text.size()) > kMaxHyphenatedWord)
        return false;
    if (!document.HyphenateCapitals && AnsiUpperCase(text) == text)
        return false;
    const TLanguageHyphData& data = GetHyphManager().GetLanguageData(language);
    if (!data.HasData)
        return false;
    std::string word = text;
    const int32_t excluded = (language & 0x3FF) == 9 ? TrimEnglishEnding(word) : 0;
    if (word.empty())
        return false;
    std::vector<int32_t> points;
    data.GetHyphenationPoints(word, points);
    const int32_t length = static_cast<int32_t>(text.size());
    candidate.Points.clear();
    for (int32_t point : points)
        if (point > before && point < length - excluded)
            candidate.Points.push_back(point);
    candidate.WordStart = start;
    candidate.WordLength = end - start;
    candidate.Text = std::move(text);
    candidate.Excluded = excluded;
    candidate.Language = language;
    return true;
}

bool FindHyphenationPoints(TParagraph& paragraph, const TLayoutLine& line, int32_t atChar, int32_t lastBreak,
                           THyphenationCandidate& candidate, std::vector<int32_t>& points)
{
    points.clear();
    TDocument& document = DocumentOfParagraph(paragraph);
    if (SlotOn(paragraph.Format[pfNoHyphenation]) || !document.AutoHyphenation)
        return false;
    // The limit of consecutive hyphenated lines: that many lines directly
    // before this one ending at a hyphenation point leave this one whole.
    if (document.HyphenationLimit > 0) {
        int32_t hyphenated = 0;
        for (int32_t i = line.Index - 1; i >= 0 && i < paragraph.GetLineCount() && hyphenated < document.HyphenationLimit;
             --i) {
            const TLayoutLine* before = AsLayoutLine(&paragraph.GetLine(i));
            if (!before || !before->HyphenEnd)
                break;
            ++hyphenated;
        }
        if (hyphenated >= document.HyphenationLimit)
            return false;
    }
    const uint8_t* plain = paragraph.GetPlainChars().Data();
    const int32_t count = paragraph.GetCharCount();
    if (atChar < 0 || atChar >= count)
        return false;

    // The word at the overflowing character; for French and Italian an
    // apostrophe ends an elided prefix ("l'", "qu'"), which is no part of it.
    const int32_t around = document.GetLanguageAt(paragraph.Index, atChar);
    const int32_t primary = around & 0x3FF;
    const bool elision = primary == 12 || primary == 16;
    auto inWord = [&](uint8_t c) {
        if (c == scOptionalHyphen)
            return true;
        if (c < 32 || DelimiterCharTable[c])
            return false;
        return !(elision && IsApostrophe(c));
    };
    if (!inWord(plain[atChar]))
        return false;
    int32_t start = atChar;
    while (start > 0 && inWord(plain[start - 1]))
        --start;
    int32_t end = atChar;
    while (end < count && inWord(plain[end]))
        ++end;
    if (end - start < 2 || start >= atChar || end <= line.FirstChar + lastBreak)
        return false;
    for (int32_t i = start; i < end; ++i)
        if (plain[i] == scOptionalHyphen)
            return false;
    // A web address or a file link is never cut.
    TFoundWord link;
    document.GetLinkAt({paragraph.Index, atChar}, link);
    if (link.Length > 0)
        return false;

    const int32_t language = document.GetLanguageAt(paragraph.Index, start + 1);
    if (language == NotSet || language == kNoLanguage)
        return false;
    std::string word(reinterpret_cast<const char*>(plain + start), static_cast<size_t>(end - start));
    if ((language & 0x3FF) == 9) {
        // English: a possessive "'s" and a final apostrophe are no part of the
        // word, except that "n'" stands for "ng".
        const size_t n = word.size();
        if (n >= 2 && IsApostrophe(static_cast<uint8_t>(word[n - 2])) && (word[n - 1] == 's' || word[n - 1] == 'S'))
            word.resize(n - 2);
        else if (n >= 1 && IsApostrophe(static_cast<uint8_t>(word[n - 1]))) {
            if (n >= 2 && (word[n - 2] == 'n' || word[n - 2] == 'N'))
                word[n - 1] = 'g';
            else
                word.resize(n - 1);
        }
    }
    const TLanguageHyphData& data = GetHyphManager().GetLanguageData(language);
    if (!data.HasData || word.empty() || static_cast<int32_t>(word.size()) > kMaxHyphenatedWord)
        return false;
    // A word in capitals only while the document hyphenates them.
    if (!document.HyphenateCapitals && AnsiUpperCase(word) == word)
        return false;
    data.GetHyphenationPoints(word, points);
    if (points.empty())
        return false;
    candidate.WordStart = start;
    candidate.WordLength = end - start;
    candidate.ConditionalHyphens.clear();
    return true;
}
