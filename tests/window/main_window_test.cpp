// sprout.exe's window as a black box: what the initialisation puts in, where the window and
// its controls sit, the folder browser, and the info.pyd links.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "status/status_texts.h"
#include "tests/driver/program_folder.h"

using driver::SproutProcess;
using driver::ProgramFolder;

namespace {

const char kTorrent[] = "movie.torrent";

void ExitWith1005(SproutProcess& sprout)
{
    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    ASSERT_TRUE(sprout.WaitForExit(15000, &code));
    EXPECT_EQ(code, 1005u);
}

INT_PTR CALLBACK ProbeDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The folder browser that the browse button opens.
HWND WaitForFolderBrowser(const SproutProcess& sprout)
{
    HWND found = nullptr;
    driver::WaitUntil(
        [&] {
            found = driver::FindVisibleWindow(sprout.ProcessId(), "#32770", sprout.Dialog());
            return found != nullptr;
        },
        10000);
    return found;
}

}  // namespace

TEST(MainWindow, InitialisationFillsTheControls)
{
    ProgramFolder folder("init");
    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), kTorrent, folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);

    EXPECT_EQ(sprout.ControlText(IDC_SAVE_FOLDER), "C:\\Downloads\\");
    EXPECT_EQ(sprout.ControlText(IDC_START_STOP), texts::kStartShort);
    EXPECT_EQ(sprout.ControlText(IDC_STATUS_GROUP), texts::kStatusStopped);
    const struct {
        int id;
        const char* text;
    } templateTexts[] = {
        {IDC_OPEN_FOLDER, "打开文件(&O)"}, {IDC_EXIT, "退出(&X)"},
        {IDC_FORUM, "论坛(&F)"},          {IDC_BROWSE, "浏览(&B)"},
        {IDC_SPEED, "下载速度："},        {IDC_TIME_LEFT, "剩余时间："},
        {IDC_DOWNLOADED, "已经下载："},   {IDC_FILE_SIZE, "文件大小："},
        {IDC_LINK, "静态"},
    };
    for (const auto& t : templateTexts)
        EXPECT_EQ(sprout.ControlText(t.id), t.text) << t.id;

    HWND progress = sprout.Control(IDC_PROGRESS);
    EXPECT_EQ(SendMessageA(progress, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(progress, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(progress, PBM_GETPOS, 0, 0), 0);

    EXPECT_EQ(SendMessageA(sprout.Dialog(), DM_GETDEFID, 0, 0), MAKELRESULT(IDC_START_STOP, DC_HASDEFID));
    // The title comes just after the window shows.
    EXPECT_TRUE(driver::WaitUntil([&] { return sprout.Title() == "movie"; }, 5000));
    ExitWith1005(sprout);
}

// The window's icon handles do not cross to another process under Wine; the resource that
// the window loads them from is checked instead, at both sizes.
TEST(MainWindow, IconHasBothSizes)
{
    HMODULE exe = LoadLibraryExA((driver::BinDir() + "sprout.exe").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(exe, MAKEINTRESOURCEA(IDI_SPROUT), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        ASSERT_TRUE(GetObjectA(info.hbmColor, sizeof(colour), &colour));
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    FreeLibrary(exe);
}

TEST(MainWindow, SaveFolderComesFromSettingsOfThisTorrentOnly)
{
    ProgramFolder folder("settings");
    const std::string longPath(300, 'p');
    const struct {
        const char* torrent;
        std::string shown;
    } cases[] = {
        {"movie.torrent", "D:\\films\\"},
        {"other.torrent", "C:\\Downloads\\"},
        {"long.torrent", std::string(259, 'p')},  // cut to the 260-byte read
        {"empty.torrent", ""},
    };
    ASSERT_TRUE(folder.SetSavedFolder("movie.torrent", "D:\\films\\"));
    ASSERT_TRUE(folder.SetSavedFolder("long.torrent", longPath));
    ASSERT_TRUE(folder.SetSavedFolder("empty.torrent", ""));
    for (const auto& c : cases) {
        SproutProcess sprout;
        ASSERT_TRUE(sprout.Launch(folder.Exe(), c.torrent, folder.Path()));
        ASSERT_NE(sprout.WaitForDialog(), nullptr);
        EXPECT_EQ(sprout.ControlText(IDC_SAVE_FOLDER), c.shown) << c.torrent;
        ExitWith1005(sprout);
    }
}

TEST(MainWindow, CentredOnTheWorkAreaWithEveryControlWhereTheTemplatePutsIt)
{
    ProgramFolder folder("layout");
    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), kTorrent, folder.Path()));
    HWND dialog = sprout.WaitForDialog();
    ASSERT_NE(dialog, nullptr);

    RECT area;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    RECT window;
    ASSERT_TRUE(GetWindowRect(dialog, &window));
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    ASSERT_LE(width, area.right - area.left);
    ASSERT_LE(height, area.bottom - area.top);
    EXPECT_EQ(window.left, (area.left + area.right) / 2 - width / 2);
    EXPECT_EQ(window.top, (area.top + area.bottom) / 2 - height / 2);

    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);

    // Dialog units of our own dialog with the same font give the expected pixels.
    struct alignas(4) {
        DLGTEMPLATE head;
        WORD menu, windowClass, title, pointSize;
        WCHAR font[13];
    } probeTemplate = {{DS_SETFONT | WS_POPUP, 0, 0, 0, 0, 10, 10}, 0, 0, 0, 8, L"MS Shell Dlg"};
    HWND probe = CreateDialogIndirectParamA(
        GetModuleHandleA(nullptr), &probeTemplate.head, nullptr, ProbeDialogProc, 0);
    ASSERT_NE(probe, nullptr);
    // As the dialog manager places a control: position and size converted each by itself.
    auto toPixels = [&](int x, int y, int w, int h) {
        RECT r = {x, y, w, h};
        MapDialogRect(probe, &r);
        return RECT{r.left, r.top, r.left + r.right, r.top + r.bottom};
    };

    RECT client;
    ASSERT_TRUE(GetClientRect(dialog, &client));
    RECT whole = toPixels(0, 0, 370, 293);
    EXPECT_EQ(client.right, whole.right);
    EXPECT_EQ(client.bottom, whole.bottom);

    const struct {
        int id;
        const char* className;
        int x, y, w, h;
        LONG styleBits;
    } controls[] = {
        {IDC_LINK, "Static", 9, 272, 339, 20, SS_CENTER},
        {IDC_LOGO, "Static", 4, 4, 19, 19, SS_BITMAP | SS_SUNKEN},
        {IDC_START_STOP, "Button", 32, 252, 60, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
        {IDC_OPEN_FOLDER, "Button", 116, 252, 60, 14, WS_TABSTOP},
        {IDC_EXIT, "Button", 282, 252, 60, 14, WS_TABSTOP},
        {IDC_FORUM, "Button", 197, 252, 60, 14, WS_TABSTOP},
        {IDC_SAVE_FOLDER, "Edit", 31, 166, 259, 12, ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP},
        {IDC_BROWSE, "Button", 295, 165, 49, 14, WS_TABSTOP},
        {IDC_STATUS_GROUP, "Button", 14, 147, 345, 99, BS_GROUPBOX},
        {IDC_PROGRESS, "msctls_progress32", 28, 221, 316, 12, PBS_SMOOTH},
        {IDC_SPEED, "Static", 30, 205, 140, 8, 0},
        {IDC_TIME_LEFT, "Static", 189, 205, 140, 8, 0},
        {IDC_DOWNLOADED, "Static", 189, 190, 140, 8, 0},
        {IDC_FILE_SIZE, "Static", 30, 190, 140, 8, 0},
    };
    for (const auto& c : controls) {
        HWND control = sprout.Control(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        RECT actual;
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        RECT expected = toPixels(c.x, c.y, c.w, c.h);
        EXPECT_EQ(actual.left, expected.left) << c.id;
        EXPECT_EQ(actual.top, expected.top) << c.id;
        EXPECT_EQ(actual.right, expected.right) << c.id;
        EXPECT_EQ(actual.bottom, expected.bottom) << c.id;
        char className[32] = {};
        GetClassNameA(control, className, sizeof(className));
        EXPECT_EQ(lstrcmpiA(className, c.className), 0) << c.id << ' ' << className;
        LONG controlStyle = GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(controlStyle & c.styleBits, c.styleBits) << c.id;
        EXPECT_TRUE(controlStyle & WS_VISIBLE) << c.id;
    }

    // The unnamed frame of the upper area: the one group box without an id of its own.
    HWND frame = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == 0xFFFF || GetDlgCtrlID(child) == -1)
            frame = child;
    }
    ASSERT_NE(frame, nullptr);
    RECT actual;
    GetWindowRect(frame, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    RECT expected = toPixels(3, 0, 364, 140);
    EXPECT_TRUE(EqualRect(&actual, &expected));
    EXPECT_EQ(driver::WindowText(frame), "");

    // Template order is the Z order of the children.
    const int order[] = {IDC_LINK, IDC_LOGO, IDC_START_STOP, IDC_OPEN_FOLDER, IDC_EXIT,
                         IDC_FORUM, -1, IDC_SAVE_FOLDER, IDC_BROWSE, IDC_STATUS_GROUP,
                         IDC_PROGRESS, IDC_SPEED, IDC_TIME_LEFT, IDC_DOWNLOADED, IDC_FILE_SIZE};
    HWND child = GetWindow(dialog, GW_CHILD);
    for (int id : order) {
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), id);
        child = GetWindow(child, GW_HWNDNEXT);
    }

    DestroyWindow(probe);
    ExitWith1005(sprout);
}

