// TaskbarProgress: shows the download on the program's taskbar button (Windows 7 on): normal
// progress while downloading, the error state after a failure, nothing otherwise. Where the
// taskbar interface does not exist nothing happens. Interface thread only (the interface
// belongs to its single-threaded apartment).
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "framework/owned.h"

// Makes the taskbar interface, HrInit done; null where there is none. In a file of its own
// (taskbar_interface.cpp), so that a test can link a fake in its place.
ITaskbarList3* CreateTaskbarInterface();

class TaskbarProgress {
public:

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

    ComPtr<ITaskbarList3> m_taskbar;
    HWND m_hWindow = nullptr;
    State m_state = kIdle;
    int m_percent = 0;
};
