// The system calls that set up a run and may fail or be slow, and the family test, in a file
// of their own: the runner's tests link their own versions, which fail on demand, start a
// worker late or claim the 9x family.
#pragma once

#include <windows.h>

namespace engine_system {

// An anonymous pipe whose two ends are inheritable; false when none could be made.
bool CreateInheritablePipe(HANDLE* readEnd, HANDLE* writeEnd);
// A copy of a handle of this process that no child inherits.
bool DuplicateForSelf(HANDLE handle, HANDLE* copy);
// An unnamed manual-reset event, not signalled; null on failure.
HANDLE CreateStopEvent();
// A worker thread, running at once with its default stack; null on failure.
HANDLE StartThread(LPTHREAD_START_ROUTINE main, void* parameter);
// True on the 9x family (the high bit of GetVersion), false on the NT family.
bool IsWin9xFamily();

}  // namespace engine_system
