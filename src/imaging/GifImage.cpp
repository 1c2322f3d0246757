#include "imaging/GifImage.h"

#include <algorithm>
#include <cstring>

#include "imaging/PictureData.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Stream.h"

using namespace imaging;

namespace {

constexpr int32_t kNone = 0x1FFFFFFF;     // clNone
constexpr int32_t kDefault = 0x20000000;  // clDefault: the bottom-left pixel's colour
int gUnitCount = 0;

int32_t ColorOf(const TGIFColor& c)
{
    return c.R | (c.G << 8) | (c.B << 16);
}

// Bits of a table of count entries: the smallest n >= 1 with 2^n >= count.
int32_t TableBits(size_t count)
{
    int32_t n = 1;
    while ((size_t{1} << n) < count && n < 8)
        ++n;
    return n;
}

// Bits of a table of exactly 2, 4 ... 256 entries; 0 for another count.
int32_t ExactTableBits(size_t count)
{
    for (int32_t n = 1; n <= 8; ++n)
        if (count == (size_t{1} << n))
            return n;
    return 0;
}

std::vector<TGIFColor> ReadTable(TByteReader& in, size_t count)
{
    std::vector<TGIFColor> table(count);
    for (TGIFColor& c : table) {
        const std::string_view b = in.Bytes(3);
        c = {static_cast<uint8_t>(b[0]), static_cast<uint8_t>(b[1]), static_cast<uint8_t>(b[2])};
    }
    return table;
}

// Data sub-blocks up to a 0 length or the end of the data; each one a line.
std::vector<std::string> ReadSubBlocks(TByteReader& in)
{
    std::vector<std::string> lines;
    while (!in.AtEnd()) {
        const uint8_t n = in.Byte();
        if (n == 0)
            break;
        lines.emplace_back(in.Bytes(std::min<size_t>(n, in.Left())));
    }
    return lines;
}

std::vector<RGBQUAD> Quads(const std::vector<TGIFColor>& table)
{
    std::vector<RGBQUAD> q;
    for (const TGIFColor& c : table)
        q.push_back(Quad(c.R, c.G, c.B));
    return q;
}

// Reads LZW codes least significant bit first.
class TCodeReader {
public:
    explicit TCodeReader(std::string_view data) : FData(data) {}
    // False when the data ends first.
    bool Read(int width, int& code)
    {
        while (FBits < width) {
            if (FPos >= FData.size())
                return false;
            FAcc |= static_cast<uint32_t>(static_cast<uint8_t>(FData[FPos++])) << FBits;
            FBits += 8;
        }
        code = static_cast<int>(FAcc & ((1u << width) - 1));
        FAcc >>= width;
        FBits -= width;
        return true;
    }

private:
    std::string_view FData;
    size_t FPos = 0;
    uint32_t FAcc = 0;
    int FBits = 0;
};

// Packs LZW codes least significant bit first; the bytes are cut into
// sub-blocks when the frame is written.
class TCodeWriter {
public:
    void Write(int code, int width)
    {
        FAcc |= static_cast<uint32_t>(code) << FBits;
        FBits += width;
        while (FBits >= 8) {
            FOut += static_cast<char>(FAcc & 0xFF);
            FAcc >>= 8;
            FBits -= 8;
        }
    }
    std::string Finish()
    {
        if (FBits > 0)
            FOut += static_cast<char>(FAcc & 0xFF);
        FAcc = 0;
        FBits = 0;
        return std::move(FOut);
    }

private:
    uint32_t FAcc = 0;
    int FBits = 0;
    std::string FOut;
};

// Row of the n-th decoded row in an interlaced frame (passes starting at rows
// 0, 4, 2, 1 with steps 8, 8, 4, 2).
std::vector<int32_t> RowOrder(int32_t height, bool interlaced)
{
    std::vector<int32_t> order;
    order.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int32_t y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
        for (int32_t y = kStart[p]; y < height; y += kStep[p])
            order.push_back(y);
    return order;
}

}  // namespace

// --- LZW ------------------------------------------------------------------

