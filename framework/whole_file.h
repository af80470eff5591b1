// A whole file read into memory: the torrent, as both engines read it.
#pragma once

#include <windows.h>

#include <memory>

// The file's bytes in a new buffer (*data, at least one byte long) and their count (*size).
// ERROR_SUCCESS, or why not: the system's error, ERROR_FILE_TOO_LARGE for a file of more
// than maxBytes, ERROR_NOT_ENOUGH_MEMORY, or ERROR_HANDLE_EOF for a file that ended early.
DWORD ReadWholeFile(const char* path, DWORD maxBytes, std::unique_ptr<char[]>* data,
                    DWORD* size);
