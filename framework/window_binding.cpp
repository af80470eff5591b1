// Window binding. The object pointer rides on the window itself: DWLP_USER for our dialogs,
// a window property for subclassed windows (their DWLP_USER/GWLP_USERDATA belong to others).
#include "framework/window_binding.h"

#include "framework/module.h"

namespace {
const char kBindingProp[] = "Sprout.WindowBinding";

// Messages whose dialog-procedure result is the return value itself, not DWLP_MSGRESULT.
bool ReturnsValueDirectly(UINT msg)
{
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}
}  // namespace

WindowBinding::~WindowBinding()
{
    if (m_hWnd && m_subclassed) {
        if (GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(SubclassProc))
            SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevProc));
        RemovePropA(m_hWnd, kBindingProp);
    } else if (m_hWnd) {
        SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    }
}

void WindowBinding::OnFinalMessage(HWND) {}

HWND WindowBinding::CreateBoundDialog(HINSTANCE instance, int templateId, HWND parent)
{
    // CreateDialogParamA delivers messages before WM_INITDIALOG brings its lParam, and the
    // binding must see those too.
    void* outer = Module::CreatingObject();
    Module::SetCreatingObject(this);
    HWND hwnd = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    Module::SetCreatingObject(outer);
    return hwnd;
}

bool WindowBinding::SubclassWindow(HWND hwnd)
{
    // The property goes on first: the new procedure may be called as soon as it is installed.
    if (!SetPropA(hwnd, kBindingProp, this))
        return false;
    LONG_PTR previous =
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc));
    if (!previous) {
        RemovePropA(hwnd, kBindingProp);
        return false;
    }
    m_hWnd = hwnd;
    m_pfnPrevProc = reinterpret_cast<WNDPROC>(previous);
    m_subclassed = true;
    m_destroyed = false;
    return true;
}

INT_PTR CALLBACK WindowBinding::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<WindowBinding*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!self && Module::CreatingObject()) {
        self = static_cast<WindowBinding*>(Module::CreatingObject());
        Module::SetCreatingObject(nullptr);
        self->m_hWnd = hwnd;
        self->m_destroyed = false;
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return FALSE;
    LRESULT result = 0;
    if (!self->Route(hwnd, msg, wParam, lParam, result))
        return FALSE;
    if (ReturnsValueDirectly(msg))
        return static_cast<INT_PTR>(result);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT CALLBACK WindowBinding::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<WindowBinding*>(GetPropA(hwnd, kBindingProp));
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    self->Route(hwnd, msg, wParam, lParam, result);
    return result;
}

bool WindowBinding::Route(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    ++m_depth;

    bool handled = ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
    if (!handled && m_subclassed) {
        result = msg == WM_NCDESTROY ? ForwardNcDestroy(hwnd, wParam, lParam)
                                     : CallWindowProcA(m_pfnPrevProc, hwnd, msg, wParam, lParam);
        handled = true;
    }
    if (msg == WM_NCDESTROY)
        m_destroyed = true;

    --m_depth;
    if (m_depth == 0 && m_destroyed) {
        Unbind();
        OnFinalMessage(hwnd);
    }
    return handled;
}

LRESULT WindowBinding::ForwardNcDestroy(HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    // Put the previous procedure back only if nobody subclassed the window after us.
    LONG_PTR ours = GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
    LRESULT result = CallWindowProcA(m_pfnPrevProc, hwnd, WM_NCDESTROY, wParam, lParam);
    if (m_pfnPrevProc != DefWindowProcA && GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == ours)
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevProc));
    return result;
}

void WindowBinding::Unbind()
{
    if (m_subclassed)
        RemovePropA(m_hWnd, kBindingProp);
    m_hWnd = nullptr;
    m_subclassed = false;
    m_destroyed = false;
}
