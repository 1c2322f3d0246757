#include "dialogs/FormatPalette.h"

#include "dialogs/DialogControls.h"
#include "dialogs/FontFormatForm.h"
#include "document/model/Document.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/Memory.h"
#include "foundation/NotSet.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "foundation/managers/Style.h"
#include "foundation/settings/CmdLineSwitches.h"
#include "formats/DocumentFile.h"
#include "platform/framework/Bitmap.h"
#include "platform/framework/Canvas.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Folders.h"
#include "platform/runtime/Resources.h"
#include "platform/runtime/SysUtils.h"
#include "shell/BaseForms.h"

#include <algorithm>
#include <cstring>

const char* const DefaultPaletteFileName = "Palette d'Eldravin.fpl";

namespace {

std::unique_ptr<TFormatPalette> ThePalette;

bool HasFolder(const std::string& name)
{
    return name.find('/') != std::string::npos || name.find('\\') != std::string::npos;
}

std::string SwitchedFileName()
{
    return GetSwitchValue(clsFormatPaletteFileName, DefaultPaletteFileName);
}

std::string UserPaletteFolder()
{
    return IncludeTrailingPathDelimiter(GetUserFolder(TUserFolder::ufData)) + "eldravin/";
}

// The folder shown first by the palette's file dialogs.
std::string PaletteDialogFolder()
{
    return ProgramFolder().empty() ? GetProgramFolder() : ProgramFolder();
}

constexpr uint8_t SymbolCharset = 2;

}  // namespace

// --- TFormatPalette --------------------------------------------------------------------------

TFormatPalette::TFormatPalette()
{
    const std::string file = PaletteFileToRead();
    if (!file.empty() && FileExists(file) && LoadPaletteFile(file))
        return;
    LoadBuiltInPalette();
}

TFormatPalette::~TFormatPalette()
{
    delete FFloatingForm;
    FFloatingForm = nullptr;
    delete FPaletteForm;
    FPaletteForm = nullptr;
    if (Modified && !HasSwitch(clsDontSaveSettings))
        SavePaletteFile(PaletteFileToWrite());
}

std::string TFormatPalette::PaletteFileToRead()
{
    const std::string name = SwitchedFileName();
    if (HasFolder(name))
        return name;
    const std::string user = UserPaletteFolder() + name;
    if (FileExists(user))
        return user;
    return IncludeTrailingPathDelimiter(GetProgramFolder()) + name;
}

std::string TFormatPalette::PaletteFileToWrite()
{
    const std::string name = SwitchedFileName();
    return HasFolder(name) ? name : UserPaletteFolder() + name;
}

std::unique_ptr<TDocument> TFormatPalette::NewPaletteDocument()
{
    auto document = std::make_unique<TDocument>(true);
    document->InitNewDocument();
    document->SetModified(false);
    return document;
}

void TFormatPalette::LoadBuiltInPalette()
{
    auto document = std::make_unique<TDocument>(true);
    const TResourceData data = FindResourceData("FMTPALETTE", "FMTPALETTE");
    bool ok = false;
    if (data) {
        TDocLoadRequest request;
        request.Source = lsMemory;
        request.Coding = ciRtf;
        request.Buffer = data.Data;
        request.BufferSize = static_cast<int32_t>(data.Size);
        ok = LoadFromFile(*document, request);
    }
    if (!ok)
        document = NewPaletteDocument();
    document->CloseFile();
    document->SetModified(false);
    FDocument = std::move(document);
}

bool TFormatPalette::LoadPaletteFile(const std::string& fileName)
{
    auto document = std::make_unique<TDocument>(true);
    TDocLoadRequest request;
    request.FileName = fileName;
    request.Coding = ciDetect;
    bool ok = false;
    try {
        ok = LoadFromFile(*document, request);
    } catch (const EAbort&) {
        ok = false;
    }
    if (ok) {
        document->CloseFile();
        document->SetModified(false);
    } else {
        document = NewPaletteDocument();
    }
    FDocument = std::move(document);
    return ok;
}

