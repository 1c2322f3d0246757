#include "layout/Pagination.h"

#include "document/model/Document.h"
#include "document/model/DocumentHost.h"
#include "document/fields/Field.h"
#include "document/model/ObjectTable.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/InlineControl.h"
#include "layout/LayoutLine.h"
#include "layout/PageGrid.h"
#include "layout/RunFont.h"
#include "platform/runtime/Exception.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// What filling a column or a page section ended with.
enum TFillResult : int32_t {
    frColumnFull = 0,
    frColumnBreak = 1,
    frPageBreak = 2,        // a page break, or the page was closed
    frContinuousBreak = 3,  // the section ends on this page; the next goes on below it
    frNewPageSection = 4,   // the section ends with a break to a new page
    frNothingFitted = 5,    // nothing fitted in an empty column
    frBodyEnd = 6,
};

// What placing a paragraph on a column page did.
enum TFitResult : int32_t {
    ftNothing = 0,
    ftPartly = 1,  // the rest goes on the next column or page
    ftWhole = 2,
};

bool FormatOn(const TParFormat& format, int slot)
{
    return SlotOn(format[slot]);
}

TLayoutLine& LineOf(TParagraph& paragraph, int32_t index)
{
    TLayoutLine* line = AsLayoutLine(&paragraph.GetLine(index));
    if (!line)
        throw EInternalError("Ligne sans mise en page");
    return *line;
}

uint8_t LastChar(const TParagraph& paragraph)
{
    const int32_t count = paragraph.GetCharCount();
    return count > 0 ? paragraph.GetPlainChars().Data()[count - 1] : 0;
}

// The last character of a line of a paragraph.
uint8_t LastCharOfLine(const TParagraph& paragraph, const TParLine& line)
{
    if (line.CharCount <= 0)
        return 0;
    const int32_t index = line.FirstChar + line.CharCount - 1;
    return index < paragraph.GetCharCount() ? paragraph.GetPlainChars().Data()[index] : 0;
}

// The last body range of a page when it still shows its paragraph.
const TParagraphOnPageInfo* LastBodyRange(const TPage& page)
{
    for (int32_t i = static_cast<int32_t>(page.Ranges.size()) - 1; i >= 0; --i) {
        if (page.Ranges[static_cast<size_t>(i)].HeaderFooter)
            continue;
        return page.IsRangeIntact(i) ? &page.Ranges[static_cast<size_t>(i)] : nullptr;
    }
    return nullptr;
}

// A keep-with-next chain: the first paragraph of a run of keep-with-next
// paragraphs, the line it started with, the column page it started on and
// the running note numbers before it.
struct TKeepChain {
    bool Open = false;
    int32_t First = -1;
    int32_t FirstLine = 0;
    TPage* Page = nullptr;
    int32_t Footnote = 0;
    int32_t Endnote = 0;
};

bool RestartsEachPage(const TNoteNumbering& numbering)
{
    return numbering.Restart != nrNever && numbering.Restart != nrEachSection;
}

// One of the lines first to last of the paragraph shows a note mark.
bool HasNoteMarks(TParagraph& paragraph, int32_t first, int32_t last)
{
    for (int32_t i = std::max(first, 0); i <= last && i < paragraph.GetLineCount(); ++i) {
        const TLayoutLine* line = AsLayoutLine(&paragraph.GetLine(i));
        if (line && (line->FootnoteMark || line->EndnoteMark))
            return true;
    }
    return false;
}

class TPaginator {
public:
    TPaginator(TDocument& document, int32_t limit, int32_t runStart);
    void Run(int32_t firstPage);

private:
    // State that balancing the columns of a section puts back between tries.
    struct TSaved {
        size_t Pending;
        int32_t Paragraph;
        int32_t Line;
        TKeepChain Chain;
        TPageParams Params;
        int32_t Footnote;
        int32_t Endnote;
    };

    int32_t FindStart(int32_t page);
    void StartNoteNumbers();
    void AdvanceNoteNumbers(TParagraph& paragraph, int32_t first, int32_t last);
    void PrepareNewPage();
    int32_t PrepareHeaderFooter(int32_t kind, TSection& section, bool header);
    TFillResult FillPageSection(int32_t available, int32_t& tallest);
    TFillResult FillColumns(int32_t available);
    TFillResult FillColumn(int32_t column, int32_t available, int32_t width);
    TFitResult FitParagraph(TPage& page, int32_t column, int32_t width, int32_t available);
    void MoveKeepChain(TPage*& page);
    void RemoveChain(TPage& page);
    int32_t ChainPosition(const TPage& page) const;
    void FinishPage();
    void Restore(const TSaved& saved);
    int32_t Tallest(size_t from) const;
    bool PendingHasLines(const TPage* except) const;
    bool PendingHasRanges(const TPage* except) const;
    TPage* LastPage() const;
    bool EndsWithPageBreak(int32_t paragraph) const;
    int32_t NewPageIndex() const { return FDocument.PageCount(); }
    void Progress();

