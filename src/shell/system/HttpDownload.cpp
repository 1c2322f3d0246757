#include "shell/system/HttpDownload.h"

#include "platform/runtime/FileNames.h"
#include "platform/runtime/Files.h"
#include "platform/runtime/SysUtils.h"
#include "platform/win/Http.h"

#include <cerrno>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

TUiRequest UiRequest;

namespace {

// The thread that ran the program's static initialisation runs its windows.
const std::thread::id g_UiThread = std::this_thread::get_id();

const char* const AgentName = "Eldravin 1.5";
constexpr int64_t ChunkSize = 1024;

const char* const WriteErrorText = "Erreur lors de l'écriture du fichier \"%s\".";
const char* const InterruptedText =
    "La connexion Internet au site %s a été interrompue.\rEldravin ne peux pas poursuivre la mise à jour.\r\r"
    "Veuillez rétablir la connexion à l'Internet, puis appuyer sur \"Réessayer\" dans la présente boîte de "
    "dialogue.\rEldravin reprendra le téléchargement automatiquement.";
const char* const CancelledText =
    "Vous venez d'annuler la mise à jour à cause de problèmes de connexion à l'Internet. Vous pourrez toujours "
    "relancer la commande \"Aide | Mise à jour d'Eldravin...\" plus tard quand vous aurez rétabli votre connexion "
    "à l'Internet.";
const char* const CannotConnectText =
    "Impossible de se connecter au site %s.\rSi vous n'êtes pas connecté à l'Internet, veuillez vous connecter, "
    "puis appuyer sur \"Réessayer\".";

// The state before a question, put back after a Retry; on the user-interface
// thread nothing is written.
struct TStateKeeper {
    bool Worker = !OnUserInterfaceThread();
    // A pause of the user-interface thread is not the state to come back to.
    TUiRequestState Saved = Worker ? (UiRequest.State() == ursPaused ? ursRunning : UiRequest.State()) : ursIdle;
    void Restore() const
    {
        if (Worker)
            UiRequest.SetState(Saved);
    }
    void Fail() const
    {
        if (Worker)
            UiRequest.SetState(ursFailed);
    }
};

// The local file the body goes to. Opened at the byte count already written:
// anything after it (the rest of an earlier, longer attempt) is cut off, so a
// download started again from byte 0 never keeps stale bytes at its end.
class TTargetFile {
public:
    bool Open(const std::string& fileName, int64_t from)
    {
        Close();
        FFd = ::open(FileSystemName(fileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (FFd < 0)
            return false;
        if (::ftruncate(FFd, from) != 0 || ::lseek(FFd, from, SEEK_SET) != from) {
            Close();
            return false;
        }
        return true;
    }
    bool Write(const char* data, int64_t size)
    {
        while (size > 0) {
            const ssize_t put = ::write(FFd, data, static_cast<size_t>(size));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            data += put;
            size -= put;
        }
        return true;
    }
    bool IsOpen() const { return FFd >= 0; }
    void Close()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }
    ~TTargetFile() { Close(); }

private:
    int FFd = -1;
};

// The user-interface thread asked the worker to stop (or the download failed).
bool StopRequested()
{
    const TUiRequestState state = UiRequest.State();
    return state == ursDone || state == ursFailed;
}

}  // namespace

// --- the shared record -------------------------------------------------------------

TUiRequestState TUiRequest::State()
{
    std::lock_guard guard(FLock);
    return FState;
}

void TUiRequest::SetState(TUiRequestState state)
{
    {
        std::lock_guard guard(FLock);
        FState = state;
    }
    FChanged.notify_all();
}

bool TUiRequest::ChangeState(TUiRequestState expected, TUiRequestState state)
{
    {
        std::lock_guard guard(FLock);
        if (FState != expected)
            return false;
        FState = state;
    }
    FChanged.notify_all();
    return true;
}

int32_t TUiRequest::Ask(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    std::unique_lock lock(FLock);
    // The user-interface thread's own question goes first.
    FChanged.wait(lock, [this] { return FState != ursPaused; });
    // The user-interface thread stopped the download: nobody is left to
    // answer, and the stop request must not be overwritten by the question.
    if (FState == ursDone || FState == ursFailed)
        return mrAbort;
    FText = text;
    FType = type;
    FButtons = buttons;
    FAnswer = 0;
    FState = ursPending;
    FChanged.notify_all();
    // A stop while the question waits ends the wait as Abort.
    FChanged.wait(lock, [this] { return FState == ursAnswered || FState == ursDone || FState == ursFailed; });
    return FState == ursAnswered ? FAnswer : mrAbort;
}

bool TUiRequest::WorkerChangeState(TUiRequestState expected, TUiRequestState state)
{
    {
        std::unique_lock lock(FLock);
        FChanged.wait(lock, [this] { return FState != ursPaused; });
        if (FState != expected)
            return false;
        FState = state;
    }
    FChanged.notify_all();
    return true;
}

void TUiRequest::WaitWhilePaused()
{
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FState != ursPaused; });
}

