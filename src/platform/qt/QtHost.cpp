#include "platform/runtime/Host.h"

#include <QApplication>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<QApplication> g_App;
void DropSignalNotifier();
}

void StartPlatformHost(int& argc, char** argv, bool headless)
{
    if (g_App)
        return;
    if (headless)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    g_App = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Eldravin"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvel Softworks"));
}

void StopPlatformHost()
{
    SetTerminationRequestHandler(nullptr);
    DropSignalNotifier();
    g_App.reset();
}

bool PlatformHostRunning()
{
    return g_App != nullptr;
}

int RunPlatformHost()
{
    return g_App ? QApplication::exec() : 0;
}

void QuitPlatformHost(int exitCode)
{
    if (g_App)
        QCoreApplication::exit(exitCode);
}

void ProcessPlatformEvents()
{
    if (g_App)
        QCoreApplication::processEvents();
}

// --- termination requests ------------------------------------------------------------

namespace {
int g_SignalFds[2] = {-1, -1};
std::function<void()> g_TerminationHandler;
std::unique_ptr<QSocketNotifier> g_SignalNotifier;

// Only writes one byte: the event loop does the work.
void TerminationSignal(int)
{
    const char byte = 1;
    const ssize_t written = ::write(g_SignalFds[0], &byte, 1);
    (void)written;
}

}  // namespace

namespace {
void DropSignalNotifier()
{
    g_SignalNotifier.reset();
}

void RestoreDefaultSignals()
{
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
}
}  // namespace

void SetTerminationRequestHandler(std::function<void()> handler)
{
    g_TerminationHandler = std::move(handler);
    if (!g_TerminationHandler) {
        RestoreDefaultSignals();
        return;
    }
    if (g_SignalFds[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_SignalFds) != 0)
            return;
        ::fcntl(g_SignalFds[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(g_SignalFds[1], F_SETFD, FD_CLOEXEC);
        ::fcntl(g_SignalFds[0], F_SETFL, O_NONBLOCK);
    }
    if (!g_SignalNotifier && g_App) {
        g_SignalNotifier = std::make_unique<QSocketNotifier>(g_SignalFds[1], QSocketNotifier::Read);
        QObject::connect(g_SignalNotifier.get(), &QSocketNotifier::activated, [] {
            char buffer[16];
            while (::recv(g_SignalFds[1], buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
            }
            if (g_TerminationHandler) {
                // The handler may remove itself.
                std::function<void()> handler = g_TerminationHandler;
                handler();
            }
        });
    }
    struct sigaction action {};
    action.sa_handler = TerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}