    TDocument& FDocument;
    TDocumentHost& FHost;
    TLayoutUnits FUnits;
    int32_t FLimit;
    int32_t FRunStart;
    int32_t FBodyLast = 0;
    // The cursor: the paragraph being placed and its first line not placed.
    int32_t FParagraph = 0;
    int32_t FLine = 0;
    // The page parameters in force and the page being made.
    TPageParams FParams;
    int32_t FTextHeight = 0;
    int32_t FHeaderSpace = 0;
    int32_t FFooterSpace = 0;
    TField* FHeader = nullptr;
    TField* FFooter = nullptr;
    int32_t FSectionOffset = 0;
    // The column pages of the page being made.
    std::vector<std::unique_ptr<TPage>> FPending;
    // The column page before the current one (the last page made, at the top
    // of a page).
    TPage* FPreviousColumn = nullptr;
    TKeepChain FChain;
    bool FColumnBreak = false;
    // A keep-with-next chain was taken off a page already made: balancing
    // cannot take that back.
    bool FTouchedMadePage = false;
    bool FShowProgress = false;
    int32_t FPagesMade = 0;
    // The notes stories hold footnotes, endnotes; the running numbers of the
    // next footnote and endnote mark.
    bool FFootnotes = false;
    bool FEndnotes = false;
    int32_t FFootnote = 0;
    int32_t FEndnote = 0;
};

TPaginator::TPaginator(TDocument& document, int32_t limit, int32_t runStart)
    : FDocument(document), FHost(DocumentHost()), FUnits(NormalLayoutUnits(document)), FLimit(limit),
      FRunStart(runStart)
{
}

TPage* TPaginator::LastPage() const
{
    return FDocument.Pages().empty() ? nullptr : FDocument.Pages().back().get();
}

bool TPaginator::EndsWithPageBreak(int32_t paragraph) const
{
    if (paragraph < 0)
        return false;
    TParagraph& previous = FDocument.Paragraphs(paragraph);
    if (!previous.GetLaidOutFlag() || previous.GetLineCount() == 0)
        return false;
    const TLayoutLine* line = AsLayoutLine(&previous.GetLine(previous.GetLineCount() - 1));
    return line && line->EndsWithPageBreak();
}

bool TPaginator::PendingHasLines(const TPage* except) const
{
    for (const auto& page : FPending)
        if (page.get() != except && !page->Lines.empty())
            return true;
    return false;
}

bool TPaginator::PendingHasRanges(const TPage* except) const
{
    for (const auto& page : FPending)
        if (page.get() != except && !page->Ranges.empty())
            return true;
    return false;
}

// Where a run from a page continues: after the last body range of the page
// before it (the one before that when it is blank). A page some of whose
// ranges no longer show their paragraphs (laid out again or gone since)
// cannot tell: the run then starts a page earlier.
int32_t TPaginator::FindStart(int32_t page)
{
    auto& pages = FDocument.Pages();
    page = std::clamp(page, 0, static_cast<int32_t>(pages.size()));
    while (page > 0) {
        int32_t q = page - 1;
        if (pages[static_cast<size_t>(q)]->Lines.empty() && q > 0)
            --q;
        const TPage& before = *pages[static_cast<size_t>(q)];
        bool intact = true;
        int32_t position = -1;
        for (int32_t i = 0; i < static_cast<int32_t>(before.Ranges.size()); ++i) {
            if (before.Ranges[static_cast<size_t>(i)].HeaderFooter)
                continue;
            intact = intact && before.IsRangeIntact(i);
            position = i;
        }
        const int32_t index = intact && position >= 0 ? before.RangeParagraphIndex(position) : -1;
        if (index >= 0 && index <= FBodyLast) {
            const TParagraphOnPageInfo& range = before.Ranges[static_cast<size_t>(position)];
            const TParagraph& paragraph = *range.Paragraph;
            if (paragraph.GetLaidOutFlag() && range.LastLine < paragraph.GetLineCount()) {
                if (range.LastLine == paragraph.GetLineCount() - 1) {
                    FParagraph = index + 1;
                    FLine = 0;
                } else {
                    FParagraph = index;
                    FLine = range.LastLine + 1;
                }
                return page;
            }
        }
        --page;
    }
    FParagraph = 0;
    FLine = 0;
    return 0;
}

