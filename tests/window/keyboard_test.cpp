// The window's keyboard as a black box: Esc, Alt+F4 and the close box leave it open, Tab walks
// the template's order. Runs alone: a window of another test would take the focus away.
#include <windows.h>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"

using driver::SproutProcess;
using driver::ProgramFolder;

namespace {

const char kTorrent[] = "movie.torrent";

HWND FocusOf(const SproutProcess& sprout)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    DWORD thread = GetWindowThreadProcessId(sprout.Dialog(), nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

bool WaitForFocus(const SproutProcess& sprout, int controlId)
{
    return driver::WaitUntil([&] { return FocusOf(sprout) == sprout.Control(controlId); }, 5000);
}

// A key as the user presses it, at the focused control: through the loop's IsDialogMessageA.
void PressKey(const SproutProcess& sprout, WPARAM key)
{
    HWND focus = FocusOf(sprout);
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
}

void ExitWith1005(SproutProcess& sprout)
{
    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    ASSERT_TRUE(sprout.WaitForExit(15000, &code));
    EXPECT_EQ(code, 1005u);
}

}  // namespace

TEST(WindowKeyboard, OnlyTheExitButtonEndsTheProgram)
{
    ProgramFolder folder("close");
    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), kTorrent, folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);

    // The first tab stop has the focus; Esc goes through the loop's dialog filter, and the Tab
    // behind it shows that it has been handled with the window still there.
    ASSERT_TRUE(WaitForFocus(sprout, IDC_START_STOP));
    PressKey(sprout, VK_ESCAPE);
    PressKey(sprout, VK_TAB);
    EXPECT_TRUE(WaitForFocus(sprout, IDC_OPEN_FOLDER));

    EXPECT_TRUE(sprout.SendToDialog(WM_SYSCOMMAND, SC_CLOSE, 0));  // Alt+F4 and the close box
    EXPECT_TRUE(sprout.SendToDialog(WM_CLOSE, 0, 0));
    EXPECT_TRUE(sprout.SendToDialog(WM_COMMAND, IDCANCEL, 0));
    EXPECT_TRUE(sprout.SendToDialog(WM_COMMAND, IDOK, 0));
    EXPECT_TRUE(IsWindowVisible(sprout.Dialog()));
    EXPECT_TRUE(sprout.IsRunning());

    // Commands go by the control id alone, whatever the notification code.
    PostMessageA(sprout.Dialog(), WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_DOUBLECLICKED), 0);
    DWORD code = 0;
    ASSERT_TRUE(sprout.WaitForExit(15000, &code));
    EXPECT_EQ(code, 1005u);
}

TEST(WindowKeyboard, TabOrderFollowsTheTemplate)
{
    ProgramFolder folder("tabs");
    SproutProcess sprout;
    ASSERT_TRUE(sprout.Launch(folder.Exe(), kTorrent, folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);
    ASSERT_TRUE(WaitForFocus(sprout, IDC_START_STOP));
    // The file list, made at run time, comes after the template's controls.
    for (int id : {IDC_OPEN_FOLDER, IDC_EXIT, IDC_FORUM, IDC_SAVE_FOLDER, IDC_BROWSE,
                   IDC_FILE_LIST, IDC_START_STOP}) {
        PressKey(sprout, VK_TAB);
        EXPECT_TRUE(WaitForFocus(sprout, id)) << id;
    }
    ExitWith1005(sprout);
}
