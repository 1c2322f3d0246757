// Pagination of a long document: about 1,000 A4 pages of plain French
// paragraphs in Liberation Serif 12 points (the default font, asked for as
// Times New Roman), in a document window that shows page 500.
//
// BM_PaginateFromNothing: every line dropped, then the whole document laid
// out and paginated. BM_PaginateLaidOut: the pages alone, from lines laid
// out already.
// BM_TypeOnPage500_*: one character typed into a paragraph on page 500 and
// the re-layout queue drained as after an edit: the paragraph is laid out
// again; either its lines keep their places (InPlace), or it gains a line
// and the pages are made again from the page before it up to the pages the
// window shows (Visible), and then on to the end of the document as the
// background pagination does (ToTheEnd).
// BM_DispatchOnPage500_*: the same character typed through the operation
// dispatcher (an undoable operation; the view update paginates from the page
// before the paragraph's up to the visible pages), and then on to the end.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "FrenchText.h"
#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/fields/Field.h"
#include "document/fields/FieldInstructions.h"
#include "document/operations/OperationManager.h"
#include "document/model/Page.h"
#include "document/model/ParReformatingManager.h"
#include "document/model/Paragraph.h"
#include "foundation/managers/FontManager.h"
#include "foundation/InlineControl.h"
#include "foundation/managers/KerningPairsManager.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "layout/PageGrid.h"

namespace {

constexpr int32_t kTargetPages = 1000;
constexpr int32_t kEditedPage = 500;

// A window of 1,000 by 1,200 pixels: at 100 % it shows a page and a bit.
class TBenchView : public TDocumentView {
public:
    int32_t ClientWidth() const override { return 1000; }
    int32_t ClientHeight() const override { return 1200; }
    void SetScrollPositions(int32_t, int32_t) override {}
    void ScrollContent(int32_t, int32_t) override {}
    void Repaint() override {}
    void HideCaret() override {}
    void ShowCaret() override {}
    void RestoreAndActivate() override {}
    void DocumentDestroyed(bool) override { delete this; }
    static TDocumentView* Create(TDocument&) { return new TBenchView; }
};

struct TBenchDocument {
    TBenchDocument()
    {
        CreateFontManager();
        CreateKerningPairsManager();
        CreateLineLayout();
        CreateDocumentLayout();
        FPreviousFactory = SetDocumentViewFactory(&TBenchView::Create);
        Document = std::make_unique<TDocument>(false);
        uint32_t seed = 1;
        // Paragraphs until the document fills the pages asked for, then those
        // from the first one of the page after them taken off again.
        bool first = true;
        while (Document->PageCount() <= kTargetPages) {
            for (int32_t i = 0; i < 500; ++i) {
                TParagraph& paragraph = first ? Document->Paragraphs(0) : Document->AppendParagraph(stBody);
                first = false;
                const std::string text = MakeFrenchParagraph(seed);
                paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
            }
            Document->FreePages();
            Document->PaginateAll();
        }
        const int32_t cut = Document->Pages()[kTargetPages]->FirstParagraph();
        while (Document->StoryLast(stBody) >= cut)
            Document->DeleteParagraph(Document->StoryLast(stBody));
        Document->FreePages();
        Document->PaginateAll();
        Paragraphs = Document->StoryCount(stBody);
        // The window shows page 500.
        const TRect page = GetPageRect(*Document, kEditedPage);
        Document->ViewOrigin = {0, page.Top};
    }
    ~TBenchDocument()
    {
        Document.reset();
        SetDocumentViewFactory(FPreviousFactory);
        FreeDocumentLayout();
        FreeLineLayout();
        FreeKerningPairsManager();
        FreeFontManager();
    }

