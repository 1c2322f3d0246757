// Pictures in the text: insertion from files as one undoable step, formats
// tried in turn, fitting to the column; resizing and scaling undone and redone
// byte for byte; the packed and unpacked forms of the picture images and the
// bound of the unpacked pictures' memory; drawing, placeholders and the
// scaled cache. A PNG of the pictures drawn is left in the test output.
#include "document/EditingFixtures.h"
#include "document/model/DocObject.h"
#include "document/model/DocObjectImage.h"
#include "document/model/ObjectManager.h"
#include "document/model/Section.h"
#include "document/operations/OperationDispatcher.h"
#include "document/steps/FormatObjectOperation.h"
#include "foundation/InlineControl.h"
#include "foundation/MessageAnswers.h"
#include "imaging/PngImage.h"
#include "platform/framework/Bitmap.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/PngWriter.h"
#include "platform/testing/Testing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class TPictureHost : public TEditHost {
public:
    bool Placeholders = false;
    std::vector<std::string> Recent;
    bool PicturePlaceholders() override { return Placeholders; }
    void AddRecentPicture(const std::string& fileName) override { Recent.push_back(fileName); }
};

// Keeps the picture memory's limits and restores them.
class TMemoryLimits {
public:
    TMemoryLimits() : FCount(PictureMemory().CountLimit), FSize(PictureMemory().SizeLimit) {}
    ~TMemoryLimits()
    {
        PictureMemory().CountLimit = FCount;
        PictureMemory().SizeLimit = FSize;
    }

private:
    int32_t FCount;
    int64_t FSize;
};

// A 32-bit surface to draw objects on.
class TSurface {
public:
    TSurface(int w, int h) : Width(w), Height(h)
    {
        Bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        Bitmap.SetSize(w, h);
        FillRect(DC(), {0, 0, w, h}, GetStockBrush(WHITE_BRUSH));
    }
    HDC DC() { return Bitmap.Canvas().Handle(); }
    COLORREF At(int x, int y) { return GetPixel(DC(), x, y) & 0xFFFFFF; }
    int Ink(const TRect& r)
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += At(x, y) != RGB(255, 255, 255);
        return n;
    }
    void Save(const std::string& name)
    {
        std::vector<uint32_t> px;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                const COLORREF c = At(x, y);
                px.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
            }
        WriteTestPng(TestOutputDir() + "/" + name + ".png", Width, Height, px);
    }
    int Width, Height;
    TBitmap Bitmap;
};

// A bitmap of two colours side by side (left red, right blue).
void MakeTwoColourBitmap(TBitmap& b, int w, int h, TPixelFormat format = TPixelFormat::pf24bit)
{
    b.SetPixelFormat(format);
    b.SetSize(w, h);
    HDC dc = b.Canvas().Handle();
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, {0, 0, w / 2, h}, red);
    FillRect(dc, {w / 2, 0, w, h}, blue);
    DeleteObject(red);
    DeleteObject(blue);
}

// A placeable Windows metafile: a green ellipse in a 1000 x 1000 window.
std::string PlaceableWmf()
{
    std::string rec;
    auto put16 = [](std::string& s, uint16_t v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>(v >> 8);
    };
    auto put32 = [&](std::string& s, uint32_t v) {
        put16(s, static_cast<uint16_t>(v & 0xFFFF));
        put16(s, static_cast<uint16_t>(v >> 16));
    };
    auto record = [&](uint16_t func, std::vector<uint16_t> params) {
        put32(rec, static_cast<uint32_t>(3 + params.size()));
        put16(rec, func);
        for (uint16_t p : params)
            put16(rec, p);
    };
    record(0x020B, {0, 0});
    record(0x020C, {1000, 1000});
    record(0x02FC, {0, 0xFF00, 0, 0});  // solid green brush
    record(0x012D, {0});
    record(0x0418, {900, 900, 100, 100});
    record(0, {});
    std::string out;
    for (uint16_t w : {0xCDD7, 0x9AC6, 0, 0, 0, 1000, 1000, 1000, 0, 0})
        put16(out, w);
    uint16_t sum = 0;
    for (size_t i = 0; i < out.size(); i += 2)
        sum ^= static_cast<uint16_t>(static_cast<uint8_t>(out[i]) | (static_cast<uint8_t>(out[i + 1]) << 8));
    put16(out, sum);
    std::string header;
    put16(header, 1);
    put16(header, 9);
    put16(header, 0x300);
    put32(header, static_cast<uint32_t>((18 + rec.size()) / 2));
    put16(header, 1);
    put32(header, 10);
    put16(header, 0);
    return out + header + rec;
}

