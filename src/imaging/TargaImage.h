#pragma once
// TTargaImage: Targa pictures (colour-mapped, true-colour and grey, raw or
// run-length coded) read into a 1-, 8- or 24-bit bitmap. Read only: saving
// writes the bitmap as BMP.
#include "platform/framework/Bitmap.h"

class TTargaImage : public TBitmap {
public:
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TTargaImage>(); }
    std::string ClassName() const override { return "TTargaImage"; }
    void LoadFromStream(TStream& stream) override;
};

void InitializeTargaImageUnit();
void FinalizeTargaImageUnit();
