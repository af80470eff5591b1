#include "framework/whole_file.h"

#include <new>

#include "framework/open_for_reading.h"

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
