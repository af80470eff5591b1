#include "engine/engine_run.h"

#include <new>

EngineRun* EngineRun::Create(EngineProcess* target, OwnedHandle& stdoutRead,
                             OwnedHandle& stderrRead, OwnedHandle& stopEvent)
{
    return new (std::nothrow) EngineRun(target, stdoutRead, stderrRead, stopEvent);
}

EngineRun::EngineRun(EngineProcess* target, OwnedHandle& stdoutRead, OwnedHandle& stderrRead,
                     OwnedHandle& stopEvent)
    : m_target(target),
      m_hStdout(std::move(stdoutRead)),
      m_hStderr(std::move(stderrRead)),
      m_hStopEvent(std::move(stopEvent))
{
}

void EngineRun::Release(long holder)
{
    if (m_holders.fetch_and(~holder) == holder)
        delete this;
}

void EngineRun::ReleaseTerminatedWorker(int worker)
{
    if (m_holders.load() & (1L << worker))
        ReleaseWorker(worker);
}

EngineProcess* EngineRun::EnterHook(int worker)
{
    // Marked before the target is read, and Detach clears the target before it looks at the
    // marks: either the detacher sees this call, or this call sees no target.
    long outOfHook = kOutOfHook;
    if (!m_hookState[worker].compare_exchange_strong(outOfHook, kInHook))
        return nullptr;
    EngineProcess* target = m_target.load();
    if (!target)
        m_hookState[worker].store(kOutOfHook);
    return target;
}

bool EngineRun::HookInFlight() const
{
    for (const auto& state : m_hookState)
        if (state.load() == kInHook)
            return true;
    return false;
}

bool EngineRun::BarHooks(int worker)
{
    long outOfHook = kOutOfHook;
    return m_hookState[worker].compare_exchange_strong(outOfHook, kBarred) ||
           outOfHook == kBarred;
}
