#include "app/taskbar_progress.h"

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
        m_taskbar.reset(CreateTaskbarInterface());
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
