#include "dialogs/FontFormatForm.h"

#include "dialogs/DialogControls.h"
#include "dialogs/DialogServices.h"
#include "document/model/Document.h"
#include "document/model/Paragraph.h"
#include "document/operations/OperationDispatcher.h"
#include "foundation/Memory.h"
#include "foundation/managers/ColorManager.h"
#include "foundation/managers/FontManager.h"
#include "layout/LayoutLine.h"
#include "layout/LinePainter.h"
#include "platform/runtime/StringList.h"

#include <cstdlib>
#include <memory>

const int32_t UnderlineKindCodes[18] = {0, 2, 1, 3, 6, 4, 20, 7, 23, 39, 55, 9, 25, 10, 26, 11, 27, 43};

TCharFormatClipboard& CharFormatClipboard()
{
    static TCharFormatClipboard clipboard;
    return clipboard;
}

namespace {

constexpr int32_t kSizes[] = {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr int32_t kWhite = 8;

bool IsSet(int32_t value)
{
    return value != NotSet;
}

int32_t RoundDiv(int64_t a, int64_t b)
{
    const int64_t q = (std::llabs(a) * 2 + b) / (2 * b);
    return static_cast<int32_t>(a < 0 ? -q : q);
}

int32_t IndexOfUnderline(int32_t code)
{
    for (int32_t i = 0; i < 18; ++i)
        if (UnderlineKindCodes[i] == code)
            return i;
    return -1;
}

// A sample line of an underline kind across the rectangle.
void DrawUnderlineSample(TCanvas& canvas, const TRect& rect, int32_t code)
{
    canvas.Brush().SetColor(clWindow);
    canvas.FillRect(rect);
    if (code == 0)
        return;
    const int32_t y = (rect.Top + rect.Bottom) / 2;
    const bool thick = code == 6 || code == 20 || code == 23 || code == 55 || code == 25 || code == 26 || code == 27;
    const int32_t kind = code & 15;
    canvas.Pen().SetColor(clBlack);
    canvas.Pen().SetWidth(thick ? 2 : 1);
    canvas.Pen().SetStyle(kind == 4 ? TPenStyle::psDot
                          : kind == 7 ? TPenStyle::psDash
                          : kind == 9 ? TPenStyle::psDashDot
                          : kind == 10 ? TPenStyle::psDashDotDot
                                       : TPenStyle::psSolid);
    const int32_t left = rect.Left + 4, right = rect.Right - 4;
    if (kind == 11) {
        for (int32_t x = left; x < right; x += 4) {
            canvas.MoveTo(x, y + 1);
            canvas.LineTo(x + 2, y - 1);
            canvas.LineTo(x + 4, y + 1);
        }
    } else if (code == 2) {
        for (int32_t x = left; x < right; x += 24) {
            canvas.MoveTo(x, y);
            canvas.LineTo(std::min(right, x + 16), y);
        }
    } else {
        canvas.MoveTo(left, y);
        canvas.LineTo(right, y);
        if (code == 3 || code == 43) {
            canvas.MoveTo(left, y + 3);
            canvas.LineTo(right, y + 3);
        }
    }
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Pen().SetWidth(1);
}

// A colour item: its swatch and its name.
void DrawColorItem(TCanvas& canvas, const TRect& rect, int32_t colorIndex, const std::string& name)
{
    canvas.Brush().SetColor(clWindow);
    canvas.FillRect(rect);
    canvas.Brush().SetColor(colorIndex == 0 ? clBlack : static_cast<TColor>(BasicColor(colorIndex)));
    canvas.Pen().SetColor(clBlack);
    canvas.Rectangle(rect.Left + 2, rect.Top + 2, rect.Left + 22, rect.Bottom - 2);
    canvas.Brush().SetColor(clWindow);
    canvas.TextOut(rect.Left + 28, rect.Top + 1, name);
}

}  // namespace

TFontFormatForm::TFontFormatForm(TComponent* owner, const TCharFormat& format, int32_t helpTopic, uint8_t flags)
    : TStandardDialogForm(owner), FFormat(format), FFlags(flags)
{
    SetName("FontFormatForm");
    SetCaption("Police");
    SetHelpTopic(helpTopic);
    Position = TPosition::poScreenCenter;
    SetClientSize(452, 430);
    DlgFormManager = new TDlgFormManager(this);
    DlgFormManager->AllowEmpty = Undefined();
    FontNameFromSlot();

    PageControl = new TPageControl(this);
    PageControl->SetName("PageControl");
    PageControl->SetParent(this);
    PageControl->SetBounds(8, 8, 436, 290);
    auto* main = new TTabSheet(this);
    main->SetPageControl(PageControl);
    main->SetCaption("Police, style et attributs");
    auto* spacing = new TTabSheet(this);
    spacing->SetPageControl(PageControl);
    spacing->SetCaption("Espacement");
    PageControl->SetActivePage(main);

    FontNameEdit = new TEdit(this);
    FontNameEdit->SetName("FontNameEdit");
    FontNameEdit->SetParent(main);
    FontNameEdit->SetBounds(8, 24, 180, 21);
    MakeDlgLabel(this, main, "&Police :", 8, 6, FontNameEdit);
    PredefinedFontNamesLstBx = new TListBox(this);
    PredefinedFontNamesLstBx->SetName("PredefinedFontNamesLstBx");
    PredefinedFontNamesLstBx->SetParent(main);
    PredefinedFontNamesLstBx->SetBounds(8, 46, 180, 90);
    FontSizeEdit = new TValidationEdit(this);
    FontSizeEdit->SetName("FontSizeEdit");
    FontSizeEdit->SetParent(main);
    FontSizeEdit->SetBounds(196, 24, 60, 21);
    MakeDlgLabel(this, main, "T&aille :", 196, 6, FontSizeEdit);
    PredefinedFontSizesLstBx = new TListBox(this);
    PredefinedFontSizesLstBx->SetName("PredefinedFontSizesLstBx");
    PredefinedFontSizesLstBx->SetParent(main);
    PredefinedFontSizesLstBx->SetBounds(196, 46, 60, 90);
    ColorsCmbBx = MakeDlgCombo(this, main, "ColorsCmbBx", 264, 24, 156, {});
    MakeDlgLabel(this, main, "C&ouleur de la police :", 264, 6, ColorsCmbBx);
    UStyleCmbBx = MakeDlgCombo(this, main, "UStyleCmbBx", 264, 70, 156, {});
    MakeDlgLabel(this, main, "&Soulignage :", 264, 52, UStyleCmbBx);
    UColorCmbBx = MakeDlgCombo(this, main, "UColorCmbBx", 264, 116, 156, {});
    MakeDlgLabel(this, main, "Co&uleur du soulignage :", 264, 98, UColorCmbBx);

    TGroupBox* attributes = MakeDlgGroup(this, main, "Attributs :", 8, 142, 412, 116);
    auto box = [&](const char* name, const char* caption, int column, int row) {
        return MakeDlgCheckBox(this, attributes, name, caption, 10 + column * 136, 20 + row * 23, 130);
    };
    BoldChkBx = box("BoldChkBx", "&Gras", 0, 0);
    ItalicChkBx = box("ItalicChkBx", "&Italique", 0, 1);
    StrikeChkBx = box("StrikeChkBx", "Ba&rré", 0, 2);
    DblStrikeChkBx = box("DblStrikeChkBx", "Barré &double", 0, 3);
    SmallCapsChkBx = box("SmallCapsChkBx", "Petites ma&juscules", 1, 0);
    AllCapsChkBx = box("AllCapsChkBx", "&Majuscules", 1, 1);
    SupChkBx = box("SupChkBx", "E&xposant", 1, 2);
    SubChkBx = box("SubChkBx", "I&ndice", 1, 3);
    ShadChkBx = box("ShadChkBx", "Om&bré", 2, 0);
    OutlChkBx = box("OutlChkBx", "&Contour", 2, 1);
    EmbossChkBx = box("EmbossChkBx", "R&elief", 2, 2);
    EngraveChkBx = box("EngraveChkBx", "Emprein&te", 2, 3);

    CharScaleUpDnEdt = MakeDlgUpDown(this, spacing, "CharScaleUpDnEdt", 170, 16, 70);
    MakeDlgLabel(this, spacing, "Éc&helle :", 10, 20, CharScaleUpDnEdt);
    IntervalTypeCmbBx = MakeDlgCombo(this, spacing, "IntervalTypeCmbBx", 170, 50, 110, {"Normal", "Étendu", "Condensé"});
    MakeDlgLabel(this, spacing, "E&spacement :", 10, 54, IntervalTypeCmbBx);
    IntervalValueUpDnEdit = MakeDlgUpDown(this, spacing, "IntervalValueUpDnEdit", 326, 50, 70);
    MakeDlgLabel(this, spacing, "&De :", 292, 54, IntervalValueUpDnEdit);
    LocationTypeCmbBx = MakeDlgCombo(this, spacing, "LocationTypeCmbBx", 170, 84, 110,
                                     {"Normale", "Décalage vers le haut", "Décalage vers le bas"});
    MakeDlgLabel(this, spacing, "&Position sur la ligne :", 10, 88, LocationTypeCmbBx);
    LocationValueUpDnEdit = MakeDlgUpDown(this, spacing, "LocationValueUpDnEdit", 326, 84, 70);
    MakeDlgLabel(this, spacing, "D&e :", 292, 88, LocationValueUpDnEdit);
    KerningChkBx = MakeDlgCheckBox(this, spacing, "KerningChkBx", "&Crénage :", 10, 122, 150);
    KerningUpDnEdit = MakeDlgUpDown(this, spacing, "KerningUpDnEdit", 170, 118, 70);
    MakeDlgLabel(this, spacing, "points et pl&us", 260, 122, KerningUpDnEdit);

    TGroupBox* previewGroup = MakeDlgGroup(this, this, "Aperçu", 8, 304, 436, 80);
    PreviewImage = new TPaintBox(this);
    PreviewImage->SetName("PreviewImage");
    PreviewImage->SetParent(previewGroup);
    PreviewImage->SetBounds(8, 18, 420, 54);
    PreviewImage->OnPaint = [this](TControl*) { PreviewImage->Canvas().Draw(0, 0, FPreview); };

    DefBtn = MakeDlgButton(this, this, "DefBtn", "Par dé&faut...", 8, 0, 92);
    CopyFormatBtn = MakeDlgButton(this, this, "CopyFormatBtn", "Copier", 104, 0, 64);
    PasteFormatBtn = MakeDlgButton(this, this, "PasteFormatBtn", "Coller", 172, 0, 64);
    DlgButtons().SetButtonIndexes("01");
    DlgButtons().OnClick = [this](TControl* sender) { DialogButtonClick(sender); };
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        ok->ModalResult = mrNone;
    DlgButtons().PlaceButtons();
    if (TDlgButton* ok = DlgButtons().Button(DlgButtonOK))
        for (TButton* button : {DefBtn, CopyFormatBtn, PasteFormatBtn})
            button->SetTop(ok->Top());
    DefBtn->SetEnabled(static_cast<bool>(DialogServices().ChangeDefaultTemplate));
    DefBtn->OnClick = [this](TControl*) { DefBtnClick(); };
    CopyFormatBtn->OnClick = [this](TControl*) { CopyFormatBtnClick(); };
    PasteFormatBtn->OnClick = [this](TControl*) { PasteFormatBtnClick(); };

    // Tags name the slots that "Valeur non définie" clears.
    FontNameEdit->Tag = cfFont;
    PredefinedFontNamesLstBx->Tag = cfFont;
    FontSizeEdit->Tag = cfSize;
    PredefinedFontSizesLstBx->Tag = cfSize;
    ColorsCmbBx->Tag = cfColor;
    UStyleCmbBx->Tag = cfUnderline;
    UColorCmbBx->Tag = cfUnderlineColor;
    CharScaleUpDnEdt->Tag = cfHorizontalScale;
    IntervalTypeCmbBx->Tag = cfLetterSpacing;
    IntervalValueUpDnEdit->Tag = cfLetterSpacing;
    LocationTypeCmbBx->Tag = cfRaise;
    LocationValueUpDnEdit->Tag = cfRaise;
    KerningUpDnEdit->Tag = cfKerning;

    // Lists.
    if (TFontManager* fonts = GetFontManager()) {
        TStringList names;
        fonts->GetFontNames(names);
        for (int32_t i = 0; i < names.Count(); ++i)
            PredefinedFontNamesLstBx->Items().Add(names.Strings(i));
    }
    PredefinedFontSizesLstBx->Items().Clear();
    for (int32_t size : kSizes)
        PredefinedFontSizesLstBx->Items().AddObject(std::to_string(size),
                                                     reinterpret_cast<void*>(static_cast<intptr_t>(size * 2)));
    for (TComboBox* colors : {ColorsCmbBx, UColorCmbBx}) {
        colors->Style = TComboBoxStyle::csOwnerDrawFixed;
        for (int32_t i = 0; i <= BasicColorCount; ++i)
            colors->Items().AddObject(BasicColorName(i), reinterpret_cast<void*>(static_cast<intptr_t>(i)));
    }
    ColorsCmbBx->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                     TOwnerDrawState) {
        if (index >= 0)
            DrawColorItem(canvas, rect, index, ColorsCmbBx->Items().Strings(index));
    };
    // Item 0 of the underline colour is drawn with the current text colour.
    UColorCmbBx->OnDrawItem = [this](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect,
                                     TOwnerDrawState) {
        if (index < 0)
            return;
        const int32_t color =
            index == 0 ? static_cast<int32_t>(reinterpret_cast<intptr_t>(UColorCmbBx->Items().Objects(0))) : index;
        DrawColorItem(canvas, rect, color, UColorCmbBx->Items().Strings(index));
    };
    UStyleCmbBx->Style = TComboBoxStyle::csOwnerDrawFixed;
    for (int32_t code : UnderlineKindCodes)
        UStyleCmbBx->Items().AddObject("", reinterpret_cast<void*>(static_cast<intptr_t>(code)));
    UStyleCmbBx->OnDrawItem = [](TWinControl*, TCanvas& canvas, int32_t index, const TRect& rect, TOwnerDrawState) {
        if (index >= 0 && index < 18)
            DrawUnderlineSample(canvas, rect, UnderlineKindCodes[index]);
    };

