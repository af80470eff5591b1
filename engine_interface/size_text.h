// Sizes and rates as the engines print them and the file list shows them: "512 B", "1.5 kB",
// "700.0 MB", "4.4 GB", in steps of 1024, and "35.2 kB/s". Into out (size bytes with the
// terminator), cut when it does not fit. Portable.
#pragma once

#include <cstdint>

void FormatSize(int64_t bytes, char* out, int size);
void FormatRate(int64_t bytesPerSecond, char* out, int size);
