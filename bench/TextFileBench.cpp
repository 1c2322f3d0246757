// Opening and saving a 50 MB text file through the document file road,
// beside the floor of the same bytes moved by iconv and cp.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "document/model/Document.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/Host.h"
#include "platform/testing/TextSamples.h"

namespace {

constexpr size_t kFileSize = 50u << 20;

std::string g_Folder;

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Path(const char* name)
{
    return g_Folder + name;
}

std::unique_ptr<TDocument> Open(const std::string& path, int32_t coding)
{
    auto document = std::make_unique<TDocument>(false);
    TDocLoadRequest request;
    request.FileName = path;
    request.Coding = coding;
    if (!LoadFromFile(*document, request))
        std::abort();
    return document;
}

void Save(TDocument& document, int32_t coding)
{
    TDocWriteParams params;
    params.Coding = coding;
    if (WriteToFile(document, params) != wrWritten)
        std::abort();
}

void Run(const std::string& command)
{
    if (std::system(command.c_str()) != 0)
        std::abort();
}

// Opening: the file read, detected and made into paragraphs (freeing the
// document is not counted).
void BM_OpenAnsiText(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<TDocument> document = Open(Path("ansi.txt"), ciDetect);
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_OpenAnsiText)->Unit(benchmark::kMillisecond)->UseRealTime();

// Saving: the paragraphs written into a new file beside the old one, flushed
// to the disk, and put in the old one's place.
void BM_SaveAnsiText(benchmark::State& state)
{
    std::unique_ptr<TDocument> document = Open(Path("ansi-save.txt"), ciAnsiText);
    for (auto _ : state)
        Save(*document, ciAnsiText);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_SaveAnsiText)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both for DOS text in code page 850, converted on the way in and out.
void BM_OpenSaveDosText(benchmark::State& state)
{
    SetOEMCP(850);
    for (auto _ : state) {
        std::unique_ptr<TDocument> document = Open(Path("dos.txt"), ciDosText);
        Save(*document, ciDosText);
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_OpenSaveDosText)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenSaveAnsiText(benchmark::State& state)
{
    for (auto _ : state) {
        std::unique_ptr<TDocument> document = Open(Path("ansi-save.txt"), ciAnsiText);
        Save(*document, ciAnsiText);
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_OpenSaveAnsiText)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the same bytes converted by iconv, copied by cp and flushed to
// the disk (as the save flushes its file).
void BM_FloorIconvCp(benchmark::State& state)
{
    const std::string command = "iconv -c -f CP850 -t WINDOWS-1252 '" + Path("dos.txt") + "' > '" +
                                Path("floor-converted.txt") + "' && cp '" + Path("floor-converted.txt") + "' '" +
                                Path("floor-copy.txt") + "' && sync '" + Path("floor-copy.txt") + "'";
    for (auto _ : state)
        Run(command);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_FloorIconvCp)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloorCp(benchmark::State& state)
{
    const std::string command =
        "cp '" + Path("ansi.txt") + "' '" + Path("floor-copy.txt") + "' && sync '" + Path("floor-copy.txt") + "'";
    for (auto _ : state)
        Run(command);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_FloorCp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    StartPlatformHost(argc, argv, true);
    benchmark::Initialize(&argc, argv);
    g_Folder = GetTempPath() + "textbench/";
    Run("mkdir -p '" + g_Folder + "'");
    const std::string text = GenerateTextFileBytes(kFileSize, 12345);
    WriteFile(Path("ansi.txt"), text);
    WriteFile(Path("ansi-save.txt"), text);
    WriteFile(Path("dos.txt"), text);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Run("rm -rf '" + g_Folder + "'");
    StopPlatformHost();
    return 0;
}
