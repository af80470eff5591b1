// Who owns what. The owner's thread (the one that constructs the runner and calls Start,
// Stop and the destructor) alone touches the runner's fields: the child's three pipe ends,
// the stdin write end and the three thread handles. Each run's read ends, stop event and
// child process belong to its EngineRun, which the owner's thread and the three workers
// share: the stdout reader, the stderr reader and the watcher use nothing but their run and
// s_running. A worker may call into the runner only between EnterHook and LeaveHook on its
// run; once Stop has given the run up (Detach) and no hook mark is set, no worker touches
// the runner again, and a worker touches its run only until ReleaseWorker, its last act.
#include "engine/engine_process.h"

#include "engine/engine_run.h"
#include "engine/engine_system.h"
#include "engine/start_failure_text.h"

namespace {

const DWORD kChunkBytes = 256;

// Stop's timing. The first pause lets the watcher deliver OnTerminated before any handle goes;
// the later ones let the child notice its closed pipes and the readers their broken reads.
// Every wait is bounded, so that a worker stuck in a hook cannot hold Stop: 0.8 s to 4.8 s.
// The pauses are kept even when there is nothing to stop, on purpose: Stop always takes as
// long as the sequence says.
const DWORD kWatcherPauseMs = 500;
const DWORD kPipePauseMs = 100;
const DWORD kBoundedWaitMs = 1000;

// Lets a reader blocked in a read go on to its flag test. The call exists from Vista on;
// on older systems such a reader ends when its read returns.
void CancelBlockedRead(HANDLE thread)
{
    using CancelSynchronousIoFn = BOOL(WINAPI*)(HANDLE);
    FARPROC proc = GetProcAddress(GetModuleHandleA("kernel32.dll"), "CancelSynchronousIo");
    if (proc)
        reinterpret_cast<CancelSynchronousIoFn>(reinterpret_cast<void*>(proc))(thread);
}

// The error of the system call that has just failed, taken before anything else can change
// it; never 0, which would tell the failure as success.
DWORD LastFailure()
{
    DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}

// One pipe: the child's end stays inheritable, the runner's end is a private copy, so that
// the child never holds the runner's end and its pipes break when it goes. Returns 0, or the
// error of the call that failed.
DWORD OpenPipe(OwnedHandle& childEnd, OwnedHandle& ownEnd, bool childReads)
{
    OwnedHandle readEnd;
    OwnedHandle writeEnd;
    if (!engine_system::CreateInheritablePipe(readEnd.put(), writeEnd.put()))
        return LastFailure();
    OwnedHandle& inheritableOwnEnd = childReads ? writeEnd : readEnd;
    if (!engine_system::DuplicateForSelf(inheritableOwnEnd.get(), ownEnd.put()))
        return LastFailure();
    childEnd = std::move(childReads ? readEnd : writeEnd);
    return 0;
}

}  // namespace

std::atomic<long> EngineProcess::s_running{0};

EngineProcess::EngineProcess() { s_running.store(0); }

EngineProcess::~EngineProcess()
{
    if (!m_shutDown)
        Shutdown();
}

void EngineProcess::OnStarted(const char*) {}
void EngineProcess::OnStdout(const char*) {}
void EngineProcess::OnStderr(const char*) {}
void EngineProcess::OnTerminated() {}

int EngineProcess::Start(const char* commandLine, int showFlag)
{
    m_shutDown = false;
    ReleaseQuietRuns();
    if (!PrepareRun(commandLine, showFlag)) {
        char text[kStartFailureTextBytes];
        FormatStartFailure(commandLine, text);
        OnStdout(text);
        return 0;
    }
    s_running.store(1);
    m_hStdoutThread.reset(StartWorker(StdoutReaderMain, kStdoutReader));
    m_hStderrThread.reset(StartWorker(StderrReaderMain, kStderrReader));
    m_hWatchThread.reset(StartWorker(WatcherMain, kWatcher));
    OnStarted(commandLine);
    return 1;
}

