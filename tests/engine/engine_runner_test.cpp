// EngineProcess with real children: stopping an idle runner, a program that cannot start
// (with long command lines), a child that ends by itself, a child stopped while it runs, a
// watcher that starts late, and the error of each set-up step that fails.
#include "engine/engine_process.h"

#include <aclapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/driver/driver.h"
#include "tests/engine/recording_runner.h"
#include "tests/engine/system_seam.h"
#include "tests/gbk.h"

namespace {

// How long Stop blocks, in milliseconds; the tick count is too coarse for the lower bound.
DWORD StopMilliseconds(EngineProcess& runner)
{
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    runner.Stop();
    QueryPerformanceCounter(&after);
    return DWORD((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart);
}

bool Contains(const std::vector<DWORD>& ids, DWORD id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Whether the process's security descriptor has a DACL (a null DACL grants everyone all).
bool HasDacl(DWORD processId)
{
    HANDLE process = OpenProcess(READ_CONTROL, FALSE, processId);
    if (!process)
        return false;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD result = GetSecurityInfo(process, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, &dacl, nullptr, &descriptor);
    if (descriptor)
        LocalFree(descriptor);
    CloseHandle(process);
    return result == ERROR_SUCCESS && dacl != nullptr;
}

// The failure text for a command line as long as `length` (a missing program).
std::string FailureTextFor(RecordingRunner& runner, const std::string& commandLine)
{
    EXPECT_EQ(0, runner.Start(commandLine.c_str(), 0));
    std::string text = runner.Out();
    runner.Stop();
    return text;
}

}  // namespace

TEST(EngineProcess, StopOnANeverStartedRunnerCallsNoHookAndPausesItsFixedTime)
{
    RecordingRunner runner;
    for (int pass = 0; pass < 2; ++pass) {
        DWORD ms = StopMilliseconds(runner);
        EXPECT_GE(ms, 795u) << "pass " << pass;
        EXPECT_LT(ms, 4800u) << "pass " << pass;
    }
    EXPECT_EQ("", runner.Out());
    EXPECT_EQ("", runner.Err());
    EXPECT_EQ(0, runner.Started());
    EXPECT_EQ(0, runner.Terminated());
}

TEST(EngineProcess, AMissingProgramReportsOnTheCallingThreadAndStartsNothing)
{
    RecordingRunner runner;
    std::string commandLine = "\"C:\\sprout-no-such-folder\\bt.exe\" --minport 8888";
    size_t threadsBefore = OwnThreadIds().size();
    EXPECT_EQ(0, runner.Start(commandLine.c_str(), 0));
    EXPECT_TRUE(runner.StartError() == ERROR_PATH_NOT_FOUND || runner.StartError() == ERROR_FILE_NOT_FOUND)
        << runner.StartError();
    EXPECT_EQ(threadsBefore, OwnThreadIds().size());
    EXPECT_EQ("Unable to start " + commandLine + "\n", runner.Out());
    EXPECT_EQ(std::vector<DWORD>{GetCurrentThreadId()}, runner.StdoutThreads());
    EXPECT_EQ(0, runner.Started());
    runner.Stop();
    EXPECT_EQ(0, runner.Terminated());
    EXPECT_EQ(1u, runner.OutChunks().size());
}

TEST(EngineProcess, TheFailureTextOfALongCommandLineIsCutToItsBufferOnACharacterBoundary)
{
    const std::string prefix = "Unable to start ";
    const std::string program = "\"C:\\sprout-no-such-folder\\bt.exe\" ";
    for (size_t length : {size_t(1024), size_t(32000)}) {
        RecordingRunner runner;
        std::string commandLine = program + std::string(length - program.size(), 'x');
        std::string text = FailureTextFor(runner, commandLine);
        ASSERT_EQ(255u, text.size()) << length;
        EXPECT_EQ(prefix + commandLine.substr(0, 238) + "\n", text) << length;
    }

    // 237 single bytes, then a two-byte character that would end one byte past the room.
    UseGbk gbk;
    RecordingRunner runner;
    std::string ascii = program + std::string(237 - program.size(), 'y');
    std::string text = FailureTextFor(runner, ascii + "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(prefix + ascii + "\n", text);
}

TEST(EngineProcess, AChildThatEndsByItselfDeliversItsOutputAndKeepsItsExitCode)
{
    struct Case {
        const char* commands;
        DWORD exitCode;
    };
    // What a child writes just before it ends may be lost, so the child ends only once the
    // test has seen all of it.
    HANDLE mayEnd = CreateEventA(nullptr, TRUE, FALSE, "Sprout.EngineTest.MayEnd");
    const std::string output =
        "pid out one out two err three out four await Sprout.EngineTest.MayEnd ";
    for (Case c : {Case{"exit 7", 7}, Case{"crash", 0xC0000005}}) {
        SCOPED_TRACE(c.commands);
        ResetEvent(mayEnd);
        RecordingRunner runner;
        std::string commandLine = ChildCommand(output + c.commands);
        ASSERT_EQ(1, runner.Start(commandLine.c_str(), 0));
        EXPECT_EQ(commandLine, runner.StartedWith());
        HANDLE child = runner.OpenChild();
        ASSERT_NE(nullptr, child);
        ASSERT_TRUE(runner.WaitForOut("four\n"));
        ASSERT_TRUE(runner.WaitForErr("three\n"));
        EXPECT_EQ(0, runner.Terminated());
        SetEvent(mayEnd);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 10000));
        ASSERT_TRUE(runner.WaitForTerminated());

        std::string out = runner.Out();
        EXPECT_EQ(out.find("pid "), 0u);
        EXPECT_NE(std::string::npos, out.find("\none\ntwo\nfour\n"));
        EXPECT_EQ("three\n", runner.Err());
        EXPECT_EQ(1, runner.Terminated());

        DWORD caller = GetCurrentThreadId();
        ASSERT_EQ(1u, runner.StdoutThreads().size());
        ASSERT_EQ(1u, runner.StderrThreads().size());
        ASSERT_EQ(1u, runner.TerminatedThreads().size());
        DWORD outThread = runner.StdoutThreads()[0];
        DWORD errThread = runner.StderrThreads()[0];
        DWORD watchThread = runner.TerminatedThreads()[0];
        EXPECT_NE(caller, outThread);
        EXPECT_NE(caller, errThread);
        EXPECT_NE(caller, watchThread);
        EXPECT_NE(outThread, errThread);
        EXPECT_NE(outThread, watchThread);
        EXPECT_NE(errThread, watchThread);

        runner.Stop();
        EXPECT_EQ(c.exitCode, ExitCodeOf(child, true));
        EXPECT_EQ(out, runner.Out());
        EXPECT_EQ(1, runner.Terminated());
        HANDLE reader = runner.StdoutReader();
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader, 0));
        EXPECT_EQ(0u, ExitCodeOf(reader, false));
        CloseHandle(child);
    }
    CloseHandle(mayEnd);
}

