#pragma once
// Printing tests: documents printed to the PDF printer and read back with
// poppler's pdfinfo and pdftotext (an independent reader), and documents
// whose pages each carry a marker word, so that the order of the printed
// pages can be read from the file.
#include "formats/FormatsFixtures.h"
#include "formats/PrintFileRoad.h"
#include "foundation/MessageAnswers.h"
#include "layout/PaintFixtures.h"
#include "layout/print/PrintJob.h"
#include "platform/gdi/Printing.h"

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// The output of a command (its standard output), and whether it ran.
inline bool RunCommand(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return false;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    return pclose(pipe) == 0;
}

inline bool PopplerAvailable()
{
    std::string out;
    return RunCommand("pdfinfo -v", out) || RunCommand("command -v pdfinfo", out);
}

#define ELDRAVIN_NEED_POPPLER()                                                            \
    do {                                                                                   \
        if (!PopplerAvailable()) {                                                         \
            if (SharedRequired())                                                          \
                FAIL() << "poppler-utils (pdfinfo, pdftotext) are needed: scripts/deps.sh"; \
            GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext) are not installed";        \
        }                                                                                  \
    } while (0)

struct TPdfPage {
    double Width = 0;   // points
    double Height = 0;
};

// pdfinfo's page count and the size of every page.
inline std::vector<TPdfPage> PdfPages(const std::string& path)
{
    std::string out;
    std::vector<TPdfPage> pages;
    if (!RunCommand("pdfinfo -f 1 -l 100000 '" + path + "'", out))
        return pages;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        int number = 0;
        double w = 0, h = 0;
        if (std::sscanf(line.c_str(), "Page %d size: %lf x %lf", &number, &w, &h) == 3)
            pages.push_back({w, h});
    }
    return pages;
}

// pdftotext's text of one page (1-based), UTF-8.
inline std::string PdfPageText(const std::string& path, int page)
{
    std::string out;
    RunCommand("pdftotext -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + path + "' -", out);
    return out;
}

// The marker number of every page ("Marque07" gives 7; a page without one 0).
inline std::vector<int> PdfMarkers(const std::string& path)
{
    std::vector<int> markers;
    const size_t count = PdfPages(path).size();
    for (size_t p = 1; p <= count; ++p) {
        const std::string text = PdfPageText(path, static_cast<int>(p));
        const size_t at = text.find("Marque");
        markers.push_back(at == std::string::npos ? 0 : std::atoi(text.c_str() + at + 6));
    }
    return markers;
}

class PrintTest : public PaintTest {
protected:
    PrintTest() : FPreviousHost(SetPrintHost(&FHost)) { InstallPreviewLoader(); }
    ~PrintTest() override { SetPrintHost(FPreviousHost); }

    static void A4(TSection& section, bool landscape = false)
    {
        TPageParams& p = section.PageParams;
        p[ppPaperWidth] = landscape ? 16838 : 11906;
        p[ppPaperHeight] = landscape ? 11906 : 16838;
        p[ppOrientation] = landscape ? 1 : 0;
        p[ppLeftMargin] = p[ppRightMargin] = 1134;
        p[ppTopMargin] = p[ppBottomMargin] = 1418;
        p[ppHeaderDistance] = p[ppFooterDistance] = 709;
    }

    // A document of count A4 pages, page n holding the words "Marque0n".
    void MarkedPages(int count)
    {
        A4(Doc->Sections(0));
        Doc->RecalcPageExtents();
        for (int n = 1; n <= count; ++n) {
            char marker[32];
            std::snprintf(marker, sizeof marker, "Marque%02d", n);
            Para(std::string(marker) + " sur la page" + kMark, With({{pfPageBreakBefore, n > 1 ? 1 : 0}}));
        }
        Doc->PaginateAll();
        ASSERT_EQ(Doc->PageCount(), count);
    }

    // Choices for the PDF printer writing into the test output folder.
    TPrintChoices ToPdf(const std::string& name)
    {
        TPrintChoices choices;
        choices.PrinterName = PdfPrinterName;
        choices.OutputFile = TestOutputDir() + "/" + name + ".pdf";
        choices.Dpi = 300;
        std::remove(choices.OutputFile.c_str());
        return choices;
    }

    // Answers the turn-over prompts and records them.
    class TRecordingHost : public TFileRoadPrintHost {
    public:
        struct TPrompt {
            int32_t Sheets;
            int32_t Step;
        };
        std::vector<TPrompt> Prompts;
        int32_t CancelAtStep = -1;
        bool AskTurnOverStack(const std::string&, int32_t sheets, int32_t step, const TDuplexSettings&) override
        {
            Prompts.push_back({sheets, step});
            return step != CancelAtStep;
        }
    };
    TRecordingHost FHost;

private:
    TPrintHost* FPreviousHost;
};