bool TFormatPalette::SavePaletteFile(const std::string& fileName)
{
    const std::string full = ExpandFileName(fileName);
    ForceDirectories(ExtractFileDir(full));
    TDocWriteParams params;
    params.Coding = ciRtf;
    params.Flags = wfCopy;
    params.OtherFile = full;
    return WriteToFile(*FDocument, params) == wrWritten;
}

int32_t TFormatPalette::ItemCount() const
{
    return std::max(FDocument->Styles().Count() - 1, 0);
}

TStyle& TFormatPalette::Item(int32_t styleIndex)
{
    return FDocument->Styles()[styleIndex];
}

int32_t TFormatPalette::AddItem()
{
    TStyleList& styles = FDocument->Styles();
    std::string name;
    for (int32_t n = 1;; ++n) {
        name = "Modèle de format " + std::to_string(n);
        bool used = false;
        for (int32_t i = 0; i < styles.Count() && !used; ++i)
            used = AnsiCompareText(styles[i].Name, name) == 0 || AnsiCompareText(styles[i].DisplayName, name) == 0;
        if (!used)
            break;
    }
    auto style = std::make_unique<TStyle>(&styles);
    style->Name = style->DisplayName = name;
    ClearCharFormat(style->CharFormat);
    ClearParFormat(style->ParFormat);
    return styles.Add(std::move(style));
}

void TFormatPalette::DeleteItem(int32_t styleIndex)
{
    if (styleIndex >= 1 && styleIndex < FDocument->Styles().Count())
        FDocument->Styles().Delete(styleIndex);
}

void TFormatPalette::SwapItems(int32_t a, int32_t b)
{
    TStyleList& styles = FDocument->Styles();
    if (a < 1 || b < 1 || a >= styles.Count() || b >= styles.Count() || a == b)
        return;
    std::unique_ptr<TStyle> copy = TStyle::CreateCopy(&styles, styles[a]);
    styles[a].Assign(styles[b]);
    styles[b].Assign(*copy);
    styles[a].ParFormat[pfStyle] = a;
    styles[b].ParFormat[pfStyle] = b;
}

void TFormatPalette::ShowPalette()
{
    if (!FPaletteForm)
        FPaletteForm = new TFormatPaletteForm(nullptr, *this);
    FPaletteForm->SelectItem(std::max(FPaletteForm->SelectedIndex(), ItemCount() > 0 ? 0 : -1));
    FPaletteForm->Show();
    Modified = true;
}

void TFormatPalette::UpdateFloatingPalette()
{
    if (FloatingEnabled && FloatingShown) {
        if (!FFloatingForm)
            FFloatingForm = new TFloatingFormatPaletteForm(nullptr, *this);
        FFloatingForm->Refill();
        FFloatingForm->Show();
    } else if (FFloatingForm) {
        FFloatingForm->Hide();
    }
}

void TFormatPalette::SyncFloatingSelection()
{
    if (!FFloatingForm || !FFloatingForm->Visible())
        return;
    if (GetCapture() == FFloatingForm->ItemListBox->Handle())
        return;
    const bool brush = FormatBrushActive && FormatBrushActive();
    const int32_t match = brush ? FindMatchingItem() : -1;
    FFloatingForm->ItemListBox->SetItemIndex(match > 0 ? match - 1 : -1);
}

bool TFormatPalette::ItemMatchesCurrentFormat(int32_t styleIndex) const
{
    const TCharFormatClipboard& copied = CharFormatClipboard();
    if (!copied.HasFormat)
        return false;
    const TStyleList& styles = FDocument->Styles();
    if (styleIndex < 0 || styleIndex >= styles.Count())
        return false;
    return std::memcmp(styles[styleIndex].CharFormat.Slots, copied.Format.Slots, sizeof(copied.Format.Slots)) == 0;
}

