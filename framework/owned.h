// Move-only owners of the system's handles and GDI objects: each releases what it holds
// exactly once, when it goes or is given something else; release() hands ownership on.
#pragma once

#include <windows.h>

#include <utility>

template <typename T, typename Releaser>
class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : m_value(value) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : m_value(other.release()) {}
    Owned& operator=(Owned&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    T get() const { return m_value; }
    explicit operator bool() const { return m_value != T(); }

    // Gives up ownership without releasing.
    T release()
    {
        T value = m_value;
        m_value = T();
        return value;
    }
    void reset(T value = T())
    {
        if (m_value != T())
            Releaser()(m_value);
        m_value = value;
    }
    // For a call that writes a new handle into its argument: what was held goes first.
    T* put()
    {
        reset();
        return &m_value;
    }

private:
    T m_value = T();
};

struct CloseKernelHandle {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct DestroyCursorHandle {
    void operator()(HCURSOR cursor) const { DestroyCursor(cursor); }
};
struct CloseRegistryKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};

// Kernel objects: null is "none" (INVALID_HANDLE_VALUE is never stored here).
using OwnedHandle = Owned<HANDLE, CloseKernelHandle>;
using OwnedFont = Owned<HFONT, DeleteGdiObject>;
using OwnedBitmap = Owned<HBITMAP, DeleteGdiObject>;
using OwnedIcon = Owned<HICON, DestroyIconHandle>;
using OwnedCursor = Owned<HCURSOR, DestroyCursorHandle>;
using OwnedKey = Owned<HKEY, CloseRegistryKey>;

// Selects an object into a device context for a scope and puts the previous one back.
// A null object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr)
    {
    }
    ~SelectedObject()
    {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDc()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};
