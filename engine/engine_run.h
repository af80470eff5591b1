// EngineRun: what the worker threads of one run of EngineProcess use, so that no worker ever
// touches the runner itself. It owns the run's read ends, stop event and child process. The
// runner and each worker hold it; whoever lets go last frees it, so a reader still blocked in
// a read after the runner has gone keeps valid handles.
#pragma once

#include <windows.h>

#include <atomic>

#include "framework/owned.h"

class EngineProcess;

enum EngineWorker { kStdoutReader = 0, kStderrReader = 1, kWatcher = 2, kWorkerCount = 3 };

class EngineRun {
public:
    // Takes over the handles; null when memory runs out (the handles stay with the caller).
    static EngineRun* Create(EngineProcess* target, OwnedHandle& stdoutRead,
                             OwnedHandle& stderrRead, OwnedHandle& stopEvent);
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

    // The child, once it has been created.
    void AdoptProcess(OwnedHandle& process) { m_hProcess = std::move(process); }
    // Frees a run whose workers were never started.
    void Discard() { delete this; }

    // A worker lets go as its last act; the runner lets go with ReleaseRunner.
    void ReleaseWorker(int worker) { Release(1L << worker); }
    void ReleaseRunner() { Release(kRunnerBit); }
    // For a worker the runner has terminated and seen end.
    void ReleaseTerminatedWorker(int worker);

    HANDLE ReadHandle(int worker) const
    {
        return worker == kStdoutReader ? m_hStdout.get() : m_hStderr.get();
    }
    HANDLE StopEvent() const { return m_hStopEvent.get(); }
    HANDLE Process() const { return m_hProcess.get(); }

    // The run's own end, besides EngineProcess's process-wide s_running: a worker of a run
    // that Stop has given up ends on it even while a later run has set s_running again.
    void SetStopped() { m_stopped.store(1); }
    bool Stopped() const { return m_stopped.load() != 0; }

    // The hook target, or null once detached or barred. Between EnterHook and LeaveHook the
    // worker is marked as being in a hook, so that whoever detaches can wait until no call
    // is left, and nobody terminates it there.
    EngineProcess* EnterHook(int worker);
    void LeaveHook(int worker) { m_hookState[worker].store(kOutOfHook); }
    void Detach() { m_target.store(nullptr); }
    bool HookInFlight() const;
    // Keeps a worker out of its hook for good; false while it is inside one.
    bool BarHooks(int worker);
    // The run's end is told once: true for whichever asks first, the watcher from inside its
    // hook or Stop for a watcher that has not come so far.
    bool ClaimEnd() { return m_endClaimed.exchange(1) == 0; }
    bool Detached() const { return m_target.load() == nullptr; }

    // Owned by the runner's thread: its list of given-up runs with a hook call in flight.
    EngineRun* m_nextRetired = nullptr;

private:
    static const long kRunnerBit = 1L << kWorkerCount;
    enum HookState { kOutOfHook = 0, kInHook = 1, kBarred = 2 };

    EngineRun(EngineProcess* target, OwnedHandle& stdoutRead, OwnedHandle& stderrRead,
              OwnedHandle& stopEvent);
    ~EngineRun() = default;
    void Release(long holder);

    // One bit per holder, so that each lets go exactly once, also for a terminated worker.
    std::atomic<long> m_holders{((1L << kWorkerCount) - 1) | kRunnerBit};
    std::atomic<long> m_stopped{0};
    std::atomic<long> m_endClaimed{0};
    std::atomic<EngineProcess*> m_target;
    std::atomic<long> m_hookState[kWorkerCount] = {};
    OwnedHandle m_hStdout;
    OwnedHandle m_hStderr;
    OwnedHandle m_hStopEvent;
    OwnedHandle m_hProcess;
};
