// The export's pictures (names, formats, producing the image files) and its
// text emitters.
#include "formats/html/HtmlExport.h"

#include "document/model/DocObject.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "foundation/InlineControl.h"
#include "formats/DocFileHost.h"
#include "formats/DocumentFile.h"
#include "formats/PictureDecoding.h"
#include "foundation/settings/SettingsStorage.h"
#include "imaging/GifImage.h"
#include "imaging/JpegImage.h"
#include "imaging/PngImage.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Picture.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Stream.h"

#include <algorithm>
#include <cstdio>

TWebExportSettings& WebExportSettings()
{
    static TWebExportSettings settings;
    return settings;
}

void LoadWebExportSettings(TSettingsStorage& store, TWebExportSettings& settings)
{
    store.OpenKey("SaveAsWeb");
    settings.Keywords = store.ReadString("KWrds", "");
    settings.Author = store.ReadString("Author", "");
    settings.SeparateFolder = store.ReadBool("SepFldr", false);
    settings.BackgroundColor = store.ReadInteger("BkClr", NotSet, NotSet, 0xFFFFFF);
    settings.BackgroundImage = store.ReadString("BkImg", "");
    settings.RestartNumbering = store.ReadBool("RestartImgNum", false);
    settings.DefaultFormat = static_cast<uint8_t>(store.ReadInteger("DefImgFmt", ifPng, ifPng, ifBest));
    settings.PictureCounter = store.ReadInteger("ImgCounter", 0, 0, 99999);
}

void SaveWebExportSettings(TSettingsStorage& store, const TWebExportSettings& settings)
{
    store.OpenKey("SaveAsWeb");
    store.WriteString("KWrds", settings.Keywords);
    store.WriteString("Author", settings.Author);
    store.WriteBool("SepFldr", settings.SeparateFolder);
    store.WriteInteger("BkClr", settings.BackgroundColor);
    store.WriteString("BkImg", settings.BackgroundImage);
    store.WriteBool("RestartImgNum", settings.RestartNumbering);
    store.WriteInteger("DefImgFmt", settings.DefaultFormat);
    store.WriteInteger("ImgCounter", settings.PictureCounter);
}

const char* ImageFormatExtension(uint8_t format)
{
    switch (format) {
    case ifGif: return ".gif";
    case ifJpeg: return ".jpg";
    default: return ".png";
    }
}

namespace {

// The picture as a bitmap the codecs take: a bitmap as it is, anything else
// (a metafile, a JPEG, a GIF) drawn on white at its own size.
std::unique_ptr<TBitmap> BitmapOf(const TGraphic& graphic)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Assign(graphic);
    if (bitmap->Empty()) {
        bitmap->SetPixelFormat(TPixelFormat::pf24bit);
        bitmap->SetSize(std::max(graphic.Width(), 1), std::max(graphic.Height(), 1));
    }
    // Device and 15/16-bit pixels are no format the writers take.
    switch (bitmap->PixelFormat()) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit:
    case TPixelFormat::pf24bit: break;
    default: bitmap->SetPixelFormat(TPixelFormat::pf24bit); break;
    }
    return bitmap;
}

std::string SaveGraphic(TGraphic& graphic)
{
    TStringStream stream;
    graphic.SaveToStream(stream);
    return stream.DataString();
}

std::string ProduceFormat(const TBitmap& bitmap, uint8_t format, const std::string* jpegData)
{
    switch (format) {
    case ifGif: {
        TGIFImage gif;
        gif.Assign(bitmap);
        return SaveGraphic(gif);
    }
    case ifJpeg: {
        // A JPEG picture goes out as it came, without a second compression.
        if (jpegData && !jpegData->empty())
            return *jpegData;
        TJPEGImage jpeg;
        jpeg.Assign(bitmap);
        return SaveGraphic(jpeg);
    }
    default: {
        TPNGImage png;
        png.Assign(bitmap);
        return SaveGraphic(png);
    }
    }
}

int32_t ColorCountOf(const TBitmap& bitmap)
{
    switch (bitmap.PixelFormat()) {
    case TPixelFormat::pf1bit:
    case TPixelFormat::pf4bit:
    case TPixelFormat::pf8bit: return PaletteColorCount;
    default: return TrueColorCount;
    }
}

