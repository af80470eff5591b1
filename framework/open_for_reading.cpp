#include "framework/open_for_reading.h"

DWORD OpenForReading(const char* path, DWORD share, DWORD maxBytes, OwnedFile* file,
                     DWORD* size)
{
    file->reset();
    *size = 0;
    OwnedFile opened(CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!opened)
        return GetLastError();
    DWORD high = 0;
    DWORD length = GetFileSize(opened.get(), &high);
    if (length == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return GetLastError();
    if (high != 0 || length > maxBytes)
        return ERROR_FILE_TOO_LARGE;
    *file = std::move(opened);
    *size = length;
    return ERROR_SUCCESS;
}
