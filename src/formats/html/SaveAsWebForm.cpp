#include "formats/html/SaveAsWebForm.h"
#include "document/model/Document.h"

#include "document/model/DocObject.h"
#include "foundation/MessageDlg.h"
#include "foundation/managers/ColorManager.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/Picture.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Lists.h"
#include "platform/framework/dialogs/CommonDialogs.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/Processes.h"
#include "platform/runtime/SysUtils.h"

#include <algorithm>

namespace {

constexpr int32_t kOtherColor = -1;
constexpr int32_t kThumbnail = 28;

template <class T>
T* Make(TForm* form, TWinControl* parent, const char* name, int32_t left, int32_t top, int32_t width, int32_t height)
{
    auto* control = new T(form);
    control->SetName(name);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
}

TLabel* MakeLabel(TForm* form, TWinControl* parent, const char* caption, int32_t left, int32_t top, int32_t width)
{
    auto* label = new TLabel(form);
    label->SetParent(parent);
    label->SetCaption(caption);
    label->SetBounds(left, top, width, 13);
    return label;
}

// A name a file can have: not empty, not too long, none of the characters
// file names refuse.
bool IsValidPictureName(const std::string& name)
{
    if (name.empty() || name.size() > 200 || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<uint8_t>(c) < 32 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    });
}

// Draws a picture scaled into the rectangle, keeping its proportions.
void DrawFitted(TCanvas& canvas, const TRect& rect, TGraphic& graphic)
{
    const int32_t width = std::max(graphic.Width(), 1);
    const int32_t height = std::max(graphic.Height(), 1);
    const int32_t boxW = rect.Right - rect.Left;
    const int32_t boxH = rect.Bottom - rect.Top;
    int32_t w = boxW, h = boxH;
    if (static_cast<int64_t>(width) * boxH > static_cast<int64_t>(height) * boxW)
        h = std::max(1, static_cast<int32_t>(static_cast<int64_t>(height) * boxW / width));
    else
        w = std::max(1, static_cast<int32_t>(static_cast<int64_t>(width) * boxH / height));
    if (w >= width && h >= height) {
        w = width;
        h = height;
    }
    const int32_t x = rect.Left + (boxW - w) / 2;
    const int32_t y = rect.Top + (boxH - h) / 2;
    canvas.StretchDraw(TRect{x, y, x + w, y + h}, graphic);
}

TGraphic* GraphicOf(const TImageInfo& info)
{
    if (!info.Picture || !info.Picture->Image)
        return nullptr;
    return info.Picture->Image->Graphic();
}

}  // namespace

