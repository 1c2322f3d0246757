// The corpus pictures through the picture registry: every one opens or is
// refused without crash, hang or sanitizer report; the decoded pixels of the
// pictures in the reference table (made once with Pillow, kept beside this
// test) are the same as Pillow's, JPEG within a small tolerance; and bytes of
// the pictures, flipped, cut and repeated from a fixed seed, load or are
// refused the same way.
#include "imaging/ImagingFixtures.h"

#include "platform/framework/Picture.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <random>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;

const char* const kExtensions[] = {".png", ".gif", ".jpg", ".jpeg", ".tif", ".tiff", ".bmp", ".pcx", ".tga", ".pcd"};

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<fs::path> CorpusPictures(const std::string& root)
{
    std::vector<fs::path> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file())
            continue;
        const std::string ext = Lower(e.path().extension().string());
        if (std::find(std::begin(kExtensions), std::end(kExtensions), ext) != std::end(kExtensions))
            out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

struct TOutcome {
    bool Loaded = false;
    std::string Refusal;  // the exception's message when refused
    int32_t Width = 0, Height = 0;
    std::string Rgb;
};

// Loads through the picture registry, as the file dialogs and the clip
// library do. Only the program's own exceptions count as a refusal.
TOutcome LoadThroughRegistry(const std::string& path)
{
    TOutcome out;
    TPicture picture;
    try {
        picture.LoadFromFile(path);
        TBitmap* bitmap = ShownBitmap(*picture.Graphic());
        out.Loaded = true;
        if (bitmap) {
            out.Width = bitmap->Width();
            out.Height = bitmap->Height();
            out.Rgb = RgbBytes(*bitmap);
        }
    } catch (const Exception& e) {
        out.Refusal = e.Message();
    }
    return out;
}

// Bound of one load: far beyond any picture's time, it only turns a hang
// into a failure instead of a stuck run.
constexpr auto kHangBound = std::chrono::seconds(120);

// Runs f on a worker; a run past the bound fails the test and ends the
// process (a stuck decoder cannot be stopped from outside).
template <class F>
auto Bounded(const std::string& what, F f)
{
    auto task = std::async(std::launch::async, f);
    if (task.wait_for(kHangBound) != std::future_status::ready) {
        ADD_FAILURE() << "no end to the load of " << what;
        std::fflush(nullptr);
        std::_Exit(1);
    }
    return task.get();
}

// Pictures the program shows otherwise than Pillow does, by design, with the
// reason. Their loading is still checked; their pixels are not compared.
const std::map<std::string, const char*> kShownOtherwise = {
    {"pillow/pil123p.png", "gAMA of 1.0: the program applies its gamma table, Pillow ignores gamma"},
    {"pillow/pil123rgba.png", "gAMA of 1.0: the program applies its gamma table, Pillow ignores gamma"},
    {"pillow/issue_2811.gif", "LZW code size 11: damaged data for the program, which decodes nothing"},
    {"pillow/dispose_bgnd_transparency.gif", "the frame is smaller than the screen Pillow composes"},
    {"pillow/first_frame_transparency.gif", "the frame is smaller than the screen Pillow composes"},
    {"pillow/p_4_planes.pcx", "4 planes of 1 bit: the program uses the header palette"},
    {"pillow/g4_orientation_5.tif", "Pillow turns the picture by its Orientation tag"},
    {"pillow/g4_orientation_6.tif", "Pillow turns the picture by its Orientation tag"},
    {"pillow/g4_orientation_7.tif", "Pillow turns the picture by its Orientation tag"},
    {"pillow/g4_orientation_8.tif", "Pillow turns the picture by its Orientation tag"},
    {"pillow/lab-green.tif", "CIELab: Pillow's RGB conversion keeps the raw L, a, b values"},
    {"pillow/pil136.tiff", "associated alpha: Pillow divides the colours by alpha"},
    {"pillow/tiff_16bit_RGBa.tiff", "associated alpha: Pillow divides the colours by alpha"},
    {"pillow/tiff_strip_cmyk_16l_jpeg.tif", "CMYK: Pillow subtracts C + K, the program multiplies"},
    {"pillow/tga/common/200x32_la_tl_rle.tga", "16-bit grey with alpha: the program reads 5-5-5 colour"},
    {"pillow/no_rows_per_strip.tif", "no PhotometricInterpretation: Pillow takes WhiteIsZero, the default here is 2"},
    // The device-independent bitmap decoder of the platform layer.
    {"pillow/bmp/b/badrle.bmp", "damaged RLE runs: each decoder keeps a different part of the picture"},
    {"pillow/bmp/b/pal8badindex.bmp", "indexes past the colour table: black here, another colour in Pillow"},
    {"pillow/bmp/g/rgb16-565.bmp", "5-6-5 channels scaled to 255 with rounding here, truncated by Pillow"},
    {"pillow/bmp/q/pal4rletrns.bmp", "pixels skipped by RLE deltas take colour index 0 here, another colour in Pillow"},
    {"pillow/bmp/q/pal8rletrns.bmp", "pixels skipped by RLE deltas take colour index 0 here, another colour in Pillow"},
};