bool DecodeGifLzw(const std::string& data, int32_t pixelCount, int32_t bitDepth, std::vector<uint8_t>& pixels)
{
    pixels.assign(static_cast<size_t>(pixelCount), 0);
    if (data.empty())
        return pixelCount == 0;
    int size = static_cast<uint8_t>(data[0]);
    bool damaged = false;
    if (size < 2 || size > 9) {
        size = std::clamp(size, 2, 9);
        damaged = true;
    }
    const int clear = 1 << size, end = clear + 1;
    const uint8_t mask = static_cast<uint8_t>((1u << bitDepth) - 1);
    std::vector<uint16_t> prefix(4096);
    std::vector<uint8_t> suffix(4096), stack(4097);
    for (int i = 0; i < clear; ++i)
        suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    int width = size + 1, free = clear + 2, prev = -1;
    uint8_t first = 0;
    int32_t out = 0;
    TCodeReader reader(std::string_view(data).substr(1));
    while (out < pixelCount) {
        int code;
        if (!reader.Read(width, code))
            return false;
        if (code == clear) {
            width = size + 1;
            free = clear + 2;
            prev = -1;
            continue;
        }
        if (code == end || damaged)
            break;
        if (prev < 0) {
            // The first code after a clear is a pixel of its own.
            if (code > clear)
                break;  // no string yet: damaged data
            first = static_cast<uint8_t>(code);
            pixels[static_cast<size_t>(out++)] = static_cast<uint8_t>(code & mask);
            prev = code;
            continue;
        }
        // A code above the free code has no string: the data is damaged.
        if (code > free)
            break;
        int cur = code;
        size_t depth = 0;
        if (code == free) {
            stack[depth++] = first;
            cur = prev;
        }
        while (cur >= clear) {
            if (depth >= 4096)
                return true;  // a string longer than the table: damaged
            stack[depth++] = suffix[static_cast<size_t>(cur)];
            cur = prefix[static_cast<size_t>(cur)];
        }
        stack[depth++] = static_cast<uint8_t>(cur);
        first = static_cast<uint8_t>(cur);
        while (depth > 0 && out < pixelCount)
            pixels[static_cast<size_t>(out++)] = static_cast<uint8_t>(stack[--depth] & mask);
        if (free < 4096) {
            prefix[static_cast<size_t>(free)] = static_cast<uint16_t>(prev);
            suffix[static_cast<size_t>(free)] = first;
            ++free;
            if (free == (1 << width) && width < 12)
                ++width;
        }
        prev = code;
    }
    return true;
}

std::string EncodeGifLzw(const std::vector<uint8_t>& pixels, int32_t bitsPerPixel)
{
    constexpr int kSlots = 17777;
    const int size = std::max(2, bitsPerPixel);
    const int clear = 1 << size, end = clear + 1;
    std::string out(1, static_cast<char>(size));
    TCodeWriter writer;
    int width = size + 1, free = clear + 2;
    struct TSlot {
        int Prefix = -1;
        int Pixel = 0;
        int Code = 0;
    };
    std::vector<TSlot> table(kSlots);
    auto put = [&](int code) {
        // The decoder widens its codes one code after the table reaches 2^width.
        if (free > (1 << width) && width < 12)
            ++width;
        writer.Write(code, width);
    };
    auto reset = [&] {
        std::fill(table.begin(), table.end(), TSlot{});
        width = size + 1;
        free = clear + 2;
    };
    writer.Write(clear, width);
    int cur = -1;
    uint32_t hash = 0;
    int length = 0;
    for (uint8_t p : pixels) {
        if (cur < 0) {
            cur = p;
            hash = static_cast<uint32_t>((p + 3) * 301);
            length = 1;
            continue;
        }
        const uint32_t h = static_cast<uint32_t>((static_cast<uint64_t>(hash) * static_cast<uint64_t>(p + length + 4)) % kSlots);
        uint32_t slot = h;
        bool found = false;
        while (table[slot].Prefix >= 0) {
            if (table[slot].Prefix == cur && table[slot].Pixel == p) {
                found = true;
                break;
            }
            slot = (slot + 1) % kSlots;
        }
        if (found) {
            cur = table[slot].Code;
            hash = h;
            ++length;
            continue;
        }
        put(cur);
        table[slot] = {cur, p, free};
        ++free;
        if (free >= 4094) {
            put(p);
            put(clear);
            reset();
            cur = -1;
            continue;
        }
        cur = p;
        hash = static_cast<uint32_t>((p + 3) * 301);
        length = 1;
    }
    if (cur >= 0)
        put(cur);
    put(end);
    return out + writer.Finish();
}

