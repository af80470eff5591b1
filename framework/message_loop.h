// The interface thread's message loop, with message filters (offered a message before it is
// translated and dispatched).
#pragma once

#include <windows.h>

class MessageFilter {
public:
    // True when the filter has handled the message and it must not be dispatched.
    virtual bool PreTranslateMessage(MSG* msg) = 0;

protected:
    ~MessageFilter() = default;
};

class MessageLoop {
public:
    bool AddMessageFilter(MessageFilter* filter);
    bool RemoveMessageFilter(MessageFilter* filter);

    // Runs until WM_QUIT and returns its wParam.
    int Run();

private:
    bool PreTranslateMessage(MSG* msg);

    // A few windows at most register with one loop; fixed slots keep the loop allocation-free.
    static const int kMaxFilters = 8;
    MessageFilter* m_filters[kMaxFilters] = {};
    int m_filterCount = 0;
};