// Pipes, stop event and run first, the child last: a failure anywhere leaves nothing behind
// and no child running.
bool EngineProcess::PrepareRun(const char* commandLine, int showFlag)
{
    OwnedHandle childStdin, childStdout, childStderr, stdinWrite, stdoutRead, stderrRead;
    m_startError = OpenPipe(childStdin, stdinWrite, true);
    if (!m_startError)
        m_startError = OpenPipe(childStdout, stdoutRead, false);
    if (!m_startError)
        m_startError = OpenPipe(childStderr, stderrRead, false);
    if (m_startError)
        return false;
    OwnedHandle stopEvent(engine_system::CreateStopEvent());
    if (!stopEvent) {
        m_startError = LastFailure();
        return false;
    }
    EngineRun* run = EngineRun::Create(this, stdoutRead, stderrRead, stopEvent);
    if (!run) {
        m_startError = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    OwnedHandle process(LaunchChild(commandLine, childStdout.get(), childStdin.get(),
                                    childStderr.get(), showFlag));
    if (!process) {
        m_startError = LastFailure();
        run->Discard();
        return false;
    }
    run->AdoptProcess(process);
    m_run = run;
    // Kept for the whole run on purpose, beside the child's own copies: the readers see no
    // end of file when the child ends, only once Stop has closed these too.
    m_hChildStdin = std::move(childStdin);
    m_hChildStdout = std::move(childStdout);
    m_hChildStderr = std::move(childStderr);
    m_hStdinWrite = std::move(stdinWrite);
    return true;
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

    // Default security for the child on every family, on purpose, not a null DACL: that
    // would let any process of any user open it (and its pipes) with every right.
    // CreateProcessA leaves the command line alone (only the wide version writes into it).
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, const_cast<char*>(commandLine), nullptr, nullptr, TRUE,
                        CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

HANDLE EngineProcess::StartWorker(LPTHREAD_START_ROUTINE main, int worker)
{
    HANDLE thread = engine_system::StartThread(main, m_run);
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
    // Start has made sure there is a stop event. A failed wait counts as the child's end
    // rather than letting the loop spin.
    HANDLE handles[2] = {run->StopEvent(), run->Process()};
    while (s_running.load() && !run->Stopped()) {
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
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
    else if (run->ClaimEnd())  // claimed inside the hook, so Stop sees it before it detaches
        target->TellEnd(run);
    run->LeaveHook(worker);
}

void EngineProcess::TellEnd(EngineRun* run)
{
    // Read while the run still holds its copy of the process handle; a run that was stopped
    // finds the child still running (Stop ends it only later).
    DWORD exitCode = STILL_ACTIVE;
    if (!GetExitCodeProcess(run->Process(), &exitCode))
        exitCode = STILL_ACTIVE;
    m_childExitCode = exitCode;
    OnTerminated();
}

void EngineProcess::Stop()
{
    s_running.store(0);
    if (m_run) {
        m_run->SetStopped();
        SetEvent(m_run->StopEvent());
    }
    Sleep(kWatcherPauseMs);

    if (m_hWatchThread)
        WaitForSingleObject(m_hWatchThread.get(), kBoundedWaitMs);
    m_hWatchThread.reset();
    // A watcher that has not reached its hook by now (started late, or not at all) would find
    // its run given up: the run's end is told here instead, on this thread, still once.
    if (m_run && !m_run->Detached() && m_run->ClaimEnd())
        TellEnd(m_run);

    m_hChildStdin.reset();
    m_hChildStdout.reset();
    m_hChildStderr.reset();
    Sleep(kPipePauseMs);

    // The read ends are the run's: a reader keeps its own until it ends.
    m_hStdinWrite.reset();
    Sleep(kPipePauseMs);

    EndReader(m_hStdoutThread, kStdoutReader);
    EndReader(m_hStderrThread, kStderrReader);
    Sleep(kPipePauseMs);

    HANDLE process = m_run ? m_run->Process() : nullptr;
    DWORD exitCode = 0;
    if (process && GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, kBoundedWaitMs);
    }
    RetireRun();
}

// On the 9x family a reader is terminated, but never inside its hook (it may hold the heap's
// lock there): Stop first bars it from its hook, waiting within the bound for it to leave,
// and a reader that stays in its hook is left to end after it, on its run's stopped flag.
// On the NT family a reader ends by itself, and one still blocked in a read when the wait
// runs out has that read cancelled.
void EngineProcess::EndReader(OwnedHandle& thread, int worker)
{
    if (thread) {
        DWORD start = GetTickCount();
        bool terminated = false;
        if (engine_system::IsWin9xFamily()) {
            while (!m_run->BarHooks(worker) && GetTickCount() - start < kBoundedWaitMs)
                Sleep(1);
            terminated = m_run->BarHooks(worker) && TerminateThread(thread.get(), 1);
        }
        DWORD spent = GetTickCount() - start;
        DWORD waited = WaitForSingleObject(thread.get(),
                                           spent < kBoundedWaitMs ? kBoundedWaitMs - spent : 0);
        if (terminated && waited == WAIT_OBJECT_0)
            m_run->ReleaseTerminatedWorker(worker);
        else if (!terminated && waited == WAIT_TIMEOUT)
            CancelBlockedRead(thread.get());
    }
    thread.reset();
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

void EngineProcess::ReleaseQuietRuns(bool evenInHook)
{
    EngineRun** link = &m_retiredRuns;
    while (*link) {
        EngineRun* run = *link;
        if (!evenInHook && run->HookInFlight()) {
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
void EngineProcess::WaitForHooksInFlight(DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (HookInFlight() && (timeoutMs == INFINITE || GetTickCount() - start < timeoutMs)) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
    }
}

// The engine goes first, within Stop's bounds: a hook may be waiting for it to end. Then the
// hooks still in flight get one bounded wait, in which this thread serves the messages they
// send it, which is all that the program's hooks wait for. A hook held longer by anything
// else is left behind, as Stop leaves a reader it cannot end: the owner is not kept from
// going.
void EngineProcess::Shutdown()
{
    if (m_run)
        m_run->Detach();
    Stop();
    WaitForHooksInFlight(kBoundedWaitMs);
    // No hook can start any more: every run goes back to its workers.
    ReleaseQuietRuns(true);
    m_shutDown = true;
}
