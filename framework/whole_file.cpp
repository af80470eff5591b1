#include "framework/whole_file.h"

#include <new>

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

DWORD ReadWholeFile(const char* path, DWORD maxBytes, std::unique_ptr<char[]>* data,
                    DWORD* size)
{
    data->reset();
    *size = 0;
    OwnedFile file;
    DWORD length = 0;
    DWORD opened = OpenForReading(path, FILE_SHARE_READ, maxBytes, &file, &length);
    if (opened != ERROR_SUCCESS)
        return opened;
    std::unique_ptr<char[]> bytes(new (std::nothrow) char[length ? length : 1]);
    if (!bytes)
        return ERROR_NOT_ENOUGH_MEMORY;
    for (DWORD done = 0; done < length;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.get() + done, length - done, &read, nullptr))
            return GetLastError();
        if (read == 0)
            return ERROR_HANDLE_EOF;
        done += read;
    }
    *data = std::move(bytes);
    *size = length;
    return ERROR_SUCCESS;
}
