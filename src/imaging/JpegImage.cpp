#include "imaging/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include <jpeglib.h>

#include "imaging/PictureData.h"
#include "platform/framework/Picture.h"
#include "platform/gdi/Gdi.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

using namespace imaging;

namespace {

// JPEG coding runs one picture at a time, as with the program-wide contexts.
std::mutex gCodingLock;
int gUnitCount = 0;

// libjpeg's fatal errors jump back to the routine that started the work. The
// routines below keep every C++ object outside the region the jump crosses.
struct TErrorManager {
    jpeg_error_mgr Pub;
    jmp_buf Jump;
};

void ErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TErrorManager*>(info->err)->Jump, 1);
}

void NoMessage(j_common_ptr) {}

// The header of a JPEG: false when it cannot be read.
bool ReadHeader(const std::string& data, int32_t& width, int32_t& height)
{
    jpeg_decompress_struct info;
    TErrorManager err;
    info.err = jpeg_std_error(&err.Pub);
    err.Pub.error_exit = ErrorExit;
    err.Pub.output_message = NoMessage;
    jpeg_create_decompress(&info);
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    width = static_cast<int32_t>(info.image_width);
    height = static_cast<int32_t>(info.image_height);
    jpeg_destroy_decompress(&info);
    return true;
}

struct TDecoded {
    int32_t Width = 0, Height = 0;
    bool Quantized = false;
    std::vector<RGBQUAD> Colors;
    TDibImage Image;
};

