#pragma once
// Types and constants of the graphics layer: object handles, logical fonts,
// text metrics, pens, brushes, bitmaps and their headers, in the shape the
// original platform's graphics interface gives them. The objects behind the
// handles are made by the backend; callers see only their kind.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/Colors.h"
#include "platform/win/Geometry.h"

// --- Objects and handles -------------------------------------------------

constexpr uint8_t OBJ_PEN = 1;
constexpr uint8_t OBJ_BRUSH = 2;
constexpr uint8_t OBJ_DC = 3;
constexpr uint8_t OBJ_PAL = 5;
constexpr uint8_t OBJ_FONT = 6;
constexpr uint8_t OBJ_BITMAP = 7;
constexpr uint8_t OBJ_REGION = 8;
constexpr uint8_t OBJ_MEMDC = 10;

// A graphics object (pen, brush, font, bitmap, region, palette). Made by the
// Create functions, freed by DeleteObject; the backend owns it in between.
// Handles of objects already freed may still be passed around (the original
// platform allows it): the classes are therefore not polymorphic, so that
// converting such a handle never reads the object.
class TGdiObject {
public:
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    uint8_t ObjectType() const { return FObjectType; }

protected:
    explicit TGdiObject(uint8_t type) : FObjectType(type) {}
    ~TGdiObject() = default;

private:
    uint8_t FObjectType;
};

class TGdiPen : public TGdiObject {
protected:
    TGdiPen() : TGdiObject(OBJ_PEN) {}
    ~TGdiPen() = default;
};
class TGdiBrush : public TGdiObject {
protected:
    TGdiBrush() : TGdiObject(OBJ_BRUSH) {}
    ~TGdiBrush() = default;
};
class TGdiFont : public TGdiObject {
protected:
    TGdiFont() : TGdiObject(OBJ_FONT) {}
    ~TGdiFont() = default;
};
class TGdiBitmap : public TGdiObject {
protected:
    TGdiBitmap() : TGdiObject(OBJ_BITMAP) {}
    ~TGdiBitmap() = default;
};
class TGdiRegion : public TGdiObject {
protected:
    TGdiRegion() : TGdiObject(OBJ_REGION) {}
    ~TGdiRegion() = default;
};
class TGdiPalette : public TGdiObject {
protected:
    TGdiPalette() : TGdiObject(OBJ_PAL) {}
    ~TGdiPalette() = default;
};

// A device context: drawing state over a bitmap, a window surface, a PDF file,
// or the screen (measuring only).
class TDeviceContext {
public:
    virtual ~TDeviceContext() = default;
    TDeviceContext(const TDeviceContext&) = delete;
    TDeviceContext& operator=(const TDeviceContext&) = delete;

protected:
    TDeviceContext() = default;
};

using HGDIOBJ = TGdiObject*;
using HPEN = TGdiPen*;
using HBRUSH = TGdiBrush*;
using HFONT = TGdiFont*;
using HBITMAP = TGdiBitmap*;
using HRGN = TGdiRegion*;
using HPALETTE = TGdiPalette*;
using HDC = TDeviceContext*;

// --- Fonts ---------------------------------------------------------------

constexpr int LF_FACESIZE = 32;  // face names hold at most 31 characters

constexpr int32_t FW_DONTCARE = 0;
constexpr int32_t FW_THIN = 100;
constexpr int32_t FW_EXTRALIGHT = 200;
constexpr int32_t FW_LIGHT = 300;
constexpr int32_t FW_NORMAL = 400;
constexpr int32_t FW_MEDIUM = 500;
constexpr int32_t FW_SEMIBOLD = 600;
constexpr int32_t FW_BOLD = 700;
constexpr int32_t FW_EXTRABOLD = 800;
constexpr int32_t FW_HEAVY = 900;

// Pitch (low 2 bits) and family (high nibble) of lfPitchAndFamily.
constexpr uint8_t DEFAULT_PITCH = 0;
constexpr uint8_t FIXED_PITCH = 1;
constexpr uint8_t VARIABLE_PITCH = 2;
constexpr uint8_t FF_DONTCARE = 0x00;
constexpr uint8_t FF_ROMAN = 0x10;
constexpr uint8_t FF_SWISS = 0x20;
constexpr uint8_t FF_MODERN = 0x30;
constexpr uint8_t FF_SCRIPT = 0x40;
constexpr uint8_t FF_DECORATIVE = 0x50;

