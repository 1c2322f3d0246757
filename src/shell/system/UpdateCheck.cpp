#include "shell/system/UpdateCheck.h"

#include "foundation/MessageDlg.h"
#include "foundation/Paths.h"
#include "foundation/ShellHelpers.h"
#include "foundation/settings/IniFile.h"
#include "platform/framework/Thread.h"
#include "platform/framework/Timer.h"
#include "platform/framework/controls/Buttons.h"
#include "platform/framework/controls/Edits.h"
#include "platform/framework/controls/ExtCtrls.h"
#include "platform/framework/controls/Ranges.h"
#include "platform/runtime/DateTime.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/StringList.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Http.h"
#include "shell/about/VersionInfo.h"
#include "shell/commands/ProgramEvents.h"
#include "shell/frame/MainForm.h"
#include "shell/options/OptionsHolder.h"
#include "shell/system/HttpDownload.h"
#include "shell/system/WrappedLabel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

std::string UpdateServer = "https://www.corvel-softworks.example";
const char* const UpdateListPath = "cgi-bin/update_eldravin.cgi?lang=fr";
std::string PendingInstaller;

namespace {

constexpr size_t MaxDetails = 20000;
constexpr int32_t DaysBetweenChecks = 30;

const char* const NoUpdateText =
    "Désolé, aucune mise à jour n'est disponible.\rVous utilisez la version la plus récente d'Eldravin.\r\r"
    "N'hésitez pas à vérifier de nouveau à une date ultérieure.";
const char* const ClosingText =
    "Eldravin va maintenant se fermer pour permettre au processus de mise à jour de se poursuivre.||"
    "Veuillez rester connecté à l'Internet, s'il vous plaît.";
const char* const GiveUpText = "Voulez-vous vraiment renoncer à la mise à jour d'Eldravin ?";
const char* const NotVerifiedText =
    "Le fichier téléchargé ne correspond pas à la mise à jour annoncée par le site %s.||"
    "Il a été supprimé par mesure de sécurité.";
const char* const IntroText =
    "Installer les dernières mises à jour d'Eldravin en ligne depuis notre site est extrêmement facile et "
    "confortable.\r\rLorsque vous aurez cliqué sur le bouton \"Continuer\" ci-dessous, Eldravin tentera "
    "d'établir une liaison Internet avec notre serveur afin de déterminer s'il y existe une version plus "
    "récente.\r\r\rCliquez sur \"Continuer\" pour vérifier tout de suite s'il existe une version plus récente "
    "d'Eldravin, ou bien cliquez sur \"Annuler\" si vous ne souhaitez pas faire cette vérification pour le "
    "moment.";
const char* const NewVersionFormat =
    "Une %s d'Eldravin - la version %s - est disponible. Comparée à la version dont vous disposez actuellement, "
    "cette toute dernière version d'Eldravin comprend les changements suivants :";

TLabel* MakeLabel(TForm* form, const std::string& name, const std::string& caption, const TRect& r)
{
    auto* label = new TWrappedLabel(form);
    label->SetName(name);
    label->SetParent(form);
    label->SetAutoSize(false);
    label->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    label->SetCaption(caption);
    return label;
}

TButton* MakeButton(TForm* form, const std::string& name, const std::string& caption, int32_t left, int32_t top,
                    int32_t width)
{
    auto* button = new TButton(form);
    button->SetName(name);
    button->SetParent(form);
    button->SetBounds(left, top, width, 23);
    button->SetCaption(caption);
    return button;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

std::string LowerHex(std::string text)
{
    std::string out;
    for (char ch : text)
        if (!std::isspace(static_cast<unsigned char>(ch)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

bool IsLoopbackHost(const std::string& authority)
{
    std::string host = authority.substr(0, authority.find('/'));
    if (!host.empty() && host.front() == '[')
        host = host.substr(0, host.find(']') + 1);
    else
        host = host.substr(0, host.find(':'));
    return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

int32_t Today()
{
    return static_cast<int32_t>(std::floor(Date()));
}

// The installer download on its own thread: its strings are copied in, and
// it speaks to the dialog only through UiRequest.
}  // namespace

class TDownloadThread : public TThread {
public:
    TDownloadThread(std::string host, std::string path, std::string file)
        : FHost(std::move(host)), FPath(std::move(path)), FFile(std::move(file))
    {
    }
    ~TDownloadThread() override { WaitFor(); }
    bool Complete() const { return FComplete; }

protected:
    void Execute() override { FComplete = DownloadUrlToFile(FHost, FPath, FFile, true); }

private:
    std::string FHost, FPath, FFile;
    std::atomic<bool> FComplete{false};
};

// --- the list ----------------------------------------------------------------------------

const char* UpdateKindName(TUpdateKind kind)
{
    switch (kind) {
    case ukMajor: return "mise à jour majeure";
    case ukMinor: return "mise à jour mineure";
    case ukMaintenance: return "version de maintenance";
    default: return "numéro";
    }
}

TUpdateList ReadUpdateList(const std::string& fileName, const std::string& runningVersion)
{
    TUpdateList list;
    std::unique_ptr<TIniFile> ini;
    try {
        ini = std::make_unique<TIniFile>(fileName, false);
    } catch (const std::exception&) {
        return list;
    }
    ini->OpenKey("General");
    const int32_t count = ini->ReadInteger("Update_Count", 0, 0, INT32_MAX);
    list.UpdateURL = ini->ReadString("Update_URL", "");
    list.DetailsURL = ini->ReadString("Details_URL", "");
    list.UpdateSHA256 = LowerHex(ini->ReadString("Update_SHA256", ""));
    const int32_t running = GetVersionNumber(runningVersion);
    bool found = false;
    int32_t kind = ukNone;
    for (int32_t n = 1; n <= count; ++n) {
        const std::string section = "Update_" + std::to_string(n);
        // A count far beyond the sections present ends at the first missing one.
        if (!ini->KeyExists(section))
            break;
        ini->OpenKey(section);
        const std::string version = ini->ReadString("Version", runningVersion);
        // The list is in ascending order: from the first newer one on, all are newer.
        if (!found && GetVersionNumber(version) <= running)
            continue;
        found = true;
        kind = std::min(kind, ini->ReadInteger("Type", 0, 3, 3));
        const int32_t date = ini->ReadInteger("Release_Date", INT32_MIN, 0, INT32_MAX);
        TDateTime released = 0;
        std::string dateText;
        if (TryEncodeDate(static_cast<uint16_t>(date / 10000), static_cast<uint16_t>(date / 100 % 100),
                          static_cast<uint16_t>(date % 100), released))
            dateText = FormatDateTime("ddddd", released);
        const std::string block = Format("Version %s (sortie le %s)", {version, dateText}) + "\r\n-------\r\n" +
                                  ReplaceAll(ini->ReadString("Details", ""), "||", "\r\n") + "\r\n\r\n";
        list.Details = block + list.Details;
        list.NewestVersion = version;
    }
    list.Kind = static_cast<TUpdateKind>(kind);
    if (list.Details.size() > MaxDetails)
        list.Details = list.Details.substr(0, MaxDetails) + " ...";
    return list;
}

bool IsVerifiedChannel(const std::string& host)
{
    const size_t scheme = host.find("://");
    if (scheme == std::string::npos)
        return true;  // a bare name is reached over https
    const std::string name = LowerCase(host.substr(0, scheme));
    if (name == "https")
        return true;
    return name == "http" && IsLoopbackHost(host.substr(scheme + 3));
}

bool VerifyDownloadedUpdate(const std::string& fileName, const std::string& host, const std::string& sha256)
{
    if (!sha256.empty())
        return Sha256OfFile(fileName) == LowerHex(sha256);
    return DownloadUrl(host, "").rfind("https://", 0) == 0;
}

// --- when to check ----------------------------------------------------------------------

bool IsUpdateCheckDue(const TOptionsHolder& options, int32_t today)
{
    if (!options.ChkForUpdts)
        return false;
    if (options.LastChkForUpdDay > 0)
        return today - options.LastChkForUpdDay >= DaysBetweenChecks;
    // Only the older day index is stored: it is the best there is until the
    // next check stores a true day.
    return DayIndexOfToday() - options.LastChkForUpd >= DaysBetweenChecks;
}

bool IsUpdateCheckDue()
{
    return OptionsHolder && IsUpdateCheckDue(*OptionsHolder, Today());
}

void RecordUpdateCheck(TOptionsHolder& options)
{
    options.LastChkForUpd = DayIndexOfToday();
    options.LastChkForUpdDay = Today();
}

void CheckForUpdates()
{
    TEldravinForm::Execute<TCheckUpdateForm>();
    if (OptionsHolder)
        RecordUpdateCheck(*OptionsHolder);
}

// --- the waiting window -----------------------------------------------------------------

TContactingHost_Form::TContactingHost_Form(TComponent* owner, const std::string& host) : TEldravinForm(owner)
{
    SetName("ContactingHost_Form");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(330, 70);
    SetCaption(ProgramTitle);
    MakeLabel(this, "ContactingLabel", Format("Appel du site %s. Veuillez patienter...", {host}), {60, 27, 320, 60});
}

TContactingHost_Form::~TContactingHost_Form()
{
    BeginDestroy();
}

// --- the dialog ---------------------------------------------------------------------------

TCheckUpdateForm::TCheckUpdateForm(TComponent* owner) : TEldravinForm(owner)
{
    SetName("CheckUpdateForm");
    SetCaption("Mise à jour d'Eldravin");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetClientSize(447, 280);

    // The logo area on the left; the program has no picture for it yet.
    LogoImage = new TImage(this);
    LogoImage->SetName("LogoImage");
    LogoImage->SetParent(this);
    LogoImage->SetBounds(10, 10, 100, 200);
    LogoImage->Center = true;
    IntroLabel = MakeLabel(this, "IntroLabel", IntroText, {120, 10, 437, 190});
    AutoCheckCheckBox = new TCheckBox(this);
    AutoCheckCheckBox->SetName("AutoCheckCheckBox");
    AutoCheckCheckBox->SetParent(this);
    AutoCheckCheckBox->SetBounds(120, 196, 317, 30);
    AutoCheckCheckBox->SetCaption(
        "&Rappelez-moi tous les mois de vérifier s'il existe une\rversion plus récente");
    Bevel = new TBevel(this);
    Bevel->SetName("Bevel");
    Bevel->SetParent(this);
    Bevel->Shape = TBevelShape::bsTopLine;
    Bevel->SetBounds(10, 234, 427, 2);
    NewVersionFoundLabel = MakeLabel(this, "NewVersionFoundLabel", "", {120, 10, 437, 68});
    NewVersionFoundLabel->SetVisible(false);
    DetailsMemo = new TMemo(this);
    DetailsMemo->SetName("DetailsMemo");
    DetailsMemo->SetParent(this);
    DetailsMemo->SetBounds(120, 70, 317, 132);
    DetailsMemo->ReadOnly = true;
    DetailsMemo->SetVisible(false);
    UpdatePromptLabel = MakeLabel(this, "UpdatePromptLabel", "Cliquez sur \"Mettre à jour\" pour continuer.",
                                  {120, 210, 437, 228});
    UpdatePromptLabel->SetVisible(false);
    PreparingToUpdateLabel = MakeLabel(this, "PreparingToUpdateLabel",
                                       "Eldravin prépare sa mise à jour. Veuillez patienter, SVP...",
                                       {120, 150, 437, 168});
    PreparingToUpdateLabel->Alignment = TAlignment::taCenter;
    PreparingToUpdateLabel->SetVisible(false);
    ProgressBar = new TProgressBar(this);
    ProgressBar->SetName("ProgressBar");
    ProgressBar->SetParent(this);
    ProgressBar->SetBounds(120, 176, 317, 16);
    ProgressBar->SetVisible(false);

    ContinueButton = MakeButton(this, "ContinueButton", "Continuer >", 262, 246, 85);
    ContinueButton->SetDefault(true);
    ContinueButton->OnClick = [this](TControl*) { ContinueButtonClick(); };
    MoreDetailsButton = MakeButton(this, "MoreDetailsButton", "Plus de détails...", 10, 246, 110);
    MoreDetailsButton->SetVisible(false);
    MoreDetailsButton->OnClick = [this](TControl*) { MoreDetailsButtonClick(); };
    UpdateButton = MakeButton(this, "UpdateButton", "Mettre à jour >", 262, 246, 85);
    UpdateButton->SetVisible(false);
    UpdateButton->OnClick = [this](TControl*) { UpdateButtonClick(); };
    CancelButton = MakeButton(this, "CancelButton", "Fermer", 352, 246, 85);
    CancelButton->Cancel = true;
    CancelButton->ModalResult = mrCancel;

    if (OptionsHolder)
        AutoCheckCheckBox->SetChecked(OptionsHolder->ChkForUpdts);
    UiRequest.SetState(ursIdle);
    FTimer = new TTimer(this);
    FTimer->SetInterval(100);
    FTimer->SetOnTimer([this](TTimer*) { TimerTick(); });
    CloseAllowed = true;
}

TCheckUpdateForm::~TCheckUpdateForm()
{
    FTimer->SetEnabled(false);
    StopWorker();
    if (OptionsHolder)
        OptionsHolder->ChkForUpdts = AutoCheckCheckBox->Checked();
    BeginDestroy();
}

void TCheckUpdateForm::StopWorker()
{
    if (!FDownloadThread)
        return;
    // A question still waiting is answered as Abort so that the worker ends.
    if (UiRequest.State() == ursPending) {
        std::string text;
        TMsgDlgType type = mtInformation;
        TMsgDlgButtons buttons = 0;
        if (UiRequest.TakeQuestion(text, type, buttons))
            UiRequest.SetAnswer(mrAbort);
    }
    if (!FDownloadThread->Finished()) {
        const TUiRequestState state = UiRequest.State();
        if (state != ursDone && state != ursFailed)
            UiRequest.SetState(ursDone);
    }
    FDownloadThread->WaitFor();
    FDownloadThread.reset();
    UiRequest.SetState(ursIdle);
}

void TCheckUpdateForm::ContinueButtonClick()
{
    CancelButton->SetCaption("Annuler");
    std::string listFile = GetTempFileNameForKind(0);
    bool loaded = false;
    if (IsVerifiedChannel(UpdateServer)) {
        std::unique_ptr<TContactingHost_Form> contacting;
        try {
            contacting = std::make_unique<TContactingHost_Form>(nullptr, UpdateServer);
            contacting->Show();
            contacting->Update();
        } catch (const std::exception&) {
            contacting.reset();
        }
        loaded = DownloadUrlToFile(UpdateServer, UpdateListPath, listFile, false);
    }
    if (!loaded) {
        DeleteFile(listFile);
        SetModalResult(mrCancel);
        return;
    }
    const TUpdateList list = ReadUpdateList(listFile, FileVersionText());
    DeleteFile(listFile);
    if (list.Kind == ukNone) {
        ShowMessageDlg(NoUpdateText, mtInformation, mbOK);
        SetModalResult(mrCancel);
        return;
    }
    UpdateURL = list.UpdateURL;
    DetailsURL = list.DetailsURL;
    UpdateSHA256 = list.UpdateSHA256;
    IntroLabel->SetVisible(false);
    AutoCheckCheckBox->SetVisible(false);
    ContinueButton->SetVisible(false);
    NewVersionFoundLabel->SetCaption(Format(NewVersionFormat, {UpdateKindName(list.Kind), list.NewestVersion}));
    NewVersionFoundLabel->SetVisible(true);
    DetailsMemo->SetText(list.Details);
    DetailsMemo->SetVisible(true);
    UpdatePromptLabel->SetVisible(true);
    MoreDetailsButton->SetVisible(!DetailsURL.empty() && list.Kind != ukNumber);
    UpdateButton->SetVisible(true);
    UpdateButton->SetDefault(true);
    if (UpdateButton->CanFocus())
        UpdateButton->SetFocus();
    FireEvent(1002);
}

void TCheckUpdateForm::MoreDetailsButtonClick()
{
    OpenHyperlinkTarget(DetailsURL);
}

void TCheckUpdateForm::UpdateButtonClick()
{
    NewVersionFoundLabel->SetVisible(false);
    DetailsMemo->SetVisible(false);
    UpdatePromptLabel->SetVisible(false);
    MoreDetailsButton->SetVisible(false);
    UpdateButton->SetVisible(false);
    PreparingToUpdateLabel->SetVisible(true);
    ProgressBar->SetVisible(true);
    CloseAllowed = false;
    // Named after the update file the server offers; kept out of the clean-up
    // of temporary files, since it outlives the run.
    std::string name = UpdateURL.substr(UpdateURL.find_last_of('/') + 1);
    name = name.substr(0, name.find_first_of("?#"));
    const size_t dot = name.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    bool plain = extension.size() >= 2 && extension.size() <= 9;
    for (size_t i = 1; i < extension.size(); ++i)
        plain = plain && std::isalnum(static_cast<unsigned char>(extension[i]));
    if (!plain)
        extension = ".bin";
    InstallerFile = GetUniqueKeptTempFileName(extension);
    UiRequest.Position = 0;
    UiRequest.Maximum = -1;
    UiRequest.SetState(ursRunning);
    FDownloadThread = std::make_unique<TDownloadThread>(UpdateServer, UpdateURL, InstallerFile);
    FDownloadThread->Start();
}

void TCheckUpdateForm::ApplyProgress()
{
    if (!ProgressBar->Visible())
        return;
    const int64_t maximum = UiRequest.Maximum;
    ProgressBar->Min = 0;
    ProgressBar->Max = 1000;
    if (maximum <= 0) {
        // No length from the server: the bar only shows that data comes.
        ProgressBar->StepBy(25);
        if (ProgressBar->Position() >= 1000)
            ProgressBar->SetPosition(0);
        return;
    }
    const int64_t position = std::min<int64_t>(UiRequest.Position, maximum);
    ProgressBar->SetPosition(static_cast<int32_t>(position * 1000 / maximum));
}

void TCheckUpdateForm::DownloadEnded()
{
    const bool complete = FDownloadThread && (FDownloadThread->WaitFor(), FDownloadThread->Complete());
    FDownloadThread.reset();
    CloseAllowed = true;
    SetModalResult(mrOk);
    UiRequest.SetState(ursIdle);
    if (!complete)
        return;
    if (!VerifyDownloadedUpdate(InstallerFile, UpdateServer, UpdateSHA256)) {
        DeleteFile(InstallerFile);
        ShowMessageDlg(Format(NotVerifiedText, {UpdateServer}), mtError, mbOK);
        return;
    }
    if (ShowMessageDlg(ClosingText, mtInformation, mbOK | mbCancel) != mrOk)
        return;
    Accepted = true;
    PendingInstaller = InstallerFile;
    if (MainForm && !MainForm->HasFlag(ffCloseQueryRunning))
        MainForm->Close();
}

void TCheckUpdateForm::TimerTick()
{
    ApplyProgress();
    switch (UiRequest.State()) {
    case ursPending: {
        std::string text;
        TMsgDlgType type = mtInformation;
        TMsgDlgButtons buttons = mbOK;
        if (UiRequest.TakeQuestion(text, type, buttons))
            UiRequest.SetAnswer(ShowMessageDlg(text, type, buttons));
        break;
    }
    case ursDone:
        DownloadEnded();
        break;
    case ursFailed:
        if (FDownloadThread) {
            FDownloadThread->WaitFor();
            FDownloadThread.reset();
        }
        CloseAllowed = true;
        SetModalResult(mrCancel);
        UiRequest.SetState(ursIdle);
        break;
    default:
        break;
    }
}

bool TCheckUpdateForm::CloseQuery()
{
    if (!TEldravinForm::CloseQuery())
        return false;
    // The worker waits in its read loop while the question is on screen.
    const bool paused = UiRequest.ChangeState(ursRunning, ursPaused);
    bool accept = CloseAllowed;
    if (!accept)
        accept = ShowMessageDlg(GiveUpText, mtConfirmation, mbYes | mbNo) == mrYes;
    CloseAllowed = accept;
    if (paused) {
        UiRequest.SetState(accept ? ursDone : ursRunning);
        if (accept)
            StopWorker();
    }
    return accept;
}
