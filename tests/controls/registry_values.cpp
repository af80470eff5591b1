// Saving and restoring test values in the registry.
#include "tests/controls/registry_values.h"

RegistryValues::RegistryValues(const char* keyPath, std::vector<std::string> names)
    : m_path(keyPath)
{
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &m_key, &disposition) != ERROR_SUCCESS) {
        m_key = nullptr;
        return;
    }
    m_created = disposition == REG_CREATED_NEW_KEY;
    for (std::string& name : names) {
        Saved saved;
        saved.name = name;
        DWORD size = 0;
        if (RegQueryValueExA(m_key, name.c_str(), nullptr, &saved.type, nullptr, &size) ==
            ERROR_SUCCESS) {
            saved.data.resize(size);
            saved.present = RegQueryValueExA(m_key, name.c_str(), nullptr, &saved.type,
                                             saved.data.data(), &size) == ERROR_SUCCESS;
            saved.data.resize(size);
        }
        m_saved.push_back(saved);
    }
    Clear();
}

RegistryValues::~RegistryValues()
{
    if (!m_key)
        return;
    Clear();
    for (const Saved& saved : m_saved) {
        if (saved.present)
            RegSetValueExA(m_key, saved.name.c_str(), 0, saved.type, saved.data.data(),
                           static_cast<DWORD>(saved.data.size()));
    }
    RegCloseKey(m_key);
    if (m_created)
        RegDeleteKeyA(HKEY_CURRENT_USER, m_path.c_str());
}

bool RegistryValues::Set(const char* name, DWORD type, const std::string& data)
{
    return m_key && RegSetValueExA(m_key, name, 0, type,
                                   reinterpret_cast<const BYTE*>(data.data()),
                                   static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool RegistryValues::SetDword(const char* name, DWORD value)
{
    return Set(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof(value)));
}

void RegistryValues::Clear()
{
    for (const Saved& saved : m_saved)
        RegDeleteValueA(m_key, saved.name.c_str());
}
