// Line layout of a long document: 10,000 paragraphs of French text in
// Liberation Serif 12 points (the default font, asked for as Times New
// Roman), laid out at a text width of 16 cm.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <string>
#include <vector>

#include "FrenchText.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/managers/FontManager.h"
#include "foundation/InlineControl.h"
#include "foundation/managers/KerningPairsManager.h"
#include "layout/LayoutLine.h"
#include "layout/LineLayoutService.h"

namespace {

constexpr int32_t kParagraphs = 10000;
constexpr int32_t kTextWidth = 9070;  // 16 cm in twips

struct TBenchDocument {
    TBenchDocument()
    {
        CreateFontManager();
        CreateKerningPairsManager();
        CreateLineLayout();
        Document = std::make_unique<TDocument>(true);
        uint32_t seed = 1;
        for (int32_t i = 0; i < kParagraphs; ++i) {
            TParagraph& paragraph = i == 0 ? Document->Paragraphs(0) : Document->AppendParagraph(stBody);
            const std::string text = MakeFrenchParagraph(seed, 40);
            paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
            Characters += paragraph.GetCharCount();
        }
    }
    ~TBenchDocument()
    {
        Document.reset();
        FreeLineLayout();
        FreeKerningPairsManager();
        FreeFontManager();
    }
    // Lays every paragraph out; returns the lines made.
    int64_t LayOut()
    {
        int64_t lines = 0;
        for (int32_t i = 0; i < kParagraphs; ++i) {
            TParagraph& paragraph = Document->Paragraphs(i);
            paragraph.Invalidate(true, kTextWidth);
            lines += paragraph.GetLineCount();
        }
        return lines;
    }
    void DropLines()
    {
        for (int32_t i = 0; i < kParagraphs; ++i)
            Document->Paragraphs(i).Invalidate(false, kTextWidth);
    }

    std::unique_ptr<TDocument> Document;
    int64_t Characters = 0;
};

TBenchDocument& Bench()
{
    static TBenchDocument document;
    return document;
}

void BM_LayoutTenThousandParagraphs(benchmark::State& state)
{
    TBenchDocument& bench = Bench();
    int64_t lines = 0;
    int64_t total = 0;
    for (auto _ : state) {
        lines = bench.LayOut();
        total += lines;
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(total), benchmark::Counter::kIsRate);
    state.counters["chars/s"] = benchmark::Counter(static_cast<double>(bench.Characters * state.iterations()),
                                                   benchmark::Counter::kIsRate);

    // Memory the lines hold: heap in use with every paragraph laid out, less
    // the heap in use without lines (line objects, position arrays and the
    // paragraphs' pools of line-start formats).
    bench.DropLines();
    malloc_trim(0);
    const size_t without = mallinfo2().uordblks;
    lines = bench.LayOut();
    const size_t with = mallinfo2().uordblks;
    state.counters["bytes/line"] = static_cast<double>(with - without) / static_cast<double>(lines);
}
BENCHMARK(BM_LayoutTenThousandParagraphs)->Unit(benchmark::kMillisecond)->Iterations(5);

// Display widths of every line at 150 % (made once per zoom, before painting).
void BM_DisplayWidthsAtZoom(benchmark::State& state)
{
    TBenchDocument& bench = Bench();
    bench.LayOut();
    int64_t lines = 0;
    int32_t zoom = 150;
    for (auto _ : state) {
        bench.Document->SetZoom(zoom);
        zoom = zoom == 150 ? 151 : 150;
        for (int32_t i = 0; i < kParagraphs; ++i) {
            TParagraph& paragraph = bench.Document->Paragraphs(i);
            for (int32_t l = 0; l < paragraph.GetLineCount(); ++l)
                AsLayoutLine(&paragraph.GetLine(l))->UpdateDisplayWidths();
            lines += paragraph.GetLineCount();
        }
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DisplayWidthsAtZoom)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
