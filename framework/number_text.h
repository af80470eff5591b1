// Numbers as text without the C library's printf, whose float support would make the
// program twice as large. Portable.
#pragma once

#include <cstdint>

// Decimal digits of value into out (at least 21 bytes), terminated; returns the length.
int FormatDecimal(uint64_t value, char* out);
// "0x" and eight upper-case hexadecimal digits into out (at least 11 bytes), terminated.
void FormatHex32(uint32_t value, char* out);
