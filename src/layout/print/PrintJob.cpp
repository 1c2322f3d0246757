// The print job: page order, printer set-up per page, layout at the
// printer's resolution and painting through the page painter.
#include "layout/print/PrintJob.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "document/model/Document.h"
#include "document/model/DocumentView.h"
#include "document/model/Page.h"
#include "document/model/Section.h"
#include "foundation/BitmapHelpers.h"
#include "foundation/MessageDlg.h"
#include "foundation/StringRoutines.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/PaperSizes.h"
#include "foundation/settings/SettingsStorage.h"
#include "layout/PagePainter.h"
#include "layout/PaintSettings.h"
#include "layout/print/PrintDialog.h"
#include "layout/print/TwoSidedForms.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Printing.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

namespace {

TPrintHost g_DefaultHost;
TPrintHost* g_Host = nullptr;

// The cached minimum margins of the default printer.
struct TCachedMinMargins {
    int32_t Width = 0;
    int32_t Height = 0;
    bool Landscape = false;
    TRect Margins;
};
struct TMinMarginCache {
    std::string Printer;
    std::vector<TCachedMinMargins> Entries;
    int32_t Queries = 0;
};
TMinMarginCache& MinMarginCache()
{
    static TMinMarginCache cache;
    return cache;
}

int32_t Round(double v)
{
    return static_cast<int32_t>(std::lround(v));
}

bool IsLandscape(const TPageParams& p)
{
    return p[ppOrientation] != 0 || p[ppPaperWidth] > p[ppPaperHeight];
}

// The state of one job.
class TPrintJob {
public:
    TPrintJob(TDocument& document, const TPrintChoices& choices, HDC dc)
        : Doc(document), Ch(choices), Dc(dc)
    {
    }

    TPrintReport Run();
    ~TPrintJob() { DeleteAddedPaperForms(Ch.PrinterName, FormsAdded); }

private:
    bool ComputeSheetLayout();
    void EmitPages();
    void PlainPass();
    void TwoPasses(int32_t units, const std::function<void(int32_t)>& emitUnit, int32_t sheets, bool booklet);
    void PrintPageSlot(int32_t slot);
    void PrintPageOnSheet(int32_t page);
    void FinishSheet();
    bool StartPrintJob();
    // closing: the end of the whole print (a file is closed only then).
    void EndPrintJob(bool closing = false);
    void BlankFace();
    void SetupPrinterForPage(int32_t width, int32_t height, bool landscape);
    // The size of the sheet set up for a page, as held.
    void SheetForPage(const TPageParams& params, int32_t& width, int32_t& height, bool& landscape) const;
    double CellScaleForPage(const TPageParams& params, int32_t sheetWidth, int32_t sheetHeight, bool* turned) const;
    void ApplyScale(double cellScale);
    bool Stopped() const { return Report.Result != TPrintResult::Printed; }