// The running note numbers where a run starts: the number after the last
// note mark of the pages before it, unless the numbering restarts at every
// section and that note lies in another section, or at every page.
void TPaginator::StartNoteNumbers()
{
    FFootnote = 0;
    FEndnote = 0;
    if (FParagraph > FBodyLast)
        return;
    bool needFootnote = FFootnotes && !RestartsEachPage(FDocument.FootnoteNumbering);
    bool needEndnote = FEndnotes && !RestartsEachPage(FDocument.EndnoteNumbering);
    const TSection& section = FDocument.GetSectionOfParagraph(FParagraph);
    auto next = [&](const TNoteNumbering& numbering, const TField& note, int32_t paragraph) {
        if (numbering.Restart == nrEachSection && &FDocument.GetSectionOfParagraph(paragraph) != &section)
            return 0;
        return note.Number < std::numeric_limits<int32_t>::max() ? note.Number + 1 : note.Number;
    };
    const auto& pages = FDocument.Pages();
    for (size_t p = pages.size(); p-- > 0 && (needFootnote || needEndnote);) {
        const TPage& page = *pages[p];
        for (size_t slot = page.Lines.size(); slot-- > 0 && (needFootnote || needEndnote);) {
            const TLayoutLine* line = AsLayoutLine(page.Lines[slot]);
            if (!line || (!line->FootnoteMark && !line->EndnoteMark))
                continue;
            // Only a line of a paragraph that is still the document's.
            TParagraph& paragraph = line->Paragraph();
            const int32_t index = paragraph.Index;
            if (index < 0 || index > FBodyLast || &FDocument.Paragraphs(index) != &paragraph)
                continue;
            const std::vector<TField*> notes =
                paragraph.NoteReferencesIn(line->StartByte, line->StartByte + line->ByteLength);
            for (auto it = notes.rbegin(); it != notes.rend(); ++it) {
                if (IsEndnoteReference(**it)) {
                    if (needEndnote) {
                        FEndnote = next(FDocument.EndnoteNumbering, **it, index);
                        needEndnote = false;
                    }
                } else if (needFootnote) {
                    FFootnote = next(FDocument.FootnoteNumbering, **it, index);
                    needFootnote = false;
                }
            }
        }
    }
}

// The running note numbers move past the note references of the lines
// first to last of the paragraph, just placed.
void TPaginator::AdvanceNoteNumbers(TParagraph& paragraph, int32_t first, int32_t last)
{
    if (!FFootnotes && !FEndnotes)
        return;
    const TParLine& from = paragraph.GetLine(first);
    const TParLine& to = paragraph.GetLine(last);
    for (TField* note : paragraph.NoteReferencesIn(from.StartByte, to.StartByte + to.ByteLength)) {
        int32_t& counter = IsEndnoteReference(*note) ? FEndnote : FFootnote;
        if (counter < std::numeric_limits<int32_t>::max())
            ++counter;
    }
}

void TPaginator::Run(int32_t firstPage)
{
    FDocument.LockDispatcher();
    try {
        FDocument.RebuildSectionRanges();
        FBodyLast = FDocument.StoryLast(stBody);
        const int32_t start = FindStart(firstPage);
        auto& pages = FDocument.Pages();
        pages.erase(pages.begin() + start, pages.end());
        FFootnotes = FDocument.StoryCount(stFootnotes) > 0;
        FEndnotes = FDocument.StoryCount(stEndnotes) > 0;
        StartNoteNumbers();
        FShowProgress = !FDocument.SuppressPaginationProgress &&
                        static_cast<int64_t>(FLimit) - FRunStart >= ProgressPageCount;

        PrepareNewPage();
        for (;;) {
            const int32_t available = FTextHeight - FHeaderSpace - FFooterSpace - FSectionOffset;
            int32_t tallest = 0;
            const TFillResult result = FillPageSection(available, tallest);
            if (result == frContinuousBreak) {
                // The next section goes on below the tallest column.
                FSectionOffset += tallest;
                continue;
            }
            FinishPage();
            if (result == frBodyEnd)
                break;
            TPage* last = LastPage();
            const bool blank = last && last->Lines.empty();
            if (FDocument.PageCount() > FLimit && !FChain.Open && !blank)
                break;
            PrepareNewPage();
        }

        // A last page without text goes, unless it is the only one.
        if (pages.size() > 1 && pages.back()->Ranges.empty())
            pages.pop_back();
        bool complete = false;
        if (!pages.empty()) {
            const TPage& last = *pages.back();
            for (int32_t i = static_cast<int32_t>(last.Ranges.size()) - 1; i >= 0; --i) {
                const TParagraphOnPageInfo& range = last.Ranges[static_cast<size_t>(i)];
                if (range.HeaderFooter)
                    continue;
                complete = last.RangeParagraphIndex(i) == FBodyLast &&
                           range.LastLine == range.Paragraph->GetLineCount() - 1;
                break;
            }
        }
        FDocument.PaginationComplete = complete ? 1 : 0;
        const int32_t count = FDocument.PageCount();
        if ((complete && count != FDocument.PageGridCount) || count > FDocument.PageGridCount)
            FDocument.SetPageCount(count);
        if (complete) {
            FDocument.PaginatedPageCount = count;
            FDocument.LinesRebuilt = 1;
        }
        if (FDocument.RequestFrameLayout)
            FHost.RequestLayout();
    } catch (...) {
        FPending.clear();
        FDocument.UnlockDispatcher();
        throw;
    }
    FDocument.UnlockDispatcher();
}

