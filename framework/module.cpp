// Module bookkeeping. Each interface thread's loop and object under construction sit in
// thread-local slots, so a thread only ever sees its own: no locks, nothing shared but the
// two slot indexes, which Init takes before any other thread exists.
#include "framework/module.h"

namespace {

HINSTANCE g_instance = nullptr;
DWORD g_loopSlot = TLS_OUT_OF_INDEXES;
DWORD g_creatingSlot = TLS_OUT_OF_INDEXES;

// The slot's index, taken on first use when Init has not run (as in the framework's tests).
DWORD Slot(DWORD& slot)
{
    if (slot == TLS_OUT_OF_INDEXES)
        slot = TlsAlloc();
    return slot;
}

void* SlotValue(DWORD slot) { return slot == TLS_OUT_OF_INDEXES ? nullptr : TlsGetValue(slot); }

void FreeSlot(DWORD& slot)
{
    if (slot != TLS_OUT_OF_INDEXES)
        TlsFree(slot);
    slot = TLS_OUT_OF_INDEXES;
}

}  // namespace

namespace Module {

void Init(HINSTANCE instance)
{
    g_instance = instance;
    Slot(g_loopSlot);
    Slot(g_creatingSlot);
}

void Term()
{
    FreeSlot(g_loopSlot);
    FreeSlot(g_creatingSlot);
}

HINSTANCE Instance() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }

bool AddMessageLoop(MessageLoop* loop)
{
    if (!loop || GetMessageLoop())
        return false;
    return TlsSetValue(Slot(g_loopSlot), loop) != 0;
}

void RemoveMessageLoop()
{
    if (GetMessageLoop())
        TlsSetValue(g_loopSlot, nullptr);
}

MessageLoop* GetMessageLoop() { return static_cast<MessageLoop*>(SlotValue(g_loopSlot)); }

void SetCreatingObject(void* object) { TlsSetValue(Slot(g_creatingSlot), object); }

void* CreatingObject() { return SlotValue(g_creatingSlot); }

}  // namespace Module
