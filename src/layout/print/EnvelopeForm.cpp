// The envelope dialog.
#include "layout/print/EnvelopeForm.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "document/model/Document.h"
#include "document/model/DocumentFiler.h"
#include "document/model/Page.h"
#include "document/model/Paragraph.h"
#include "document/model/Section.h"
#include "foundation/Memory.h"
#include "foundation/MessageDlg.h"
#include "foundation/NotSet.h"
#include "foundation/managers/MeasurementsManager.h"
#include "foundation/managers/PaperSizes.h"
#include "foundation/managers/Style.h"
#include "layout/print/addressbook/AddressChooser.h"
#include "platform/framework/Canvas.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Lists.h"
#include "platform/gdi/Printing.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"

#include "layout/print/PrintFormControls.h"

using namespace print_forms;

namespace {

TEnvelopeHost g_DefaultHost;
TEnvelopeHost* g_Host = nullptr;

uint8_t CurrentUnit()
{
    const TMeasurementsManager* units = GetMeasurementsManager();
    return units ? units->CurrentUnit() : static_cast<uint8_t>(muMillimeter);
}

// A length typed in the current unit (its suffix allowed), in twips; false
// for a text that is no number.
bool ParseLength(const std::string& text, int32_t& twips)
{
    std::string number = Trim(text);
    const std::string suffix = Trim(UnitSuffix(CurrentUnit()));
    if (!suffix.empty() && number.size() >= suffix.size() &&
        SameText(number.substr(number.size() - suffix.size()), suffix))
        number = Trim(number.substr(0, number.size() - suffix.size()));
    std::replace(number.begin(), number.end(), ',', '.');
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos ||
        std::count(number.begin(), number.end(), '.') > 1)
        return false;
    const double value = std::atof(number.c_str());
    twips = UnitsToTwips(CurrentUnit(), static_cast<int32_t>(std::lround(value * 100)));
    return true;
}

// A position field: whole percents (the settings keep hundredths of a percent).
bool ParsePercent(const std::string& text, int32_t& value)
{
    std::string number = Trim(text);
    if (!number.empty() && number.back() == '%')
        number = Trim(number.substr(0, number.size() - 1));
    int32_t percent = 0;
    if (!TryStrToInt(number, percent))
        return false;
    value = percent * 100;
    return true;
}

std::string Percent(int32_t value)
{
    return IntToStr(value / 100);
}

int32_t StandardOf(TDocument& document, const TParagraph& paragraph)
{
    const TStyle* style = document.Styles().Find(paragraph.Format[pfStyle]);
    return style ? style->StandardNumber : -1;
}

}  // namespace

// --- Host ----------------------------------------------------------------------------

bool TEnvelopeHost::RunEnvelopePrintDialog(TEnvelopePrintChoices& choices)
{
    // Without the program's print dialog the envelopes go to the printer of
    // the settings, or the default one.
    const std::string& stored = EnvelopeSettings().PrinterName;
    choices.PrinterName = !stored.empty() && PrinterExists(stored) ? stored : GetDefaultPrinterName();
    return true;
}

bool TEnvelopeHost::SelectAddresses(bool multiple, TEnvAddressList& list)
{
    return ::SelectAddresses(multiple, list);
}

void TEnvelopeHost::OfferToAddAddress(const std::string& /*address*/) {}

TEnvelopeHost* SetEnvelopeHost(TEnvelopeHost* host)
{
    TEnvelopeHost* old = g_Host;
    g_Host = host;
    return old;
}

TEnvelopeHost& EnvelopeHost()
{
    return g_Host ? *g_Host : g_DefaultHost;
}

// --- The form ------------------------------------------------------------------------

