#include "imaging/PngImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/PictureData.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"
#include "platform/win/Geometry.h"

using namespace imaging;

namespace {

const char kSignature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1A', '\n'};

template <class T>
TChunkClass ChunkClassOf(const char* type)
{
    return {type, [](TChunkList* owner) { return std::unique_ptr<TChunk>(std::make_unique<T>(owner)); }};
}

const std::vector<TChunkClass>& ChunkClasses()
{
    static const std::vector<TChunkClass> classes = {
        ChunkClassOf<TChunkIEND>("IEND"), ChunkClassOf<TChunkIHDR>("IHDR"), ChunkClassOf<TChunkGAMA>("gAMA"),
        ChunkClassOf<TChunkIDAT>("IDAT"), ChunkClassOf<TChunkPLTE>("PLTE")};
    return classes;
}

// Samples per pixel of a colour type, 0 for a type that does not exist.
int SamplesOf(int colorType)
{
    switch (colorType) {
    case 0: case 3: return 1;
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 0;
    }
}

// Whether the pair of colour type and bit depth exists in PNG.
bool ValidDepth(int colorType, int depth)
{
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2: case 4: case 6: return depth == 8 || depth == 16;
    default: return false;
    }
}

uint8_t Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    if (pb <= pc)
        return static_cast<uint8_t>(b);
    return static_cast<uint8_t>(c);
}

// Undoes a row filter in place against the previous row.
void Unfilter(int type, uint8_t* row, const uint8_t* prior, size_t count, size_t unit)
{
    switch (type) {
    case 0: break;
    case 1:
        for (size_t i = unit; i < count; ++i)
            row[i] = static_cast<uint8_t>(row[i] + row[i - unit]);
        break;
    case 2:
        for (size_t i = 0; i < count; ++i)
            row[i] = static_cast<uint8_t>(row[i] + prior[i]);
        break;
    case 3:
        for (size_t i = 0; i < count; ++i)
            row[i] = static_cast<uint8_t>(row[i] + (((i >= unit ? row[i - unit] : 0) + prior[i]) >> 1));
        break;
    case 4:
        for (size_t i = 0; i < count; ++i) {
            const int a = i >= unit ? row[i - unit] : 0;
            const int c = i >= unit ? prior[i - unit] : 0;
            row[i] = static_cast<uint8_t>(row[i] + Paeth(a, prior[i], c));
        }
        break;
    default: Abort();
    }
}

// Applies a row filter: out gets the filtered bytes of row.
void Filter(int type, const uint8_t* row, const uint8_t* prior, size_t count, size_t unit, uint8_t* out)
{
    for (size_t i = 0; i < count; ++i) {
        const int a = i >= unit ? row[i - unit] : 0;
        const int c = i >= unit ? prior[i - unit] : 0;
        int pred = 0;
        switch (type) {
        case 1: pred = a; break;
        case 2: pred = prior[i]; break;
        case 3: pred = (a + prior[i]) >> 1; break;
        case 4: pred = Paeth(a, prior[i], c); break;
        default: break;
        }
        out[i] = static_cast<uint8_t>(row[i] - pred);
    }
}

// Score of a filtered row: positions from 4 on whose byte equals each of the
// four bytes before it.
int RunScore(const uint8_t* data, size_t count)
{
    int score = 0;
    for (size_t i = 4; i < count; ++i)
        if (data[i] == data[i - 1] && data[i] == data[i - 2] && data[i] == data[i - 3] && data[i] == data[i - 4])
            ++score;
    return score;
}

int gUnitCount = 0;

}  // namespace

// --- Chunks ---------------------------------------------------------------

TChunk::TChunk(TChunkList* owner) : FOwner(owner) {}

TPNGImage& TChunk::Image() const
{
    return FOwner->Owner();
}

void TChunk::Assign(const TChunk& source)
{
    Data = source.Data;
    Type = source.Type;
}

