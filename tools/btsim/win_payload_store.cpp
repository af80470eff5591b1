// Each write opens and closes its file, so that nothing stays open between status blocks and
// a killed engine leaves every byte it reported on disk.
#include "tools/btsim/win_payload_store.h"

#include <windows.h>

#include "framework/owned.h"

int64_t WinPayloadStore::FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
        || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

bool WinPayloadStore::MakeDirectory(const std::string& path)
{
    if (CreateDirectoryA(path.c_str(), nullptr))
        return true;
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WinPayloadStore::Write(const std::string& path, int64_t offset, const char* data, size_t size)
{
    OwnedFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    LARGE_INTEGER position;
    position.QuadPart = offset;
    DWORD written = 0;
    return SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)
           && (size == 0 || (::WriteFile(file.get(), data, DWORD(size), &written, nullptr)
                             && written == size));
}
