// Envelope building and printing: the envelope sections made through the
// document's operation, the printer set up for each envelope size and feed,
// and each envelope page painted at its place on the printer's page.
#include "layout/print/EnvelopePrinting.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "document/editing/EnvelopeSettings.h"
#include "document/model/Document.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/MessageDlg.h"
#include "foundation/NotSet.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "layout/PagePainter.h"
#include "layout/PaintSettings.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Printing.h"

namespace {

int32_t Round(double v)
{
    return static_cast<int32_t>(std::lround(v));
}

int32_t MulDivRound(int32_t a, int32_t b, int32_t c)
{
    const int64_t p = static_cast<int64_t>(a) * b;
    return static_cast<int32_t>((p + c / 2) / c);
}

// One envelope print: the printer's context, the size it is set to, and the
// document's print scale.
class TEnvelopePrinter {
public:
    TEnvelopePrinter(TDocument& document, const TEnvelopePrintChoices& choices, HDC dc)
        : Doc(document), Ch(choices), Dc(dc)
    {
    }

    // Sets the printer to the envelope's size and feed when it differs from
    // the previous page's.
    void SetupEnvelopePrinter(const TPageParams& params)
    {
        const int32_t shortSide = std::min(params[ppPaperWidth], params[ppPaperHeight]);
        const int32_t longSide = std::max(params[ppPaperWidth], params[ppPaperHeight]);
        if (shortSide == SetShort && longSide == SetLong)
            return;
        SetShort = shortSide;
        SetLong = longSide;
        // The paper, portrait: the one loaded, or the printer's that holds the envelope.
        int32_t paperW = shortSide, paperH = longSide;
        if (Ch.PaperWidth > 0 && Ch.PaperHeight > 0) {
            paperW = std::min(Ch.PaperWidth, Ch.PaperHeight);
            paperH = std::max(Ch.PaperWidth, Ch.PaperHeight);
        } else if (Ch.PrinterName != PdfPrinterName) {
            const TPoint tenths{Round(shortSide * 254.0 / 1440.0), Round(longSide * 254.0 / 1440.0)};
            const TPoint paper = FindPrinterPaperSize(Ch.PrinterName, tenths);
            paperW = Round(std::min(paper.X, paper.Y) * 1440.0 / 254.0);
            paperH = Round(std::max(paper.X, paper.Y) * 1440.0 / 254.0);
        }
        if (EnvelopeFeedLandscape(EnvelopeSettings().FeedMethod))
            std::swap(paperW, paperH);
        ResetPrinterDC(Dc, paperW, paperH);
        // The layout at the printer's resolution.
        const int32_t layout = Doc.LayoutResolution();
        Doc.SetPrintScale(MulDivRound(GetDeviceCaps(Dc, LOGPIXELSX), 100, layout),
                          MulDivRound(GetDeviceCaps(Dc, LOGPIXELSY), 100, layout));
    }

    bool PrintEnvelopePage(int32_t index)
    {
        TPage& page = *Doc.Pages()[static_cast<size_t>(index)];
        const TPageParams& params = Doc.GetPageSectionOfPage(index).PageParams;
        SetupEnvelopePrinter(params);
        const TEnvelopeSettings& settings = EnvelopeSettings();
        const int32_t envelopeW = Round(std::max(params[ppPaperWidth], params[ppPaperHeight]) *
                                        double(GetDeviceCaps(Dc, LOGPIXELSX)) / 1440.0);
        const int32_t envelopeH = Round(std::min(params[ppPaperWidth], params[ppPaperHeight]) *
                                        double(GetDeviceCaps(Dc, LOGPIXELSY)) / 1440.0);
        const TPoint offset = EnvelopeFeedOffset(settings.FeedMethod, settings.FeedFace,
                                                 GetDeviceCaps(Dc, PHYSICALWIDTH), GetDeviceCaps(Dc, PHYSICALHEIGHT),
                                                 envelopeW, envelopeH);
        if (StartPage(Dc) == SP_ERROR)
            return false;
        SetBkMode(Dc, TRANSPARENT);
        if (TFontManager* fonts = GetFontManager())
            fonts->Selected = 0;
        {
            TPaintModeScope printing(TPaintMode::Printing);
            PaintPage(page, Dc, offset.X - GetDeviceCaps(Dc, PHYSICALOFFSETX), NotSet,
                      offset.Y - GetDeviceCaps(Dc, PHYSICALOFFSETY));
        }
        ++Report.SheetSides;
        Report.PagesPainted.push_back(index);
        return EndPage(Dc) != SP_ERROR;
    }

