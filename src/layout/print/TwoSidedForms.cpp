// The two-sided printing wizard and the turn-over prompt.
#include "layout/print/TwoSidedForms.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "foundation/MessageDlg.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Tabs.h"
#include "platform/runtime/SysUtils.h"

// A text of several lines in labels of one column: words are moved to the
// next label when a line would be wider than the column (about 6 pixels a
// character of the dialog font); "\r" starts a new line.
class TWrappedText {
public:
    TWrappedText(TWinControl* parent, int32_t left, int32_t top, int32_t width, int32_t lines)
    {
        for (int32_t i = 0; i < lines; ++i) {
            auto* label = new TLabel(parent);
            label->SetAutoSize(false);
            label->ShowAccelChar = false;
            label->SetParent(parent);
            label->SetBounds(left, top + i * 15, width, 15);
            FLabels.push_back(label);
        }
        FChars = std::max(10, width / 6);
    }
    void SetText(const std::string& text)
    {
        std::vector<std::string> lines;
        std::string line, word;
        auto flushWord = [&] {
            if (word.empty())
                return;
            if (!line.empty() && static_cast<int32_t>(line.size() + 1 + word.size()) > FChars) {
                lines.push_back(line);
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
            word.clear();
        };
        for (char c : text) {
            if (c == ' ') {
                flushWord();
            } else if (c == '\r' || c == '\n') {
                flushWord();
                lines.push_back(line);
                line.clear();
            } else {
                word += c;
            }
        }
        flushWord();
        if (!line.empty())
            lines.push_back(line);
        for (size_t i = 0; i < FLabels.size(); ++i)
            FLabels[i]->SetCaption(i < lines.size() ? lines[i] : std::string());
    }
    std::string Text() const
    {
        std::string all;
        for (TLabel* l : FLabels)
            if (!l->Caption().empty())
                all += (all.empty() ? "" : " ") + l->Caption();
        return all;
    }
    TLabel* First() const { return FLabels.front(); }
    const std::vector<TLabel*>& Labels() const { return FLabels; }

private:
    std::vector<TLabel*> FLabels;
    int32_t FChars = 60;
};

namespace {

// A page of the form's page control, without a tab.
TTabSheet* MakePage(TPageControl* control, const char* name)
{
    auto* page = new TTabSheet(control);
    page->SetName(name);
    page->TabVisible = false;
    page->SetPageControl(control);
    return page;
}

TPageControl* MakePageControl(TForm* form, int32_t left, int32_t top, int32_t width, int32_t height)
{
    auto* control = new TPageControl(form);
    control->SetName("PageControl");
    control->SetParent(form);
    control->SetBounds(left, top, width, height);
    return control;
}

TRadioButton* MakeRadio(TTabSheet* page, const char* name, int32_t top, int32_t lines, const std::string& text,
                        std::vector<std::unique_ptr<TWrappedText>>& texts)
{
    auto* radio = new TRadioButton(page);
    radio->SetName(name);
    radio->SetParent(page);
    radio->SetBounds(8, top, 16, 16);
    auto wrapped = std::make_unique<TWrappedText>(page, 28, top, 380, lines);
    wrapped->SetText(text);
    // A click on the text chooses the button.
    for (TLabel* label : wrapped->Labels())
        label->OnClick = [radio](TControl*) { radio->SetChecked(true); };
    texts.push_back(std::move(wrapped));
    return radio;
}

}  // namespace

// --- The wizard -----------------------------------------------------------------------

TTwoSidePrnOptFrm::~TTwoSidePrnOptFrm() = default;
TTwoSidePrintFrm::~TTwoSidePrintFrm() = default;

TTwoSidePrnOptFrm::TTwoSidePrnOptFrm(TComponent* owner, const std::string& printerName,
                                     const TDuplexSettings& settings)
    : TForm(owner), Settings(settings)
{
    SetName("TwoSidePrnOptFrm");
    SetCaption("\"" + printerName + "\" : options d'impression recto verso");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(440, 320);
    auto& texts = FTexts;
    auto main = std::make_unique<TWrappedText>(this, 12, 10, 416, 4);
    MainLbl = main->First();
    texts.push_back(std::move(main));

    PageControl = MakePageControl(this, 8, 70, 424, 204);
    MainTabSheet = MakePage(PageControl, "MainTabSheet");
    NonDuplexRadBtn = MakeRadio(
        MainTabSheet, "NonDuplexRadBtn", 8, 4,
        "Ceci n'est pas une imprimante duplex, c'est-à-dire qu'elle n'est pas capable d'imprimer automatiquement "
        "sur les deux faces d'une feuille de papier.\rOu bien, ceci est une imprimante duplex, mais vous souhaitez "
        "n'imprimer que sur le recto des feuilles.",
        texts);
    DuplexRadBtn = MakeRadio(MainTabSheet, "DuplexRadBtn", 100, 3,
                             "Ceci est une imprimante duplex, c'est-à-dire qu'elle est capable d'imprimer "
                             "automatiquement le recto et le verso des feuilles (veuillez le vérifier dans le manuel "
                             "de l'imprimante).",
                             texts);
    NonDuplexTabSheet1 = MakePage(PageControl, "NonDuplexTabSheet1");
    PrintsToTopRadBtn = MakeRadio(NonDuplexTabSheet1, "PrintsToTopRadBtn", 8, 2,
                                  "L'impression se fait sur le recto des feuilles provenant du bac d'alimentation",
                                  texts);
    PrintsToBtmRadBtn = MakeRadio(NonDuplexTabSheet1, "PrintsToBtmRadBtn", 70, 2,
                                  "L'impression se fait sur le verso des feuilles provenant du bac d'alimentation",
                                  texts);
    TipBtn = new TButton(NonDuplexTabSheet1);
    TipBtn->SetName("TipBtn");
    TipBtn->SetCaption("&Aide...");
    TipBtn->SetParent(NonDuplexTabSheet1);
    TipBtn->SetBounds(8, 150, 80, 23);
    NonDuplexTabSheet2 = MakePage(PageControl, "NonDuplexTabSheet2");
    OutputTopPrintedRadBtn = MakeRadio(NonDuplexTabSheet2, "OutputTopPrintedRadBtn", 8, 2,
                                       "Les feuilles arrivent dans le bac de sortie face imprimée vers le HAUT", texts);
    OutputTopBlankRadBtn = MakeRadio(NonDuplexTabSheet2, "OutputTopBlankRadBtn", 70, 2,
                                     "Les feuilles arrivent dans le bac de sortie face imprimée vers le BAS", texts);
    DuplexTabSheet = MakePage(PageControl, "DuplexTabSheet");
    BookRadBtn = MakeRadio(DuplexTabSheet, "BookRadBtn", 8, 2,
                           "Livre : la reliure est sur le bord que donne l'orientation des pages", texts);
    TabletRadBtn = MakeRadio(DuplexTabSheet, "TabletRadBtn", 70, 2,
                             "Bloc : la reliure est sur le petit côté, les versos tournés comme ceux d'un calendrier",
                             texts);

    BackBtn = new TButton(this);
    BackBtn->SetName("BackBtn");
    BackBtn->SetCaption("< &Retour");
    BackBtn->SetParent(this);
    BackBtn->SetBounds(180, 284, 80, 25);
    NextBtn = new TButton(this);
    NextBtn->SetName("NextBtn");
    NextBtn->SetCaption("&Suite >");
    NextBtn->SetParent(this);
    NextBtn->SetBounds(264, 284, 80, 25);
    NextBtn->SetDefault(true);
    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetCaption("Annuler");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(352, 284, 80, 25);
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;

    auto set = [this](auto change) {
        return [this, change](TControl*) {
            if (FRefreshing)
                return;
            change();
            RefreshForm();
        };
    };
    NonDuplexRadBtn->OnClick = set([this] { Settings.Duplex = 0; });
    DuplexRadBtn->OnClick = set([this] { Settings.Duplex = 1; });
    PrintsToTopRadBtn->OnClick = set([this] { Settings.FeedMode |= 1; });
    PrintsToBtmRadBtn->OnClick = set([this] { Settings.FeedMode &= ~1; });
    OutputTopPrintedRadBtn->OnClick = set([this] { Settings.FeedMode |= 2; });
    OutputTopBlankRadBtn->OnClick = set([this] { Settings.FeedMode &= ~2; });
    BookRadBtn->OnClick = set([this] { Settings.Binding = 0; });
    TabletRadBtn->OnClick = set([this] { Settings.Binding = 1; });
    TipBtn->OnClick = [](TControl*) {
        ShowInformation(
            "Pour déterminer de quelle façon procède votre imprimante, vous pouvez faire le petit test d'impression "
            "suivant :||||1) placez une feuille de papier dans le bac d'alimentation de votre imprimante.||2) Tracez "
            "au crayon une croix ou toute autre marque sur la face supérieure de la feuille (recto).||3) créez un "
            "nouveau document dans Eldravin, et tapez quelques mots.||4) faites apparaître la fenêtre de dialogue "
            "Imprimer (Fichier | Imprimer...)||5) imprimez le document.||||Jetez un coup d'oeil sur la page qui vient "
            "d'être imprimée.||||a) le texte du document s'est-il imprimé sur le côté de la feuille où vous aviez "
            "fait une croix ou une marque au crayon ? Alors, l'impression se fait sur le recto des feuilles "
            "provenant du bac d'alimentation.||||b) le texte du document s'est-il imprimé sur le côté vierge de la "
            "feuille (pas de croix ni de marque au crayon) ? Alors, l'impression se fait sur le verso des feuilles "
            "provenant du bac d'alimentation.");
    };
    NextBtn->OnClick = [this](TControl*) {
        if (FPage == MainTabSheet)
            ShowPage(Settings.Duplex == 1 ? DuplexTabSheet : NonDuplexTabSheet1);
        else if (FPage == NonDuplexTabSheet1)
            ShowPage(NonDuplexTabSheet2);
        else
            SetModalResult(mrOk);
    };
    BackBtn->OnClick = [this](TControl*) {
        ShowPage(FPage == NonDuplexTabSheet2 ? NonDuplexTabSheet1 : MainTabSheet);
    };
    ShowPage(MainTabSheet);
}

void TTwoSidePrnOptFrm::ShowPage(TTabSheet* page)
{
    FPage = page;
    PageControl->SetActivePage(page);
    RefreshForm();
}

void TTwoSidePrnOptFrm::RefreshForm()
{
    FRefreshing = true;
    auto& texts = FTexts;
    texts.front()->SetText(
        FPage == DuplexTabSheet
            ? "Les imprimantes duplex impriment recto verso de deux manières différentes. Veuillez sélectionner "
              "l'option adéquate ci-dessous :"
            : "Afin d'imprimer les pages dans l'ordre souhaité, Eldravin a besoin des précisions suivantes "
              "concernant cette imprimante (veuillez sélectionner l'option adéquate ci-dessous) :");
    NonDuplexRadBtn->SetChecked(Settings.Duplex != 1);
    DuplexRadBtn->SetChecked(Settings.Duplex == 1);
    PrintsToTopRadBtn->SetChecked((Settings.FeedMode & 1) != 0);
    PrintsToBtmRadBtn->SetChecked((Settings.FeedMode & 1) == 0);
    OutputTopPrintedRadBtn->SetChecked((Settings.FeedMode & 2) != 0);
    OutputTopBlankRadBtn->SetChecked((Settings.FeedMode & 2) == 0);
    BookRadBtn->SetChecked(Settings.Binding == 0);
    TabletRadBtn->SetChecked(Settings.Binding == 1);
    BackBtn->SetEnabled(FPage != MainTabSheet);
    const bool last = FPage == NonDuplexTabSheet2 || FPage == DuplexTabSheet;
    NextBtn->SetCaption(last ? "OK" : "&Suite >");
    FRefreshing = false;
}

bool EditTwoSidePrinterOptions(TDuplexSettings& settings, const std::string& printerName)
{
    auto form = std::make_unique<TTwoSidePrnOptFrm>(nullptr, printerName, settings);
    const bool ok = form->ShowModal() == mrOk;
    if (ok)
        settings = form->Settings;
    return ok;
}

// --- The turn-over prompt ----------------------------------------------------------------

TTwoSidePrintFrm::TTwoSidePrintFrm(TComponent* owner, const std::string& printerName, int32_t sheets, int32_t step,
                                   const TDuplexSettings& settings)
    : TForm(owner)
{
    SetName("TwoSidePrintFrm");
    SetCaption(Format("Impression recto verso (%s)", {printerName}));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(420, 200);
    auto& texts = FTexts;
    PageControl = MakePageControl(this, 8, 8, 404, 144);
    Step1TabSheet = MakePage(PageControl, "Step1TabSheet");
    Step2TabSheet = MakePage(PageControl, "Step2TabSheet");
    auto step1 = std::make_unique<TWrappedText>(Step1TabSheet, 8, 8, 388, 3);
    step1->SetText(Format("Veuillez placer %d feuille(s) vierge(s) dans le bac d'alimentation de votre imprimante, "
                          "puis appuyez sur OK.",
                          {sheets}));
    Step1Lbl = step1->First();
    auto step2 = std::make_unique<TWrappedText>(Step2TabSheet, 8, 8, 388, 4);
    const std::string word = (settings.FeedMode & 1) ? "HAUT" : "BAS";
    step2->SetText(sheets != 1 ? Format("Quand le lot de %d page(s) aura été imprimé, veuillez le replacer dans le bac "
                                        "d'alimentation, côté non imprimé dirigé vers le %s. Puis, appuyez sur OK.",
                                        {sheets, word})
                               : Format("Quand l'impression du premier côté sera achevée, veuillez replacer la ou les "
                                        "feuilles de papier dans le bac d'alimentation, côté non imprimé dirigé vers "
                                        "le %s. Puis, appuyez sur OK.",
                                        {word}));
    Step2Lbl = step2->First();
    texts.push_back(std::move(step1));
    texts.push_back(std::move(step2));
    TipBtn = new TButton(Step2TabSheet);
    TipBtn->SetName("TipBtn");
    TipBtn->SetCaption("&Remarque importante...");
    TipBtn->SetParent(Step2TabSheet);
    TipBtn->SetBounds(8, 100, 150, 23);
    TipBtn->OnClick = [](TControl*) {
        ShowInformation(
            "Notez que selon la marque et le type de votre imprimante, ainsi que l'orientation (portrait ou paysage) "
            "du document en cours, il sera peut-être également nécessaire de faire pivoter le lot de feuilles de 180 "
            "degrés avant de le réinsérer dans le bac d'alimentation. Pour déterminer quelle est la méthode "
            "appropriée à votre imprimante, nous vous suggérons de faire de courts tests d'impression préalables "
            "avec des documents en orientation portrait et paysage.");
    };
    OkBtn = new TButton(this);
    OkBtn->SetName("OkBtn");
    OkBtn->SetCaption("OK");
    OkBtn->SetParent(this);
    OkBtn->SetBounds(244, 164, 80, 25);
    OkBtn->SetDefault(true);
    OkBtn->ModalResult = mrOk;
    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetCaption("Annuler");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(332, 164, 80, 25);
    CancelBtn->Cancel = true;
    CancelBtn->ModalResult = mrCancel;
    PageControl->SetActivePage(step == 0 ? Step1TabSheet : Step2TabSheet);
}

bool AskTurnOverStack(const std::string& printerName, int32_t sheets, int32_t step, const TDuplexSettings& settings)
{
    auto form = std::make_unique<TTwoSidePrintFrm>(nullptr, printerName, sheets, step, settings);
    return form->ShowModal() == mrOk;
}
