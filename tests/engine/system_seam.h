// The runner's tests link this in place of engine/engine_system.cpp: the calls that set up a
// run can be made to fail one at a time, a worker thread can be made to start late, and the
// runner can be told it runs on the 9x family.
#pragma once

#include <windows.h>

enum class SetUpCall { kCreatePipe, kDuplicateHandle, kCreateEvent, kAllocation };

// The n-th call of that kind from now on (1 for the next one) fails, once, with the error
// code that SetUpError gives for it.
void FailSetUpCall(SetUpCall call, int n);
DWORD SetUpError(SetUpCall call);

// The n-th worker thread started from now on (1 for the next one) waits, created but not
// running, until the test lets it go; then the call returns the thread (closed by the caller).
void HoldWorkerThread(int n);
HANDLE LetHeldThreadGo();

// Claims the 9x family for the object's life.
class Win9xFamily {
public:
    Win9xFamily();
    ~Win9xFamily();
};
