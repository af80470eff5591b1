// The runner's tests link this in place of engine/engine_system.cpp: the calls that set up a
// run can be made to fail one at a time, and the runner can be told it runs on the 9x family.
#pragma once

enum class SetUpCall { kCreatePipe, kDuplicateHandle, kCreateEvent, kAllocation };

// The n-th call of that kind from now on (1 for the next one) fails, once.
void FailSetUpCall(SetUpCall call, int n);

// Claims the 9x family for the object's life.
class Win9xFamily {
public:
    Win9xFamily();
    ~Win9xFamily();
};