void ReduceColors(const std::vector<uint32_t>& pixels, int32_t count, std::vector<TGIFColor>& table,
                  std::vector<uint8_t>& indices)
{
    constexpr int kBuckets = 5191;
    constexpr size_t kMaxEntries = 2049;
    struct TEntry {
        TGIFColor Color;
        uint32_t Count = 0;
    };
    uint8_t mr = 0xFF, mg = 0xFF, mb = 0xFF;
    std::vector<TEntry> entries;
    std::vector<int32_t> buckets(kBuckets);
    std::vector<int32_t> entryOf(pixels.size());
    for (;;) {
        entries.clear();
        std::fill(buckets.begin(), buckets.end(), -1);
        bool full = false;
        for (size_t i = 0; i < pixels.size() && !full; ++i) {
            const TGIFColor c{static_cast<uint8_t>((pixels[i] >> 16) & mr), static_cast<uint8_t>((pixels[i] >> 8) & mg),
                              static_cast<uint8_t>(pixels[i] & mb)};
            uint32_t h = static_cast<uint32_t>((c.B + c.G) * (c.G + c.R) * (c.R + c.B)) % kBuckets;
            while (buckets[h] >= 0 && !(entries[static_cast<size_t>(buckets[h])].Color == c))
                h = (h + 1) % kBuckets;
            if (buckets[h] < 0) {
                if (entries.size() == kMaxEntries) {
                    full = true;
                    break;
                }
                buckets[h] = static_cast<int32_t>(entries.size());
                entries.push_back({c, 0});
            }
            ++entries[static_cast<size_t>(buckets[h])].Count;
            entryOf[i] = buckets[h];
        }
        if (!full)
            break;
        // Too many colours: one component keeps one bit less, blue first.
        if (mr < mg)
            mg = static_cast<uint8_t>(mg << 1);
        else if (mr <= mb)
            mb = static_cast<uint8_t>(mb << 1);
        else
            mr = static_cast<uint8_t>(mr << 1);
    }
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return entries[a].Count > entries[b].Count; });
    table.assign(static_cast<size_t>(count), TGIFColor{128, 128, 128});
    std::vector<uint8_t> indexOf(entries.size(), 0);
    const size_t used = std::min(order.size(), static_cast<size_t>(count));
    for (size_t k = 0; k < used; ++k) {
        table[k] = entries[order[k]].Color;
        indexOf[order[k]] = static_cast<uint8_t>(k);
    }
    for (size_t k = used; k < order.size(); ++k) {
        const TGIFColor& c = entries[order[k]].Color;
        int64_t best = -1;
        for (size_t j = 0; j < static_cast<size_t>(count); ++j) {
            const int64_t dr = c.R - table[j].R, dg = c.G - table[j].G, db = c.B - table[j].B;
            const int64_t d = dr * dr + dg * dg + db * db;
            if (best < 0 || d < best) {
                best = d;
                indexOf[order[k]] = static_cast<uint8_t>(j);
            }
        }
    }
    indices.resize(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        indices[i] = indexOf[static_cast<size_t>(entryOf[i])];
}

// --- Frames ---------------------------------------------------------------

TGIFFrame::TGIFFrame(TGIFImage* owner) : FOwner(owner), FItem(std::make_shared<TGIFItem>()) {}
TGIFFrame::~TGIFFrame() = default;

int32_t TGIFFrame::BitDepth() const
{
    const size_t count = LocalTable ? FItem->Colors.size() : FOwner->FData->Colors.size();
    const int32_t bits = LocalTable ? TableBits(count) : ExactTableBits(count);
    if (bits == 0)
        Abort();
    return bits;
}

bool TGIFFrame::Empty() const
{
    return !FBitmap && FItem->Data.empty();
}

TBitmap& TGIFFrame::Bitmap()
{
    if (!FBitmap)
        Decode();
    return *FBitmap;
}

