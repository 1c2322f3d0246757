// Picture codecs on a photograph-sized picture: decoding a 4,000 x 3,000 PNG
// and JPEG (made here at start-up from a generated picture) and resampling
// the decoded picture to a page thumbnail with each filter. Each benchmark
// reports the process's peak resident memory; run one benchmark per process
// (--benchmark_filter) to read its own peak.
#include "imaging/JpegImage.h"
#include "imaging/PictureData.h"
#include "imaging/PngImage.h"
#include "imaging/ResampleImage.h"
#include "platform/runtime/Stream.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr int32_t kWidth = 4000, kHeight = 3000;
constexpr int32_t kThumbWidth = 200, kThumbHeight = 150;

// A picture with smooth areas, edges and some noise, like a photograph.
TBitmap& Picture()
{
    static std::unique_ptr<TBitmap> picture = [] {
        TDibImage img;
        AllocateDib(img, kWidth, kHeight, 24);
        uint32_t noise = 12345;
        for (int32_t y = 0; y < kHeight; ++y) {
            uint8_t* row = img.Row(y);
            for (int32_t x = 0; x < kWidth; ++x) {
                noise = noise * 1103515245u + 12345u;
                const int n = static_cast<int>((noise >> 16) & 7);
                const bool edge = ((x / 250) + (y / 250)) % 2 == 0;
                row[x * 3 + 0] = static_cast<uint8_t>(((x * 255 / kWidth) ^ (edge ? 0x40 : 0)) + n);
                row[x * 3 + 1] = static_cast<uint8_t>(y * 255 / kHeight + n);
                row[x * 3 + 2] = static_cast<uint8_t>(128 + 100 * std::sin(x * 0.01 + y * 0.005));
            }
        }
        auto bitmap = std::make_unique<TBitmap>();
        imaging::SetBitmapPixels(*bitmap, std::move(img));
        return bitmap;
    }();
    return *picture;
}

const std::string& PngBytes()
{
    static const std::string bytes = [] {
        TPNGImage png;
        png.Assign(Picture());
        TStringStream s;
        png.SaveToStream(s);
        return s.DataString();
    }();
    return bytes;
}

const std::string& JpegBytes()
{
    static const std::string bytes = [] {
        TJPEGImage jpeg;
        jpeg.Assign(Picture());
        TStringStream s;
        jpeg.SaveToStream(s);
        return s.DataString();
    }();
    return bytes;
}

void ReportPeak(benchmark::State& state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_DecodePng(benchmark::State& state)
{
    const std::string& bytes = PngBytes();
    for (auto _ : state) {
        TPNGImage png;
        TForeignMemoryStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
        png.LoadFromStream(s);
        benchmark::DoNotOptimize(png.Width());
    }
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    ReportPeak(state);
}
BENCHMARK(BM_DecodePng)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg(benchmark::State& state)
{
    const std::string& bytes = JpegBytes();
    for (auto _ : state) {
        TJPEGImage jpeg;
        TForeignMemoryStream s(bytes.data(), static_cast<int64_t>(bytes.size()));
        jpeg.LoadFromStream(s);
        benchmark::DoNotOptimize(jpeg.Bitmap().Width());
    }
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    ReportPeak(state);
}
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);

// Decoded PNG resampled to a thumbnail; argument 0 cubic, 1 triangle.
void BM_ResampleToThumbnail(benchmark::State& state)
{
    TPNGImage png;
    TForeignMemoryStream s(PngBytes().data(), static_cast<int64_t>(PngBytes().size()));
    png.LoadFromStream(s);
    SetResampleFastFilter(state.range(0) == 1);
    for (auto _ : state) {
        TBitmap thumb;
        thumb.SetPixelFormat(TPixelFormat::pf24bit);
        thumb.SetSize(kThumbWidth, kThumbHeight);
        ResampleBitmap(png, thumb);
        benchmark::DoNotOptimize(thumb.Width());
    }
    SetResampleFastFilter(false);
    ReportPeak(state);
}
BENCHMARK(BM_ResampleToThumbnail)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
