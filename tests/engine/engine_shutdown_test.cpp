// The end of runs and runners: Stop's 9x path, the handles a run gives back, and destroying
// a runner while its workers are still busy (a grandchild holding the output pipe, a hook
// waiting in SendMessage for the owner's thread, a hook waiting for the child or for
// something else, a reader given up inside its hook).
#include "engine/engine_process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "tests/driver/driver.h"
#include "tests/engine/recording_runner.h"
#include "tests/engine/system_seam.h"

namespace {

HANDLE CopyOf(HANDLE handle)
{
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    return copy;
}

HANDLE OpenGrandchild(const RecordingRunner& runner)
{
    DWORD pid = runner.NumberAfter("grandchild", true);
    return pid ? OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid) : nullptr;
}

// Memory for a runner that the test destroys and then poisons, so that any later touch of
// the object by a worker would crash the test or show up as changed bytes.
struct PoisonedStorage {
    static const unsigned char kPoison = 0xDD;
    template <typename Runner>
    void Destroy(Runner* runner)
    {
        runner->~Runner();
        std::memset(bytes, kPoison, sizeof(bytes));
    }
    bool StillPoisoned() const
    {
        for (unsigned char byte : bytes)
            if (byte != kPoison)
                return false;
        return true;
    }
    alignas(8) unsigned char bytes[1024];
};

// Counts hook calls that reach the object after its destructor has begun.
std::atomic<int> g_lateHooks{0};

class GuardedRunner : public RecordingRunner {
public:
    // From here on every hook that reaches this object counts as late.
    ~GuardedRunner()
    {
        m_alive = false;
        Shutdown();
    }

protected:
    void OnStdout(const char* text) override
    {
        if (!m_alive)
            ++g_lateHooks;
        RecordingRunner::OnStdout(text);
    }
    void OnStderr(const char* text) override
    {
        if (!m_alive)
            ++g_lateHooks;
        RecordingRunner::OnStderr(text);
    }
    void OnTerminated() override
    {
        if (!m_alive)
            ++g_lateHooks;
        RecordingRunner::OnTerminated();
    }

private:
    std::atomic<bool> m_alive{true};
};

// Every stdout chunk is handed to a window of the test's thread with SendMessage.
const UINT kChunkMessage = WM_APP + 7;
std::atomic<int> g_chunkMessages{0};

LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kChunkMessage) {
        ++g_chunkMessages;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND CreateSink()
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = SinkProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SproutEngineTestSink";
    RegisterClassA(&windowClass);
    return CreateWindowA("SproutEngineTestSink", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         windowClass.hInstance, nullptr);
}

class SendingRunner : public GuardedRunner {
public:
    SendingRunner(HWND sink, HANDLE sending) : m_sink(sink), m_sending(sending) {}

protected:
    void OnStdout(const char* text) override
    {
        GuardedRunner::OnStdout(text);
        SetEvent(m_sending);
        SendMessageA(m_sink, kChunkMessage, 0, 0);
    }

private:
    HWND m_sink;
    HANDLE m_sending;
};