TEnvelopeForm::TEnvelopeForm(TComponent* owner, TDocument* active) : TForm(owner), FActive(active)
{
    SetName("EnvelopeForm");
    SetCaption("Enveloppes");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(620, 480);
    TEnvelopeSettings& settings = EnvelopeSettings();

    AddresseeRadBtn1 = Make<TRadioButton>(this, this, "AddresseeRadBtn1", 10, 8, 300, 18,
                                          "Créer une enveloppe (destinataire &unique)");
    AddresseeRadBtn2 = Make<TRadioButton>(this, this, "AddresseeRadBtn2", 10, 28, 300, 18,
                                          "Créer des enveloppes (destinataires mu&ltiples)");
    AddresseeRadBtn3 = Make<TRadioButton>(this, this, "AddresseeRadBtn3", 10, 48, 300, 18,
                                          "Imprimer la ou les enveloppes sélectionnées");

    MakeLabel(this, this, 10, 74, 200, "&Destinataire :");
    DelivAddrMemo = Make<TMemo>(this, this, "DelivAddrMemo", 10, 92, 262, 84);
    SelectDelivAddrSpdBtn = Make<TButton>(this, this, "SelectDelivAddrSpdBtn", 276, 92, 26, 24, "...");
    MakeLabel(this, this, 10, 184, 200, "&Destinataires :");
    MailListEdt = Make<TEdit>(this, this, "MailListEdt", 10, 202, 262, 21);
    MailListEdt->ReadOnly = true;
    ChooseMailListSpdBtn = Make<TButton>(this, this, "ChooseMailListSpdBtn", 276, 201, 26, 24, "...");
    MailListCountLbl = MakeLabel(this, this, 10, 228, 292, "");
    // The note takes two lines in the width of the address fields.
    MakeLabel(this, this, 10, 242, 292, "Les adresses sélectionnées seront utilisées");
    MakeLabel(this, this, 10, 256, 292, "pour imprimer les enveloppes");

    MakeLabel(this, this, 10, 280, 200, "&Expéditeur :");
    OmitChkBx = Make<TCheckBox>(this, this, "OmitChkBx", 210, 278, 90, 18, "&Omettre");
    RetAddrMemo = Make<TMemo>(this, this, "RetAddrMemo", 10, 298, 262, 84);
    SelectRetAddrSpdBtn = Make<TButton>(this, this, "SelectRetAddrSpdBtn", 276, 298, 26, 24, "...");

    OptionsGrp = Make<TGroupBox>(this, this, "OptionsGrp", 312, 8, 300, 250, "Options");
    MakeLabel(OptionsGrp, this, 10, 22, 70, "&Format :");
    SizeCmbBx = Make<TComboBox>(OptionsGrp, this, "SizeCmbBx", 80, 18, 210, 22);
    SizeCmbBx->Style = TComboBoxStyle::csDropDownList;
    MakeLabel(OptionsGrp, this, 10, 50, 60, "Lar&geur :");
    WidthUpDnEdt = Make<TEdit>(OptionsGrp, this, "WidthUpDnEdt", 80, 46, 70, 21);
    MakeLabel(OptionsGrp, this, 160, 50, 60, "&Hauteur :");
    HeightUpDnEdt = Make<TEdit>(OptionsGrp, this, "HeightUpDnEdt", 220, 46, 70, 21);

    MakeLabel(OptionsGrp, this, 10, 78, 200, "Destinataire");
    MakeLabel(OptionsGrp, this, 10, 98, 110, "Marge gau&che =");
    DelivLeftEdt = Make<TEdit>(OptionsGrp, this, "DelivLeftEdt", 120, 94, 40, 21);
    DelivLeftLbl = MakeLabel(OptionsGrp, this, 166, 98, 130, "");
    MakeLabel(OptionsGrp, this, 10, 122, 110, "Marge &supérieure =");
    DelivTopEdt = Make<TEdit>(OptionsGrp, this, "DelivTopEdt", 120, 118, 40, 21);
    DelivTopLbl = MakeLabel(OptionsGrp, this, 166, 122, 130, "");
    DelivAddrFntBtn = Make<TButton>(OptionsGrp, this, "DelivAddrFntBtn", 210, 74, 80, 22, "&Police...");

    MakeLabel(OptionsGrp, this, 10, 152, 200, "Expéditeur");
    MakeLabel(OptionsGrp, this, 10, 172, 110, "Marge g&auche =");
    RetLeftEdt = Make<TEdit>(OptionsGrp, this, "RetLeftEdt", 120, 168, 40, 21);
    RetLeftLbl = MakeLabel(OptionsGrp, this, 166, 172, 130, "");
    MakeLabel(OptionsGrp, this, 10, 196, 110, "Marge sup&érieure =");
    RetTopEdt = Make<TEdit>(OptionsGrp, this, "RetTopEdt", 120, 192, 40, 21);
    RetTopLbl = MakeLabel(OptionsGrp, this, 166, 196, 130, "");
    RetAddrFntBtn = Make<TButton>(OptionsGrp, this, "RetAddrFntBtn", 210, 148, 80, 22, "Pol&ice...");
    DelivAddrFntBtn->Tag = EnvelopeAddressStandard;
    RetAddrFntBtn->Tag = EnvelopeReturnStandard;

    MakeLabel(this, this, 312, 266, 80, "Aperçu :");
    PreviewSpdBtn = Make<TButton>(this, this, "PreviewSpdBtn", 396, 262, 80, 22, "Aperçu");
    PreviewPaintBx = Make<TPaintBox>(this, this, "PreviewPaintBx", 312, 290, 164, 110);
    PreviewPaintBx->OnPaint = [this](TControl*) { PaintPreview(); };

    FeedPanel = Make<TPanel>(this, this, "FeedPanel", 10, 410, 466, 60);
    MakeLabel(FeedPanel, this, 4, 4, 90, "Alimentation :");
    static const char* const feedNames[6] = {"Feed1LstBx", "Feed2LstBx", "Feed3LstBx",
                                             "Feed4LstBx", "Feed5LstBx", "Feed6LstBx"};
    for (int32_t t = 0; t < 6; ++t) {
        FeedLstBx[t] = Make<TPaintBox>(FeedPanel, this, feedNames[t], 96 + t * 48, 4, 44, 52);
        FeedLstBx[t]->Tag = t;
        FeedLstBx[t]->OnPaint = [this, t](TControl*) { PaintFeed(t); };
        FeedLstBx[t]->OnClick = [this](TControl* sender) { ControlChange(sender); };
    }
    FaceUpRadBtn = Make<TRadioButton>(FeedPanel, this, "FaceUpRadBtn", 392, 8, 70, 18, "&Recto");
    FaceDnRadBtn = Make<TRadioButton>(FeedPanel, this, "FaceDnRadBtn", 392, 32, 70, 18, "&Verso");

    PrintBtn = Make<TButton>(this, this, "PrintBtn", 496, 300, 116, 26, "I&mprimer");
    AddToDocBtn = Make<TButton>(this, this, "AddToDocBtn", 496, 332, 116, 26, "&Joindre au document");
    CloseBtn = Make<TButton>(this, this, "CloseBtn", 496, 440, 116, 26, "Fermer");
    CloseBtn->Cancel = true;
    PrintBtn->SetDefault(true);
    for (TButton* b : {PrintBtn, AddToDocBtn, CloseBtn})
        b->OnClick = [this](TControl* sender) { OKBtnClick(sender); };
    DelivAddrFntBtn->OnClick = RetAddrFntBtn->OnClick = [this](TControl* sender) { AddrFntBtnClick(sender); };
    PreviewSpdBtn->OnClick = [this](TControl*) {
        if (!AddresseeRadBtn3->Checked() && ValidateEnvelopeInput())
            PreviewPaintBx->Invalidate();
    };
    SelectDelivAddrSpdBtn->OnClick = [this](TControl*) {
        TEnvAddressList chosen;
        if (EnvelopeHost().SelectAddresses(false, chosen) && !chosen.empty()) {
            DelivAddrMemo->SetText(chosen.front().Address);
            AddresseeRadBtn1->SetChecked(true);
        }
    };
    SelectRetAddrSpdBtn->OnClick = [this](TControl*) {
        TEnvAddressList chosen;
        if (EnvelopeHost().SelectAddresses(false, chosen) && !chosen.empty())
            RetAddrMemo->SetText(chosen.front().Address);
    };
    ChooseMailListSpdBtn->OnClick = [this](TControl*) {
        TEnvAddressList chosen;
        if (EnvelopeHost().SelectAddresses(true, chosen)) {
            Addresses = std::move(chosen);
            AddresseeRadBtn2->SetChecked(true);
            UpdateControls();
        }
    };

    // The values.
    RetAddrMemo->SetText(StringReplace(settings.RetAddr, "||", "\r\n", true));
    DelivAddrMemo->SetText(StringReplace(settings.LastAddr, "||", "\r\n", true));
    OmitChkBx->SetChecked(settings.OmitRetAddr);
    (settings.FeedFace ? FaceUpRadBtn : FaceDnRadBtn)->SetChecked(true);
    FFoundEnvelopeText = SearchEnvelopeText();
    (FFoundEnvelopeText ? AddresseeRadBtn3 : AddresseeRadBtn1)->SetChecked(true);
    FillSizes();

    for (TControl* c : std::initializer_list<TControl*>{OmitChkBx, FaceUpRadBtn, FaceDnRadBtn, AddresseeRadBtn1,
                                                        AddresseeRadBtn2, AddresseeRadBtn3, SizeCmbBx})
        c->OnClick = [this](TControl* sender) { ControlChange(sender); };
    for (TEdit* e : {WidthUpDnEdt, HeightUpDnEdt, DelivLeftEdt, DelivTopEdt, RetLeftEdt, RetTopEdt})
        e->OnChange = [this](TControl* sender) { ControlChange(sender); };
    FReady = true;
    UpdateControls();
    if (!FFoundEnvelopeText)
        SetActiveControl(DelivAddrMemo);
}