    // Numeric edits: value = shown number × 10^digits.
    FontSizeEdit->SetNrOfDigitsAfterSeparator(1);
    FontSizeEdit->Min = 10;
    FontSizeEdit->Max = 10000;
    CharScaleUpDnEdt->SetNrOfDigitsAfterSeparator(0);
    CharScaleUpDnEdt->Min = 1;
    CharScaleUpDnEdt->Max = 600;
    CharScaleUpDnEdt->Increment = 10;
    CharScaleUpDnEdt->SetTailString("%");
    IntervalValueUpDnEdit->SetNrOfDigitsAfterSeparator(2);
    IntervalValueUpDnEdit->Min = -100000;
    IntervalValueUpDnEdit->Max = 100000;
    IntervalValueUpDnEdit->Increment = 10;
    IntervalValueUpDnEdit->SetTailString(" pt");
    LocationValueUpDnEdit->SetNrOfDigitsAfterSeparator(0);
    LocationValueUpDnEdit->Min = -1000;
    LocationValueUpDnEdit->Max = 1000;
    LocationValueUpDnEdit->Increment = 1;
    LocationValueUpDnEdit->SetTailString(" pt");
    KerningUpDnEdit->SetNrOfDigitsAfterSeparator(1);
    KerningUpDnEdit->Min = 10;
    KerningUpDnEdit->Max = 10000;
    KerningUpDnEdit->Increment = 10;