// Produces the formats asked for into produced[]; the chosen one.
uint8_t ProduceInto(const TGraphic& graphic, uint8_t format, const std::string* jpegData, std::string (&produced)[3],
                    int32_t& colorCount)
{
    const std::unique_ptr<TBitmap> bitmap = BitmapOf(graphic);
    auto make = [&](uint8_t one) {
        if (produced[one].empty())
            produced[one] = ProduceFormat(*bitmap, one, jpegData);
        if (one == ifPng)
            colorCount = ColorCountOf(*bitmap);
    };
    if (format != ifBest) {
        make(format > ifJpeg ? ifPng : format);
        return format > ifJpeg ? ifPng : format;
    }
    make(ifPng);
    uint8_t best = ifPng;
    // GIF takes part only for pictures of at most 256 colours; a later
    // format must be strictly smaller to win.
    if (colorCount <= PaletteColorCount) {
        make(ifGif);
        if (produced[ifGif].size() < produced[best].size())
            best = ifGif;
    }
    make(ifJpeg);
    if (produced[ifJpeg].size() < produced[best].size())
        best = ifJpeg;
    return best;
}

// The document picture's drawable form, or an empty frame of its size.
std::unique_ptr<TBitmap> FrameOf(const TDocPicture& picture)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    const int32_t width = std::max(1, picture.Width * 96 / 1440);
    const int32_t height = std::max(1, picture.Height * 96 / 1440);
    bitmap->SetSize(width, height);
    bitmap->Canvas().Brush().SetColor(0xFFFFFF);
    bitmap->Canvas().FillRect(TRect{0, 0, width, height});
    return bitmap;
}

}  // namespace

std::string ProduceGraphic(const TGraphic& graphic, uint8_t& format, int32_t& colorCount, const std::string* jpegData)
{
    std::string produced[3];
    format = ProduceInto(graphic, format, jpegData, produced, colorCount);
    return produced[format];
}

bool ChooseImageFormat(TImageInfo& info, uint8_t format)
{
    if (!info.Picture)
        return false;
    const TDocPicture& picture = *info.Picture;
    std::unique_ptr<TPicture> decoded;
    const TPicture* drawable = picture.Image.get();
    if (!drawable || !drawable->Graphic()) {
        decoded = DecodeDocPicture(picture);
        drawable = decoded.get();
    }
    std::string jpeg;
    if (picture.DataKind == pdkJpeg)
        jpeg.assign(picture.Data.begin(), picture.Data.end());
    try {
        if (drawable && drawable->Graphic())
            info.Format = ProduceInto(*drawable->Graphic(), format, &jpeg, info.Produced, info.ColorCount);
        else
            info.Format = ProduceInto(*FrameOf(picture), format, nullptr, info.Produced, info.ColorCount);
    } catch (const Exception&) {
        // A picture its codec cannot write still gets a file: its frame.
        info.Format = ProduceInto(*FrameOf(picture), format, nullptr, info.Produced, info.ColorCount);
    }
    info.FileName = ChangeFileExt(info.FileName, ImageFormatExtension(info.Format));
    return info.IsProduced(info.Format);
}

std::vector<const TDocPicture*> DocumentPictures(const TDocument& document)
{
    std::vector<const TDocPicture*> pictures;
    const int32_t last = document.StoryLast(stEndnotes);
    for (int32_t p = 0; p <= last && p < document.ParagraphCount(); ++p) {
        const TMemory& text = document.Paragraphs(p).GetText();
        const uint8_t* data = text.Data();
        for (int32_t i = 0; i + InlineControlSize <= text.Size(); ++i) {
            if (data[i] != InlineControlStartByte)
                continue;
            const TInlineControl control = ReadInlineControl(data + i);
            if (control.Code == icPicture)
                if (const auto* picture =
                        dynamic_cast<const TDocPicture*>(document.Objects().GetDocObject(control.Argument)))
                    pictures.push_back(picture);
            i += InlineControlSize - 1;
        }
    }
    return pictures;
}

std::string PictureFolderName(const std::string& pageFileName)
{
    return ChangeFileExt(pageFileName, "") + "_fichiers";
}

