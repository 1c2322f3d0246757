#include "document/text/TextSearch.h"

#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/Paragraph.h"
#include "document/operations/Operation.h"
#include "document/operations/OperationManager.h"
#include "foundation/Memory.h"
#include "document/text/TextAccess.h"
#include "foundation/InlineControl.h"
#include "foundation/TextTables.h"
#include "platform/runtime/Locale.h"

#include <algorithm>
#include <utility>

const std::array<TSpecialSearchChar, SpecialSearchCharCount> SpecialSearchChars = {{
    {'P', "Marque de &paragraphe", scParagraphMark, true},
    {'L', "Saut de lig&ne", scLineBreak, true},
    {'N', "Saut de c&olonne", scColumnBreak, true},
    {'M', "Saut de pa&ge", scPageBreak, true},
    {'B', "Saut de sec&tion", scSectionBreak, false},
    {'T', "Ta&bulation", scTab, true},
    {'G', "&Image", scPicture, false},
    {'O', "Ob&jet", scOleObject, false},
    {'F', "Appel &de note", scReaderSpecial, false},
    {'S', "&Espace insécable", scNonBreakingSpace, true},
    {'~', "Trait d'&union insécable", scNonBreakingHyphen, true},
    {'-', "Trait d'union &conditionnel", scOptionalHyphen, true},
    {'+', "Tiret c&adratin (long)", scEmDash, true},
    {'=', "Tiret de&mi-cadratin (court)", scEnDash, true},
    {'^', "&Signe ^", '^', true},
    {'?', "Tout ca&ractère", pcAnyChar, false},
    {'#', "Tout c&hiffre", pcAnyDigit, false},
    {'$', "Toute &lettre", pcAnyLetter, false},
}};

std::string CompileSearchPattern(const std::string& typed, std::vector<TSearchPart>& parts)
{
    parts.clear();
    std::string pattern;
    int32_t partEnd = 0;
    const size_t n = typed.size();
    for (size_t i = 0; i < n; ++i) {
        const auto c = static_cast<uint8_t>(typed[i]);
        if (c == '^' && i + 1 < n) {
            char letter = typed[i + 1];
            if (letter >= 'a' && letter <= 'z')
                letter = static_cast<char>(letter - 'a' + 'A');
            ++i;
            const auto row = std::find_if(SpecialSearchChars.begin(), SpecialSearchChars.end(),
                                          [&](const TSpecialSearchChar& s) { return s.Letter == letter; });
            if (row == SpecialSearchChars.end())
                continue;  // an unknown code goes with its letter
            pattern += static_cast<char>(row->Code);
            if (row->Code == scParagraphMark || row->Code == scSectionBreak) {
                const auto length = static_cast<int32_t>(pattern.size());
                parts.push_back({partEnd, length - partEnd});
                partEnd = length;
            }
            continue;
        }
        switch (c) {
        case 9: pattern += static_cast<char>(scTab); break;
        case 0x96: pattern += static_cast<char>(scEnDash); break;
        case 0x97: pattern += static_cast<char>(scEmDash); break;
        case 0xA0: pattern += static_cast<char>(scNonBreakingSpace); break;
        default: pattern += static_cast<char>(c); break;
        }
    }
    const auto length = static_cast<int32_t>(pattern.size());
    if (!parts.empty() && length > partEnd)
        parts.push_back({partEnd, length - partEnd});
    return pattern;
}

std::string SearchPatternToText(const std::string& typed)
{
    std::vector<TSearchPart> parts;
    const std::string pattern = CompileSearchPattern(typed, parts);
    std::string text;
    text.reserve(pattern.size() + 8);
    for (char ch : pattern) {
        switch (static_cast<uint8_t>(ch)) {
        case scParagraphMark: text += "\r\n"; break;
        case scColumnBreak: text += '\x0F'; break;
        case scLineBreak: text += '\x0B'; break;
        case scPageBreak: text += '\x0C'; break;
        case scTab: text += '\t'; break;
        case scNonBreakingSpace: text += '\xA0'; break;
        case scNonBreakingHyphen: text += '\x10'; break;
        case scEmDash: text += '\x97'; break;
        case scEnDash: text += '\x96'; break;
        case scOptionalHyphen: text += '\x1F'; break;
        case scSectionBreak:
        case scPicture:
        case scOleObject:
        case pcAnyChar:
        case pcAnyDigit:
        case pcAnyLetter: break;
        default: text += ch; break;
        }
    }
    return text;
}

