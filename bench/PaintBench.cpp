// Painting: a full A4 page of French text at 100 % on a screen-sized bitmap,
// and the repaint after one typed letter (the line the letter went into,
// painted through the document's update region as the window would).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "FrenchText.h"
#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/operations/OperationDispatcher.h"
#include "document/operations/OperationManager.h"
#include "foundation/Memory.h"
#include "foundation/SharedManagers.h"
#include "foundation/managers/ColorManager.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "layout/PageGrid.h"
#include "layout/PagePainter.h"
#include "layout/PaintSettings.h"
#include "platform/gdi/Gdi.h"

namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 1200;

// A window of the bitmap's size that remembers what it was asked to paint.
class TBenchView : public TDocumentView {
public:
    int32_t ClientWidth() const override { return kWidth; }
    int32_t ClientHeight() const override { return kHeight; }
    void SetScrollPositions(int32_t, int32_t) override {}
    void ScrollContent(int32_t, int32_t) override {}
    void Repaint() override { Invalid = {0, 0, kWidth, kHeight}; }
    void InvalidateArea(const TRect& rect) override
    {
        if (Invalid.Right <= Invalid.Left)
            Invalid = rect;
        else
            UnionRect(Invalid, Invalid, rect);
    }
    void HideCaret() override {}
    void ShowCaret() override {}
    void RestoreAndActivate() override {}
    void DocumentDestroyed(bool) override { delete this; }
    static TDocumentView* Create(TDocument&) { return new TBenchView; }
    TRect Invalid{};
};

struct TBenchDocument {
    TBenchDocument()
    {
        CreateSharedManagers();
        CreateLineLayout();
        CreateDocumentLayout();
        FPrevious = SetDocumentViewFactory(&TBenchView::Create);
        Document = std::make_unique<TDocument>(false);
        uint32_t seed = 1;
        bool first = true;
        // A4 pages with the default margins: text until two pages are full.
        while (Document->PageCount() < 3) {
            TParagraph& paragraph = first ? Document->Paragraphs(0) : Document->AppendParagraph(stBody);
            first = false;
            const std::string text = MakeFrenchParagraph(seed);
            paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
            Document->FreePages();
            Document->PaginateAll();
        }
        UpdatePageLayout(*Document);
        View = static_cast<TBenchView*>(Document->View());
        HDC screen = GetScreenDC();
        DC = CreateCompatibleDC(screen);
        Bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
        ReleaseDC(screen);
        Old = SelectObject(DC, Bitmap);
        Page = Document->Pages()[0].get();
        Lines = 0;
        for (const TParLine* line : Page->Lines)
            Lines += line ? 1 : 0;
    }
    ~TBenchDocument()
    {
        SelectObject(DC, Old);
        DeleteObject(Bitmap);
        DeleteDC(DC);
        Document.reset();
        SetDocumentViewFactory(FPrevious);
        FreeDocumentLayout();
        FreeLineLayout();
        FreeSharedManagers();
    }

    std::unique_ptr<TDocument> Document;
    TBenchView* View = nullptr;
    TPage* Page = nullptr;
    int64_t Lines = 0;
    HDC DC = nullptr;
    HBITMAP Bitmap = nullptr;
    HBITMAP Old = nullptr;

private:
    TDocumentViewFactory FPrevious = nullptr;
};

TBenchDocument& Bench()
{
    static TBenchDocument document;
    return document;
}

void BM_PaintA4Page(benchmark::State& state)
{
    TBenchDocument& bench = Bench();
    TPaintModeScope screen(TPaintMode::Screen);
    const TRect rect = bench.Page->Rect;
    for (auto _ : state) {
        SetUpdateRegion(*bench.Document, {0, 0, kWidth, kHeight});
        PaintPage(*bench.Page, bench.DC, 10, NotSet, 10);
        benchmark::ClobberMemory();
    }
    // One page per iteration: the time is the time of a page.
    state.counters["lines"] = static_cast<double>(bench.Lines);
    (void)rect;
}
BENCHMARK(BM_PaintA4Page)->Unit(benchmark::kMillisecond);

// One letter typed at the end of the page's third paragraph, and what the
// view was asked to paint painted through the update region; the letter is
// taken out again outside the timing.
void BM_RepaintAfterTypedLetter(benchmark::State& state)
{
    TBenchDocument& bench = Bench();
    TDocument& document = *bench.Document;
    TPaintModeScope screen(TPaintMode::Screen);
    const int32_t paragraph = 2;
    for (auto _ : state) {
        state.PauseTiming();
        const int32_t end = document.Paragraphs(paragraph).GetCharCount() - 1;
        document.SetSelection(paragraph, end, paragraph, end);
        bench.View->Invalid = {};
        state.ResumeTiming();

        TMemory letter;
        letter.Append("s", 1);
        uint8_t flags = 0;
        document.ExecuteOperation(docInsertText, {&letter, &flags});
        SetUpdateRegion(document, bench.View->Invalid);
        PaintDocument(document, bench.DC, kWidth, kHeight);

        state.PauseTiming();
        document.UndoManager().Undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RepaintAfterTypedLetter)->Unit(benchmark::kMillisecond);

}  // namespace