bool TEnvelopeForm::SearchEnvelopeText()
{
    if (!FActive || FActive->GetStoryOfParagraph(FActive->Caret.Paragraph) != stBody)
        return false;
    TDocument& d = *FActive;
    auto pageHolds = [&](int32_t first, int32_t last) {
        for (int32_t p = std::max(first, 0); p <= last && p < d.StoryCount(stBody); ++p) {
            const int32_t standard = StandardOf(d, d.Paragraphs(p));
            if (standard == EnvelopeAddressStandard || standard == EnvelopeReturnStandard)
                return true;
        }
        return false;
    };
    auto currentPage = [&]() -> std::pair<int32_t, int32_t> {
        if (d.PageCount() == 0)
            d.PaginateAll();
        const int32_t page = d.PageOfPosition({d.Caret.Paragraph, d.Caret.Offset});
        int32_t first = d.Caret.Paragraph, last = d.Caret.Paragraph;
        if (page >= 0 && page < d.PageCount())
            for (const TParagraphOnPageInfo& range : d.Pages()[static_cast<size_t>(page)]->Ranges)
                if (range.Paragraph && !range.HeaderFooter) {
                    first = std::min(first, range.Paragraph->Index);
                    last = std::max(last, range.Paragraph->Index);
                }
        return {first, last};
    };
    if (d.HasSelection()) {
        const TTextSelection s = d.Selection();
        return pageHolds(s.Start.Paragraph, s.End.Paragraph);
    }
    auto [first, last] = currentPage();
    if (pageHolds(first, last))
        return true;
    if (d.CountEnvelopePages() > 0) {
        const int32_t end = d.StoryLast(stBody);
        d.GoToPosition(end, d.Paragraphs(end).GetCharCount() - 1);
        std::tie(first, last) = currentPage();
        return pageHolds(first, last);
    }
    return false;
}

