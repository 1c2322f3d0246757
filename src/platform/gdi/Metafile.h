#pragma once
// Metafiles: enhanced metafiles (EMF) and 16-bit Windows metafiles (WMF, with
// a METAFILEPICT header or a placeable file header), kept as their record
// bits, played into a rectangle of any device context, and recorded.
//
// An enhanced-metafile handle always holds enhanced-metafile bits. A Windows
// metafile made into one (SetWinMetaFileBits) is carried inside an enhanced
// metafile as the standard "Windows metafile" comment record, framed by the
// METAFILEPICT header; playing it plays the Windows records into the frame.
//
// Records are bounds-checked one by one: a damaged metafile plays as far as
// its records are sound, and a record that lies about its size ends the play.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/Dib.h"
#include "platform/gdi/GdiTypes.h"

// Mapping modes.
constexpr int32_t MM_TEXT = 1;
constexpr int32_t MM_LOMETRIC = 2;
constexpr int32_t MM_HIMETRIC = 3;
constexpr int32_t MM_LOENGLISH = 4;
constexpr int32_t MM_HIENGLISH = 5;
constexpr int32_t MM_TWIPS = 6;
constexpr int32_t MM_ISOTROPIC = 7;
constexpr int32_t MM_ANISOTROPIC = 8;

// The header of a Windows metafile on the clipboard or in a document: its
// mapping mode and extents (0.01 mm for the isotropic and anisotropic modes;
// 0 or negative: no suggested size).
struct METAFILEPICT {
    int32_t mm = MM_ANISOTROPIC;
    int32_t xExt = 0;
    int32_t yExt = 0;
    uint32_t hMF = 0;
};

// The first record of an enhanced metafile, as far as callers use it.
struct ENHMETAHEADER {
    TRect rclBounds;        // device units of the reference device, inclusive
    TRect rclFrame;         // 0.01 mm, inclusive
    uint32_t nBytes = 0;
    uint32_t nRecords = 0;
    uint16_t nHandles = 0;
    TSize szlDevice;        // reference device, pixels
    TSize szlMillimeters;   // reference device, millimetres
};

class TEnhMetafileData;
using HENHMETAFILE = TEnhMetafileData*;

// A metafile from enhanced-metafile bits; nullptr when they are not one
// (no header record, wrong signature, sizes out of range).
HENHMETAFILE SetEnhMetaFileBits(uint32_t size, const uint8_t* bits);
// A metafile from Windows-metafile bits (without the placeable header) and
// its METAFILEPICT header (null: anisotropic, no suggested size). ref, when
// given, is the reference device (the screen otherwise). nullptr when the
// bits are not a Windows metafile.
HENHMETAFILE SetWinMetaFileBits(uint32_t size, const uint8_t* bits, HDC ref, const METAFILEPICT* mfp);
// The enhanced-metafile bits: with bits null, their size; else copies up to
// size bytes and returns the number copied (0 for a bad handle).
uint32_t GetEnhMetaFileBits(HENHMETAFILE metafile, uint32_t size, uint8_t* bits);
// The Windows-metafile bits the metafile was made from (empty when it was
// made from enhanced bits).
std::vector<uint8_t> GetWinMetaFileBitsOf(HENHMETAFILE metafile);
bool GetEnhMetaFileHeader(HENHMETAFILE metafile, ENHMETAHEADER* header);
HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE metafile);
bool DeleteEnhMetaFile(HENHMETAFILE metafile);

// Plays the metafile into rect (logical units of dc): its frame fills the
// rectangle. The state of dc (objects, colours, modes, clip) is the same
// afterwards. False for a bad handle or context.
bool PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const TRect& rect);

// Records an enhanced metafile. The frame (0.01 mm) and the reference device
// (the screen when ref is null) go into its header; drawing is given in
// device units of the reference device.
class TEnhMetafileRecorder {
public:
    TEnhMetafileRecorder(HDC ref, const TRect& frame);
    // Fills a rectangle with a solid colour.
    void FillRect(const TRect& rect, COLORREF color);
    // Draws a bitmap's pixels stretched into rect.
    void StretchDib(const TRect& rect, const TDibImage& image);
    // Draws a bitmap's pixels into rect, except those of the transparent colour.
    void TransparentDib(const TRect& rect, const TDibImage& image, COLORREF transparent);
    // Ends the recording: the metafile, or nullptr when it cannot be made.
    HENHMETAFILE Close();

private:
    void Record(uint32_t type, const std::string& body);
    std::string FRecords;
    uint32_t FCount = 1;
    TRect FFrame;
    TRect FBounds;
    bool FHasBounds = false;
    TSize FDevice;
    TSize FMillimeters;
};

// The frame (0.01 mm) of a picture of width x height pixels of the reference
// device (the screen when ref is null), rounded up so that the frame converted
// back to pixels gives the same size.
TRect FrameOfPixelSize(HDC ref, int32_t width, int32_t height);

// Reads the bits of a metafile file: enhanced, placeable Windows metafile
// (0x9AC6CDD7 header) or plain Windows metafile. nullptr when it is none.
// inch receives the placeable header's units per inch (0 for the others).
HENHMETAFILE MetafileFromFileBits(const std::vector<uint8_t>& data, uint16_t* inch = nullptr);
