#pragma once
// The picture of a document object, in two forms: the stored form (metafile
// bits, possibly zlib-compressed, or the PNG bytes of a bitmap) and, while the
// picture is in use, the drawable form (an enhanced metafile or a decoded
// bitmap), plus a cache of the picture resampled to its displayed size.
//
// The drawable forms of all documents together are bounded (TPictureMemory):
// drawing a picture unpacks it and packs the least-drawn one again when the
// bound is passed.
#include "platform/gdi/Metafile.h"

#include <cstdint>
#include <memory>
#include <vector>

class TDocObject;
class TJPEGImage;
class TObjectManager;
class TPNGImage;

// What the line painter hands an object to draw itself.
struct TObjectDrawInfo {
    TDocObject* Object = nullptr;
    // The printer or preview context (flag 4); the surface the page is
    // painted into otherwise.
    HDC TargetDC = nullptr;
    // The off-screen surface into which the page is painted.
    HDC DC = nullptr;
    TRect Rect;  // device units
    int32_t LineValues[2] = {0, 0};
    int32_t Paragraph = 0;
    int32_t LineValue = 0;
    uint8_t Flags = 0;
};
constexpr uint8_t odInSelection = 1;
constexpr uint8_t odSelectedObject = 2;  // draw the selection handles
constexpr uint8_t odPrinting = 4;        // printing or page preview

// The accounting of unpacked pictures over all documents, kept exact by every
// routine that packs or unpacks an image, and the bound of their memory.
class TPictureMemory {
public:
    TPictureMemory();
    int32_t Count = 0;
    int64_t Sum = 0;
    // Bit 4: unpack even when memory is full.
    uint32_t Flags = 0;
    TDocObject* LastDrawn = nullptr;
    // More unpacked pictures than CountLimit, or a sum above SizeLimit, is full.
    int32_t CountLimit = 48;
    int64_t SizeLimit = 0;
    // Uncompressed metafile bits of one document above this get compressed.
    int64_t CompressionThreshold = 0;

    bool IsFull() const { return Count > CountLimit || Sum > SizeLimit; }
    // True when the object's image is packed or memory is not full; else packs
    // the least-drawn unpacked picture of any document other than object, when
    // object was drawn last or that picture was drawn less, and says whether
    // it did.
    bool ReleaseOldestPicture(TDocObject* object);

    // The object managers of all documents.
    void Register(TObjectManager* manager);
    void Unregister(TObjectManager* manager);

private:
    std::vector<TObjectManager*> FManagers;
};
constexpr uint32_t pmForceUnpack = 4;
TPictureMemory& PictureMemory();

class TDocObjectImage {
public:
    explicit TDocObjectImage(TDocObject* owner);
    ~TDocObjectImage();
    TDocObjectImage(const TDocObjectImage&) = delete;
    TDocObjectImage& operator=(const TDocObjectImage&) = delete;

    // The memory the image holds, in bytes.
    int64_t MemorySize() const;
    // Packs (true) or unpacks (false); never raises: a failed step leaves the
    // image as far as it got, and a failed unpack leaves it packed.
    void SetCompressed(bool packed);
    // The PNG of the metafile rendered at the object's screen size.
    void BuildPngData();
    void Draw(const TObjectDrawInfo& info);
    // Makes the scaled cache ready; whether it is to be drawn.
    bool PrepareScaledCache(const TObjectDrawInfo& info);
    // The estimate of the unpacked form's memory.
    void UpdateUnpackedSize();

    std::vector<uint8_t> Data;  // stored form; empty: not made
    uint8_t Packed = 1;
    int64_t UnpackedSize = 0;
    int32_t DrawCount = 0;
    HENHMETAFILE Metafile = nullptr;  // kind 0, unpacked; owned
    std::vector<uint8_t> RenderedPng;
    METAFILEPICT MetafilePict;  // the header of Windows-metafile bits
    uint8_t WindowsMetafile = 0;
    uint8_t Zlib = 0;
    int32_t UncompressedSize = 0;
    std::unique_ptr<TPNGImage> Bitmap;  // kind 1, unpacked
    std::unique_ptr<TJPEGImage> JpegSource;
    std::unique_ptr<TPNGImage> ScaledCache;
    std::vector<uint8_t> ScaledCacheData;
    uint8_t PackedCacheDimmed = 0;
    uint8_t CacheDimmed = 0;
    uint8_t Kind = 0;  // 0 metafile, 1 bitmap
    TDocObject* Owner;

private:
    void Pack();
    void Unpack();
    void DrawThroughDib(const TObjectDrawInfo& info);
    void DrawPlaceholder(const TObjectDrawInfo& info);
};

// zlib of memory blocks at a level index (0 none, 1 fastest, 2 default, 3 best).
std::vector<uint8_t> CompressMemoryBlock(const std::vector<uint8_t>& data, int levelIndex);
// Raises on damaged data; sizeEstimate only reserves.
std::vector<uint8_t> DecompressMemoryBlock(const std::vector<uint8_t>& data, int32_t sizeEstimate);
// 3 (indexed colour) for bitmaps of 1, 4 or 8 bits per pixel or of at most
// 2,500 pixels; 2 (truecolour) otherwise.
uint8_t ChoosePngColorType(class TBitmap& bitmap);
