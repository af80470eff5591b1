#include "framework/number_text.h"

int FormatDecimal(uint64_t value, char* out)
{
    char reversed[20];
    int count = 0;
    do {
        reversed[count++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    for (int i = 0; i < count; ++i)
        out[i] = reversed[count - 1 - i];
    out[count] = '\0';
    return count;
}

void FormatHex32(uint32_t value, char* out)
{
    static const char kDigits[] = "0123456789ABCDEF";
    out[0] = '0';
    out[1] = 'x';
    for (int i = 0; i < 8; ++i)
        out[2 + i] = kDigits[(value >> (28 - 4 * i)) & 0xF];
    out[10] = '\0';
}