    const std::pair<TCheckBox*, int> boxes[] = {
        {BoldChkBx, cfBold},         {ItalicChkBx, cfItalic},     {StrikeChkBx, cfStrikeOut},
        {DblStrikeChkBx, cfDoubleStrikeOut}, {SmallCapsChkBx, cfSmallCaps}, {AllCapsChkBx, cfAllCaps},
        {ShadChkBx, cfShadow},       {OutlChkBx, cfOutline},      {EmbossChkBx, cfEmboss},
        {EngraveChkBx, cfEngrave},   {SupChkBx, cfVerticalPosition}, {SubChkBx, cfVerticalPosition},
        {KerningChkBx, cfKerning}};
    for (const auto& [check, slot] : boxes) {
        check->Tag = slot;
        check->AllowGrayed = FFormat[slot] == NotSet || Undefined();
        check->OnClick = [this](TControl* sender) { ControlsChange(sender); };
    }
    // The kerning edit starts at the font size.
    KerningUpDnEdit->SetValue(IsSet(FFormat[cfSize]) ? FFormat[cfSize] * 5 : 100);

    DlgFormManager->OnSetDataToControls = [this](TComponent* sender) { SetDataToControls(sender); };
    DlgFormManager->OnGetDataFromControls = [this](TComponent* sender) { GetDataFromControls(sender); };
    FontNameEdit->OnChange = [this](TControl* sender) { ControlsChange(sender); };
    for (TListBox* list : {PredefinedFontNamesLstBx, PredefinedFontSizesLstBx}) {
        list->OnClick = [this](TControl* sender) { ControlsChange(sender); };
        list->OnDblClick = [this](TControl* sender) { DialogButtonClick(sender); };
    }
    for (TComboBox* combo : {ColorsCmbBx, UStyleCmbBx, UColorCmbBx, IntervalTypeCmbBx, LocationTypeCmbBx})
        combo->OnChange = [this](TControl* sender) { ControlsChange(sender); };
    for (TValidationEdit* edit : std::initializer_list<TValidationEdit*>{
             FontSizeEdit, CharScaleUpDnEdt, IntervalValueUpDnEdit, KerningUpDnEdit, LocationValueUpDnEdit})
        edit->OnValueChanged = [this](TControl* sender) { ControlsChange(sender); };

