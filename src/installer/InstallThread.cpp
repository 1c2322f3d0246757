#include "installer/InstallThread.h"

#include "installer/AttachedFiles.h"
#include "installer/InstallUtils.h"

TInstallThread::~TInstallThread()
{
    // Whoever frees the thread no longer listens: a question left open is
    // answered by the stop, and the thread ends at its next check point.
    if (!Finished()) {
        InstallStatus().SetState(ursStop);
        WaitFor();
    }
}

void TInstallThread::Execute()
{
    MarkInstallThread();
    TInstallThreadStatus& status = InstallStatus();
    for (int g = 0; g < InstallGroupCount; ++g) {
        const auto& group = FFiles.Group(g);
        if (!group.empty())
            status.SetCurrentGroup(static_cast<uint8_t>(g));
        for (const auto& file : group) {
            if (!file->Logged)
                SuspendInstallLog();
            const bool ok = FFiles.ExtractFile(file->Source, {}, file->TargetPath);
            if (!file->Logged)
                ResumeInstallLog();
            if (!ok) {
                status.SetState(ursFailed);
                return;
            }
            status.AddToTotal(file->Source->Size);
            if (!status.WaitWhilePaused())
                return;
        }
        if (!status.WaitWhilePaused())
            return;
    }
    status.SetState(ursStop);
}
