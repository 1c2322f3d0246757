#include "installer/MainDlgForm.h"

#include "installer/AttachedFiles.h"
#include "installer/InstallThread.h"
#include "installer/InstallUtils.h"
#include "foundation/Paths.h"
#include "platform/runtime/Exception.h"
#include "platform/runtime/FileNames.h"
#include "platform/runtime/FileStream.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/Processes.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/framework/Canvas.h"
#include "platform/win/Registry.h"

#include <algorithm>

const char* const ProductKey = "Software\\Corvel Softworks, Inc.\\Eldravin.1_x";
const char* const InstallKey = "Software\\Corvel Softworks, Inc.\\Eldravin.1_x\\Install";
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Eldravin Brightfold";

namespace {

const char* const PageTitles[10] = {
    "Merci de faire confiance à Eldravin",
    "Accord de licence",
    "Installation dans le menu \"démarrer\"",
    "Choix du dossier d'installation",
    "Choix des composants",
    "Lancement de l'installation",
    "Installation",
    "Types de fichiers associés",
    "Création des raccourcis",
    "Fin de l'installation",
};

// The spelling systems of this program's tree: French, and American and
// British English (descriptions in "Orthographe", lexicons in "Orthographe\Lex").
const TSetupComponent SetupComponentTable[SetupComponentCount] = {
    {'A', "Traitement de texte Eldravin", "eldravin\rLicence.txt\rFile_id.diz\rLisez-moi.txt\rDistribution.txt"},
    {'B', "Aide d'Eldravin", "Eldravin.chm"},
    {'C', "Vérificateur d'orthographe française", "Francais.esc\rfr_FR.hlx"},
    {'D', "Vérificateurs d'orthographe anglaise", "Anglais US.esc\rAnglais GB.esc\ren_US.hlx\ren_GB.hlx"},
    {'E', "Module de coupe de mots", "Coupe de mots.dat"},
    {'F', "Modèles de document", "Modèles de document\\"},
    {'G', "Lettres types et exemples de document", "Exemples\\"},
    {'H', "Collections d'inserts", "Collections d'inserts\\"},
    {'I', "Module sonore standard", "Standard.esn\rEldravin.esd"},
};

const char* const RunningMessage =
    "Un exemplaire d'Eldravin Brightfold est en cours d'exécution sur votre système.\rVeuillez fermer tous les "
    "exemplaires d'Eldravin Brightfold actuellement ouverts\ravant de cliquer sur le bouton \"OK\" ci-dessous.";

const char* const CloseQueryMessage =
    "L'installation n'est pas terminée!\r\rSi vous interrompez le programme d'installation\rmaintenant, "
    "Eldravin ne sera pas correctement installé.\r\rVous pourrez relancer ce programme plus tard\rafin de "
    "terminer l'installation d'Eldravin.\r\rPour pousuivre l'installation maintenant,\rcliquez sur \"Non\"."
    "\r\rPour interrompre l'installation,\rcliquez sur \"Abandonner\".";

std::string ReadRegString(HKEY root, const std::string& key, const std::string& name, bool& found)
{
    TRegistry reg;
    reg.SetRootKey(root);
    found = false;
    if (!reg.OpenKeyReadOnly(key) || !reg.ValueExists(name))
        return {};
    found = true;
    return reg.ReadString(name);
}

std::string RegStringOr(const std::string& name, const std::string& fallback)
{
    bool found = false;
    const std::string value = ReadRegString(HKEY_CURRENT_USER, InstallKey, name, found);
    return found ? value : fallback;
}

bool ValidFolderName(const std::string& name)
{
    for (unsigned char c : name)
        if (c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    return name != "." && name != "..";
}

std::string DoubleAmpersands(const std::string& s)
{
    return StringReplace(s, "&", "&&", rfReplaceAll);
}

// A label of several lines (separated by line feeds), each drawn under the
// one before; "&" marks the accelerator as in any label.
class TTextLabel : public TLabel {
public:
    using TLabel::TLabel;

protected:
    void Paint() override
    {
        TCanvas& c = Canvas();
        if (!Transparent) {
            c.Brush().SetColor(Color());
            c.FillRect({0, 0, Width(), Height()});
        }
        c.Font().Assign(Font());
        c.Brush().SetStyle(TBrushStyle::bsClear);
        if (!Enabled())
            c.Font().SetColor(clGrayText);
        std::string text;
        const std::string& caption = Caption();
        for (size_t i = 0; i < caption.size(); ++i) {
            if (ShowAccelChar && caption[i] == '&' && i + 1 < caption.size())
                ++i;  // "&&" shows one "&", "&x" shows "x"
            text += caption[i];
        }
        int32_t y = 0;
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            const std::string line = text.substr(start, end - start);
            c.TextRect({0, 0, Width(), Height()}, 0, y, line);
            y += c.TextHeight("Ag");
            start = end + 1;
        }
        c.Brush().SetStyle(TBrushStyle::bsSolid);
    }
};

} // namespace

const TSetupComponent& SetupComponent(int index)
{
    return SetupComponentTable[index];
}

