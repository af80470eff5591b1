// Registry texts in fixed buffers.
#include "controls/registry_string.h"

LONG ReadStringValue(HKEY key, const char* name, char* buffer, DWORD* size)
{
    DWORD count = *size;
    *size = 0;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                   &count);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return ERROR_INVALID_DATA;
    if (count == 0 || buffer[count - 1] != '\0')
        return ERROR_INVALID_DATA;
    *size = count;
    return ERROR_SUCCESS;
}
