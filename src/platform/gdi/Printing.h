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
