#include "foundation/MessageDlg.h"

#include "foundation/StringRoutines.h"
#include "platform/runtime/CodePages.h"
#include "platform/runtime/Exception.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

TMessageAnswerer* g_Answerer = nullptr;
TMessageDlgHost* g_Host = nullptr;
bool g_Quiet = false;
uint8_t g_CurrentPreset = NoMessagePreset;

std::vector<TQueuedMessage>& Queue()
{
    static std::vector<TQueuedMessage> queue;
    return queue;
}

constexpr int32_t kFirstMessageEvent = 1000;

// Ends the host's part of a message box however the dialog ends.
class TEndMessageGuard {
public:
    explicit TEndMessageGuard(TMessageDlgHost* host) : FHost(host) {}
    ~TEndMessageGuard()
    {
        if (FHost)
            FHost->EndMessage();
    }
    TEndMessageGuard(const TEndMessageGuard&) = delete;
    TEndMessageGuard& operator=(const TEndMessageGuard&) = delete;

private:
    TMessageDlgHost* FHost;
};

[[noreturn]] void RaiseNoAnswerer(const std::string& text)
{
    throw EInternalError("Aucune boîte de message n'est disponible pour le message : " + text);
}

}  // namespace

TMessageAnswerer* SetMessageAnswerer(TMessageAnswerer* answerer)
{
    return std::exchange(g_Answerer, answerer);
}

TMessageDlgHost* SetMessageDlgHost(TMessageDlgHost* host)
{
    return std::exchange(g_Host, host);
}

void SetMessagesQuiet(bool quiet)
{
    g_Quiet = quiet;
}

bool MessagesQuiet()
{
    return g_Quiet;
}

uint8_t CurrentMessagePreset()
{
    return g_CurrentPreset;
}

int32_t ShowMessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    return ShowMessageDlg(text, type, buttons, std::string());
}

int32_t ShowMessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                       const std::string& caption)
{
    if (g_Quiet)
        return mrCancel;
    TMessageAnswerer* answerer = g_Answerer;
    if (!answerer)
        RaiseNoAnswerer(text);
    TMessageDlgHost* host = g_Host;

    int32_t result;
    {
        if (host)
            host->BeginMessage();
        TEndMessageGuard guard(host);
        const std::string shown = BarsToLineBreaks(text);
        if (type < mtCustom && host &&
            !(g_CurrentPreset != NoMessagePreset && host->PresetSilenced(g_CurrentPreset)))
            host->FireProgramEvent(kFirstMessageEvent + type);

        TMessageRequest request;
        request.Type = type;
        request.Buttons = buttons;
        request.Preset = g_CurrentPreset;
        if (host && host->ApplicationTerminating()) {
            request.Kind = TMessageBoxKind::SystemBox;
            request.Text = shown;
            request.Caption = host->ApplicationTitle();
            answerer->Answer(request);
            result = mrCancel;
        } else {
            request.Kind = TMessageBoxKind::MessageForm;
            request.Text = EscapeMenuCaption(shown);
            request.Caption = caption;
            result = answerer->Answer(request);
        }
    }
    if (host)
        host->MessageShown();
    return result;
}

int32_t ShowMessageDlgPreset(const std::string& text, TMsgDlgType type, uint8_t preset)
{
    if (g_Quiet)
        return mrCancel;
    if (preset >= OptionalMessageCount)
        throw EInternalError("Message facultatif inconnu : " + std::to_string(preset));
    if (!g_Host)
        throw EInternalError("Messages facultatifs indisponibles pour le message : " + text);
    const TMsgDlgButtons buttons = g_Host->PresetButtons(preset);
    g_CurrentPreset = preset;
    try {
        const int32_t result = ShowMessageDlg(text, type, buttons);
        g_CurrentPreset = NoMessagePreset;
        return result;
    } catch (...) {
        g_CurrentPreset = NoMessagePreset;
        throw;
    }
}

void ShowInformation(const std::string& text)
{
    ShowMessageDlg(text, mtInformation, mbOK);
}

void ShowWarning(const std::string& text)
{
    ShowMessageDlg(text, mtWarning, mbOK);
}

void ShowError(const std::string& text)
{
    ShowMessageDlg(text, mtError, mbOK);
}

void ShowErrorBox(const std::string& text)
{
    TMessageRequest request;
    request.Kind = TMessageBoxKind::SystemBox;
    request.Text = BarsToLineBreaks(text);
    request.Type = mtError;
    request.Buttons = mbOK;
    if (g_Answerer) {
        g_Answerer->Answer(request);
        return;
    }
    // No window system to show it: the error goes to the error output, which is
    // where a program without windows reports.
    std::fprintf(stderr, "%s\n", Utf8FromAnsi(request.Text).c_str());
}

void QueueMessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, uint8_t flag)
{
    if (g_Quiet)
        return;
    Queue().push_back(TQueuedMessage{text, type, buttons, flag});
}

std::vector<TQueuedMessage> TakeQueuedMessages()
{
    return std::exchange(Queue(), {});
}
