// Pictures put into the text from files: decoding by the picture class of
// the file's format, the object's image in metafile or bitmap form, its size
// fitted to the column, and the insertion as one undoable step.
#include "document/model/Document.h"

#include "document/model/DocObject.h"
#include "document/model/DocumentHost.h"
#include "document/model/ObjectManager.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/BitmapHelpers.h"
#include "foundation/InlineControl.h"
#include "foundation/Memory.h"
#include "foundation/MessageDlg.h"
#include "foundation/NotSet.h"
#include "imaging/GifImage.h"
#include "imaging/JpegImage.h"
#include "imaging/PcdImage.h"
#include "imaging/PcxImage.h"
#include "imaging/PngImage.h"
#include "imaging/TargaImage.h"
#include "imaging/TiffImage.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Metafile.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/Files.h"

#include <algorithm>

namespace {

constexpr uint8_t PictureFormatCount = 13;
const char* const PictureExtensions[PictureFormatCount] = {"bmp", "emf", "wmf", "jpg", "gif", "png", "tif",
                                                           "pcd", "pcx", "tga", "ico", "cur", "ani"};
// The operation kind named "l'insertion d'mage".
constexpr uint8_t InsertPictureKind = 17;

uint8_t PictureFormatOfName(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of("/\\");
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return 255;
    std::string ext = fileName.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (ext == "jpeg")
        return 3;
    for (uint8_t i = 0; i < PictureFormatCount; ++i)
        if (ext == PictureExtensions[i])
            return i;
    return 255;
}

// The image takes a metafile; its size comes from the metafile's.
bool TakeMetafile(TDocument& document, TDocPicture& picture, HENHMETAFILE handle)
{
    if (!handle)
        return false;
    TMetafile metafile;
    metafile.SetHandle(handle);
    TDocObjectImage& image = picture.ObjectImage();
    image.Kind = 0;
    picture.Width = document.LayoutToTwips(metafile.Width());
    picture.Height = document.LayoutToTwips(metafile.Height());
    image.Metafile = metafile.ReleaseHandle();
    return true;
}

std::unique_ptr<TPNGImage> PngOf(const TGraphic& source)
{
    auto png = std::make_unique<TPNGImage>();
    png->Assign(source);
    return png;
}

// Loads the file as one format; whether it succeeded. Failures of the JPEG
// and PNG readers are reported as such; those of the others raise.
bool LoadPictureFile(TDocument& document, TDocPicture& picture, const std::string& fileName, uint8_t format)
{
    TDocObjectImage& image = picture.ObjectImage();
    bool loaded = false;
    image.Kind = 1;
    switch (format) {
    case 0: case 6: case 7: case 8: case 9: {
        std::unique_ptr<TBitmap> decoder;
        switch (format) {
        case 0: decoder = std::make_unique<TBitmap>(); break;
        case 6: decoder = std::make_unique<TTiffImage>(); break;
        case 7: decoder = std::make_unique<TPCDImage>(); break;
        case 8: decoder = std::make_unique<TPCXImage>(); break;
        default: decoder = std::make_unique<TTargaImage>(); break;
        }
        decoder->LoadFromFile(fileName);
        image.Bitmap = PngOf(*decoder);
        loaded = true;
        break;
    }
    case 1: case 2: {
        TMetafile metafile;
        metafile.LoadFromFile(fileName);
        return TakeMetafile(document, picture, metafile.ReleaseHandle());
    }
    case 3:
        try {
            image.JpegSource = std::make_unique<TJPEGImage>();
            image.JpegSource->LoadFromFile(fileName);
            image.Bitmap = PngOf(*image.JpegSource);
            loaded = true;
        } catch (const Exception&) {
            image.JpegSource.reset();
        }
        break;
    case 4: {
        TGIFImage gif;
        gif.LoadFromFile(fileName);
        if (gif.Transparent()) {
            // The current frame, drawn through its transparent colour.
            TBitmap frame;
            frame.Assign(gif.GetBitmap());
            frame.SetTransparentColor(gif.GetTransparentColor());
            frame.SetTransparent(true);
            return TakeMetafile(document, picture, BitmapToMetafile(frame));
        }
        image.Bitmap = PngOf(gif);
        loaded = true;
        break;
    }
    case 5:
        try {
            image.Bitmap = std::make_unique<TPNGImage>();
            image.Bitmap->LoadFromFile(fileName);
            loaded = true;
        } catch (const Exception&) {
        }
        if (loaded && image.Bitmap->Transparent()) {
            HENHMETAFILE handle = BitmapToMetafile(*image.Bitmap);
            image.Bitmap.reset();
            return TakeMetafile(document, picture, handle);
        }
        break;
    default:
        // Icons and cursors: no picture class reads them yet.
        return false;
    }
    if (!loaded || !image.Bitmap || image.Bitmap->Empty()) {
        image.Bitmap.reset();
        return false;
    }
    ReduceBitmapColors(*image.Bitmap);
    picture.Width = document.LayoutToTwips(image.Bitmap->Width());
    picture.Height = document.LayoutToTwips(image.Bitmap->Height());
    return true;
}

bool TryLoadPicture(TDocument& document, TDocPicture& picture, const std::string& fileName, uint8_t format)
{
    if (format < PictureFormatCount && LoadPictureFile(document, picture, fileName, format))
        return true;
    for (uint8_t other = 0; other < PictureFormatCount; ++other)
        if (other != format && LoadPictureFile(document, picture, fileName, other))
            return true;
    return false;
}

std::string UnreadablePictureText(const std::string& fileName)
{
    return "Impossible d'ouvrir l'image \"" + fileName +
           "\". Ceci peut être dû à un manque de ressources système ou à un format d'image non reconnu.";
}

}  // namespace