int32_t TFormatPalette::FindMatchingItem() const
{
    for (int32_t i = FDocument->Styles().Count() - 1; i >= 1; --i)
        if (ItemMatchesCurrentFormat(i))
            return i;
    return -1;
}

std::string TFormatPalette::GetMatchingItemName() const
{
    const int32_t index = FindMatchingItem();
    return index > 0 ? FDocument->Styles()[index].DisplayName : std::string();
}

void TFormatPalette::SetSelectedItemFormat(const TCharFormat& format)
{
    ShowPalette();
    FPaletteForm->AddItemBtnClick();
    const int32_t index = FPaletteForm->SelectedIndex() + 1;
    if (index < 1)
        return;
    Item(index).CharFormat = format;
    Item(index).CharFormat[cfHighlight] = NotSet;
    FPaletteForm->RefreshSelection(true);
}

TCharFormat TFormatPalette::DrawingFormat(int32_t styleIndex) const
{
    TCharFormat format = DefaultCharFormat();
    TFontManager* fonts = GetFontManager();
    const int32_t defaultFont = format[cfFont];
    format[cfSize] = 22;
    const TStyleList& styles = FDocument->Styles();
    if (styleIndex >= 0 && styleIndex < styles.Count()) {
        const TCharFormat& own = styles[styleIndex].CharFormat;
        for (int slot = 0; slot < TCharFormat::Count; ++slot)
            if (own[slot] != NotSet)
                format[slot] = own[slot];
    }
    if (fonts && format[cfFont] != defaultFont) {
        const TRegisteredFont* font = fonts->FindFont(format[cfFont]);
        if (!font || font->CreateCharset == SymbolCharset || font->RequestedCharset == SymbolCharset)
            format[cfFont] = defaultFont;
    }
    format[cfSize] = std::clamp(format[cfSize], 8, 28);
    return format;
}

void TFormatPalette::DrawItem(int32_t styleIndex, TCanvas* canvas, const TRect& rect, bool selected, bool marked,
                              int32_t& width)
{
    const TStyleList& styles = FDocument->Styles();
    const std::string name =
        styleIndex >= 0 && styleIndex < styles.Count() ? styles[styleIndex].DisplayName : std::string();
    const TCharFormat format = DrawingFormat(styleIndex);
    TBitmap measure;
    measure.SetSize(1, 1);
    TCanvas& target = canvas ? *canvas : measure.Canvas();
    TFont& font = target.Font();
    if (TFontManager* fonts = GetFontManager())
        if (const TRegisteredFont* registered = fonts->FindFont(format[cfFont]))
            font.SetName(registered->GetFaceName(*fonts));
    font.SetSize(format[cfSize] / 2);
    TFontStyles style = 0;
    if (format[cfBold] > 0)
        style |= fsBold;
    if (format[cfItalic] > 0)
        style |= fsItalic;
    if (format[cfUnderline] > 0)
        style |= fsUnderline;
    if (format[cfStrikeOut] > 0 || format[cfDoubleStrikeOut] > 0)
        style |= fsStrikeOut;
    font.SetStyle(style);
    TColor color = clWindowText;
    if (format[cfColor] > 0)
        if (TColorManager* colors = GetColorManager())
            color = static_cast<TColor>(colors->CurrentPalette().Colors(format[cfColor]).Color());
    font.SetColor(color);
    const TSize extent = target.TextExtent(name);
    width = extent.cx + 10;
    if (!canvas)
        return;
    target.Brush().SetColor(clWindow);
    target.FillRect({rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2});
    target.Brush().SetStyle(TBrushStyle::bsClear);
    target.TextOut(rect.Left + 10, rect.Top + (rect.Bottom - rect.Top - extent.cy) / 2, name);
    target.Brush().SetStyle(TBrushStyle::bsSolid);
    target.Brush().SetColor(clBtnShadow);
    target.FrameRect({rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1});
    if (selected) {
        target.Brush().SetColor(clHighlight);
        for (int32_t inset = 0; inset < 3; ++inset)
            target.FrameRect({rect.Left + inset, rect.Top + inset, rect.Right - inset, rect.Bottom - inset});
    } else {
        target.Brush().SetColor(marked ? clHotLight : clBtnFace);
        target.FrameRect(rect);
    }
}

