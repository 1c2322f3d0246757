#pragma once
// Document output to a PDF file: a device context whose pages are made by
// StartDoc, StartPage, EndPage and EndDoc, as on a printer. The printer path
// builds on it.
#include <string>

#include "platform/gdi/GdiTypes.h"

struct DOCINFO {
    std::string lpszDocName;  // the document's title
    std::string lpszOutput;   // file to write instead of the context's (empty: the context's)
};

constexpr int SP_ERROR = -1;

// A context on a PDF file (program path, code page 1252) with pages of the
// given size in twips (held in whole points in the file), at dpi dots per
// inch; the whole page is printable.
HDC CreatePdfDC(const std::string& fileName, int32_t pageWidthTwips, int32_t pageHeightTwips, int32_t dpi = 600);

// A positive job number, or SP_ERROR (the file cannot be written, a document
// is already started).
int StartDoc(HDC dc, const DOCINFO& info);
int StartPage(HDC dc);
int EndPage(HDC dc);
// Writes the file; SP_ERROR when it cannot be completed.
int EndDoc(HDC dc);
// Abandons the document and removes the partial file.
int AbortDoc(HDC dc);

// --- Printers ------------------------------------------------------------------
// The printers are the desktop's (CUPS, through Qt's print support) and the
// program's PDF printer, which writes the document into the file that
// DOCINFO.lpszOutput names and has no unprintable border.

#include <vector>

#include "platform/win/Geometry.h"

// The name of the PDF printer.
extern const char* const PdfPrinterName;

struct TPrinterInfo {
    std::string Name;
    std::string Type;      // the driver or model
    std::string Location;
    std::string Comment;
    std::string Status;    // "Prête", "Occupée", "Arrêtée"
    bool IsDefault = false;
    bool WritesFile = false;  // the PDF printer
};

// The desktop's printers, then the PDF printer.
std::vector<TPrinterInfo> EnumPrinters();
// The desktop's default printer, the PDF printer when there is none.
std::string GetDefaultPrinterName();
bool PrinterExists(const std::string& printerName);

// A printer context (CreateDC) on the named printer, its pages of the given
// size in twips at dpi dots per inch; null for an unknown printer.
HDC CreatePrinterDC(const std::string& printerName, int32_t pageWidthTwips, int32_t pageHeightTwips,
                    int32_t dpi = 600);
// ResetDC with a new paper: the pages started from now on have that size
// (twips; wider than high is the paper turned). False for a context that is
// no printer's or a size that is not positive.
bool ResetPrinterDC(HDC dc, int32_t pageWidthTwips, int32_t pageHeightTwips);

// The device mode's duplex field for the next document: 1 one side, 2 both
// sides turned on the long edge (vertical), 3 on the short edge
// (horizontal); 0 leaves the printer's own setting. The PDF printer has one
// side only and ignores it.
bool SetPrinterDuplex(HDC dc, int32_t duplex);

// DeviceCapabilities DC_PAPERSIZE: the printer's papers (x: width, y:
// height), in tenths of a millimetre.
std::vector<TPoint> GetPrinterPaperSizes(const std::string& printerName);
// The printer's unprintable border on paper of the size (twips; the flag
// turns it), as PageSetupDlg's rtMinMargin: thousandths of an inch, left,
// top, right, bottom. False for an unknown printer.
bool GetPrinterMinMarginsMils(const std::string& printerName, int32_t widthTwips, int32_t heightTwips,
                              bool landscape, TRect& margins);

// Paper forms of a printer (EnumForms, AddForm, DeleteForm, level 1). The
// printer's own papers come first, then the forms added by programs, which
// last as long as the program runs. Sizes in thousandths of a millimetre.
struct FORM_INFO_1 {
    std::string Name;
    TPoint Size;
    TRect ImageableArea;
    bool UserForm = false;
};
std::vector<FORM_INFO_1> EnumForms(const std::string& printerName);
// False when the printer is unknown or a form of that name exists.
bool AddForm(const std::string& printerName, const FORM_INFO_1& form);
// False when the printer has no added form of that name.
bool DeleteForm(const std::string& printerName, const std::string& formName);