class PictureObjectTest : public testing::Test {
protected:
    TTestViews Views;
    TPictureHost Host;
    std::unique_ptr<TDocument> Doc = std::make_unique<TDocument>(false);
    std::string Dir = MakeTestDir("pictures");

    void SetUp() override
    {
        SetParagraphText(Doc->Paragraphs(0), std::string("Avant apr\xE8s") + kMark);
        Doc->Paragraphs(0).NormalizeControlCodes();
        Doc->SetSelection(0, 5, 0, 5);
    }
    TOperationManager& Undo() { return Doc->UndoManager(); }
    std::string Path(const std::string& name) const { return Dir + "/" + name; }

    // The picture the text's first picture record names.
    TDocObject* FirstPicture()
    {
        const std::string text = DumpParagraphText(Doc->Paragraphs(0));
        const size_t at = text.find("{24:");
        if (at == std::string::npos)
            return nullptr;
        return Doc->Objects().GetDocObject(std::stoi(text.substr(at + 4)));
    }
    std::unique_ptr<TDocPicture> BitmapPicture(int w, int h, TPixelFormat format = TPixelFormat::pf24bit)
    {
        auto picture = std::make_unique<TDocPicture>(Doc.get());
        auto png = std::make_unique<TPNGImage>();
        MakeTwoColourBitmap(*png, w, h, format);
        picture->ObjectImage().Kind = 1;
        picture->ObjectImage().Bitmap = std::move(png);
        picture->ObjectImage().Packed = 0;
        picture->Width = Doc->LayoutToTwips(w);
        picture->Height = Doc->LayoutToTwips(h);
        return picture;
    }
};

TEST_F(PictureObjectTest, InsertionIsOneStepUndoneAndRedoneByteForByte)
{
    TBitmap bmp;
    MakeTwoColourBitmap(bmp, 40, 20);
    bmp.SaveToFile(Path("deux.bmp"));
    const std::string before = DumpDocument(*Doc);
    Doc->InsertPictureFromFile(Path("deux.bmp"), 13);
    const std::string after = DumpDocument(*Doc);
    TDocObject* picture = FirstPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_NE(after.find("Avant{24:" + std::to_string(picture->Handle()) + "} apr"), std::string::npos) << after;
    EXPECT_EQ(picture->ObjectImage().Kind, 1);
    EXPECT_EQ(picture->ObjectImage().Packed, 0);
    EXPECT_EQ(picture->Width, Doc->LayoutToTwips(40));
    EXPECT_EQ(picture->ScaleX, 100);
    // Two colours: kept as a 1-bit palette bitmap.
    EXPECT_EQ(picture->ObjectImage().Bitmap->PixelFormat(), TPixelFormat::pf1bit);
    ASSERT_EQ(Undo().Count(), 1);
    EXPECT_EQ(OperationName(Undo().Operations(0).Kind), "l'insertion d'mage");
    EXPECT_EQ(Host.Recent, std::vector<std::string>{Path("deux.bmp")});

    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
    Undo().Redo();
    EXPECT_EQ(DumpDocument(*Doc), after);

    // Resized and scaled through the object format operation, undone and redone.
    const TObjectFormat original{picture->Width, picture->Height, picture->ScaleX, picture->ScaleY, 1};
    TTextPosition position{0, 5};
    TObjectFormat format{picture->Width * 2, picture->Height, 50, 75, 0};
    Doc->ExecuteOperation(docFormatObject, {&position, &format});
    auto values = [&] {
        return std::vector<int32_t>{picture->Width, picture->Height, picture->ScaleX, picture->ScaleY,
                                    picture->PlainPicture};
    };
    const std::vector<int32_t> changed = values();
    EXPECT_EQ(changed, (std::vector<int32_t>{format.Width, format.Height, 50, 75, 0}));
    Undo().Undo();
    EXPECT_EQ(values(), (std::vector<int32_t>{original.Width, original.Height, 100, 100, 1}));
    EXPECT_EQ(DumpDocument(*Doc), after);
    Undo().Redo();
    EXPECT_EQ(values(), changed);
    Undo().Undo();
    Undo().Undo();
    EXPECT_EQ(DumpDocument(*Doc), before);
    Undo().Redo();
    Undo().Redo();
    EXPECT_EQ(DumpDocument(*Doc), after);
    EXPECT_EQ(values(), changed);
}