// ---------------------------------------------------------------------------
// Pages, headers and footers

void TPaginator::PrepareNewPage()
{
    FSectionOffset = 0;
    FHeaderSpace = 0;
    FFooterSpace = 0;
    FHeader = nullptr;
    FFooter = nullptr;
    // At the end of the body no page follows.
    if (FParagraph > FBodyLast)
        return;
    // Numbering that restarts at every page.
    if (RestartsEachPage(FDocument.FootnoteNumbering))
        FFootnote = 0;
    if (RestartsEachPage(FDocument.EndnoteNumbering))
        FEndnote = 0;
    TSection& pageSection = FDocument.GetPageSection(FParagraph);
    // The text height as the page setup gives it now.
    pageSection.PageParams[ppReserved3] = TextHeightLayout(FDocument, pageSection.PageParams);
    FParams = pageSection.PageParams;
    FTextHeight = FParams[ppReserved3];

    TSection& section = FDocument.GetSectionOfParagraph(FParagraph);
    const bool firstOfSection = FParagraph == section.FirstParagraph && FLine == 0 &&
                                !FDocument.Paragraphs(FParagraph).IsPaginated();
    int32_t header;
    int32_t footer;
    if (HasTitlePage(FParams) && firstOfSection) {
        header = 4;
        footer = 5;
    } else if (HasOddEvenHeaders(FParams) && NewPageIndex() % 2 != 0) {
        header = 0;
        footer = 2;
    } else {
        header = 1;
        footer = 3;
    }
    FHeaderSpace = PrepareHeaderFooter(header, section, true);
    FFooterSpace = PrepareHeaderFooter(footer, section, false);
}

int32_t TPaginator::PrepareHeaderFooter(int32_t kind, TSection& section, bool header)
{
    // The section's own, or the nearest earlier section's.
    TField* range = section.HeadersFooters[kind];
    for (int32_t i = FDocument.IndexOfSection(&section) - 1; !range && i >= 0; --i)
        range = FDocument.Sections(i).HeadersFooters[kind];
    (header ? FHeader : FFooter) = nullptr;
    if (!range || FDocument.SuppressHeaders)
        return 0;

    const int32_t width = FParams[ppTextWidth];
    const int32_t pageHeight = FParams[ppPaperHeightLayout];
    const int32_t first = std::max(range->Range.Start.Paragraph, FDocument.StoryFirst(stHeadersFooters));
    const int32_t last = std::min(range->Range.End.Paragraph, FDocument.StoryLast(stHeadersFooters));
    // While a header or footer is edited its paragraphs keep their own lines
    // and field results: they are stamped and measured on the side and put
    // back.
    const bool editing = FDocument.EditedHeaderFooter != nullptr;
    std::vector<TParagraphSaveState> saved;
    auto restore = [&] {
        for (size_t i = saved.size(); i-- > 0;)
            if (saved[i].Saved)
                FDocument.Paragraphs(first + static_cast<int32_t>(i)).RestoreState(saved[i]);
    };
    int64_t height = 0;
    try {
        if (editing) {
            saved.resize(static_cast<size_t>(std::max(last - first + 1, 0)));
            for (int32_t index = first; index <= last; ++index)
                FDocument.Paragraphs(index).SaveState(saved[static_cast<size_t>(index - first)]);
        }
        // The fields show what they show on the page being made.
        if (first <= last) {
            TTextRange fields;
            MakeTextPos(first, 0, fields.Start);
            MakeTextPos(last, FDocument.Paragraphs(last).GetCharCount(), fields.End);
            FDocument.StampFields(fields, LayoutDependentFieldTypes(), NewPageIndex() + 1, &section);
        }
        for (int32_t index = first; index <= last; ++index) {
            TParagraph& paragraph = FDocument.Paragraphs(index);
            const int32_t right = SlotValue(paragraph.Format[pfRightIndent]);
            // Lines laid out at this width are measured again only when an
            // earlier page squeezed one of them (its height is the page's to
            // decide).
            bool current = paragraph.GetLaidOutFlag() && paragraph.GetLineCount() > 0 &&
                           paragraph.GetLine(0).RightLimit == FUnits.TwipsToEighths(std::max(width - right, 0));
            for (int32_t i = 0; current && i < paragraph.GetLineCount(); ++i)
                current = paragraph.GetLine(i).Height != 0;
            if (!current)
                paragraph.Invalidate(true, width);
            for (int32_t i = 0; i < paragraph.GetLineCount(); ++i)
                height = AddHeaderFooterLine(paragraph.GetLine(i), height, pageHeight);
        }
    } catch (...) {
        if (editing) {
            restore();
            FDocument.RefreshRangeObjectPositions();
            FDocument.BookmarkListDirty = 1;
        }
        throw;
    }
    if (editing) {
        restore();
        // The bookmark list rebuilt: the objects' places as the restored
        // text has them.
        FDocument.BookmarkListDirty = 1;
        FDocument.GetBookmarkList();
    }
    (header ? FHeader : FFooter) = range;
    if (header)
        return static_cast<int32_t>(std::max<int64_t>(0, FDocument.TwipsToLayout(FParams[ppHeaderDistance]) + height -
                                                             FDocument.TwipsToLayout(FParams[ppTopMargin])));
    return static_cast<int32_t>(std::max<int64_t>(0, FDocument.TwipsToLayout(FParams[ppFooterDistance]) + height -
                                                         FDocument.TwipsToLayout(FParams[ppBottomMargin])));
}

