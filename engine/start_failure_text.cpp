#include "engine/start_failure_text.h"

#include <windows.h>

#include <cstring>

void FormatStartFailure(const char* commandLine, char (&text)[kStartFailureTextBytes])
{
    static const char kPrefix[] = "Unable to start ";
    const int prefixLength = sizeof(kPrefix) - 1;
    const int room = kStartFailureTextBytes - prefixLength - 2;  // the line feed, the NUL

    // Whole characters of the system code page only: never half of a double-byte one.
    int length = 0;
    for (const char* p = commandLine; *p;) {
        int step = IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] ? 2 : 1;
        if (length + step > room)
            break;
        length += step;
        p += step;
    }
    std::memcpy(text, kPrefix, prefixLength);
    std::memcpy(text + prefixLength, commandLine, length);
    text[prefixLength + length] = '\n';
    text[prefixLength + length + 1] = '\0';
}