TSaveAsWebForm::TSaveAsWebForm(TComponent* owner, TDocument& document, const std::string& pageFileName)
    : TForm(owner), FDocument(document), FPageFileName(pageFileName)
{
    SetName("SaveAsWebForm");
    SetCaption("Enregistrer comme page Web");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(520, 428);

    MakeLabel(this, this, "Nom du fichier :", 8, 12, 90);
    FileNameEdit = Make<TEdit>(this, this, "FileNameEdit", 104, 8, 316, 21);
    FileNameEdit->ReadOnly = true;
    ChangeFileNameBtn = Make<TButton>(this, this, "ChangeFileNameBtn", 428, 7, 84, 23);
    ChangeFileNameBtn->SetCaption("&Modifier...");
    MakeLabel(this, this, "&Titre :", 8, 40, 90);
    TitleEdit = Make<TEdit>(this, this, "TitleEdit", 104, 36, 408, 21);
    MakeLabel(this, this, "&Mots-clés :", 8, 68, 90);
    KeywordsEdit = Make<TEdit>(this, this, "KeywordsEdit", 104, 64, 408, 21);
    MakeLabel(this, this, "&Auteur :", 8, 96, 90);
    AuthorEdit = Make<TEdit>(this, this, "AuthorEdit", 104, 92, 408, 21);

    ImagesGrpBx = Make<TGroupBox>(this, this, "ImagesGrpBx", 8, 122, 504, 180);
    ImagesGrpBx->SetCaption(" Images ");
    ImgLstBx = Make<TListBox>(this, ImagesGrpBx, "ImgLstBx", 8, 18, 180, 150);
    ImgLstBx->Style = TListBoxStyle::lbOwnerDrawFixed;
    ImgLstBx->SetItemHeight(kThumbnail + 4);
    MakeLabel(this, ImagesGrpBx, "Nom :", 196, 22, 60);
    ImgFileNameEdit = Make<TEdit>(this, ImagesGrpBx, "ImgFileNameEdit", 258, 18, 130, 21);
    MakeLabel(this, ImagesGrpBx, "Format :", 196, 50, 60);
    ImgFmtCmbBx = Make<TComboBox>(this, ImagesGrpBx, "ImgFmtCmbBx", 258, 46, 130, 21);
    ImgFmtCmbBx->Style = TComboBoxStyle::csDropDownList;
    for (const char* format : {"PNG", "GIF", "JPG"})
        ImgFmtCmbBx->Items().Add(format);
    MakeLabel(this, ImagesGrpBx, "Par défaut :", 196, 78, 60);
    DefImgFmtCmbBx = Make<TComboBox>(this, ImagesGrpBx, "DefImgFmtCmbBx", 258, 74, 130, 21);
    DefImgFmtCmbBx->Style = TComboBoxStyle::csDropDownList;
    for (const char* format : {"Uniquement PNG", "Uniquement GIF", "Uniquement JPG", "Format optimal"})
        DefImgFmtCmbBx->Items().Add(format);
    SepFldrChkBx = Make<TCheckBox>(this, ImagesGrpBx, "SepFldrChkBx", 196, 130, 300, 17);
    SepFldrChkBx->SetCaption("Placer les images dans un dossier dédié");
    ImgNumChkBx = Make<TCheckBox>(this, ImagesGrpBx, "ImgNumChkBx", 196, 152, 300, 17);
    ImgNumChkBx->SetCaption("Commencer la numérotation à 1");
    ImgPreviewPaintBx = Make<TPaintBox>(this, ImagesGrpBx, "ImgPreviewPaintBx", 396, 18, 100, 80);
    ImgPreviewSpdBtn = Make<TSpeedButton>(this, ImagesGrpBx, "ImgPreviewSpdBtn", 396, 102, 100, 22);
    ImgPreviewSpdBtn->SetCaption("Aperçu...");

    BackgroundGrpBx = Make<TGroupBox>(this, this, "BackgroundGrpBx", 8, 304, 504, 84);
    BackgroundGrpBx->SetCaption(" Arrière-plan ");
    MakeLabel(this, BackgroundGrpBx, "Couleur :", 8, 24, 60);
    BkColorComboBx = Make<TComboBox>(this, BackgroundGrpBx, "BkColorComboBx", 70, 20, 150, 21);
    BkColorComboBx->Style = TComboBoxStyle::csOwnerDrawFixed;
    MakeLabel(this, BackgroundGrpBx, "Image :", 8, 54, 60);
    BkPictEdit = Make<TEdit>(this, BackgroundGrpBx, "BkPictEdit", 70, 50, 150, 21);
    BkPictEdit->ReadOnly = true;
    BrowsePictBtn = Make<TButton>(this, BackgroundGrpBx, "BrowsePictBtn", 226, 49, 84, 23);
    BrowsePictBtn->SetCaption("&Parcourir...");
    ClearPictBtn = Make<TButton>(this, BackgroundGrpBx, "ClearPictBtn", 316, 49, 64, 23);
    ClearPictBtn->SetCaption("&Retirer");
    MakeLabel(this, BackgroundGrpBx, "Aperçu :", 388, 8, 60);
    BkPreviewPaintBx = Make<TPaintBox>(this, BackgroundGrpBx, "BkPreviewPaintBx", 388, 22, 108, 54);

    PagePreviewBtn = Make<TButton>(this, this, "PagePreviewBtn", 8, 396, 230, 25);
    PagePreviewBtn->SetCaption("&Visionner dans le navigateur Web...");
    SaveBtn = Make<TButton>(this, this, "SaveBtn", 348, 396, 80, 25);
    SaveBtn->SetCaption("Enregistrer");
    SaveBtn->SetDefault(true);
    CancelBtn = Make<TButton>(this, this, "CancelBtn", 432, 396, 80, 25);
    CancelBtn->SetCaption("Annuler");
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;

    ChangeFileNameBtn->OnClick = [this](TControl*) { ChangeFileNameBtnClick(); };
    SepFldrChkBx->OnClick = [this](TControl*) { SepFldrChkBxClick(); };
    ImgNumChkBx->OnClick = [this](TControl*) { ImgNumChkBxClick(); };
    BkColorComboBx->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                        TOwnerDrawState state) { BkColorComboBxDrawItem(canvas, index, rect, state); };
    BkColorComboBx->OnChange = [this](TControl*) { BkColorComboBxChange(); };
    BrowsePictBtn->OnClick = [this](TControl*) { BrowsePictBtnClick(); };
    ClearPictBtn->OnClick = [this](TControl*) { ClearPictBtnClick(); };
    ImgLstBx->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                  TOwnerDrawState state) { ImgLstBxDrawItem(canvas, index, rect, state); };
    ImgLstBx->OnClick = [this](TControl*) { ImgLstBxClick(); };
    ImgLstBx->OnDblClick = [this](TControl*) { ImgPreviewSpdBtnClick(); };
    ImgFileNameEdit->OnExit = [this](TControl*) { ImgFileNameEditExit(); };
    ImgFmtCmbBx->OnChange = [this](TControl*) { ImgFmtCmbBxClick(); };
    DefImgFmtCmbBx->OnChange = [this](TControl*) { DefImgFmtCmbBxClick(); };
    ImgPreviewSpdBtn->OnClick = [this](TControl*) { ImgPreviewSpdBtnClick(); };
    ImgPreviewPaintBx->OnPaint = [this](TControl*) { ImgPreviewPaintBxPaint(); };
    BkPreviewPaintBx->OnPaint = [this](TControl*) { PaintBackgroundPreview(); };
    PagePreviewBtn->OnClick = [this](TControl*) { PagePreviewBtnClick(); };
    SaveBtn->OnClick = [this](TControl*) { SaveBtnClick(); };

    FillFromDocument();
}

