// Realising fonts and measuring text through the graphics layer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace {

LOGFONT Font(const char* face, int32_t height)
{
    LOGFONT lf;
    lf.lfFaceName = face;
    lf.lfHeight = height;
    return lf;
}

// Realise: create, select, read metrics and the 256 widths, free.
void Realise(HDC dc, const LOGFONT& lf)
{
    HFONT f = CreateFontIndirect(lf);
    HFONT old = SelectObject(dc, f);
    TEXTMETRIC tm;
    int32_t widths[256];
    GetTextMetrics(dc, &tm);
    GetCharWidth32(dc, 0, 255, widths);
    benchmark::DoNotOptimize(widths);
    SelectObject(dc, old);
    DeleteObject(f);
}

// A font at a size not realised before (its face already loaded).
void BM_RealiseNewSize(benchmark::State& state)
{
    HDC dc = CreateCompatibleDC(nullptr);
    int32_t height = -8;
    for (auto _ : state) {
        Realise(dc, Font("Times New Roman", height));
        if (--height < -100000)
            height = -8;
    }
    DeleteDC(dc);
}
BENCHMARK(BM_RealiseNewSize);

// A font realised before (the program's shared fonts hit this most).
void BM_RealiseSameFont(benchmark::State& state)
{
    HDC dc = CreateCompatibleDC(nullptr);
    const LOGFONT lf = Font("Arial", -128);
    for (auto _ : state)
        Realise(dc, lf);
    DeleteDC(dc);
}
BENCHMARK(BM_RealiseSameFont);

// The first realisation after the font list was dropped: families listed,
// faces loaded and their tables read.
void BM_RealiseAfterFontChange(benchmark::State& state)
{
    HDC dc = CreateCompatibleDC(nullptr);
    for (auto _ : state) {
        RefreshFontDatabase();
        Realise(dc, Font("Arial", -16));
    }
    DeleteDC(dc);
}
BENCHMARK(BM_RealiseAfterFontChange)->Unit(benchmark::kMillisecond);

// 1 MB of French text in code page 1252, made of words with accents.
const std::string& Megabyte()
{
    static const std::string text = [] {
        const std::vector<std::string> words = {"Le", "traitement", "de", "texte", "mesure", "chaque", "caractère",
                                                "à", "l'écran", "et", "sur", "papier", "avec", "précision", "—",
                                                "élève", "où", "ça", "œuvre", "déjà", "10,50 €", "«", "»", "naïf"};
        std::string s;
        size_t i = 0;
        while (s.size() < 1024 * 1024) {
            s += words[i % words.size()];
            s += ' ';
            i = i * 7 + 3;
        }
        s.resize(1024 * 1024);
        return s;
    }();
    return text;
}

void BM_MeasureMegabyteAtOnce(benchmark::State& state)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT f = CreateFontIndirect(Font("Times New Roman", -128));  // 12 points at 8 x 96 dpi
    SelectObject(dc, f);
    const std::string& text = Megabyte();
    for (auto _ : state) {
        TSize size;
        GetTextExtentPoint32(dc, text, &size);
        benchmark::DoNotOptimize(size);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    DeleteDC(dc);
    DeleteObject(f);
}
BENCHMARK(BM_MeasureMegabyteAtOnce)->Unit(benchmark::kMillisecond);

// The same megabyte measured word by word, with the position after every
// character, as line layout asks.
void BM_MeasureMegabyteByWord(benchmark::State& state)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT f = CreateFontIndirect(Font("Times New Roman", -128));
    SelectObject(dc, f);
    const std::string& text = Megabyte();
    std::vector<std::string_view> words;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const size_t stop = end < text.size() ? end + 1 : text.size();  // the word with its space
        words.emplace_back(text.data() + start, stop - start);
        start = end + 1;
    }
    std::vector<int32_t> dx(64);
    for (auto _ : state) {
        int64_t total = 0;
        for (std::string_view w : words) {
            if (w.size() > dx.size())
                dx.resize(w.size());
            TSize size;
            GetTextExtentExPoint(dc, w, 0, nullptr, dx.data(), &size);
            total += size.cx;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["words"] = static_cast<double>(words.size());
    DeleteDC(dc);
    DeleteObject(f);
}
BENCHMARK(BM_MeasureMegabyteByWord)->Unit(benchmark::kMillisecond);

// One line of 80 characters drawn at explicit advances on a screen bitmap.
void BM_DrawLine(benchmark::State& state)
{
    HDC screen = GetScreenDC();
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 1000, 40);
    ReleaseDC(screen);
    SelectObject(dc, bmp);
    HFONT f = CreateFontIndirect(Font("Times New Roman", -16));
    SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    const std::string line = Megabyte().substr(0, 80);
    std::vector<int32_t> dx(line.size());
    GetTextExtentExPoint(dc, line, 0, nullptr, dx.data(), nullptr);
    for (size_t i = dx.size() - 1; i > 0; --i)
        dx[i] -= dx[i - 1];
    for (auto _ : state)
        ExtTextOut(dc, 4, 4, 0, nullptr, line, dx.data());
    DeleteDC(dc);
    DeleteObject(bmp);
    DeleteObject(f);
}
BENCHMARK(BM_DrawLine)->Unit(benchmark::kMicrosecond);

}  // namespace
