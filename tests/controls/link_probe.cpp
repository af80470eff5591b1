// What the link label's tests open instead of a web page: a program that signals the event
// the test waits on and ends at once.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HANDLE opened = OpenEventA(EVENT_MODIFY_STATE, FALSE, "Sprout.LinkProbe.Opened");
    if (!opened)
        return 1;
    SetEvent(opened);
    CloseHandle(opened);
    return 0;
}