void TGIFFrame::Decode()
{
    auto bitmap = std::make_unique<TBitmap>();
    if (!FItem->Data.empty()) {
        const int32_t bits = BitDepth();
        const int depth = bits == 1 ? 1 : bits <= 4 ? 4 : 8;
        CheckPictureSize(FItem->Width, FItem->Height, depth);
        std::vector<uint8_t> pixels;
        if (!DecodeGifLzw(FItem->Data, FItem->Width * FItem->Height, depth, pixels))
            Abort();
        TDibImage img;
        AllocateDib(img, FItem->Width, FItem->Height, depth);
        img.Colors = Quads(FItem->Colors);
        const std::vector<int32_t> rows = RowOrder(FItem->Height, Interlaced);
        for (size_t r = 0; r < rows.size(); ++r) {
            uint8_t* dst = img.Row(rows[r]);
            const uint8_t* src = pixels.data() + r * static_cast<size_t>(FItem->Width);
            for (int32_t x = 0; x < FItem->Width; ++x) {
                if (depth == 8)
                    dst[x] = src[x];
                else if (depth == 4)
                    dst[x / 2] |= static_cast<uint8_t>(src[x] << ((x & 1) ? 0 : 4));
                else
                    dst[x / 8] |= static_cast<uint8_t>(src[x] << (7 - (x & 7)));
            }
        }
        SetBitmapPixels(*bitmap, std::move(img));
    }
    FBitmap = std::move(bitmap);
}

void TGIFFrame::Assign(const TGraphic* source, const TGIFFrame* frame)
{
    if (const auto* gif = dynamic_cast<const TGIFImage*>(source)) {
        frame = gif->Current();
        if (!frame && !gif->FFrames.empty())
            frame = gif->FFrames.front().get();
        if (!frame)
            return;
    }
    if (frame) {
        if (frame == this)
            return;
        FItem = frame->FItem;
        Left = frame->Left;
        Top = frame->Top;
        Interlaced = frame->Interlaced;
        Grey = frame->Grey;
        LocalTable = frame->FOwner == FOwner ? frame->LocalTable : true;
        TransparentColor = frame->TransparentColor;
        Delay = frame->Delay;
        Disposal = frame->Disposal;
        Extensions.clear();
        for (const auto& e : frame->Extensions)
            Extensions.push_back(std::make_unique<TExtension>(*e));
        FBitmap.reset();
        if (frame->FBitmap) {
            FBitmap = std::make_unique<TBitmap>();
            FBitmap->Assign(*frame->FBitmap);
        }
        return;
    }
    if (!source)
        return;
    FItem = std::make_shared<TGIFItem>();
    LocalTable = true;
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->Assign(*source);
    FItem->Width = FBitmap->Width();
    FItem->Height = FBitmap->Height();
    if (source->Transparent()) {
        if (const auto* bmp = dynamic_cast<const TBitmap*>(source))
            TransparentColor = const_cast<TBitmap*>(bmp)->TransparentColor();
        else
            TransparentColor = 0xFFFFFF;  // the white the picture was drawn on
    }
}

void TGIFFrame::Compress()
{
    if (!FItem->Data.empty() || !FBitmap || FBitmap->Empty())
        return;
    TDibImage img = BitmapPixels(*FBitmap);
    auto item = std::make_shared<TGIFItem>();
    item->Width = img.Width;
    item->Height = img.Height;
    std::vector<uint8_t> pixels(static_cast<size_t>(img.Width) * static_cast<size_t>(img.Height));
    const std::vector<int32_t> rows = RowOrder(img.Height, Interlaced);
    std::vector<uint32_t> row(static_cast<size_t>(img.Width));
    int32_t bits;
    if (img.Indexed()) {
        bits = img.BitCount;
        for (const RGBQUAD& q : img.Colors)
            item->Colors.push_back({q.rgbRed, q.rgbGreen, q.rgbBlue});
        item->Colors.resize(size_t{1} << bits);
        for (size_t r = 0; r < rows.size(); ++r) {
            const uint8_t* src = img.Row(rows[r]);
            for (int32_t x = 0; x < img.Width; ++x) {
                uint8_t v;
                if (bits == 8)
                    v = src[x];
                else if (bits == 4)
                    v = static_cast<uint8_t>((src[x / 2] >> ((x & 1) ? 0 : 4)) & 0xF);
                else
                    v = static_cast<uint8_t>((src[x / 8] >> (7 - (x & 7))) & 1);
                pixels[r * static_cast<size_t>(img.Width) + static_cast<size_t>(x)] = v;
            }
        }
    } else {
        bits = 8;
        std::vector<uint32_t> all(pixels.size());
        for (size_t r = 0; r < rows.size(); ++r) {
            ReadDibRow(img, rows[r], 0, img.Width, row.data());
            std::copy(row.begin(), row.end(), all.begin() + static_cast<ptrdiff_t>(r * static_cast<size_t>(img.Width)));
        }
        if (Grey) {
            for (int i = 0; i < 256; ++i)
                item->Colors.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
            for (size_t i = 0; i < all.size(); ++i) {
                const uint32_t c = all[i];
                pixels[i] = static_cast<uint8_t>((((c >> 16) & 0xFF) * 77 + ((c >> 8) & 0xFF) * 150 + (c & 0xFF) * 29) >> 8);
            }
        } else {
            ReduceColors(all, 256, item->Colors, pixels);
        }
    }
    item->CodeSize = std::max(2, bits);
    item->Data = EncodeGifLzw(pixels, bits);
    FItem = std::move(item);
    LocalTable = true;
}

