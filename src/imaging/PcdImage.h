#pragma once
// TPCDImage: the base picture (768 x 512) of a Photo CD image pack, read into
// a 24-bit bitmap, upright pictures turned a quarter turn. Read only: saving
// writes the bitmap as BMP.
#include "platform/framework/Bitmap.h"

class TPCDImage : public TBitmap {
public:
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TPCDImage>(); }
    std::string ClassName() const override { return "TPCDImage"; }
    void LoadFromStream(TStream& stream) override;
};

void InitializePcdImageUnit();
void FinalizePcdImageUnit();
