// Opening long RTF documents: the 500-page and 2,000-page documents that the
// shared generator makes (French paragraphs with bold, italic and coloured
// words, a heading style, a footer with a page field), each read through the
// document file road into a document with a window, then laid out and
// paginated to the end. The peak resident memory of the process is reported
// beside the time (run one size per process to see each size's peak).
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/KerningPairsManager.h"
#include "foundation/managers/StyleManager.h"
#include "formats/DocumentFile.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "platform/runtime/Folders.h"

namespace {

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

void BM_OpenLayOutPaginate(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const std::string path = GeneratedFile(pages);
    CreateFontManager();
    CreateColorManager();
    CreateStyleManager();
    CreateKerningPairsManager();
    CreateLineLayout();
    CreateDocumentLayout();
    TDocumentViewFactory previous = SetDocumentViewFactory(&TBenchView::Create);
    int32_t pageCount = 0;
    for (auto _ : state) {
        auto document = std::make_unique<TDocument>(false);
        TDocLoadRequest request;
        request.FileName = path;
        if (!LoadFromFile(*document, request))
            std::abort();
        document->FreePages();
        document->PaginateAll();
        pageCount = document->PageCount();
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.counters["pages"] = pageCount;
    state.counters["peak_MB"] = PeakMegabytes();
    SetDocumentViewFactory(previous);
    FreeDocumentLayout();
    FreeLineLayout();
    FreeKerningPairsManager();
    FreeStyleManager();
    FreeColorManager();
    FreeFontManager();
}
BENCHMARK(BM_OpenLayOutPaginate)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