TEST(MainWindow, BrowsePutsThePickedFolderInTheFieldAndStartStoresIt)
{
    ProgramFolder folder("browse");  // no engine: the press stores the folder, the start fails
    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), kTorrent, folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);

    sprout.Press(IDC_BROWSE);
    HWND browser = WaitForFolderBrowser(sprout);
    ASSERT_NE(browser, nullptr);
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(driver::WaitUntil([&] { return !IsWindow(browser); }, 10000));
    EXPECT_EQ(sprout.ControlText(IDC_SAVE_FOLDER), "C:\\Downloads\\");

    // OK takes the folder the browser has selected at first.
    sprout.Press(IDC_BROWSE);
    browser = WaitForFolderBrowser(sprout);
    ASSERT_NE(browser, nullptr);
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(driver::WaitUntil([&] { return !IsWindow(browser); }, 10000));
    std::string picked;
    EXPECT_TRUE(driver::WaitUntil(
        [&] { return (picked = sprout.ControlText(IDC_SAVE_FOLDER)) != "C:\\Downloads\\"; },
        5000));
    EXPECT_TRUE(driver::FileExists(picked)) << picked;
    EXPECT_EQ(folder.SavedFolder(kTorrent), "<none>");

    sprout.Press(IDC_START_STOP);
    EXPECT_TRUE(driver::WaitUntil([&] { return folder.SavedFolder(kTorrent) == picked; }, 10000));
    ExitWith1005(sprout);
}

TEST(MainWindow, ForumReadsHelpAtEveryPressAndTheLabelOpensTheLink)
{
    ProgramFolder folder("forum");
    for (const char* name : {"first.exe", "second.exe", "link.exe"})
        ASSERT_TRUE(driver::CopyFromBin("marker.exe", folder.File(name)));
    ASSERT_TRUE(folder.SetBranding("help", folder.File("first.exe").c_str()));
    ASSERT_TRUE(folder.SetBranding("link", folder.File("link.exe").c_str()));

    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), kTorrent, folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);

    sprout.Press(IDC_FORUM);
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::FileExists(folder.File("first.exe.ran")); },
                                  15000));
    ASSERT_TRUE(folder.SetBranding("help", folder.File("second.exe").c_str()));
    sprout.Press(IDC_FORUM);
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::FileExists(folder.File("second.exe.ran")); },
                                  15000));

    // Space on the label opens its target, as a click does.
    PostMessageA(sprout.Control(IDC_LINK), WM_CHAR, ' ', 0);
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::FileExists(folder.File("link.exe.ran")); },
                                  15000));
    ExitWith1005(sprout);
}
