// The interface thread's message loop, with message filters (offered a message before it is
// translated and dispatched) and idle hooks (run once each time the queue runs dry).
#pragma once

#include <windows.h>

class MessageFilter {
public:
    // True when the filter has handled the message and it must not be dispatched.
    virtual bool PreTranslateMessage(MSG* msg) = 0;

protected:
    ~MessageFilter() = default;
};

class IdleHandler {
public:
    virtual void OnIdle() = 0;

protected:
    ~IdleHandler() = default;
};

class MessageLoop {
public:
    bool AddMessageFilter(MessageFilter* filter);
    bool RemoveMessageFilter(MessageFilter* filter);
    bool AddIdleHandler(IdleHandler* handler);
    bool RemoveIdleHandler(IdleHandler* handler);

    // Runs until WM_QUIT and returns its wParam.
    int Run();

    // Mouse moves, paints and the caret blink (0x0118) come in steady streams and must not
    // wake the idle hooks again; any other message does.
    static bool IsIdleMessage(const MSG& msg);

private:
    bool PreTranslateMessage(MSG* msg);
    void RunIdleHandlers();

    // A few windows at most register with one loop; fixed slots keep the loop allocation-free.
    static const int kMaxEntries = 8;
    MessageFilter* m_filters[kMaxEntries] = {};
    int m_filterCount = 0;
    IdleHandler* m_idleHandlers[kMaxEntries] = {};
    int m_idleCount = 0;
};