// The first stdout chunk keeps its reader inside the hook until the test lets it go.
class BlockingRunner : public RecordingRunner {
public:
    BlockingRunner()
        : m_entered(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
          m_release(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~BlockingRunner()
    {
        SetEvent(m_release);
        Shutdown();
        CloseHandle(m_entered);
        CloseHandle(m_release);
    }
    bool WaitUntilBlocked() const { return WaitForSingleObject(m_entered, 5000) == WAIT_OBJECT_0; }
    void Release() { SetEvent(m_release); }
    DWORD BlockedThread() const { return m_blockedThread.load(); }
    int CallsAfterRelease() const { return m_callsAfterRelease.load(); }
    bool BlockedCallReturned() const { return m_blockedCallReturned.load() != 0; }
    using EngineProcess::WaitForHooksInFlight;

protected:
    void OnStdout(const char* text) override
    {
        RecordingRunner::OnStdout(text);
        if (WaitForSingleObject(m_release, 0) == WAIT_OBJECT_0) {
            if (GetCurrentThreadId() == m_blockedThread.load())
                ++m_callsAfterRelease;
            return;
        }
        if (m_blockedThread.load() == 0) {
            m_blockedThread.store(GetCurrentThreadId());
            SetEvent(m_entered);
            WaitForSingleObject(m_release, 10000);
            m_blockedCallReturned.store(1);
        }
    }

private:
    HANDLE m_entered;
    HANDLE m_release;
    std::atomic<DWORD> m_blockedThread{0};
    std::atomic<int> m_callsAfterRelease{0};
    std::atomic<int> m_blockedCallReturned{0};
};

// Once armed, the next stdout chunk waits in its hook for a handle (at most 20 s) and tells
// through a global whether the handle came before the time ran out: the hook may outlive
// the runner.
std::atomic<int> g_awaitedInHook{-1};

class AwaitingRunner final : public RecordingRunner {
public:
    AwaitingRunner() : m_awaiting(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~AwaitingRunner()
    {
        Shutdown();
        CloseHandle(m_awaiting);
    }
    // The hook waits for its own copy of `handle`.
    bool AwaitInHook(HANDLE handle)
    {
        m_handle.store(CopyOf(handle));
        return WaitForSingleObject(m_awaiting, 5000) == WAIT_OBJECT_0;
    }

protected:
    void OnStdout(const char* text) override
    {
        RecordingRunner::OnStdout(text);
        HANDLE handle = m_handle.exchange(nullptr);
        if (!handle)
            return;
        SetEvent(m_awaiting);
        g_awaitedInHook = WaitForSingleObject(handle, 20000) == WAIT_OBJECT_0;
        CloseHandle(handle);
    }

private:
    HANDLE m_awaiting;
    std::atomic<HANDLE> m_handle{nullptr};
};

}  // namespace

TEST(EngineShutdown, DestroyingARunnerStopsTheEngineFirstAndBoundsItsWaitForAHook)
{
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // A hook that waits for the engine to end, and one that waits for something else.
    for (bool onChild : {true, false}) {
        SCOPED_TRACE(onChild ? "hook awaits the child" : "hook awaits an event");
        g_awaitedInHook = -1;
        auto* runner = new AwaitingRunner;
        ASSERT_EQ(1, runner->Start(ChildCommand("pid ticks").c_str(), 0));
        HANDLE child = runner->OpenChild();
        ASSERT_NE(nullptr, child);
        ASSERT_TRUE(runner->AwaitInHook(onChild ? child : never));

        DWORD start = GetTickCount();
        delete runner;
        DWORD ms = GetTickCount() - start;
        // Stop's own bound and one bounded wait for the hook, far from the hook's 20 s.
        EXPECT_LT(ms, 4800u + 1000u + 500u);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 0));
        if (onChild) {
            EXPECT_EQ(1, g_awaitedInHook.load());
        } else {
            EXPECT_EQ(-1, g_awaitedInHook.load());
            SetEvent(never);
            EXPECT_TRUE(driver::WaitUntil([] { return g_awaitedInHook.load() == 1; }, 5000));
            ResetEvent(never);
        }
        CloseHandle(child);
    }
    CloseHandle(never);
}

TEST(EngineShutdown, OnThe9xFamilyStopTerminatesBothReaders)
{
    Win9xFamily win9x;
    RecordingRunner runner;
    ASSERT_EQ(1, runner.Start(ChildCommand("pid out x err y hang").c_str(), 0));
    HANDLE child = runner.OpenChild();
    ASSERT_NE(nullptr, child);
    ASSERT_TRUE(runner.WaitForOut("x\n"));
    ASSERT_TRUE(runner.WaitForErr("y\n"));
    runner.Stop();

    // Both were blocked in a read: ended by TerminateThread's exit code, not by themselves.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(runner.StdoutReader(), 0));
    EXPECT_EQ(1u, ExitCodeOf(runner.StdoutReader(), false));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(runner.StderrReader(), 0));
    EXPECT_EQ(1u, ExitCodeOf(runner.StderrReader(), false));
    EXPECT_EQ(1, runner.Terminated());
    EXPECT_EQ(1u, ExitCodeOf(child, true));
    CloseHandle(child);
}

