// Saving long documents as RTF: the 500-page and 2,000-page documents that
// the shared generator makes, read once through the document file road, then
// saved again and again through the safe save in the compact dialect of a
// file, and written into memory in the clipboard's dialect. The peak resident
// memory of the process is reported beside the time (run one size per
// process to see each size's peak).
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "document/model/Document.h"
#include "foundation/Memory.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/StyleManager.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/FileHandles.h"
#include "platform/runtime/Folders.h"

namespace {

std::unique_ptr<TDocument> LoadGenerated(int pages)
{
    auto document = std::make_unique<TDocument>(true);
    TDocLoadRequest request;
    request.FileName = GeneratedFile(pages);
    if (!LoadFromFile(*document, request))
        std::abort();
    document->CloseFile();
    return document;
}

void BM_SaveRtfFile(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    TManagers managers;
    std::unique_ptr<TDocument> document = LoadGenerated(pages);
    document->FileName = GetTempPath() + "eldravin-bench-saved-" + std::to_string(pages) + ".rtf";
    int64_t bytes = 0;
    for (auto _ : state) {
        TDocWriteParams params;
        params.Coding = ciRtf;
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
BENCHMARK(BM_SaveRtfFile)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteRtfMemory(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    TManagers managers;
    std::unique_ptr<TDocument> document = LoadGenerated(pages);
    int64_t bytes = 0;
    for (auto _ : state) {
        TMemory memory;
        TDocWriteParams params;
        params.Target = wtMemory;
        params.Coding = ciRtf;
        params.Memory = &memory;
        if (WriteToFile(*document, params) != wrWritten)
            std::abort();
        bytes = memory.Size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_WriteRtfMemory)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