// Decodes into out; false on a coding error. Damaged scans that libjpeg can
// get through (warnings) still give a picture, as the library decides.
bool DecodeJpeg(const std::string& data, TDecoded& out)
{
    jpeg_decompress_struct info;
    TErrorManager err;
    JSAMPROW volatile row = nullptr;
    info.err = jpeg_std_error(&err.Pub);
    err.Pub.error_exit = ErrorExit;
    err.Pub.output_message = NoMessage;
    jpeg_create_decompress(&info);
    // The library's working memory is bounded: a picture whose header asks for
    // more is refused as a coding error rather than exhausting memory.
    info.mem->max_memory_to_use = 512L * 1024 * 1024;
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&info);
        std::free(row);
        return false;
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    if (info.num_components == 1 || info.jpeg_color_space == JCS_GRAYSCALE) {
        info.out_color_space = JCS_GRAYSCALE;
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = 236;
    } else {
        // Colour pictures (CMYK and YCCK included) come out as RGB.
        info.out_color_space = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK
                                   ? JCS_CMYK
                                   : JCS_RGB;
    }
    jpeg_calc_output_dimensions(&info);
    const int64_t w = info.output_width, h = info.output_height;
    if (w <= 0 || h <= 0 || w * h > MaxDibPixels || w > 65535 || h > 65535) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    out.Width = static_cast<int32_t>(info.output_width);
    out.Height = static_cast<int32_t>(info.output_height);
    out.Quantized = info.quantize_colors != 0;
    const int comps = info.output_components;
    // Allocation failures inside these calls are C++ exceptions thrown past
    // no libjpeg frame (they happen here, between library calls).
    AllocateDib(out.Image, out.Width, out.Height, out.Quantized ? 8 : 24);
    if (out.Quantized) {
        out.Colors.clear();
        for (int i = 0; i < info.actual_number_of_colors; ++i) {
            const uint8_t r = info.colormap[0][i];
            const uint8_t g = info.out_color_components == 1 ? r : info.colormap[1][i];
            const uint8_t b = info.out_color_components == 1 ? r : info.colormap[2][i];
            out.Colors.push_back(Quad(r, g, b));
        }
    }
    row = static_cast<JSAMPROW>(std::malloc(static_cast<size_t>(out.Width) * static_cast<size_t>(comps)));
    if (!row)
        std::longjmp(err.Jump, 1);
    while (info.output_scanline < info.output_height) {
        const int32_t y = static_cast<int32_t>(info.output_scanline);
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&info, rows, 1) != 1)
            break;
        uint8_t* dst = out.Image.Row(y);
        if (out.Quantized) {
            std::memcpy(dst, row, static_cast<size_t>(out.Width));
        } else if (comps == 4) {
            // Adobe files store CMYK inverted; the common practice takes the
            // stored values as the amount of white.
            for (int32_t x = 0; x < out.Width; ++x) {
                const uint8_t* p = row + x * 4;
                dst[x * 3 + 0] = static_cast<uint8_t>(p[2] * p[3] / 255);
                dst[x * 3 + 1] = static_cast<uint8_t>(p[1] * p[3] / 255);
                dst[x * 3 + 2] = static_cast<uint8_t>(p[0] * p[3] / 255);
            }
        } else {
            for (int32_t x = 0; x < out.Width; ++x) {
                dst[x * 3 + 0] = row[x * 3 + 2];
                dst[x * 3 + 1] = row[x * 3 + 1];
                dst[x * 3 + 2] = row[x * 3 + 0];
            }
        }
    }
    std::free(row);
    row = nullptr;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool EncodeJpeg(const TDibImage& img24, std::string& out)
{
    jpeg_compress_struct info;
    TErrorManager err;
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    JSAMPROW volatile row = nullptr;
    info.err = jpeg_std_error(&err.Pub);
    err.Pub.error_exit = ErrorExit;
    err.Pub.output_message = NoMessage;
    jpeg_create_compress(&info);
    if (setjmp(err.Jump)) {
        jpeg_destroy_compress(&info);
        std::free(mem);
        std::free(row);
        return false;
    }
    jpeg_mem_dest(&info, &mem, &memSize);
    info.image_width = static_cast<JDIMENSION>(img24.Width);
    info.image_height = static_cast<JDIMENSION>(img24.Height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    // The defaults are the standard Huffman tables and YCbCr with luminance
    // sampled 2 x 2 (4:2:0); quality 90 scales the standard example
    // quantisation tables to 20 %, clamped to baseline.
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 2;
    info.comp_info[1].h_samp_factor = info.comp_info[1].v_samp_factor = 1;
    info.comp_info[2].h_samp_factor = info.comp_info[2].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    row = static_cast<JSAMPROW>(std::malloc(static_cast<size_t>(img24.Width) * 3));
    if (!row)
        std::longjmp(err.Jump, 1);
    while (info.next_scanline < info.image_height) {
        const uint8_t* src = img24.Row(static_cast<int32_t>(info.next_scanline));
        for (int32_t x = 0; x < img24.Width; ++x) {
            row[x * 3 + 0] = src[x * 3 + 2];
            row[x * 3 + 1] = src[x * 3 + 1];
            row[x * 3 + 2] = src[x * 3 + 0];
        }
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    std::free(row);
    row = nullptr;
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out.assign(reinterpret_cast<char*>(mem), memSize);
    std::free(mem);
    return true;
}

}  // namespace

TJPEGImage::TJPEGImage() : FImage(std::make_shared<TJPEGData>()) {}

TJPEGImage::~TJPEGImage()
{
    if (FTempPal)
        DeleteObject(FTempPal);
}

void TJPEGImage::LoadBytes(std::string bytes)
{
    auto data = std::make_shared<TJPEGData>();
    FBitmap.reset();
    if (!bytes.empty()) {
        std::lock_guard<std::mutex> lock(gCodingLock);
        if (!ReadHeader(bytes, data->Width, data->Height))
            Abort();
        data->Data = std::make_unique<std::string>(std::move(bytes));
    }
    FImage = std::move(data);
    Changed();
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    LoadBytes(ReadRest(stream));
}

void TJPEGImage::ReadData(TStream& stream)
{
    const uint32_t size = stream.ReadDWord();
    if (static_cast<int64_t>(size) > stream.Size() - stream.Position())
        ReadPastEnd();
    std::string bytes(size, '\0');
    stream.ReadBuffer(bytes.data(), size);
    LoadBytes(std::move(bytes));
}

void TJPEGImage::Decode() const
{
    if (FBitmap || !FImage->Data)
        return;
    TDecoded decoded;
    {
        std::lock_guard<std::mutex> lock(gCodingLock);
        if (!DecodeJpeg(*FImage->Data, decoded))
            Abort();
    }
    auto bitmap = std::make_unique<TBitmap>();
    if (decoded.Quantized)
        decoded.Image.Colors = decoded.Colors;
    SetBitmapPixels(*bitmap, std::move(decoded.Image));
    FBitmap = std::move(bitmap);
}

TBitmap& TJPEGImage::Bitmap() const
{
    Decode();
    if (!FBitmap)
        FBitmap = std::make_unique<TBitmap>();
    return *FBitmap;
}

void TJPEGImage::FreeBitmap()
{
    FBitmap.reset();
}

int32_t TJPEGImage::ColorDepth() const
{
    return Bitmap().PixelFormat() == TPixelFormat::pf8bit ? 8 : 24;
}

std::string TJPEGImage::CompressedData() const
{
    return FImage->Data ? *FImage->Data : std::string();
}

void TJPEGImage::Compress()
{
    if (FImage->Data || !FBitmap || FBitmap->Empty())
        return;
    const TDibImage img = BitmapPixels24(*FBitmap);
    std::string bytes;
    {
        std::lock_guard<std::mutex> lock(gCodingLock);
        if (!EncodeJpeg(img, bytes))
            Abort();
    }
    auto data = std::make_shared<TJPEGData>();
    data->Width = img.Width;
    data->Height = img.Height;
    data->Data = std::make_unique<std::string>(std::move(bytes));
    FImage = std::move(data);
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    Compress();
    if (FImage->Data)
        stream.WriteString(*FImage->Data);
}

bool TJPEGImage::AssignTo(TGraphic& dest) const
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        bitmap->Assign(Bitmap());
        return true;
    }
    return false;
}