TEST(EngineShutdown, EveryRunGivesBackAllItsHandlesOnBothFamilies)
{
    RecordingRunner runner;
    // The first run opens what the process keeps (and the recorder's two thread handles).
    ASSERT_EQ(1, runner.Start(ChildCommand("out x err y ticks").c_str(), 0));
    ASSERT_TRUE(runner.WaitForErr("y\n"));
    ASSERT_TRUE(runner.WaitForOut("x\n"));
    runner.Stop();
    DWORD baseline = driver::HandleCountOf(GetCurrentProcessId());

    // No SCOPED_TRACE here: GoogleTest's per-thread trace keeps handles of its own.
    for (bool win9x : {false, true}) {
        const char* family = win9x ? "9x family" : "NT family";
        {
            std::unique_ptr<Win9xFamily> claim(win9x ? new Win9xFamily : nullptr);
            ASSERT_EQ(1, runner.Start(ChildCommand("out x err y hang").c_str(), 0));
            EXPECT_GT(driver::HandleCountOf(GetCurrentProcessId()), baseline) << family;
            runner.Stop();
        }
        // A reader whose read Stop has cancelled lets go of the run's last handles itself.
        EXPECT_TRUE(driver::WaitUntil([&] { return driver::HandleCountOf(GetCurrentProcessId()) == baseline; }, 3000))
            << family << ": " << driver::HandleCountOf(GetCurrentProcessId()) << " handles, " << baseline << " before";
    }
    // A failed start, too, once Stop has run.
    ASSERT_EQ(0, runner.Start("\"C:\\sprout-no-such-folder\\bt.exe\"", 0));
    runner.Stop();
    EXPECT_EQ(baseline, driver::HandleCountOf(GetCurrentProcessId()));
}

TEST(EngineShutdown, NoHookReachesADestroyedRunnerWhileAGrandchildHoldsItsPipes)
{
    g_lateHooks = 0;
    PoisonedStorage storage;
    static_assert(sizeof(GuardedRunner) <= sizeof(storage.bytes), "room for the runner");
    auto* runner = new (storage.bytes) GuardedRunner;

    // The child leaves a grandchild on its pipes that, once Stop has closed the runner's
    // end of its standard input, writes again: into a runner that is being destroyed.
    ASSERT_EQ(1, runner->Start(
                     ChildCommand("out ready err ready grandchild stdin out late err late hang")
                         .c_str(),
                     0));
    ProcessGuard grandchild(OpenGrandchild(*runner));
    ASSERT_NE(nullptr, grandchild.Get());
    ASSERT_TRUE(runner->WaitForErr("ready\n"));
    HANDLE readers[2] = {CopyOf(runner->StdoutReader()), CopyOf(runner->StderrReader())};

    storage.Destroy(runner);
    EXPECT_EQ(0, g_lateHooks.load());

    // The grandchild outlives the runner; once it has gone, no reader is left.
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(grandchild.Get(), 0));
    TerminateProcess(grandchild.Get(), 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(grandchild.Get(), 5000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, readers, TRUE, 5000));
    EXPECT_TRUE(storage.StillPoisoned());
    EXPECT_EQ(0, g_lateHooks.load());
    for (HANDLE reader : readers)
        CloseHandle(reader);
}

