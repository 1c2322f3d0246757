#include "imaging/ImagingUnits.h"

#include "imaging/GifImage.h"
#include "imaging/JpegImage.h"
#include "imaging/PcdImage.h"
#include "imaging/PcxImage.h"
#include "imaging/PngImage.h"
#include "imaging/TargaImage.h"
#include "imaging/TiffImage.h"

void InitializeImagingUnits()
{
    InitializeJpegImageUnit();
    InitializePngImageUnit();
    InitializeGifImageUnit();
    InitializeTiffImageUnit();
    InitializePcdImageUnit();
    InitializePcxImageUnit();
    InitializeTargaImageUnit();
}

void FinalizeImagingUnits()
{
    FinalizeTargaImageUnit();
    FinalizePcxImageUnit();
    FinalizePcdImageUnit();
    FinalizeTiffImageUnit();
    FinalizeGifImageUnit();
    FinalizePngImageUnit();
    FinalizeJpegImageUnit();
}