    TDocument& Doc;
    TPrintChoices Ch;
    HDC Dc;
    std::vector<int32_t> List;
    int32_t PagesPerSheet = 1;
    TSheetGrid Grid;
    bool AllLandscape = false;
    double JobScale = 1.0;
    bool JobStarted = false;
    bool FileOpen = false;
    bool PageOpen = false;
    int32_t SheetCounter = 0;
    bool CutLines = false;
    int32_t SetWidth = -1, SetHeight = -1;
    bool SetLandscape = false;
    int32_t AppliedZoom = -1, AppliedZoomY = -1;
    TRect SheetRect;
    std::vector<std::string> FormsAdded;
    int32_t ProgressDone = 0;
    TPrintReport Report;
};

bool TPrintJob::StartPrintJob()
{
    if (Stopped())
        return false;
    // A printer that writes a file keeps one document for the whole print:
    // a second document would replace the first in the file.
    if (FileOpen) {
        JobStarted = true;
        return true;
    }
    JobStarted = true;
    DOCINFO info;
    info.lpszDocName = "Eldravin - " + PrintHost().DocumentCaption(Doc);
    info.lpszOutput = Ch.OutputFile;
    // The spooler may take its time to open the document: a small thread
    // waits for it while the window keeps answering.
    std::atomic<bool> terminated{false};
    std::atomic<int> result{SP_ERROR};
    std::thread thread([&] {
        result = StartDoc(Dc, info);
        terminated = true;
    });
    while (!terminated)
        if (Application)
            Application->ProcessMessages();
        else
            std::this_thread::yield();
    thread.join();
    // A printer that cannot open the document prints nothing: say so once
    // and count nothing as printed.
    if (result == SP_ERROR) {
        JobStarted = false;
        Report.Result = TPrintResult::PrinterFailed;
        ShowError("Impossible d'initialiser l'imprimante.");
        return false;
    }
    ++Report.Jobs;
    FileOpen = !Ch.OutputFile.empty();
    return true;
}

void TPrintJob::EndPrintJob(bool closing)
{
    if (!JobStarted && !(closing && FileOpen))
        return;
    if (PageOpen)
        FinishSheet();
    // The next job starts on a fresh sheet.
    if (PagesPerSheet > 1 && SheetCounter % PagesPerSheet != 0)
        SheetCounter += PagesPerSheet - SheetCounter % PagesPerSheet;
    JobStarted = false;
    if (FileOpen && !closing)
        return;
    FileOpen = false;
    if (EndDoc(Dc) == SP_ERROR && Report.Result == TPrintResult::Printed) {
        Report.Result = TPrintResult::PrinterFailed;
        ShowError("Impossible d'initialiser l'imprimante.");
    }
    JobStarted = false;
}

void TPrintJob::BlankFace()
{
    if (Stopped())
        return;
    if (StartPage(Dc) == SP_ERROR) {
        Report.Result = TPrintResult::PrinterFailed;
        return;
    }
    EndPage(Dc);
    ++Report.SheetSides;
    Report.PagesPainted.push_back(BlankSlot);
}

void TPrintJob::SetupPrinterForPage(int32_t width, int32_t height, bool landscape)
{
    int32_t w = std::min(width, height), h = std::max(width, height);
    if (landscape)
        std::swap(w, h);
    if (w == SetWidth && h == SetHeight && landscape == SetLandscape)
        return;
    // The printer's paper for the size: its own, or a form made for it.
    // The PDF printer takes any size as it stands.
    const TPoint tenths{Round(w * 254.0 / 1440.0), Round(h * 254.0 / 1440.0)};
    int32_t paperW = w, paperH = h;
    if (Ch.PrinterName != PdfPrinterName) {
        const int32_t id = GetPaperSizeId(w, h);
        const TPoint paper = FindPrinterPaperSize(Ch.PrinterName, {std::min(tenths.X, tenths.Y),
                                                                   std::max(tenths.X, tenths.Y)});
        if (id != 9 && id != 1)
            FindOrAddPaperForm(Ch.PrinterName, {paper.X * 100, paper.Y * 100}, FormsAdded);
        paperW = Round(std::min(paper.X, paper.Y) * 1440.0 / 254.0);
        paperH = Round(std::max(paper.X, paper.Y) * 1440.0 / 254.0);
        if (landscape)
            std::swap(paperW, paperH);
    }
    ResetPrinterDC(Dc, paperW, paperH);
    SetPrinterDuplex(Dc, DuplexModeForPage(Ch.Duplex, Ch.TwoSided, landscape));
    SetWidth = w;
    SetHeight = h;
    SetLandscape = landscape;
}

void TPrintJob::SheetForPage(const TPageParams& params, int32_t& width, int32_t& height, bool& landscape) const
{
    if (PagesPerSheet > 1) {
        width = Grid.SheetWidth;
        height = Grid.SheetHeight;
        landscape = Grid.Rotated;
        return;
    }
    landscape = IsLandscape(params);
    int32_t w = params[ppPaperWidth], h = params[ppPaperHeight];
    if (Ch.PaperChoice > 0) {
        const TPaperSize& paper = PaperSizes(Ch.PaperChoice - 1);
        w = paper.Width;
        h = paper.Height;
    }
    width = landscape ? std::max(w, h) : std::min(w, h);
    height = landscape ? std::min(w, h) : std::max(w, h);
}

double TPrintJob::CellScaleForPage(const TPageParams& params, int32_t sheetWidth, int32_t sheetHeight,
                                   bool* turned) const
{
    const bool t = PagesPerSheet > 1 && !AllLandscape && IsLandscape(params);
    if (turned)
        *turned = t;
    const double pw = t ? params[ppPaperHeight] : params[ppPaperWidth];
    const double ph = t ? params[ppPaperWidth] : params[ppPaperHeight];
    return std::min(sheetWidth / double(Grid.Columns) / pw, sheetHeight / double(Grid.Rows) / ph);
}

void TPrintJob::ApplyScale(double cellScale)
{
    const int32_t layout = Doc.LayoutResolution();
    const int32_t zoom = Round(GetDeviceCaps(Dc, LOGPIXELSX) * cellScale * JobScale * 100 / layout);
    const int32_t zoomY = Round(GetDeviceCaps(Dc, LOGPIXELSY) * cellScale * JobScale * 100 / layout);
    if (zoom == AppliedZoom && zoomY == AppliedZoomY)
        return;
    Doc.SetPrintScale(zoom, zoomY);
    AppliedZoom = zoom;
    AppliedZoomY = zoomY;
}

bool TPrintJob::ComputeSheetLayout()
{
    PagesPerSheet = PagesPerSheetCounts[std::clamp(Ch.PagesPerSheetIndex, 0, 5)];
    Grid = {};
    std::vector<int32_t> pages;
    for (int32_t page : List)
        if (page >= 0 && page < Doc.PageCount())
            pages.push_back(page);
    if (PagesPerSheet > 1 && !pages.empty()) {
        AllLandscape = std::all_of(pages.begin(), pages.end(), [&](int32_t p) {
            return IsLandscape(Doc.GetPageSectionOfPage(p).PageParams);
        });
        int32_t largestW = 0, largestH = 0;
        for (int32_t p : pages) {
            const TPageParams& params = Doc.GetPageSectionOfPage(p).PageParams;
            int32_t w = params[ppPaperWidth], h = params[ppPaperHeight];
            if (IsLandscape(params) && !AllLandscape)
                std::swap(w, h);
            largestW = std::max(largestW, w);
            largestH = std::max(largestH, h);
        }
        const TPageParams& first = Doc.GetPageSectionOfPage(pages.front()).PageParams;
        int32_t sheetW = first[ppPaperWidth], sheetH = first[ppPaperHeight];
        if (Ch.PaperChoice > 0) {
            sheetW = PaperSizes(Ch.PaperChoice - 1).Width;
            sheetH = PaperSizes(Ch.PaperChoice - 1).Height;
        }
        Grid = ChooseSheetGrid(Ch.PagesPerSheetIndex, sheetW, sheetH, largestW, largestH);
    }

    // The margin check: pages whose margins lie in the printer's
    // unprintable border are printed smaller, if the user wishes.
    JobScale = 1.0;
    int32_t lastSection = -1;
    std::vector<int32_t> checked;
    for (int32_t p : pages) {
        TSection& section = Doc.GetPageSectionOfPage(p);
        const TPageParams& params = section.PageParams;
        int32_t sw = 0, sh = 0;
        bool sl = false;
        SheetForPage(params, sw, sh, sl);
        if (PagesPerSheet == 1)
            Grid = {1, 1, sl, sw, sh, 1.0};
        const double s = CellScaleForPage(params, sw, sh, nullptr);
        const TRect minMargins = GetPrinterMinMargins(Ch.PrinterName, sw, sh, sl);
        const int32_t dpiX = GetDeviceCaps(Dc, LOGPIXELSX), dpiY = GetDeviceCaps(Dc, LOGPIXELSY);
        auto devX = [&](double twips) { return twips * dpiX * s / 1440.0; };
        auto devY = [&](double twips) { return twips * dpiY * s / 1440.0; };
        double mm[4] = {minMargins.Left * dpiX / 1440.0, minMargins.Top * dpiY / 1440.0,
                        minMargins.Right * dpiX / 1440.0, minMargins.Bottom * dpiY / 1440.0};
        if (PagesPerSheet > 1) {
            const double roomX = devX(Round((sw / s / Grid.Columns - params[ppPaperWidth]) * 0.5));
            const double roomY = devY(Round((sh / s / Grid.Rows - params[ppPaperHeight]) * 0.5));
            mm[0] -= roomX;
            mm[2] -= roomX;
            mm[1] -= roomY;
            mm[3] -= roomY;
        }
        const bool header = section.HeadersFooters[0] || section.HeadersFooters[1] || section.HeadersFooters[4];
        const bool footer = section.HeadersFooters[2] || section.HeadersFooters[3] || section.HeadersFooters[5];
        const double pm[4] = {devX(params[ppLeftMargin]),
                              devY(header ? params[ppHeaderDistance] : params[ppTopMargin]),
                              devX(params[ppRightMargin]),
                              devY(footer ? params[ppFooterDistance] : params[ppBottomMargin])};
        const double ex = devX(Round(sw / s)), ey = devY(Round(sh / s));
        const double pageScale = PageScaleForMargins(mm, pm, ex, ey);
        JobScale = std::min(JobScale, pageScale);
        if (pageScale < 1.0)
            lastSection = section.Number;
    }
    if (JobScale < 1.0) {
        int32_t answer;
        if (Ch.PaperChoice == 0 && PagesPerSheet == 1)
            answer = ShowMessageDlgPreset(
                Format("Les marges de la section %d ont été définies en dehors de la zone imprimable de votre "
                       "imprimante. Des fragments de votre document pourraient bien ne pas s'imprimer correctement "
                       "si vous l'imprimez tel quel.||||Cliquez sur \"Oui\" si vous voulez qu'Eldravin imprime votre "
                       "document avec mise à l'échelle afin qu'il ne soit pas tronqué à l'impression. Notez que "
                       "texte et graphismes s'imprimeront avec une taille légèrement plus petite.||||Cliquez sur "
                       "\"Non\" si vous voulez imprimer votre document tel quel malgré tout. N'oubliez pas que "
                       "certaines portions de votre document pourraient bien ne pas s'imprimer correctement.||||"
                       "Cliquez sur \"Annuler\" si vous voulez abandonner l'impression et ajuster les marges de "
                       "votre document manuellement.",
                       {lastSection + 1}),
                mtConfirmation, 24);
        else
            answer = ShowMessageDlgPreset(
                "Une ou plusieurs marges de page de votre document sont trop petites pour vos options actuelles "
                "d'impression. Des fragments de votre document pourraient bien ne pas s'imprimer correctement si "
                "vous l'imprimez tel quel avec les options d'impression actuelles.||||Cliquez sur \"Oui\" si vous "
                "voulez qu'Eldravin imprime le contenu de votre document avec mise à l'échelle supplémentaire afin "
                "qu'il ne soit pas tronqué à l'impression. Notez que texte et graphismes s'imprimeront avec une "
                "taille légèrement plus petite.||||Cliquez sur \"Non\" si vous voulez imprimer votre document tel "
                "quel malgré tout. N'oubliez pas que certaines portions de votre document pourraient bien ne pas "
                "s'imprimer correctement.||||Cliquez sur \"Annuler\" si vous voulez abandonner l'impression et "
                "ajuster les marges de votre document manuellement.",
                mtConfirmation, 25);
        if (answer == mrCancel)
            return false;
        if (answer == mrNo)
            JobScale = 1.0;
    }
    Report.Scale = JobScale;
    return true;
}

void TPrintJob::PrintPageOnSheet(int32_t page)
{
    if (page < 0 || page >= Doc.PageCount() || Stopped())
        return;
    TPage& pg = *Doc.Pages()[static_cast<size_t>(page)];
    const TPageParams& params = Doc.GetPageSectionOfPage(page).PageParams;
    const bool landscape = IsLandscape(params);

    // 2. The printer's paper.
    int32_t sw = 0, sh = 0;
    bool sl = false;
    SheetForPage(params, sw, sh, sl);
    if (PagesPerSheet == 1)
        Grid = {1, 1, sl, sw, sh, 1.0};
    SetupPrinterForPage(sw, sh, sl);

    // 3. The layout at the printer's resolution.
    bool turned = false;
    const double s = CellScaleForPage(params, sw, sh, &turned);
    ApplyScale(s);

    // 4. and 5. The origin: from the paper's corner, the cell, then the
    // shrunk content centred on the sheet.
    int32_t ox = -GetDeviceCaps(Dc, PHYSICALOFFSETX);
    int32_t oy = -GetDeviceCaps(Dc, PHYSICALOFFSETY);
    if (PagesPerSheet == 1 && Ch.PaperChoice == 0 && landscape) {
        const int32_t physical = GetDeviceCaps(Dc, PHYSICALHEIGHT);
        const int32_t full = Round(params[ppPaperHeight] * double(GetDeviceCaps(Dc, LOGPIXELSY)) / 1440.0);
        if (full < physical)
            oy += physical - full;
    }
    const double j = JobScale;
    const int32_t wd = Doc.TwipsToDeviceX(Round(sw / s));
    const int32_t hd = Doc.TwipsToDeviceY(Round(sh / s));
    int32_t pageW = params[ppPaperWidthDevice], pageH = params[ppPaperHeightDevice];
    if (turned)
        std::swap(pageW, pageH);
    const int32_t c = SheetCounter % PagesPerSheet;
    const int32_t column = c % Grid.Columns, row = c / Grid.Columns;
    const int32_t shiftX = Doc.TwipsToDeviceX(Round(sw / s / j * (1.0 - j) * 0.5));
    const int32_t shiftY = Doc.TwipsToDeviceY(Round(sh / s / j * (1.0 - j) * 0.5));
    SheetRect = Bounds(ox + shiftX, oy + shiftY, wd, hd);
    ox += Round(double(wd) * column / Grid.Columns) + Round((double(wd) / Grid.Columns - pageW) * 0.5) + shiftX;
    oy += Round(double(hd) * row / Grid.Rows) + Round((double(hd) / Grid.Rows - pageH) * 0.5) + shiftY;

    // 6. The side.
    if (!PageOpen) {
        if (StartPage(Dc) == SP_ERROR) {
            Report.Result = TPrintResult::PrinterFailed;
            ShowError("Impossible d'initialiser l'imprimante.");
            return;
        }
        PageOpen = true;
        SetBkMode(Dc, TRANSPARENT);
        if (TFontManager* fonts = GetFontManager())
            fonts->Selected = 0;
    }

    // 7. The page.
    TPaintModeScope printing(TPaintMode::Printing);
    if (turned) {
        // Turned through a bitmap of the page's own device size.
        TBitmap bitmap;
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        bitmap.SetSize(params[ppPaperWidthDevice], params[ppPaperHeightDevice]);
        HDC bdc = bitmap.Canvas().Handle();
        FillRect(bdc, {0, 0, params[ppPaperWidthDevice], params[ppPaperHeightDevice]}, GetStockBrush(WHITE_BRUSH));
        SetBkMode(bdc, TRANSPARENT);
        if (TFontManager* fonts = GetFontManager())
            fonts->Selected = 0;
        PaintPage(pg, bdc, 0, NotSet, 0);
        if (TFontManager* fonts = GetFontManager())
            fonts->Selected = 0;
        RotateBitmap90(bitmap);
        BitBlt(Dc, ox, oy, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
    } else {
        PaintPage(pg, Dc, ox, NotSet, oy);
    }
    Report.PagesPainted.push_back(page);

    // 8. The next cell.
    ++SheetCounter;
    if (SheetCounter % PagesPerSheet == 0)
        FinishSheet();
}

void TPrintJob::FinishSheet()
{
    if (Ch.CutGrid && CutLines && PagesPerSheet > 2) {
        HPEN pen = CreatePen(PS_SOLID, 1, 0);
        HGDIOBJ old = SelectObject(Dc, pen);
        const int32_t columnWidth = SheetRect.Width() / Grid.Columns;
        for (int32_t k = 1; k < Grid.Columns / 2; ++k) {
            const int32_t x = SheetRect.Left + k * 2 * columnWidth;
            MoveToEx(Dc, x, SheetRect.Top, nullptr);
            LineTo(Dc, x, SheetRect.Bottom);
        }
        for (int32_t k = 1; k < Grid.Rows; ++k) {
            const int32_t y = SheetRect.Top + k * SheetRect.Height() / Grid.Rows;
            MoveToEx(Dc, SheetRect.Left, y, nullptr);
            LineTo(Dc, SheetRect.Right, y);
        }
        if (!(Ch.PaperChoice == 0 && JobScale >= 1.0)) {
            MoveToEx(Dc, SheetRect.Left, SheetRect.Top, nullptr);
            LineTo(Dc, SheetRect.Right - 1, SheetRect.Top);
            LineTo(Dc, SheetRect.Right - 1, SheetRect.Bottom - 1);
            LineTo(Dc, SheetRect.Left, SheetRect.Bottom - 1);
            LineTo(Dc, SheetRect.Left, SheetRect.Top);
        }
        SelectObject(Dc, old);
        DeleteObject(pen);
    }
    EndPage(Dc);
    PageOpen = false;
    ++Report.SheetSides;
}

void TPrintJob::PrintPageSlot(int32_t slot)
{
    if (Stopped())
        return;
    const int32_t entry = slot >= 0 && slot < static_cast<int32_t>(List.size()) ? List[slot] : BlankSlot;
    if (entry == BlankSlot) {
        // An empty cell of a sheet of several pages.
        if (PagesPerSheet > 1) {
            ++SheetCounter;
            if (SheetCounter % PagesPerSheet == 0 && PageOpen)
                FinishSheet();
        }
    } else {
        PrintPageOnSheet(entry);
    }
    DocumentHost().ProgressStep(++ProgressDone);
}

void TPrintJob::PlainPass()
{
    const int32_t n = static_cast<int32_t>(List.size());
    if (Ch.Collate) {
        for (int32_t copy = 0; copy < Ch.Copies && !Stopped(); ++copy) {
            if (!StartPrintJob())
                return;
            for (int32_t i = 0; i < n; ++i)
                PrintPageSlot(i);
            EndPrintJob();
        }
    } else {
        if (!StartPrintJob())
            return;
        for (int32_t i = 0; i < n; ++i)
            for (int32_t copy = 0; copy < Ch.Copies; ++copy)
                PrintPageSlot(i);
        EndPrintJob();
    }
}

void TPrintJob::TwoPasses(int32_t units, const std::function<void(int32_t)>& emitUnit, int32_t sheets, bool booklet)
{
    auto pass = [&](const std::vector<int32_t>& order, bool blankBefore, bool blankAfter) {
        if (Ch.Collate) {
            for (int32_t copy = 0; copy < Ch.Copies && !Stopped(); ++copy) {
                if (blankBefore)
                    BlankFace();
                for (int32_t u : order)
                    emitUnit(u);
                if (blankAfter)
                    BlankFace();
            }
        } else {
            for (int32_t copy = 0; blankBefore && copy < Ch.Copies; ++copy)
                BlankFace();
            for (int32_t u : order)
                for (int32_t copy = 0; copy < Ch.Copies; ++copy)
                    emitUnit(u);
            for (int32_t copy = 0; blankAfter && copy < Ch.Copies; ++copy)
                BlankFace();
        }
    };
    if (units <= 1) {
        if (!StartPrintJob())
            return;
        pass({0}, false, false);
        EndPrintJob();
        return;
    }
    const TTwoPassOrder order = TwoPassOrder(units, Ch.Duplex.FeedMode, booklet);
    if (!PrintHost().AskTurnOverStack(Ch.PrinterName, sheets, 0, Ch.Duplex)) {
        Report.Result = TPrintResult::Cancelled;
        return;
    }
    if (!StartPrintJob())
        return;
    CutLines = false;
    pass(order.First, order.BlankBefore, order.BlankAfter);
    EndPrintJob();
    if (Stopped())
        return;
    if (!PrintHost().AskTurnOverStack(Ch.PrinterName, sheets, 1, Ch.Duplex)) {
        Report.Result = TPrintResult::Cancelled;
        return;
    }
    if (!StartPrintJob())
        return;
    CutLines = booklet;
    pass(order.Second, false, false);
    EndPrintJob();
}

void TPrintJob::EmitPages()
{
    const int32_t n = static_cast<int32_t>(List.size());
    const bool printerDuplex = Ch.Duplex.Duplex == 1;
    const int32_t copies = std::max(1, Ch.CopiesTyped);
    if (!Ch.TwoSided || (printerDuplex && !Ch.Booklet)) {
        PlainPass();
        return;
    }
    if (Ch.Booklet) {
        if (Grid.Columns % 2 != 0) {
            ShowInformation(
                "Désolé, mais les documents en mode Paysage ne peuvent pas être imprimés en tant que brochures.\r\r"
                "Pour imprimer ce document en tant que brochure, il vous faut changer l'orientation des pages et "
                "adopter le mode Portrait.\rSi ce document est déjà en mode Portrait, vous pouvez essayer de le "
                "réimprimer en plaçant un nombre de pages différent sur chacune des faces des feuilles.");
            Report.Result = TPrintResult::Refused;
            return;
        }
        // The slots of the side list name positions in the page list.
        const std::vector<int32_t> sides = BookletSideList(n, Ch.BookletSize, PagesPerSheet, Grid.Columns);
        DocumentHost().ProgressStart(Ch.Copies * static_cast<int32_t>(sides.size()), "Impression...");
        ProgressDone = 0;
        if (printerDuplex) {
            if (!StartPrintJob())
                return;
            for (int32_t copy = 0; copy < Ch.Copies && !Stopped(); ++copy)
                for (size_t i = 0; i < sides.size(); ++i) {
                    CutLines = (static_cast<int32_t>(i) / PagesPerSheet) % 2 == 0;
                    PrintPageSlot(sides[i]);
                }
            EndPrintJob();
            return;
        }
        const int32_t sideCount = static_cast<int32_t>(sides.size()) / PagesPerSheet;
        TwoPasses(
            sideCount,
            [&](int32_t side) {
                for (int32_t k = 0; k < PagesPerSheet; ++k)
                    PrintPageSlot(sides[static_cast<size_t>(side * PagesPerSheet + k)]);
            },
            static_cast<int32_t>(sides.size()) / (2 * PagesPerSheet) * copies, true);
        return;
    }
    if (PagesPerSheet == 1) {
        TwoPasses(n, [&](int32_t unit) { PrintPageSlot(unit); }, (n + 1) / 2 * copies, false);
        return;
    }
    const int32_t units = (n + PagesPerSheet - 1) / PagesPerSheet;
    if (units <= 1) {
        PlainPass();
        return;
    }
    TwoPasses(
        units,
        [&](int32_t unit) {
            for (int32_t k = 0; k < PagesPerSheet; ++k)
                PrintPageSlot(unit * PagesPerSheet + k);
        },
        (n + 2 * PagesPerSheet - 1) / (2 * PagesPerSheet) * copies, false);
}

TPrintReport TPrintJob::Run()
{
    Report.Result = TPrintResult::Printed;
    Doc.PaginateAll();
    // Every page of the body, unless ranges were chosen.
    std::vector<TPageRange> ranges = Ch.Ranges;
    if (ranges.empty() && Doc.PageCount() > 0)
        ranges.push_back({0, Doc.PageCount() - 1});
    List = ExpandPageList(ranges, Ch.PageFilter, Ch.ReverseOrder);
    SheetCounter = 0;
    if (!ComputeSheetLayout()) {
        Report.Result = TPrintResult::Cancelled;
        return Report;
    }
    DocumentHost().ProgressStart(Ch.Copies * static_cast<int32_t>(List.size()), "Impression...");
    try {
        EmitPages();
    } catch (...) {
        EndPrintJob(true);
        DocumentHost().ProgressEnd();
        throw;
    }
    EndPrintJob(true);
    DocumentHost().ProgressEnd();
    return Report;
}

}  // namespace

// --- Options -----------------------------------------------------------------------

TPrintOptions& PrintOptions()
{
    static TPrintOptions options;
    return options;
}

void LoadPrintOptions(TSettingsStorage& storage)
{
    TPrintOptions& o = PrintOptions();
    storage.OpenKey("Print");
    o.Collate = storage.ReadBool("Collate", false);
    o.TwoSided = storage.ReadBool("TwoSided", false);
    o.PrnDuplexInfoEx = storage.ReadString("PrnDuplexInfoEx", "");
    o.BookletSize = storage.ReadInteger("BookletSize", 4, BookletSizeMax, BookletSizeMax);
    if (o.BookletSize != BookletSizeMax)
        o.BookletSize = std::min(64, o.BookletSize / 4 * 4);
    o.CutGrid = storage.ReadBool("CutGrid", false);
    o.PrinterName = storage.ReadString("DEVNAMES", "");
}

void SavePrintOptions(TSettingsStorage& storage)
{
    const TPrintOptions& o = PrintOptions();
    storage.OpenKey("Print");
    storage.WriteBool("Collate", o.Collate);
    storage.WriteBool("TwoSided", o.TwoSided);
    storage.WriteString("PrnDuplexInfoEx", o.PrnDuplexInfoEx);
    storage.WriteInteger("BookletSize", o.BookletSize);
    storage.WriteBool("CutGrid", o.CutGrid);
    storage.WriteString("DEVNAMES", o.PrinterName);
}

// --- Host --------------------------------------------------------------------------

bool TPrintHost::MakeSelectionCopy(TDocument& /*source*/, TDocument& /*copy*/)
{
    // Without the file road there is no copy to print.
    return false;
}

std::string TPrintHost::DocumentCaption(TDocument& document)
{
    return ExtractFileName(document.FileName);
}

bool TPrintHost::AskTurnOverStack(const std::string& printerName, int32_t sheets, int32_t step,
                                  const TDuplexSettings& settings)
{
    return ::AskTurnOverStack(printerName, sheets, step, settings);
}

TPrintHost* SetPrintHost(TPrintHost* host)
{
    TPrintHost* old = g_Host;
    g_Host = host;
    return old;
}

TPrintHost& PrintHost()
{
    return g_Host ? *g_Host : g_DefaultHost;
}

// --- The job -----------------------------------------------------------------------

TPrintReport PrintWithChoices(TDocument& document, const TPrintChoices& choices)
{
    TPrintReport report;
    HDC dc = CreatePrinterDC(choices.PrinterName, 11906, 16838, choices.Dpi);
    if (!dc) {
        ShowError("Impossible d'initialiser l'imprimante.");
        report.Result = TPrintResult::PrinterFailed;
        return report;
    }
    TPrintHost& host = PrintHost();

    // The document printed: the document, or a hidden copy of its selection.
    std::unique_ptr<TDocument> copy;
    TDocument* printing = &document;
    if (choices.Selection) {
        copy = std::make_unique<TDocument>(true);
        if (!host.MakeSelectionCopy(document, *copy)) {
            DeleteDC(dc);
            report.Result = TPrintResult::Refused;
            return report;
        }
        printing = copy.get();
        if (PrintOptions().UpdateFields) {
            TTextRange all;
            printing->GetBodyRange(all);
            printing->UpdateAllFields(all);
        }
    } else {
        document.Properties.LastPrinted = Now();
        if (PrintOptions().UpdateFields) {
            TTextRange all;
            document.GetBodyRange(all);
            document.UpdateAllFields(all);
        }
    }

    const int32_t savedZoom = printing->Zoom();
    printing->BeginChange(17);
    printing->BeginChange(3);
    // Pages print in the default colours, whatever the user's screen scheme.
    TColorManager* colors = GetColorManager();
    if (colors)
        colors->UseDefaultPalette();
    host.EnableMainWindow(false);
    TPrintChoices ch = choices;
    if (choices.Selection)
        ch.Ranges.clear();
    try {
        TPrintJob job(*printing, ch, dc);
        report = job.Run();
    } catch (...) {
        DeleteDC(dc);
        if (colors)
            colors->UseScreenPalette();
        printing->SetZoom(savedZoom);
        printing->EndChanges(2);
        host.EnableMainWindow(true);
        throw;
    }
    DeleteDC(dc);
    if (colors)
        colors->UseScreenPalette();
    printing->SetZoom(savedZoom);
    printing->EndChanges(2);
    host.EnableMainWindow(true);
    return report;
}

void PrintDocument(TDocument& document)
{
    TPrintChoices choices;
    if (!RunPrintDialog(document, choices))
        return;
    PrintWithChoices(document, choices);
    if (TDocumentView* view = document.View())
        view->Repaint();
}

// --- Papers, forms and margins ---------------------------------------------------------

TPoint FindPrinterPaperSize(const std::string& printerName, TPoint size)
{
    bool found = false;
    TPoint best = size;
    for (const TPoint& paper : GetPrinterPaperSizes(printerName)) {
        if (paper.X + 1 < size.X || paper.Y + 1 < size.Y)
            continue;
        if (!found || (paper.X < best.X && paper.Y < best.Y)) {
            best = paper;
            found = true;
        }
    }
    return best;
}

std::string FindOrAddPaperForm(const std::string& printerName, TPoint size, std::vector<std::string>& added)
{
    // Every form is considered, the printer's first one included.
    for (const FORM_INFO_1& form : EnumForms(printerName))
        if (std::abs(form.Size.X - size.X) < 1000 && std::abs(form.Size.Y - size.Y) < 1000)
            return form.Name;
    const std::string name = "_eld_" + std::to_string(size.X) + " x " + std::to_string(size.Y);
    FORM_INFO_1 form;
    form.Name = name;
    form.Size = size;
    form.ImageableArea = {0, 0, size.X, size.Y};
    if (AddForm(printerName, form))
        added.push_back(name);
    return name;
}

void DeleteAddedPaperForms(const std::string& printerName, std::vector<std::string>& added)
{
    for (auto it = added.rbegin(); it != added.rend(); ++it)
        DeleteForm(printerName, *it);
    added.clear();
}

TRect GetPrinterMinMargins(const std::string& printerName, int32_t width, int32_t height, bool landscape)
{
    TMinMarginCache& cache = MinMarginCache();
    const bool isDefault = printerName == GetDefaultPrinterName();
    if (isDefault && cache.Printer == printerName)
        for (const TCachedMinMargins& entry : cache.Entries)
            if (entry.Width == width && entry.Height == height && entry.Landscape == landscape)
                return entry.Margins;
    ++cache.Queries;
    TRect mils;
    TRect margins{0, 0, 0, 0};
    if (GetPrinterMinMarginsMils(printerName, width, height, landscape, mils)) {
        // Thousandths of an inch, by way of hundredths, to twips.
        auto twips = [](int32_t m) { return m / 10 * 1440 / 100; };
        margins = {twips(mils.Left), twips(mils.Top), twips(mils.Right), twips(mils.Bottom)};
    }
    if (isDefault) {
        if (cache.Printer != printerName) {
            cache.Entries.clear();
            cache.Printer = printerName;
        }
        cache.Entries.push_back({width, height, landscape, margins});
    }
    return margins;
}

int32_t MinMarginQueries()
{
    return MinMarginCache().Queries;
}

double PageScaleForMargins(const double minMargins[4], const double pageMargins[4], double width, double height)
{
    double scale = 1.0;
    for (int side = 0; side < 4; ++side) {
        if (minMargins[side] <= pageMargins[side])
            continue;
        const double extent = side % 2 == 0 ? width : height;
        if (extent <= 0)
            continue;
        scale = std::min(scale, (extent - 2 * (minMargins[side] - pageMargins[side])) / extent);
    }
    return std::max(scale, 0.1);
}
