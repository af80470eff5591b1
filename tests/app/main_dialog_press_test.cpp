// The main window run inside the test's own process, for what a black box cannot reach:
// Exit arriving while a Start press waits for a hook that the last Stop gave up (the speed
// label is swapped for a window of another thread that holds the stdout reader in its hook,
// and lets it go by sending Exit, exactly while the press waits), and a start that fails
// before the engine exists (the runner's set-up calls fail on demand).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "app/command_line.h"
#include "app/main_dialog.h"
#include "framework/message_loop.h"
#include "framework/module.h"
#include "res/resource.h"
#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"
#include "tests/engine/system_seam.h"
#include "status/status_texts.h"

Text g_torrentName;

namespace {

const char kTorrentName[] = "main-dialog-press.torrent";

// Handles the messages sent to this thread until the event is set, at most timeoutMs.
bool PumpSentUntil(HANDLE event, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs)
            return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
        if (MsgWaitForMultipleObjects(1, &event, FALSE, timeoutMs - spent, QS_SENDMESSAGE)
            == WAIT_OBJECT_0)
            return true;
    }
}

// A stand-in for the speed label, on a thread of its own: the first text sent to it is held
// (the sender waits) until `release` is set, then Exit is sent to the dialog.
struct HeldLabel {
    HWND dialog = nullptr;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE holding = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> held{false};
    HANDLE thread = nullptr;

    ~HeldLabel()
    {
        SetEvent(release);
        if (thread) {
            WaitForSingleObject(thread, 10000);
            CloseHandle(thread);
        }
        CloseHandle(ready);
        CloseHandle(holding);
        CloseHandle(release);
    }
};

LRESULT CALLBACK HeldLabelProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* label = reinterpret_cast<HeldLabel*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (msg == WM_SETTEXT && label && !label->held.exchange(true)) {
        SetEvent(label->holding);
        PumpSentUntil(label->release, 20000);
        SendMessageA(label->dialog, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
        return TRUE;
    }
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, msg, wParam, lParam);
}

DWORD WINAPI HeldLabelThread(void* parameter)
{
    auto* label = static_cast<HeldLabel*>(parameter);
    HWND window = CreateWindowA("SproutHeldLabel", "", WS_CHILD, 0, 0, 10, 10, label->dialog,
                                reinterpret_cast<HMENU>(INT_PTR(IDC_SPEED)),
                                GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(label));
    SetEvent(label->ready);
    MSG msg;
    while (window && GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

// Puts the held label in the place of the template's speed label when the window's
// initialisation comes, before the window looks its controls up.
HeldLabel* g_swapIn = nullptr;

LRESULT CALLBACK SwapInHeldLabel(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG && g_swapIn && !g_swapIn->dialog) {
        g_swapIn->dialog = call->hwnd;
        SetWindowLongPtrA(GetDlgItem(call->hwnd, IDC_SPEED), GWLP_ID, 0xFFF0);
        g_swapIn->thread = CreateThread(nullptr, 0, HeldLabelThread, g_swapIn, 0, nullptr);
        PumpSentUntil(g_swapIn->ready, 5000);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The window of a torrent of one file in the test's bin folder, which is its program folder,
// saving into a folder of its own.
class MainDialogInProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hadSettings = driver::FileExists(m_settings);
        ASSERT_TRUE(driver::WriteFile(
            m_torrent, "d4:infod6:lengthi262144e4:name8:data.bin12:piece lengthi262144eee"));
        Module::Init(GetModuleHandleA(nullptr));
        INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        Module::AddMessageLoop(&m_loop);
        g_torrentName = kTorrentName;
    }
    void TearDown() override
    {
        Module::RemoveMessageLoop();
        SetCurrentDirectoryA(driver::BinDir().c_str());
        DeleteFileA(m_torrent.c_str());
        if (m_hadSettings)
            WritePrivateProfileStringA(kTorrentName, nullptr, nullptr, m_settings.c_str());
        else
            DeleteFileA(m_settings.c_str());
    }
    HWND Create(MainDialog& dialog)
    {
        HWND window = dialog.Create();
        if (window)
            SetDlgItemTextA(window, IDC_SAVE_FOLDER, m_saveTo.Path().c_str());
        return window;
    }

    driver::TempDir m_saveTo{"press"};
    driver::ScopedEnvironment m_rate{"SPROUT_BT_RATE", "0"};

private:
    const std::string m_torrent = driver::BinDir() + kTorrentName;
    const std::string m_settings = driver::BinDir() + "settings.ini";
    bool m_hadSettings = false;
    MessageLoop m_loop;
};

const WPARAM kPress = MAKEWPARAM(IDC_START_STOP, BN_CLICKED);

}  // namespace

TEST_F(MainDialogInProcess, ExitWhileAStartPressWaitsForAHookStartsNothing)
{
    WNDCLASSA labelClass = {};
    labelClass.lpfnWndProc = HeldLabelProc;
    labelClass.hInstance = GetModuleHandleA(nullptr);
    labelClass.lpszClassName = "SproutHeldLabel";
    RegisterClassA(&labelClass);
    HeldLabel label;
    g_swapIn = &label;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, SwapInHeldLabel, nullptr, GetCurrentThreadId());
    MainDialog dialog;
    HWND window = Create(dialog);
    UnhookWindowsHookEx(hook);
    ASSERT_NE(nullptr, window);
    ASSERT_EQ(WaitForSingleObject(label.ready, 0), WAIT_OBJECT_0);

    SendMessageA(window, WM_COMMAND, kPress, 0);
    // The first status block's rate: the stdout reader waits in its hook.
    ASSERT_TRUE(PumpSentUntil(label.holding, 10000));
    // Stop gives the run up with that hook in flight.
    SendMessageA(window, WM_COMMAND, kPress, 0);
    EXPECT_TRUE(IsWindow(window));
    // Exit comes while the next press waits for the hook, and only then lets it go.
    SetEvent(label.release);
    SendMessageA(window, WM_COMMAND, kPress, 0);
    EXPECT_FALSE(IsWindow(window));

    MSG quit = {};
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(WPARAM(IDC_EXIT), quit.wParam);
    // Start would have created the engine before it returned.
    EXPECT_TRUE(driver::EngineChildren(GetCurrentProcessId()).empty());
}

TEST_F(MainDialogInProcess, AStartThatFailsBeforeTheEngineExistsTellsTheFailedStepsError)
{
    MainDialog dialog;
    HWND window = Create(dialog);
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_SHOW);
    for (SetUpCall call : {SetUpCall::kCreatePipe, SetUpCall::kCreateEvent}) {
        char reason[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       SetUpError(call), 0, reason, sizeof(reason), nullptr);
        Text expected(reason);
        expected.Trim();
        ASSERT_FALSE(expected.IsEmpty());
        FailSetUpCall(call, 1);
        SendMessageA(window, WM_COMMAND, kPress, 0);
        FailSetUpCall(call, 0);
        HWND tip = driver::FindVisibleWindow(GetCurrentProcessId(), "tooltips_class32");
        ASSERT_NE(nullptr, tip);
        std::string text = driver::WindowText(tip);
        EXPECT_EQ(text.find(texts::kCannotStart), 0u) << text;
        EXPECT_NE(text.find(expected.c_str()), std::string::npos) << text;
        // The next press runs Stop for the failed start.
        SendMessageA(window, WM_COMMAND, kPress, 0);
    }
}
