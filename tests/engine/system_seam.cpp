#include "tests/engine/system_seam.h"

#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/engine_system.h"

namespace {

std::atomic<int> g_countdown[4];
std::atomic<bool> g_win9x{false};

bool Fails(SetUpCall call)
{
    std::atomic<int>& countdown = g_countdown[static_cast<int>(call)];
    int left = countdown.load();
    return left > 0 && countdown.fetch_sub(1) == 1;
}

}  // namespace

void FailSetUpCall(SetUpCall call, int n) { g_countdown[static_cast<int>(call)].store(n); }

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

bool IsWin9xFamily() { return g_win9x; }

}  // namespace engine_system

// The runner's only non-throwing allocation is its run; memory from malloc, as the library's
// own new gives, so that the usual delete frees it.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Fails(SetUpCall::kAllocation) ? nullptr : std::malloc(size ? size : 1);
}
