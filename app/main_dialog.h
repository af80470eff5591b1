// MainDialog: the program's only window, a modeless dialog from template 129. It is also the
// engine runner (its OnStdout feeds the status parser, its OnTerminated resets the status
// line and the button), a message filter and an idle hook of the thread's message loop.
#pragma once

#include <windows.h>

#include <atomic>

#include "app/engine_stderr.h"
#include "app/failure_balloon.h"
#include "app/taskbar_progress.h"
#include "app/torrent_file_list.h"
#include "controls/hyperlink_label.h"
#include "engine/engine_process.h"
#include "framework/message_loop.h"
#include "framework/owned.h"
#include "framework/text.h"
#include "framework/window_binding.h"
#include "res/resource.h"
#include "status/status_parser.h"

class MainDialog : public EngineProcess,
                   public WindowBinding,
                   public MessageFilter,
                   public IdleHandler,
                   private StatusSink {
public:
    MainDialog() = default;
    // Stops the engine before any member goes: the reader and watcher threads write into the
    // parser's buffer and the controls until Stop has finished.
    ~MainDialog() override;

    // Creates the window (not yet shown); null when the template cannot be loaded.
    HWND Create();
    HWND Window() const { return BoundWindow(); }

    bool PreTranslateMessage(MSG* msg) override;
    void OnIdle() override;

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;
    // Leaves the message loop's lists with the window, while the loop is still registered.
    void OnFinalMessage(HWND hwnd) override;

    // Engine hooks, on the runner's worker threads (OnStdout also on this thread for the text
    // of a failed start).
    void OnStdout(const char* text) override;
    void OnTerminated() override;

private:
    void OnInitDialog(HWND hwnd);
    void CentreOnWorkArea();
    void SetIcons();
    void LoadLogo();
    void SetUpLink();
    bool OnCommand(int controlId);
    void OnBrowse();
    void OnStartStop();
    void StartOrStop();
    void OnOpenFolder();
    void OnForum();
    void OnExit();

    // Feedback beyond the labels (main_dialog_feedback.cpp): the failure balloon, the taskbar
    // button's progress and the torrent's file list.
    void InitFeedback();
    bool ProcessFeedbackMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void BeforeStart();
    void OnStartFailed();
    void OnStarted(const char* commandLine) override;
    void OnStderr(const char* text) override;
    void ReportEngineEnd();
    void MirrorProgress(int position);
    void OnEngineEnded(DWORD exitCode, LPARAM run);
    void ShowEngineFailure();

    void SetLabelText(int controlId, const char* text) override;
    void SetProgressPosition(int position) override;

    // Set once by the initialisation, before any engine run, and kept after the window has
    // gone, so that worker threads read them without a race; writes to a dead window fail.
    HWND m_hDialog = nullptr;
    HWND m_hProgress = nullptr;
    // The template's controls, by id from IDC_SAVE_FOLDER, for the texts the worker threads
    // write. Looked up on a worker thread while Exit destroys the window, an id made Wine 10's
    // server walk a child that the destruction had half unlinked, for ever.
    HWND m_hControls[IDC_LINK - IDC_SAVE_FOLDER + 1] = {};
    HWND Control(int controlId) const;

    OwnedIcon m_hBigIcon;  // destroyed after the window, which only borrows them
    OwnedIcon m_hSmallIcon;
    HWND m_hLogo = nullptr;
    OwnedBitmap m_hLogoBitmap;  // deleted after the window
    HyperLinkLabel m_link;
    Text m_programDir;
    // Holds m_pendingOutput, the engine output not yet consumed. Touched only by the parser,
    // on the stdout reader thread (or on this thread for a failed start's text).
    StatusParser m_pendingOutput;
    bool m_downloading = false;  // toggled by every Start/Stop press, on this thread only
    bool m_pressUnderWay = false;
    int m_pressesWaiting = 0;  // presses that arrived during another, still to run
    bool m_exited = false;     // set by Exit: no press starts the engine after it
    // Whether the parser's results reach the controls: set by this thread before Start, cleared
    // before Stop, read by the stdout reader. A write that Stop held up would otherwise land
    // after the stop texts and undo their reset of the speed and time left.
    std::atomic<bool> m_showStatus{false};

    FailureBalloon m_failureBalloon;
    TaskbarProgress m_taskbar;
    TorrentFileList m_fileList;
    // The engine's last words, for the balloon: written by the stderr reader.
    EngineStderr m_stderr;
    // Numbers the runs, so that a late report of an earlier run's end is ignored: set by this
    // thread before Start, read by the watcher.
    std::atomic<long> m_run{0};
    // The percentage last posted for the taskbar: set by the stdout reader, reset before Start.
    std::atomic<int> m_taskbarPercent{-1};
    // The run that ended with a failure, and its exit code, until the balloon tells it.
    LPARAM m_failedRun = 0;
    DWORD m_failedExitCode = 0;
};