void TPaginator::FinishPage()
{
    if (FPending.empty())
        return;
    const uint8_t closed = FPending.back()->Closed;
    std::unique_ptr<TPage> page = std::move(FPending.front());
    int64_t used = 0;
    int64_t band = page->UsedHeight;
    for (size_t i = 1; i < FPending.size(); ++i) {
        TPage& column = *FPending[i];
        if (column.Column >= 1) {
            band = std::max<int64_t>(band, column.UsedHeight);
            page->TakeOver(column, true);
        } else {
            used += band;
            band = column.UsedHeight;
            page->TakeOver(column, false);
        }
        if (FChain.Page == &column)
            FChain.Page = page.get();
    }
    used += band;
    FPending.clear();
    const int32_t index = NewPageIndex();
    page->Index = index;
    page->UsedHeight = static_cast<int32_t>(std::min<int64_t>(used, std::numeric_limits<int32_t>::max()));
    page->Closed = closed;
    page->HeaderSpace = FHeaderSpace;
    page->FooterSpace = FFooterSpace;
    page->Header = FHeader;
    page->Footer = FFooter;
    page->RenumberLines();
    page->Rect = CalcPageRect(FDocument, index);
    TPage* made = page.get();
    FDocument.Pages().push_back(std::move(page));
    TRect rect = made->Rect;
    CenterPageRect(FDocument, index, rect);
    made->Rect = rect;
    FSectionOffset = 0;
    Progress();
}

void TPaginator::Progress()
{
    ++FPagesMade;
    if (!FShowProgress || FPagesMade <= ProgressPageCount)
        return;
    if (FHost.StatusBarMode() != 2)
        FHost.SetStatusBarMode(2);
    FHost.SetStatusText("Création des pages : " + std::to_string(FDocument.PageCount()));
}

// ---------------------------------------------------------------------------
// Sections and columns

TFillResult TPaginator::FillPageSection(int32_t available, int32_t& tallest)
{
    tallest = 0;
    if (FParagraph > FBodyLast)
        return frBodyEnd;
    const TSaved saved{FPending.size(), FParagraph, FLine, FChain, FParams, FFootnote, FEndnote};
    const TSection& section = FDocument.GetSectionOfParagraph(FParagraph);
    FTouchedMadePage = false;
    TFillResult result = FillColumns(available);

    // Balanced columns: the section laid out again with less room, 5 units at
    // a time, and the try with the lowest tallest column kept.
    if (result == frContinuousBreak && section.Settings.UsableColumnCount() > 1 && !FColumnBreak &&
        !FTouchedMadePage && FPending.size() > saved.Pending && FPending[saved.Pending]->Lines.size() > 1) {
        int32_t best = -1;
        int32_t bestTallest = std::numeric_limits<int32_t>::max();
        for (int32_t height = available - 5; height > 0; height -= 5) {
            Restore(saved);
            if (FillColumns(height) == frContinuousBreak && !FTouchedMadePage) {
                const int32_t t = Tallest(saved.Pending);
                if (t < bestTallest) {
                    bestTallest = t;
                    best = height;
                }
            }
            if (FTouchedMadePage)
                break;
        }
        if (!FTouchedMadePage) {
            Restore(saved);
            result = FillColumns(best > 0 ? best : available);
        }
    }
    tallest = Tallest(saved.Pending);
    // Numbering that restarts at every section starts again after its end.
    if (result == frContinuousBreak || result == frNewPageSection) {
        if (FDocument.FootnoteNumbering.Restart == nrEachSection)
            FFootnote = 0;
        if (FDocument.EndnoteNumbering.Restart == nrEachSection)
            FEndnote = 0;
    }
    return result;
}