// --- The picture ----------------------------------------------------------

TGIFImage::TGIFImage() : FData(std::make_shared<TGIFData>())
{
    SetTransparent(true);
}

TGIFImage::~TGIFImage() = default;

void TGIFImage::Reset()
{
    FData = std::make_shared<TGIFData>();
    FVersion = 0;
    FFrames.clear();
    FCurrent = -1;
    FScreenWidth = FScreenHeight = 0;
    FTransparentColor = kNone;
}

void TGIFImage::UpdateScreenSize()
{
    FScreenWidth = FScreenHeight = 0;
    for (const auto& f : FFrames) {
        FScreenWidth = std::max(FScreenWidth, f->Left + f->FItem->Width);
        FScreenHeight = std::max(FScreenHeight, f->Top + f->FItem->Height);
    }
    FScreenWidth = std::min(FScreenWidth, 0xFFFF);
    FScreenHeight = std::min(FScreenHeight, 0xFFFF);
}

TGIFFrame* TGIFImage::Current() const
{
    if (FCurrent >= 0 && FCurrent < FrameCount())
        return FFrames[static_cast<size_t>(FCurrent)].get();
    return nullptr;
}

void TGIFImage::SetCurrentFrame(int32_t index)
{
    if (index != FCurrent) {
        FCurrent = index;
        Changed();
    }
}

int32_t TGIFImage::AddFrame(const TGraphic& picture)
{
    auto frame = std::make_unique<TGIFFrame>(this);
    TGIFFrame& ref = *frame;
    FFrames.push_back(std::move(frame));
    FCurrent = FrameCount() - 1;
    ref.Assign(&picture, nullptr);
    if (FVersion == 0)
        FVersion = 1;
    if (FrameCount() > 1)
        FVersion = 2;
    UpdateScreenSize();
    Changed();
    return FCurrent;
}

TBitmap& TGIFImage::GetBitmap()
{
    if (FFrames.empty()) {
        TBitmap empty;
        AddFrame(empty);
    }
    TGIFFrame* frame = Current();
    return (frame ? *frame : *FFrames.front()).Bitmap();
}

int32_t TGIFImage::GetTransparentColor() const
{
    const TGIFFrame* frame = Current();
    return frame ? frame->TransparentColor : kNone;
}

bool TGIFImage::Empty() const
{
    if (FFrames.empty())
        return true;
    const TGIFFrame* frame = Current();
    return !frame || frame->Empty();
}

int32_t TGIFImage::Width() const
{
    TGIFFrame* frame = Current();
    return frame && !frame->Empty() ? frame->Bitmap().Width() : 0;
}

int32_t TGIFImage::Height() const
{
    TGIFFrame* frame = Current();
    return frame && !frame->Empty() ? frame->Bitmap().Height() : 0;
}

HPALETTE TGIFImage::Palette() const
{
    TGIFFrame* frame = Current();
    return frame && !frame->Empty() ? frame->Bitmap().Palette() : nullptr;
}

bool TGIFImage::Transparent() const
{
    if (!TGraphic::Transparent())
        return false;
    return std::any_of(FFrames.begin(), FFrames.end(), [](const auto& f) { return f->TransparentColor != kNone; });
}

void TGIFImage::Draw(TCanvas& canvas, const TRect& rect)
{
    TGIFFrame* frame = Current();
    if (!frame || frame->Empty())
        return;
    TBitmap& bitmap = frame->Bitmap();
    if (bitmap.Empty())
        return;
    const bool transparent = Transparent() && frame->TransparentColor != kNone;
    // The frame's pixels of the transparent colour leave the canvas as it was.
    if (transparent) {
        if (frame->TransparentColor == kDefault)
            bitmap.SetTransparentMode(TTransparentMode::tmAuto);
        else
            bitmap.SetTransparentColor(frame->TransparentColor);
    }
    bitmap.SetTransparent(transparent);
    canvas.StretchDraw(rect, bitmap);
}

