#pragma once
// The print job: which pages go to paper and in which order (ranges,
// odd/even filter, reverse order, copies and collation, pages per sheet,
// booklets, two-sided printing by the printer or in two passes), the printer
// set up for each page, every page laid out at the printer's resolution and
// painted by the page painter onto the printer's context. The print dialog
// fills the choices; PrintDocument runs both.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "layout/print/PrintOrder.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/win/Geometry.h"

class TDocument;
class TSettingsStorage;
class TStringList;

// Options of the section "Print" of the settings.
struct TPrintOptions {
    bool Collate = false;
    bool TwoSided = false;
    // Two lines per printer (name, three digits), joined with "||".
    std::string PrnDuplexInfoEx;
    int32_t BookletSize = BookletSizeMax;
    bool CutGrid = false;
    // The printer chosen last (the stored device names).
    std::string PrinterName;
    // Fields are updated before printing.
    bool UpdateFields = false;
};
TPrintOptions& PrintOptions();
void LoadPrintOptions(TSettingsStorage& storage);
void SavePrintOptions(TSettingsStorage& storage);

// What the print dialog hands to the job.
struct TPrintChoices {
    std::string PrinterName;
    // The file the PDF printer writes (or "Imprimer dans un fichier").
    std::string OutputFile;
    // Zero-based page ranges; empty: every page.
    std::vector<TPageRange> Ranges;
    bool Selection = false;
    int32_t PageFilter = pfAllPages;
    bool ReverseOrder = false;
    int32_t Copies = 1;
    bool Collate = false;
    // The copies as typed (the turn-over prompt's sheet count).
    int32_t CopiesTyped = 1;
    bool TwoSided = false;
    bool Booklet = false;
    int32_t BookletSize = BookletSizeMax;
    bool CutGrid = false;
    int32_t PagesPerSheetIndex = 0;
    // 0: the page's own paper; 1..35: row (choice - 1) of the paper sizes.
    int32_t PaperChoice = 0;
    // The printer's two-sided settings.
    TDuplexSettings Duplex;
    int32_t Dpi = 600;
};

// How a job ended.
enum class TPrintResult : uint8_t {
    Printed,        // every page went to the printer
    Cancelled,      // the dialog, the margin question or a turn-over prompt was cancelled
    PrinterFailed,  // the printer could not start a job: nothing counts as printed
    Refused,        // nothing to print (a landscape booklet, a failed selection copy)
};

// What the program around the print routine provides: the file road for the
// selection copy, the window's caption, the turn-over prompt and the main
// window. The defaults act for a program without a main window; the
// turn-over prompt is the real form.
class TPrintHost {
public:
    virtual ~TPrintHost() = default;
    // Writes the selection of the source as RTF into memory and loads it
    // into the copy; false when either fails (they report it themselves).
    virtual bool MakeSelectionCopy(TDocument& source, TDocument& copy);
    // The caption of the document's window.
    virtual std::string DocumentCaption(TDocument& document);
    // The turn-over prompt (step 0: put blank sheets in; step 1: turn the
    // stack over); true on OK.
    virtual bool AskTurnOverStack(const std::string& printerName, int32_t sheets, int32_t step,
                                  const TDuplexSettings& settings);
    // Disables or enables the main window during the job.
    virtual void EnableMainWindow(bool /*enabled*/) {}
};
// Installs the host (null: the default one); returns the previous one.
TPrintHost* SetPrintHost(TPrintHost* host);
TPrintHost& PrintHost();

// What one job did, for the status bar and for those who check it.
struct TPrintReport {
    TPrintResult Result = TPrintResult::Cancelled;
    // Sheet sides ended (EndPage), blank faces included.
    int32_t SheetSides = 0;
    // Spooled documents started and ended.
    int32_t Jobs = 0;
    // Page indices in the order they were painted (BlankSlot for a blank face).
    std::vector<int32_t> PagesPainted;
    // The job scale after the margin question.
    double Scale = 1.0;
};

// Runs the job with the dialog's choices on the document (no dialog).
TPrintReport PrintWithChoices(TDocument& document, const TPrintChoices& choices);
// The print command: the dialog, then the job.
void PrintDocument(TDocument& document);

// The smallest paper of the printer that holds the size (tenths of a
// millimetre, 1 of tolerance): of those at least as large each way, one
// smaller than the best so far in both dimensions wins; none: the size itself.
TPoint FindPrinterPaperSize(const std::string& printerName, TPoint size);
// The name of the printer's form of that size (thousandths of a millimetre,
// each dimension within 1000), or of a form "_eld_<w> x <h>" added for it and
// remembered in added (deleted at the end of the job).
std::string FindOrAddPaperForm(const std::string& printerName, TPoint size, std::vector<std::string>& added);
void DeleteAddedPaperForms(const std::string& printerName, std::vector<std::string>& added);

// The scale of a page whose margins (device units: left, top, right,
// bottom) lie inside the printer's unprintable border: for each side where
// the border is wider, (extent - 2 x (border - margin)) / extent, the
// width for left and right, the height for top and bottom; the smallest, never
// below 0.1 (a border wider than half the page would turn the page over).
double PageScaleForMargins(const double minMargins[4], const double pageMargins[4], double width, double height);

// The printer's unprintable border (twips: left, top, right, bottom) on the
// paper (twips, the flag turns it). The default printer's are cached per
// size until another printer becomes the default; queries counts the
// questions asked of the printer.
TRect GetPrinterMinMargins(const std::string& printerName, int32_t width, int32_t height, bool landscape);
int32_t MinMarginQueries();