    for (TValidationEdit* edit : std::initializer_list<TValidationEdit*>{
             FontSizeEdit, CharScaleUpDnEdt, IntervalValueUpDnEdit, KerningUpDnEdit, LocationValueUpDnEdit})
        DlgFormManager->AddControl(edit);
    SetDataToControls(nullptr);
}

void TFontFormatForm::FontNameFromSlot()
{
    FFontName.clear();
    if (!IsSet(FFormat[cfFont]))
        return;
    if (TFontManager* fonts = GetFontManager())
        if (const TRegisteredFont* font = fonts->FindFont(FFormat[cfFont]))
            FFontName = font->GetFaceName(*fonts);
}

void TFontFormatForm::SetDataToControls(TComponent*)
{
    TDlgFormManager& m = *DlgFormManager;
    m.Active = false;
    const TCharFormat& f = FFormat;
    if (m.CanSetData(FontNameEdit) && FontNameEdit->Text() != FFontName) {
        const auto change = FontNameEdit->OnChange;
        FontNameEdit->OnChange = nullptr;
        FontNameEdit->SetText(FFontName);
        FontNameEdit->OnChange = change;
    }
    if (m.ChangingControl != FontNameEdit) {
        const int32_t item = PredefinedFontNamesLstBx->Items().IndexOf(FFontName);
        if (PredefinedFontNamesLstBx->ItemIndex() != item)
            PredefinedFontNamesLstBx->SetItemIndex(item);
    }
    auto put = [&](TValidationEdit* edit, int32_t slot, int32_t value) {
        if (!IsSet(f[slot])) {
            if (m.CanSetData(edit) || Undefined())
                m.WriteEmpty(edit);
        } else if (m.CanSetData(edit)) {
            m.WriteValue(edit, value);
        }
    };
    put(FontSizeEdit, cfSize, f[cfSize] * 5);
    int32_t sizeItem = -1;
    for (int32_t i = 0; i < PredefinedFontSizesLstBx->Items().Count(); ++i)
        if (reinterpret_cast<intptr_t>(PredefinedFontSizesLstBx->Items().Objects(i)) == f[cfSize])
            sizeItem = i;
    if (PredefinedFontSizesLstBx->ItemIndex() != sizeItem)
        PredefinedFontSizesLstBx->SetItemIndex(sizeItem);

    auto colorItem = [](int32_t value) { return IsSet(value) && value >= 0 && value <= BasicColorCount ? value : -1; };
    if (m.CanSetData(ColorsCmbBx))
        ColorsCmbBx->SetItemIndex(colorItem(f[cfColor]));
    if (m.CanSetData(UStyleCmbBx))
        UStyleCmbBx->SetItemIndex(IsSet(f[cfUnderline]) ? IndexOfUnderline(f[cfUnderline]) : -1);
    if (m.CanSetData(UColorCmbBx))
        UColorCmbBx->SetItemIndex(colorItem(f[cfUnderlineColor]));
    const intptr_t textColor = IsSet(f[cfColor]) ? f[cfColor] : 0;
    if (reinterpret_cast<intptr_t>(UColorCmbBx->Items().Objects(0)) != textColor) {
        UColorCmbBx->Items().SetObjects(0, reinterpret_cast<void*>(textColor));
        if (UColorCmbBx->ItemIndex() == 0)
            UColorCmbBx->Invalidate();
    }
    UColorCmbBx->SetEnabled(f[cfUnderline] != 0);

    for (TCheckBox* box : {BoldChkBx, ItalicChkBx, StrikeChkBx, DblStrikeChkBx, SmallCapsChkBx, AllCapsChkBx, ShadChkBx,
                           OutlChkBx, EmbossChkBx, EngraveChkBx, SupChkBx, SubChkBx})
        if (m.CanSetData(box))
            SetCheckSilently(*box, CheckStateOf(f[static_cast<int>(box->Tag)], box == SubChkBx ? 2 : 1));

    put(CharScaleUpDnEdt, cfHorizontalScale, f[cfHorizontalScale]);

    const int32_t interval = f[cfLetterSpacing];
    if (m.CanSetData(IntervalTypeCmbBx))
        IntervalTypeCmbBx->SetItemIndex(!IsSet(interval) ? -1 : interval > 0 ? 1 : interval < 0 ? 2 : 0);
    if (!IsSet(interval) || interval == 0) {
        if (m.CanSetData(IntervalValueUpDnEdit) || Undefined())
            m.WriteEmpty(IntervalValueUpDnEdit);
    } else if (m.CanSetData(IntervalValueUpDnEdit)) {
        // Exact: 1 twip is 0,05 pt.
        m.WriteValue(IntervalValueUpDnEdit, interval * 5);
    }
    const int32_t raise = f[cfRaise];
    if (m.CanSetData(LocationTypeCmbBx))
        LocationTypeCmbBx->SetItemIndex(!IsSet(raise) ? -1 : raise > 0 ? 1 : raise < 0 ? 2 : 0);
    if (!IsSet(raise) || raise == 0) {
        if (m.CanSetData(LocationValueUpDnEdit) || Undefined())
            m.WriteEmpty(LocationValueUpDnEdit);
    } else if (m.CanSetData(LocationValueUpDnEdit)) {
        m.WriteValue(LocationValueUpDnEdit, raise);
    }
    const int32_t kerning = f[cfKerning];
    if (!IsSet(kerning) || kerning == 0) {
        if (m.CanSetData(KerningUpDnEdit) || Undefined())
            m.WriteEmpty(KerningUpDnEdit);
    } else if (m.CanSetData(KerningUpDnEdit)) {
        m.WriteValue(KerningUpDnEdit, kerning * 5);
    }
    if (m.CanSetData(KerningChkBx))
        SetCheckSilently(*KerningChkBx, !IsSet(kerning)  ? TCheckBoxState::cbGrayed
                                        : kerning == 0 ? TCheckBoxState::cbUnchecked
                                                       : TCheckBoxState::cbChecked);
    PasteFormatBtn->SetEnabled(CharFormatClipboard().HasFormat != 0);
    DrawPreview();
    PreviewImage->Invalidate();
    m.Active = true;
}

