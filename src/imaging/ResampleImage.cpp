#include "imaging/ResampleImage.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "imaging/PictureData.h"

using namespace imaging;

namespace {

std::atomic<bool> gFastFilter{false};

double Triangle(double t)
{
    const double x = std::fabs(t);
    return x < 1.0 ? 1.0 - x : 0.0;
}

// Mitchell-Netravali with B = C = 1/3.
double Cubic(double t)
{
    const double x = std::fabs(t);
    if (x < 1.0)
        return (7.0 * x * x * x - 12.0 * x * x + 16.0 / 3.0) / 6.0;
    if (x < 2.0)
        return (-(7.0 / 3.0) * x * x * x + 12.0 * x * x - 20.0 * x + 32.0 / 3.0) / 6.0;
    return 0.0;
}

struct TContributor {
    int32_t Index;
    double Weight;
};

// For each target position, the source positions and their weights.
std::vector<std::vector<TContributor>> Contributors(int32_t source, int32_t target, bool fast)
{
    const double support = fast ? 1.0 : 2.0;
    double (*filter)(double) = fast ? Triangle : Cubic;
    // A 1-pixel axis (source or target) scales by the plain ratio, so the
    // scale is never 0 and never divided by.
    const double scale = source == 1 || target == 1 ? static_cast<double>(target) / source
                                                    : static_cast<double>(target - 1) / (source - 1);
    std::vector<std::vector<TContributor>> list(static_cast<size_t>(target));
    for (int32_t i = 0; i < target; ++i) {
        const double c = i / scale;
        const bool shrink = scale < 1.0;
        const double width = shrink ? support / scale : support;
        const auto from = static_cast<int64_t>(std::floor(c - width));
        const auto to = static_cast<int64_t>(std::ceil(c + width));
        auto& out = list[static_cast<size_t>(i)];
        for (int64_t j = from; j <= to; ++j) {
            const double w = shrink ? filter((c - static_cast<double>(j)) * scale) * scale : filter(c - static_cast<double>(j));
            if (w == 0.0)
                continue;
            // Outside the source: mirrored at the start, the last pixel at the end.
            int64_t n = j < 0 ? -j : j;
            if (n >= source)
                n = source - 1;
            out.push_back({static_cast<int32_t>(n), w});
        }
    }
    return list;
}

uint8_t Clamp(double v)
{
    if (v > 255.0)
        return 255;
    if (v < 0.0)
        return 0;
    return static_cast<uint8_t>(std::lround(v));
}

}  // namespace

bool ResampleFastFilter()
{
    return gFastFilter;
}

void SetResampleFastFilter(bool fast)
{
    gFastFilter = fast;
}

void ResampleBitmap(TBitmap& source, TBitmap& target)
{
    const int32_t tw = target.Width(), th = target.Height();
    const TDibImage src = BitmapPixels24(source);
    if (tw <= 0 || th <= 0 || src.Empty())
        return;
    const bool fast = gFastFilter;
    const auto columns = Contributors(src.Width, tw, fast);
    const auto rows = Contributors(src.Height, th, fast);
    // Horizontal pass into a work image of target width x source height.
    std::vector<uint8_t> work(static_cast<size_t>(tw) * 3 * static_cast<size_t>(src.Height));
    for (int32_t y = 0; y < src.Height; ++y) {
        const uint8_t* s = src.Row(y);
        uint8_t* w = work.data() + static_cast<size_t>(y) * tw * 3;
        for (int32_t x = 0; x < tw; ++x) {
            double acc[3] = {0, 0, 0};
            for (const TContributor& c : columns[static_cast<size_t>(x)])
                for (int k = 0; k < 3; ++k)
                    acc[k] += s[c.Index * 3 + k] * c.Weight;
            for (int k = 0; k < 3; ++k)
                w[x * 3 + k] = Clamp(acc[k]);
        }
    }
    TDibImage out;
    AllocateDib(out, tw, th, 24);
    for (int32_t y = 0; y < th; ++y) {
        uint8_t* d = out.Row(y);
        const auto& list = rows[static_cast<size_t>(y)];
        for (int32_t x = 0; x < tw; ++x) {
            double acc[3] = {0, 0, 0};
            for (const TContributor& c : list) {
                const uint8_t* w = work.data() + (static_cast<size_t>(c.Index) * tw + static_cast<size_t>(x)) * 3;
                for (int k = 0; k < 3; ++k)
                    acc[k] += w[k] * c.Weight;
            }
            for (int k = 0; k < 3; ++k)
                d[x * 3 + k] = Clamp(acc[k]);
        }
    }
    SetBitmapPixels(target, std::move(out));
}

void DrawResampledPicture(TCanvas& canvas, const TRect& dest, TGraphic* picture)
{
    if (!picture || picture->Empty())
        return;
    const int32_t w = picture->Width(), h = picture->Height();
    if (dest.Width() == w && dest.Height() == h) {
        canvas.Draw(dest.Left, dest.Top, *picture);
        return;
    }
    if (dest.Width() < 2 || dest.Height() < 2) {
        canvas.Draw(dest.Left, dest.Top, *picture);
        return;
    }
    // The source is a 24-bit copy: the picture drawn keeps its own format.
    TBitmap source;
    if (auto* bitmap = dynamic_cast<TBitmap*>(picture)) {
        SetBitmapPixels(source, BitmapPixels24(*bitmap));
    } else {
        source.SetPixelFormat(TPixelFormat::pf24bit);
        source.SetSize(w, h);
        source.Canvas().Brush().SetColor(clWhite);
        source.Canvas().FillRect({0, 0, w, h});
        source.Canvas().Draw(0, 0, *picture);
    }
    TBitmap target;
    target.SetPixelFormat(TPixelFormat::pf24bit);
    target.SetSize(dest.Width(), dest.Height());
    ResampleBitmap(source, target);
    canvas.Draw(dest.Left, dest.Top, target);
}
