// Module bookkeeping. The loop registry is touched only by interface threads registering and
// looking up their own entry; this program has a single interface thread.
#include "framework/module.h"

#include <map>

namespace {
HINSTANCE g_instance = nullptr;
std::map<DWORD, MessageLoop*>* g_loops = nullptr;
}

namespace Module {

void Init(HINSTANCE instance)
{
    g_instance = instance;
    if (!g_loops)
        g_loops = new std::map<DWORD, MessageLoop*>;
}

void Term()
{
    delete g_loops;
    g_loops = nullptr;
}

HINSTANCE Instance() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }

bool AddMessageLoop(MessageLoop* loop)
{
    if (!g_loops || !loop)
        return false;
    return g_loops->emplace(GetCurrentThreadId(), loop).second;
}

void RemoveMessageLoop()
{
    if (g_loops)
        g_loops->erase(GetCurrentThreadId());
}

MessageLoop* GetMessageLoop(DWORD threadId)
{
    if (!g_loops)
        return nullptr;
    auto found = g_loops->find(threadId);
    return found == g_loops->end() ? nullptr : found->second;
}

}  // namespace Module