void TFontFormatForm::GetDataFromControls(TComponent* sender)
{
    TDlgFormManager& m = *DlgFormManager;
    m.BeginGetData();
    TCharFormat& f = FFormat;
    TFontManager* fonts = GetFontManager();

    // 1. Font name.
    if (sender == FontNameEdit) {
        const int32_t item = PredefinedFontNamesLstBx->Items().IndexOf(FontNameEdit->Text());
        if (PredefinedFontNamesLstBx->ItemIndex() != item)
            PredefinedFontNamesLstBx->SetItemIndex(item);
    }
    if (sender == PredefinedFontNamesLstBx && PredefinedFontNamesLstBx->ItemIndex() >= 0) {
        FFontName = PredefinedFontNamesLstBx->Items().Strings(PredefinedFontNamesLstBx->ItemIndex());
        if (fonts) {
            const TRegisteredFont* previous = IsSet(f[cfFont]) ? fonts->FindFont(f[cfFont]) : nullptr;
            f[cfFont] = previous ? fonts->GetFontIndex(FFontName, previous->RequestedCharset, true,
                                                       previous->PitchAndFamily)
                                 : fonts->GetFontIndex(FFontName, NotSet, true, 0);
        }
    } else {
        FFontName = FontNameEdit->Text();
        if (Undefined() && FFontName.empty())
            f[cfFont] = NotSet;
    }
    // 2. Size.
    if (sender == PredefinedFontSizesLstBx) {
        if (PredefinedFontSizesLstBx->ItemIndex() >= 0)
            f[cfSize] = static_cast<int32_t>(
                reinterpret_cast<intptr_t>(PredefinedFontSizesLstBx->Items().Objects(PredefinedFontSizesLstBx->ItemIndex())));
        m.IncludeControl(FontSizeEdit);
    } else if (m.CanReadEdit(FontSizeEdit)) {
        f[cfSize] = RoundDiv(FontSizeEdit->Value(), 5);
    } else if (Undefined() && m.IsBlank(FontSizeEdit) && m.CanSetData(FontSizeEdit)) {
        f[cfSize] = NotSet;
    }
    // 3. Colours and underline.
    auto readCombo = [&](TComboBox* combo, int slot) {
        if (!m.CanGetData(combo))
            return;
        if (combo->ItemIndex() >= 0)
            f[slot] = static_cast<int32_t>(reinterpret_cast<intptr_t>(combo->Items().Objects(combo->ItemIndex())));
        else if (Undefined())
            f[slot] = NotSet;
    };
    readCombo(ColorsCmbBx, cfColor);
    if (UColorCmbBx->ItemIndex() > 0 || UColorCmbBx->ItemIndex() < 0) {
        readCombo(UColorCmbBx, cfUnderlineColor);
    } else if (m.CanGetData(UColorCmbBx)) {
        f[cfUnderlineColor] = 0;
    }
    readCombo(UStyleCmbBx, cfUnderline);
    // 4. Bold, italic, strike-through.
    for (TCheckBox* box : {BoldChkBx, ItalicChkBx, StrikeChkBx, DblStrikeChkBx})
        f[static_cast<int>(box->Tag)] = ValueOfCheckState(box->State());
    if (sender == StrikeChkBx && f[cfStrikeOut] == 1 && f[cfDoubleStrikeOut] == 1)
        f[cfDoubleStrikeOut] = 0;
    if (sender == DblStrikeChkBx && f[cfDoubleStrikeOut] == 1 && f[cfStrikeOut] == 1)
        f[cfStrikeOut] = 0;
    // 5. Superscript and subscript.
    if (sender == SupChkBx || sender == SubChkBx) {
        auto* box = static_cast<TCheckBox*>(sender);
        f[cfVerticalPosition] = ValueOfCheckState(box->State(), box == SubChkBx ? 2 : 1);
    }
    // 6. Small and all capitals.
    if (sender == SmallCapsChkBx || sender == AllCapsChkBx) {
        auto* box = static_cast<TCheckBox*>(sender);
        const int slot = static_cast<int>(box->Tag);
        f[slot] = ValueOfCheckState(box->State());
        if (f[slot] == 1)
            f[slot == cfSmallCaps ? cfAllCaps : cfSmallCaps] = 0;
    }
    // 7. Shadow and outline exclude emboss and engrave.
    if (sender == ShadChkBx || sender == OutlChkBx) {
        auto* box = static_cast<TCheckBox*>(sender);
        const int slot = static_cast<int>(box->Tag);
        f[slot] = ValueOfCheckState(box->State());
        if (IsSet(f[slot])) {
            f[cfEmboss] = 0;
            f[cfEngrave] = 0;
        }
        if (f[slot] == 1 && f[cfColor] == kWhite)
            f[cfColor] = 0;
    }
    // 8. Emboss and engrave: white text on automatic colour, and back.
    if (sender == EmbossChkBx || sender == EngraveChkBx) {
        auto* box = static_cast<TCheckBox*>(sender);
        const int slot = static_cast<int>(box->Tag);
        f[slot] = ValueOfCheckState(box->State());
        if (IsSet(f[slot])) {
            f[cfShadow] = 0;
            f[cfOutline] = 0;
            f[slot == cfEmboss ? cfEngrave : cfEmboss] = 0;
        }
        if (f[slot] == 1 && f[cfColor] == 0)
            f[cfColor] = kWhite;
        else if (f[slot] != 1 && f[cfColor] == kWhite)
            f[cfColor] = 0;
    }
    // 9. Scale.
    if (m.CanReadEdit(CharScaleUpDnEdt))
        f[cfHorizontalScale] = CharScaleUpDnEdt->Value();
    else if (Undefined() && m.IsBlank(CharScaleUpDnEdt) && m.CanSetData(CharScaleUpDnEdt))
        f[cfHorizontalScale] = NotSet;
    // 10. Letter spacing.
    const int32_t interval = IsSet(f[cfLetterSpacing]) ? std::abs(f[cfLetterSpacing]) : 0;
    if (sender == IntervalTypeCmbBx) {
        switch (IntervalTypeCmbBx->ItemIndex()) {
        case 0: f[cfLetterSpacing] = 0; break;
        case 1: f[cfLetterSpacing] = interval ? interval : 20; break;
        case 2: f[cfLetterSpacing] = -(interval ? interval : 20); break;
        default: break;
        }
        m.IncludeControl(IntervalValueUpDnEdit);
    } else if (sender == IntervalValueUpDnEdit) {
        if (m.CanReadEdit(IntervalValueUpDnEdit))
            f[cfLetterSpacing] = RoundDiv(int64_t(IntervalValueUpDnEdit->Value()) * 20, 100);
        else if (Undefined() && m.IsBlank(IntervalValueUpDnEdit))
            f[cfLetterSpacing] = NotSet;
    }
    // 11. Raised or lowered position.
    const int32_t raise = IsSet(f[cfRaise]) ? std::abs(f[cfRaise]) : 0;
    if (sender == LocationTypeCmbBx) {
        switch (LocationTypeCmbBx->ItemIndex()) {
        case 0: f[cfRaise] = 0; break;
        case 1: f[cfRaise] = raise ? raise : 3; break;
        case 2: f[cfRaise] = -(raise ? raise : 3); break;
        default: break;
        }
        m.IncludeControl(LocationValueUpDnEdit);
    } else if (sender == LocationValueUpDnEdit) {
        if (m.CanReadEdit(LocationValueUpDnEdit))
            f[cfRaise] = LocationValueUpDnEdit->Value();
        else if (Undefined() && m.IsBlank(LocationValueUpDnEdit))
            f[cfRaise] = NotSet;
    }
    // 12. Kerning.
    if (sender == KerningChkBx) {
        switch (KerningChkBx->State()) {
        case TCheckBoxState::cbUnchecked: f[cfKerning] = 0; break;
        case TCheckBoxState::cbChecked: f[cfKerning] = IsSet(f[cfSize]) ? f[cfSize] : 20; break;
        default: f[cfKerning] = NotSet; break;
        }
        m.IncludeControl(KerningUpDnEdit);
    } else if (sender == KerningUpDnEdit) {
        if (m.CanReadEdit(KerningUpDnEdit))
            f[cfKerning] = RoundDiv(KerningUpDnEdit->Value(), 5);
        else if (Undefined() && m.IsBlank(KerningUpDnEdit))
            f[cfKerning] = NotSet;
    }
}

