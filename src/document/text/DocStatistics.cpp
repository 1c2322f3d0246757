// TDocument: document statistics and the statistics message.
#include "document/text/DocStatistics.h"

#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/model/DocumentLayout.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/text/TextAccess.h"
#include "foundation/MessageDlg.h"
#include "foundation/StringRoutines.h"
#include "foundation/TextTables.h"
#include "platform/runtime/DateTime.h"

#include <algorithm>
#include <climits>

namespace {

const char* const StatisticsProgressText = "Création des statistiques...";

// The page (0-based) of the line that holds a character; -1 when the
// paragraph is not placed on a page.
int32_t PageOfChar(const TParagraph& paragraph, int32_t offset)
{
    const int32_t line = paragraph.FindLineOfChar(offset, 0, false);
    if (line < 0 || line >= paragraph.GetLineCount())
        return -1;
    const TPage* page = paragraph.GetLine(line).Page;
    return page ? page->Index : -1;
}

class TStatisticsCounter {
public:
    TStatisticsCounter(TDocument& document, TDocStatistics& statistics, int32_t first)
        : FDocument(document), FStatistics(statistics), FFirst(first)
    {
    }

    // One paragraph over [from, to).
    void Count(int32_t index, int32_t from, int32_t to)
    {
        DocumentHost().ProgressStep(index - FFirst + 1);
        TParagraph& paragraph = FDocument.Paragraphs(index);
        const int32_t count = paragraph.GetCharCount();
        from = std::clamp(from, 0, count);
        to = std::clamp(to, from, count);
        const bool quick = FDocument.CountingFieldStatistics != 0;
        if (!quick) {
            if (count > 1)
                ++FStatistics.Paragraphs;
            FStatistics.Lines += LinesOf(paragraph, from, to);
        }
        const uint8_t* chars = paragraph.GetPlainChars().Data();
        bool inWord = false;
        for (int32_t i = from; i < to; ++i) {
            const uint8_t c = chars[i];
            // A kept control byte is not there: it neither ends a word nor
            // makes one.
            if (IsKeptControlChar(c))
                continue;
            if (c == scPicture) {
                ++FStatistics.Pictures;
            } else if ((c >= scNonBreakingSpace && c <= scEnDash) || c >= 32) {
                ++FStatistics.CharsWithSpaces;
                if (c != scNonBreakingSpace && c != ' ')
                    ++FStatistics.CharsWithoutSpaces;
            }
            if (DelimiterCharTable[c]) {
                if (inWord)
                    ++FStatistics.Words;
                inWord = false;
            } else {
                inWord = true;
            }
        }
        if (inWord)
            ++FStatistics.Words;
        if (!quick && from < count - 1)
            CountSentences(index, from, to);
    }

private:
    // The lines of the paragraph's layout from the one holding `from` to the
    // one holding `to`. A paragraph that no layout could lay out stands for
    // one line.
    int32_t LinesOf(TParagraph& paragraph, int32_t from, int32_t to)
    {
        if (paragraph.GetLineCount() == 0 && GetParagraphLayout()) {
            const int32_t index = paragraph.Index;
            const TSection& section = FDocument.GetStoryOfParagraph(index) == stBody
                                          ? FDocument.GetPageSection(index)
                                          : FDocument.Sections(0);
            paragraph.Invalidate(true, section.PageParams[ppTextWidth]);
        }
        if (paragraph.GetLineCount() == 0)
            return 1;
        const int32_t first = paragraph.FindLineOfChar(from, 0, false);
        const int32_t last = paragraph.FindLineOfChar(to, 0, true);
        return std::max(last - first + 1, 1);
    }

    void CountSentences(int32_t index, int32_t from, int32_t to)
    {
        TTextPosition position{index, from};
        bool first = true;
        int32_t previousStart = 0;
        // Every round moves on by at least one character.
        for (int32_t guard = 0; guard <= to - from + 1; ++guard) {
            TTextRange sentence;
            FDocument.GetSentenceAt(position, sentence);
            if (sentence.Start.Paragraph != index || IsRangeEmpty(sentence))
                break;
            if (!first && sentence.Start.Offset <= previousStart)
                break;
            if (sentence.Start.Offset >= to)
                break;
            if (!FDocument.GetRangeText(sentence).empty())
                ++FStatistics.Sentences;
            first = false;
            previousStart = sentence.Start.Offset;
            TTextPosition next;
            FDocument.GetNextWord(sentence.End, next);
            if (next.Paragraph != index || next.Offset <= position.Offset)
                break;
            position = next;
        }
    }

