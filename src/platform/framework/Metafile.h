#pragma once
// TMetafile: an enhanced or Windows metafile as a picture of the framework.
// It reads enhanced metafiles, placeable Windows metafiles and plain Windows
// metafiles; draws by playing its records into the rectangle; writes an
// enhanced metafile, or a placeable Windows metafile when it was read from
// one and is still marked as not enhanced. Registered for "emf" and "wmf".
#include "platform/framework/Graphic.h"
#include "platform/gdi/Metafile.h"

class TMetafile : public TGraphic {
public:
    TMetafile() = default;
    ~TMetafile() override;

    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TMetafile>(); }
    std::string ClassName() const override { return "TMetafile"; }

    void Assign(const TGraphic& source) override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return FHandle == nullptr; }
    // The size in screen pixels, from the frame in 0.01 mm.
    int32_t Width() const override;
    int32_t Height() const override;
    void SetWidth(int32_t width) override;
    void SetHeight(int32_t height) override;
    // Raises EInvalidGraphic for data that is no metafile.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;

    // The size in 0.01 mm.
    int32_t MMWidth() const { return FMMWidth; }
    int32_t MMHeight() const { return FMMHeight; }
    void SetMMWidth(int32_t value);
    void SetMMHeight(int32_t value);
    bool Enhanced() const { return FEnhanced; }
    void SetEnhanced(bool value) { FEnhanced = value; }
    // The placeable header's units per inch (Windows metafiles read from files).
    uint16_t Inch() const { return FInch; }

    // The metafile (owned); ReleaseHandle gives it away and empties the picture;
    // SetHandle takes one over (the frame gives the size).
    HENHMETAFILE Handle() const { return FHandle; }
    HENHMETAFILE ReleaseHandle();
    void SetHandle(HENHMETAFILE metafile);
    // Empties the picture.
    void Clear();

private:
    HENHMETAFILE FHandle = nullptr;
    int32_t FMMWidth = 0;
    int32_t FMMHeight = 0;
    bool FEnhanced = true;
    uint16_t FInch = 0;
};
