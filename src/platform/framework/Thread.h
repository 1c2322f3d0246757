#pragma once
// TThread: a worker over std::thread. Execute runs on the new thread; it must
// not touch windows or controls. Terminate only sets a flag that Execute
// polls; nothing suspends a thread from outside. The thread is joined by
// WaitFor or, at the latest, by the destructor (after Terminate).
#include <atomic>
#include <cstdint>
#include <exception>
#include <thread>

class TThread {
public:
    TThread() = default;
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts Execute on a new thread (once).
    void Start();
    // Asks Execute to end; it looks at Terminated().
    void Terminate() { FTerminated = true; }
    bool Terminated() const { return FTerminated; }
    // True once Execute has returned.
    bool Finished() const { return FFinished; }
    // Waits for the end of Execute; returns ReturnValue.
    int32_t WaitFor();
    // An exception that ended Execute, or none.
    std::exception_ptr FatalException() const { return FFatal; }
    int32_t ReturnValue = 0;

protected:
    virtual void Execute() = 0;

private:
    std::thread FThread;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{false};
    std::exception_ptr FFatal;
};
