#include "platform/runtime/Host.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<QApplication> g_App;
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
