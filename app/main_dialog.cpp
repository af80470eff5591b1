// MainDialog: initialisation, the buttons, the engine hooks and teardown.
#include "app/main_dialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "app/branding.h"
#include "app/command_line.h"
#include "app/program_paths.h"
#include "app/window_placement.h"
#include "engine_interface/command_line.h"
#include "framework/module.h"
#include "res/resource.h"
#include "status/status_texts.h"

using namespace texts;

namespace {

const char kDefaultSaveFolder[] = "C:\\Downloads\\";

// Field 1000 is read into this many bytes, whatever it holds.
const int kFolderFieldBytes = 512;

}  // namespace

MainDialog::~MainDialog()
{
    // Members go before the EngineProcess base: the runner must be stopped and its hooks inert
    // while the parser's buffer, the link label and the controls are still there.
    Shutdown();
    // The window goes before the icons and the bitmap it shows.
    if (Window())
        DestroyWindow(Window());
}

HWND MainDialog::Create() { return CreateBoundDialog(Module::Instance(), IDD_MAIN, nullptr); }

bool MainDialog::PreTranslateMessage(MSG* msg)
{
    return Window() && IsDialogMessageA(Window(), msg);
}

bool MainDialog::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result)
{
    if (ProcessFeedbackMessage(msg, wParam, lParam, result))
        return true;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog(hwnd);
        result = TRUE;
        return true;
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam));
    default:
        return false;
    }
}

void MainDialog::OnFinalMessage(HWND)
{
    if (MessageLoop* loop = Module::GetMessageLoop())
        loop->RemoveMessageFilter(this);
}

void MainDialog::OnInitDialog(HWND hwnd)
{
    m_hDialog = hwnd;
    CentreOnWorkArea();
    SetIcons();
    if (MessageLoop* loop = Module::GetMessageLoop())
        loop->AddMessageFilter(this);

    // Zeroed and one byte short: a cut path still ends in a NUL on every Windows.
    char modulePath[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, modulePath, sizeof(modulePath) - 1);
    m_programDir = ProgramDirFromModulePath(modulePath);

    for (int id = IDC_SAVE_FOLDER; id <= IDC_LINK; ++id)
        m_hControls[id - IDC_SAVE_FOLDER] = GetDlgItem(hwnd, id);
    m_hProgress = Control(IDC_PROGRESS);
    SendMessageA(m_hProgress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(m_hProgress, PBM_SETPOS, 0, 0);

    char folder[MAX_PATH] = {};
    GetPrivateProfileStringA(g_torrentName.c_str(), "Path", kDefaultSaveFolder, folder,
                             sizeof(folder), SettingsFilePath(m_programDir).c_str());
    SetDlgItemTextA(hwnd, IDC_SAVE_FOLDER, folder);

    SetDlgItemTextA(hwnd, IDC_STATUS_GROUP, kStatusStopped);
    SetDlgItemTextA(hwnd, IDC_START_STOP, kStartShort);

    LoadLogo();
    SetUpLink();
    SetRunState(RunState::Idle);
    InitFeedback();
}

void MainDialog::CentreOnWorkArea()
{
    RECT area;
    RECT window;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) || !GetWindowRect(m_hDialog, &window))
        return;
    PlacementPoint corner =
        CentredOnArea({area.left, area.top, area.right, area.bottom},
                      window.right - window.left, window.bottom - window.top);
    SetWindowPos(m_hDialog, nullptr, corner.x, corner.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainDialog::SetIcons()
{
    // Each size loaded by itself (a shared load may hand back the first size asked for);
    // the window only borrows them.
    HINSTANCE instance = Module::Instance();
    m_hBigIcon.reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SPROUT),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                   GetSystemMetrics(SM_CYICON), 0)));
    SendMessageA(m_hDialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hBigIcon.get()));
    m_hSmallIcon.reset(static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_SPROUT),
                                                     IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), 0)));
    SendMessageA(m_hDialog, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(m_hSmallIcon.get()));
}