void TComponentListBox::DrawItem(int32_t index, const TRect& rect, TOwnerDrawState state)
{
    TCheckListBox::DrawItem(index, rect, state);
    if (index < 0 || index >= SetupComponentCount || SpaceText[index].empty())
        return;
    TCanvas& c = Canvas();
    const int32_t width = c.TextWidth(SpaceText[index]);
    const int32_t top = rect.Top + (rect.Height() - c.TextHeight(SpaceText[index])) / 2;
    c.Brush().SetStyle(TBrushStyle::bsClear);
    c.TextOut(rect.Right - width - 4, top, SpaceText[index]);
}

TMainDlgForm::TMainDlgForm(TComponent* owner, TAttachedFiles& files) : TForm(owner), FFiles(files)
{
    SetName("MainDlgForm");
    SetCaption(SetupTitle);
    SetBorderStyle(TFormBorderStyle::bsSingle);
    Position = TPosition::poScreenCenter;
    SetClientSize(492, 351);

    TitlePnl = new TPanel(this);
    TitlePnl->SetParent(this);
    TitlePnl->SetBounds(0, 0, 492, 56);
    TitlePnl->SetColor(clWhite);
    TitlePnl->BevelOuter = TBevelCut::bvNone;
    TitlePnl->ShowCaption = false;
    TitleLbl = new TLabel(this);
    TitleLbl->SetParent(TitlePnl);
    TitleLbl->SetBounds(16, 18, 420, 20);
    TitleLbl->Font().SetName("Arial");
    TitleLbl->Font().SetSize(12);
    TitleLbl->Font().SetStyle(fsBold);
    TitleLbl->Font().SetColor(clNavy);
    TitleLbl->ShowAccelChar = false;
    TitleLbl->Transparent = true;
    TBevel* topLine = new TBevel(this);
    topLine->SetParent(this);
    topLine->Shape = TBevelShape::bsTopLine;
    topLine->SetBounds(0, 56, 492, 2);
    // The logo band at the left: the program's colours.
    LogoPnl = new TPanel(this);
    LogoPnl->SetParent(this);
    LogoPnl->SetBounds(0, 58, 126, 248);
    LogoPnl->SetColor(static_cast<TColor>(0xD00000));
    LogoPnl->BevelOuter = TBevelCut::bvNone;
    LogoPnl->ShowCaption = false;

    Pages = new TPageControl(this);
    Pages->SetParent(this);
    Pages->SetBounds(132, 60, 356, 244);
    for (int i = 0; i < 10; ++i)
        Sheets[i] = MakeSheet(i);
    TBevel* bottomLine = new TBevel(this);
    bottomLine->SetParent(this);
    bottomLine->Shape = TBevelShape::bsTopLine;
    bottomLine->SetBounds(0, 306, 492, 2);

    BackBtn = new TButton(this);
    BackBtn->SetName("BackBtn");
    BackBtn->SetParent(this);
    BackBtn->SetBounds(232, 318, 80, 24);
    BackBtn->SetCaption("< &Retour");
    NextBtn = new TButton(this);
    NextBtn->SetName("NextBtn");
    NextBtn->SetParent(this);
    NextBtn->SetBounds(312, 318, 80, 24);
    NextBtn->SetCaption("&Suite >");
    NextBtn->SetDefault(true);
    CancelBtn = new TButton(this);
    CancelBtn->SetName("CancelBtn");
    CancelBtn->SetParent(this);
    CancelBtn->SetBounds(402, 318, 80, 24);
    CancelBtn->SetCaption("Annuler");
    CancelBtn->Cancel = true;
    Pages->SetTabOrder(0);
    BackBtn->SetTabOrder(1);
    NextBtn->SetTabOrder(2);
    CancelBtn->SetTabOrder(3);
    BackBtn->OnClick = [this](TControl*) { GoToPage(FPage, FPage - 1); };
    NextBtn->OnClick = [this](TControl*) { GoToPage(FPage, FPage + 1); };
    CancelBtn->OnClick = [this](TControl*) { Close(); };
    OnCloseQuery = [this](TForm*, bool& canClose) { FormCloseQuery(canClose); };
    OnActivate = [this](TControl*) {
        if (FPage == 4)
            UpdateDiskSpace();
    };

    // Page 0: welcome.
    TLabel* welcome = MakeLabel(Sheets[0],
                                "Bienvenue dans le programme d'installation\rd'Eldravin Brightfold 1.5 "
                                "(version 1.5.3.1).\r\rCe programme va installer le traitement de texte\r"
                                "Eldravin sur votre ordinateur.\r\rCliquez sur \"Suite\" pour continuer.",
                                8, 8, 328, 120);
    welcome->ShowAccelChar = false;
    TLabel* legal = MakeLabel(Sheets[0],
                              "Avertissement : ce programme est protégé par la loi relative au droit\r"
                              "d'auteur et par les conventions internationales. Toute reproduction ou\r"
                              "distribution partielle ou totale de ce programme, par quelque moyen que\r"
                              "ce soit, est strictement interdite sans l'accord préalable de son auteur.",
                              8, 150, 328, 70);
    legal->Font().SetName("Arial");
    legal->Font().SetSize(7);
    legal->ShowAccelChar = false;

    // Page 1: licence.
    MakeLabel(Sheets[1], "Veuillez lire l'Accord de licence ci-dessous :", 8, 4, 328, 16);
    LicenceMemo = new TMemo(this);
    LicenceMemo->SetName("LicenceMemo");
    LicenceMemo->SetParent(Sheets[1]);
    LicenceMemo->SetBounds(8, 22, 328, 138);
    LicenceMemo->ReadOnly = true;
    LicenceMemo->WantReturns = false;
    LicenceMemo->SetColor(clWindow);
    AcceptRdBtn = new TRadioButton(this);
    AcceptRdBtn->SetParent(Sheets[1]);
    AcceptRdBtn->SetBounds(8, 166, 330, 22);
    AcceptRdBtn->SetCaption("J'&accepte l'Accord de licence ci-dessus dans son intégralité.");
    RefuseRdBtn = new TRadioButton(this);
    RefuseRdBtn->SetParent(Sheets[1]);
    RefuseRdBtn->SetBounds(8, 188, 330, 22);
    RefuseRdBtn->SetCaption("Je &n'accepte pas les termes de l'Accord de licence ci-dessus.");
    AcceptRdBtn->SetChecked(true);

    // Page 2: the menu folder.
    ProgGrpChkBx = MakeCheckBox(Sheets[2], "&Ajouter Eldravin au menu \"démarrer\"", 8, 8, 320);
    ProgGrpLbl = MakeLabel(Sheets[2], "&Nom du dossier du menu :", 8, 36, 320, 16);
    ProgGrpEdt = new TEdit(this);
    ProgGrpEdt->SetName("ProgGrpEdt");
    ProgGrpEdt->SetParent(Sheets[2]);
    ProgGrpEdt->SetBounds(8, 54, 328, 21);
    ProgGrpEdt->MaxLength = 128;
    ProgGrpLbl->SetFocusControl(ProgGrpEdt);
    ProgGrpLstBx = new TListBox(this);
    ProgGrpLstBx->SetName("ProgGrpLstBx");
    ProgGrpLstBx->SetParent(Sheets[2]);
    ProgGrpLstBx->SetBounds(8, 80, 328, 130);
    ProgGrpChkBx->OnClick = [this](TControl*) { ProgGrpChkBxClick(); };
    ProgGrpEdt->OnChange = [this](TControl*) { ProgGrpEdtChange(); };
    ProgGrpLstBx->OnClick = [this](TControl*) { ProgGrpLstBxClick(); };

    // Page 3: the installation folder. The desktop has one tree of folders,
    // so the folder list stands alone, without a drive box.
    TLabel* dirLbl = MakeLabel(Sheets[3],
                               "Veuillez indiquer dans quel &dossier vous voulez installer\rEldravin Brightfold :",
                               8, 4, 328, 30);
    DestDirEdt = new TEdit(this);
    DestDirEdt->SetName("DestDirEdt");
    DestDirEdt->SetParent(Sheets[3]);
    DestDirEdt->SetBounds(8, 38, 328, 21);
    dirLbl->SetFocusControl(DestDirEdt);
    DestDirLstBx = new TListBox(this);
    DestDirLstBx->SetName("DestDirLstBx");
    DestDirLstBx->SetParent(Sheets[3]);
    DestDirLstBx->SetBounds(8, 66, 328, 146);
    DestDirLstBx->OnClick = [this](TControl*) { DestDirLstBxChange(); };

    // Page 4: components.
    TLabel* compLbl = MakeLabel(Sheets[4],
                                "Désactivez les cases des &composants que vous ne voulez pas\r"
                                "installer ou mettre à jour (l'espace disque requis est affiché\r"
                                "sur la droite) :",
                                8, 4, 328, 42);
    SelCompLstBx = new TComponentListBox(this);
    SelCompLstBx->SetName("SelCompLstBx");
    SelCompLstBx->SetParent(Sheets[4]);
    SelCompLstBx->SetBounds(8, 48, 328, 116);
    compLbl->SetFocusControl(SelCompLstBx);
    SelCompLstBx->OnClickCheck = [this](TControl*) { SelCompLstBxClickCheck(); };
    MakeLabel(Sheets[4], "Espace disque requis :", 8, 170, 160, 16);
    MakeLabel(Sheets[4], "Espace disque libre :", 8, 188, 160, 16);
    RequiredLbl = MakeLabel(Sheets[4], "", 170, 170, 120, 16);
    FreeLbl = MakeLabel(Sheets[4], "", 170, 188, 120, 16);

    // Page 5: ready.
    MakeLabel(Sheets[5],
              "Eldravin Brightfold est maintenant prêt à être installé.\r\rCliquez sur \"Suite\" pour commencer "
              "l'installation.\rCliquez sur \"Retour\" pour revoir ou modifier les options\rde l'installation.",
              8, 8, 328, 100)
        ->ShowAccelChar = false;

    // Page 6: installation.
    MakeLabel(Sheets[6], "Installation :", 8, 96, 80, 16);
    ComponentLbl = MakeLabel(Sheets[6], "", 90, 96, 246, 16);
    ComponentLbl->Font().SetStyle(fsBold);
    ProgressBar = new TProgressBar(this);
    ProgressBar->SetParent(Sheets[6]);
    ProgressBar->SetBounds(8, 118, 328, 18);

    // Page 7: file types.
    const char* assoc[3] = {"Documents R&TF", "Documents COD &cryptés", "Documents MS &Word DOC"};
    for (int i = 0; i < 3; ++i)
        AssocChkBx[i] = MakeCheckBox(Sheets[7], assoc[i], 8, 8 + 26 * i, 320);

    // Page 8: shortcuts.
    MakeLabel(Sheets[8], "Veuillez préciser les raccourcis que vous voulez créer\rpour Eldravin :", 8, 4, 328, 30);
    const char* links[3] = {"Créer un raccourci sur le &Bureau de Windows",
                            "Créer un raccourci dans le menu \"&Tous les programmes\"",
                            "Créer un raccourci dans le menu \"démarrer\""};
    for (int i = 0; i < 3; ++i)
        ShortcutChkBx[i] = MakeCheckBox(Sheets[8], links[i], 8, 40 + 26 * i, 328);

    // Page 9: end.
    MakeLabel(Sheets[9],
              "Eldravin Brightfold 1.5 (version 1.5.3.1) a été installé avec succès\rsur votre ordinateur."
              "\r\rCliquez sur \"Terminer\" pour quitter le programme d'installation.",
              8, 8, 328, 80)
        ->ShowAccelChar = false;
    LaunchChkBx = MakeCheckBox(Sheets[9], "&Lancer Eldravin Brightfold tout de suite", 8, 110, 328);

    // Creation steps: the saved answers, the component list, the menu folders.
    ReadSettings();
    for (int i = 0; i < SetupComponentCount; ++i) {
        SelCompLstBx->Items().Add(SetupComponentTable[i].Name);
        SelCompLstBx->SetChecked(i, FComponents.find(SetupComponentTable[i].Letter) != std::string::npos);
    }
    SelCompLstBx->SetItemIndex(1);
    SelCompLstBx->SetChecked(0, true);
    SelCompLstBx->SetItemEnabled(0, false);

    TStringList folders;
    ListSubfolders(UserProgramsFolder(), folders, false);
    folders.Sort();
    for (int32_t i = folders.Count() - 1; i > 0; --i)
        if (AnsiSameText(folders.Strings(i), folders.Strings(i - 1)))
            folders.Delete(i);
    ProgGrpLstBx->Items().Assign(folders);
    ProgGrpEdt->SetText(FGroup);
    ProgGrpLstBx->SetItemIndex(ProgGrpLstBx->Items().IndexOf(FGroup));
    ProgGrpChkBx->SetChecked(FCreateGroup);
    ProgGrpChkBxClick();
    DestDirEdt->SetText(FMainDir);
    FDirListFolder = ExtractFilePath(ExcludeTrailingPathDelimiter(FMainDir));
    FillDirectoryList();

    FTimer = new TTimer(this);
    FTimer->SetInterval(100);
    FTimer->SetOnTimer([this](TTimer*) { WMTimer(); });
    GoToPage(255, 0);
}

