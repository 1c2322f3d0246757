// Saving the long generated document as Word: the 500-page document that the
// shared generator makes, read once through the document file road, then
// saved again and again through the safe save as Word 97 and as Word 6.0/95.
// The peak resident memory of the process is reported beside the time (run
// one benchmark per process to see each one's peak).
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "document/model/Document.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/StyleManager.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/Folders.h"

namespace {

void SaveWord(benchmark::State& state, int32_t coding)
{
    const int pages = static_cast<int>(state.range(0));
    TManagers managers;
    auto document = std::make_unique<TDocument>(true);
    TDocLoadRequest request;
    request.FileName = GeneratedFile(pages);
    if (!LoadFromFile(*document, request))
        std::abort();
    document->CloseFile();
    document->FileName = GetTempPath() + "eldravin-bench-saved-" + std::to_string(pages) + ".doc";
    int64_t bytes = 0;
    for (auto _ : state) {
        TDocWriteParams params;
        params.Coding = coding;
        if (WriteToFile(*document, params) != wrWritten)
            std::abort();
        state.PauseTiming();
        bytes = FileGetSize(document->FileState.Handle);
        document->CloseFile();
        state.ResumeTiming();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_SaveWord97(benchmark::State& state)
{
    SaveWord(state, ciWord97);
}
BENCHMARK(BM_SaveWord97)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveWord6(benchmark::State& state)
{
    SaveWord(state, ciWord6);
}
BENCHMARK(BM_SaveWord6)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