TTextSearcher::TTextSearcher(TDocument& document, std::string pattern, std::vector<TSearchPart> parts,
                             uint8_t flags)
    : FDocument(document), FPattern(std::move(pattern)), FParts(std::move(parts)), FFlags(flags)
{
    // Case and letter classes of the 256 bytes, read once for the whole search.
    const LCID locale = GetUserDefaultLCID();
    std::string all(256, '\0');
    for (int c = 0; c < 256; ++c)
        all[static_cast<size_t>(c)] = static_cast<char>(c);
    const std::string upper = LocaleUpperCase(locale, all);
    for (int c = 0; c < 256; ++c) {
        FUpper[static_cast<size_t>(c)] =
            c < 32 || upper.size() != 256 ? static_cast<uint8_t>(c) : static_cast<uint8_t>(upper[static_cast<size_t>(c)]);
        FAlpha[static_cast<size_t>(c)] = c >= 32 && (GetCharTypeFlags(locale, static_cast<uint8_t>(c)) & C1_ALPHA);
    }
}

bool TTextSearcher::MatchChar(uint8_t pattern, uint8_t text) const
{
    // A control byte kept from a plain-text file is no part of the text.
    if (IsKeptControlChar(text))
        return false;
    switch (pattern) {
    case pcAnyChar: return text != scOptionalHyphen;
    case pcAnyDigit: return text >= '0' && text <= '9';
    case pcAnyLetter: return FAlpha[text];
    case ' ': return text == ' ' || text == scNonBreakingSpace;
    case '"':
        return text == 0x22 || text == 0x84 || text == 0x93 || text == 0x94 || text == 0xAB || text == 0xBB;
    case '\'': return text == 0x27 || text == 0x91 || text == 0x92;
    case '-': return text == 0x2D || text == scNonBreakingHyphen || text == scEmDash || text == scEnDash;
    default: break;
    }
    if (FFlags & ftMatchCase)
        return pattern == text;
    return FUpper[pattern] == FUpper[text];
}

bool TTextSearcher::IsDelimiter(uint8_t ch) const
{
    return DelimiterCharTable[ch];
}

TTextSearcher::TRun TTextSearcher::MatchForward(const uint8_t* piece, int32_t pieceLength, const uint8_t* text,
                                                int32_t available) const
{
    int32_t i = 0;
    int32_t j = 0;
    while (i < pieceLength && j < available) {
        const uint8_t t = text[j];
        if (MatchChar(piece[i], t)) {
            ++i;
            ++j;
        } else if ((t == scOptionalHyphen || IsKeptControlChar(t)) && j > 0) {
            ++j;  // a conditional hyphen inside the matched text belongs to it
        } else {
            break;
        }
    }
    return {i == pieceLength, j};
}

TTextSearcher::TRun TTextSearcher::MatchBackward(const uint8_t* piece, int32_t pieceLength, const uint8_t* textEnd,
                                                 int32_t available) const
{
    int32_t i = pieceLength - 1;
    int32_t j = 0;
    while (i >= 0 && j < available) {
        const uint8_t t = *(textEnd - 1 - j);
        if (MatchChar(piece[i], t)) {
            --i;
            ++j;
        } else if (t == scOptionalHyphen || IsKeptControlChar(t)) {
            ++j;
        } else {
            break;
        }
    }
    return {i < 0, j};
}

namespace {

const uint8_t* PlainOf(const TParagraph& paragraph)
{
    return static_cast<const uint8_t*>(paragraph.GetPlainChars().Data());
}

}  // namespace