void TGIFImage::Assign(const TGraphic& source)
{
    if (&source == this)
        return;
    if (const auto* gif = dynamic_cast<const TGIFImage*>(&source)) {
        Reset();
        FData = gif->FData;
        FVersion = gif->FVersion;
        FTransparentColor = gif->FTransparentColor;
        for (const auto& f : gif->FFrames) {
            auto frame = std::make_unique<TGIFFrame>(this);
            frame->Assign(nullptr, f.get());
            frame->LocalTable = f->LocalTable;
            FFrames.push_back(std::move(frame));
        }
        FScreenWidth = gif->FScreenWidth;
        FScreenHeight = gif->FScreenHeight;
        FCurrent = gif->FCurrent;
        Changed();
        return;
    }
    if (dynamic_cast<const TBitmap*>(&source)) {
        Reset();
        AddFrame(source);
        return;
    }
    TGraphic::Assign(source);
}

bool TGIFImage::AssignTo(TGraphic& dest) const
{
    if (auto* gif = dynamic_cast<TGIFImage*>(&dest)) {
        gif->Assign(*this);
        return true;
    }
    if (Empty())
        return true;
    TGIFFrame* frame = Current();
    if (!frame)
        frame = FFrames.front().get();
    dest.Assign(frame->Bitmap());
    return true;
}

void TGIFImage::ReadData(TStream& stream)
{
    const uint32_t size = stream.ReadDWord();
    if (static_cast<int64_t>(size) > stream.Size() - stream.Position())
        ReadPastEnd();
    std::string bytes(size, '\0');
    stream.ReadBuffer(bytes.data(), size);
    TStringStream inner(std::move(bytes));
    LoadFromStream(inner);
}