TEST_F(PictureObjectTest, FormatsAreTriedInTurnAndFailuresReported)
{
    // A BMP named .png: the PNG reader refuses it, the BMP reader takes it.
    TBitmap bmp;
    MakeTwoColourBitmap(bmp, 30, 10);
    bmp.SaveToFile(Path("vraiment-bmp.png"));
    Doc->InsertPictureFromFile(Path("vraiment-bmp.png"), 13);
    TDocObject* picture = FirstPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->ObjectImage().Kind, 1);
    EXPECT_EQ(picture->Width, Doc->LayoutToTwips(30));

    // A Windows metafile becomes a metafile picture of its frame's size.
    {
        std::ofstream f(Path("ellipse.wmf"), std::ios::binary);
        f << PlaceableWmf();
    }
    Doc->SetSelection(0, 0, 0, 0);
    Doc->InsertPictureFromFile(Path("ellipse.wmf"), 2);
    picture = FirstPicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->ObjectImage().Kind, 0);
    EXPECT_NE(picture->ObjectImage().Metafile, nullptr);
    EXPECT_EQ(picture->Width, Doc->LayoutToTwips(96));  // one inch

    const std::string before = DumpDocument(*Doc);
    const int32_t objects = Doc->ObjectManager().Count();
    {
        TMessageAnswers answers;
        answers.Expect("Impossible d'ouvrir le fichier \"" + Path("absent.bmp") + "\".", mrOk);
        Doc->InsertPictureFromFile(Path("absent.bmp"), 0);
    }
    {
        // A BMP reader refusal raises: reported as an unreadable picture.
        std::ofstream f(Path("abime.bmp"), std::ios::binary);
        f << "BM pas une image";
    }
    {
        TMessageAnswers answers;
        answers.Expect("Impossible d'ouvrir l'image \"" + Path("abime.bmp") +
                           "\". Ceci peut \xEAtre d\xFB \xE0 un manque de ressources syst\xE8me ou \xE0 un format "
                           "d'image non reconnu.",
                       mrOk);
        Doc->InsertPictureFromFile(Path("abime.bmp"), 13);
    }
    EXPECT_EQ(DumpDocument(*Doc), before);
    EXPECT_EQ(Doc->ObjectManager().Count(), objects);
}

TEST_F(PictureObjectTest, PicturesFitTheColumnAndThePage)
{
    TPageParams params;
    Doc->GetCaretPageParams(params);
    const int32_t height = params[ppPaperHeight] - params[ppTopMargin] - params[ppBottomMargin];
    struct TRow {
        int32_t Width, Height, Scale;
    };
    const TRow rows[] = {
        {2 * params[ppTextWidth], height / 2, 50},  // twice as wide as the column
        {params[ppTextWidth] / 2, height * 4, 25},  // four times as high as the page
        {100, 100, 100},                            // never enlarged
        {0, height * 2, 50},                        // no width: the height decides
        {0, 0, 100},
    };
    for (const TRow& r : rows) {
        TDocPicture picture(Doc.get());
        picture.Width = r.Width;
        picture.Height = r.Height;
        Doc->FitPictureSize(picture);
        EXPECT_EQ(picture.ScaleX, r.Scale) << r.Width << "x" << r.Height;
        EXPECT_EQ(picture.ScaleY, r.Scale);
    }
}

