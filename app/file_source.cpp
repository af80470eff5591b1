#include "app/file_source.h"

#include "framework/open_for_reading.h"

DWORD FileSource::Open(const char* path, DWORD maxBytes)
{
    Close();
    // No FILE_SHARE_DELETE: Windows 9x refuses it. Offsets are LONGs: below 2 GiB.
    return OpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          maxBytes < DWORD(MAXLONG) ? maxBytes : DWORD(MAXLONG), &m_file, &m_size);
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
    return SetFilePointer(m_file.get(), LONG(offset), nullptr, FILE_BEGIN) == DWORD(offset)
           && ReadFully(m_file.get(), out, DWORD(count)) == ERROR_SUCCESS;
}
