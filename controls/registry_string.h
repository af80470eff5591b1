// Reads a short registry text into a caller's fixed buffer, refusing anything that is not a
// complete, NUL-terminated string.
#pragma once

#include <windows.h>

// size holds the buffer's capacity in bytes on entry and the bytes read (NUL included) on
// success; it is 0 after a failure. Returns ERROR_SUCCESS, the registry's own error (a value
// too big for the buffer is ERROR_MORE_DATA) or ERROR_INVALID_DATA for a value that is not
// REG_SZ or REG_EXPAND_SZ (taken unexpanded) or whose last byte is not NUL (an empty value
// included).
LONG ReadStringValue(HKEY key, const char* name, char* buffer, DWORD* size);