TEST_F(PictureObjectTest, PackingAndUnpackingKeepTheAccountingExact)
{
    TPictureMemory& memory = PictureMemory();
    const int32_t count0 = memory.Count;
    const int64_t sum0 = memory.Sum;
    TDocObject& a = Doc->ObjectManager().AddObject(BitmapPicture(100, 100, TPixelFormat::pf16bit));
    EXPECT_EQ(a.ObjectImage().UnpackedSize, 20000);
    TDocObject& b = Doc->ObjectManager().AddObject(BitmapPicture(100, 100, TPixelFormat::pf15bit));
    EXPECT_EQ(b.ObjectImage().UnpackedSize, 30000);
    EXPECT_EQ(memory.Count, count0 + 2);
    EXPECT_EQ(memory.Sum, sum0 + 50000);

    // Packed to PNG bytes and back: the same pixels.
    TDocObjectImage& image = a.ObjectImage();
    const COLORREF left = GetPixel(image.Bitmap->Canvas().Handle(), 10, 10);
    image.SetCompressed(true);
    EXPECT_EQ(image.Packed, 1);
    EXPECT_EQ(image.Bitmap, nullptr);
    EXPECT_FALSE(image.Data.empty());
    EXPECT_EQ(memory.Count, count0 + 1);
    EXPECT_EQ(memory.Sum, sum0 + 30000);
    image.SetCompressed(false);
    ASSERT_NE(image.Bitmap, nullptr);
    EXPECT_EQ(GetPixel(image.Bitmap->Canvas().Handle(), 10, 10), left);
    EXPECT_EQ(GetPixel(image.Bitmap->Canvas().Handle(), 90, 10) & 0xFFFFFF, RGB(0, 0, 255));
    EXPECT_EQ(memory.Count, count0 + 2);

    // A bitmap whose stored bytes do not load stays packed: nothing to draw.
    auto broken = std::make_unique<TDocPicture>(Doc.get());
    broken->ObjectImage().Kind = 1;
    broken->ObjectImage().Data = {1, 2, 3, 4};
    TDocObject& bad = Doc->ObjectManager().AddObject(std::move(broken));
    bad.ObjectImage().SetCompressed(false);
    EXPECT_EQ(bad.ObjectImage().Packed, 1);
    EXPECT_EQ(memory.Count, count0 + 2);
    TSurface surface(50, 50);
    TObjectDrawInfo info;
    info.Object = &bad;
    info.DC = surface.DC();
    info.Rect = {0, 0, 50, 50};
    bad.Draw(info);
    EXPECT_EQ(bad.ObjectImage().DrawCount, 0);
    EXPECT_EQ(surface.Ink({0, 0, 50, 50}), 0);

    // A metafile's bits are compressed once; packing again keeps them.
    std::vector<uint8_t> wmf;
    {
        const std::string bytes = PlaceableWmf();
        wmf.assign(bytes.begin(), bytes.end());
    }
    auto meta = std::make_unique<TDocPicture>(Doc.get());
    meta->ObjectImage().Kind = 0;
    meta->ObjectImage().Metafile = MetafileFromFileBits(wmf);
    meta->ObjectImage().Packed = 0;
    TDocObject& m = Doc->ObjectManager().AddObject(std::move(meta));
    m.ObjectImage().SetCompressed(true);
    const std::vector<uint8_t> stored = m.ObjectImage().Data;
    EXPECT_EQ(m.ObjectImage().Zlib, 1);
    m.ObjectImage().SetCompressed(false);
    EXPECT_NE(m.ObjectImage().Metafile, nullptr);
    m.ObjectImage().SetCompressed(true);
    EXPECT_EQ(m.ObjectImage().Data, stored);

    // Removal and the document's end take the unpacked images out.
    Doc->ObjectManager().RemoveObject(&b);
    EXPECT_EQ(memory.Count, count0 + 1);
    // (a came back from its PNG bytes at 24 bits per pixel.)
    EXPECT_EQ(memory.Sum, sum0 + a.ObjectImage().UnpackedSize);
    Doc.reset();
    EXPECT_EQ(memory.Count, count0);
    EXPECT_EQ(memory.Sum, sum0);
}