TMainDlgForm::~TMainDlgForm()
{
    if (FThread) {
        // The thread ends at its next check point, or as its question goes unanswered.
        if (!FThread->Finished() && InstallStatus().State() != ursFailed)
            InstallStatus().SetState(ursStop);
        FThread.reset();
    }
}

TTabSheet* TMainDlgForm::MakeSheet(int page)
{
    TTabSheet* sheet = new TTabSheet(this);
    sheet->SetPageControl(Pages);
    sheet->TabVisible = false;
    sheet->Tag = page;
    return sheet;
}

TLabel* TMainDlgForm::MakeLabel(TWinControl* parent, const std::string& caption, int32_t left, int32_t top,
                                int32_t width, int32_t height)
{
    TLabel* label = new TTextLabel(this);
    label->SetAutoSize(false);
    label->SetParent(parent);
    label->SetBounds(left, top, width, height);
    label->SetCaption(StringReplace(caption, "\r", "\n", rfReplaceAll));
    return label;
}

TCheckBox* TMainDlgForm::MakeCheckBox(TWinControl* parent, const std::string& caption, int32_t left, int32_t top,
                                      int32_t width)
{
    TCheckBox* box = new TCheckBox(this);
    box->SetParent(parent);
    box->SetBounds(left, top, width, 20);
    box->SetCaption(caption);
    box->TabStop = true;
    return box;
}