void TGIFImage::LoadFromStream(TStream& stream)
{
    const std::string data = ReadRest(stream);
    Reset();
    TByteReader in(data);
    const std::string_view sig = in.Bytes(6);
    if (sig.substr(0, 3) != "GIF")
        Abort();
    if (sig.substr(3) == "87a")
        FVersion = 1;
    else if (sig.substr(3) == "89a")
        FVersion = 2;
    else
        Abort();
    auto screen = std::make_shared<TGIFData>();
    const uint16_t screenWidth = in.LE16(), screenHeight = in.LE16();
    const uint8_t packed = in.Byte();
    screen->Background = in.Byte();
    screen->Aspect = in.Byte();
    screen->ColorResolution = ((packed & 0x70) >> 4) + 1;
    screen->BitsPerPixel = (packed & 7) + 1;
    if (packed & 0x80) {
        screen->Colors = ReadTable(in, size_t{1} << screen->BitsPerPixel);
        if (screen->Background < screen->Colors.size())
            FTransparentColor = ColorOf(screen->Colors[screen->Background]);
    }
    FData = screen;
    std::vector<std::unique_ptr<TExtension>> kept;
    auto keepComments = [&] {
        if (!FData->Comment.empty())
            return;
        for (const auto& e : kept) {
            if (e->Kind != TExtensionKind::ekComment)
                continue;
            if (!FData->Comment.empty())
                FData->Comment.push_back("\r\n\r\n");
            FData->Comment.insert(FData->Comment.end(), e->Lines.begin(), e->Lines.end());
        }
    };
    while (!in.AtEnd()) {
        const uint8_t introducer = in.Byte();
        if (introducer == 0 || introducer == ';')
            break;
        if (introducer == '!') {
            const uint8_t label = in.Byte();
            auto ext = std::make_unique<TExtension>();
            switch (label) {
            case 0xF9:
                ext->Kind = TExtensionKind::ekGraphicControl;
                ext->Fixed = std::string(in.Bytes(6));
                break;
            case 0x01:
                ext->Kind = TExtensionKind::ekPlainText;
                ext->Fixed = std::string(in.Bytes(13));
                ext->Lines = ReadSubBlocks(in);
                break;
            case 0xFF:
                ext->Kind = TExtensionKind::ekApplication;
                ext->Fixed = std::string(in.Bytes(12));
                ext->Lines = ReadSubBlocks(in);
                break;
            case 0xFE:
                ext->Kind = TExtensionKind::ekComment;
                ext->Lines = ReadSubBlocks(in);
                break;
            default: Abort();
            }
            if (ext->Kind == TExtensionKind::ekPlainText)
                kept.clear();
            else if (ext->Kind != TExtensionKind::ekApplication)
                kept.push_back(std::move(ext));
            continue;
        }
        if (introducer != ',')
            Abort();
        auto frame = std::make_unique<TGIFFrame>(this);
        frame->Extensions = std::move(kept);
        kept.clear();
        auto item = std::make_shared<TGIFItem>();
        frame->Left = in.LE16();
        frame->Top = in.LE16();
        item->Width = in.LE16();
        item->Height = in.LE16();
        const uint8_t imagePacked = in.Byte();
        if (item->Width == 0)
            item->Width = screenWidth;
        if (item->Height == 0)
            item->Height = screenHeight;
        if (imagePacked & 0x80) {
            frame->LocalTable = true;
            item->Colors = ReadTable(in, size_t{1} << ((imagePacked & 7) + 1));
        } else {
            item->Colors = FData->Colors;
        }
        frame->Interlaced = (imagePacked & 0x40) != 0;
        const uint8_t codeSize = in.Byte();
        item->CodeSize = codeSize;
        item->Data.assign(1, static_cast<char>(codeSize));
        for (const std::string& block : ReadSubBlocks(in))
            item->Data += block;
        for (const auto& e : frame->Extensions) {
            if (e->Kind != TExtensionKind::ekGraphicControl || e->Fixed.size() < 6)
                continue;
            const auto* f = reinterpret_cast<const uint8_t*>(e->Fixed.data());
            const uint8_t flags = f[1];
            const uint8_t index = f[4];
            frame->TransparentColor =
                (flags & 1) && index < item->Colors.size() ? ColorOf(item->Colors[index]) : kNone;
            // Delays in hundredths of a second become milliseconds, held at
            // the largest the 16-bit field can keep rather than wrapping.
            const uint32_t delay = std::min<uint32_t>(GetLE16(f + 2) * 10u, 0xFFFF);
            frame->Delay = static_cast<uint16_t>(std::max<uint32_t>(frame->Delay, delay));
            frame->Disposal = static_cast<uint8_t>((flags & 0x1C) >> 2);
        }
        frame->FItem = item;
        frame->BitDepth();  // a frame without a usable table is refused
        FFrames.push_back(std::move(frame));
        while (!in.AtEnd() && data[in.Position()] == 0)
            in.Skip(1);
        if (in.AtEnd())
            break;
        const char next = data[in.Position()];
        if (next != '!' && next != ',' && next != ';')
            break;
    }
    keepComments();
    UpdateScreenSize();
    if (!FFrames.empty()) {
        FCurrent = 0;
        FFrames.front()->Bitmap();
    }
    Changed();
}

