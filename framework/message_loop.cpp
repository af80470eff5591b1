// Message loop with filters and idle hooks.
#include "framework/message_loop.h"

#include <algorithm>

namespace {
template <typename T>
bool RemoveFrom(std::vector<T*>& list, T* item)
{
    auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}
}  // namespace

bool MessageLoop::AddMessageFilter(MessageFilter* filter)
{
    if (!filter)
        return false;
    m_filters.push_back(filter);
    return true;
}

bool MessageLoop::RemoveMessageFilter(MessageFilter* filter) { return RemoveFrom(m_filters, filter); }

bool MessageLoop::AddIdleHandler(IdleHandler* handler)
{
    if (!handler)
        return false;
    m_idleHandlers.push_back(handler);
    return true;
}

bool MessageLoop::RemoveIdleHandler(IdleHandler* handler) { return RemoveFrom(m_idleHandlers, handler); }

bool MessageLoop::IsIdleMessage(const MSG& msg)
{
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118:  // WM_SYSTIMER: the caret blink
        return false;
    default:
        return true;
    }
}

int MessageLoop::Run()
{
    bool idleAllowed = true;
    MSG msg = {};
    for (;;) {
        while (idleAllowed && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            RunIdleHandlers();
            idleAllowed = false;
        }
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            break;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (IsIdleMessage(msg))
            idleAllowed = true;
    }
    return static_cast<int>(msg.wParam);
}

bool MessageLoop::PreTranslateMessage(MSG* msg)
{
    // The most recently added filter sees the message first.
    for (auto it = m_filters.rbegin(); it != m_filters.rend(); ++it) {
        if ((*it)->PreTranslateMessage(msg))
            return true;
    }
    return false;
}

void MessageLoop::RunIdleHandlers()
{
    for (IdleHandler* handler : m_idleHandlers)
        handler->OnIdle();
}