bool TTextSearcher::FindInParagraph(int32_t paragraph, int32_t offset, TSearchResult& result) const
{
    const TParagraph& par = FDocument.Paragraphs(paragraph);
    const int32_t length = par.GetCharCount();
    if (offset < 0 || offset >= length)
        return false;
    const uint8_t* text = PlainOf(par);
    const auto* piece = reinterpret_cast<const uint8_t*>(FPattern.data());
    const auto pieceLength = static_cast<int32_t>(FPattern.size());
    const TRun run = MatchForward(piece, pieceLength, text + offset, length - offset);
    if (!run.Matched)
        return false;
    const int32_t end = offset + run.Consumed;
    if (FFlags & ftWholeWords) {
        const bool startOk = offset == 0 || IsDelimiter(text[offset - 1]) || IsDelimiter(piece[0]);
        const bool endOk = end >= length || IsDelimiter(text[end]) || IsDelimiter(piece[pieceLength - 1]);
        if (!startOk || !endOk)
            return false;
    }
    result = {1, paragraph, offset, paragraph, end};
    return true;
}

bool TTextSearcher::FindParts(int32_t paragraph, int32_t startOffset, TSearchResult& result) const
{
    const auto k = static_cast<int32_t>(FParts.size());
    if (paragraph + k - 1 > FLast)
        return false;
    const auto* pattern = reinterpret_cast<const uint8_t*>(FPattern.data());
    const bool whole = FFlags & ftWholeWords;

    const TParagraph& first = FDocument.Paragraphs(paragraph);
    const int32_t firstLength = first.GetCharCount();
    const TSearchPart& part0 = FParts[0];
    if (part0.Length + startOffset > firstLength)
        return false;
    const uint8_t* firstText = PlainOf(first);
    const TRun run0 = MatchBackward(pattern + part0.Start, part0.Length, firstText + firstLength,
                                    firstLength - startOffset);
    if (!run0.Matched)
        return false;
    const int32_t start = firstLength - run0.Consumed;
    if (whole && start > 0 && !IsDelimiter(firstText[start - 1]))
        return false;

    for (int32_t i = 1; i <= k - 2; ++i) {
        const TParagraph& middle = FDocument.Paragraphs(paragraph + i);
        const TRun run = MatchForward(pattern + FParts[static_cast<size_t>(i)].Start,
                                      FParts[static_cast<size_t>(i)].Length, PlainOf(middle), middle.GetCharCount());
        if (!run.Matched || run.Consumed != middle.GetCharCount())
            return false;
    }

    if (k == 1) {
        result = {1, paragraph, start, paragraph, firstLength};
        return true;
    }
    const TParagraph& last = FDocument.Paragraphs(paragraph + k - 1);
    const int32_t lastLength = last.GetCharCount();
    const uint8_t* lastText = PlainOf(last);
    const TSearchPart& partN = FParts.back();
    const TRun runN = MatchForward(pattern + partN.Start, partN.Length, lastText, lastLength);
    if (!runN.Matched)
        return false;
    if (whole && runN.Consumed < lastLength && !IsDelimiter(lastText[runN.Consumed]))
        return false;
    result = {1, paragraph, start, paragraph + k - 1, runN.Consumed};
    return true;
}