void TMainDlgForm::ReadSettings()
{
    FCreateGroup = RegStringOr("CREATE_PRG_GRP", "A") == "A";
    FGroup = RegStringOr("GROUP", "Eldravin");
    bool found = false;
    std::string programFiles = ReadRegString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion",
                                             "ProgramFilesDir", found);
    if (!found || programFiles.empty())
        programFiles = UserProgramFilesFolder();
    FMainDir = RegStringOr("MAINDIR", AppendPathName(programFiles, "Eldravin"));
    FComponents = RegStringOr("COMPONENTS_FR (1.5.3)", "ABCDEFGHI");
    FExtensions = RegStringOr("EXTENSIONS", "AB");
    FShortcuts = RegStringOr("SHORTCUTS", "AB");
    FLaunch = RegStringOr("LAUNCH", "A") == "A";
    FClipLibFolder = ReadRegString(HKEY_CURRENT_USER, std::string(ProductKey) + "\\ClipLib", "Folder", found);
}

int32_t TMainDlgForm::ShowMessageBox(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons)
{
    TForm* backdrop = Application ? Application->MainForm() : nullptr;
    const bool wasEnabled = backdrop && backdrop != this && backdrop->Enabled();
    if (wasEnabled)
        backdrop->SetEnabled(false);
    const int32_t result = ShowSetupQuestion(message, type, buttons, false);
    if (wasEnabled)
        backdrop->SetEnabled(true);
    return result;
}

std::string TMainDlgForm::InstallPath(const std::string& name) const
{
    return AppendPathName(FMainDir, name);
}