TFormatPalette& GetFormatPalette()
{
    if (!ThePalette)
        ThePalette = std::make_unique<TFormatPalette>();
    return *ThePalette;
}

bool FormatPaletteExists()
{
    return ThePalette != nullptr;
}

void FreeFormatPalette()
{
    ThePalette.reset();
}

// --- The lists of both windows ---------------------------------------------------------------

namespace {

// An owner-drawn list of the palette's items, each drawn off screen first.
void SetupItemList(TListBox& list, TFormatPalette& palette)
{
    list.Style = TListBoxStyle::lbOwnerDrawFixed;
    list.SetItemHeight(PaletteItemHeight);
    list.OnDrawItem = [&palette](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                 TOwnerDrawState state) {
        TBitmap buffer;
        buffer.SetSize(rect.Right - rect.Left, rect.Bottom - rect.Top);
        int32_t width = 0;
        palette.DrawItem(index + 1, &buffer.Canvas(), {0, 0, buffer.Width(), buffer.Height()},
                         (state & odSelected) != 0, false, width);
        canvas.Draw(rect.Left, rect.Top, buffer);
    };
}

// One empty row per item; the rows are made again only when the count differs.
void FillRows(TListBox& list, int32_t count)
{
    if (list.Items().Count() == count)
        return;
    list.Items().Clear();
    for (int32_t i = 0; i < count; ++i)
        list.Items().Add("");
}

}  // namespace

// --- TFormatPaletteForm ------------------------------------------------------------------------

