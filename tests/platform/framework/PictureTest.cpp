// TPicture and the registry of picture classes by file extension.
#include <gtest/gtest.h>

#include <string>

#include "platform/framework/Bitmap.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Stream.h"
#include "platform/testing/Testing.h"

namespace {

// A picture class of the tests: its file holds "width height".
class TSizeGraphic : public TGraphic {
public:
    std::unique_ptr<TGraphic> NewInstance() const override { return std::make_unique<TSizeGraphic>(); }
    std::string ClassName() const override { return "TSizeGraphic"; }
    void Assign(const TGraphic& source) override
    {
        if (auto* s = dynamic_cast<const TSizeGraphic*>(&source)) {
            FWidth = s->FWidth;
            FHeight = s->FHeight;
            Changed();
        } else {
            TGraphic::Assign(source);
        }
    }
    void Draw(TCanvas& canvas, const TRect& rect) override { canvas.FillRect(rect); }
    bool Empty() const override { return FWidth == 0; }
    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    void SetWidth(int32_t w) override { FWidth = w; }
    void SetHeight(int32_t h) override { FHeight = h; }
    void LoadFromStream(TStream& stream) override
    {
        std::string text(static_cast<size_t>(stream.Size() - stream.Position()), '\0');
        stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
        if (std::sscanf(text.c_str(), "%d %d", &FWidth, &FHeight) != 2)
            Abort();
        Changed();
    }
    void SaveToStream(TStream& stream) override
    {
        stream.WriteString(std::to_string(FWidth) + " " + std::to_string(FHeight));
    }

private:
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};

}  // namespace

TEST(Picture, FilesLoadThroughTheClassOfTheirExtension)
{
    TPicture::RegisterFileFormat("TST", "Images d'essai", GraphicClassOf<TSizeGraphic>("TSizeGraphic"));
    TPicture::RegisterFileFormat(".tst", "Images d'essai", GraphicClassOf<TSizeGraphic>("TSizeGraphic"));
    const std::string dir = MakeTestDir("picture");
    WriteTestFile(dir + "/deux.Tst", "12 34");
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TPicture&) { ++changes; };
    picture.LoadFromFile(dir + "/deux.Tst");
    ASSERT_NE(dynamic_cast<TSizeGraphic*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 12);
    EXPECT_EQ(picture.Height(), 34);
    EXPECT_GT(changes, 0);

    // A file its class cannot read leaves the picture as it was.
    WriteTestFile(dir + "/mauvais.tst", "rien");
    EXPECT_THROW(picture.LoadFromFile(dir + "/mauvais.tst"), EAbort);
    EXPECT_EQ(picture.Width(), 12);
    try {
        picture.LoadFromFile(dir + "/photo.xyz");
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Extension de fichier image inconnue (.xyz)");
    }
    EXPECT_THROW(picture.LoadFromFile(dir + "/absent.tst"), EFOpenError);

    // Bitmaps are known from the start.
    TBitmap b;
    b.SetPixelFormat(TPixelFormat::pf24bit);
    b.SetSize(3, 2);
    b.Canvas().SetPixels(2, 1, clRed);
    b.SaveToFile(dir + "/image.BMP");
    picture.LoadFromFile(dir + "/image.BMP");
    EXPECT_EQ(picture.Bitmap().Canvas().Pixels(2, 1), clRed);

    // A copy holds a picture of the same class.
    TPicture copy;
    WriteTestFile(dir + "/deux.tst", "5 6");
    picture.LoadFromFile(dir + "/deux.tst");
    copy.Assign(picture);
    ASSERT_NE(dynamic_cast<TSizeGraphic*>(copy.Graphic()), nullptr);
    EXPECT_EQ(copy.Width(), 5);
    EXPECT_NE(copy.Graphic(), picture.Graphic());
    // Asking for a bitmap replaces another picture by an empty bitmap.
    EXPECT_TRUE(copy.Bitmap().Empty());
    // A bitmap takes any picture by drawing it.
    TBitmap drawn;
    drawn.Canvas().Brush().SetColor(clBlue);
    drawn.Assign(*picture.Graphic());
    EXPECT_EQ(drawn.Width(), 5);
    EXPECT_EQ(drawn.Height(), 6);
    // A picture class that cannot take a bitmap says so.
    TSizeGraphic g;
    EXPECT_THROW(g.Assign(b), EConvertError);
    TPicture::UnregisterGraphicClass("TSizeGraphic");
    EXPECT_FALSE(TPicture::FindGraphicClass("tst"));
}

TEST(Picture, TheRegistryKeepsOneClassPerExtension)
{
    const std::string before = TPicture::GraphicExtensions();
    EXPECT_NE(before.find("*.bmp"), std::string::npos);
    for (int i = 0; i < 3; ++i)  // a codec's registration running more than once
        TPicture::RegisterFileFormat("tiff", "Images TIFF", GraphicClassOf<TSizeGraphic>("TSizeGraphic"));
    TPicture::RegisterFileFormat("tif", "Images TIFF", GraphicClassOf<TSizeGraphic>("TSizeGraphic"));
    std::string list = TPicture::GraphicExtensions();
    EXPECT_EQ(list.find("*.tiff"), list.rfind("*.tiff"));
    ASSERT_TRUE(TPicture::FindGraphicClass("photo.TIF"));
    EXPECT_EQ(TPicture::FindGraphicClass("photo.TIF")->Name, "TSizeGraphic");
    // A later class for an extension replaces the earlier one.
    TPicture::RegisterFileFormat("tif", "Bitmaps TIFF", GraphicClassOf<TBitmap>("TBitmap"));
    EXPECT_EQ(TPicture::FindGraphicClass("tif")->Name, "TBitmap");
    EXPECT_EQ(TPicture::FindGraphicClass("tif")->Create()->ClassName(), "TBitmap");
    const std::string filter = TPicture::GraphicFilter();
    EXPECT_EQ(filter.rfind("Tous (*.bmp;", 0), 0u) << filter;
    EXPECT_NE(filter.find("|Bitmaps (*.bmp)|*.bmp"), std::string::npos);
    EXPECT_NE(filter.find("|Images TIFF (*.tiff)|*.tiff"), std::string::npos);
    TPicture::UnregisterGraphicClass("TSizeGraphic");
    TPicture::UnregisterGraphicClass("TBitmap");
    EXPECT_FALSE(TPicture::FindGraphicClass("tiff"));
    EXPECT_FALSE(TPicture::FindGraphicClass("bmp"));
    TPicture::RegisterFileFormat("bmp", "Bitmaps", GraphicClassOf<TBitmap>("TBitmap"));
    EXPECT_TRUE(TPicture::FindGraphicClass("BMP"));
}