TEST_F(PictureObjectTest, TheBoundPacksTheLeastDrawnPicture)
{
    TMemoryLimits keep;
    TPictureMemory& memory = PictureMemory();
    memory.CountLimit = memory.Count + 1;
    memory.SizeLimit = INT64_MAX;
    TDocObject& a = Doc->ObjectManager().AddObject(BitmapPicture(20, 20));
    TDocObject& b = Doc->ObjectManager().AddObject(BitmapPicture(20, 20));
    TDocObject& c = Doc->ObjectManager().AddObject(BitmapPicture(20, 20));
    // Over the bound, the pictures added last are packed at once.
    EXPECT_EQ(a.ObjectImage().Packed, 0);
    EXPECT_EQ(b.ObjectImage().Packed, 1);
    EXPECT_EQ(c.ObjectImage().Packed, 1);
    TSurface surface(60, 20);
    auto draw = [&](TDocObject& o, int x) {
        TObjectDrawInfo info;
        info.Object = &o;
        info.DC = surface.DC();
        info.Rect = {x, 0, x + 20, 20};
        o.Draw(info);
    };
    draw(b, 20);  // b drawn more than a: a goes
    EXPECT_EQ(b.ObjectImage().Packed, 0);
    EXPECT_EQ(a.ObjectImage().Packed, 1);
    EXPECT_EQ(surface.At(25, 10), RGB(255, 0, 0));
    draw(b, 20);
    draw(c, 40);  // drawn once, less than b: c itself is packed again
    EXPECT_EQ(c.ObjectImage().Packed, 1);
    EXPECT_EQ(b.ObjectImage().Packed, 0);
    EXPECT_EQ(surface.At(55, 10), RGB(0, 0, 255));
    draw(c, 40);  // twice in a row: another picture goes, not this one
    EXPECT_EQ(c.ObjectImage().Packed, 0);
    EXPECT_EQ(b.ObjectImage().Packed, 1);
    EXPECT_EQ(memory.LastDrawn, &c);
    int64_t sum = 0;
    int unpacked = 0;
    for (TDocObject* o : {&a, &b, &c})
        if (!o->ObjectImage().Packed) {
            ++unpacked;
            sum += o->ObjectImage().UnpackedSize;
        }
    EXPECT_EQ(unpacked, 1);
    Doc.reset();
    EXPECT_EQ(memory.LastDrawn, nullptr);
    (void)sum;
}

TEST_F(PictureObjectTest, PlaceholdersAndTheScaledCache)
{
    TDocObject& p = Doc->ObjectManager().AddObject(BitmapPicture(60, 30));
    TSurface surface(200, 100);
    TObjectDrawInfo info;
    info.Object = &p;
    info.DC = surface.DC();
    info.Rect = {10, 10, 110, 60};
    // 100 %, not dimmed: drawn directly, no cache.
    EXPECT_FALSE(p.ObjectImage().PrepareScaledCache(info));
    p.ScaleX = p.ScaleY = 50;
    EXPECT_TRUE(p.ObjectImage().PrepareScaledCache(info));
    ASSERT_NE(p.ObjectImage().ScaledCache, nullptr);
    EXPECT_EQ(p.ObjectImage().ScaledCache->Width(), Doc->TwipsToLayoutScaled(p.Width, 50));
    // The cache survives packing as PNG bytes.
    p.ObjectImage().SetCompressed(true);
    EXPECT_FALSE(p.ObjectImage().ScaledCacheData.empty());
    p.ObjectImage().SetCompressed(false);
    ASSERT_NE(p.ObjectImage().ScaledCache, nullptr);

    // The pixel bound of the cache: 1024 x 768 is made, one row more is not.
    auto twipsFor = [&](int32_t layout) {
        int32_t t = Doc->LayoutToTwips(layout * 2) - 40;
        while (Doc->TwipsToLayoutScaled(t, 50) < layout)
            ++t;
        return t;
    };
    p.Width = twipsFor(1024);
    p.Height = twipsFor(768);
    EXPECT_TRUE(p.ObjectImage().PrepareScaledCache(info));
    p.Height = twipsFor(769);
    EXPECT_FALSE(p.ObjectImage().PrepareScaledCache(info));

    // Placeholders: a frame and "Image" for an unpacked picture, nothing for
    // a packed one.
    p.Width = Doc->LayoutToTwips(60);
    p.Height = Doc->LayoutToTwips(30);
    p.ScaleX = p.ScaleY = 100;
    Host.Placeholders = true;
    p.Draw(info);
    EXPECT_GT(surface.Ink({11, 11, 109, 59}), 20);
    EXPECT_NE(surface.At(10, 30), RGB(255, 255, 255));
    EXPECT_NE(surface.At(30, 30), RGB(255, 0, 0));
    p.ObjectImage().SetCompressed(true);
    TSurface empty(200, 100);
    info.DC = empty.DC();
    p.Draw(info);
    EXPECT_EQ(empty.Ink({0, 0, 200, 100}), 0);
}