TEST(EngineShutdown, DestroyingTheRunnerHandlesAHookWaitingInSendMessageForItsThread)
{
    g_lateHooks = 0;
    g_chunkMessages = 0;
    HWND sink = CreateSink();
    ASSERT_NE(nullptr, sink);
    HANDLE sending = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PoisonedStorage storage;
    static_assert(sizeof(SendingRunner) <= sizeof(storage.bytes), "room for the runner");
    auto* runner = new (storage.bytes) SendingRunner(sink, sending);
    ASSERT_EQ(1, runner->Start(ChildCommand("ticks").c_str(), 0));

    // This thread handles no message until the destructor does: the reader waits in
    // SendMessage inside its hook.
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(sending, 5000));
    EXPECT_EQ(0, g_chunkMessages.load());
    storage.Destroy(runner);
    EXPECT_EQ(1, g_chunkMessages.load());

    // Nothing more arrives once it has gone.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    EXPECT_EQ(1, g_chunkMessages.load());
    EXPECT_TRUE(storage.StillPoisoned());
    EXPECT_EQ(0, g_lateHooks.load());
    DestroyWindow(sink);
    CloseHandle(sending);
}

TEST(EngineShutdown, AReaderGivenUpInsideItsHookEndsOnItsOwnRunWhileTheNextRunGoesOn)
{
    BlockingRunner runner;
    // The child leaves a grandchild that keeps writing into the first run's pipes.
    ASSERT_EQ(1, runner.Start(ChildCommand("out first grandchild ticks").c_str(), 0));
    ASSERT_TRUE(runner.WaitUntilBlocked());
    ProcessGuard grandchild(OpenGrandchild(runner));
    ASSERT_NE(nullptr, grandchild.Get());
    HANDLE staleReader = CopyOf(runner.StdoutReader());
    runner.Stop();
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(staleReader, 0));

    ASSERT_EQ(1, runner.Start(ChildCommand("out second ticks").c_str(), 0));
    ASSERT_TRUE(runner.WaitForOut("second\n"));
    runner.Release();
    // The second run is in progress, the first run's pipe still delivers dots: the stale
    // reader ends all the same, on its own run's end, without another hook call.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(staleReader, 2000));
    EXPECT_EQ(0, runner.CallsAfterRelease());
    EXPECT_TRUE(runner.WaitForOut("second\n."));
    runner.Stop();
    CloseHandle(staleReader);
}

DWORD WINAPI ReleaseRunner(void* runner)
{
    static_cast<BlockingRunner*>(runner)->Release();
    return 0;
}

TEST(EngineShutdown, WaitingForHooksInFlightCoversAHookThatStopGaveUp)
{
    BlockingRunner runner;
    ASSERT_EQ(1, runner.Start(ChildCommand("out first ticks").c_str(), 0));
    ASSERT_TRUE(runner.WaitUntilBlocked());
    runner.Stop();
    EXPECT_FALSE(runner.BlockedCallReturned());

    // Released from elsewhere, as a window of this thread would release a hook waiting in
    // SendMessage; the wait must not return before that hook has.
    HANDLE releaser = CreateThread(nullptr, 0, ReleaseRunner, &runner, 0, nullptr);
    ASSERT_NE(nullptr, releaser);
    runner.WaitForHooksInFlight();
    EXPECT_TRUE(runner.BlockedCallReturned());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(releaser, 5000));
    CloseHandle(releaser);
}

TEST(EngineShutdown, OnThe9xFamilyStopNeverTerminatesAReaderInsideItsHook)
{
    Win9xFamily win9x;
    BlockingRunner runner;
    ASSERT_EQ(1, runner.Start(ChildCommand("out first hang").c_str(), 0));
    ASSERT_TRUE(runner.WaitUntilBlocked());
    HANDLE reader = CopyOf(runner.StdoutReader());
    runner.Stop();

    // Still in its hook, not killed there: it ends by itself once the hook returns.
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(reader, 0));
    runner.Release();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader, 5000));
    EXPECT_TRUE(runner.BlockedCallReturned());
    EXPECT_EQ(0u, ExitCodeOf(reader, false));
    CloseHandle(reader);
}
