// FileSource: a file's bytes for TorrentContents, read a slice at a time through an open
// handle. The file is shared for reading and writing, so that the program never stands in the
// way of whoever wrote it; every read is checked against the size the file had when opened, so
// a file changed under us reads wrong or fails, never past that size. Interface thread only.
#pragma once

#include <windows.h>

#include "framework/owned.h"
#include "torrent/byte_source.h"

class FileSource : public ByteSource {
public:
    // ERROR_SUCCESS, or why not: the system's error, or ERROR_FILE_TOO_LARGE for a file of more
    // than maxBytes (or of 2 GiB).
    DWORD Open(const char* path, DWORD maxBytes);
    void Close();
    size_t Size() const override { return m_size; }
    bool Read(size_t offset, char* out, size_t count) const override;

private:
    OwnedFile m_file;
    DWORD m_size = 0;
};
