#pragma once
// TTiffImage: TIFF pictures read in both byte orders, with strips or tiles,
// uncompressed or compressed with LZW, PackBits, Deflate or the CCITT fax
// codings, into a 1-bit or 24-bit bitmap; written as 24-bit LZW pictures.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/Bitmap.h"

class TTiffImage : public TBitmap {
public:
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TTiffImage>(); }
    std::string ClassName() const override { return "TTiffImage"; }

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
};

// TIFF LZW (codes most significant bit first, 9 to 12 bits): decoding appends
// to out and returns false on a code beyond the table; at most limit bytes
// are produced.
bool DecodeTiffLzw(std::string_view data, std::string& out, size_t limit);
std::string EncodeTiffLzw(std::string_view data);

void InitializeTiffImageUnit();
void FinalizeTiffImageUnit();