void TFontFormatForm::ControlsChange(TComponent* sender)
{
    DlgFormManager->ControlChanged(sender);
}

bool TFontFormatForm::RunChecks()
{
    if (TFontManager* fonts = GetFontManager()) {
        int32_t index = FFormat[cfFont];
        if (!fonts->ValidateFontName(index, FFontName))
            return false;
        FFormat[cfFont] = index;
    }
    return DlgFormManager->ValidateControls();
}

void TFontFormatForm::SetUndefinedValue(int32_t tag)
{
    if (tag < 0 || tag >= TCharFormat::Count)
        return;
    FFormat[tag] = NotSet;
    if (tag == cfFont)
        FFontName.clear();
    SetDataToControls(DlgFormManager);
}

void TFontFormatForm::CopyFormatBtnClick()
{
    if (!RunChecks())
        return;
    CharFormatClipboard().Format = FFormat;
    CharFormatClipboard().HasFormat = 1;
    SetDataToControls(DlgFormManager);
}

void TFontFormatForm::PasteFormatBtnClick()
{
    if (!CharFormatClipboard().HasFormat)
        return;
    FFormat = CharFormatClipboard().Format;
    FontNameFromSlot();
    DlgFormManager->RefreshAll();
}

void TFontFormatForm::DefBtnClick()
{
    if (!RunChecks() || !DialogServices().ChangeDefaultTemplate)
        return;
    SetDataToControls(DlgFormManager);
    DialogServices().ChangeDefaultTemplate(
        "Voulez-vous que les caractéristiques actuelles de la police de caractères deviennent celles de la police "
        "par défaut ?",
        [this](TDocument& templateDocument) {
            FFormat[cfLanguage] = NotSet;
            TTextRange body;
            templateDocument.GetBodyRange(body);
            uint8_t flags = 0;
            templateDocument.ExecuteOperation(docFormatText, {&body, &FFormat, &flags});
        });
}