    TDocument& Doc;
    const TEnvelopePrintChoices& Ch;
    HDC Dc;
    int32_t SetShort = -1, SetLong = -1;
    TPrintReport Report;
};

}  // namespace

TPoint EnvelopeFeedOffset(int32_t feedMethod, bool faceUp, int32_t physicalWidth, int32_t physicalHeight,
                          int32_t envelopeWidth, int32_t envelopeHeight)
{
    switch (feedMethod) {
    case 1:
        return {(physicalWidth - envelopeWidth) / 2, 0};
    case 2:
        return {physicalWidth - envelopeWidth, 0};
    case 3:
        return {0, faceUp ? physicalHeight - envelopeHeight : 0};
    case 4:
        return {0, (physicalHeight - envelopeHeight) / 2};
    case 5:
        return {0, faceUp ? 0 : physicalHeight - envelopeHeight};
    default:
        return {0, 0};
    }
}

void BuildEnvelopes(TDocument& target, const std::vector<std::string>& addresses, const std::string& returnAddress)
{
    for (size_t i = 0; i < addresses.size(); ++i) {
        // The caret at the end of the body: every envelope is appended.
        const int32_t last = target.StoryLast(stBody);
        target.GoToPosition(last, target.Paragraphs(last).GetCharCount() - 1);
        std::string address = addresses[i];
        std::string sender = returnAddress;
        uint8_t keepSection = i == 0 ? 1 : 0;
        target.ExecuteOperation(docInsertEnvelope, {&address, &sender, &keepSection});
    }
}

TPrintReport PrintEnvelopePages(TDocument& document, int32_t firstPage, int32_t lastPage,
                                const TEnvelopePrintChoices& choices)
{
    TPrintReport report;
    const TEnvelopeSettings& settings = EnvelopeSettings();
    HDC dc = CreatePrinterDC(choices.PrinterName, settings.Height, settings.Width, choices.Dpi);
    if (!dc) {
        ShowError("Impossible d'initialiser l'imprimante.");
        report.Result = TPrintResult::PrinterFailed;
        return report;
    }
    document.PaginateAll();
    firstPage = std::max(firstPage, 0);
    lastPage = std::min(lastPage, document.PageCount() - 1);
    const int32_t savedZoom = document.Zoom();
    document.BeginChange(17);
    document.BeginChange(3);
    TColorManager* colors = GetColorManager();
    if (colors)
        colors->UseDefaultPalette();
    PrintHost().EnableMainWindow(false);
    auto restore = [&] {
        DeleteDC(dc);
        if (colors)
            colors->UseScreenPalette();
        document.SetZoom(savedZoom);
        document.EndChanges(2);
        PrintHost().EnableMainWindow(true);
    };
    TEnvelopePrinter printer(document, choices, dc);
    printer.Report.Result = TPrintResult::Printed;
    try {
        DOCINFO info;
        info.lpszDocName = "Eldravin - Enveloppes";
        info.lpszOutput = choices.OutputFile;
        if (StartDoc(dc, info) == SP_ERROR) {
            ShowError("Impossible d'initialiser l'imprimante.");
            printer.Report.Result = TPrintResult::PrinterFailed;
        } else {
            printer.Report.Jobs = 1;
            const int32_t copies = std::max(1, choices.Copies);
            bool ok = true;
            if (choices.Collate) {
                for (int32_t copy = 0; copy < copies && ok; ++copy)
                    for (int32_t page = firstPage; page <= lastPage && ok; ++page)
                        ok = printer.PrintEnvelopePage(page);
            } else {
                for (int32_t page = firstPage; page <= lastPage && ok; ++page)
                    for (int32_t copy = 0; copy < copies && ok; ++copy)
                        ok = printer.PrintEnvelopePage(page);
            }
            if (EndDoc(dc) == SP_ERROR || !ok) {
                ShowError("Impossible d'initialiser l'imprimante.");
                printer.Report.Result = TPrintResult::PrinterFailed;
            }
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return printer.Report;
}

TPrintReport PrintEnvelopesFor(const std::vector<std::string>& addresses, const std::string& returnAddress,
                               const TEnvelopePrintChoices& choices)
{
    auto hidden = std::make_unique<TDocument>(true);
    hidden->InitNewDocument();
    BuildEnvelopes(*hidden, addresses, returnAddress);
    hidden->PaginateAll();
    return PrintEnvelopePages(*hidden, 0, hidden->PageCount() - 1, choices);
}
