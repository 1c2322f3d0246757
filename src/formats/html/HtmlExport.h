#pragma once
// The web-page export: a document written as one HTML page in the Windows
// code page of its usual font, with its pictures as image files (PNG, GIF or
// JPEG) beside the page or in a folder "<page>_fichiers" of their own, and an
// optional background colour and background image. Formatting goes out as
// inline CSS on paragraph and font elements plus a few tags, written as
// differences from the page's most frequent paragraph and character formats,
// which the page's style sheet carries once.
#include "foundation/NotSet.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TDocPicture;
class TDocument;
class TGraphic;
class TOutputFile;
struct TDocWriteParams;

// Picture formats of the export.
constexpr uint8_t ifPng = 0;
constexpr uint8_t ifGif = 1;
constexpr uint8_t ifJpeg = 2;
// The smallest of the three (a default format and a ChooseImageFormat request).
constexpr uint8_t ifBest = 3;
// A picture no format has been chosen for yet.
constexpr uint8_t ifNone = 255;
// The colour counts a produced PNG records.
constexpr int32_t PaletteColorCount = 256;
constexpr int32_t TrueColorCount = 0xFFFFFF;

// The web-export settings the options keep (section "SaveAsWeb"), and the
// program-wide picture counter that numbers the pictures of every export.
struct TWebExportSettings {
    std::string Keywords;             // "KWrds"
    std::string Author;               // "Author"
    bool SeparateFolder = false;      // "SepFldr"
    int32_t BackgroundColor = NotSet; // "BkClr": a colour value 0x00BBGGRR, NotSet for none
    std::string BackgroundImage;      // "BkImg": a picture file, empty for none
    bool RestartNumbering = false;    // "RestartImgNum"
    uint8_t DefaultFormat = ifPng;    // "DefImgFmt": 0 PNG, 1 GIF, 2 JPEG, 3 the smallest
    int32_t PictureCounter = 0;       // the last number given to a picture (wraps from 99999 to 1)
    // Colours are shifted against the background colour first.
    bool AdjustColors = false;
};
// The program's settings (the options load and save them).
TWebExportSettings& WebExportSettings();
class TSettingsStorage;
// The settings from and to the key "SaveAsWeb" of the store.
void LoadWebExportSettings(TSettingsStorage& store, TWebExportSettings& settings);
void SaveWebExportSettings(TSettingsStorage& store, const TWebExportSettings& settings);

// One picture of an export.
class TImageInfo {
public:
    explicit TImageInfo(const TDocPicture* picture) : Picture(picture) {}
    const TDocPicture* Picture;
    // 256 or 0xFFFFFF once a PNG has been produced.
    int32_t ColorCount = NotSet;
    uint8_t Format = ifNone;
    // The image file's name (no folder).
    std::string FileName;
    // The file of each format once it has been produced; empty while not.
    std::string Produced[3];
    bool IsProduced(uint8_t format) const { return format < 3 && !Produced[format].empty(); }
};
using TImageInfoList = std::vector<std::unique_ptr<TImageInfo>>;

// ".png", ".gif", ".jpg" by format.
const char* ImageFormatExtension(uint8_t format);

// Produces the picture in the format (0 to 2) or in all three, keeping the
// smallest file (format 3); the name takes the chosen format's extension.
// A picture that no picture class can draw is produced as an empty frame of
// its size. False when no image could be made at all.
bool ChooseImageFormat(TImageInfo& info, uint8_t format);
// The same for any picture (the background image): the bytes of the chosen
// format, the format in `format` on return.
std::string ProduceGraphic(const TGraphic& graphic, uint8_t& format, int32_t& colorCount,
                           const std::string* jpegData = nullptr);

// What the save-as-web-page command hands to the export.
struct THtmlExportParams {
    // The page's file name (a file, never the document's own).
    std::string PageFileName;
    std::string Title;
    // One per picture of the document in document order, produced already;
    // null: the export names and produces them with the settings.
    const TImageInfoList* Images = nullptr;
    // Filled by the page write: the pictures' folder relative to the page
    // (empty: beside it) and the background image's path relative to it.
    std::string PictureFolder;
    std::string BackgroundFile;
};

// The pictures of the document (body and notes) in document order.
std::vector<const TDocPicture*> DocumentPictures(const TDocument& document);
// The next picture name, "Image" and five digits, without extension. With
// the numbering restarted the position (from 1) gives the number; else the
// program-wide counter advances (wrapping from 99999 to 1), skipping, when the
// pictures stand beside the page, numbers whose file exists there.
std::string NextPictureName(int32_t position, const std::string& pageFileName);
// A list with one picture per picture of the document, named and produced in
// the default format, with the status text "Création des images HTML..." and
// one progress step per picture.
TImageInfoList MakeImageList(const TDocument& document, const std::string& pageFileName);

// What the dialog shows of the document: its title, keywords and author.
struct TDocumentWebInfo {
    std::string Title;
    std::string Keywords;
    std::string Author;
};
TDocumentWebInfo DocumentWebInfo(const TDocument& document);
// The document written as a copy through the export (the dialog's save and
// preview); the document write's result.
int32_t WriteWebPage(TDocument& document, const THtmlExportParams& params);

// "%s_fichiers" beside the page (%s: the page's name without extension).
std::string PictureFolderName(const std::string& pageFileName);

// Text emitters.
// HTML entities for quotes, <, >, & and the curly quotes of code page 1252.
std::string HtmlEscape(std::string_view text);
// Only the double quote becomes "&quot;" (and & its entity, so that a value
// reads back as it was written).
std::string HtmlAttribute(std::string_view text);
// A colour (0x00BBGGRR) as one of the sixteen HTML names or "#rrggbb".
std::string HtmlColorText(uint32_t color);
// Every backslash becomes "/", every space "%20".
std::string HtmlUrlPath(std::string_view path);
// Hundredths written with a point, as short as it goes: 150 "1.5", -5 "-0.05".
std::string HundredthsText(int64_t hundredths);

// Writes the page through the output; 0 when written, 2 when an error (the
// silent abort of a cancelled write included) stopped it. The decimal
// separator is "." for the duration and put back in both cases.
int32_t WriteHtml(TOutputFile& output, const THtmlExportParams& params);

// The document write's road for the export: pictures, then the page, written
// completely into a new file beside the page before it takes the page's
// place. 0 when written, 1 when not.
int32_t WriteHtmlPage(TDocument& document, const TDocWriteParams& params);
