#include "platform/framework/Thread.h"

TThread::~TThread()
{
    // A derived class should have waited already; its part is gone by now,
    // so all that is left is not to leave a joinable thread behind.
    if (FThread.joinable()) {
        Terminate();
        FThread.join();
    }
}

void TThread::Start()
{
    if (FThread.joinable() || FFinished)
        return;
    FThread = std::thread([this] {
        try {
            Execute();
        } catch (...) {
            FFatal = std::current_exception();
        }
        FFinished = true;
    });
}

int32_t TThread::WaitFor()
{
    if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id())
        FThread.join();
    return ReturnValue;
}