    TDocument& FDocument;
    TDocStatistics& FStatistics;
    int32_t FFirst;
};

// Ends the progress display however the count ends.
struct TProgressGuard {
    ~TProgressGuard() { DocumentHost().ProgressEnd(); }
};

std::string CodingName(int32_t coding)
{
    static const char* const names[] = {"Document RTF",        "Document MS Word 6.0/95",
                                        "Document MS Word 97/2000/XP", "Document MS Write",
                                        "Document COD crypté", "Texte pur ANSI",
                                        "Texte pur DOS"};
    return coding >= 0 && coding < 7 ? names[coding] : std::string();
}

std::string Thousands(int32_t value)
{
    return FormatThousands(static_cast<double>(value));
}

std::string ReplaceFirst(std::string text, const std::string& value)
{
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

std::string DateText(TDateTime date)
{
    const TFormatSettings& settings = FormatSettings();
    return FormatFieldDateTime(settings.ShortDateFormat + " " + settings.ShortTimeFormat, date, settings);
}

}  // namespace

void TDocument::ComputeStatistics(TDocStatistics& statistics)
{
    if (GetDocumentLayout())
        PaginateAll();
    statistics = TDocStatistics();
    TDocumentHost& host = DocumentHost();

    if (HasSelection()) {
        const TTextSelection selection = Selection();
        const int32_t first = selection.Start.Paragraph;
        const int32_t last = std::min(selection.End.Paragraph, ParagraphCount() - 1);
        host.ProgressStart(last - first + 1, StatisticsProgressText);
        TProgressGuard progress;
        const int32_t startPage = PageOfChar(Paragraphs(first), selection.Start.Offset);
        const int32_t endPage = PageOfChar(Paragraphs(last), selection.End.Offset);
        statistics.Pages = startPage >= 0 && endPage >= startPage ? endPage - startPage + 1 : 1;
        TStatisticsCounter counter(*this, statistics, first);
        for (int32_t index = first; index <= last; ++index) {
            const int32_t from = index == first ? selection.Start.Offset : 0;
            const int32_t to = index == selection.End.Paragraph ? selection.End.Offset
                                                                : Paragraphs(index).GetCharCount();
            counter.Count(index, from, to);
        }
    } else {
        TTextRange edit;
        GetEditRange(edit);
        const int32_t first = std::max(edit.Start.Paragraph, 0);
        const int32_t last = std::min(edit.End.Paragraph, ParagraphCount() - 1);
        host.ProgressStart(last - first + 1, StatisticsProgressText);
        TProgressGuard progress;
        statistics.Pages = EditedHeaderFooter ? 1 : std::max(PageCount(), 1);
        TStatisticsCounter counter(*this, statistics, first);
        for (int32_t index = first; index <= last; ++index)
            counter.Count(index, 0, Paragraphs(index).GetCharCount());
    }
    statistics.FileSize = static_cast<int32_t>(std::clamp<int64_t>(FileState.SizeAtLoad, 0, INT32_MAX));
    statistics.Coding = Format;
}

void TDocument::ShowStatistics()
{
    TDocStatistics statistics;
    ComputeStatistics(statistics);
    std::string text =
        "Pages : %s||Mots : %s||Phrases : %s||Car. (espaces non comprises) : %s||Car. (espaces comprises) : "
        "%s||Paragraphes : %s||Lignes : %s||Images : %s||||Informations globales :                     "
        "||||Taille du fichier : %s||Format du fichier : %s";
    for (const int32_t value : {statistics.Pages, statistics.Words, statistics.Sentences,
                                statistics.CharsWithoutSpaces, statistics.CharsWithSpaces, statistics.Paragraphs,
                                statistics.Lines, statistics.Pictures})
        text = ReplaceFirst(text, Thousands(value));
    text = ReplaceFirst(text, ReplaceFirst("%s octets", Thousands(statistics.FileSize)));
    text = ReplaceFirst(text, CodingName(statistics.Coding));

    std::string dates;
    auto addLine = [&](const std::string& line) {
        if (!dates.empty())
            dates += '\r';
        dates += line;
    };
    if (Properties.Created != 0)
        addLine(ReplaceFirst("Créé le : %s", DateText(Properties.Created)));
    if (Properties.LastSaved != 0 && Properties.LastSaved != Properties.Created) {
        addLine(ReplaceFirst("Dernier enreg. : %s", DateText(Properties.LastSaved)));
        if (!Properties.LastAuthor.empty())
            addLine(ReplaceFirst("Auteur du dernier enreg. : %s", Properties.LastAuthor));
    }
    if (Properties.LastPrinted != 0)
        addLine(ReplaceFirst("Dernière impression : %s", DateText(Properties.LastPrinted)));
    if (!dates.empty())
        text += "\r\r" + dates;

    const char* caption = HasSelection()        ? "Statistiques sur la sélection"
                          : EditedHeaderFooter ? "Statistiques sur l'en-tête/pied de page"
                                               : "Statistiques sur le document";
    ShowMessageDlg(text, mtCustom, mbOK, caption);
}

bool TDocument::IsViewTracking() const
{
    return FView && FView->IsTracking();
}