TSaveAsWebForm::~TSaveAsWebForm() = default;

std::string TSaveAsWebForm::PageTitle() const
{
    return TitleEdit->Text();
}

void TSaveAsWebForm::ColorsOfList()
{
    BkColorComboBx->Items().Clear();
    FColorValues.clear();
    BkColorComboBx->Items().Add("Aucun(e)");
    FColorValues.push_back(NotSet);
    for (int32_t i = 1; i <= BasicColorCount; ++i) {
        BkColorComboBx->Items().Add(BasicColorName(i));
        FColorValues.push_back(BasicColor(i) & 0xFFFFFF);
    }
    const int32_t current = WebExportSettings().BackgroundColor;
    if (current != NotSet && std::find(FColorValues.begin(), FColorValues.end(), current) == FColorValues.end()) {
        BkColorComboBx->Items().Add("Personnalisée");
        FColorValues.push_back(current);
    }
    BkColorComboBx->Items().Add("Autre couleur...");
    FColorValues.push_back(kOtherColor);
    const auto at = std::find(FColorValues.begin(), FColorValues.end(), current);
    BkColorComboBx->SetItemIndex(at == FColorValues.end() ? 0 : static_cast<int32_t>(at - FColorValues.begin()));
}

void TSaveAsWebForm::FillFromDocument()
{
    FFilling = true;
    TWebExportSettings& settings = WebExportSettings();
    FileNameEdit->SetText(FPageFileName);
    const TDocumentWebInfo properties = DocumentWebInfo(FDocument);
    TitleEdit->SetText(!properties.Title.empty() ? properties.Title
                                                 : ChangeFileExt(ExtractFileName(FPageFileName), ""));
    KeywordsEdit->SetText(!settings.Keywords.empty() ? settings.Keywords : properties.Keywords);
    AuthorEdit->SetText(!settings.Author.empty() ? settings.Author : properties.Author);
    SepFldrChkBx->SetChecked(settings.SeparateFolder);
    ImgNumChkBx->SetChecked(settings.RestartNumbering);
    DefImgFmtCmbBx->SetItemIndex(std::min<int32_t>(settings.DefaultFormat, ifBest));
    ColorsOfList();
    BkPictEdit->SetText(settings.BackgroundImage);
    if (!settings.BackgroundImage.empty()) {
        try {
            FBackground = std::make_unique<TPicture>();
            FBackground->LoadFromFile(settings.BackgroundImage);
        } catch (const Exception&) {
            FBackground.reset();
        }
    }

    // One entry per picture, named and produced in the default format.
    FImages = MakeImageList(FDocument, FPageFileName);
    for (const auto& info : FImages)
        ImgLstBx->Items().Add(info->FileName);
    ImgLstBx->SetItemIndex(FImages.empty() ? -1 : 0);
    FFilling = false;
    SelectedChanged();
}

