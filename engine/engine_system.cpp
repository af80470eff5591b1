#include "engine/engine_system.h"

namespace engine_system {

bool CreateInheritablePipe(HANDLE* readEnd, HANDLE* writeEnd)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreatePipe(readEnd, writeEnd, &inheritable, 0) != 0;
}

bool DuplicateForSelf(HANDLE handle, HANDLE* copy)
{
    HANDLE self = GetCurrentProcess();
    return DuplicateHandle(self, handle, self, copy, 0, FALSE, DUPLICATE_SAME_ACCESS) != 0;
}

HANDLE CreateStopEvent() { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }

HANDLE StartThread(LPTHREAD_START_ROUTINE main, void* parameter)
{
    DWORD threadId = 0;  // the 9x family refuses a null id pointer
    return CreateThread(nullptr, 0, main, parameter, 0, &threadId);
}

bool IsWin9xFamily() { return (GetVersion() & 0x80000000) != 0; }

}  // namespace engine_system