void TPaginator::Restore(const TSaved& saved)
{
    while (FPending.size() > saved.Pending)
        FPending.pop_back();
    FParagraph = saved.Paragraph;
    FLine = saved.Line;
    FChain = saved.Chain;
    FParams = saved.Params;
    FFootnote = saved.Footnote;
    FEndnote = saved.Endnote;
    FColumnBreak = false;
}

int32_t TPaginator::Tallest(size_t from) const
{
    int32_t tallest = 0;
    for (size_t i = from; i < FPending.size(); ++i)
        tallest = std::max(tallest, FPending[i]->UsedHeight);
    return tallest;
}

TFillResult TPaginator::FillColumns(int32_t available)
{
    FColumnBreak = false;
    const TSection& section = FDocument.GetSectionOfParagraph(FParagraph);
    const int32_t columns = section.Settings.UsableColumnCount();
    if (columns <= 1)
        return FillColumn(-1, available, FParams[ppTextWidth]);
    TFillResult result = frColumnFull;
    for (int32_t column = 0; column < columns; ++column) {
        result = FillColumn(column, available, section.GetColumnGeometry(column).Width);
        if (result == frColumnBreak)
            FColumnBreak = true;
        if (result != frColumnFull && result != frColumnBreak)
            break;
    }
    return result;
}

int32_t TPaginator::ChainPosition(const TPage& page) const
{
    for (int32_t i = static_cast<int32_t>(page.Ranges.size()) - 1; i >= 0; --i) {
        const TParagraphOnPageInfo& range = page.Ranges[static_cast<size_t>(i)];
        if (page.RangeParagraphIndex(i) == FChain.First && range.FirstLine == FChain.FirstLine)
            return i;
    }
    return -1;
}

void TPaginator::RemoveChain(TPage& page)
{
    const int32_t position = ChainPosition(page);
    if (position < 0)
        return;
    for (int32_t i = static_cast<int32_t>(page.Ranges.size()) - 1; i >= position; --i)
        page.RemoveParagraphRange(i);
}

// The chain goes to where placing goes on: when it started on the previous
// column page, the current one is replaced by an empty one and the chain is
// taken off the previous one; otherwise it is taken off the current one.
void TPaginator::MoveKeepChain(TPage*& page)
{
    // The chain's notes are numbered again where it goes.
    FFootnote = FChain.Footnote;
    FEndnote = FChain.Endnote;
    if (FChain.Page == FPreviousColumn && FPreviousColumn) {
        auto fresh = std::make_unique<TPage>(&FDocument, page->Index);
        fresh->Column = page->Column;
        FPending.back() = std::move(fresh);
        page = FPending.back().get();
        const bool made = std::none_of(FPending.begin(), FPending.end(),
                                       [this](const auto& pending) { return pending.get() == FChain.Page; });
        if (made) {
            FTouchedMadePage = true;
            // It goes from a page already made to a new one.
            if (RestartsEachPage(FDocument.FootnoteNumbering))
                FFootnote = 0;
            if (RestartsEachPage(FDocument.EndnoteNumbering))
                FEndnote = 0;
        }
        RemoveChain(*FChain.Page);
    } else {
        RemoveChain(*page);
    }
    FChain.Open = false;
    FParagraph = FChain.First;
    FLine = FChain.FirstLine;
}