void TSaveAsWebForm::SelectedChanged()
{
    const int32_t index = ImgLstBx->ItemIndex();
    const bool any = index >= 0 && index < static_cast<int32_t>(FImages.size());
    ImgFileNameEdit->SetEnabled(any);
    ImgFmtCmbBx->SetEnabled(any);
    ImgPreviewSpdBtn->SetEnabled(any);
    ImgFileNameEdit->SetText(any ? FImages[static_cast<size_t>(index)]->FileName : std::string());
    ImgFmtCmbBx->SetItemIndex(any ? FImages[static_cast<size_t>(index)]->Format : -1);
    ImgPreviewPaintBx->Invalidate();
}

void TSaveAsWebForm::ChangeFileNameBtnClick()
{
    TSaveDialog dialog(this);
    dialog.Title = "Enregistrer comme page Web";
    dialog.Filter = "Pages Web (*.htm;*.html)|*.htm;*.html";
    dialog.DefaultExt = "htm";
    dialog.FileName = FPageFileName;
    if (!dialog.Execute())
        return;
    FPageFileName = dialog.FileName;
    FileNameEdit->SetText(FPageFileName);
}

void TSaveAsWebForm::SepFldrChkBxClick()
{
    if (FFilling)
        return;
    TWebExportSettings& settings = WebExportSettings();
    settings.SeparateFolder = SepFldrChkBx->Checked();
    // Pictures of their own folder start at 1; the stored choice of
    // numbering stays as the user left it.
    if (settings.SeparateFolder && !ImgNumChkBx->Checked()) {
        FFilling = true;
        ImgNumChkBx->SetChecked(true);
        FFilling = false;
        for (size_t i = 0; i < FImages.size(); ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "Image%05d", static_cast<int>(i + 1));
            FImages[i]->FileName = name + std::string(ImageFormatExtension(FImages[i]->Format));
            ImgLstBx->Items().SetStrings(static_cast<int32_t>(i), FImages[i]->FileName);
        }
        SelectedChanged();
    }
}

void TSaveAsWebForm::ImgNumChkBxClick()
{
    if (FFilling)
        return;
    TWebExportSettings& settings = WebExportSettings();
    settings.RestartNumbering = ImgNumChkBx->Checked();
    if (!settings.RestartNumbering)
        return;
    for (size_t i = 0; i < FImages.size(); ++i) {
        FImages[i]->FileName =
            NextPictureName(static_cast<int32_t>(i + 1), FPageFileName) + ImageFormatExtension(FImages[i]->Format);
        ImgLstBx->Items().SetStrings(static_cast<int32_t>(i), FImages[i]->FileName);
    }
    SelectedChanged();
}

