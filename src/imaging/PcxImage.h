#pragma once
// TPCXImage: PCX pictures (versions 0, 2 and 5; 1, 3 or 4 planes), read into
// a 4-, 8- or 24-bit bitmap. Read only: saving writes the bitmap as BMP.
#include "platform/framework/Bitmap.h"

class TPCXImage : public TBitmap {
public:
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TPCXImage>(); }
    std::string ClassName() const override { return "TPCXImage"; }
    void LoadFromStream(TStream& stream) override;
};

void InitializePcxImageUnit();
void FinalizePcxImageUnit();