TFillResult TPaginator::FillColumn(int32_t column, int32_t available, int32_t width)
{
    FPreviousColumn = FPending.empty() ? LastPage() : FPending.back().get();
    FPending.push_back(std::make_unique<TPage>(&FDocument, NewPageIndex()));
    TPage* page = FPending.back().get();
    page->Column = column;
    const bool firstColumnPage = FPending.size() == 1;

    TFitResult fit = ftWhole;
    while (FParagraph <= FBodyLast) {
        TParagraph& paragraph = FDocument.Paragraphs(FParagraph);
        paragraph.Index = FParagraph;
        if (!paragraph.GetLaidOutFlag() || paragraph.GetLineCount() == 0) {
            paragraph.Invalidate(true, width);
            FLine = 0;
        }
        // A chain does not reach across a section break.
        if (FChain.Open && FParagraph > 0 && FChain.First != FParagraph &&
            LastChar(FDocument.Paragraphs(FParagraph - 1)) == scSectionBreak)
            FChain.Open = false;

        const int32_t startLine = FLine;
        const int32_t footnote = FFootnote;
        const int32_t endnote = FEndnote;
        fit = FitParagraph(*page, column, width, available);
        const bool keepWithNext = FormatOn(paragraph.Format, pfKeepWithNext);
        const bool breakBefore = FormatOn(paragraph.Format, pfPageBreakBefore);
        if (fit != ftNothing) {
            if (keepWithNext && !FChain.Open)
                FChain = {true, FParagraph, startLine, page, footnote, endnote};
            if (FChain.Open && FChain.First != FParagraph) {
                if (FChain.Page == FPreviousColumn) {
                    if ((FPreviousColumn && FPreviousColumn->Closed) || breakBefore)
                        FChain.Open = false;
                } else if (!keepWithNext) {
                    FChain.Open = false;
                }
            }
        } else if (FChain.Open && FChain.Page == page && breakBefore) {
            FChain.Open = false;
        }

        // The chain must not be split from what follows it.
        if (fit != ftNothing && FChain.Open && FChain.First != FParagraph && FChain.Page == FPreviousColumn &&
            FPreviousColumn && ChainPosition(*FPreviousColumn) > 0) {
            MoveKeepChain(page);
            continue;
        }
        // A chain left where it began (at the top of the column page before)
        // ends with what follows it: a later keep-with-next paragraph starts
        // a chain of its own.
        if (fit != ftNothing && FChain.Open && FChain.First != FParagraph && FChain.Page == FPreviousColumn &&
            !keepWithNext)
            FChain.Open = false;
        if (fit == ftNothing && FChain.Open && FChain.Page == page &&
            (ChainPosition(*page) > 0 || FPending.size() > 1)) {
            MoveKeepChain(page);
            break;
        }

        if (fit == ftWhole) {
            ++FParagraph;
            FLine = 0;
            if (LastChar(paragraph) == scSectionBreak)
                break;
            continue;
        }
        break;
    }

    TFillResult result;
    if (fit == ftNothing && page->Lines.empty()) {
        result = frNothingFitted;
    } else if (FParagraph > FBodyLast) {
        result = frBodyEnd;
    } else {
        result = frColumnFull;
        const TParagraphOnPageInfo* range = page->Ranges.empty() ? nullptr : &page->Ranges.back();
        const TParLine* line = page->LastBodyLine();
        const uint8_t last = range && line ? LastCharOfLine(*range->Paragraph, *line) : 0;
        if (last == scSectionBreak) {
            const TSection* ended = FDocument.Objects().GetSection(range->Paragraph->GetSectionBreak());
            result = ended && ended->BreakKind() == sbContinuous ? frContinuousBreak : frNewPageSection;
        } else if (last == scColumnBreak) {
            result = frColumnBreak;
        } else if (last == scPageBreak || page->Closed) {
            result = frPageBreak;
        }
        if (result != frColumnFull)
            FChain.Open = false;
    }

    if (page->Ranges.empty() && !(firstColumnPage && result != frBodyEnd))
        FPending.pop_back();
    return result;
}

// ---------------------------------------------------------------------------
// One paragraph on a column page