void TChunk::SaveToStream(TStream& stream)
{
    if (Type.size() != 4 || Type[3] < 'A' || Type[3] > 'Z')
        return;
    std::string out;
    PutBE32(out, static_cast<uint32_t>(Data.size()));
    out += Type;
    out += Data;
    const uint32_t crc = Crc32(0, out.data() + 4, out.size() - 4);
    PutBE32(out, crc);
    stream.WriteString(out);
}

TChunkIHDR::TChunkIHDR(TChunkList* owner) : TChunk(owner)
{
    SetTypeFromClass("IHDR");
    Data.assign(13, '\0');
}

uint32_t TChunkIHDR::Width() const
{
    return Data.size() >= 4 ? GetBE32(reinterpret_cast<const uint8_t*>(Data.data())) : 0;
}

uint32_t TChunkIHDR::Height() const
{
    return Data.size() >= 8 ? GetBE32(reinterpret_cast<const uint8_t*>(Data.data()) + 4) : 0;
}

void TChunkIHDR::SetField(size_t i, uint8_t v)
{
    if (Data.size() < 13)
        Data.resize(13, '\0');
    Data[i] = static_cast<char>(v);
}

void TChunkIHDR::SetWidth(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        SetField(static_cast<size_t>(i), static_cast<uint8_t>(v >> (24 - 8 * i)));
}

void TChunkIHDR::SetHeight(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        SetField(static_cast<size_t>(4 + i), static_cast<uint8_t>(v >> (24 - 8 * i)));
}

void TChunkIHDR::SaveToStream(TStream& stream)
{
    TPNGImage& image = Image();
    Data.assign(13, '\0');
    SetWidth(static_cast<uint32_t>(image.Width()));
    SetHeight(static_cast<uint32_t>(image.Height()));
    switch (image.PixelFormat()) {
    case TPixelFormat::pf1bit: SetBitDepth(1); SetColorType(3); break;
    case TPixelFormat::pf4bit: SetBitDepth(4); SetColorType(3); break;
    case TPixelFormat::pf8bit: SetBitDepth(8); SetColorType(3); break;
    default:
        if (!image.Empty())
            image.SetPixelFormat(TPixelFormat::pf24bit);
        SetBitDepth(8);
        SetColorType(2);
        break;
    }
    SetCompressionMethod(0);
    SetFilterMethod(0);
    SetInterlaceMethod(image.Interlacing());
    TChunk::SaveToStream(stream);
}

TChunkPLTE::TChunkPLTE(TChunkList* owner) : TChunk(owner)
{
    SetTypeFromClass("PLTE");
}

void TChunkPLTE::SaveToStream(TStream& stream)
{
    TPNGImage& image = Image();
    Data.clear();
    const TChunkGAMA* gamma = Owner()->Find<TChunkGAMA>();
    const std::vector<RGBQUAD> colors = image.PixelFormat() == TPixelFormat::pf1bit ||
                                                image.PixelFormat() == TPixelFormat::pf4bit ||
                                                image.PixelFormat() == TPixelFormat::pf8bit
                                            ? image.ColorTable()
                                            : std::vector<RGBQUAD>();
    if (colors.empty())
        return;  // without a palette the chunk writes nothing at all
    for (const RGBQUAD& q : colors) {
        const uint8_t rgb[3] = {q.rgbRed, q.rgbGreen, q.rgbBlue};
        for (uint8_t v : rgb)
            Data += static_cast<char>(gamma ? gamma->Inverse[v] : v);
    }
    TChunk::SaveToStream(stream);
}

TChunkGAMA::TChunkGAMA(TChunkList* owner) : TChunk(owner)
{
    SetTypeFromClass("gAMA");
    Data.assign(4, '\0');
    SetGamma(1);
}

uint32_t TChunkGAMA::Gamma() const
{
    return Data.size() >= 4 ? GetBE32(reinterpret_cast<const uint8_t*>(Data.data())) : 0;
}

void TChunkGAMA::SetGamma(uint32_t value)
{
    std::string d;
    PutBE32(d, value);
    Data = d;
}

