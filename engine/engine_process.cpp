#include "engine/engine_process.h"

#include "engine/engine_run.h"
#include "engine/start_failure_text.h"

namespace {

const DWORD kChunkBytes = 256;
const DWORD kBoundedWaitMs = 1000;

bool IsWin9xByVersion()
{
    return (GetVersion() & 0x80000000) != 0;
}

void CloseAndClear(HANDLE& handle)
{
    if (handle)
        CloseHandle(handle);
    handle = nullptr;
}

// Lets a reader blocked in a read go on to its flag test. The call exists from Vista on;
// on older systems such a reader ends when its read returns.
void CancelBlockedRead(HANDLE thread)
{
    using CancelSynchronousIoFn = BOOL(WINAPI*)(HANDLE);
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "CancelSynchronousIo");
    if (proc)
        reinterpret_cast<CancelSynchronousIoFn>(reinterpret_cast<void*>(proc))(thread);
}

}  // namespace

std::atomic<long> EngineProcess::s_running{0};
bool (*EngineProcess::s_isWin9xFamily)() = IsWin9xByVersion;

EngineProcess::EngineProcess()
    : m_hStopEvent(nullptr),
      m_hChildStdin(nullptr),
      m_hChildStdout(nullptr),
      m_hChildStderr(nullptr),
      m_hStdinWrite(nullptr),
      m_hStdoutRead(nullptr),
      m_hStderrRead(nullptr),
      m_hStdoutThread(nullptr),
      m_hStderrThread(nullptr),
      m_hWatchThread(nullptr),
      m_hProcess(nullptr),
      m_run(nullptr),
      m_retiredRuns(nullptr),
      m_shutDown(false)
{
    s_running.store(0);
}

EngineProcess::~EngineProcess()
{
    if (!m_shutDown)
        Shutdown();
}

void EngineProcess::SetFamilyTestForTesting(bool (*isWin9xFamily)())
{
    s_isWin9xFamily = isWin9xFamily ? isWin9xFamily : IsWin9xByVersion;
}

void EngineProcess::OnStarted(const char*) {}
void EngineProcess::OnStdout(const char*) {}
void EngineProcess::OnStderr(const char*) {}
void EngineProcess::OnTerminated() {}

int EngineProcess::Start(const char* commandLine, int showFlag)
{
    m_shutDown = false;
    ReleaseQuietRuns();

    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE stdinWrite = nullptr;
    HANDLE stdoutRead = nullptr;
    HANDLE stderrRead = nullptr;
    CreatePipe(&m_hChildStdin, &stdinWrite, &inheritable, 0);
    CreatePipe(&stdoutRead, &m_hChildStdout, &inheritable, 0);
    CreatePipe(&stderrRead, &m_hChildStderr, &inheritable, 0);

    // The runner's ends must not leak into the child, or its pipes would never break.
    HANDLE self = GetCurrentProcess();
    DuplicateHandle(self, stdinWrite, self, &m_hStdinWrite, 0, FALSE, DUPLICATE_SAME_ACCESS);
    DuplicateHandle(self, stdoutRead, self, &m_hStdoutRead, 0, FALSE, DUPLICATE_SAME_ACCESS);
    DuplicateHandle(self, stderrRead, self, &m_hStderrRead, 0, FALSE, DUPLICATE_SAME_ACCESS);
    CloseAndClear(stdinWrite);
    CloseAndClear(stdoutRead);
    CloseAndClear(stderrRead);

    m_hProcess = LaunchChild(commandLine, m_hChildStdout, m_hChildStdin, m_hChildStderr, showFlag);
    if (!m_hProcess) {
        char text[kStartFailureTextBytes];
        FormatStartFailure(commandLine, text);
        OnStdout(text);
        CloseAndClear(m_hChildStdin);
        CloseAndClear(m_hChildStdout);
        CloseAndClear(m_hChildStderr);
        return 0;
    }

    s_running.store(1);
    m_hStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_run = EngineRun::Create(this, m_hStdoutRead, m_hStderrRead, m_hStopEvent, m_hProcess);
    if (m_run) {
        m_hStdoutThread = StartWorker(StdoutReaderMain, kStdoutReader);
        m_hStderrThread = StartWorker(StderrReaderMain, kStderrReader);
        m_hWatchThread = StartWorker(WatcherMain, kWatcher);
    }
    OnStarted(commandLine);
    return 1;
}