// tmPitchAndFamily bits. TMPF_FIXED_PITCH set means a VARIABLE pitch font, as
// the original defines it.
constexpr uint8_t TMPF_FIXED_PITCH = 0x01;
constexpr uint8_t TMPF_VECTOR = 0x02;
constexpr uint8_t TMPF_TRUETYPE = 0x04;
constexpr uint8_t TMPF_DEVICE = 0x08;

// Font types reported by enumeration.
constexpr uint32_t RASTER_FONTTYPE = 0x0001;
constexpr uint32_t DEVICE_FONTTYPE = 0x0002;
constexpr uint32_t TRUETYPE_FONTTYPE = 0x0004;

constexpr uint8_t OUT_DEFAULT_PRECIS = 0;
constexpr uint8_t OUT_TT_PRECIS = 4;
constexpr uint8_t OUT_TT_ONLY_PRECIS = 7;
constexpr uint8_t CLIP_DEFAULT_PRECIS = 0;
constexpr uint8_t DEFAULT_QUALITY = 0;
constexpr uint8_t ANTIALIASED_QUALITY = 4;

// A logical font. lfHeight < 0 asks for an em height of -lfHeight device
// units, > 0 for a cell height (ascent + descent) of lfHeight, 0 for the
// default size. lfWidth > 0 scales the font horizontally so that its average
// character width becomes lfWidth. The character-set constants are those of
// platform/runtime/CodePages.h.
struct LOGFONT {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = FW_NORMAL;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = OUT_DEFAULT_PRECIS;
    uint8_t lfClipPrecision = CLIP_DEFAULT_PRECIS;
    uint8_t lfQuality = DEFAULT_QUALITY;
    uint8_t lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::string lfFaceName;  // code page 1252; longer names are cut to 31 characters
};

// Metrics of a realised font, in device units.
struct TEXTMETRIC {
    int32_t tmHeight = 0;           // ascent + descent
    int32_t tmAscent = 0;           // above the baseline, internal leading included
    int32_t tmDescent = 0;
    int32_t tmInternalLeading = 0;  // height - em height
    int32_t tmExternalLeading = 0;  // extra space the font asks between lines
    int32_t tmAveCharWidth = 0;
    int32_t tmMaxCharWidth = 0;
    int32_t tmWeight = 0;
    int32_t tmOverhang = 0;
    int32_t tmDigitizedAspectX = 0;
    int32_t tmDigitizedAspectY = 0;
    uint8_t tmFirstChar = 0;
    uint8_t tmLastChar = 0;
    uint8_t tmDefaultChar = 0;
    uint8_t tmBreakChar = 0;
    uint8_t tmItalic = 0;
    uint8_t tmUnderlined = 0;
    uint8_t tmStruckOut = 0;
    uint8_t tmPitchAndFamily = 0;
    uint8_t tmCharSet = 0;
};

// One face in one character set, as enumeration reports it.
struct ENUMLOGFONTEX {
    LOGFONT elfLogFont;        // face name, character set, pitch and family, weight, italic
    std::string elfFullName;   // "Liberation Sans"
    std::string elfStyle;      // "Regular"
    std::string elfScript;     // "Western", "Central European", "Cyrillic", ...
};

// A kerning pair of the font's character set: the second character moves by
// iKernAmount device units (negative: closer).
struct KERNINGPAIR {
    uint16_t wFirst = 0;
    uint16_t wSecond = 0;
    int32_t iKernAmount = 0;
    friend bool operator==(const KERNINGPAIR&, const KERNINGPAIR&) = default;
};

// --- Text output ---------------------------------------------------------

constexpr uint32_t ETO_OPAQUE = 0x0002;
constexpr uint32_t ETO_CLIPPED = 0x0004;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr uint32_t TA_NOUPDATECP = 0;
constexpr uint32_t TA_UPDATECP = 1;
constexpr uint32_t TA_LEFT = 0;
constexpr uint32_t TA_RIGHT = 2;
constexpr uint32_t TA_CENTER = 6;
constexpr uint32_t TA_TOP = 0;
constexpr uint32_t TA_BOTTOM = 8;
constexpr uint32_t TA_BASELINE = 24;
constexpr uint32_t GDI_ERROR = 0xFFFFFFFF;

// --- Pens and brushes ----------------------------------------------------

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;        // 18 on, 6 off
constexpr int PS_DOT = 2;         // 3 on, 3 off
constexpr int PS_DASHDOT = 3;     // 9 on, 6 off, 3 on, 6 off
constexpr int PS_DASHDOTDOT = 4;  // 9, 3, 3, 3, 3, 3
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;
constexpr int PS_STYLE_MASK = 0x0F;