void TChunkGAMA::AfterLoad()
{
    // A gamma of 0 makes the exponent infinite: pow then gives 0 below 1 and
    // 1 at 1, with no division fault (the exponent is a floating-point value).
    const double g = static_cast<double>(Gamma());
    Inverse.fill(0);
    for (int i = 0; i < 256; ++i) {
        const double v = std::round(255.0 * std::pow(i / 255.0, 1.0 / (g * 0.00001 * 2.2)));
        const uint8_t b = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
        Forward[static_cast<size_t>(i)] = b;
        Inverse[b] = static_cast<uint8_t>(i);
    }
}

void TChunkGAMA::Assign(const TChunk& source)
{
    TChunk::Assign(source);
    if (const auto* g = dynamic_cast<const TChunkGAMA*>(&source)) {
        Forward = g->Forward;
        Inverse = g->Inverse;
    }
}

TChunkIEND::TChunkIEND(TChunkList* owner) : TChunk(owner)
{
    SetTypeFromClass("IEND");
}

TChunkIDAT::TChunkIDAT(TChunkList* owner) : TChunk(owner)
{
    SetTypeFromClass("IDAT");
}

void TChunkIDAT::AfterLoad()
{
    Decode();
}

void TChunkIDAT::Decode()
{
    TPNGImage& image = Image();
    const TChunkIHDR* header = Owner()->Find<TChunkIHDR>();
    // A header of another length than 13 bytes is no header.
    if (!header || header->Data.size() != 13)
        Abort();
    const int colorType = header->ColorType();
    const int depth = header->BitDepth();
    const int samples = SamplesOf(colorType);
    if (samples == 0 || !ValidDepth(colorType, depth))
        Abort();
    if (header->InterlaceMethod() > 1)
        Abort();
    const int64_t width = header->Width(), height = header->Height();
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        Abort();
    const int bitsPerPixel = depth * samples;
    const size_t unit = static_cast<size_t>(std::max(1, bitsPerPixel / 8));
    const TChunkGAMA* gamma = Owner()->Find<TChunkGAMA>();

    int bitmapDepth = 24;
    std::vector<RGBQUAD> colors;
    auto greyRamp = [&](int n) {
        for (int i = 0; i < n; ++i) {
            uint8_t v = static_cast<uint8_t>(MulDiv(i, 255, n - 1));
            if (gamma)
                v = gamma->Forward[v];
            colors.push_back(Quad(v, v, v));
        }
    };
    if (colorType == 0 || colorType == 4) {
        bitmapDepth = depth == 1 ? 1 : depth <= 4 ? 4 : 8;
        greyRamp(depth >= 8 ? 256 : 1 << depth);
    } else if (colorType == 3) {
        bitmapDepth = depth == 1 ? 1 : depth <= 4 ? 4 : 8;
        const TChunkPLTE* plte = Owner()->Find<TChunkPLTE>();
        if (!plte || plte->Data.size() % 3 != 0)
            Abort();
        // A palette longer than the depth can index is cut to what it can.
        const size_t count = std::min<size_t>(plte->Data.size() / 3, size_t{1} << depth);
        for (size_t i = 0; i < count; ++i) {
            uint8_t rgb[3];
            for (int k = 0; k < 3; ++k) {
                const uint8_t v = static_cast<uint8_t>(plte->Data[i * 3 + static_cast<size_t>(k)]);
                rgb[k] = gamma ? gamma->Forward[v] : v;
            }
            colors.push_back(Quad(rgb[0], rgb[1], rgb[2]));
        }
    }
    if (depth == 2 && colors.size() < 16) {
        // 2-bit pixels live in a 4-bit bitmap as v * 5: the palette repeats its
        // first four entries four times so that entry v * 5 is entry v.
        std::vector<RGBQUAD> first(colors.begin(), colors.begin() + std::min<ptrdiff_t>(4, colors.size()));
        first.resize(4);
        colors.clear();
        for (int i = 0; i < 4; ++i)
            colors.insert(colors.end(), first.begin(), first.end());
    }
    CheckPictureSize(width, height, bitmapDepth);
    // The compressed data bounds what it can yield: zlib inflates at most
    // about 1032 bytes for one, so a picture far larger than its data is
    // refused before its pixels are allocated.
    const int64_t rowBytes = (width * bitsPerPixel + 7) / 8;
    if ((rowBytes + 1) * height > static_cast<int64_t>(Data.size()) * 1100 + 65536)
        ReadPastEnd();

    TDibImage img;
    AllocateDib(img, static_cast<int32_t>(width), static_cast<int32_t>(height), bitmapDepth);
    if (bitmapDepth <= 8)
        img.Colors = colors;

    TInflater inflater(Data);
    // Converts one unfiltered row of pass pixels into the bitmap: pixel k of
    // the row goes to column x0 + k * dx of row y.
    auto storeRow = [&](const uint8_t* row, int32_t y, int64_t passWidth, int64_t x0, int64_t dx) {
        uint8_t* dst = img.Row(y);
        for (int64_t k = 0; k < passWidth; ++k) {
            const int64_t x = x0 + k * dx;
            if (bitmapDepth == 24) {
                const size_t step = static_cast<size_t>(depth / 8);
                const uint8_t* p = row + static_cast<size_t>(k) * static_cast<size_t>(samples) * step;
                uint8_t r = p[0], g = p[step], b = p[2 * step];
                if (gamma) {
                    r = gamma->Forward[r];
                    g = gamma->Forward[g];
                    b = gamma->Forward[b];
                }
                uint8_t* q = dst + x * 3;
                q[0] = b;
                q[1] = g;
                q[2] = r;
                continue;
            }
            uint32_t v;
            if (depth >= 8) {
                // 8 or 16 bits: the first (high) byte of the pixel's first sample.
                v = row[static_cast<size_t>(k) * static_cast<size_t>(samples) * static_cast<size_t>(depth / 8)];
            } else {
                const int64_t bit = k * depth;
                v = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
                if (depth == 2)
                    v = static_cast<uint32_t>(MulDiv(static_cast<int32_t>(v), 15, 3));
            }
            if (bitmapDepth == 8) {
                dst[x] = static_cast<uint8_t>(v);
            } else if (bitmapDepth == 4) {
                const int shift = (x & 1) ? 0 : 4;
                dst[x / 2] = static_cast<uint8_t>((dst[x / 2] & ~(0xF << shift)) | (v << shift));
            } else {
                const int shift = 7 - static_cast<int>(x & 7);
                dst[x / 8] = static_cast<uint8_t>((dst[x / 8] & ~(1 << shift)) | (v << shift));
            }
        }
    };
    auto readPass = [&](int64_t x0, int64_t y0, int64_t dx, int64_t dy) {
        if (x0 >= width || y0 >= height)
            return;  // a pass without pixels has no rows
        const int64_t passWidth = (width - x0 + dx - 1) / dx;
        const size_t bytes = static_cast<size_t>((passWidth * bitsPerPixel + 7) / 8);
        std::vector<uint8_t> row(bytes + 1), prior(bytes, 0);
        for (int64_t y = y0; y < height; y += dy) {
            inflater.ReadExact(row.data(), bytes + 1);
            Unfilter(row[0], row.data() + 1, prior.data(), bytes, unit);
            storeRow(row.data() + 1, static_cast<int32_t>(y), passWidth, x0, dx);
            std::memcpy(prior.data(), row.data() + 1, bytes);
        }
    };
    if (header->InterlaceMethod() == 0) {
        readPass(0, 0, 1, 1);
    } else {
        static const int kRow0[7] = {0, 0, 4, 0, 2, 0, 1}, kCol0[7] = {0, 4, 0, 2, 0, 1, 0};
        static const int kRowStep[7] = {8, 8, 8, 4, 4, 2, 2}, kColStep[7] = {8, 8, 4, 4, 2, 2, 1};
        for (int p = 0; p < 7; ++p)
            readPass(kCol0[p], kRow0[p], kColStep[p], kRowStep[p]);
    }
    SetBitmapPixels(image, std::move(img));
}

