#include "app/taskbar_progress.h"

namespace {

// The two identities, here rather than from the uuid library, whose one object brings every
// GUID of the platform along.
const CLSID kTaskbarListClass = {0x56fdf344, 0xfd6d, 0x11d0,
                                 {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};
const IID kTaskbarList3Interface = {0xea1afb91, 0x9e28, 0x4b86,
                                    {0x90, 0xe9, 0x9e, 0x9f, 0x8a, 0x5e, 0xef, 0xaf}};

// Obtained at run time: the program imports nothing the older systems lack.
ITaskbarList3* CreateSystemTaskbar()
{
    ITaskbarList3* taskbar = nullptr;
    if (FAILED(CoCreateInstance(kTaskbarListClass, nullptr, CLSCTX_INPROC_SERVER,
                                kTaskbarList3Interface, reinterpret_cast<void**>(&taskbar)))
        || !taskbar)
        return nullptr;
    if (FAILED(taskbar->HrInit())) {
        taskbar->Release();
        return nullptr;
    }
    return taskbar;
}

TaskbarProgress::Factory g_factory = CreateSystemTaskbar;

}  // namespace

void TaskbarProgress::SetFactoryForTesting(Factory factory)
{
    g_factory = factory ? factory : CreateSystemTaskbar;
}

TaskbarProgress::~TaskbarProgress()
{
    if (m_taskbar) {
        m_taskbar->Release();
        m_taskbar = nullptr;
    }
}

UINT TaskbarProgress::ButtonCreatedMessage()
{
    static UINT message = 0;  // interface thread only
    if (!message)
        message = RegisterWindowMessageA("TaskbarButtonCreated");
    return message;
}

void TaskbarProgress::OnButtonCreated(HWND window)
{
    m_hWindow = window;
    if (!m_taskbar)
        m_taskbar = g_factory();
    Apply();
}

void TaskbarProgress::Downloading(int percent)
{
    m_state = kDownloading;
    m_percent = percent;
    Apply();
}

void TaskbarProgress::Progress(int percent)
{
    if (m_state != kDownloading || percent == m_percent)
        return;
    m_percent = percent;
    if (m_taskbar)
        m_taskbar->SetProgressValue(m_hWindow, ULONGLONG(m_percent), 100);
}

void TaskbarProgress::Failed()
{
    m_state = kFailed;
    Apply();
}

void TaskbarProgress::Clear()
{
    m_state = kIdle;
    Apply();
}

void TaskbarProgress::Apply()
{
    if (!m_taskbar)
        return;
    switch (m_state) {
    case kIdle:
        m_taskbar->SetProgressState(m_hWindow, TBPF_NOPROGRESS);
        break;
    case kDownloading:
        m_taskbar->SetProgressState(m_hWindow, TBPF_NORMAL);
        m_taskbar->SetProgressValue(m_hWindow, ULONGLONG(m_percent), 100);
        break;
    case kFailed:
        // A full red button: the failure shows whatever the progress had reached.
        m_taskbar->SetProgressState(m_hWindow, TBPF_ERROR);
        m_taskbar->SetProgressValue(m_hWindow, 100, 100);
        break;
    }
}
