// The engine's standard error as the failure balloon needs it: the stderr reader appends,
// the interface thread clears it before a run and reads the last line after the engine has
// ended, possibly while the reader still delivers a last chunk; a critical section keeps
// the two apart.
#pragma once

#include "app/stderr_tail.h"
#include "framework/owned.h"

class EngineStderr {
public:
    void Clear();
    void Append(const char* chunk);
    void LastLine(char* out, int size);

private:
    CriticalSection m_lock;
    StderrTail m_tail;
};