void TEnvelopeForm::FillSizes()
{
    SizeCmbBx->Items().Clear();
    for (int32_t row = FirstEnvelopeSize; row <= LastEnvelopeSize; ++row)
        SizeCmbBx->Items().Add(GetPaperSizeName(row, true));
    FCustomSize = false;
}

std::string TEnvelopeForm::PositionLabel(int32_t extent, int32_t position, bool width) const
{
    const std::string distance = FormatTwipsIn(CurrentUnit(), MulDiv(extent, position, 10000));
    return Format(width ? "de la largeur (%s)" : "de la hauteur (%s)", {distance});
}

void TEnvelopeForm::ControlChange(TControl* sender)
{
    if (!FReady)
        return;
    TEnvelopeSettings& s = EnvelopeSettings();
    int32_t value = 0;
    if (sender == OmitChkBx) {
        s.OmitRetAddr = OmitChkBx->Checked();
    } else if (sender == SizeCmbBx) {
        const int32_t index = SizeCmbBx->ItemIndex();
        if (index >= 0 && index <= LastEnvelopeSize - FirstEnvelopeSize) {
            const TPaperSize& size = PaperSizes(FirstEnvelopeSize + index);
            s.Width = std::max(size.Width, size.Height);
            s.Height = std::min(size.Width, size.Height);
            FReady = false;
            WidthUpDnEdt->SetText("");
            HeightUpDnEdt->SetText("");
            FReady = true;
        }
    } else if (sender == WidthUpDnEdt || sender == HeightUpDnEdt) {
        if (!ParseLength(static_cast<TEdit*>(sender)->Text(), value))
            return;
        (sender == WidthUpDnEdt ? s.Width : s.Height) = value;
    } else if (sender == DelivLeftEdt || sender == DelivTopEdt || sender == RetLeftEdt || sender == RetTopEdt) {
        if (!ParsePercent(static_cast<TEdit*>(sender)->Text(), value))
            return;
        (sender == DelivLeftEdt ? s.DA_Left : sender == DelivTopEdt ? s.DA_Top : sender == RetLeftEdt ? s.RA_Left
                                                                                                      : s.RA_Top) =
            value;
    } else if (sender && sender->Owner() == this && std::find(std::begin(FeedLstBx), std::end(FeedLstBx), sender) !=
                                                           std::end(FeedLstBx)) {
        s.FeedMethod = static_cast<int32_t>(sender->Tag);
    }
    s.FeedFace = FaceUpRadBtn->Checked();
    UpdateControls();
}