    // A paragraph that starts on page 500, or as near as can be, and whose
    // line count goes up, or stays, when one more letter is typed at its end.
    int32_t FindParagraph(bool grows)
    {
        std::vector<int32_t> candidates;
        for (int32_t distance = 0; distance < 50; ++distance) {
            for (const int32_t index : {kEditedPage + distance, kEditedPage - distance - 1}) {
                const TPage& page = *Document->Pages()[static_cast<size_t>(index)];
                for (size_t r = 0; r < page.Ranges.size(); ++r)
                    if (page.Ranges[r].FirstLine == 0)
                        candidates.push_back(page.Ranges[r].Paragraph->Index);
            }
        }
        for (const int32_t index : candidates) {
            const int32_t lines = Document->Paragraphs(index).GetLineCount();
            Type(index);
            const bool grew = Document->Paragraphs(index).GetLineCount() > lines;
            Erase(index);
            if (grew == grows)
                return index;
        }
        return -1;
    }
    // One letter typed before the paragraph mark, and the re-layout queue
    // drained as after an edit.
    void Type(int32_t index)
    {
        TParagraph& paragraph = Document->Paragraphs(index);
        paragraph.InsertChars(paragraph.GetText().Size() - InlineControlSize, "m");
        Document->ReformatingManager().AddParagraph(index);
        Document->ReformatingManager().ReformatPending();
    }
    // The letter taken back, and the whole document paginated again.
    void Erase(int32_t index)
    {
        TParagraph& paragraph = Document->Paragraphs(index);
        paragraph.DeleteText(paragraph.GetText().Size() - InlineControlSize - 1, 1);
        Document->ReformatingManager().AddParagraph(index);
        Document->ReformatingManager().ReformatPending();
        Document->PaginateAll();
    }

    // The letter typed through the dispatcher at the paragraph's end, and
    // taken back by undo.
    void Dispatch(int32_t index)
    {
        const int32_t end = Document->Paragraphs(index).GetCharCount() - 1;
        Document->SetSelection(index, end, index, end);
        TMemory letter;
        letter.Append("m", 1);
        uint8_t flags = 0;
        Document->ExecuteOperation(docInsertText, {&letter, &flags});
    }
    void Undo()
    {
        Document->UndoManager().Undo();
        Document->PaginateAll();
    }