// Pillow modes of 16- and 32-bit grey: Pillow clips to 255 on conversion, the
// program takes the high byte of each sample.
bool WideGreyMode(const std::string& mode)
{
    return mode == "I" || mode == "F" || mode.rfind("I;16", 0) == 0;
}

struct TReference {
    std::string Mode;
    int32_t Width = 0, Height = 0;
    uint32_t Crc = 0;
    std::vector<int> Grid;  // 8 x 8 cells of mean R, G, B
};

std::map<std::string, TReference> ReadReferences()
{
    std::map<std::string, TReference> refs;
    std::ifstream in(std::string(ELDRAVIN_IMAGING_TEST_DIR) + "/reference-pixels.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string path, crc, grid;
        TReference r;
        std::getline(fields, path, '\t');
        std::getline(fields, r.Mode, '\t');
        fields >> r.Width >> r.Height >> crc >> grid;
        r.Crc = static_cast<uint32_t>(std::stoul(crc, nullptr, 16));
        for (size_t i = 0; i + 1 < grid.size(); i += 2)
            r.Grid.push_back(std::stoi(grid.substr(i, 2), nullptr, 16));
        refs[path] = r;
    }
    return refs;
}

std::vector<int> Grid(const std::string& rgb, int32_t w, int32_t h)
{
    std::vector<int> out;
    for (int gy = 0; gy < 8; ++gy)
        for (int gx = 0; gx < 8; ++gx) {
            const int64_t x0 = gx * w / 8, x1 = (gx + 1) * w / 8, y0 = gy * h / 8, y1 = (gy + 1) * h / 8;
            const int64_t n = (x1 - x0) * (y1 - y0);
            int64_t s[3] = {0, 0, 0};
            for (int64_t y = y0; y < y1; ++y)
                for (int64_t x = x0; x < x1; ++x)
                    for (int k = 0; k < 3; ++k)
                        s[k] += static_cast<uint8_t>(rgb[static_cast<size_t>((y * w + x) * 3 + k)]);
            for (int k = 0; k < 3; ++k)
                out.push_back(n ? static_cast<int>((s[k] + n / 2) / n) : 0);
        }
    return out;
}

}  // namespace

class CorpusPictureTest : public TImagingTest {};