void TChunkIDAT::SaveToStream(TStream& stream)
{
    Encode();
    TChunk::SaveToStream(stream);
}

void TChunkIDAT::Encode()
{
    TPNGImage& image = Image();
    Data.clear();
    TDibImage img = BitmapPixels(image);
    const TChunkGAMA* gamma = Owner()->Find<TChunkGAMA>();
    TDeflater deflater(image.CompressionLevel());
    if (!img.Empty()) {
        const int depth = img.BitCount;  // 1, 4, 8 or 24 (the header made it so)
        const size_t bytes = static_cast<size_t>((static_cast<int64_t>(img.Width) * depth + 7) / 8);
        const size_t unit = static_cast<size_t>(std::max(1, depth / 8));
        std::vector<uint8_t> raw(bytes), prior(bytes, 0), best(bytes), trial(bytes);
        const uint8_t filters = image.Filters();
        for (int32_t y = 0; y < img.Height; ++y) {
            const uint8_t* src = img.Row(y);
            if (depth == 24) {
                for (size_t i = 0; i + 2 < bytes; i += 3) {
                    uint8_t r = src[i + 2], g = src[i + 1], b = src[i];
                    if (gamma) {
                        r = gamma->Inverse[r];
                        g = gamma->Inverse[g];
                        b = gamma->Inverse[b];
                    }
                    raw[i] = r;
                    raw[i + 1] = g;
                    raw[i + 2] = b;
                }
            } else {
                std::memcpy(raw.data(), src, bytes);
            }
            uint8_t chosen = 0;
            std::memcpy(best.data(), raw.data(), bytes);
            if (filters != pfNone) {
                int bestScore = (filters & pfNone) ? RunScore(raw.data(), bytes) : -1;
                for (int type = 1; type <= 4; ++type) {
                    if (!(filters & (1 << type)))
                        continue;
                    Filter(type, raw.data(), prior.data(), bytes, unit, trial.data());
                    const int score = RunScore(trial.data(), bytes);
                    if (score > bestScore) {
                        bestScore = score;
                        chosen = static_cast<uint8_t>(type);
                        best.swap(trial);
                    }
                }
            }
            deflater.Write(&chosen, 1);
            deflater.Write(best.data(), bytes);
            prior.swap(raw);
        }
    }
    Data = deflater.Finish();
}

