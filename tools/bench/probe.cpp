// Measures a GUI program from outside, for the benchmark report:
//   probe startup <exe> <arguments>          ms from CreateProcess to its dialog being visible
//   probe hold <press-id> <exe> <arguments>  starts the program, waits for its dialog, presses
//                                            the button (press-id 0: nothing), prints "ready",
//                                            then keeps it running until a line (or the end) of
//                                            standard input, and prints "ok" if it ran throughout
// The caller reads the CPU time itself: Wine reports none for other processes. A press counts
// only when the button's text changes, and the run only when that text stays until the end.
// The program runs in its own folder; it is ended through its exit button (1005).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// The process's visible dialog, or null.
HWND FindVisibleDialog(DWORD processId)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
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
    HWND found = nullptr;
    while (!found && GetTickCount() - start < timeoutMs
           && WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        found = FindVisibleDialog(info.dwProcessId);
        if (!found)
            Sleep(1);
    }
    return found;
}

std::string ControlText(HWND dialog, int id)
{
    char text[128] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// Presses the button and waits, bounded, for its text to change; returns the new text.
std::string Press(HWND dialog, int id, DWORD timeoutMs)
{
    std::string before = ControlText(dialog, id);
    PostMessageA(dialog, WM_COMMAND, WPARAM(id), 0);
    DWORD start = GetTickCount();
    std::string now = before;
    while (now == before && GetTickCount() - start < timeoutMs) {
        Sleep(10);
        now = ControlText(dialog, id);
    }
    return now == before ? std::string() : now;
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

int Startup(const char* exe, const char* arguments)
{
    LARGE_INTEGER frequency, begin, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    PROCESS_INFORMATION info = {};
    if (!Launch(exe, arguments, &info))
        return 1;
    HWND dialog = WaitForDialog(info, 30000);
    QueryPerformanceCounter(&end);
    Finish(info, dialog);
    if (!dialog)
        return 1;
    std::printf("%.1f\n", double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart));
    return 0;
}

int Hold(int pressId, const char* exe, const char* arguments)
{
    PROCESS_INFORMATION info = {};
    if (!Launch(exe, arguments, &info))
        return 1;
    HWND dialog = WaitForDialog(info, 30000);
    if (!dialog) {
        Finish(info, nullptr);
        return 1;
    }
    std::string pressed;
    if (pressId) {
        pressed = Press(dialog, pressId, 5000);
        if (pressed.empty()) {
            std::printf("press had no effect\n");
            Finish(info, dialog);
            return 3;
        }
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof(line), stdin))
        line[0] = '\0';
    bool alive = WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT;
    bool kept = !pressId || ControlText(dialog, pressId) == pressed;
    std::printf(alive && kept ? "ok\n" : alive ? "press undone before the end\n" : "program ended\n");
    std::fflush(stdout);
    Finish(info, alive ? dialog : nullptr);
    return alive && kept ? 0 : 4;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::string(argv[1]) == "startup")
        return Startup(argv[2], argv[3]);
    if (argc >= 5 && std::string(argv[1]) == "hold")
        return Hold(std::atoi(argv[2]), argv[3], argv[4]);
    std::fprintf(stderr, "usage: probe startup <exe> <args> | probe hold <press-id> <exe> <args>\n");
    return 2;
}
