// Measures a GUI program from outside, for the benchmark report:
//   probe startup <exe> <arguments>          ms from CreateProcess to its dialog being visible
//   probe cpu <seconds> <press-id> <exe> <arguments>
//                                            CPU seconds the process uses over that many seconds
//                                            after its dialog shows (press-id 0: press nothing)
// The program runs in its own folder; it is ended through its exit button (1005).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = {};
    GetClassNameA(window, className, sizeof(className));
    if (owner == search->processId && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

bool Launch(const std::string& exe, const std::string& arguments, PROCESS_INFORMATION* info)
{
    std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
    std::string commandLine = "\"" + exe + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, info) != 0;
}

HWND WaitForDialog(const PROCESS_INFORMATION& info, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    Search search = {info.dwProcessId, nullptr};
    while (!search.found && GetTickCount() - start < timeoutMs
           && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        EnumWindows(FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(1);
    }
    return search.found;
}

double CpuSeconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return -1;
    auto ticks = [](FILETIME t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) / 1e7;
}

void Finish(PROCESS_INFORMATION& info, HWND dialog)
{
    if (dialog)
        PostMessageA(dialog, WM_COMMAND, 1005, 0);
    if (WaitForSingleObject(info.hProcess, 15000) != WAIT_OBJECT_0)
        TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::string(argv[1]) == "startup") {
        LARGE_INTEGER frequency, begin, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&begin);
        PROCESS_INFORMATION info = {};
        if (!Launch(argv[2], argv[3], &info))
            return 1;
        HWND dialog = WaitForDialog(info, 30000);
        QueryPerformanceCounter(&end);
        Finish(info, dialog);
        if (!dialog)
            return 1;
        std::printf("%.1f\n", double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart));
        return 0;
    }
    if (argc >= 6 && std::string(argv[1]) == "cpu") {
        DWORD seconds = DWORD(std::atoi(argv[2]));
        int pressId = std::atoi(argv[3]);
        PROCESS_INFORMATION info = {};
        if (!Launch(argv[4], argv[5], &info))
            return 1;
        HWND dialog = WaitForDialog(info, 30000);
        if (!dialog) {
            Finish(info, nullptr);
            return 1;
        }
        if (pressId)
            PostMessageA(dialog, WM_COMMAND, WPARAM(pressId), 0);
        double before = CpuSeconds(info.hProcess);
        WaitForSingleObject(info.hProcess, seconds * 1000);
        double after = CpuSeconds(info.hProcess);
        Finish(info, dialog);
        std::printf("%.3f\n", after - before);
        return 0;
    }
    std::fprintf(stderr, "usage: probe startup <exe> <args> | probe cpu <seconds> <press-id> <exe> <args>\n");
    return 2;
}