// --- Chunk list -----------------------------------------------------------

void TChunkList::Insert(int32_t index, std::unique_ptr<TChunk> chunk)
{
    index = std::clamp(index, 0, Count());
    FItems.insert(FItems.begin() + index, std::move(chunk));
}

int32_t TChunkList::IndexOf(const TChunk* chunk) const
{
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == chunk)
            return static_cast<int32_t>(i);
    return -1;
}

const TChunkClass* FindChunkClass(const std::string& type)
{
    for (const TChunkClass& c : ChunkClasses())
        if (c.Type == type)
            return &c;
    return nullptr;
}

// --- The picture ----------------------------------------------------------

TPNGImage::TPNGImage() : FChunks(std::make_unique<TChunkList>(this))
{
    ResetChunks();
}

TPNGImage::~TPNGImage() = default;

uint8_t TPNGImage::ColorType()
{
    switch (PixelFormat()) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: return 3;
    default: return 2;
    }
}

void TPNGImage::ResetChunks()
{
    FChunks->Clear();
    TChunkIHDR& header = FChunks->AddNew<TChunkIHDR>();
    header.SetBitDepth(2);
    header.SetColorType(3);
    FChunks->AddNew<TChunkIDAT>();
    FChunks->AddNew<TChunkIEND>();
}

