#include "engine/engine_run.h"

#include <new>

namespace {

// A non-inheritable copy, so that no later child inherits it; null when there is nothing.
HANDLE CopyHandle(HANDLE handle)
{
    HANDLE copy = nullptr;
    if (handle)
        DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    return copy;
}

void CloseIfSet(HANDLE handle)
{
    if (handle)
        CloseHandle(handle);
}

}  // namespace

EngineRun* EngineRun::Create(EngineProcess* target, HANDLE stdoutRead, HANDLE stderrRead,
                             HANDLE stopEvent, HANDLE process)
{
    return new (std::nothrow) EngineRun(target, stdoutRead, stderrRead, stopEvent, process);
}

EngineRun::EngineRun(EngineProcess* target, HANDLE stdoutRead, HANDLE stderrRead,
                     HANDLE stopEvent, HANDLE process)
    : m_target(target),
      m_hStdout(CopyHandle(stdoutRead)),
      m_hStderr(CopyHandle(stderrRead)),
      m_hStopEvent(CopyHandle(stopEvent)),
      m_hProcess(CopyHandle(process))
{
}

EngineRun::~EngineRun()
{
    CloseIfSet(m_hStdout);
    CloseIfSet(m_hStderr);
    CloseIfSet(m_hStopEvent);
    CloseIfSet(m_hProcess);
}

void EngineRun::Release(long holder)
{
    if (m_holders.fetch_and(~holder) == holder)
        delete this;
}

void EngineRun::ReleaseTerminatedWorker(int worker)
{
    m_inHook[worker].store(0);
    if (m_holders.load() & (1L << worker))
        ReleaseWorker(worker);
}

EngineProcess* EngineRun::EnterHook(int worker)
{
    // Marked before the target is read, and Detach clears the target before it looks at the
    // marks: either the detacher sees this call, or this call sees no target.
    m_inHook[worker].store(1);
    EngineProcess* target = m_target.load();
    if (!target)
        m_inHook[worker].store(0);
    return target;
}

bool EngineRun::HookInFlight() const
{
    for (const auto& inHook : m_inHook)
        if (inHook.load())
            return true;
    return false;
}