std::string TMainDlgForm::ProgramPath() const
{
    return InstallPath(ProgramExeName);
}

void TMainDlgForm::GoToPage(int from, int to)
{
    if (FInGoToPage)
        return;
    FInGoToPage = true;
    struct TGuard {
        bool& Flag;
        ~TGuard() { Flag = false; }
    } guard{FInGoToPage};

    if (to == 1 && from == 0 && LicenceMemo->Text().empty()) {
        if (!EnterPage1())
            return;
    }
    if (to == 2 && from == 1 && RefuseRdBtn->Checked()) {
        if (ShowMessageBox("Pour pouvoir installer ce programme, vous devez accepter\rtous les termes de l'Accord "
                           "de licence d'Eldravin Brightfold.\rVoulez-vous vraiment annuler l'installation "
                           "d'Eldravin ?",
                           mtConfirmation, mbYesNo) == mrYes) {
            FCloseAllowed = true;
            SetModalResult(mrCancel);
        }
        return;
    }
    if (to == 3 && from == 2 && ProgGrpChkBx->Checked() && !LeavePage2())
        return;
    if (to == 4 && from == 3) {
        FMainDir = ExcludeTrailingPathDelimiter(Trim(DestDirEdt->Text()));
        for (int i = 0; i < SetupComponentCount; ++i) {
            FComponentSpace[i] = FFiles.GetRequiredSpace(SetupComponentTable[i].Files, FMainDir);
            SelCompLstBx->SpaceText[i] = FormatDiskSize(FComponentSpace[i]);
        }
        SelCompLstBx->Invalidate();
    }
    if (to == 6) {
        if (IsProgramRunning()) {
            ShowMessageBox(RunningMessage, mtWarning, mbOK);
            return;
        }
        StartInstallation();
    }
    if (to == 7) {
        ProgressBar->SetPosition(ProgressBar->Max);
        for (int i = 0; i < 3; ++i)
            AssocChkBx[i]->SetChecked(FExtensions.find(static_cast<char>('A' + i)) != std::string::npos);
    }
    if (to == 8 && from == 7) {
        RegisterAndLink();
        for (int i = 0; i < 3; ++i)
            ShortcutChkBx[i]->SetChecked(FShortcuts.find(static_cast<char>('A' + i)) != std::string::npos);
        // The desktop has one applications menu: the third place does not exist.
        ShortcutChkBx[2]->SetVisible(false);
    }
    if (to == 9 && from == 8) {
        CreateFinalShortcuts();
        LaunchChkBx->SetChecked(FLaunch);
    }
    if (to == 10) {
        FLaunch = LaunchChkBx->Checked();
        if (FLaunch)
            StartProcess(ProgramPath(), {}, FMainDir);
        FCloseAllowed = true;
        SetModalResult(mrOk);
        return;
    }
    if (to < 0 || to > 9)
        return;
    FPage = to;
    Pages->SetActivePageIndex(to);
    AfterPageChange();
    if (to == 4)
        UpdateDiskSpace();
}

bool TMainDlgForm::EnterPage1()
{
    if (IsProgramRunning()) {
        ShowMessageBox(RunningMessage, mtWarning, mbOK);
        return false;
    }
    NextBtn->SetEnabled(false);
    CancelBtn->SetEnabled(false);
    const TCursor cursor = Screen ? Screen->Cursor() : crDefault;
    if (Screen)
        Screen->SetCursor(crHourGlass);
    std::string text;
    bool ok = false;
    try {
        const std::string temp = MakeTempFileName();
        if (FFiles.ExtractFile(nullptr, "Licence.txt", temp, false) && FileExists(temp)) {
            TFileStream stream(temp, fmOpenRead | fmShareDenyWrite);
            text.resize(static_cast<size_t>(stream.Size()));
            stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
            ok = true;
        }
        DeleteFile(temp);
    } catch (const Exception&) {
        ok = false;
    }
    if (Screen)
        Screen->SetCursor(cursor);
    NextBtn->SetEnabled(true);
    CancelBtn->SetEnabled(true);
    if (!ok) {
        FCloseAllowed = true;
        SetModalResult(mrCancel);
        return false;
    }
    // The memo keeps its lines separated by CR LF.
    text = StringReplace(text, "\r\n", "\n", rfReplaceAll);
    LicenceMemo->SetText(StringReplace(text, "\n", "\r\n", rfReplaceAll));
    return true;
}

bool TMainDlgForm::LeavePage2()
{
    const std::string name = Trim(ProgGrpEdt->Text());
    const char* problem = nullptr;
    if (name.empty())
        problem = "Veuillez spécifier un nom de dossier,\rou bien désactivez la case \"Installation dans le menu "
                  "'démarrer'\".";
    else if (!ValidFolderName(name))
        problem = "Le nom choisi pour le dossier\rcontient des caractères non autorisés.\rVeuillez choisir un "
                  "autre nom pour le dossier.";
    if (problem) {
        ShowMessageBox(problem, mtWarning, mbOK);
        ProgGrpEdt->SetFocus();
        return false;
    }
    FGroup = name;
    return true;
}