void TEnvelopeForm::UpdateControls()
{
    const bool wasReady = FReady;
    FReady = false;
    const TEnvelopeSettings& s = EnvelopeSettings();
    const bool reprint = AddresseeRadBtn3->Checked();
    for (TControl* c : std::initializer_list<TControl*>{OptionsGrp, FeedPanel, DelivAddrMemo, SelectDelivAddrSpdBtn,
                                                        MailListEdt, ChooseMailListSpdBtn, MailListCountLbl,
                                                        RetAddrMemo, SelectRetAddrSpdBtn, OmitChkBx, PreviewSpdBtn,
                                                        PreviewPaintBx, AddToDocBtn})
        c->SetVisible(!reprint);
    SetClientSize(620, reprint ? 120 : 480);
    if (reprint) {
        PrintBtn->SetTop(10);
        CloseBtn->SetTop(42);
        FReady = wasReady;
        return;
    }
    PrintBtn->SetTop(300);
    CloseBtn->SetTop(440);
    MailListCountLbl->SetCaption(Format("%d adresse(s) sélectionnée(s)", {static_cast<int32_t>(Addresses.size())}));
    std::string names;
    for (const TEnvAddress& a : Addresses)
        names += (names.empty() ? "" : "; ") + a.Title;
    MailListEdt->SetText(names);

    // The size row, or the custom entry.
    const int32_t row = FindEnvelopeSize(s.Width, s.Height);
    const int32_t custom = LastEnvelopeSize - FirstEnvelopeSize + 1;
    if (row < 0 && !FCustomSize) {
        SizeCmbBx->Items().Add(GetPaperSizeName(PaperSizeCount - 1, true));
        FCustomSize = true;
    } else if (row >= 0 && FCustomSize) {
        SizeCmbBx->Items().Delete(custom);
        FCustomSize = false;
    }
    SizeCmbBx->SetItemIndex(row >= 0 ? row - FirstEnvelopeSize : custom);

    // The fields the user is not typing in.
    auto show = [&](TEdit* edit, const std::string& text) {
        if (!edit->Focused() || edit->Text().empty())
            edit->SetText(text);
    };
    show(WidthUpDnEdt, FormatTwipsIn(CurrentUnit(), s.Width));
    show(HeightUpDnEdt, FormatTwipsIn(CurrentUnit(), s.Height));
    show(DelivLeftEdt, Percent(s.DA_Left));
    show(DelivTopEdt, Percent(s.DA_Top));
    show(RetLeftEdt, Percent(s.RA_Left));
    show(RetTopEdt, Percent(s.RA_Top));
    DelivLeftLbl->SetCaption(PositionLabel(s.Width, s.DA_Left, true));
    DelivTopLbl->SetCaption(PositionLabel(s.Height, s.DA_Top, false));
    RetLeftLbl->SetCaption(PositionLabel(s.Width, s.RA_Left, true));
    RetTopLbl->SetCaption(PositionLabel(s.Height, s.RA_Top, false));
    PreviewPaintBx->Invalidate();
    for (TPaintBox* feed : FeedLstBx)
        feed->Invalidate();
    FReady = wasReady;
}

