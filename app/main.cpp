// Process entry: platform services, the command line, the main window and its message loop.
#include <windows.h>
#include <commctrl.h>

#include "app/command_line.h"
#include "app/main_dialog.h"
#include "framework/message_loop.h"
#include "framework/module.h"
#include "framework/owned.h"

// The trimmed command line: the torrent's file name, the section in settings.ini and the
// source of the window title. Set once by Run and never changed afterwards.
Text g_torrentName;

namespace {

bool SystemLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

int Run(const char* commandLine, int showCommand)
{
    g_torrentName = TorrentNameFromCommandLine(commandLine);
    if (!IsAcceptableTorrentName(g_torrentName))
        return -1;

    MessageLoop loop;
    Module::AddMessageLoop(&loop);

    int result = 0;
    {
        MainDialog dialog;
        HWND window = dialog.Create();
        if (window) {
            ShowWindow(window, showCommand);
            SetWindowTextA(window, WindowTitleForTorrent(g_torrentName).c_str());
            result = loop.Run();
        }
        Module::RemoveMessageLoop();
    }
    return result;
}

}  // namespace

// The runtime's own command line for WinMain compares signed bytes with the blank, so it
// skips a name that begins with GBK characters as if they were blanks; ours is made here.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    SetLeadByteTest(SystemLeadByte);
    ComApartment com;
    DefWindowProcA(nullptr, 0, 0, 0);
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    Module::Init(instance);

    int result = Run(RawCommandLine(GetCommandLineA()), showCommand);

    Module::Term();
    return result;
}