void TSaveAsWebForm::BkColorComboBxDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, uint32_t state)
{
    canvas.Brush().SetColor((state & odSelected) ? 0x6A240A : 0xFFFFFF);
    canvas.FillRect(rect);
    if (index < 0 || index >= static_cast<int32_t>(FColorValues.size()))
        return;
    const int32_t value = FColorValues[static_cast<size_t>(index)];
    int32_t textLeft = rect.Left + 4;
    if (value != NotSet && value != kOtherColor) {
        const TRect swatch{rect.Left + 3, rect.Top + 2, rect.Left + 23, rect.Bottom - 2};
        canvas.Brush().SetColor(static_cast<TColor>(value));
        canvas.FillRect(swatch);
        canvas.Brush().SetColor(0);
        canvas.FrameRect(swatch);
        textLeft = rect.Left + 28;
    }
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Font().SetColor((state & odSelected) ? 0xFFFFFF : 0);
    canvas.TextOut(textLeft, rect.Top + 1, BkColorComboBx->Items().Strings(index));
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}

void TSaveAsWebForm::BkColorComboBxChange()
{
    const int32_t index = BkColorComboBx->ItemIndex();
    if (index < 0 || index >= static_cast<int32_t>(FColorValues.size()))
        return;
    TWebExportSettings& settings = WebExportSettings();
    int32_t value = FColorValues[static_cast<size_t>(index)];
    if (value == kOtherColor) {
        TColorDialog dialog(this);
        if (settings.BackgroundColor != NotSet)
            dialog.Color = static_cast<TColor>(settings.BackgroundColor);
        if (!dialog.Execute()) {
            ColorsOfList();
            return;
        }
        value = static_cast<int32_t>(dialog.Color & 0xFFFFFF);
    }
    settings.BackgroundColor = value;
    ColorsOfList();
    BkPreviewPaintBx->Invalidate();
}

void TSaveAsWebForm::BrowsePictBtnClick()
{
    TOpenDialog dialog(this);
    dialog.Title = "Image d'arrière-plan";
    dialog.Filter = "Images|*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff;*.pcx;*.tga;*.wmf;*.emf|Tous les fichiers|*.*";
    if (!dialog.Execute())
        return;
    auto picture = std::make_unique<TPicture>();
    try {
        picture->LoadFromFile(dialog.FileName);
    } catch (const Exception&) {
        picture.reset();
    }
    if (!picture || !picture->Graphic() || picture->Graphic()->Empty()) {
        ShowError("Impossible d'ouvrir le fichier \"" + dialog.FileName + "\".");
        return;
    }
    FBackground = std::move(picture);
    WebExportSettings().BackgroundImage = dialog.FileName;
    BkPictEdit->SetText(dialog.FileName);
    BkPreviewPaintBx->Invalidate();
}

void TSaveAsWebForm::ClearPictBtnClick()
{
    FBackground.reset();
    WebExportSettings().BackgroundImage.clear();
    BkPictEdit->SetText("");
    BkPreviewPaintBx->Invalidate();
}

void TSaveAsWebForm::PaintBackgroundPreview()
{
    TCanvas& canvas = BkPreviewPaintBx->Canvas();
    const TRect box{0, 0, BkPreviewPaintBx->Width(), BkPreviewPaintBx->Height()};
    const int32_t color = WebExportSettings().BackgroundColor;
    canvas.Brush().SetColor(color == NotSet ? 0xFFFFFF : static_cast<TColor>(color));
    canvas.FillRect(box);
    if (FBackground && FBackground->Graphic()) {
        // The picture tiled, as a browser shows a page background.
        TGraphic& graphic = *FBackground->Graphic();
        const int32_t w = std::max(graphic.Width(), 1), h = std::max(graphic.Height(), 1);
        for (int32_t y = 0; y < box.Bottom; y += h)
            for (int32_t x = 0; x < box.Right; x += w)
                canvas.Draw(x, y, graphic);
    }
    canvas.Brush().SetColor(0x808080);
    canvas.FrameRect(box);
}

void TSaveAsWebForm::ImgLstBxDrawItem(TCanvas& canvas, int32_t index, const TRect& rect, uint32_t state)
{
    canvas.Brush().SetColor((state & odSelected) ? 0x6A240A : 0xFFFFFF);
    canvas.FillRect(rect);
    if (index < 0 || index >= static_cast<int32_t>(FImages.size()))
        return;
    const TImageInfo& info = *FImages[static_cast<size_t>(index)];
    const TRect thumb{rect.Left + 2, rect.Top + 2, rect.Left + 2 + kThumbnail, rect.Top + 2 + kThumbnail};
    canvas.Brush().SetColor(0xFFFFFF);
    canvas.FillRect(thumb);
    if (TGraphic* graphic = GraphicOf(info))
        DrawFitted(canvas, thumb, *graphic);
    canvas.Brush().SetColor(0xA0A0A0);
    canvas.FrameRect(thumb);
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    canvas.Font().SetColor((state & odSelected) ? 0xFFFFFF : 0);
    canvas.TextOut(thumb.Right + 6, rect.Top + (rect.Bottom - rect.Top - 13) / 2, info.FileName);
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
}

