// Replace all of a common word ("texte", whole words) in the 500-page
// document that the shared generator makes, read once through the document
// file road: one pass from the start, every replacement a step of one
// recorded operation. Outside the timing, one undo takes the pass back and
// every paragraph's bytes are compared with the document as it was read.
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/operations/OperationManager.h"
#include "document/text/TextSearch.h"
#include "formats/DocumentFile.h"
#include "foundation/Memory.h"

namespace {

std::string AllText(const TDocument& document)
{
    std::string text;
    for (int32_t p = 0; p < document.ParagraphCount(); ++p) {
        const TMemory& bytes = document.Paragraphs(p).GetText();
        text.append(reinterpret_cast<const char*>(bytes.Data()), static_cast<size_t>(bytes.Size()));
        text += '\n';
    }
    return text;
}

void BM_ReplaceAllCommonWord(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    TManagers managers;
    auto document = std::make_unique<TDocument>(true);
    TDocLoadRequest request;
    request.FileName = GeneratedFile(pages);
    if (!LoadFromFile(*document, request))
        std::abort();
    document->CloseFile();
    // A document the user edits keeps its undo, as one with a window does.
    document->NoUndo = 0;
    const std::string original = AllText(*document);
    TMemory replacement;
    replacement.Append("textes", 6);
    std::vector<TSearchPart> parts;
    const std::string pattern = CompileSearchPattern("texte", parts);
    int32_t replaced = 0;
    for (auto _ : state) {
        document->SetSelection(0, 0, 0, 0);
        const TTextSearcher searcher(*document, pattern, parts, ftWholeWords);
        TTextPosition next{0, 0};
        TTextPosition origin = next;
        replaced = ReplaceAllPass(*document, searcher, replacement, true, false, false, false, next, origin);
        state.PauseTiming();
        if (replaced == 0)
            state.SkipWithError("nothing was replaced");
        document->UndoManager().Undo();
        if (AllText(*document) != original)
            state.SkipWithError("undo did not restore every byte");
        state.ResumeTiming();
    }
    state.counters["replaced"] = replaced;
    state.counters["per_replacement_us"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * replaced * 1e-6,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_ReplaceAllCommonWord)->Arg(500)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
