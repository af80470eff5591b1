#include "app/file_source.h"

DWORD FileSource::Open(const char* path, DWORD maxBytes)
{
    Close();
    // No FILE_SHARE_DELETE: Windows 9x refuses it.
    OwnedFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    DWORD high = 0;
    DWORD length = GetFileSize(file.get(), &high);
    if (length == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return GetLastError();
    if (high != 0 || length > maxBytes || length > DWORD(MAXLONG))
        return ERROR_FILE_TOO_LARGE;
    m_file = std::move(file);
    m_size = length;
    return ERROR_SUCCESS;
}

void FileSource::Close()
{
    m_file.reset();
    m_size = 0;
}

// SetFilePointer and ReadFile, which every Windows has; the size is below 2 GiB, so an offset
// is a positive LONG.
bool FileSource::Read(size_t offset, char* out, size_t count) const
{
    if (!m_file || offset > m_size || count > m_size - offset)
        return false;
    if (SetFilePointer(m_file.get(), LONG(offset), nullptr, FILE_BEGIN) != DWORD(offset))
        return false;
    for (size_t done = 0; done < count;) {
        DWORD read = 0;
        if (!ReadFile(m_file.get(), out + done, DWORD(count - done), &read, nullptr) || read == 0)
            return false;
        done += read;
    }
    return true;
}
