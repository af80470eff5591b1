// A file opened for reading with its size checked against a cap, and read from: the torrent, as
// the file list reads it a slice at a time and the engines read it whole.
#pragma once

#include <windows.h>

#include "framework/owned.h"

// Opens the file for reading, shared as `share` says, and learns its size (*size).
// ERROR_SUCCESS, or why not: the system's error, or ERROR_FILE_TOO_LARGE for a file of more
// than maxBytes.
DWORD OpenForReading(const char* path, DWORD share, DWORD maxBytes, OwnedFile* file,
                     DWORD* size);

// Reads exactly `count` bytes from the file's current position into out. ERROR_SUCCESS, the
// system's error, or ERROR_HANDLE_EOF for a file that ended first.
DWORD ReadFully(HANDLE file, char* out, DWORD count);
