// Opening large Word documents through the document file road: a Word 97
// document of about 500 pages made from the shared RTF generator's text by
// LibreOffice (made once per process when soffice is installed), and the
// largest Word files of the shared corpus. Each is read into a hidden
// document; the peak resident memory of the process is reported beside the
// time (run one benchmark per process to see each one's peak).
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "document/model/Document.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/StyleManager.h"
#include "formats/DocumentFile.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"

namespace {

// The generated document (empty when it cannot be made).
std::string GeneratedWordFile(int pages)
{
    const std::string dir = GetTempPath() + "eldravin-bench-word";
    const std::string rtf = dir + "/generated-" + std::to_string(pages) + ".rtf";
    const std::string doc = dir + "/generated-" + std::to_string(pages) + ".doc";
    if (FileExists(doc))
        return doc;
    const std::string command = "mkdir -p '" + dir + "' && python3 '" + ELDRAVIN_SHARED_DIR + "/bench/gen_rtf.py' " +
                                std::to_string(pages) + " 1 > '" + rtf +
                                "' && soffice --headless --convert-to 'doc:MS Word 97' --outdir '" + dir + "' '" +
                                rtf + "' > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0 || !FileExists(doc))
        return {};
    return doc;
}

void OpenWord(benchmark::State& state, const std::string& path)
{
    if (path.empty() || !FileExists(path)) {
        state.SkipWithError("no such document (soffice missing or corpus absent)");
        return;
    }
    CreateFontManager();
    CreateColorManager();
    CreateStyleManager();
    SetMessagesQuiet(true);
    int64_t paragraphs = 0;
    for (auto _ : state) {
        auto document = std::make_unique<TDocument>(true);
        TDocLoadRequest request;
        request.FileName = path;
        if (!LoadFromFile(*document, request))
            std::abort();
        paragraphs = document->ParagraphCount();
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.counters["paragraphs"] = static_cast<double>(paragraphs);
    state.counters["peak_MB"] = PeakMegabytes();
    FreeStyleManager();
    FreeColorManager();
    FreeFontManager();
}

void BM_OpenGenerated500Pages(benchmark::State& state)
{
    OpenWord(state, GeneratedWordFile(500));
}
BENCHMARK(BM_OpenGenerated500Pages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCorpusBug46220(benchmark::State& state)
{
    OpenWord(state, std::string(ELDRAVIN_SHARED_DIR) + "/corpus/doc/poi/Bug46220.doc");
}
BENCHMARK(BM_OpenCorpusBug46220)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenCorpusBug47731(benchmark::State& state)
{
    OpenWord(state, std::string(ELDRAVIN_SHARED_DIR) + "/corpus/doc/poi/Bug47731.doc");
}
BENCHMARK(BM_OpenCorpusBug47731)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