bool TEnvelopeForm::ValidateEnvelopeInput()
{
    if (AddresseeRadBtn1->Checked() && Trim(DelivAddrMemo->Text()).empty()) {
        ShowInformation("Veuillez spécifier un destinataire, s'il vous plaît.");
        DelivAddrMemo->SetFocus();
        return false;
    }
    if (AddresseeRadBtn2->Checked() && Addresses.empty()) {
        ShowInformation("Aucune adresse n'est sélectionnée. Veuillez sélectionner des adresses et recommencer.");
        ChooseMailListSpdBtn->SetFocus();
        return false;
    }
    if (!OmitChkBx->Checked() && Trim(RetAddrMemo->Text()).empty()) {
        ShowInformation("Veuillez spécifier un expéditeur, ou bien cocher la case \"Omettre\".");
        OmitChkBx->SetFocus();
        return false;
    }
    // The size and the four positions, each within its range.
    struct TField {
        TEdit* Edit;
        bool Length;
        int32_t Min, Max;
    } fields[] = {
        {WidthUpDnEdt, true, 1440, 31680}, {HeightUpDnEdt, true, 1440, 31680}, {DelivLeftEdt, false, 0, 8000},
        {DelivTopEdt, false, 4000, 8000},  {RetLeftEdt, false, 0, 8000},       {RetTopEdt, false, 0, 2000},
    };
    for (const TField& f : fields) {
        int32_t value = 0;
        const bool ok = f.Length ? ParseLength(f.Edit->Text(), value) : ParsePercent(f.Edit->Text(), value);
        if (ok && value >= f.Min && value <= f.Max)
            continue;
        const std::string low = f.Length ? FormatTwipsIn(CurrentUnit(), f.Min) : Percent(f.Min);
        const std::string high = f.Length ? FormatTwipsIn(CurrentUnit(), f.Max) : Percent(f.Max);
        ShowInformation(Format("Veuillez entrer une valeur comprise entre %s et %s.", {low, high}));
        f.Edit->SetFocus();
        return false;
    }
    return true;
}

std::vector<std::string> TEnvelopeForm::Recipients() const
{
    std::vector<std::string> recipients;
    if (AddresseeRadBtn1->Checked())
        recipients.push_back(DelivAddrMemo->Text());
    else if (AddresseeRadBtn2->Checked())
        for (const TEnvAddress& a : Addresses)
            recipients.push_back(a.Address);
    return recipients;
}