bool TUiRequest::TakeQuestion(std::string& text, TMsgDlgType& type, TMsgDlgButtons& buttons)
{
    std::lock_guard guard(FLock);
    if (FState != ursPending)
        return false;
    text = FText;
    type = FType;
    buttons = FButtons;
    // The worker stays asleep until the answer comes.
    FState = ursPaused;
    return true;
}

void TUiRequest::SetAnswer(int32_t answer)
{
    {
        std::lock_guard guard(FLock);
        FAnswer = answer;
        FState = ursAnswered;
    }
    FChanged.notify_all();
}

bool OnUserInterfaceThread()
{
    return std::this_thread::get_id() == g_UiThread;
}

int32_t AskUser(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    if (OnUserInterfaceThread())
        return ShowMessageDlg(text, type, buttons);
    return UiRequest.Ask(text, type, buttons);
}

bool ConfirmConnectionRetry(const std::string& host)
{
    const TStateKeeper keeper;
    if (AskUser(Format(CannotConnectText, {host}), mtError, mbAbort | mbRetry) == mrRetry) {
        keeper.Restore();
        return true;
    }
    AskUser(CancelledText, mtInformation, mbOK);
    keeper.Fail();
    return false;
}

std::string DownloadUrl(const std::string& host, const std::string& path)
{
    const std::string base = host.find("://") == std::string::npos ? "https://" + host : host;
    return base + "/" + path;
}

bool DownloadUrlToFile(const std::string& host, const std::string& path, const std::string& fileName,
                       bool progress)
{
    const bool worker = !OnUserInterfaceThread();
    const std::string url = DownloadUrl(host, path);
    // The desktop's proxy settings first, then a direct connection.
    static const THttpAccess Modes[] = {THttpAccess::Preconfigured, THttpAccess::Direct};
    int32_t mode = 0;
    int32_t attempt = 0;
    int32_t working = -1;
    int64_t written = 0;
    int64_t length = -1;  // -1: the server gave none
    std::string validator;
    bool complete = false;
    bool failed = false;
    TTargetFile file;
    char buffer[ChunkSize];

    while (!complete && !failed) {
        THttpOptions options;
        options.Access = Modes[mode];
        options.From = written;
        options.Validator = validator;
        options.UserAgent = AgentName;
        if (worker)
            options.Cancelled = StopRequested;
        std::string error;
        std::unique_ptr<THttpRequest> request = OpenHttpRequest(url, options, error);
        if (!request && worker && StopRequested())
            break;
        if (!request) {
            if (working < 0 && attempt < 1) {
                ++attempt;
                mode = 1;
                continue;
            }
            if (ConfirmConnectionRetry(host)) {
                mode = working >= 0 ? working : 0;
                continue;
            }
            failed = true;
            break;
        }
        working = mode;
        const int64_t newLength = request->HasLength() ? request->Length() : -1;
        // The server sent the whole resource (it changed, or it cannot send a
        // part), or announces another length: everything is written again.
        if (written > 0 && (request->StartOffset() != written || newLength != length)) {
            if (request->StartOffset() != 0) {
                written = 0;
                validator.clear();
                continue;
            }
            written = 0;
        }
        length = newLength;
        validator = request->Validator();
        if (progress) {
            UiRequest.Maximum = length;
            UiRequest.Position = written;
        }
        if (!file.Open(fileName, written)) {
            const TStateKeeper keeper;
            if (AskUser(Format(WriteErrorText, {fileName}), mtError, mbAbort | mbRetry) == mrRetry) {
                keeper.Restore();
                continue;
            }
            keeper.Fail();
            failed = true;
            break;
        }

        bool interrupted = false;
        for (;;) {
            const int64_t got = request->Read(buffer, ChunkSize);
            // The end of the body; with a length, only the whole of it counts.
            if (got == 0 && (length < 0 || written == length)) {
                complete = true;
                if (worker)
                    UiRequest.WorkerChangeState(ursRunning, ursDone);
                break;
            }
            if (got <= 0 || (length >= 0 && written + got > length)) {
                interrupted = true;
                break;
            }
            while (!file.Write(buffer, got)) {
                const TStateKeeper keeper;
                if (AskUser(Format(WriteErrorText, {fileName}), mtError, mbAbort | mbRetry) != mrRetry) {
                    keeper.Fail();
                    failed = true;
                    break;
                }
                keeper.Restore();
            }
            if (failed)
                break;
            written += got;
            if (progress)
                UiRequest.Position = written;
            if (worker) {
                UiRequest.WaitWhilePaused();
                const TUiRequestState state = UiRequest.State();
                if (state == ursDone || state == ursFailed)
                    break;  // the user-interface thread asked to stop
            }
        }
        if (interrupted && worker && StopRequested())
            break;  // the transfer was cut because the user stopped it
        if (interrupted) {
            request.reset();
            file.Close();
            const TStateKeeper keeper;
            if (AskUser(Format(InterruptedText, {host}), mtError, mbAbort | mbRetry) == mrRetry) {
                keeper.Restore();
                continue;  // resumes at the byte count reached
            }
            AskUser(CancelledText, mtInformation, mbOK);
            keeper.Fail();
            failed = true;
        }
        break;
    }
    file.Close();
    if (!complete)
        DeleteFile(fileName);
    return complete;
}