    std::unique_ptr<TDocument> Document;
    int32_t Paragraphs = 0;

private:
    TDocumentViewFactory FPreviousFactory = nullptr;
};

TBenchDocument& Bench()
{
    static TBenchDocument document;
    return document;
}

void Counters(benchmark::State& state, TBenchDocument& bench)
{
    int64_t lines = 0;
    for (int32_t i = 0; i < bench.Paragraphs; ++i)
        lines += bench.Document->Paragraphs(i).GetLineCount();
    state.counters["pages"] = static_cast<double>(bench.Document->PageCount());
    state.counters["paragraphs"] = static_cast<double>(bench.Paragraphs);
    state.counters["lines"] = static_cast<double>(lines);
}

void BM_PaginateFromNothing(benchmark::State& state)
{
    TBenchDocument& bench = Bench();
    for (auto _ : state) {
        bench.Document->FreePages();
        bench.Document->PaginateAll();
    }
    Counters(state, bench);
}
BENCHMARK(BM_PaginateFromNothing)->Unit(benchmark::kMillisecond)->Iterations(5);

// The pages alone: every page made again from lines laid out already.
void BM_PaginateLaidOut(benchmark::State& state)
{
    TBenchDocument& bench = Bench();
    for (auto _ : state) {
        bench.Document->ClearPageList();
        bench.Document->PaginationComplete = 0;
        bench.Document->PaginateAll();
    }
    Counters(state, bench);
}
BENCHMARK(BM_PaginateLaidOut)->Unit(benchmark::kMillisecond)->Iterations(5);

void TypeOnPage500(benchmark::State& state, bool grows, bool toTheEnd)
{
    TBenchDocument& bench = Bench();
    const int32_t index = bench.FindParagraph(grows);
    if (index < 0) {
        state.SkipWithError("no such paragraph on page 500");
        return;
    }
    const int32_t page = bench.Document->Paragraphs(index).GetLine(0).Page->Index;
    int64_t pagesMade = 0;
    // Pages that pagination makes have a column of -1 or more: the old ones
    // are marked with a value that no new page has.
    constexpr int32_t kOldPage = -1000;
    for (auto _ : state) {
        for (const auto& old : bench.Document->Pages())
            old->Column = kOldPage;
        bench.Type(index);
        if (toTheEnd)
            bench.Document->PaginateAll();
        state.PauseTiming();
        pagesMade = 0;
        for (const auto& made : bench.Document->Pages())
            if (made->Column != kOldPage)
                ++pagesMade;
        bench.Erase(index);
        state.ResumeTiming();
    }
    state.counters["edited page"] = static_cast<double>(page);
    state.counters["pages made"] = static_cast<double>(pagesMade);
    Counters(state, bench);
}

void BM_TypeOnPage500_InPlace(benchmark::State& state)
{
    TypeOnPage500(state, false, false);
}
BENCHMARK(BM_TypeOnPage500_InPlace)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_TypeOnPage500_Visible(benchmark::State& state)
{
    TypeOnPage500(state, true, false);
}
BENCHMARK(BM_TypeOnPage500_Visible)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_TypeOnPage500_ToTheEnd(benchmark::State& state)
{
    TypeOnPage500(state, true, true);
}
BENCHMARK(BM_TypeOnPage500_ToTheEnd)->Unit(benchmark::kMillisecond)->Iterations(10);

void DispatchOnPage500(benchmark::State& state, bool toTheEnd)
{
    TBenchDocument& bench = Bench();
    const int32_t index = bench.FindParagraph(true);
    if (index < 0) {
        state.SkipWithError("no such paragraph on page 500");
        return;
    }
    for (auto _ : state) {
        bench.Dispatch(index);
        if (toTheEnd)
            bench.Document->PaginateAll();
        state.PauseTiming();
        bench.Undo();
        state.ResumeTiming();
    }
    Counters(state, bench);
}

void BM_DispatchOnPage500_Visible(benchmark::State& state)
{
    DispatchOnPage500(state, false);
}
BENCHMARK(BM_DispatchOnPage500_Visible)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_DispatchOnPage500_ToTheEnd(benchmark::State& state)
{
    DispatchOnPage500(state, true);
}
BENCHMARK(BM_DispatchOnPage500_ToTheEnd)->Unit(benchmark::kMillisecond)->Iterations(10);

// The pages alone with a header "Page {PAGE} sur {NUMPAGES}" whose fields
// are stamped on every page as it is made. Registered last: the header stays.
void BM_PaginateWithPageHeader(benchmark::State& state)
{
    TBenchDocument& bench = Bench();
    TDocument& document = *bench.Document;
    auto field = [&](uint8_t type, const char* instruction) -> TField& {
        TField& made = document.AddRangeObject(rkField);
        made.Type = type;
        made.Instruction = instruction;
        return made;
    };
    TField& page = field(fkPage, "PAGE");
    TField& pages = field(fkNumPages, "NUMPAGES");
    TField& header = document.AddRangeObject(rkHeaderFooter);
    auto record = [](uint16_t code, int32_t argument) {
        uint8_t bytes[InlineControlSize];
        WriteInlineControl(bytes, code, argument);
        return std::string(reinterpret_cast<const char*>(bytes), InlineControlSize);
    };
    const std::string text = record(icRangeStart, header.Handle()) + "Page " + record(icRangeStart, page.Handle()) +
                             "1" + record(icRangeEnd, page.Handle()) + " sur " +
                             record(icRangeStart, pages.Handle()) + "1" + record(icRangeEnd, pages.Handle()) +
                             record(icSpecialChar, scParagraphMark) + record(icRangeEnd, header.Handle());
    document.AppendParagraph(stHeadersFooters).SetText(text.data(), static_cast<int32_t>(text.size()));
    document.Sections(0).HeadersFooters[1] = &header;
    document.RefreshRangeObjectPositions();
    for (auto _ : state) {
        document.ClearPageList();
        document.PaginationComplete = 0;
        document.PaginateAll();
    }
    Counters(state, bench);
}
BENCHMARK(BM_PaginateWithPageHeader)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
