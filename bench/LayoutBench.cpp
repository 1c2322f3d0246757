// Line layout of a long document: 10,000 paragraphs of French text in
// Liberation Serif 12 points (the default font, asked for as Times New
// Roman), laid out at a text width of 16 cm.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>
#include <string>
#include <vector>

#include "document/Document.h"
#include "document/Paragraph.h"
#include "foundation/FontManager.h"
#include "foundation/InlineControl.h"
#include "foundation/KerningPairsManager.h"
#include "layout/LayoutLine.h"
#include "layout/LineLayoutService.h"

namespace {

constexpr int32_t kParagraphs = 10000;
constexpr int32_t kTextWidth = 9070;  // 16 cm in twips

// A paragraph of three to eight French sentences in code page 1252, some
// words in bold, ending with its paragraph mark.
std::string MakeParagraph(uint32_t& seed)
{
    static const std::vector<std::string> words = {
        "le",      "traitement", "de",     "texte",     "mesure",  "chaque", "caractère", "à",      "l'écran",
        "et",      "sur",        "papier", "avec",      "précision", "élève", "où",       "ça",     "œuvre",
        "déjà",    "naïf",       "une",    "phrase",    "longue",  "qui",    "s'étend",   "jusqu'au", "bout",
        "ligne",   "paragraphe", "mots",   "français",  "été",     "hiver",  "château",   "forêt",  "île"};
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    std::string text;
    const uint32_t sentences = 3 + next() % 6;
    for (uint32_t s = 0; s < sentences; ++s) {
        const uint32_t count = 8 + next() % 14;
        for (uint32_t w = 0; w < count; ++w) {
            std::string word = words[next() % words.size()];
            if (w == 0)
                word[0] = static_cast<char>(word[0] >= 'a' && word[0] <= 'z' ? word[0] - 32 : word[0]);
            if (next() % 40 == 0) {
                uint8_t on[InlineControlSize];
                uint8_t off[InlineControlSize];
                WriteInlineControl(on, 2, 1);
                WriteInlineControl(off, 2, 0);
                word = std::string(reinterpret_cast<const char*>(on), InlineControlSize) + word +
                       std::string(reinterpret_cast<const char*>(off), InlineControlSize);
            }
            text += word;
            text += w + 1 == count ? ". " : (next() % 12 == 0 ? ", " : " ");
        }
    }
    uint8_t mark[InlineControlSize];
    WriteInlineControl(mark, icSpecialChar, scParagraphMark);
    text.append(reinterpret_cast<const char*>(mark), InlineControlSize);
    return text;
}

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
            const std::string text = MakeParagraph(seed);
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
