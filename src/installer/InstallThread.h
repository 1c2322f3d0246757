#pragma once
// The install thread: extracts the queued groups in order, publishing the
// group being extracted and the bytes done, and stops at its check points
// while the wizard holds it or when it is asked to stop.
#include "platform/framework/Thread.h"

class TAttachedFiles;

class TInstallThread : public TThread {
public:
    explicit TInstallThread(TAttachedFiles& files) : FFiles(files) {}
    ~TInstallThread() override;

protected:
    void Execute() override;

private:
    TAttachedFiles& FFiles;
};