TFormatPaletteForm::TFormatPaletteForm(TComponent* owner, TFormatPalette& palette)
    : TEldravinForm(owner), FPalette(palette)
{
    SetName("FormatPaletteForm");
    SetCaption("Palette de formats");
    SetHelpTopic(10500);
    SetFormStyle(TFormStyle::fsStayOnTop);
    Position = TPosition::poScreenCenter;
    SetClientSize(520, 400);

    ItemListBox = new TListBox(this);
    ItemListBox->SetName("ItemListBox");
    ItemListBox->SetParent(this);
    ItemListBox->SetBounds(10, 28, 220, 322);
    SetupItemList(*ItemListBox, FPalette);
    MakeDlgLabel(this, this, "Mo&dèles de format disponibles :", 10, 10, ItemListBox);
    MoveUpBtn = MakeDlgButton(this, this, "MoveUpBtn", "M&onter", 10, 360, 106);
    MoveDownBtn = MakeDlgButton(this, this, "MoveDownBtn", "D&escendre", 124, 360, 106);

    TGroupBox* group = MakeDlgGroup(this, this, "Modèle de format sélectionné", 242, 10, 268, 170);
    NameEdit = new TEdit(this);
    NameEdit->SetName("NameEdit");
    NameEdit->SetParent(group);
    NameEdit->SetBounds(90, 22, 168, 21);
    MakeDlgLabel(this, group, "No&m :", 10, 26, NameEdit);
    ParamsMemo = new TMemo(this);
    ParamsMemo->SetName("ParamsMemo");
    ParamsMemo->SetParent(group);
    ParamsMemo->ReadOnly = true;
    ParamsMemo->SetBounds(90, 50, 168, 80);
    MakeDlgLabel(this, group, "&Paramètres :", 10, 52, ParamsMemo);
    EditParamsBtn = MakeDlgButton(this, group, "EditParamsBtn", "Modifier les par&amètres...", 90, 138, 168);

    AddItemBtn = MakeDlgButton(this, this, "AddItemBtn", "A&jouter un modèle de format", 242, 190, 268);
    FormatCopierBtn = MakeDlgButton(this, this, "FormatCopierBtn", "&Copieur de format", 242, 218, 268);
    DeleteItemBtn = MakeDlgButton(this, this, "DeleteItemBtn", "&Supprimer le modèle sélectionné", 242, 246, 268);
    LoadPaletteBtn =
        MakeDlgButton(this, this, "LoadPaletteBtn", "U&tiliser une palette personnalisée...", 242, 274, 268);
    BuiltInPaletteBtn =
        MakeDlgButton(this, this, "BuiltInPaletteBtn", "Utiliser la palette d'o&rigine", 242, 302, 268);
    SavePaletteBtn =
        MakeDlgButton(this, this, "SavePaletteBtn", "E&nregistrer la palette actuelle...", 242, 330, 268);
    FloatingChkBx = MakeDlgCheckBox(this, this, "FloatingChkBx", "Palette f&lottante", 242, 366, 150);
    CloseBtn = MakeDlgButton(this, this, "CloseBtn", "Fermer", 420, 362, 90);
    CloseBtn->Cancel = true;

    ItemListBox->OnClick = [this](TControl*) {
        if (!FUpdating) {
            FSelected = ItemListBox->ItemIndex();
            RefreshSelection(false);
        }
    };
    ItemListBox->OnDblClick = [this](TControl*) { EditParamsBtnClick(); };
    MoveUpBtn->OnClick = [this](TControl*) { MoveItem(-1); };
    MoveDownBtn->OnClick = [this](TControl*) { MoveItem(1); };
    NameEdit->OnChange = [this](TControl*) { NameEditChange(); };
    EditParamsBtn->OnClick = [this](TControl*) { EditParamsBtnClick(); };
    AddItemBtn->OnClick = [this](TControl*) { AddItemBtnClick(); };
    FormatCopierBtn->OnClick = [this](TControl*) { FormatCopierBtnClick(); };
    DeleteItemBtn->OnClick = [this](TControl*) { DeleteItemBtnClick(); };
    LoadPaletteBtn->OnClick = [this](TControl*) { LoadPaletteBtnClick(); };
    BuiltInPaletteBtn->OnClick = [this](TControl*) { BuiltInPaletteBtnClick(); };
    SavePaletteBtn->OnClick = [this](TControl*) { SavePaletteBtnClick(); };
    FloatingChkBx->OnClick = [this](TControl*) { FloatingChkBxClick(); };
    CloseBtn->OnClick = [this](TControl*) { Close(); };
    SelectItem(FPalette.ItemCount() > 0 ? 0 : -1);
}

void TFormatPaletteForm::SelectItem(int32_t index)
{
    if (FUpdating)
        return;
    FUpdating = true;
    const int32_t count = FPalette.ItemCount();
    FillRows(*ItemListBox, count);
    if (count > 0) {
        index = std::clamp(index, 0, count - 1);
        ItemListBox->SetItemIndex(index);
        FSelected = index;
    } else {
        FSelected = -1;
    }
    FUpdating = false;
    if (TFloatingFormatPaletteForm* floating = FPalette.FloatingForm())
        floating->Refill();
    RefreshSelection(true);
}

void TFormatPaletteForm::RefreshSelection(bool repaint)
{
    if (FUpdating)
        return;
    FUpdating = true;
    const int32_t count = FPalette.ItemCount();
    if (FSelected < 0 || FSelected >= count) {
        NameEdit->SetEnabled(false);
        NameEdit->SetText("");
        ParamsMemo->SetText("");
        EditParamsBtn->SetEnabled(false);
    } else {
        TStyle& item = FPalette.Item(FSelected + 1);
        NameEdit->SetEnabled(true);
        if (NameEdit->Text() != item.DisplayName)
            NameEdit->SetText(item.DisplayName);
        ParamsMemo->SetText(item.GetDescription(false));
        EditParamsBtn->SetEnabled(true);
        if (repaint)
            ItemListBox->Invalidate();
    }
    MoveUpBtn->SetEnabled(FSelected > 0);
    MoveDownBtn->SetEnabled(FSelected >= 0 && FSelected < count - 1);
    DeleteItemBtn->SetEnabled(FSelected >= 0);
    SavePaletteBtn->SetEnabled(FSelected >= 0);
    FloatingChkBx->SetChecked(FPalette.FloatingEnabled);
    FUpdating = false;
}