std::string TEnvelopeForm::SenderText() const
{
    return OmitChkBx->Checked() ? std::string() : RetAddrMemo->Text();
}

void TEnvelopeForm::BuildEnvelopes(TDocument& target)
{
    ::BuildEnvelopes(target, Recipients(), SenderText());
}

void TEnvelopeForm::PrintEnvelopes()
{
    TEnvelopePrintChoices choices;
    if (!EnvelopeHost().RunEnvelopePrintDialog(choices))
        return;
    EnvelopeSettings().PrinterName = choices.PrinterName;
    if (AddresseeRadBtn3->Checked() && FActive) {
        // The active document's pages from the selection's start to its end
        // (the current page without a selection).
        TDocument& d = *FActive;
        d.PaginateAll();
        const TTextSelection s = d.HasSelection() ? d.Selection() : TTextSelection{};
        const TTextPosition start = d.HasSelection() ? s.Start : TTextPosition{d.Caret.Paragraph, d.Caret.Offset};
        const TTextPosition end = d.HasSelection() ? s.End : start;
        PrintEnvelopePages(d, d.PageOfPosition(start), d.PageOfPosition(end), choices);
        return;
    }
    PrintEnvelopesFor(Recipients(), SenderText(), choices);
    if (AddresseeRadBtn1->Checked())
        EnvelopeHost().OfferToAddAddress(DelivAddrMemo->Text());
}

void TEnvelopeForm::OKBtnClick(TControl* sender)
{
    TEnvelopeSettings& s = EnvelopeSettings();
    s.RetAddr = StringReplace(RetAddrMemo->Text(), "\r\n", "||", true);
    s.LastAddr = StringReplace(DelivAddrMemo->Text(), "\r\n", "||", true);
    if ((sender == PrintBtn || sender == AddToDocBtn) && !AddresseeRadBtn3->Checked() && !ValidateEnvelopeInput())
        return;
    if (sender == PrintBtn) {
        PrintEnvelopes();
    } else if (sender == AddToDocBtn) {
        TDocument* target = FActive ? FActive : EnvelopeHost().NewDocument();
        if (target) {
            BuildEnvelopes(*target);
            if (AddresseeRadBtn1->Checked())
                EnvelopeHost().OfferToAddAddress(DelivAddrMemo->Text());
        }
    }
    SetModalResult(mrOk);
}

void TEnvelopeForm::AddrFntBtnClick(TControl* sender)
{
    if (!GetDocumentFiler())
        return;
    TEnvelopeSettings& s = EnvelopeSettings();
    auto load = [](const std::string& rtf) -> std::unique_ptr<TDocument> {
        auto d = std::make_unique<TDocument>(true);
        int32_t coding = 0, paragraphs = 0;
        if (rtf.empty() || !DocumentFiler().Load(*d, rtf, true, coding, paragraphs) ||
            d->Styles().IndexOfStandardId(EnvelopeAddressStandard) < 0 ||
            d->Styles().IndexOfStandardId(EnvelopeReturnStandard) < 0)
            return nullptr;
        return d;
    };
    std::unique_ptr<TDocument> fonts = load(s.AddrFont);
    if (!fonts) {
        s.AddrFont = DefaultEnvelopeFontTemplate();
        fonts = load(s.AddrFont);
    }
    if (!fonts)
        return;
    TStyle* style = fonts->Styles().Find(fonts->Styles().IndexOfStandardId(static_cast<int32_t>(sender->Tag)));
    TCharFormat format = style->CharFormat;
    if (!EnvelopeHost().ExecuteFontDialog(format))
        return;
    style->CharFormat = format;
    TTextRange all;
    fonts->GetBodyRange(all);
    TMemory rtf;
    if (!DocumentFiler().WriteRange(*fonts, all, 0, rtf))
        return;
    s.AddrFont = StringReplace(std::string(reinterpret_cast<const char*>(rtf.Data()), static_cast<size_t>(rtf.Size())),
                               "\r\n", "", true);
}