void TSaveAsWebForm::ImgLstBxClick()
{
    SelectedChanged();
}

void TSaveAsWebForm::RenamePicture(TImageInfo& info, const std::string& typed)
{
    std::string name = typed;
    if (ExtractFileExt(name).empty())
        name += ImageFormatExtension(info.Format);
    if (name == info.FileName)
        return;
    if (!IsValidPictureName(name)) {
        ShowError("Eldravin n'a pas pu créer le fichier||\"" + name +
                  "\".||Le nom de ce fichier est peut-être trop long, ou bien il contient des caractères "
                  "non-autorisés.");
        return;
    }
    info.FileName = name;
    // Another picture of that name takes the next free picture name.
    for (size_t i = 0; i < FImages.size(); ++i) {
        TImageInfo& other = *FImages[i];
        if (&other != &info && AnsiSameText(other.FileName, name)) {
            other.FileName =
                NextPictureName(static_cast<int32_t>(i + 1), FPageFileName) + ImageFormatExtension(other.Format);
            // With the numbering restarted the position gives the number: it
            // may be the very name; the counter then gives another.
            while (AnsiSameText(other.FileName, name) ||
                   std::any_of(FImages.begin(), FImages.end(), [&](const auto& third) {
                       return third.get() != &other && AnsiSameText(third->FileName, other.FileName);
                   })) {
                const bool restart = WebExportSettings().RestartNumbering;
                WebExportSettings().RestartNumbering = false;
                other.FileName = NextPictureName(0, FPageFileName) + ImageFormatExtension(other.Format);
                WebExportSettings().RestartNumbering = restart;
            }
        }
    }
}

void TSaveAsWebForm::ImgFileNameEditExit()
{
    const int32_t index = ImgLstBx->ItemIndex();
    if (index < 0 || index >= static_cast<int32_t>(FImages.size()))
        return;
    RenamePicture(*FImages[static_cast<size_t>(index)], Trim(ImgFileNameEdit->Text()));
    for (size_t i = 0; i < FImages.size(); ++i)
        ImgLstBx->Items().SetStrings(static_cast<int32_t>(i), FImages[i]->FileName);
    ImgFileNameEdit->SetText(FImages[static_cast<size_t>(index)]->FileName);
}

void TSaveAsWebForm::ImgFmtCmbBxClick()
{
    const int32_t index = ImgLstBx->ItemIndex();
    const int32_t format = ImgFmtCmbBx->ItemIndex();
    if (index < 0 || index >= static_cast<int32_t>(FImages.size()) || format < ifPng || format > ifJpeg)
        return;
    TImageInfo& info = *FImages[static_cast<size_t>(index)];
    ChooseImageFormat(info, static_cast<uint8_t>(format));
    ImgLstBx->Items().SetStrings(index, info.FileName);
    ImgFileNameEdit->SetText(info.FileName);
}

void TSaveAsWebForm::DefImgFmtCmbBxClick()
{
    const int32_t format = DefImgFmtCmbBx->ItemIndex();
    if (format < ifPng || format > ifBest)
        return;
    WebExportSettings().DefaultFormat = static_cast<uint8_t>(format);
    for (size_t i = 0; i < FImages.size(); ++i) {
        ChooseImageFormat(*FImages[i], static_cast<uint8_t>(format));
        ImgLstBx->Items().SetStrings(static_cast<int32_t>(i), FImages[i]->FileName);
    }
    SelectedChanged();
}

