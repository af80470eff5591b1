#include "tests/engine/system_seam.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/engine_system.h"

namespace {

std::atomic<int> g_countdown[4];
std::atomic<int> g_threadCountdown{0};
std::atomic<HANDLE> g_heldThread{nullptr};
std::atomic<bool> g_win9x{false};

// A code of its own for each kind, set as the system would set it.
bool Fails(SetUpCall call)
{
    std::atomic<int>& countdown = g_countdown[static_cast<int>(call)];
    int left = countdown.load();
    if (left <= 0 || countdown.fetch_sub(1) != 1)
        return false;
    SetLastError(SetUpError(call));
    return true;
}

}  // namespace

void FailSetUpCall(SetUpCall call, int n) { g_countdown[static_cast<int>(call)].store(n); }

DWORD SetUpError(SetUpCall call)
{
    switch (call) {
    case SetUpCall::kCreatePipe:
        return ERROR_TOO_MANY_OPEN_FILES;
    case SetUpCall::kDuplicateHandle:
        return ERROR_ACCESS_DENIED;
    case SetUpCall::kCreateEvent:
        return ERROR_NO_SYSTEM_RESOURCES;
    default:
        return 0;  // the runner's own allocation: no system call sets a code
    }
}

void HoldWorkerThread(int n) { g_threadCountdown.store(n); }

HANDLE LetHeldThreadGo()
{
    HANDLE thread = g_heldThread.exchange(nullptr);
    if (thread)
        ResumeThread(thread);
    return thread;
}

Win9xFamily::Win9xFamily() { g_win9x = true; }
Win9xFamily::~Win9xFamily() { g_win9x = false; }

namespace engine_system {

bool CreateInheritablePipe(HANDLE* readEnd, HANDLE* writeEnd)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return !Fails(SetUpCall::kCreatePipe) && CreatePipe(readEnd, writeEnd, &inheritable, 0);
}

bool DuplicateForSelf(HANDLE handle, HANDLE* copy)
{
    HANDLE self = GetCurrentProcess();
    return !Fails(SetUpCall::kDuplicateHandle) &&
           DuplicateHandle(self, handle, self, copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
}

HANDLE CreateStopEvent()
{
    return Fails(SetUpCall::kCreateEvent) ? nullptr : CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

HANDLE StartThread(LPTHREAD_START_ROUTINE main, void* parameter)
{
    int left = g_threadCountdown.load();
    bool hold = left > 0 && g_threadCountdown.fetch_sub(1) == 1;
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, main, parameter, hold ? CREATE_SUSPENDED : 0,
                                 &threadId);
    HANDLE copy = nullptr;
    if (hold && thread)
        DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    if (copy)
        g_heldThread.store(copy);
    return thread;
}

bool IsWin9xFamily() { return g_win9x; }

}  // namespace engine_system

// The runner's only non-throwing allocation is its run; memory from malloc, as the library's
// own new gives, so that the usual delete frees it.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Fails(SetUpCall::kAllocation) ? nullptr : std::malloc(size ? size : 1);
}