void TMainDlgForm::AfterPageChange()
{
    BackBtn->SetVisible(FPage != 0);
    BackBtn->SetEnabled(FPage < 6);
    BackBtn->SetCaption("< &Retour");
    NextBtn->SetEnabled(FPage != 6);
    NextBtn->SetCaption(FPage == 9 ? "&Terminer" : "&Suite >");
    CancelBtn->SetEnabled(FPage != 9);
    TitleLbl->SetCaption(PageTitles[FPage]);
    TWinControl* first = Sheets[FPage]->FindNextControl(nullptr, true, true);
    if (first && first->CanFocus())
        first->SetFocus();
    else if (NextBtn->Enabled())
        NextBtn->SetFocus();
}

void TMainDlgForm::StartInstallation()
{
    StartInstallLog(InstallPath("Install.log"));
    FChosen = 0;
    FComponents.clear();
    for (int i = 0; i < SetupComponentCount; ++i)
        if (SelCompLstBx->Checked(i)) {
            FChosen |= 1u << i;
            FComponents += SetupComponentTable[i].Letter;
        }
    BuildInstallLists();
    const int64_t total = FFiles.GetTotalInstallSize();
    ProgressBar->Min = 0;
    ProgressBar->Max = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
    ProgressBar->SetPosition(0);
    ComponentLbl->SetCaption("");
    InstallStatus().Reset();
    InstallStatus().SetState(ursRunning);
    FInstallStarted = true;
    FThread = std::make_unique<TInstallThread>(FFiles);
    FThread->Start();
}

void TMainDlgForm::BuildInstallLists()
{
    const std::string dir = FMainDir;
    auto chosen = [this](int i) { return (FChosen & (1u << i)) != 0; };
    auto del = [&](const std::string& name) { DeleteFile(AppendPathName(dir, name)); };
    for (int g = 0; g < InstallGroupCount; ++g)
        FFiles.ClearInstallList(g);

    for (const char* name : {ProgramExeName, "Licence.txt", "File_id.diz", "Lisez-moi.txt", "Distribution.txt"})
        FFiles.AddToInstallList(name, dir, orIfDifferent, 0);
    if (chosen(1))
        FFiles.AddToInstallList("Eldravin.chm", dir, orIfDifferent, 1);

    const std::string spelling = AppendPathName(dir, "Orthographe");
    const std::string lexicons = AppendPathName(spelling, "Lex");
    if (chosen(2) || chosen(3)) {
        const std::string old = AppendPathName(dir, "Spellcheck");
        if (DirectoryExists(old) && !DirectoryExists(spelling) && RenameFile(old, spelling)) {
            TRegistry reg;
            if (reg.OpenKey(std::string(ProductKey) + "\\SpellCheck", false) && reg.ValueExists("Systems")) {
                const std::string systems = reg.ReadString("Systems");
                reg.WriteString("Systems", StringReplace(systems, old, spelling, rfReplaceAll | rfIgnoreCase));
            }
        }
    }
    if (chosen(2)) {
        FFiles.AddToInstallList("Francais.esc", spelling, orNever, 2);
        FFiles.AddToInstallList("fr_FR.hlx", lexicons, orIfDifferent, 2);
    }
    if (chosen(3)) {
        FFiles.AddToInstallList("Anglais US.esc", spelling, orNever, 3);
        FFiles.AddToInstallList("Anglais GB.esc", spelling, orNever, 3);
        FFiles.AddToInstallList("en_US.hlx", lexicons, orIfDifferent, 3);
        FFiles.AddToInstallList("en_GB.hlx", lexicons, orIfDifferent, 3);
    }
    if (chosen(4))
        FFiles.AddToInstallList("Coupe de mots.dat", dir, orIfDifferent, 4);

    if (chosen(5)) {
        const std::string templates = AppendPathName(dir, "Modèles de document");
        const std::string old = AppendPathName(dir, "Templates");
        if (DirectoryExists(old) && !DirectoryExists(templates))
            RenameFile(old, templates);
        SuspendInstallLog();
        FFiles.AddToInstallList("Modèles de document\\", dir, orNever, 5);
        ResumeInstallLog();
        // Templates that an earlier version left at the top go into their subfolders.
        struct TMove {
            const char* Sub;
            std::vector<std::string> Names;
        };
        auto numbered = [](const std::string& stem, int count) {
            std::vector<std::string> names;
            for (int i = 1; i <= count; ++i)
                names.push_back(stem + " " + std::to_string(i) + ".rtf");
            return names;
        };
        std::vector<TMove> moves = {
            {"Eldravin", {"Bulletin de commande pour le logiciel Eldravin.rtf",
                          "Demande de support technique concernant Eldravin.rtf"}},
            {"Divers", {"Conte.rtf", "Voeux de Noël.rtf"}},
            {"Lettres commerciales", numbered("Lettre commerciale", 3)},
            {"Lettres officielles", numbered("Lettre officielle", 3)},
            {"Lettres personnelles", numbered("Lettre personnelle", 5)},
            {"Mémos", numbered("Mémo", 3)},
            {"Tables des matières", numbered("Table des matières", 7)},
            {"Télécopies", numbered("Fax", 3)},
        };
        moves[3].Names.push_back("CV.rtf");
        moves[3].Names.push_back("Lettre recommandée avec AR.rtf");
        for (const TMove& move : moves)
            for (const std::string& name : move.Names) {
                const std::string from = AppendPathName(templates, name);
                if (!FileExists(from))
                    continue;
                const std::string sub = AppendPathName(templates, move.Sub);
                ForceDirectories(sub);
                if (CopyFile(from, AppendPathName(sub, name), false))
                    DeleteFile(from);
            }
    }
    if (chosen(6))
        FFiles.AddToInstallList("Exemples\\", dir, orIfDifferent, 6);
    if (chosen(7)) {
        const std::string clipLib =
            FClipLibFolder.empty() ? AppendPathName(dir, "Collections d'inserts") : FClipLibFolder;
        SuspendInstallLog();
        FFiles.StripFirstFolder = true;
        FFiles.AddToInstallList("Collections d'inserts\\", clipLib, orNever, 7);
        FFiles.StripFirstFolder = false;
        ResumeInstallLog();
        for (const char* name : {"Images/Réveils/Réveil 8.ico", "Images/Coeurs/Coeur.tga",
                                 "Images/Symboles/Terrassier 3.gif", "Images/Symboles/Terrassier 4.gif",
                                 "Images/Sourires/Émoticône.pcx"})
            del(name);
        const std::string oldImages = AppendPathName(dir, "Images");
        if (DirectoryExists(oldImages) && !SameFileName(oldImages, AppendPathName(clipLib, "Images"))) {
            ForceFolders(AppendPathName(clipLib, "Images"));
            CopyFolderWithLog(oldImages, AppendPathName(clipLib, "Images"));
            DeleteFolderTree(oldImages);
        }
    }
    if (chosen(8)) {
        FFiles.AddToInstallList("Standard.esn", dir, orIfDifferent, 8);
        SuspendInstallLog();
        FFiles.AddToInstallList("Eldravin.esd", dir, orNever, 8);
        ResumeInstallLog();
    }
    del("Unwise.exe");
    del("Unwise.ini");
}