TEST(EngineProcess, StopEndsARunningChildWithExitCodeOneAfterOneTerminatedHook)
{
    RecordingRunner runner;
    ASSERT_EQ(1, runner.Start(ChildCommand("pid ticks").c_str(), 0));
    HANDLE child = runner.OpenChild();
    ASSERT_NE(nullptr, child);
    // Created with the default security, not with a null DACL.
    EXPECT_TRUE(HasDacl(runner.NumberAfter("pid")));
    ASSERT_TRUE(runner.WaitForErr("."));
    EXPECT_EQ(0, runner.Terminated());
    EXPECT_EQ(STILL_ACTIVE, ExitCodeOf(child, true));

    DWORD ms = StopMilliseconds(runner);
    EXPECT_GE(ms, 795u);
    EXPECT_LE(ms, 4900u);
    EXPECT_EQ(1, runner.Terminated());
    EXPECT_FALSE(Contains(runner.TerminatedThreads(), GetCurrentThreadId()));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 0));
    EXPECT_EQ(1u, ExitCodeOf(child, true));
    // On the NT family the readers end by themselves.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(runner.StdoutReader(), 2000));
    EXPECT_EQ(0u, ExitCodeOf(runner.StdoutReader(), false));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(runner.StderrReader(), 2000));
    EXPECT_EQ(0u, ExitCodeOf(runner.StderrReader(), false));
    CloseHandle(child);
}

