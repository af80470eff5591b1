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

DWORD ReadFully(HANDLE file, char* out, DWORD count)
{
    for (DWORD done = 0; done < count;) {
        DWORD read = 0;
        if (!ReadFile(file, out + done, count - done, &read, nullptr))
            return GetLastError();
        if (read == 0)
            return ERROR_HANDLE_EOF;
        done += read;
    }
    return ERROR_SUCCESS;
}