TSearchResult TTextSearcher::Search(int32_t paragraph, int32_t offset, bool showProgress) const
{
    TSearchResult result;
    // Read on every search: replacements between searches may add or remove paragraphs.
    TTextRange range;
    FDocument.GetEditRange(range);
    FFirst = range.Start.Paragraph;
    FLast = range.End.Paragraph;
    if (FPattern.empty() || FFirst > FLast)
        return result;
    const bool forward = !(FFlags & ftUpward);
    const int32_t startParagraph = std::clamp(paragraph, FFirst, FLast);
    if (startParagraph != paragraph)
        offset = forward ? 0 : FDocument.Paragraphs(startParagraph).GetCharCount() - 1;
    const auto patternLength = static_cast<int32_t>(FPattern.size());
    auto progress = [&](int32_t done) {
        if (showProgress)
            DocumentHost().ProgressStep(done);
    };

    if (!FParts.empty()) {
        const auto k = static_cast<int32_t>(FParts.size());
        if (forward) {
            for (int32_t p = startParagraph; p <= FLast + 1 - k; ++p) {
                progress(p - FFirst + 1);
                if (FindParts(p, p == startParagraph ? std::max(offset, 0) : 0, result))
                    return result;
            }
        } else {
            for (int32_t p = startParagraph - 1; p >= FFirst; --p) {
                progress(FLast - p);
                if (FindParts(p, 0, result))
                    return result;
            }
        }
        return result;
    }

    if (forward) {
        for (int32_t p = startParagraph; p <= FLast; ++p) {
            progress(p - FFirst);
            const int32_t length = FDocument.Paragraphs(p).GetCharCount();
            for (int32_t o = p == startParagraph ? std::max(offset, 0) : 0; o + patternLength <= length; ++o) {
                if (FindInParagraph(p, o, result))
                    return result;
            }
        }
    } else {
        for (int32_t p = startParagraph; p >= FFirst; --p) {
            progress(FLast - p);
            const int32_t length = FDocument.Paragraphs(p).GetCharCount();
            // Never at the paragraph mark itself.
            const int32_t from = p == startParagraph ? std::min(offset, length - 1) : length - 2;
            for (int32_t o = from; o >= 0; --o) {
                if (FindInParagraph(p, o, result))
                    return result;
            }
        }
    }
    return result;
}

int32_t ReplaceAllPass(TDocument& document, const TTextSearcher& searcher, const TMemory& text, bool forward,
                       bool showProgress, bool bounded, bool joinPrevious, TTextPosition& next,
                       TTextPosition& origin)
{
    // The selection changes quietly while the matches are replaced.
    constexpr int32_t chfSelectionQuiet = 14;
    int32_t count = 0;
    document.ExecuteEdit(okReplaceAll, [&](TOperation* op, TUpdateRange& update) {
        for (;;) {
            const TSearchResult match = searcher.Search(next.Paragraph, forward ? next.Offset : next.Offset - 1,
                                                        showProgress);
            if (!match.Found)
                break;
            TTextRange range;
            document.GetEditRange(range);
            const int32_t last = range.End.Paragraph;
            if (match.StartParagraph == last && match.StartOffset >= document.Paragraphs(last).GetCharCount() - 1)
                break;
            const TTextPosition start{match.StartParagraph, match.StartOffset};
            const TTextPosition end{match.EndParagraph, match.EndOffset};
            if (bounded && (forward ? CompareTextPos(end, origin) > 0 : CompareTextPos(start, origin) < 0))
                break;
            document.BeginChange(chfSelectionQuiet);
            TUpdateRange local;
            try {
                document.SetSelection(start.Paragraph, start.Offset, end.Paragraph, end.Offset, ssfNoNotify);
                document.PrepareTypingFormat(start, 1);
                document.LockDispatcher();
                try {
                    document.ReplaceText(start, end, local, op, 0, text);
                } catch (...) {
                    document.UnlockDispatcher();
                    throw;
                }
                document.UnlockDispatcher();
            } catch (...) {
                document.EndChanges(1);
                throw;
            }
            document.EndChanges(1);
            document.UndoManager().MergeUpdateRange(update, local);
            const TTextPosition after{local.CaretParagraph, local.CaretOffset};
            document.Caret.Paragraph = after.Paragraph;
            document.Caret.Offset = after.Offset;
            // The origin moves with a replacement that lies before it.
            if (CompareTextPos(end, origin) <= 0) {
                if (end.Paragraph == origin.Paragraph)
                    origin.Offset += after.Offset - end.Offset;
                origin.Paragraph += after.Paragraph - end.Paragraph;
            }
            next = forward ? after : start;
            ++count;
        }
    });
    TOperationManager& undo = document.UndoManager();
    if (count > 0 && joinPrevious && document.OperationRecorded && undo.CurrentIndex() >= 0)
        undo.Operations(undo.CurrentIndex()).Joined = 1;
    return count;
}
