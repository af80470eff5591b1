#include "torrent/size_text.h"

#include <cstring>

#include "framework/number_text.h"

void FormatSize(int64_t bytes, char* out, int size)
{
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    if (size <= 0)
        return;
    char text[40];
    int length;
    if (bytes < 1024) {
        length = FormatDecimal(uint64_t(bytes < 0 ? 0 : bytes), text);
        std::memcpy(text + length, " B", 3);
    } else {
        double value = double(bytes) / 1024;
        int unit = 0;
        // What would round to 1024.0 goes one unit up instead.
        while (value >= 1023.95 && unit < 5) {
            value /= 1024;
            ++unit;
        }
        uint64_t tenths = uint64_t(value * 10 + 0.5);
        length = FormatDecimal(tenths / 10, text);
        text[length++] = '.';
        text[length++] = char('0' + tenths % 10);
        text[length++] = ' ';
        std::memcpy(text + length, kUnits[unit], 3);
    }
    std::strncpy(out, text, size_t(size - 1));
    out[size - 1] = '\0';
}