HANDLE EngineProcess::LaunchChild(const char* commandLine, HANDLE childStdout, HANDLE childStdin,
                                  HANDLE childStderr, int showFlag)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = showFlag ? SW_SHOW : SW_HIDE;
    startup.hStdInput = childStdin;
    startup.hStdOutput = childStdout;
    startup.hStdError = childStderr;

    // Default security for the child on every family: a null DACL would let any process
    // of any user open it with every right. CreateProcessA leaves the command line alone
    // (only the wide version writes into it).
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, const_cast<char*>(commandLine), nullptr, nullptr, TRUE,
                        CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

HANDLE EngineProcess::StartWorker(LPTHREAD_START_ROUTINE main, int worker)
{
    DWORD threadId = 0;  // the 9x family refuses a null id pointer
    HANDLE thread = CreateThread(nullptr, 0, main, m_run, 0, &threadId);
    if (!thread)
        m_run->ReleaseWorker(worker);
    return thread;
}

DWORD WINAPI EngineProcess::StdoutReaderMain(void* run)
{
    ReadLoop(static_cast<EngineRun*>(run), kStdoutReader);
    return 0;
}

DWORD WINAPI EngineProcess::StderrReaderMain(void* run)
{
    ReadLoop(static_cast<EngineRun*>(run), kStderrReader);
    return 0;
}

DWORD WINAPI EngineProcess::WatcherMain(void* run)
{
    WatchLoop(static_cast<EngineRun*>(run));
    return 0;
}

// Worker thread. Uses only the run: its own copy of the read handle and its hook gate.
void EngineProcess::ReadLoop(EngineRun* run, int worker)
{
    HANDLE pipe = run->ReadHandle(worker);
    char buffer[kChunkBytes + 1];
    while (s_running.load() && !run->Stopped()) {
        DWORD count = 0;
        BOOL ok = ReadFile(pipe, buffer, kChunkBytes, &count, nullptr);
        if (!ok || count == 0) {
            if (GetLastError() == ERROR_BROKEN_PIPE)
                break;
            if (count == 0)
                continue;
        }
        buffer[count] = '\0';
        RaiseHook(run, worker, buffer);
    }
    run->ReleaseWorker(worker);
}

// Worker thread. Sleeps until the child ends or the run is stopped: Stop clears s_running and
// marks the run stopped before it signals the run's event, so the flag test after the wait
// sees the stop.
void EngineProcess::WatchLoop(EngineRun* run)
{
    HANDLE handles[2] = {run->StopEvent(), run->Process()};
    // Without an event (its creation failed) nothing would wake the watcher at a stop: it then
    // waits for the child alone, a millisecond at a time, to test the flag.
    HANDLE* waited = handles[0] ? handles : handles + 1;
    const DWORD count = handles[0] ? 2 : 1;
    const DWORD timeout = handles[0] ? INFINITE : 1;
    const DWORD childEnded = WAIT_OBJECT_0 + count - 1;
    while (s_running.load() && !run->Stopped()) {
        if (WaitForMultipleObjects(count, waited, FALSE, timeout) == childEnded) {
            // A run already given up must not clear the flag of a later one.
            if (!run->Stopped())
                s_running.store(0);
            break;
        }
    }
    RaiseHook(run, kWatcher, nullptr);
    run->ReleaseWorker(kWatcher);
}

