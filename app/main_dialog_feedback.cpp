// MainDialog: what the window shows besides its labels: a balloon on the Start/Stop button
// when a download fails, the download's progress on the taskbar button, and the torrent's
// files in the upper frame.
#include "app/main_dialog.h"

#include <commctrl.h>

#include "app/command_line.h"
#include "app/failure_message.h"
#include "framework/number_text.h"
#include "res/resource.h"
#include "status/status_texts.h"

namespace {

// Posted by the worker threads to this window, with the run they belong to as lParam.
const UINT kEngineEndedMessage = WM_APP + 1;  // wParam: the engine's exit code
const UINT kProgressMessage = WM_APP + 2;     // wParam: percent done
const int kBalloonTextBytes = 768;
// The engine's end is told a moment after it is noticed: the stderr reader may still be
// handing over the last line the engine wrote just before it ended.
const UINT_PTR kEngineEndedTimerId = 0x5B02;
const UINT kLastWordsMs = 100;
// Inside the upper frame, right of the logo (dialog units).
const RECT kFileListArea = {27, 8, 362, 136};

}  // namespace

void MainDialog::InitFeedback()
{
    m_failureBalloon.Create(GetDlgItem(m_hDialog, IDC_START_STOP));
    Text torrentPath(m_programDir);
    torrentPath.Append(g_torrentName.c_str());
    m_fileList.Create(m_hDialog, IDC_FILE_LIST, torrentPath.c_str(), kFileListArea);
    // Registered before the shell can announce the button.
    TaskbarProgress::ButtonCreatedMessage();
}

bool MainDialog::ProcessFeedbackMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    switch (msg) {
    case WM_COMMAND:
        // A press takes the last failure away; the command itself is handled as before.
        if (LOWORD(wParam) != IDC_SAVE_FOLDER) {
            m_failureBalloon.Hide();
            if (LOWORD(wParam) == IDC_START_STOP)
                m_taskbar.Clear();
        }
        return false;
    case WM_TIMER:
        if (wParam == kEngineEndedTimerId) {
            KillTimer(m_hDialog, kEngineEndedTimerId);
            ShowEngineFailure();
            return true;
        }
        if (wParam != FailureBalloon::kTimerId)
            return false;
        m_failureBalloon.Hide();
        return true;
    case WM_NOTIFY:
        return m_fileList.OnNotify(reinterpret_cast<const NMHDR*>(lParam));
    case kEngineEndedMessage:
        OnEngineEnded(static_cast<DWORD>(wParam), lParam);
        return true;
    case kProgressMessage:
        if (lParam == m_run.load())
            m_taskbar.Progress(static_cast<int>(wParam));
        return true;
    default:
        if (msg != TaskbarProgress::ButtonCreatedMessage() || msg == 0)
            return false;
        m_taskbar.OnButtonCreated(m_hDialog);
        return true;
    }
}

void MainDialog::BeforeStart()
{
    m_stderr.Clear();
    m_taskbarPercent.store(-1);
    m_run.store(m_run.load() + 1);
}

// On this thread, from Start.
void MainDialog::OnStarted(const char*)
{
    m_taskbar.Downloading(static_cast<int>(SendMessageA(m_hProgress, PBM_GETPOS, 0, 0)));
}

void MainDialog::OnStartFailed()
{
    char reason[512];
    DWORD error = StartError();
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                        error, 0, reason, sizeof(reason), nullptr))
        FormatDecimal(error, reason);
    Text engine(m_programDir);
    engine.Append("bt.exe");
    char text[kBalloonTextBytes];
    FormatStartFailureText(reason, engine.c_str(), text, sizeof(text));
    m_failureBalloon.Show(texts::kDownloadFailed, text);
    m_taskbar.Failed();
}

// Stderr reader thread.
void MainDialog::OnStderr(const char* text) { m_stderr.Append(text); }

// Watcher thread, from OnTerminated. The user's Stop reports nothing.
void MainDialog::ReportEngineEnd()
{
    if (ShowsStatus())
        PostMessageA(m_hDialog, kEngineEndedMessage, ChildExitCode(), m_run.load());
}

// Stdout reader thread: the taskbar interface is used on this window's thread only. Only a
// change is posted, so an engine that floods its status cannot flood this window's queue.
void MainDialog::MirrorProgress(int position)
{
    if (m_taskbarPercent.exchange(position) != position)
        PostMessageA(m_hDialog, kProgressMessage, static_cast<WPARAM>(position), m_run.load());
}

void MainDialog::OnEngineEnded(DWORD exitCode, LPARAM run)
{
    // A press since then has stopped the run or started another.
    if (run != m_run.load() || m_runState != RunState::Downloading)
        return;
    if (exitCode == 0 || exitCode == STILL_ACTIVE) {
        m_taskbar.Clear();
        return;
    }
    m_failedExitCode = exitCode;
    m_failedRun = run;
    SetTimer(m_hDialog, kEngineEndedTimerId, kLastWordsMs, nullptr);
}

void MainDialog::ShowEngineFailure()
{
    if (m_failedRun != m_run.load() || m_runState != RunState::Downloading)
        return;
    char lastLine[StderrTail::kCapacity + 1];
    m_stderr.LastLine(lastLine, sizeof(lastLine));
    char text[kBalloonTextBytes];
    FormatEngineStoppedText(m_failedExitCode, lastLine, text, sizeof(text));
    m_failureBalloon.Show(texts::kDownloadFailed, text);
    m_taskbar.Failed();
}