void TDocument::InsertPictureFromFile(const std::string& fileName, uint8_t format)
{
    if (!FileExists(fileName)) {
        ShowError("Impossible d'ouvrir le fichier \"" + fileName + "\".");
        return;
    }
    TDocObject* added = nullptr;
    bool inserted = false;
    try {
        auto picture = std::make_unique<TDocPicture>(this);
        if (format == 13 || format == 14)
            format = PictureFormatOfName(fileName);
        if (!TryLoadPicture(*this, *picture, fileName, format)) {
            ShowError(UnreadablePictureText(fileName));
            return;
        }
        FitPictureSize(*picture);
        picture->ObjectImage().Packed = 0;
        added = &ObjectManager().AddObject(std::move(picture));
        TMemory buffer;
        AppendFormatCode(buffer, icPicture, added->Handle());
        int32_t breaks = 0;
        uint8_t flags = 0;
        KindOverride = InsertPictureKind;
        ExecuteOperation(docInsertFragment, {&buffer, &breaks, &flags});
        inserted = true;
        DocumentHost().AddRecentPicture(fileName);
    } catch (const EAbort&) {
        throw;
    } catch (...) {
        KindOverride = 255;
        // The document stays as it was: the object leaves it again.
        if (added && !inserted)
            ObjectManager().RemoveObject(added);
        ShowError(UnreadablePictureText(fileName));
    }
}

TDocObject& TDocument::AddBitmapPicture(const TBitmap& bitmap)
{
    if (bitmap.Empty())
        throw EInvalidGraphic("Image vide");
    auto picture = std::make_unique<TDocPicture>(this);
    TDocObjectImage& image = picture->ObjectImage();
    image.Kind = 1;
    image.Bitmap = PngOf(bitmap);
    ReduceBitmapColors(*image.Bitmap);
    picture->Width = LayoutToTwips(image.Bitmap->Width());
    picture->Height = LayoutToTwips(image.Bitmap->Height());
    FitPictureSize(*picture);
    image.Packed = 0;
    return ObjectManager().AddObject(std::move(picture));
}

void TDocument::FitPictureSize(TDocObject& object)
{
    TPageParams params;
    GetCaretPageParams(params);
    const int32_t availableHeight = params[ppPaperHeight] - params[ppTopMargin] - params[ppBottomMargin];
    TSectionSettings settings;
    GetSelectionSectionSettings(settings);
    int32_t availableWidth = params[ppTextWidth];
    const int32_t columns = settings[ssColumnCount];
    if (columns != 1 && columns != NotSet && !EditedHeaderFooter) {
        if (HasSelection()) {
            availableWidth = 0;
            for (int32_t c = 0; c < settings.UsableColumnCount(); ++c)
                availableWidth = std::max(availableWidth, GetColumnGeometry(settings, params, c).Width);
        } else {
            int32_t column = 0;
            const TParagraph& paragraph = Paragraphs(Caret.Paragraph);
            if (Caret.Line >= 0 && Caret.Line < paragraph.GetLineCount())
                column = std::max(0, paragraph.GetLine(Caret.Line).Column);
            availableWidth = GetColumnGeometry(settings, params, column).Width;
        }
    }
    // A picture without width or height is not scaled that way (no division
    // by zero); one smaller than the column is never enlarged.
    int32_t horizontal = 100, vertical = 100;
    if (object.Width > 0)
        horizontal = std::min(100, MulDiv(availableWidth, 100, object.Width));
    if (object.Height > 0)
        vertical = std::min(100, MulDiv(availableHeight, 100, object.Height));
    const int32_t scale = std::max(1, std::min(horizontal, vertical));
    object.ScaleX = scale;
    object.ScaleY = scale;
}