void TSaveAsWebForm::ImgPreviewSpdBtnClick()
{
    const int32_t index = ImgLstBx->ItemIndex();
    if (index < 0 || index >= static_cast<int32_t>(FImages.size()))
        return;
    TGraphic* graphic = GraphicOf(*FImages[static_cast<size_t>(index)]);
    if (!graphic)
        return;
    // The picture at full size, in a window of its own.
    TForm viewer(nullptr);
    viewer.SetCaption(FImages[static_cast<size_t>(index)]->FileName);
    viewer.Position = TPosition::poScreenCenter;
    viewer.SetClientSize(std::clamp(graphic->Width(), 64, 1200), std::clamp(graphic->Height(), 48, 900));
    auto* box = new TPaintBox(&viewer);
    box->SetParent(&viewer);
    box->SetBounds(0, 0, viewer.ClientWidth(), viewer.ClientHeight());
    box->OnPaint = [box, graphic](TControl*) { box->Canvas().Draw(0, 0, *graphic); };
    viewer.ShowModal();
}

void TSaveAsWebForm::ImgPreviewPaintBxPaint()
{
    TCanvas& canvas = ImgPreviewPaintBx->Canvas();
    const TRect box{0, 0, ImgPreviewPaintBx->Width(), ImgPreviewPaintBx->Height()};
    canvas.Brush().SetColor(0xFFFFFF);
    canvas.FillRect(box);
    const int32_t index = ImgLstBx->ItemIndex();
    if (index >= 0 && index < static_cast<int32_t>(FImages.size()))
        if (TGraphic* graphic = GraphicOf(*FImages[static_cast<size_t>(index)]))
            DrawFitted(canvas, TRect{2, 2, box.Right - 2, box.Bottom - 2}, *graphic);
    canvas.Brush().SetColor(0x808080);
    canvas.FrameRect(box);
}

std::string TSaveAsWebForm::WritePreviewPage()
{
    const std::string temp = IncludeTrailingPathDelimiter(GetTempPath());
    std::string folder;
    for (int32_t n = 1; n < 100000; ++n) {
        folder = temp + "~Eldrav" + std::to_string(n);
        if (!DirectoryExists(folder) && !FileExists(folder))
            break;
    }
    if (!CreateDir(folder))
        return {};
    THtmlExportParams html;
    html.PageFileName = folder + "/" + ExtractFileName(FPageFileName);
    html.Title = PageTitle();
    html.Images = &FImages;
    return WriteWebPage(FDocument, html) == 0 ? html.PageFileName : std::string();
}

void TSaveAsWebForm::PagePreviewBtnClick()
{
    ImgFileNameEditExit();
    WebExportSettings().Keywords = KeywordsEdit->Text();
    WebExportSettings().Author = AuthorEdit->Text();
    const std::string page = WritePreviewPage();
    if (!page.empty())
        ShellOpen(page);
}

void TSaveAsWebForm::SaveBtnClick()
{
    ImgFileNameEditExit();
    WebExportSettings().Keywords = KeywordsEdit->Text();
    WebExportSettings().Author = AuthorEdit->Text();
    SetModalResult(mrOk);
}

bool SaveAsWebPage(TDocument& document)
{
    TSaveDialog dialog(nullptr);
    dialog.Title = "Enregistrer comme page Web";
    dialog.Filter = "Pages Web (*.htm;*.html)|*.htm;*.html";
    dialog.DefaultExt = "htm";
    const std::string documentName = document.FileName;
    const std::string base = documentName.empty() ? std::string("Document") : documentName;
    dialog.FileName = ChangeFileExt(base, ".htm");
    if (!documentName.empty())
        dialog.InitialDir = ExtractFilePath(ExpandFileName(documentName));
    if (!dialog.Execute())
        return false;

    const TWebExportSettings saved = WebExportSettings();
    TSaveAsWebForm form(nullptr, document, dialog.FileName);
    if (form.ShowModal() != mrOk) {
        WebExportSettings() = saved;
        return false;
    }
    THtmlExportParams html;
    html.PageFileName = form.PageFileName();
    html.Title = form.PageTitle();
    html.Images = &form.Images();
    return WriteWebPage(document, html) == 0;
}
