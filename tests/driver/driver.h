// The black-box driver: starts sprout.exe in a program folder of the test's own, finds its
// dialog, reads and presses its controls and collects its exit code. Every wait is bounded.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

// Directory of the running test executable, with a trailing backslash; the build puts
// sprout.exe, bt.exe and the test programs there.
std::string BinDir();

// A fresh, empty folder under the Windows temp directory, removed with everything in it
// when the object goes.
class TempDir {
public:
    explicit TempDir(const char* tag);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return m_path; }  // with a trailing backslash
    std::string File(const std::string& name) const { return m_path + name; }

private:
    std::string m_path;
};

bool CopyFromBin(const std::string& name, const std::string& toPath);
bool WriteFile(const std::string& path, const std::string& bytes);
bool ReadFile(const std::string& path, std::string* bytes);
bool FileExists(const std::string& path);

// Waits until predicate() holds, polling every few milliseconds, at most timeoutMs.
template <typename Predicate>
bool WaitUntil(Predicate predicate, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (predicate())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return predicate();
        Sleep(10);
    }
}

class SproutProcess {
public:
    SproutProcess() = default;
    ~SproutProcess();  // kills a process still running, so a failed test leaves none behind
    SproutProcess(const SproutProcess&) = delete;
    SproutProcess& operator=(const SproutProcess&) = delete;

    // Runs exePath with `arguments` as everything after the program name, in workDir.
    bool Launch(const std::string& exePath, const std::string& arguments,
                const std::string& workDir);
    // The visible dialog of the process, or null when none shows up in time.
    HWND WaitForDialog(DWORD timeoutMs = 10000);
    HWND Dialog() const { return m_dialog; }
    // True when the process ended in time; its exit code goes to *exitCode.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    bool IsRunning() const;
    DWORD ProcessId() const { return m_info.dwProcessId; }
    HANDLE Process() const { return m_info.hProcess; }

    std::string Title() const;
    std::string ControlText(int controlId) const;
    HWND Control(int controlId) const { return GetDlgItem(m_dialog, controlId); }
    // Posts the button's command, as a click does, without waiting for it to be handled.
    void Press(int controlId) const;
    // Sends a message and waits for the dialog to handle it (at most timeoutMs).
    bool SendToDialog(UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs = 5000) const;
    // Waits until the control shows `text`.
    bool WaitForText(int controlId, const std::string& text, DWORD timeoutMs = 10000) const;

private:
    PROCESS_INFORMATION m_info = {};
    HWND m_dialog = nullptr;
};

// A visible top-level window of the process whose class is className (case aside), other than
// `except`; null when there is none.
HWND FindVisibleWindow(DWORD processId, const char* className, HWND except = nullptr);

// Window text of any window, read through WM_GETTEXT with a time-out.
std::string WindowText(HWND window);

// The handles a process holds, counted in the system-wide handle list, since Wine answers
// GetProcessHandleCount with 0; 0 when the list cannot be read.
DWORD HandleCountOf(DWORD processId);

}  // namespace driver
