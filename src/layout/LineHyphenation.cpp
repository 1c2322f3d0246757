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

}  // namespace

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
