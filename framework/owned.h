// Move-only owners of the system's handles, GDI objects and COM interfaces: each releases
// what it holds exactly once, when it goes or is given something else; release() hands
// ownership on. And the scoped pairs: a selected GDI object, a window's device context, a
// critical section entered, COM started on this thread.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstddef>
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
    T operator->() const { return m_value; }  // for an interface pointer
    explicit operator bool() const { return m_value != Releaser::None(); }

    // Gives up ownership without releasing.
    T release()
    {
        T value = m_value;
        m_value = Releaser::None();
        return value;
    }
    void reset(T value = Releaser::None())
    {
        if (m_value != Releaser::None())
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
    T m_value = Releaser::None();
};

// Most owners know null as "none".
struct NullIsNone {
    static std::nullptr_t None() { return nullptr; }
};

struct CloseKernelHandle : NullIsNone {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// CreateFile's "none" is INVALID_HANDLE_VALUE, and null is not a file.
struct CloseFileHandle {
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
struct DeleteGdiObject : NullIsNone {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyIconHandle : NullIsNone {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct DestroyCursorHandle : NullIsNone {
    void operator()(HCURSOR cursor) const { DestroyCursor(cursor); }
};
struct CloseRegistryKey : NullIsNone {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
struct ReleaseInterface : NullIsNone {
    void operator()(IUnknown* object) const { object->Release(); }
};

using OwnedHandle = Owned<HANDLE, CloseKernelHandle>;
using OwnedFile = Owned<HANDLE, CloseFileHandle>;
using OwnedFont = Owned<HFONT, DeleteGdiObject>;
using OwnedBitmap = Owned<HBITMAP, DeleteGdiObject>;
using OwnedIcon = Owned<HICON, DestroyIconHandle>;
using OwnedCursor = Owned<HCURSOR, DestroyCursorHandle>;
using OwnedKey = Owned<HKEY, CloseRegistryKey>;
// One reference to a COM interface.
template <typename Interface>
using ComPtr = Owned<Interface*, ReleaseInterface>;

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

// A critical section for the life of its owner, entered by CriticalSectionLock.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&m_section); }
    ~CriticalSection() { DeleteCriticalSection(&m_section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

private:
    friend class CriticalSectionLock;
    CRITICAL_SECTION m_section;
};

// Holds a critical section for a scope.
class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CriticalSection& section) : m_section(section.m_section)
    {
        EnterCriticalSection(&m_section);
    }
    ~CriticalSectionLock() { LeaveCriticalSection(&m_section); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

// COM on this thread (a single-threaded apartment) for a scope; ended only if it started.
class ComApartment {
public:
    ComApartment() : m_started(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment()
    {
        if (m_started)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_started;
};
