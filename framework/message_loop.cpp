// Message loop with filters and idle hooks.
#include "framework/message_loop.h"

namespace {
template <typename T>
bool AddTo(T** list, int& count, int capacity, T* item)
{
    if (!item || count == capacity)
        return false;
    list[count++] = item;
    return true;
}

template <typename T>
bool RemoveFrom(T** list, int& count, T* item)
{
    for (int i = 0; i < count; ++i) {
        if (list[i] == item) {
            for (int j = i + 1; j < count; ++j)
                list[j - 1] = list[j];
            list[--count] = nullptr;
            return true;
        }
    }
    return false;
}
}  // namespace

bool MessageLoop::AddMessageFilter(MessageFilter* filter)
{
    return AddTo(m_filters, m_filterCount, kMaxEntries, filter);
}

bool MessageLoop::RemoveMessageFilter(MessageFilter* filter)
{
    return RemoveFrom(m_filters, m_filterCount, filter);
}

bool MessageLoop::AddIdleHandler(IdleHandler* handler)
{
    return AddTo(m_idleHandlers, m_idleCount, kMaxEntries, handler);
}

bool MessageLoop::RemoveIdleHandler(IdleHandler* handler)
{
    return RemoveFrom(m_idleHandlers, m_idleCount, handler);
}

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
    for (int i = m_filterCount - 1; i >= 0; --i) {
        if (m_filters[i]->PreTranslateMessage(msg))
            return true;
    }
    return false;
}

void MessageLoop::RunIdleHandlers()
{
    for (int i = 0; i < m_idleCount; ++i)
        m_idleHandlers[i]->OnIdle();
}
