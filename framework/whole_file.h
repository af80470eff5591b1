// A file opened for reading with its size checked against a cap, and a whole file read into
// memory: the torrent, as the file list and both engines read it.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/owned.h"

// Opens the file for reading, shared as `share` says, and learns its size (*size).
// ERROR_SUCCESS, or why not: the system's error, or ERROR_FILE_TOO_LARGE for a file of more
// than maxBytes.
DWORD OpenForReading(const char* path, DWORD share, DWORD maxBytes, OwnedFile* file,
                     DWORD* size);

// The file's bytes in a new buffer (*data, at least one byte long) and their count (*size).
// ERROR_SUCCESS, or why not: the system's error, ERROR_FILE_TOO_LARGE for a file of more
// than maxBytes, ERROR_NOT_ENOUGH_MEMORY, or ERROR_HANDLE_EOF for a file that ended early.
DWORD ReadWholeFile(const char* path, DWORD maxBytes, std::unique_ptr<char[]>* data,
                    DWORD* size);
