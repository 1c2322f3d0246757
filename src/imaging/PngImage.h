#pragma once
// TPNGImage: PNG pictures read and written as a device-independent bitmap.
// The file's chunks the program understands (IHDR, PLTE, gAMA, IDAT, IEND)
// are kept as chunk objects in file order, so a loaded picture is written
// back with its chunk order and its gamma.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Bitmap.h"

class TPNGImage;
class TChunkList;

class TChunk {
public:
    explicit TChunk(TChunkList* owner);
    virtual ~TChunk() = default;
    TChunk(const TChunk&) = delete;
    TChunk& operator=(const TChunk&) = delete;

    // Runs once the whole file has been read, in list order.
    virtual void AfterLoad() {}
    virtual void Assign(const TChunk& source);
    // Writes length, type, data and CRC (only chunks whose fourth type letter
    // is upper case are written).
    virtual void SaveToStream(TStream& stream);

    TChunkList* Owner() const { return FOwner; }
    TPNGImage& Image() const;
    std::string Type;  // 4 bytes as the file has them
    std::string Data;  // the data bytes, without length, type and CRC

protected:
    // The type registered for this chunk's class.
    void SetTypeFromClass(const char* type) { Type = type; }

private:
    TChunkList* FOwner;
};

class TChunkIHDR : public TChunk {
public:
    explicit TChunkIHDR(TChunkList* owner);
    void SaveToStream(TStream& stream) override;
    uint32_t Width() const;
    uint32_t Height() const;
    uint8_t BitDepth() const { return Field(8); }
    uint8_t ColorType() const { return Field(9); }
    uint8_t CompressionMethod() const { return Field(10); }
    uint8_t FilterMethod() const { return Field(11); }
    uint8_t InterlaceMethod() const { return Field(12); }
    void SetWidth(uint32_t v);
    void SetHeight(uint32_t v);
    void SetBitDepth(uint8_t v) { SetField(8, v); }
    void SetColorType(uint8_t v) { SetField(9, v); }
    void SetCompressionMethod(uint8_t v) { SetField(10, v); }
    void SetFilterMethod(uint8_t v) { SetField(11, v); }
    void SetInterlaceMethod(uint8_t v) { SetField(12, v); }

private:
    uint8_t Field(size_t i) const { return i < Data.size() ? static_cast<uint8_t>(Data[i]) : 0; }
    void SetField(size_t i, uint8_t v);
};

class TChunkPLTE : public TChunk {
public:
    explicit TChunkPLTE(TChunkList* owner);
    void SaveToStream(TStream& stream) override;
};

class TChunkGAMA : public TChunk {
public:
    explicit TChunkGAMA(TChunkList* owner);
    void AfterLoad() override;
    void Assign(const TChunk& source) override;
    uint32_t Gamma() const;
    void SetGamma(uint32_t value);
    std::array<uint8_t, 256> Forward{};
    std::array<uint8_t, 256> Inverse{};
};

class TChunkIDAT : public TChunk {
public:
    explicit TChunkIDAT(TChunkList* owner);
    void AfterLoad() override;
    void SaveToStream(TStream& stream) override;

private:
    void Decode();
    void Encode();
};

class TChunkIEND : public TChunk {
public:
    explicit TChunkIEND(TChunkList* owner);
};

// A chunk class as the registry knows it.
struct TChunkClass {
    std::string Type;
    std::function<std::unique_ptr<TChunk>(TChunkList*)> Create;
};

class TChunkList {
public:
    explicit TChunkList(TPNGImage* owner) : FOwner(owner) {}
    TPNGImage& Owner() const { return *FOwner; }
    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TChunk* Item(int32_t index) const { return FItems.at(static_cast<size_t>(index)).get(); }
    void Add(std::unique_ptr<TChunk> chunk) { FItems.push_back(std::move(chunk)); }
    void Insert(int32_t index, std::unique_ptr<TChunk> chunk);
    int32_t IndexOf(const TChunk* chunk) const;
    // The last chunk of that class, or null.
    template <class T>
    T* Find() const
    {
        for (auto it = FItems.rbegin(); it != FItems.rend(); ++it)
            if (auto* c = dynamic_cast<T*>(it->get()))
                return c;
        return nullptr;
    }
    void Remove(int32_t index) { FItems.erase(FItems.begin() + index); }
    void Clear() { FItems.clear(); }
    template <class T>
    T& AddNew()
    {
        auto chunk = std::make_unique<T>(this);
        T& ref = *chunk;
        Add(std::move(chunk));
        return ref;
    }

private:
    TPNGImage* FOwner;
    std::vector<std::unique_ptr<TChunk>> FItems;
};

// The chunk types the program understands, in the order IEND, IHDR, gAMA,
// IDAT, PLTE; null for another type.
const TChunkClass* FindChunkClass(const std::string& type);

// Row filters of the filter set.
enum : uint8_t { pfNone = 1, pfSub = 2, pfUp = 4, pfAverage = 8, pfPaeth = 16 };

class TPNGImage : public TBitmap {
public:
    TPNGImage();
    ~TPNGImage() override;

    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TPNGImage>(); }
    std::string ClassName() const override { return "TPNGImage"; }

    void Assign(const TGraphic& source) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    TChunkList& Chunks() { return *FChunks; }
    uint8_t Filters() const { return FFilters; }
    void SetFilters(uint8_t filters) { FFilters = static_cast<uint8_t>(filters | pfNone); }
    uint8_t Interlacing() const { return FInterlacing; }
    uint8_t CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(uint8_t level) { FCompressionLevel = level > 3 ? 3 : level; }
    // The colour type the picture is written with: 3 for 1-, 4- and 8-bit
    // bitmaps, else 2.
    uint8_t ColorType();
    // Whether the picture has a transparent colour.
    bool HasTransparency() const { return Transparent(); }
    // Back to the default chunks: IHDR (2-bit palette), IDAT, IEND.
    void ResetChunks();

private:
    std::unique_ptr<TChunkList> FChunks;
    uint8_t FFilters = 0x1B;
    uint8_t FInterlacing = 0;
    uint8_t FCompressionLevel = 2;
};

// Registers TPNGImage for "png" with the picture registry (counted: the pair
// is added once, and removed at the last finalisation).
void InitializePngImageUnit();
void FinalizePngImageUnit();
