#include "shell/startup/InstanceLock.h"

#include "platform/runtime/FileNames.h"
#include "platform/runtime/Folders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
int g_LockFd = -1;
}

void AcquireInstanceLock()
{
    if (g_LockFd >= 0)
        return;
    const std::string path = FileSystemName(IncludeTrailingPathDelimiter(GetTempPath()) + "Eldravin.instances");
    g_LockFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (g_LockFd >= 0 && ::flock(g_LockFd, LOCK_SH) != 0) {
        ::close(g_LockFd);
        g_LockFd = -1;
    }
}

void ReleaseInstanceLock()
{
    if (g_LockFd < 0)
        return;
    ::flock(g_LockFd, LOCK_UN);
    ::close(g_LockFd);
    g_LockFd = -1;
}

bool OtherInstanceRunning()
{
    if (g_LockFd < 0)
        return true;
    // Our own lock turns exclusive only when no other instance holds one;
    // then it goes back to shared.
    const bool alone = ::flock(g_LockFd, LOCK_EX | LOCK_NB) == 0;
    ::flock(g_LockFd, LOCK_SH);
    return !alone;
}
