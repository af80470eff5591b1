// MainDialog: the program's only window, a modeless dialog from template 129. It is also the
// engine runner (its OnStdout feeds the status parser, its OnTerminated resets the status
// line and the button) and a message filter of the thread's message loop.
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
    void StartOrStop(bool stop);
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
    // The engine output not yet consumed, and the parser that takes the status from it. Both
    // are touched only by the parser, on the stdout reader thread (or on this thread for a
    // failed start's text).
    PendingText m_pendingOutput;
    StatusParser m_statusParser{m_pendingOutput};

    // What the Start/Stop button has made of the engine. Changed on this thread only, by
    // SetRunState; read by the worker threads too.
    enum class RunState {
        Idle,      // after start-up or a stop: the next press starts the engine
        Starting,  // a press starts the engine; it waits for the last run's hooks meanwhile
        // Started, or failed to start, or ended by itself since: the next press stops, so that
        // a failed or finished run is released before the one after it starts.
        Downloading,
        Stopping,  // a press stops the engine, which handles messages meanwhile
        Exited,    // Exit was pressed: nothing starts the engine any more
    };
    void SetRunState(RunState state);
    // Only while Downloading do the parser's results reach the controls: a write that Stop
    // held up would otherwise land after the stop texts and undo their reset.
    bool ShowsStatus() const { return m_runState == RunState::Downloading; }
    std::atomic<RunState> m_runState{RunState::Idle};
    int m_pressesWaiting = 0;  // presses that arrived during another, still to run

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