void TFontFormatForm::DialogButtonClick(TControl* sender)
{
    auto* row = dynamic_cast<TDlgButton*>(sender);
    if (row && row->Kind() == DlgButtonCancel) {
        SetModalResult(mrCancel);
        return;
    }
    if (RunChecks())
        SetModalResult(mrOk);
}

void TFontFormatForm::DrawPreview()
{
    const int32_t width = std::max(1, PreviewImage->Width());
    const int32_t height = std::max(1, PreviewImage->Height());
    FPreview.SetSize(width, height);
    TCanvas& canvas = FPreview.Canvas();
    canvas.Brush().SetColor(clWindow);
    canvas.FillRect({0, 0, width, height});
    if (GetFontManager()) {
        // A hidden document one very wide page across, the sample centred
        // between two rules of underscores, the working format on the sample.
        auto document = std::make_unique<TDocument>(true);
        document->SuppressPaginationProgress = 1;
        document->NoUndo = 1;
        document->InitNewDocument();
        document->SetZoom(100);
        TPageParams page = document->Sections(0).PageParams;
        page[ppPaperWidth] = MaxPaperSize;
        page[ppLeftMargin] = page[ppRightMargin] = page[ppTopMargin] = page[ppBottomMargin] = 0;
        TTextRange body;
        document->GetBodyRange(body);
        document->ExecuteOperation(docChangePageParams, {&page, &body});
        std::string sample = !SelectedText.empty() ? SelectedText : !FFontName.empty() ? FFontName : "Aperçu";
        std::string text = "_______   " + sample + "   _______";
        for (char& c : text)
            if (c == ' ')
                c = static_cast<char>(0xA0);
        document->SetSelection(0, 0, 0, 0);
        TMemory buffer;
        buffer.Append(text.data(), static_cast<int32_t>(text.size()));
        uint8_t insertFlags = 0;
        document->ExecuteOperation(docInsertText, {&buffer, &insertFlags});
        TTextRange paragraph{{0, 0}, {0, static_cast<int32_t>(text.size())}};
        TParFormat centred;
        ClearParFormat(centred);
        centred[pfAlignment] = 1;
        document->ExecuteOperation(docFormatParagraphs, {&paragraph, &centred});
        TTextRange sampleRange{{0, 10}, {0, static_cast<int32_t>(text.size()) - 10}};
        TCharFormat format = FFormat;
        uint8_t formatFlags = 0;
        document->ExecuteOperation(docFormatText, {&sampleRange, &format, &formatFlags});
        document->PaginateAll();
        TParagraph& first = document->Paragraphs(0);
        if (first.GetLineCount() > 0) {
            if (TLayoutLine* line = AsLayoutLine(&first.GetLine(0))) {
                TLineGeometry geometry;
                GetLineGeometry(*line, geometry);
                const int32_t x = (width - document->TwipsToDeviceX(MaxPaperSize)) / 2;
                const int32_t band = geometry.BandHeight;
                const int32_t tall = RoundDiv(int64_t(band) * 140, 100);
                const int32_t top = FFormat[cfUnderline] != 0 && tall > height ? height - tall : (height - band) / 2;
                PaintLine(*line, canvas.Handle(), x, top - geometry.Top);
            }
        }
    }
    canvas.Pen().SetColor(clBlack);
    canvas.MoveTo(0, 0);
    canvas.LineTo(width - 1, 0);
    canvas.LineTo(width - 1, height - 1);
    canvas.LineTo(0, height - 1);
    canvas.LineTo(0, 0);
}

