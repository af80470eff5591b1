// Module bookkeeping. The loop registry is a few fixed slots: only interface threads register,
// each for itself, and this program has one. No locks: a thread touches only its own slot.
#include "framework/module.h"

namespace {

struct LoopSlot {
    DWORD threadId;
    MessageLoop* loop;
};

const int kMaxLoops = 4;
HINSTANCE g_instance = nullptr;
LoopSlot g_loops[kMaxLoops] = {};
DWORD g_creatingSlot = TLS_OUT_OF_INDEXES;

LoopSlot* FindSlot(DWORD threadId)
{
    for (LoopSlot& slot : g_loops) {
        if (slot.loop && slot.threadId == threadId)
            return &slot;
    }
    return nullptr;
}

}  // namespace

namespace Module {

void Init(HINSTANCE instance)
{
    g_instance = instance;
    if (g_creatingSlot == TLS_OUT_OF_INDEXES)
        g_creatingSlot = TlsAlloc();
}

void Term()
{
    for (LoopSlot& slot : g_loops)
        slot = LoopSlot{};
    if (g_creatingSlot != TLS_OUT_OF_INDEXES) {
        TlsFree(g_creatingSlot);
        g_creatingSlot = TLS_OUT_OF_INDEXES;
    }
}

HINSTANCE Instance() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }

bool AddMessageLoop(MessageLoop* loop)
{
    DWORD self = GetCurrentThreadId();
    if (!loop || FindSlot(self))
        return false;
    for (LoopSlot& slot : g_loops) {
        if (!slot.loop) {
            slot = LoopSlot{self, loop};
            return true;
        }
    }
    return false;
}

void RemoveMessageLoop()
{
    if (LoopSlot* slot = FindSlot(GetCurrentThreadId()))
        *slot = LoopSlot{};
}

MessageLoop* GetMessageLoop(DWORD threadId)
{
    LoopSlot* slot = FindSlot(threadId);
    return slot ? slot->loop : nullptr;
}

void SetCreatingObject(void* object)
{
    if (g_creatingSlot == TLS_OUT_OF_INDEXES)
        g_creatingSlot = TlsAlloc();
    TlsSetValue(g_creatingSlot, object);
}

void* CreatingObject()
{
    return g_creatingSlot == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(g_creatingSlot);
}

}  // namespace Module