void TGIFImage::SaveToStream(TStream& stream)
{
    for (auto& frame : FFrames) {
        frame->Compress();
        // The graphic control extension follows the frame's settings.
        TExtension* control = nullptr;
        for (auto& e : frame->Extensions)
            if (e->Kind == TExtensionKind::ekGraphicControl)
                control = e.get();
        if (!control && (frame->Delay != 0 || frame->TransparentColor != kNone || frame->Disposal != 0)) {
            auto e = std::make_unique<TExtension>();
            e->Kind = TExtensionKind::ekGraphicControl;
            e->Fixed = std::string("\x04\0\0\0\0\0", 6);
            control = e.get();
            frame->Extensions.insert(frame->Extensions.begin(), std::move(e));
        }
        if (control) {
            control->Fixed.resize(6, '\0');
            auto* f = reinterpret_cast<uint8_t*>(control->Fixed.data());
            const uint16_t delay = static_cast<uint16_t>(frame->Delay / 10);
            f[2] = static_cast<uint8_t>(delay & 0xFF);
            f[3] = static_cast<uint8_t>(delay >> 8);
            const auto& colors = frame->FItem->Colors;
            auto it = std::find_if(colors.begin(), colors.end(),
                                   [&](const TGIFColor& c) { return ColorOf(c) == frame->TransparentColor; });
            if (frame->TransparentColor != kNone && it != colors.end()) {
                f[4] = static_cast<uint8_t>(it - colors.begin());
                f[1] |= 1;
            } else {
                f[1] &= static_cast<uint8_t>(~1);
            }
            f[1] = static_cast<uint8_t>((f[1] & ~0x1C) | ((frame->Disposal & 7) << 2));
        }
        frame->Extensions.erase(std::remove_if(frame->Extensions.begin(), frame->Extensions.end(),
                                               [](const auto& e) {
                                                   return e->Kind == TExtensionKind::ekComment && e->Lines.empty();
                                               }),
                                frame->Extensions.end());
    }
    UpdateScreenSize();
    std::string out = "GIF";
    out += FVersion == 2 ? "89a" : "87a";
    PutLE16(out, static_cast<uint16_t>(FScreenWidth));
    PutLE16(out, static_cast<uint16_t>(FScreenHeight));
    const std::vector<TGIFColor>& global = FData->Colors;
    if (global.empty()) {
        out += '\0';
        out += '\0';
    } else {
        const int32_t bits = TableBits(global.size());
        out += static_cast<char>(0x80 + ((bits - 1) * 16) + (bits - 1));
        auto it = std::find_if(global.begin(), global.end(),
                               [&](const TGIFColor& c) { return ColorOf(c) == FTransparentColor; });
        out += static_cast<char>(it != global.end() ? it - global.begin() : 0);
    }
    out += static_cast<char>(FData->Aspect);
    if (!global.empty()) {
        // The table is written at the size its bits announce.
        const size_t count = size_t{1} << TableBits(global.size());
        for (size_t i = 0; i < count; ++i) {
            const TGIFColor c = i < global.size() ? global[i] : TGIFColor{};
            out += static_cast<char>(c.R);
            out += static_cast<char>(c.G);
            out += static_cast<char>(c.B);
        }
    }
    static const uint8_t kLabels[4] = {0xF9, 0x01, 0xFF, 0xFE};
    for (auto& frame : FFrames) {
        for (const auto& e : frame->Extensions) {
            out += '!';
            out += static_cast<char>(kLabels[static_cast<int>(e->Kind)]);
            out += e->Fixed;
            if (e->Kind != TExtensionKind::ekGraphicControl) {
                for (const std::string& line : e->Lines)
                    for (size_t pos = 0; pos < line.size() || (pos == 0 && line.empty()); pos += 255) {
                        const std::string piece = line.substr(pos, 255);
                        if (piece.empty())
                            break;
                        out += static_cast<char>(piece.size());
                        out += piece;
                    }
                out += '\0';
            }
        }
        const TGIFItem& item = *frame->FItem;
        out += ',';
        PutLE16(out, static_cast<uint16_t>(frame->Left));
        PutLE16(out, static_cast<uint16_t>(frame->Top));
        PutLE16(out, static_cast<uint16_t>(item.Width));
        PutLE16(out, static_cast<uint16_t>(item.Height));
        uint8_t packed = 0;
        const int32_t bits = TableBits(item.Colors.size());
        if (frame->LocalTable)
            packed = static_cast<uint8_t>(0x80 + (bits - 1));
        if (frame->Interlaced)
            packed |= 0x40;
        out += static_cast<char>(packed);
        if (frame->LocalTable) {
            const size_t count = size_t{1} << bits;
            for (size_t i = 0; i < count; ++i) {
                const TGIFColor c = i < item.Colors.size() ? item.Colors[i] : TGIFColor{};
                out += static_cast<char>(c.R);
                out += static_cast<char>(c.G);
                out += static_cast<char>(c.B);
            }
        }
        // The stored data is the code size byte and the bare code bytes: they
        // are written in sub-blocks of 255 bytes and a 0 terminator.
        out += item.Data.empty() ? std::string(1, '\2') : item.Data.substr(0, 1);
        const std::string_view body = item.Data.size() > 1 ? std::string_view(item.Data).substr(1) : std::string_view();
        for (size_t pos = 0; pos < body.size(); pos += 255) {
            const std::string_view piece = body.substr(pos, 255);
            out += static_cast<char>(piece.size());
            out += piece;
        }
        out += '\0';
    }
    out += ';';
    stream.WriteString(out);
}

void InitializeGifImageUnit()
{
    if (gUnitCount++ == 0)
        TPicture::RegisterFileFormat("gif", "Images GIF", GraphicClassOf<TGIFImage>("TGIFImage"));
}

void FinalizeGifImageUnit()
{
    if (gUnitCount > 0 && --gUnitCount == 0)
        TPicture::UnregisterGraphicClass("TGIFImage");
}