TEST_F(CorpusPictureTest, EveryPictureOpensOrIsRefusedAndMatchesTheReference)
{
    const std::string root = SharedDir() + "/corpus/images";
    ELDRAVIN_NEED_SHARED(root);
    const std::map<std::string, TReference> refs = ReadReferences();
    ASSERT_FALSE(refs.empty()) << "reference table missing";
    int loaded = 0, refused = 0, compared = 0;
    for (const fs::path& path : CorpusPictures(root)) {
        const std::string rel = fs::relative(path, root).string();
        SCOPED_TRACE(rel);
        const TOutcome out = Bounded(rel, [&] { return LoadThroughRegistry(path.string()); });
        if (!out.Loaded) {
            ++refused;
            continue;
        }
        ++loaded;
        auto it = refs.find(rel);
        if (it == refs.end())
            continue;
        const TReference& ref = it->second;
        if (kShownOtherwise.count(rel) || WideGreyMode(ref.Mode))
            continue;
        ++compared;
        if (out.Width != ref.Width || out.Height != ref.Height) {
            ADD_FAILURE() << rel << ": size " << out.Width << " x " << out.Height << ", reference " << ref.Width << " x "
                          << ref.Height;
            continue;
        }
        const std::string ext = Lower(path.extension().string());
        if (ext == ".jpg" || ext == ".jpeg") {
            // Two decoders of the same JPEG may round differently; grey
            // pictures are also quantised to 236 levels here.
            const std::vector<int> grid = Grid(out.Rgb, out.Width, out.Height);
            ASSERT_EQ(grid.size(), ref.Grid.size());
            int worst = 0;
            for (size_t i = 0; i < grid.size(); ++i)
                worst = std::max(worst, std::abs(grid[i] - ref.Grid[i]));
            EXPECT_LE(worst, 3) << rel << ": mean colour of a cell differs from the reference";
        } else {
            EXPECT_EQ(RgbCrc(out.Rgb), ref.Crc) << rel << ": pixels differ from the reference";
        }
    }
    EXPECT_GT(loaded, 200);
    EXPECT_GT(compared, 150);
    RecordProperty("loaded", loaded);
    RecordProperty("refused", refused);
}

TEST_F(CorpusPictureTest, MutatedPicturesLoadOrAreRefused)
{
    const std::string root = SharedDir() + "/corpus/images";
    ELDRAVIN_NEED_SHARED(root);
    // One small picture of each codec family; mutations from a fixed seed.
    const char* const samples[] = {"pillow/tiny.png",      "pillow/pil123p.png",     "pillow/hopper_gray.jpg",
                                   "pillow/iss634.gif",     "pillow/hopper_lzw.tif",  "pillow/g4-fillorder-test.tif",
                                   "pillow/pil184.pcx",     "pillow/p_8.tga",         "pillow/rgb32rle.tga",
                                   "pillow/tiff_strip_raw.tif"};
    std::mt19937 random(20261210);
    int runs = 0;
    for (const char* name : samples) {
        const std::string path = root + "/" + name;
        if (!TestPathExists(path))
            continue;
        const std::string original = ReadTestFile(path);
        const std::string ext = Lower(fs::path(path).extension().string()).substr(1);
        const auto cls = TPicture::FindGraphicClass(ext);
        ASSERT_TRUE(cls) << ext;
        for (int i = 0; i < 60; ++i) {
            std::string bytes = original;
            const int kind = static_cast<int>(random() % 4);
            const size_t at = bytes.empty() ? 0 : random() % bytes.size();
            if (kind == 0) {
                for (int k = 0; k < 1 + static_cast<int>(random() % 8); ++k)
                    bytes[random() % bytes.size()] = static_cast<char>(random());
            } else if (kind == 1) {
                bytes.resize(at);
            } else if (kind == 2) {
                bytes.insert(at, bytes.substr(at, random() % 64));
            } else {
                // Large values in header-sized places: counts, sizes, offsets.
                for (size_t k = 0; k < 4 && at + k < bytes.size(); ++k)
                    bytes[at + k] = static_cast<char>(random() % 2 ? 0xFF : 0x7F);
            }
            SCOPED_TRACE(std::string(name) + " mutation " + std::to_string(i));
            Bounded(name, [&] {
                std::unique_ptr<TGraphic> g = cls->Create();
                try {
                    TStringStream stream(bytes);
                    g->LoadFromStream(stream);
                    if (TBitmap* b = ShownBitmap(*g))
                        RgbBytes(*b);
                } catch (const Exception&) {
                }
                return 0;
            });
            ++runs;
        }
    }
    EXPECT_GT(runs, 300);
}
