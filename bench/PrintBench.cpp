// Printing a long document to the PDF printer: the 500-page document that the
// shared generator makes (French paragraphs with bold, italic and coloured
// words, a heading style, a footer with a page field), read once into a
// hidden document, then printed again and again (every page laid out at the
// printer's 600 dpi and painted into the file). The peak resident memory of
// the process and the size of the file are reported beside the time.
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "document/model/Document.h"
#include "foundation/SharedManagers.h"
#include "foundation/managers/ColorManager.h"
#include "formats/DocumentFile.h"
#include "layout/DocumentLayoutService.h"
#include "layout/LineLayoutService.h"
#include "layout/print/PrintJob.h"
#include "platform/gdi/Printing.h"
#include "platform/runtime/Folders.h"

namespace {

void BM_PrintToPdf(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const std::string path = GeneratedFile(pages);
    CreateSharedManagers();
    GetColorManager()->UseDefaultPalette();
    CreateLineLayout();
    CreateDocumentLayout();
    auto document = std::make_unique<TDocument>(true);
    TDocLoadRequest request;
    request.FileName = path;
    if (!LoadFromFile(*document, request))
        std::abort();
    document->PaginateAll();
    TPrintChoices choices;
    choices.PrinterName = PdfPrinterName;
    choices.OutputFile = GetTempPath() + "eldravin-bench-" + std::to_string(pages) + ".pdf";
    choices.Dpi = 600;
    TPrintReport report;
    for (auto _ : state) {
        report = PrintWithChoices(*document, choices);
        if (report.Result != TPrintResult::Printed)
            std::abort();
    }
    struct stat info {};
    stat(choices.OutputFile.c_str(), &info);
    state.counters["pages"] = static_cast<double>(report.SheetSides);
    state.counters["pdf_MB"] = static_cast<double>(info.st_size) / (1024.0 * 1024.0);
    state.counters["peak_MB"] = PeakMegabytes();
    document.reset();
    FreeDocumentLayout();
    FreeLineLayout();
    FreeSharedManagers();
}
BENCHMARK(BM_PrintToPdf)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