void TJPEGImage::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source)) {
        FImage = jpeg->FImage;
        FBitmap.reset();
        if (jpeg->FBitmap) {
            FBitmap = std::make_unique<TBitmap>();
            FBitmap->Assign(*jpeg->FBitmap);
        }
        Changed();
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        FImage = std::make_shared<TJPEGData>();
        FBitmap = std::make_unique<TBitmap>();
        FBitmap->Assign(*bitmap);
        FImage->Width = FBitmap->Width();
        FImage->Height = FBitmap->Height();
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect)
{
    TBitmap& bitmap = Bitmap();
    if (!bitmap.Empty())
        canvas.StretchDraw(rect, bitmap);
}

bool TJPEGImage::Empty() const
{
    if (FImage->Data)
        return false;
    return !FBitmap || FBitmap->Empty();
}

int32_t TJPEGImage::Width() const
{
    return FBitmap ? FBitmap->Width() : FImage->Width;
}

int32_t TJPEGImage::Height() const
{
    return FBitmap ? FBitmap->Height() : FImage->Height;
}

HPALETTE TJPEGImage::Palette() const
{
    if (FBitmap)
        return FBitmap->Palette();
    if (FTempPal)
        return FTempPal;
    HDC screen = GetScreenDC();
    if (GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES) <= 8) {
        // A halftone palette for a screen of 256 colours or fewer.
        std::vector<PALETTEENTRY> entries;
        for (const RGBQUAD& q : StandardColorTable(8))
            entries.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue, 0});
        FTempPal = CreatePalette(entries);
        return FTempPal;
    }
    return nullptr;
}

void TJPEGImage::SetPalette(HPALETTE palette)
{
    if (palette == FPalette)
        return;
    const bool dropped = FBitmap && palette != FBitmap->Palette();
    if (dropped)
        FBitmap.reset();
    FPalette = palette;
    if (dropped)
        Changed();
}

void InitializeJpegImageUnit()
{
    if (gUnitCount++ == 0) {
        TPicture::RegisterFileFormat("jpeg", "Images JPEG", GraphicClassOf<TJPEGImage>("TJPEGImage"));
        TPicture::RegisterFileFormat("jpg", "Images JPEG", GraphicClassOf<TJPEGImage>("TJPEGImage"));
    }
}

void FinalizeJpegImageUnit()
{
    if (gUnitCount > 0 && --gUnitCount == 0)
        TPicture::UnregisterGraphicClass("TJPEGImage");
}