void TFormatPaletteForm::MoveItem(int32_t delta)
{
    const int32_t target = FSelected + delta;
    if (FSelected < 0 || target < 0 || target >= FPalette.ItemCount())
        return;
    FPalette.SwapItems(FSelected + 1, target + 1);
    SelectItem(target);
    ItemListBox->Invalidate();
}

void TFormatPaletteForm::AddItemBtnClick()
{
    const int32_t index = FPalette.AddItem();
    SelectItem(index - 1);
    if (NameEdit->CanFocus())
        NameEdit->SetFocus();
}

void TFormatPaletteForm::DeleteItemBtnClick()
{
    if (FSelected < 0)
        return;
    FPalette.DeleteItem(FSelected + 1);
    const int32_t count = FPalette.ItemCount();
    SelectItem(count == 0 ? -1 : std::min(FSelected, count - 1));
}

void TFormatPaletteForm::NameEditChange()
{
    if (FUpdating || FSelected < 0 || NameEdit->Text().empty())
        return;
    TStyle& item = FPalette.Item(FSelected + 1);
    item.Name = item.DisplayName = NameEdit->Text();
    ItemListBox->Invalidate();
}

void TFormatPaletteForm::EditParamsBtnClick()
{
    if (FSelected < 0)
        return;
    TStyle& item = FPalette.Item(FSelected + 1);
    TCharFormat format = item.CharFormat;
    if (!ExecuteFontFormatDialog(format, fffAllowUndefined, 9100))
        return;
    item.CharFormat = format;
    RefreshSelection(true);
    ItemListBox->Invalidate();
}

void TFormatPaletteForm::FormatCopierBtnClick()
{
    Close();
    if (FPalette.RunCommand)
        FPalette.RunCommand(cmdFormatCopier);
}

void TFormatPaletteForm::LoadPaletteBtnClick()
{
    TOpenDialog dialog(nullptr);
    dialog.Title = "Utiliser une palette personnalisée";
    dialog.Filter = "Palettes de formats (*.fpl)|*.fpl|Tous fichiers (*.*)|*.*";
    dialog.InitialDir = PaletteDialogFolder();
    dialog.Options = ofHideReadOnly | ofFileMustExist | ofPathMustExist;
    const std::string current = GetCurrentDir();
    const bool chosen = dialog.Execute();
    SetCurrentDir(current);
    if (!chosen)
        return;
    FPalette.LoadPaletteFile(dialog.FileName);
    SelectItem(0);
}

void TFormatPaletteForm::BuiltInPaletteBtnClick()
{
    FPalette.LoadBuiltInPalette();
    FPalette.Modified = true;
    SelectItem(0);
}

void TFormatPaletteForm::SavePaletteBtnClick()
{
    const std::string folder = IncludeTrailingPathDelimiter(PaletteDialogFolder());
    std::string proposal;
    for (int32_t n = 1;; ++n) {
        proposal = "Ma palette de formats " + std::to_string(n) + ".fpl";
        if (!FileExists(folder + proposal))
            break;
    }
    TSaveDialog dialog(nullptr);
    dialog.Title = "Enregistrer comme palette personnalisée";
    dialog.Filter = "Palettes de formats (*.fpl)|*.fpl";
    dialog.DefaultExt = "fpl";
    dialog.InitialDir = folder;
    dialog.FileName = proposal;
    dialog.Options = ofHideReadOnly | ofOverwritePrompt;
    const std::string current = GetCurrentDir();
    const bool chosen = dialog.Execute();
    SetCurrentDir(current);
    if (chosen)
        FPalette.SavePaletteFile(dialog.FileName);
}

