// EngineRun: what the worker threads of one run of EngineProcess use, so that no worker ever
// touches the runner itself. The runner and each worker hold it; whoever lets go last frees
// it, so a reader still blocked in a read after the runner has gone keeps valid handles.
#pragma once

#include <windows.h>

#include <atomic>

class EngineProcess;

enum EngineWorker { kStdoutReader = 0, kStderrReader = 1, kWatcher = 2, kWorkerCount = 3 };

class EngineRun {
public:
    // Copies the handles the workers use; held by the runner and all three workers.
    // Null when memory runs out.
    static EngineRun* Create(EngineProcess* target, HANDLE stdoutRead, HANDLE stderrRead,
                             HANDLE stopEvent, HANDLE process);
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

    // A worker lets go as its last act; the runner lets go with ReleaseRunner.
    void ReleaseWorker(int worker) { Release(1L << worker); }
    void ReleaseRunner() { Release(kRunnerBit); }
    // For a worker the runner has terminated and seen end: clears what it may have left.
    void ReleaseTerminatedWorker(int worker);

    HANDLE ReadHandle(int worker) const { return worker == kStdoutReader ? m_hStdout : m_hStderr; }
    HANDLE StopEvent() const { return m_hStopEvent; }
    HANDLE Process() const { return m_hProcess; }

    // The run's own end, besides EngineProcess's process-wide s_running: a worker of a run
    // that Stop has given up ends on it even while a later run has set s_running again.
    void SetStopped() { m_stopped.store(1); }
    bool Stopped() const { return m_stopped.load() != 0; }

    // The hook target, or null once detached. Between EnterHook and LeaveHook the worker is
    // marked as being in a hook, so that whoever detaches can wait until no call is left.
    EngineProcess* EnterHook(int worker);
    void LeaveHook(int worker) { m_inHook[worker].store(0); }
    void Detach() { m_target.store(nullptr); }
    bool HookInFlight() const;

    // Owned by the runner's thread: its list of given-up runs with a hook call in flight.
    EngineRun* m_nextRetired = nullptr;

private:
    static const long kRunnerBit = 1L << kWorkerCount;

    EngineRun(EngineProcess* target, HANDLE stdoutRead, HANDLE stderrRead, HANDLE stopEvent,
              HANDLE process);
    ~EngineRun();
    void Release(long holder);

    // One bit per holder, so that each lets go exactly once, also for a terminated worker.
    std::atomic<long> m_holders{((1L << kWorkerCount) - 1) | kRunnerBit};
    std::atomic<long> m_stopped{0};
    std::atomic<EngineProcess*> m_target;
    std::atomic<long> m_inHook[kWorkerCount] = {};
    HANDLE m_hStdout;
    HANDLE m_hStderr;
    HANDLE m_hStopEvent;
    HANDLE m_hProcess;
};
