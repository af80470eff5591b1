// EngineProcess: runs one child program with its standard input, output and error on
// anonymous pipes, hands what it writes to overridable hooks as it arrives, notices when it
// ends, and stops it with a bounded sequence of pauses and waits.
#pragma once

#include <windows.h>

#include <atomic>

#include "framework/owned.h"

class EngineRun;

class EngineProcess {
public:
    EngineProcess();
    // Makes the hooks inert, then stops. Not virtual: nothing deletes through a base pointer.
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Starts the child from a complete command line; showFlag non-zero shows its console.
    // Returns 1 when the child was created, 0 when not. Call only when no run is in progress.
    int Start(const char* commandLine, int showFlag);

    // The stop sequence: callable at any time, any number of times. Blocks 0.8 s to 4.8 s.
    void Stop();

protected:
    // Hooks, empty here. All but OnStarted (and the failed-start text) arrive on worker
    // threads; OnTerminated comes once per run, from Stop on its caller's thread when the
    // watcher has not begun in time.
    virtual void OnStarted(const char* commandLine);
    virtual void OnStdout(const char* text);
    virtual void OnStderr(const char* text);
    virtual void OnTerminated();

    // For a derived destructor that must see the runner stopped before its own members go:
    // makes the hooks inert, runs Stop, then waits, bounded, until no hook call is left in
    // flight. The base destructor then finds it done and does not stop a second time.
    void Shutdown();

    // Waits until no hook call of this runner's runs, current or given up, is left in
    // flight, or at most timeoutMs, handling the messages sent to this thread meanwhile. A
    // derived class whose hooks share state calls it before Start, so that a hook of a run
    // that Stop gave up never overlaps the hooks of the next run.
    void WaitForHooksInFlight(DWORD timeoutMs = INFINITE) const;

    // Inside OnTerminated: the child's exit code when it ended by itself, STILL_ACTIVE when
    // the run was stopped while it still ran.
    DWORD ChildExitCode() const { return m_childExitCode; }
    // After a Start that returned 0: the system's error code of the step that failed (a pipe,
    // the stop event, the run's memory or the process creation); never 0.
    DWORD StartError() const { return m_startError; }

private:
    static HANDLE LaunchChild(const char* commandLine, HANDLE childStdout, HANDLE childStdin,
                              HANDLE childStderr, int showFlag);
    static DWORD WINAPI StdoutReaderMain(void* run);
    static DWORD WINAPI StderrReaderMain(void* run);
    static DWORD WINAPI WatcherMain(void* run);
    static void ReadLoop(EngineRun* run, int worker);
    static void WatchLoop(EngineRun* run);
    static void RaiseHook(EngineRun* run, int worker, const char* text);
    void TellEnd(EngineRun* run);

    bool PrepareRun(const char* commandLine, int showFlag);
    HANDLE StartWorker(LPTHREAD_START_ROUTINE main, int worker);
    void EndReader(OwnedHandle& thread, int worker);
    void RetireRun();
    void ReleaseQuietRuns(bool evenInHook = false);
    bool HookInFlight() const;

    // Who owns and touches each field: see the top of engine_process.cpp.
    OwnedHandle m_hChildStdin;   // the child's three ends, held for the whole run
    OwnedHandle m_hChildStdout;
    OwnedHandle m_hChildStderr;
    OwnedHandle m_hStdinWrite;   // never written: the child's input neither flows nor ends
    OwnedHandle m_hStdoutThread;
    OwnedHandle m_hStderrThread;
    OwnedHandle m_hWatchThread;
    // The run in progress (from a successful Start to the Stop that ends it), which owns the
    // read ends, the stop event and the child; and the runs Stop has given up while one of
    // their workers was still inside a hook.
    EngineRun* m_run = nullptr;
    EngineRun* m_retiredRuns = nullptr;
    bool m_shutDown = false;  // Shutdown has run and nothing was started since
    DWORD m_childExitCode = STILL_ACTIVE;  // written just before OnTerminated, by its caller
    DWORD m_startError = 0;                // runner's thread only

    // A run is in progress; the signal on which the workers end. Stored only as 0 or 1.
    static std::atomic<long> s_running;
};