void EngineProcess::RaiseHook(EngineRun* run, int worker, const char* text)
{
    EngineProcess* target = run->EnterHook(worker);
    if (!target)
        return;
    if (worker == kStdoutReader)
        target->OnStdout(text);
    else if (worker == kStderrReader)
        target->OnStderr(text);
    else
        target->OnTerminated();
    run->LeaveHook(worker);
}

void EngineProcess::Stop()
{
    s_running.store(0);
    if (m_run)
        m_run->SetStopped();
    if (m_hStopEvent)
        SetEvent(m_hStopEvent);
    Sleep(500);

    if (m_hWatchThread)
        WaitForSingleObject(m_hWatchThread, kBoundedWaitMs);
    CloseAndClear(m_hWatchThread);

    CloseAndClear(m_hChildStdin);
    CloseAndClear(m_hChildStdout);
    CloseAndClear(m_hChildStderr);
    Sleep(100);

    CloseAndClear(m_hStdinWrite);
    CloseAndClear(m_hStdoutRead);
    CloseAndClear(m_hStderrRead);
    Sleep(100);

    EndReader(m_hStdoutThread, kStdoutReader);
    EndReader(m_hStderrThread, kStderrReader);
    Sleep(100);

    if (m_hProcess) {
        DWORD exitCode = 0;
        if (GetExitCodeProcess(m_hProcess, &exitCode) && exitCode == STILL_ACTIVE) {
            TerminateProcess(m_hProcess, 1);
            WaitForSingleObject(m_hProcess, kBoundedWaitMs);
        }
    }
    CloseAndClear(m_hProcess);
    CloseAndClear(m_hStopEvent);
    RetireRun();
}

// On the 9x family a reader is terminated wherever it is; on the NT family it ends by
// itself, and one still blocked in a read when the wait runs out has that read cancelled
// (one that is inside its hook instead ends after the hook, on its run's stopped flag).
void EngineProcess::EndReader(HANDLE& thread, int worker)
{
    if (thread) {
        bool win9x = s_isWin9xFamily();
        if (win9x)
            TerminateThread(thread, 1);
        DWORD waited = WaitForSingleObject(thread, kBoundedWaitMs);
        if (win9x && waited == WAIT_OBJECT_0)
            m_run->ReleaseTerminatedWorker(worker);
        else if (!win9x && waited == WAIT_TIMEOUT)
            CancelBlockedRead(thread);
    }
    CloseAndClear(thread);
}

// Gives up the run Stop has ended: from here on its workers raise no hook. Once none of
// them is inside a hook, none ever will be again, and the workers alone keep the run; until
// then the runner keeps it too, for the destructor to wait on.
void EngineProcess::RetireRun()
{
    if (m_run) {
        m_run->Detach();
        m_run->m_nextRetired = m_retiredRuns;
        m_retiredRuns = m_run;
        m_run = nullptr;
    }
    ReleaseQuietRuns();
}

void EngineProcess::ReleaseQuietRuns()
{
    EngineRun** link = &m_retiredRuns;
    while (*link) {
        EngineRun* run = *link;
        if (run->HookInFlight()) {
            link = &run->m_nextRetired;
        } else {
            *link = run->m_nextRetired;
            run->ReleaseRunner();
        }
    }
}

bool EngineProcess::HookInFlight() const
{
    if (m_run && m_run->HookInFlight())
        return true;
    for (EngineRun* run = m_retiredRuns; run; run = run->m_nextRetired)
        if (run->HookInFlight())
            return true;
    return false;
}

// A hook may be waiting in SendMessage for a window of this thread: keep handling the
// messages sent to this thread while waiting, or neither side could go on.
void EngineProcess::WaitForHooksInFlight() const
{
    while (HookInFlight()) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
    }
}

void EngineProcess::Shutdown()
{
    if (m_run)
        m_run->Detach();
    WaitForHooksInFlight();
    // No hook can start any more: Stop gives every run back to its workers.
    Stop();
    m_shutDown = true;
}
