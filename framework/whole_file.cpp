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
    DWORD read = ReadFully(file.get(), bytes.get(), length);
    if (read != ERROR_SUCCESS)
        return read;
    *data = std::move(bytes);
    *size = length;
    return ERROR_SUCCESS;
}