TEST(EngineProcess, OnTerminatedComesOncePerRunHoweverLateTheWatcherStarts)
{
    // Stopped while the child runs, and stopped after it has ended by itself: either way the
    // watcher begins only once Stop has given its run up.
    for (const char* commands : {"pid ticks", "pid exit 3"}) {
        SCOPED_TRACE(commands);
        RecordingRunner runner;
        HoldWorkerThread(3);  // the watcher, started after both readers
        ASSERT_EQ(1, runner.Start(ChildCommand(commands).c_str(), 0));
        HANDLE child = runner.OpenChild();
        ASSERT_NE(nullptr, child);
        if (std::string(commands).find("exit") != std::string::npos) {
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 10000));
        }
        runner.Stop();
        EXPECT_EQ(1, runner.Terminated());
        EXPECT_EQ(std::vector<DWORD>{GetCurrentThreadId()}, runner.TerminatedThreads());

        HANDLE watcher = LetHeldThreadGo();
        ASSERT_NE(nullptr, watcher);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(watcher, 5000));
        EXPECT_EQ(1, runner.Terminated());
        CloseHandle(watcher);
        CloseHandle(child);
    }
}

TEST(EngineProcess, EachSetUpCallThatFailsMakesAFailedStartThatLeavesNothingBehind)
{
    const struct {
        SetUpCall call;
        int n;
    } faults[] = {{SetUpCall::kCreatePipe, 1},      {SetUpCall::kCreatePipe, 2},
                  {SetUpCall::kCreatePipe, 3},      {SetUpCall::kDuplicateHandle, 1},
                  {SetUpCall::kDuplicateHandle, 2}, {SetUpCall::kDuplicateHandle, 3},
                  {SetUpCall::kCreateEvent, 1},     {SetUpCall::kAllocation, 1}};
    std::string command = ChildCommand("out x hang");
    RecordingRunner runner;
    // A first run opens what the process keeps for good.
    ASSERT_EQ(1, runner.Start(command.c_str(), 0));
    runner.Stop();
    size_t threads = OwnThreadIds().size();
    DWORD handles = driver::HandleCountOf(GetCurrentProcessId());
    ASSERT_NE(0u, handles);

    for (const auto& fault : faults) {
        int index = static_cast<int>(&fault - faults);
        FailSetUpCall(fault.call, fault.n);
        RecordingRunner failing;
        EXPECT_EQ(0, failing.Start(command.c_str(), 0)) << index;
        FailSetUpCall(fault.call, 0);
        // The failed step's own error, never 0 ("The operation completed successfully").
        DWORD error = fault.call == SetUpCall::kAllocation ? DWORD(ERROR_NOT_ENOUGH_MEMORY)
                                                           : SetUpError(fault.call);
        EXPECT_EQ(error, failing.StartError()) << index;
        EXPECT_EQ("Unable to start " + command + "\n", failing.Out()) << index;
        EXPECT_EQ(0, failing.Started()) << index;
        EXPECT_EQ(threads, OwnThreadIds().size()) << index;
        // Nothing held past the failed Start but the recorder's handle to this thread.
        EXPECT_EQ(handles + 1, driver::HandleCountOf(GetCurrentProcessId())) << index;
        failing.Stop();
        EXPECT_EQ(0, failing.Terminated()) << index;
    }
    // Nothing of the failures sticks.
    ASSERT_EQ(1, runner.Start(command.c_str(), 0));
    EXPECT_TRUE(runner.WaitForOut("x\n"));
    runner.Stop();
}
