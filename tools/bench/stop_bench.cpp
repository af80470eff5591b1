// Times EngineProcess::Stop in four situations, for the benchmark report:
//   idle      a runner that was never started
//   running   a silent child that runs until it is terminated: both readers stay blocked
//             in a read until their bounded waits run out
//   ticking   a child that prints a line every second, as the engine does
//   held      a child whose own child keeps the output pipes open after the child has
//             been terminated (a child cannot ignore TerminateProcess, so this is the
//             nearest to one that will not go)
// Prints one line per case: "<case> <seconds>". The same program serves as the children.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/engine_process.h"
#include "framework/owned.h"
#include "tools/shared/start_self.h"

namespace {

// Signals once output has arrived on both pipes, so that Stop is timed with both readers
// running.
class SignallingRunner : public EngineProcess {
public:
    ~SignallingRunner() { Shutdown(); }
    bool WaitForOutput() const
    {
        HANDLE both[2] = {m_stdout.get(), m_stderr.get()};
        return WaitForMultipleObjects(2, both, TRUE, 10000) == WAIT_OBJECT_0;
    }

protected:
    void OnStdout(const char*) override { SetEvent(m_stdout.get()); }
    void OnStderr(const char*) override { SetEvent(m_stderr.get()); }

private:
    OwnedHandle m_stdout{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    OwnedHandle m_stderr{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

double TimeStop(EngineProcess& runner)
{
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    runner.Stop();
    QueryPerformanceCounter(&after);
    return double(after.QuadPart - before.QuadPart) / double(frequency.QuadPart);
}

std::string Self()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path));
    return path;
}

void Say(const char* text, DWORD which = STD_OUTPUT_HANDLE)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(which), text, DWORD(std::strlen(text)), &written, nullptr);
}

// The "held" child: starts a grandchild on our standard handles, says so, then waits.
int HoldPipe()
{
    StartSelf("linger 3000");
    Say("holding\r\n");
    Sleep(INFINITE);
    return 0;
}

int Tick()
{
    for (;;) {
        Say("tick\r\n");
        Sleep(1000);
    }
}

void Measure(const char* name, const std::string& childArguments)
{
    SignallingRunner runner;
    std::string commandLine = "\"" + Self() + "\" " + childArguments;
    if (runner.Start(commandLine.c_str(), 0) && runner.WaitForOutput()) {
        // The output is signalled from inside the hooks: give the readers (and a held
        // child's grandchild) time to go back into a read, or a reader that sees the stop
        // at its flag test ends at once and the figure comes out a second short.
        Sleep(300);
        std::printf("%s %.3f\n", name, TimeStop(runner));
    } else {
        std::printf("%s failed to start\n", name);
    }
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2)
        Say("started\r\n", STD_ERROR_HANDLE);
    if (argc == 3 && std::string(argv[1]) == "linger") {
        Say("lingering\r\n");
        Sleep(DWORD(std::atoi(argv[2])));
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "hold")
        return HoldPipe();
    if (argc == 2 && std::string(argv[1]) == "tick")
        return Tick();

    SignallingRunner idle;
    std::printf("idle %.3f\n", TimeStop(idle));
    std::fflush(stdout);
    Measure("running", "linger 60000");
    Measure("ticking", "tick");
    Measure("held", "hold");
    return 0;
}
