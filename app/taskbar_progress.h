// TaskbarProgress: shows the download on the program's taskbar button (Windows 7 on): normal
// progress while downloading, the error state after a failure, nothing otherwise. Where the
// taskbar interface does not exist nothing happens. Interface thread only (the interface
// belongs to its single-threaded apartment).
#pragma once

#include <windows.h>
#include <shobjidl.h>

class TaskbarProgress {
public:
    // Makes the taskbar interface, HrInit done; null where there is none. Tests put in a fake.
    using Factory = ITaskbarList3* (*)();
    static void SetFactoryForTesting(Factory factory);

    TaskbarProgress() = default;
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    // The message the shell sends once the window's button exists (registered at first use).
    static UINT ButtonCreatedMessage();
    // From then on the button shows the state; a re-created button gets it again.
    void OnButtonCreated(HWND window);

    void Downloading(int percent);
    // Only while downloading; a late report after a stop or failure changes nothing.
    void Progress(int percent);
    void Failed();
    void Clear();

private:
    enum State { kIdle, kDownloading, kFailed };
    void Apply();

    ITaskbarList3* m_taskbar = nullptr;  // owned: released by the destructor
    HWND m_hWindow = nullptr;
    State m_state = kIdle;
    int m_percent = 0;
};
