#include "app/engine_stderr.h"

void EngineStderr::Clear()
{
    EnterCriticalSection(&m_lock);
    m_tail.Clear();
    LeaveCriticalSection(&m_lock);
}

void EngineStderr::Append(const char* chunk)
{
    EnterCriticalSection(&m_lock);
    m_tail.Append(chunk);
    LeaveCriticalSection(&m_lock);
}

void EngineStderr::LastLine(char* out, int size)
{
    EnterCriticalSection(&m_lock);
    m_tail.LastLine(out, size);
    LeaveCriticalSection(&m_lock);
}
