// The system's taskbar interface, obtained at run time: the program imports nothing the older
// systems lack.
#include "app/taskbar_progress.h"

namespace {

// The two identities, here rather than from the uuid library, whose one object brings every
// GUID of the platform along.
const CLSID kTaskbarListClass = {0x56fdf344, 0xfd6d, 0x11d0,
                                 {0x95, 0x8a, 0x00, 0x60, 0x97, 0xc9, 0xa0, 0x90}};
const IID kTaskbarList3Interface = {0xea1afb91, 0x9e28, 0x4b86,
                                    {0x90, 0xe9, 0x9e, 0x9f, 0x8a, 0x5e, 0xef, 0xaf}};

}  // namespace

ITaskbarList3* CreateTaskbarInterface()
{
    ComPtr<ITaskbarList3> taskbar;
    if (FAILED(CoCreateInstance(kTaskbarListClass, nullptr, CLSCTX_INPROC_SERVER,
                                kTaskbarList3Interface, reinterpret_cast<void**>(taskbar.put())))
        || !taskbar || FAILED(taskbar->HrInit()))
        return nullptr;
    return taskbar.release();
}