void TPNGImage::LoadFromStream(TStream& stream)
{
    ResetChunks();
    FChunks->Clear();
    char signature[8];
    stream.ReadBuffer(signature, 8);
    if (std::memcmp(signature, kSignature, 8) != 0)
        Abort();
    const int64_t size = stream.Size();
    TChunkIDAT* idat = nullptr;
    while (stream.Position() < size) {
        uint8_t head[8];
        stream.ReadBuffer(head, 8);
        const uint32_t length = GetBE32(head);
        const std::string type(reinterpret_cast<char*>(head) + 4, 4);
        // A length past the end of the stream is a read past its end (and
        // never an allocation of up to 4 GiB).
        if (static_cast<int64_t>(length) > size - stream.Position())
            ReadPastEnd();
        const TChunkClass* cls = FindChunkClass(type);
        if (!cls) {
            stream.Seek(static_cast<int64_t>(length) + 4, TSeekOrigin::soCurrent);
            continue;
        }
        std::unique_ptr<TChunk> chunk = cls->Create(FChunks.get());
        chunk->Type = type;
        chunk->Data.resize(length);
        if (length > 0)
            stream.ReadBuffer(chunk->Data.data(), length);
        stream.Seek(4, TSeekOrigin::soCurrent);  // CRC, not checked
        const bool end = type == "IEND";
        if (type == "IDAT" && idat) {
            // Image data split over several chunks is one zlib stream.
            idat->Data += chunk->Data;
        } else {
            if (type == "IDAT")
                idat = static_cast<TChunkIDAT*>(chunk.get());
            FChunks->Add(std::move(chunk));
        }
        if (end)
            break;
    }
    if (FChunks->Count() == 0 || !dynamic_cast<TChunkIHDR*>(FChunks->Item(0)) || !idat)
        Abort();
    for (int32_t i = 0; i < FChunks->Count(); ++i)
        FChunks->Item(i)->AfterLoad();
    Changed();
}

void TPNGImage::SaveToStream(TStream& stream)
{
    stream.WriteBuffer(kSignature, 8);
    if (FChunks->Count() == 0)
        ResetChunks();
    if (!dynamic_cast<TChunkIHDR*>(FChunks->Item(0)))
        FChunks->Insert(0, std::make_unique<TChunkIHDR>(FChunks.get()));
    // The header converts the bitmap first when its format has no PNG form,
    // so the palette question is asked of the format it is written in.
    const TPixelFormat f = PixelFormat();
    const bool indexed = f == TPixelFormat::pf1bit || f == TPixelFormat::pf4bit || f == TPixelFormat::pf8bit;
    if (indexed && !FChunks->Find<TChunkPLTE>())
        FChunks->Insert(1, std::make_unique<TChunkPLTE>(FChunks.get()));
    if (!FChunks->Find<TChunkIEND>())
        FChunks->AddNew<TChunkIEND>();
    if (!FChunks->Find<TChunkIDAT>())
        FChunks->Insert(1, std::make_unique<TChunkIDAT>(FChunks.get()));
    for (int32_t i = 0; i < FChunks->Count(); ++i)
        FChunks->Item(i)->SaveToStream(stream);
}

void TPNGImage::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (const auto* png = dynamic_cast<const TPNGImage*>(&source)) {
        FChunks->Clear();
        for (int32_t i = 0; i < png->FChunks->Count(); ++i) {
            const TChunk* from = png->FChunks->Item(i);
            const TChunkClass* cls = FindChunkClass(from->Type);
            std::unique_ptr<TChunk> chunk =
                cls ? cls->Create(FChunks.get()) : std::make_unique<TChunk>(FChunks.get());
            chunk->Assign(*from);
            FChunks->Add(std::move(chunk));
        }
    }
    TBitmap::Assign(source);
}

void InitializePngImageUnit()
{
    if (gUnitCount++ == 0)
        TPicture::RegisterFileFormat("png", "Images PNG", GraphicClassOf<TPNGImage>("TPNGImage"));
}

void FinalizePngImageUnit()
{
    if (gUnitCount > 0 && --gUnitCount == 0)
        TPicture::UnregisterGraphicClass("TPNGImage");
}