void TEnvelopeForm::PaintPreview()
{
    // A miniature of an envelope of the current size, the two addresses as stripes.
    TCanvas& canvas = PreviewPaintBx->Canvas();
    const TEnvelopeSettings& s = EnvelopeSettings();
    const int32_t boxW = PreviewPaintBx->Width(), boxH = PreviewPaintBx->Height();
    const double scale = std::min((boxW - 8) / double(s.Width), (boxH - 8) / double(s.Height));
    const int32_t w = static_cast<int32_t>(s.Width * scale), h = static_cast<int32_t>(s.Height * scale);
    const int32_t x = (boxW - w) / 2, y = (boxH - h) / 2;
    canvas.Brush().SetColor(clBtnFace);
    canvas.FillRect({0, 0, boxW, boxH});
    canvas.Pen().SetColor(clBlack);
    canvas.Brush().SetColor(0xFFFFFF);
    canvas.Rectangle(x, y, x + w, y + h);
    auto stripes = [&](int32_t left, int32_t top, int32_t lines, int32_t length) {
        for (int32_t i = 0; i < lines; ++i) {
            canvas.MoveTo(x + left, y + top + i * 3);
            canvas.LineTo(x + left + length - (i == lines - 1 ? length / 3 : 0), y + top + i * 3);
        }
    };
    if (!OmitChkBx->Checked())
        stripes(MulDiv(w, s.RA_Left, 10000), MulDiv(h, s.RA_Top, 10000), 3, w / 4);
    stripes(MulDiv(w, s.DA_Left, 10000), MulDiv(h, s.DA_Top, 10000), 4, w / 3);
}

void TEnvelopeForm::PaintFeed(int32_t tag)
{
    // The six ways in: the envelope at the left, in the middle or at the right
    // of the feeder, upright (0 to 2), or lying across it at its top, middle
    // or bottom (3 to 5); the flap drawn dashed when it is fed face down.
    TPaintBox* box = FeedLstBx[tag];
    TCanvas& canvas = box->Canvas();
    const TEnvelopeSettings& s = EnvelopeSettings();
    const int32_t bw = box->Width(), bh = box->Height();
    canvas.Brush().SetColor(clWindow);
    canvas.FillRect({0, 0, bw, bh});
    canvas.Pen().SetColor(0x808080);
    canvas.MoveTo(4, 4);
    canvas.LineTo(4, bh - 4);
    canvas.MoveTo(bw - 5, 4);
    canvas.LineTo(bw - 5, bh - 4);
    const bool upright = tag < 3;
    const int32_t ew = upright ? 14 : bw - 12, eh = upright ? bh - 14 : 14;
    int32_t ex = 6, ey = 7;
    if (upright)
        ex = tag == 0 ? 6 : tag == 1 ? (bw - ew) / 2 : bw - 6 - ew;
    else
        ey = tag == 3 ? 4 : tag == 4 ? (bh - eh) / 2 : bh - 4 - eh;
    canvas.Pen().SetColor(clBlack);
    canvas.Brush().SetColor(s.FeedFace ? 0xFFFFFF : 0xC0C0C0);
    canvas.Rectangle(ex, ey, ex + ew, ey + eh);
    // The arrow of the feed direction.
    canvas.MoveTo(bw / 2, bh - 2);
    canvas.LineTo(bw / 2, bh - 8);
    if (tag == s.FeedMethod) {
        canvas.Brush().SetColor(clNone);
        canvas.Pen().SetColor(0xC00000);
        canvas.Pen().SetWidth(2);
        canvas.MoveTo(1, 1);
        canvas.LineTo(bw - 2, 1);
        canvas.LineTo(bw - 2, bh - 2);
        canvas.LineTo(1, bh - 2);
        canvas.LineTo(1, 1);
        canvas.Pen().SetWidth(1);
    }
}

void ShowEnvelopeForm(TDocument* active)
{
    TEnvelopeForm form(nullptr, active);
    form.ShowModal();
}