void TFormatPaletteForm::FloatingChkBxClick()
{
    if (FUpdating)
        return;
    // Checking the box shows the floating palette as well.
    FPalette.FloatingEnabled = !FPalette.FloatingEnabled;
    if (!FPalette.FloatingShown)
        FPalette.FloatingShown = true;
    FPalette.UpdateFloatingPalette();
    RefreshSelection(false);
}

// --- TFloatingFormatPaletteForm ----------------------------------------------------------------

TFloatingFormatPaletteForm::TFloatingFormatPaletteForm(TComponent* owner, TFormatPalette& palette)
    : TForm(owner), FPalette(palette)
{
    SetName("FloatingFormatPaletteForm");
    SetCaption("Palette de formats");
    SetBorderStyle(TFormBorderStyle::bsSizeToolWin);
    SetFormStyle(TFormStyle::fsStayOnTop);
    const TRect& r = FPalette.FloatingRect;
    if (r.Right > r.Left && r.Bottom > r.Top)
        SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    else
        SetClientSize(180, PaletteItemHeight * 8);
    ItemListBox = new TListBox(this);
    ItemListBox->SetName("ItemListBox");
    ItemListBox->SetParent(this);
    ItemListBox->IntegralHeight = true;
    ItemListBox->SetAlign(TAlign::alClient);
    SetupItemList(*ItemListBox, FPalette);
    ItemListBox->OnClick = [this](TControl*) { ItemClick(); };
    OnClose = [this](TForm*, TCloseAction& action) {
        action = TCloseAction::caHide;
        FPalette.FloatingShown = false;
    };
}

int32_t TFloatingFormatPaletteForm::SnapHeight(int32_t height, int32_t nonClientHeight)
{
    const int32_t client = height - nonClientHeight;
    int32_t rows = client / PaletteItemHeight;
    if (client % PaletteItemHeight > 11)
        ++rows;
    return std::max(PaletteItemHeight, rows * PaletteItemHeight) + nonClientHeight + 4;
}

void TFloatingFormatPaletteForm::Resize()
{
    TForm::Resize();
    FPalette.FloatingRect = {Left(), Top(), Left() + Width(), Top() + Height()};
    if (ItemListBox)  // none yet while the form is being sized in its constructor
        ItemListBox->Invalidate();
}

void TFloatingFormatPaletteForm::Refill()
{
    FUpdating = true;
    FillRows(*ItemListBox, FPalette.ItemCount());
    FUpdating = false;
    FPalette.SyncFloatingSelection();
}

void TFloatingFormatPaletteForm::ItemClick()
{
    const int32_t row = ItemListBox->ItemIndex();
    if (FUpdating || row < 0)
        return;
    if (FPalette.FormatBrushEnabled && !FPalette.FormatBrushEnabled())
        return;
    TCharFormatClipboard& copied = CharFormatClipboard();
    copied.Format = FPalette.Item(row + 1).CharFormat;
    copied.HasFormat = 1;
    TDocument* document = FPalette.ActiveDocument ? FPalette.ActiveDocument() : nullptr;
    if (document && document->HasSelection()) {
        // The copied character format goes onto the selection at once.
        TTextRange range{document->Selection().Start, document->Selection().End};
        TCharFormat format = copied.Format;
        uint8_t flags = 0;
        document->ExecuteOperation(docFormatText, {&range, &format, &flags});
    } else if (FPalette.FloatingEnabled && FPalette.FloatingShown &&
               !(FPalette.FormatBrushActive && FPalette.FormatBrushActive()) && FPalette.RunCommand) {
        FPalette.RunCommand(cmdFormatBrush);
    }
}
