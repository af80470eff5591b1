#include "engine_interface/size_text.h"

#include <cstring>

#include "framework/number_text.h"

namespace {

// value with one decimal, rounded half up, then the unit.
void FormatTenths(double value, const char* unit, char* out, int size)
{
    char text[40];
    uint64_t tenths = uint64_t(value * 10 + 0.5);
    int length = FormatDecimal(tenths / 10, text);
    text[length++] = '.';
    text[length++] = char('0' + tenths % 10);
    text[length++] = ' ';
    std::strcpy(text + length, unit);
    std::strncpy(out, text, size_t(size - 1));
    out[size - 1] = '\0';
}

}  // namespace

void FormatSize(int64_t bytes, char* out, int size)
{
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB", "PB", "EB"};
    if (size <= 0)
        return;
    if (bytes < 1024) {
        char text[24];
        int length = FormatDecimal(uint64_t(bytes < 0 ? 0 : bytes), text);
        std::memcpy(text + length, " B", 3);
        std::strncpy(out, text, size_t(size - 1));
        out[size - 1] = '\0';
        return;
    }
    double value = double(bytes) / 1024;
    int unit = 0;
    // What would round to 1024.0 goes one unit up instead.
    while (value >= 1023.95 && unit < 5) {
        value /= 1024;
        ++unit;
    }
    FormatTenths(value, kUnits[unit], out, size);
}

void FormatRate(int64_t bytesPerSecond, char* out, int size)
{
    if (size > 0)
        FormatTenths(double(bytesPerSecond < 0 ? 0 : bytesPerSecond) / 1024, "kB/s", out, size);
}
