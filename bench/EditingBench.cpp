// Typing through the operation dispatcher: 1,000 characters typed one by one
// into the middle of a document of 1,000 and of 10,000 paragraphs, each
// character one recorded operation (undo kept). The cost of a character must
// not depend on the length of the document.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "FrenchText.h"
#include "document/model/Document.h"
#include "document/operations/OperationManager.h"
#include "document/model/Paragraph.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"

namespace {

constexpr int32_t kTyped = 1000;

std::unique_ptr<TDocument> MakeDocument(int32_t paragraphs)
{
    auto document = std::make_unique<TDocument>(true);
    // A document the user edits keeps its undo, as one with a window does.
    document->NoUndo = 0;
    uint32_t seed = 12345;
    const int32_t middle = paragraphs / 2;
    for (int32_t i = 0; i < paragraphs; ++i) {
        TParagraph& paragraph = i == 0 ? document->Paragraphs(0) : document->AppendParagraph(stBody);
        // The paragraph typed into is the same text whatever the document's length.
        uint32_t middleSeed = 777;
        const std::string text = MakeFrenchParagraph(i == middle ? middleSeed : seed, 20);
        paragraph.SetText(text.data(), static_cast<int32_t>(text.size()));
    }
    document->SetSelection(middle, 40, middle, 40);
    return document;
}

void BM_TypeIntoMiddle(benchmark::State& state)
{
    const auto paragraphs = static_cast<int32_t>(state.range(0));
    const std::string typed = "Une phrase tapée au clavier, lettre après lettre. ";
    TMemory key;
    key.SetSize(1);
    uint8_t flags = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto document = MakeDocument(paragraphs);
        state.ResumeTiming();
        for (int32_t i = 0; i < kTyped; ++i) {
            key.Data()[0] = static_cast<uint8_t>(typed[static_cast<size_t>(i) % typed.size()]);
            document->ExecuteOperation(docInsertText, {&key, &flags});
        }
        state.PauseTiming();
        if (document->UndoManager().Count() != kTyped)
            state.SkipWithError("not every character was recorded");
        document.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kTyped);
    state.counters["per_char"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kTyped,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TypeIntoMiddle)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
