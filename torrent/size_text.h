// A byte count as the file list shows it: "512 B", "1.5 KB", "700.0 MB", "4.4 GB", in steps
// of 1024. Portable.
#pragma once

#include <cstdint>

void FormatSize(int64_t bytes, char* out, int size);
