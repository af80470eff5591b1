// Message loop with filters.
#include "framework/message_loop.h"

bool MessageLoop::AddMessageFilter(MessageFilter* filter)
{
    if (!filter || m_filterCount == kMaxFilters)
        return false;
    m_filters[m_filterCount++] = filter;
    return true;
}

bool MessageLoop::RemoveMessageFilter(MessageFilter* filter)
{
    for (int i = 0; i < m_filterCount; ++i) {
        if (m_filters[i] == filter) {
            for (int j = i + 1; j < m_filterCount; ++j)
                m_filters[j - 1] = m_filters[j];
            m_filters[--m_filterCount] = nullptr;
            return true;
        }
    }
    return false;
}

int MessageLoop::Run()
{
    MSG msg = {};
    for (;;) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            continue;
        if (!got)
            break;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
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