void TMainDlgForm::UpdateDiskSpace()
{
    int64_t required = 0;
    for (int i = 0; i < SetupComponentCount; ++i)
        if (SelCompLstBx->Checked(i))
            required += FComponentSpace[i];
    // The folder may not exist yet: its nearest existing parent tells the drive.
    std::string existing = FMainDir;
    while (!existing.empty() && !DirectoryExists(existing))
        existing = ExcludeTrailingPathDelimiter(ExtractFilePath(existing));
    int64_t freeSpace = 0;
    GetDiskFreeSpaceEx(existing.empty() ? std::string("/") : existing, &freeSpace, nullptr, nullptr);
    RequiredLbl->SetCaption(FormatDiskSize(required));
    FreeLbl->SetCaption(FormatDiskSize(freeSpace));
    if (FPage == 4)
        NextBtn->SetEnabled(freeSpace >= required);
}

std::vector<std::string> TMainDlgForm::RegistrationArguments() const
{
    std::vector<std::string> args;
    std::string extensions;
    const char* names[3] = {"rtf", "_cod", "_doc"};
    for (int i = 0; i < 3; ++i)
        if (FExtensions.find(static_cast<char>('A' + i)) != std::string::npos)
            extensions += names[i];
    if (!extensions.empty()) {
        args.push_back("-assoc");
        args.push_back(extensions);
    }
    // Each spelling system is one element of the list, whatever its path holds.
    std::vector<std::string> systems;
    const std::string spelling = AppendPathName(FMainDir, "Orthographe");
    if (FChosen & (1u << 3)) {
        systems.push_back(AppendPathName(spelling, "Anglais US.esc"));
        systems.push_back(AppendPathName(spelling, "Anglais GB.esc"));
    }
    if (FChosen & (1u << 2))
        systems.push_back(AppendPathName(spelling, "Francais.esc"));
    if (!systems.empty()) {
        std::string value;
        for (const std::string& s : systems)
            value += (value.empty() ? "" : ";") + s;
        args.push_back("-iscs");
        args.push_back(value);
    }
    return args;
}

void TMainDlgForm::RegisterAndLink()
{
    FExtensions.clear();
    for (int i = 0; i < 3; ++i)
        if (AssocChkBx[i]->Checked())
            FExtensions += static_cast<char>('A' + i);
    const std::vector<std::string> args = RegistrationArguments();
    // The arguments go to the program as a list: no command line is built or parsed.
    if (!args.empty())
        StartProcess(ProgramPath(), args, FMainDir);
    if (ProgGrpChkBx->Checked()) {
        const std::string group = AppendPathName(UserProgramsFolder(), FGroup);
        CreateShellLink(AppendPathName(group, "Eldravin.desktop"), ProgramPath(), "", 0, "", FMainDir);
        if ((FChosen & (1u << 1)) && FileExists(InstallPath("Eldravin.chm")))
            CreateShellLink(AppendPathName(group, "Aide d'Eldravin.desktop"), InstallPath("Eldravin.chm"), "", 0, "",
                            "");
        CreateShellLink(AppendPathName(group, "Désinstallation.desktop"), ProgramPath(), "-ui", 11, ProgramPath(),
                        FMainDir);
    }
}

void TMainDlgForm::CreateFinalShortcuts()
{
    FShortcuts.clear();
    for (int i = 0; i < 3; ++i)
        if (ShortcutChkBx[i]->Checked() && (i < 2 || ShortcutChkBx[i]->Visible()))
            FShortcuts += static_cast<char>('A' + i);
    if (FShortcuts.find('A') != std::string::npos)
        CreateShellLink(AppendPathName(UserDesktopFolder(), "Eldravin.desktop"), ProgramPath(), "", 0, "", FMainDir);
    if (FShortcuts.find('B') != std::string::npos)
        CreateShellLink(AppendPathName(UserProgramsFolder(), "Eldravin.desktop"), ProgramPath(), "", 0, "",
                        FMainDir);
}

