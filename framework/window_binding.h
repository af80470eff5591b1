// Binds one window to one C++ object for the window's whole life: either a modeless dialog
// that the object creates from a template, or an existing window that it subclasses.
// Every message goes to ProcessWindowMessage first; what that declines goes on to the dialog
// manager's default handling or to the window's previous procedure. Messages may nest (a
// handler that sends a message to its own window); the binding ends only when the outermost
// message after WM_NCDESTROY has returned, and then calls OnFinalMessage.
#pragma once

#include <windows.h>

class WindowBinding {
public:
    WindowBinding(const WindowBinding&) = delete;
    WindowBinding& operator=(const WindowBinding&) = delete;

    HWND BoundWindow() const { return m_hWnd; }

protected:
    WindowBinding() = default;
    // A window still bound when its object dies is unbound first, so that no later message can
    // reach the dead object (a subclassed window gets its previous procedure back).
    virtual ~WindowBinding();

    // The object's message table. Return true and set result when the message is handled.
    virtual bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) = 0;
    // After the window's final message; the window handle is no longer valid for use.
    virtual void OnFinalMessage(HWND hwnd);

    // Creates a modeless dialog from a template; the object sees its messages from the first one.
    HWND CreateBoundDialog(HINSTANCE instance, int templateId, HWND parent);

    // Installs our procedure on an existing window; false, and unbound, when SetWindowLongA fails.
    bool SubclassWindow(HWND hwnd);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Runs the table with nesting bookkeeping; for a subclassed window also the previous
    // procedure. Returns whether the message was handled (always true when subclassed).
    bool Route(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT ForwardNcDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam);
    void Unbind();

    HWND m_hWnd = nullptr;
    // The window's procedure before subclassing; DefWindowProcA until then.
    WNDPROC m_pfnPrevProc = DefWindowProcA;
    int m_depth = 0;
    bool m_destroyed = false;
    bool m_subclassed = false;
};
