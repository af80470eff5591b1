// Times EngineProcess::Stop in three situations, for the benchmark report:
//   idle     a runner that was never started
//   running  a child that runs until it is terminated
//   held     a child whose own child keeps the output pipe open, so both readers stay
//            blocked until their bounded waits run out
// Prints one line per case: "<case> <seconds>". The same program serves as the children.
#include <windows.h>

#include <cstdio>
#include <string>

#include "engine/engine_process.h"

namespace {

class QuietRunner : public EngineProcess {};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

double TimeStop(EngineProcess& runner)
{
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    runner.Stop();
    QueryPerformanceCounter(&after);
    return Seconds(before, after);
}

std::string Self()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path));
    return path;
}

// The "held" child: starts a grandchild that inherits our standard handles, then waits.
int HoldPipe()
{
    std::string commandLine = "\"" + Self() + "\" linger 8000";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    Sleep(INFINITE);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "linger") {
        Sleep(DWORD(atoi(argv[2])));
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "hold")
        return HoldPipe();

    QuietRunner idle;
    std::printf("idle %.3f\n", TimeStop(idle));

    std::string running = "\"" + Self() + "\" linger 60000";
    QuietRunner runner;
    if (runner.Start(running.c_str(), 0))
        std::printf("running %.3f\n", TimeStop(runner));

    std::string held = "\"" + Self() + "\" hold";
    QuietRunner holder;
    if (holder.Start(held.c_str(), 0)) {
        Sleep(300);  // let the child start its grandchild
        std::printf("held %.3f\n", TimeStop(holder));
    }
    std::fflush(stdout);
    return 0;
}