void MainDialog::LoadLogo()
{
    // Relative on purpose: the logo comes from the folder the program was started in.
    m_hLogo = GetDlgItem(m_hDialog, IDC_LOGO);
    m_hLogoBitmap.reset(static_cast<HBITMAP>(LoadImageA(
        nullptr, "logo.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (m_hLogoBitmap)
        SendMessageA(m_hLogo, STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(m_hLogoBitmap.get()));
}

void MainDialog::SetUpLink()
{
    m_link.AttachToWindow(GetDlgItem(m_hDialog, IDC_LINK));
    m_link.SetLabelText(ReadBranding(m_programDir, BrandingKey::Label).c_str());
    // The label's own tool carries the static's text; the tooltip has both, which one it
    // shows is the tooltip's matter.
    m_link.AddTool(ReadBranding(m_programDir, BrandingKey::Tip).c_str());
    m_link.SetLinkTarget(ReadBranding(m_programDir, BrandingKey::Link).c_str());
}

bool MainDialog::OnCommand(int controlId)
{
    switch (controlId) {
    case IDC_BROWSE:
        OnBrowse();
        return true;
    case IDC_START_STOP:
        OnStartStop();
        return true;
    case IDC_OPEN_FOLDER:
        OnOpenFolder();
        return true;
    case IDC_EXIT:
        OnExit();
        return true;
    case IDC_FORUM:
        OnForum();
        return true;
    default:
        // IDOK and IDCANCEL too, on purpose: Esc and the close box leave the window open, and
        // only the exit button ends the program.
        return false;
    }
}

void MainDialog::OnBrowse()
{
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse = {};
    browse.hwndOwner = GetActiveWindow();
    browse.pszDisplayName = displayName;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST picked = SHBrowseForFolderA(&browse);
    if (!picked)
        return;
    char path[MAX_PATH] = {};
    if (SHGetPathFromIDListA(picked, path))
        SetDlgItemTextA(m_hDialog, IDC_SAVE_FOLDER, path);
    // Freed whether or not it named a file-system folder.
    ComPtr<IMalloc> shellMalloc;
    if (SUCCEEDED(SHGetMalloc(shellMalloc.put())) && shellMalloc)
        shellMalloc->Free(picked);
}

void MainDialog::SetRunState(RunState state)
{
    // Exit is for good, even when it comes while a press waits.
    if (m_runState != RunState::Exited)
        m_runState = state;
}

void MainDialog::OnStartStop()
{
    // Stop and the wait before Start handle messages sent to this thread meanwhile, so a
    // press sent from another thread or process could arrive inside this one; it is counted
    // and runs once this press is done.
    RunState state = m_runState;
    if (state == RunState::Starting || state == RunState::Stopping) {
        ++m_pressesWaiting;
        return;
    }
    if (state == RunState::Exited)
        return;
    StartOrStop(state == RunState::Downloading);
    if (m_pressesWaiting > 0) {
        --m_pressesWaiting;
        PostMessageA(m_hDialog, WM_COMMAND, MAKEWPARAM(IDC_START_STOP, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(m_hDialog, IDC_START_STOP)));
    }
}

void MainDialog::StartOrStop(bool stop)
{
    // Decided before anything runs, on purpose: after a failed start, or an engine that ended
    // by itself, the next press runs Stop to release that run, and only the one after starts.
    // From here on every status write is dropped, not only one after the stop texts.
    SetRunState(stop ? RunState::Stopping : RunState::Starting);
    char folder[kFolderFieldBytes] = {};
    GetWindowTextA(GetDlgItem(m_hDialog, IDC_SAVE_FOLDER), folder, sizeof(folder));
    // Kept as it always was: only the last level is created, and failures go unreported (the
    // engine then runs in whatever the working directory remained).
    CreateDirectoryA(folder, nullptr);
    SetCurrentDirectoryA(folder);
    WritePrivateProfileStringA(g_torrentName.c_str(), "Path", folder,
                               SettingsFilePath(m_programDir).c_str());

    if (stop) {
        SetDlgItemTextA(m_hDialog, IDC_STATUS_GROUP, kStatusStopping);
        Stop();
        // A status write that the reader sent while Stop blocked this thread is delivered now,
        // before the stop texts; the reader's later writes are dropped.
        MSG pending;
        PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE);
        SetDlgItemTextA(m_hDialog, IDC_STATUS_GROUP, kStatusStopped);
        SetDlgItemTextA(m_hDialog, IDC_START_STOP, kStartDownload);
        SetDlgItemTextA(m_hDialog, IDC_SPEED, kSpeedReset);
        SetDlgItemTextA(m_hDialog, IDC_TIME_LEFT, kTimeLeftReset);
        SetRunState(RunState::Idle);
        return;
    }
    // The parser's buffer is not shared with a reader that the last Stop gave up.
    WaitForHooksInFlight();
    // Exit may have come while this thread waited: then nothing starts any more.
    SetRunState(RunState::Downloading);
    if (m_runState == RunState::Exited)
        return;
    BeforeStart();
    // A failed start has already handed its text to OnStdout; the texts stay.
    if (Start(EngineCommandLine(m_programDir, g_torrentName).c_str(), 0)) {
        SetDlgItemTextA(m_hDialog, IDC_STATUS_GROUP, kStatusDownloading);
        SetDlgItemTextA(m_hDialog, IDC_START_STOP, kStopDownload);
    } else {
        OnStartFailed();
    }
}

// Opens the save folder, not a file, whatever the button says: kept so on purpose.
void MainDialog::OnOpenFolder()
{
    char folder[kFolderFieldBytes] = {};
    GetWindowTextA(GetDlgItem(m_hDialog, IDC_SAVE_FOLDER), folder, sizeof(folder));
    ShellExecuteA(nullptr, "open", folder, nullptr, nullptr, SW_SHOWNORMAL);
}

void MainDialog::OnForum()
{
    // Read at every press: a distributor may change the page while the program runs.
    Text page = ReadBranding(m_programDir, BrandingKey::Help);
    ShellExecuteA(nullptr, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainDialog::OnExit()
{
    // The engine is stopped later, when the run function destroys this object.
    SetRunState(RunState::Exited);
    DestroyWindow(m_hDialog);
    PostQuitMessage(IDC_EXIT);
}

void MainDialog::OnStdout(const char* text) { m_statusParser.OnStdout(text, *this); }

// Leaves the run state alone on purpose (see StartOrStop): the next press stops.
void MainDialog::OnTerminated()
{
    SetWindowTextA(Control(IDC_STATUS_GROUP), kStatusStopped);
    SetWindowTextA(Control(IDC_START_STOP), kStartDownload);
    ReportEngineEnd();
}

void MainDialog::SetLabelText(int controlId, const char* text)
{
    if (ShowsStatus())
        SetWindowTextA(Control(controlId), text);
}

HWND MainDialog::Control(int controlId) const
{
    if (controlId < IDC_SAVE_FOLDER || controlId > IDC_LINK)
        return nullptr;
    return m_hControls[controlId - IDC_SAVE_FOLDER];
}

void MainDialog::SetProgressPosition(int position)
{
    if (ShowsStatus()) {
        SendMessageA(m_hProgress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        MirrorProgress(position);
    }
}
