// The demo's hand on the window: "demo_press start TITLE" presses Start in Sprout's window
// and returns once the download shows in all four labels and the bar; "demo_press exit TITLE"
// presses Exit. Every wait is bounded; exit code 0 when it went as expected.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "res/resource.h"
#include "status/status_texts.h"

namespace {

bool WaitFor(bool (*condition)(HWND), HWND window, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition(window)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

HWND FindSprout(const char* title)
{
    for (int attempt = 0; attempt < 400; ++attempt) {
        HWND window = FindWindowA("#32770", title);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(50);
    }
    return nullptr;
}

bool LabelHasValue(HWND window, int id, const char* prefix)
{
    char text[256] = {};
    GetDlgItemTextA(window, id, text, sizeof(text));
    size_t length = std::strlen(prefix);
    return std::strncmp(text, prefix, length) == 0 && std::strlen(text) > length;
}

bool DownloadShows(HWND window)
{
    return LabelHasValue(window, IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE) &&
           LabelHasValue(window, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED) &&
           LabelHasValue(window, IDC_SPEED, SPROUT_TEXT_SPEED) &&
           LabelHasValue(window, IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT) &&
           SendDlgItemMessageA(window, IDC_PROGRESS, PBM_GETPOS, 0, 0) > 0;
}

void Press(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    HWND window = FindSprout(argv[2]);
    if (!window)
        return 1;
    if (std::strcmp(argv[1], "exit") == 0) {
        Press(window, IDC_EXIT);
        return 0;
    }
    if (std::strcmp(argv[1], "start") != 0)
        return 2;
    Press(window, IDC_START_STOP);
    return WaitFor(DownloadShows, window, 30000) ? 0 : 1;
}
