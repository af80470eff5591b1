// Wine answers a crash with a dialog that waits for a click when a display is there; a test
// whose engine crashes on purpose turns it off for its own life (the value is Wine's own and
// means nothing to Windows).
#pragma once

#include <windows.h>

namespace reliability {

class CrashDialogOff {
public:
    CrashDialogOff()
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineDbg", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_key, nullptr)
            != ERROR_SUCCESS) {
            m_key = nullptr;
            return;
        }
        DWORD size = sizeof(m_old);
        m_hadValue = RegQueryValueExA(m_key, kValue, nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&m_old), &size) == ERROR_SUCCESS;
        DWORD off = 0;
        RegSetValueExA(m_key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                       sizeof(off));
    }
    ~CrashDialogOff()
    {
        if (!m_key)
            return;
        if (m_hadValue)
            RegSetValueExA(m_key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&m_old),
                           sizeof(m_old));
        else
            RegDeleteValueA(m_key, kValue);
        RegCloseKey(m_key);
    }
    CrashDialogOff(const CrashDialogOff&) = delete;
    CrashDialogOff& operator=(const CrashDialogOff&) = delete;

private:
    static constexpr const char* kValue = "ShowCrashDialog";
    HKEY m_key = nullptr;
    DWORD m_old = 0;
    bool m_hadValue = false;
};

}  // namespace reliability
