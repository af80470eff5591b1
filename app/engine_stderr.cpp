#include "app/engine_stderr.h"

void EngineStderr::Clear()
{
    CriticalSectionLock lock(m_lock);
    m_tail.Clear();
}

void EngineStderr::Append(const char* chunk)
{
    CriticalSectionLock lock(m_lock);
    m_tail.Append(chunk);
}

void EngineStderr::LastLine(char* out, int size)
{
    CriticalSectionLock lock(m_lock);
    m_tail.LastLine(out, size);
}