TFitResult TPaginator::FitParagraph(TPage& page, int32_t column, int32_t width, int32_t available)
{
    TParagraph& paragraph = FDocument.Paragraphs(FParagraph);
    const TParFormat& format = paragraph.Format;

    // 1. A closed page takes nothing.
    if (page.Closed)
        return ftNothing;

    // 2. A section that starts on an odd or an even page leaves this page
    // blank when it is of the wrong parity.
    const bool pageEmpty = page.Lines.empty() && !PendingHasLines(&page);
    if (pageEmpty && FLine == 0) {
        if (const TPage* previous = LastPage()) {
            const TParagraphOnPageInfo* range = LastBodyRange(*previous);
            const TParLine* line = previous->LastBodyLine();
            if (range && line && LastCharOfLine(*range->Paragraph, *line) == scSectionBreak) {
                const TSection* ended = FDocument.Objects().GetSection(range->Paragraph->GetSectionBreak());
                const int32_t index = NewPageIndex();
                if (ended && ((ended->BreakKind() == sbEvenPage && index % 2 == 0) ||
                              (ended->BreakKind() == sbOddPage && index % 2 != 0)))
                    return ftNothing;
            }
        }
    }

    // 3. The first line not placed yet.
    const int32_t lineCount = paragraph.GetLineCount();
    if (FLine >= lineCount)
        return ftWhole;

    // 4. Page break before.
    const bool breakBefore = FormatOn(format, pfPageBreakBefore);
    if (breakBefore && FLine == 0 && (!page.Ranges.empty() || PendingHasRanges(&page))) {
        page.Closed = 1;
        return ftNothing;
    }

    // 5. The lines built for the column's width, with the note marks
    // numbered from the running numbers: a mark whose number changed is
    // measured again.
    const int32_t required =
        FUnits.TwipsToEighths(std::max(width - SlotValue(format[pfRightIndent]), 0));
    bool renumbered = false;
    if ((FFootnotes || FEndnotes) && HasNoteMarks(paragraph, FLine, lineCount - 1)) {
        int32_t footnote = FFootnote;
        int32_t endnote = FEndnote;
        if (paragraph.RenumberNotes(FLine, footnote, endnote)) {
            paragraph.Reformat(FLine, required);
            renumbered = true;
        }
    }
    for (int32_t i = FLine; !renumbered && i < lineCount; ++i) {
        if (paragraph.GetLine(i).RightLimit != required) {
            paragraph.Reformat(i, required);
            break;
        }
    }
    const int32_t count = paragraph.GetLineCount();

    // 6. to 9. The lines that fit.
    const bool forced = pageEmpty;
    const int32_t base = FHeaderSpace + FSectionOffset + FDocument.TwipsToLayout(FParams[ppTopMargin]);
    int64_t used = page.UsedHeight;
    std::vector<int64_t> usedAfter;
    const uint8_t wasClosed = page.Closed;
    int32_t last = FLine - 1;
    for (int32_t i = FLine; i < count; ++i) {
        TLayoutLine& line = LineOf(paragraph, i);
        const int32_t spaceBefore = line.GetSpaceBefore();
        int32_t suppressed = 0;
        if (spaceBefore > 0 && i == FLine) {
            if (page.Lines.empty()) {
                // At the top of a page (single column, not the document's
                // first page) or of a column.
                const bool top = column >= 0 || (!PendingHasLines(&page) && NewPageIndex() > 0);
                if (top && !breakBefore && FParagraph != 0 && !EndsWithPageBreak(FParagraph - 1))
                    suppressed = spaceBefore;
            } else if (FDocument.ParagraphSpacingMode != 1 && FParagraph > 0) {
                // Between paragraphs: the larger of the space after and the
                // space before.
                TParagraph& previous = FDocument.Paragraphs(FParagraph - 1);
                if (previous.GetLineCount() > 0 && previous.GetLine(previous.GetLineCount() - 1).Page == &page &&
                    &FDocument.GetSectionOfParagraph(FParagraph - 1) ==
                        &FDocument.GetSectionOfParagraph(FParagraph))
                    suppressed = std::min(FDocument.TwipsToLayout(SlotValue(previous.Format[pfSpaceAfter])),
                                          spaceBefore);
            }
        }
        const int64_t needed = FDocument.TwipsToLayout((static_cast<int32_t>(line.Raise) + line.Lower) * 20) +
                               static_cast<int64_t>(spaceBefore) + line.Ascent + line.Descent - suppressed;
        const bool first = i == FLine && page.Lines.empty();
        if (used + needed > available && !(first && forced)) {
            // A break that does not fit is placed all the same and closes the page.
            if (line.IsBreakOnlyLine()) {
                line.Top = static_cast<int32_t>(base + used - suppressed);
                line.Column = column;
                used += line.Height - suppressed;
                usedAfter.push_back(used);
                last = i;
                page.Closed = 1;
            }
            break;
        }
        line.Top = static_cast<int32_t>(base + used - suppressed);
        line.Column = column;
        used += line.Height - suppressed;
        usedAfter.push_back(used);
        last = i;
        if (line.EndsWithPageBreak()) {
            page.Closed = 1;
            break;
        }
    }

    int32_t placed = last - FLine + 1;
    const bool whole = last == count - 1;
    const bool endsWithBreak = placed > 0 && LineOf(paragraph, last).EndsWithPageBreak();
    const bool others = !page.Ranges.empty() || PendingHasRanges(&page);

    // 10. Keep lines together: the paragraph goes to the next page.
    if (FormatOn(format, pfKeepTogether) && FLine == 0 && placed > 0 && !endsWithBreak && !whole && others) {
        page.Closed = wasClosed;
        return ftNothing;
    }
    // 11. Widow and orphan control.
    if (FormatOn(format, pfWidowControl) && placed > 0 && !whole && !endsWithBreak) {
        if (FLine == 0 && (placed == 1 || (placed == 2 && count == 3)) && others) {
            page.Closed = wasClosed;
            return ftNothing;
        }
        if (last == count - 2 && placed >= 3) {
            --last;
            --placed;
            usedAfter.pop_back();
        }
    }
    if (placed <= 0) {
        page.Closed = wasClosed;
        return ftNothing;
    }

    // 12. The placed lines become a range of the page; the running note
    // numbers move past their notes.
    page.AddParagraphRange(paragraph, FLine, last);
    page.UsedHeight = static_cast<int32_t>(usedAfter.back());
    AdvanceNoteNumbers(paragraph, FLine, last);
    FLine = last + 1;
    return last == count - 1 ? ftWhole : ftPartly;
}

}  // namespace

int32_t TextHeightLayout(const TDocument& document, const TPageParams& params)
{
    const int64_t twips =
        static_cast<int64_t>(params[ppPaperHeight]) - params[ppTopMargin] - static_cast<int64_t>(params[ppBottomMargin]);
    return document.TwipsToLayout(static_cast<int32_t>(std::clamp<int64_t>(twips, 0, MaxPaperSize)));
}

void Paginate(TDocument& document, int32_t firstPage, int32_t limit, int32_t runStart)
{
    TPaginator paginator(document, limit, runStart);
    paginator.Run(firstPage);
}
