// What the runner's tests share: a runner that records every hook call with the thread it
// came on, the command lines of the test child, and handles to the threads and processes
// the tests watch.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "engine/engine_process.h"
#include "framework/owned.h"

// "<bin>\engine_child.exe" followed by the child's commands.
std::string ChildCommand(const std::string& commands);

// The ids of this process's threads.
std::vector<DWORD> OwnThreadIds();

// Terminates a process of the test's (a grandchild) when the test ends, however it ends.
class ProcessGuard {
public:
    explicit ProcessGuard(HANDLE process) : m_process(process) {}
    ~ProcessGuard();
    ProcessGuard(const ProcessGuard&) = delete;
    ProcessGuard& operator=(const ProcessGuard&) = delete;
    HANDLE Get() const { return m_process; }

private:
    HANDLE m_process;
};

// Exit code of a thread or process; STILL_ACTIVE while it runs.
DWORD ExitCodeOf(HANDLE threadOrProcess, bool isProcess);

class RecordingRunner : public EngineProcess {
public:
    ~RecordingRunner();
    using EngineProcess::StartError;

    std::string Out() const;
    std::string Err() const;
    std::vector<std::string> OutChunks() const;
    int Started() const;
    int Terminated() const;
    std::string StartedWith() const;
    // Threads each hook came on (each id once).
    std::vector<DWORD> StdoutThreads() const;
    std::vector<DWORD> StderrThreads() const;
    std::vector<DWORD> TerminatedThreads() const;
    // The threads that delivered the first stdout / stderr chunk, opened by the hook itself.
    HANDLE StdoutReader() const;
    HANDLE StderrReader() const;

    bool WaitForOut(const std::string& text, DWORD timeoutMs = 5000) const;
    bool WaitForErr(const std::string& text, DWORD timeoutMs = 5000) const;
    bool WaitForTerminated(DWORD timeoutMs = 5000) const;
    // The child's process, from the "pid <id>" line it prints; null when none came.
    HANDLE OpenChild(DWORD timeoutMs = 5000) const;
    // The number after "<key> " in standard output (or error), 0 when none came in time.
    DWORD NumberAfter(const std::string& key, bool onStderr = false, DWORD timeoutMs = 5000) const;

protected:
    void OnStarted(const char* commandLine) override;
    void OnStdout(const char* text) override;
    void OnStderr(const char* text) override;
    void OnTerminated() override;

private:
    // A copy of a field, taken under the lock.
    template <typename T>
    T Locked(const T& field) const
    {
        CriticalSectionLock lock(m_lock);
        return field;
    }

    mutable CriticalSection m_lock;
    std::string m_out;
    std::string m_err;
    std::vector<std::string> m_outChunks;
    std::string m_startedWith;
    int m_started = 0;
    int m_terminated = 0;
    std::vector<DWORD> m_stdoutThreads;
    std::vector<DWORD> m_stderrThreads;
    std::vector<DWORD> m_terminatedThreads;
    OwnedHandle m_stdoutReader;
    OwnedHandle m_stderrReader;
};