std::string NextPictureName(int32_t position, const std::string& pageFileName)
{
    TWebExportSettings& settings = WebExportSettings();
    char name[16];
    if (settings.RestartNumbering) {
        std::snprintf(name, sizeof name, "Image%05d", std::clamp(position, 1, 99999));
        return name;
    }
    const std::string folder = ExtractFilePath(pageFileName);
    // At most one round of the counter: when every number is taken the last
    // one is used again.
    for (int32_t tries = 0; tries < 99999; ++tries) {
        settings.PictureCounter = settings.PictureCounter >= 99999 || settings.PictureCounter < 0
                                      ? 1
                                      : settings.PictureCounter + 1;
        std::snprintf(name, sizeof name, "Image%05d", settings.PictureCounter);
        if (settings.SeparateFolder)
            break;
        bool taken = false;
        for (uint8_t format = ifPng; format <= ifJpeg && !taken; ++format)
            taken = FileExists(folder + name + ImageFormatExtension(format));
        if (!taken)
            break;
    }
    return name;
}

TImageInfoList MakeImageList(const TDocument& document, const std::string& pageFileName)
{
    TImageInfoList list;
    const std::vector<const TDocPicture*> pictures = DocumentPictures(document);
    if (pictures.empty())
        return list;
    TDocFileHost& host = DocFileHost();
    host.ProgressStart(static_cast<int64_t>(pictures.size()), "Création des images HTML...");
    int32_t position = 0;
    for (const TDocPicture* picture : pictures) {
        auto info = std::make_unique<TImageInfo>(picture);
        info->FileName = NextPictureName(++position, pageFileName);
        ChooseImageFormat(*info, WebExportSettings().DefaultFormat);
        list.push_back(std::move(info));
        host.ProgressStep(position);
    }
    host.ProgressEnd(true);
    return list;
}

TDocumentWebInfo DocumentWebInfo(const TDocument& document)
{
    return {document.Properties.Title, document.Properties.Keywords, document.Properties.Author};
}

int32_t WriteWebPage(TDocument& document, const THtmlExportParams& params)
{
    TDocWriteParams write;
    write.Coding = ciRtf;
    write.Flags = wfHtml | wfCopy;
    write.Html = &params;
    return WriteToFile(document, write);
}

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (static_cast<uint8_t>(c)) {
        case '"': out += "&quot;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case 0x91: out += "&lsquo;"; break;
        case 0x92: out += "&rsquo;"; break;
        case 0x93: out += "&ldquo;"; break;
        case 0x94: out += "&rdquo;"; break;
        case 0x84: out += "&bdquo;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string HtmlAttribute(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '"')
            out += "&quot;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

std::string HtmlColorText(uint32_t color)
{
    struct THTML_Color {
        uint8_t R, G, B;
        const char* Name;
    };
    static constexpr THTML_Color kNames[] = {
        {0, 0, 0, "black"},       {0, 128, 0, "green"},   {192, 192, 192, "silver"}, {0, 255, 0, "lime"},
        {128, 128, 128, "gray"},  {128, 128, 0, "olive"}, {255, 255, 255, "white"},  {255, 255, 0, "yellow"},
        {128, 0, 0, "maroon"},    {0, 0, 128, "navy"},    {255, 0, 0, "red"},        {0, 0, 255, "blue"},
        {128, 0, 128, "purple"},  {0, 128, 128, "teal"},  {255, 0, 255, "fuchsia"},  {0, 255, 255, "aqua"},
    };
    const uint8_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    for (const THTML_Color& named : kNames)
        if (named.R == r && named.G == g && named.B == b)
            return named.Name;
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", r, g, b);
    return text;
}

std::string HtmlUrlPath(std::string_view path)
{
    std::string out;
    for (const char c : path) {
        if (c == '\\')
            out += '/';
        else if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

std::string HundredthsText(int64_t hundredths)
{
    const bool negative = hundredths < 0;
    const uint64_t value = negative ? static_cast<uint64_t>(-hundredths) : static_cast<uint64_t>(hundredths);
    std::string text = std::to_string(value / 100);
    const uint64_t fraction = value % 100;
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char>('0' + fraction % 10);
    }
    return negative ? "-" + text : text;
}