struct LOGPEN {
    uint32_t lopnStyle = PS_SOLID;
    TPoint lopnWidth;  // X holds the width
    COLORREF lopnColor = 0;
};

constexpr uint32_t BS_SOLID = 0;
constexpr uint32_t BS_NULL = 1;
constexpr uint32_t BS_HOLLOW = BS_NULL;
constexpr uint32_t BS_HATCHED = 2;
constexpr uint32_t BS_PATTERN = 3;

constexpr int HS_HORIZONTAL = 0;  // -----
constexpr int HS_VERTICAL = 1;    // |||||
constexpr int HS_FDIAGONAL = 2;   // \\\\\ (downwards from left to right)
constexpr int HS_BDIAGONAL = 3;   // ///// (upwards from left to right)
constexpr int HS_CROSS = 4;       // +++++
constexpr int HS_DIAGCROSS = 5;   // xxxxx

struct LOGBRUSH {
    uint32_t lbStyle = BS_SOLID;
    COLORREF lbColor = 0;
    int lbHatch = 0;
};

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int SYSTEM_FONT = 13;
constexpr int DEFAULT_PALETTE = 15;
constexpr int DEFAULT_GUI_FONT = 17;

// Mix modes of pens and brushes (SetROP2).
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

constexpr int AD_COUNTERCLOCKWISE = 1;
constexpr int AD_CLOCKWISE = 2;

// --- Regions -------------------------------------------------------------

constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Results of region operations.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// --- Raster operations ---------------------------------------------------

constexpr uint32_t SRCCOPY = 0x00CC0020;      // source
constexpr uint32_t SRCPAINT = 0x00EE0086;     // source OR destination
constexpr uint32_t SRCAND = 0x008800C6;       // source AND destination
constexpr uint32_t SRCINVERT = 0x00660046;    // source XOR destination
constexpr uint32_t SRCERASE = 0x00440328;     // source AND NOT destination
constexpr uint32_t NOTSRCCOPY = 0x00330008;   // NOT source
constexpr uint32_t NOTSRCERASE = 0x001100A6;  // NOT (source OR destination)
constexpr uint32_t MERGECOPY = 0x00C000CA;    // source AND pattern
constexpr uint32_t MERGEPAINT = 0x00BB0226;   // NOT source OR destination
constexpr uint32_t PATCOPY = 0x00F00021;      // pattern
constexpr uint32_t PATPAINT = 0x00FB0A09;     // pattern OR NOT source OR destination
constexpr uint32_t PATINVERT = 0x005A0049;    // pattern XOR destination
constexpr uint32_t DSTINVERT = 0x00550009;    // NOT destination
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// --- Bitmaps -------------------------------------------------------------

struct RGBQUAD {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
    friend bool operator==(const RGBQUAD&, const RGBQUAD&) = default;
};

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;

// The header of a device-independent bitmap. biHeight > 0: rows stored from
// the bottom up; < 0: from the top down. Rows are padded to 4 bytes.
struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = BI_RGB;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

// Header and colour table (1, 4 and 8 bits per pixel; for BI_BITFIELDS the
// three masks stand in the first three entries as 32-bit values).
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    std::vector<RGBQUAD> bmiColors;
};

constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t CBM_INIT = 4;

// Description of a bitmap (GetObject).
struct BITMAP {
    int32_t bmType = 0;
    int32_t bmWidth = 0;
    int32_t bmHeight = 0;
    int32_t bmWidthBytes = 0;  // bytes per row of the bitmap's storage
    uint16_t bmPlanes = 1;
    uint16_t bmBitsPixel = 0;
};

struct PALETTEENTRY {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
    friend bool operator==(const PALETTEENTRY&, const PALETTEENTRY&) = default;
};
constexpr uint8_t PC_RESERVED = 0x01;
constexpr uint8_t PC_EXPLICIT = 0x02;
constexpr uint8_t PC_NOCOLLAPSE = 0x04;

// --- Device capabilities -------------------------------------------------

constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;   // millimetres
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;    // pixels of the printable or visible area
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int ASPECTX = 40;
constexpr int ASPECTY = 42;
constexpr int ASPECTXY = 44;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int COLORRES = 108;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;

constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;

constexpr int RC_BITBLT = 0x0001;
constexpr int RC_BITMAP64 = 0x0008;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;