TEST_F(PictureObjectTest, PicturesReadFromFilesDrawFromTheirData)
{
    // A reader's picture keeps its data as the file gave it; metafile data
    // becomes the stored form of its image (unpacked when drawn).
    const std::string placeable = PlaceableWmf();
    auto picture = std::make_unique<TDocPicture>(Doc.get());
    picture->DataKind = pdkWmf;
    picture->MappingMode = MM_ANISOTROPIC;
    picture->SourceWidth = 2540;
    picture->SourceHeight = 2540;
    picture->Data.assign(placeable.begin() + 22, placeable.end());
    picture->Width = picture->Height = 1440;
    TDocObject& added = Doc->ObjectManager().AddObject(std::move(picture));
    EXPECT_EQ(added.ObjectImage().Kind, 0);
    EXPECT_EQ(added.ObjectImage().WindowsMetafile, 1);
    EXPECT_EQ(added.ObjectImage().Packed, 1);
    TSurface surface(100, 100);
    TObjectDrawInfo info;
    info.Object = &added;
    info.DC = surface.DC();
    info.Rect = {0, 0, 100, 100};
    added.Draw(info);
    EXPECT_EQ(added.ObjectImage().Packed, 0);
    EXPECT_EQ(surface.At(50, 50), RGB(0, 255, 0));
    EXPECT_EQ(surface.At(3, 3), RGB(255, 255, 255));
}

TEST_F(PictureObjectTest, ADocumentsPicturesDrawn)
{
    TBitmap bmp;
    MakeTwoColourBitmap(bmp, 80, 40);
    bmp.SaveToFile(Path("bandes.bmp"));
    Doc->InsertPictureFromFile(Path("bandes.bmp"), 0);
    {
        std::ofstream f(Path("ellipse.wmf"), std::ios::binary);
        f << PlaceableWmf();
    }
    Doc->InsertPictureFromFile(Path("ellipse.wmf"), 2);
    const std::string corpus = SharedDir() + "/corpus/images/poi/santa.wmf";
    if (TestPathExists(corpus))
        Doc->InsertPictureFromFile(corpus, 13);
    TSurface surface(420, 220);
    int x = 10;
    std::vector<TRect> rects;
    for (int32_t i = 0; i < Doc->ObjectManager().Count(); ++i) {
        TDocObject& o = Doc->ObjectManager().Objects(i);
        const int32_t w = std::min(200, Doc->TwipsToLayoutScaled(o.Width, o.ScaleX));
        const int32_t h = std::min(200, Doc->TwipsToLayoutScaled(o.Height, o.ScaleY));
        TObjectDrawInfo info;
        info.Object = &o;
        info.DC = surface.DC();
        info.Rect = {x, 10, x + w, 10 + h};
        info.Flags = i == 0 ? odSelectedObject : 0;
        o.Draw(info);
        rects.push_back(info.Rect);
        x += w + 10;
    }
    surface.Save("document-pictures");
    ASSERT_GE(rects.size(), 2u);
    EXPECT_EQ(surface.At(rects[0].Left + 20, rects[0].Top + 20), RGB(255, 0, 0));
    EXPECT_EQ(surface.At(rects[0].Right - 20, rects[0].Top + 20), RGB(0, 0, 255));
    const TRect& e = rects[1];
    EXPECT_EQ(surface.At((e.Left + e.Right) / 2, (e.Top + e.Bottom) / 2), RGB(0, 255, 0));
    EXPECT_EQ(surface.At(e.Left + 2, e.Top + 2), RGB(255, 255, 255));
}

}  // namespace
