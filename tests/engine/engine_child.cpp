// The child the runner's tests start. Its arguments are commands, run in order:
//   out TEXT / err TEXT   TEXT and a line feed to standard output / error
//   bytes N               N bytes of letters to standard output in one write
//   nul                   "ab", a NUL byte and "cd" to standard output in one write
//   pid                   "pid <its process id>"
//   startup               "show=<wShowWindow> flags=<dwFlags>" of its startup record
//   stdin                 one read of standard input, then "stdin data", "stdin eof" or
//                         "stdin error <code>"
//   ticks                 a "." to standard output and error every 20 ms, until a write fails
//   grandchild CMDS...    starts itself with the remaining commands (or "hang" when there
//                         are none) on the same standard handles, prints
//                         "grandchild <process id>" to standard output and error, and hangs
//                         (output written just before a child ends may be lost)
//   await NAME            waits (at most 20 s) until the named event is set
//   sleep MS, hang, exit N, crash (a write through a null pointer; the process ends with
//                         the access violation's code, without a debugger)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/shared/start_self.h"

namespace {

bool Write(DWORD which, const char* bytes, DWORD count)
{
    DWORD written = 0;
    return WriteFile(GetStdHandle(which), bytes, count, &written, nullptr) != FALSE;
}

void WriteLine(DWORD which, const std::string& text)
{
    std::string line = text + "\n";
    Write(which, line.data(), DWORD(line.size()));
}

void StartGrandchild(int argc, char** argv, int first)
{
    std::string commands = first < argc ? "" : "hang";
    for (int i = first; i < argc; ++i)
        commands += std::string(i > first ? " " : "") + argv[i];
    DWORD id = StartSelf(commands);
    std::string said = id ? "grandchild " + std::to_string(id) : "grandchild failed";
    WriteLine(STD_OUTPUT_HANDLE, said);
    if (id)
        WriteLine(STD_ERROR_HANDLE, said);
}

void ReportStdin()
{
    char byte;
    DWORD count = 0;
    if (ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &count, nullptr) && count > 0)
        WriteLine(STD_OUTPUT_HANDLE, "stdin data");
    else if (GetLastError() == ERROR_BROKEN_PIPE || count == 0)
        WriteLine(STD_OUTPUT_HANDLE, "stdin eof");
    else
        WriteLine(STD_OUTPUT_HANDLE, "stdin error " + std::to_string(GetLastError()));
}

LONG WINAPI EndWithoutDebugger(EXCEPTION_POINTERS*)
{
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::string command = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (command == "out") {
            WriteLine(STD_OUTPUT_HANDLE, value);
            ++i;
        } else if (command == "err") {
            WriteLine(STD_ERROR_HANDLE, value);
            ++i;
        } else if (command == "bytes") {
            std::string bytes(size_t(std::atoi(value)), 'a');
            for (size_t n = 0; n < bytes.size(); ++n)
                bytes[n] = char('a' + n % 26);
            Write(STD_OUTPUT_HANDLE, bytes.data(), DWORD(bytes.size()));
            ++i;
        } else if (command == "nul") {
            Write(STD_OUTPUT_HANDLE, "ab\0cd", 5);
        } else if (command == "pid") {
            WriteLine(STD_OUTPUT_HANDLE, "pid " + std::to_string(GetCurrentProcessId()));
        } else if (command == "startup") {
            STARTUPINFOA startup = {};
            startup.cb = sizeof(startup);
            GetStartupInfoA(&startup);
            char line[64];
            std::snprintf(line, sizeof(line), "show=%u flags=0x%lx", unsigned(startup.wShowWindow),
                          startup.dwFlags);
            WriteLine(STD_OUTPUT_HANDLE, line);
        } else if (command == "stdin") {
            ReportStdin();
        } else if (command == "ticks") {
            while (Write(STD_OUTPUT_HANDLE, ".", 1) && Write(STD_ERROR_HANDLE, ".", 1))
                Sleep(20);
        } else if (command == "grandchild") {
            StartGrandchild(argc, argv, i + 1);
            Sleep(INFINITE);
        } else if (command == "await") {
            HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, value);
            if (event) {
                WaitForSingleObject(event, 20000);
                CloseHandle(event);
            }
            ++i;
        } else if (command == "sleep") {
            Sleep(DWORD(std::atoi(value)));
            ++i;
        } else if (command == "hang") {
            Sleep(INFINITE);
        } else if (command == "exit") {
            ExitProcess(UINT(std::atoi(value)));
        } else if (command == "crash") {
            SetUnhandledExceptionFilter(EndWithoutDebugger);
            *static_cast<volatile int*>(nullptr) = 0;
        }
    }
    return 0;
}
