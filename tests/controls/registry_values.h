// Test values under a key of HKEY_CURRENT_USER. The named values are saved and cleared on
// construction and put back as they were (or removed) on destruction; a key the helper had
// to create is removed again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class RegistryValues {
public:
    RegistryValues(const char* keyPath, std::vector<std::string> names);
    ~RegistryValues();
    RegistryValues(const RegistryValues&) = delete;
    RegistryValues& operator=(const RegistryValues&) = delete;

    HKEY Key() const { return m_key; }
    // Stores bytes exactly as given (a string's NUL only when it is part of `data`).
    bool Set(const char* name, DWORD type, const std::string& data);
    bool SetString(const char* name, const std::string& text)
    {
        return Set(name, REG_SZ, std::string(text.c_str(), text.size() + 1));
    }
    bool SetDword(const char* name, DWORD value);
    void Clear();

private:
    struct Saved {
        std::string name;
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    std::string m_path;
    HKEY m_key = nullptr;
    bool m_created = false;
    std::vector<Saved> m_saved;
};