bool ExecuteFontFormatDialog(TCharFormat& format, uint8_t flags, int32_t helpTopic)
{
    auto form = std::make_unique<TFontFormatForm>(nullptr, format, helpTopic, flags);
    if (form->ShowModal() != mrOk)
        return false;
    format = form->Format();
    format[cfLanguage] = NotSet;
    return true;
}

bool FormatTextWithDialog(TDocument& document)
{
    TTextRange range{document.Selection().Start, document.Selection().End};
    TCharFormat common;
    document.GetCommonCharFormat(range, common, false);
    common[cfLanguage] = NotSet;
    std::string selected;
    if (document.HasSelection() && range.Start.Paragraph < document.StoryCount(0)) {
        const TMemory& plain = document.Paragraphs(range.Start.Paragraph).GetPlainChars();
        const int32_t end = range.End.Paragraph == range.Start.Paragraph ? range.End.Offset : plain.Size();
        for (int32_t i = range.Start.Offset; i < end && i < plain.Size(); ++i) {
            const char c = static_cast<char>(plain.Data()[i]);
            if (static_cast<unsigned char>(c) >= 32)
                selected += c;
        }
    }
    auto form = std::make_unique<TFontFormatForm>(nullptr, common, 9000, 0);
    form->SelectedText = selected;
    form->DrawPreview();
    if (form->ShowModal() != mrOk)
        return false;
    TCharFormat edited = form->Format();
    edited[cfLanguage] = NotSet;
    form.reset();
    // Only what the user changed goes to the text.
    DiffCharFormat(edited, common);
    if (!IsCharFormatEmpty(edited)) {
        uint8_t flags = 0;
        document.ExecuteOperation(docFormatText, {&range, &edited, &flags});
    }
    return true;
}