void TMainDlgForm::SaveInstallSettings()
{
    TRegistry reg;
    if (reg.OpenKey(InstallKey, true)) {
        reg.WriteString("CREATE_PRG_GRP", ProgGrpChkBx->Checked() ? "A" : "");
        reg.WriteString("GROUP", FGroup);
        reg.WriteString("MAINDIR", FMainDir);
        reg.WriteString("COMPONENTS_FR (1.5.3)", FComponents);
        reg.WriteString("EXTENSIONS", FExtensions);
        reg.WriteString("SHORTCUTS", FShortcuts);
        reg.WriteString("LAUNCH", FLaunch ? "A" : "");
        reg.CloseKey();
    }
    TRegistry machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    if (machine.OpenKey(UninstallKey, true)) {
        machine.WriteString("DisplayName", "Eldravin Brightfold");
        machine.WriteString("UninstallString", "\"" + ProgramPath() + "\" -ui");
        machine.CloseKey();
    }
}

void TMainDlgForm::WMTimer()
{
    TInstallThreadStatus& status = InstallStatus();
    const uint8_t state = status.State();
    if (state == ursRunning) {
        const uint8_t group = status.CurrentGroup();
        if (group != NoInstallGroup) {
            ProgressBar->SetPosition(static_cast<int32_t>(std::min<int64_t>(status.Total(), ProgressBar->Max)));
            const char* name = group < SetupComponentCount ? SetupComponentTable[group].Name : nullptr;
            const std::string caption = name ? DoubleAmpersands(name) : "- ";
            if (ComponentLbl->Caption() != caption)
                ComponentLbl->SetCaption(caption);
        }
    } else if (state == ursQuestion) {
        TInstallThreadStatus::TQuestion question;
        if (status.TakeQuestion(question)) {
            const int32_t answer = question.OverBackdrop
                                       ? ShowMessageBox(question.Message, question.DialogType, question.Buttons)
                                       : ShowSetupQuestion(question.Message, question.DialogType, question.Buttons,
                                                           false);
            status.Answer(answer);
        }
    } else if (state == ursStop && FPage == 6 && !FCloseAllowed) {
        status.SetState(ursIdle);
        if (FThread)
            FThread->WaitFor();
        GoToPage(6, 7);
    } else if (state == ursFailed && !FCloseAllowed) {
        if (FThread)
            FThread->WaitFor();
        FCloseAllowed = true;
        SetModalResult(mrCancel);
    }
}

void TMainDlgForm::FormCloseQuery(bool& canClose)
{
    TInstallThreadStatus& status = InstallStatus();
    const bool paused = status.ChangeState(ursRunning, ursPaused);
    if (!FCloseAllowed && ShowMessageBox(CloseQueryMessage, mtConfirmation, mbNo | mbAbort) == mrAbort)
        FCloseAllowed = true;
    canClose = FCloseAllowed;
    if (paused)
        status.SetState(FCloseAllowed ? ursStop : ursRunning);
}

void TMainDlgForm::ProgGrpChkBxClick()
{
    const bool on = ProgGrpChkBx->Checked();
    ProgGrpLbl->SetVisible(on);
    ProgGrpEdt->SetVisible(on);
    ProgGrpLstBx->SetVisible(on);
}

void TMainDlgForm::ProgGrpEdtChange()
{
    const std::string text = ProgGrpEdt->Text();
    TStringList& items = ProgGrpLstBx->Items();
    for (int32_t i = 0; i < items.Count(); ++i) {
        const std::string& item = items.Strings(i);
        if (item.size() >= text.size() && AnsiSameText(std::string_view(item).substr(0, text.size()), text)) {
            ProgGrpLstBx->SetTopIndex(i);
            ProgGrpLstBx->SetItemIndex(AnsiSameText(item, text) ? i : -1);
            return;
        }
    }
    ProgGrpLstBx->SetItemIndex(-1);
}

void TMainDlgForm::ProgGrpLstBxClick()
{
    if (ProgGrpLstBx->ItemIndex() >= 0)
        ProgGrpEdt->SetText(ProgGrpLstBx->Items().Strings(ProgGrpLstBx->ItemIndex()));
}

void TMainDlgForm::FillDirectoryList()
{
    TStringList folders;
    ListSubfolders(FDirListFolder, folders, false);
    folders.Sort();
    DestDirLstBx->Items().Assign(folders);
}

void TMainDlgForm::DestDirLstBxChange()
{
    const int32_t index = DestDirLstBx->ItemIndex();
    if (index < 0)
        return;
    std::string path = AppendPathName(FDirListFolder, DestDirLstBx->Items().Strings(index));
    if (path.size() < 8 || !AnsiSameText(std::string_view(path).substr(path.size() - 8), "Eldravin"))
        path = AppendPathName(path, "Eldravin");
    DestDirEdt->SetText(path);
}

void TMainDlgForm::SelCompLstBxClickCheck()
{
    // The program itself is always installed.
    if (!SelCompLstBx->Checked(0))
        SelCompLstBx->SetChecked(0, true);
    UpdateDiskSpace();
}
