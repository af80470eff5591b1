#include "engine/start_failure_text.h"

#include <cstring>

#include "framework/text.h"

void FormatStartFailure(const char* commandLine, char (&text)[kStartFailureTextBytes])
{
    static const char kPrefix[] = "Unable to start ";
    const int prefixLength = sizeof(kPrefix) - 1;
    std::memcpy(text, kPrefix, prefixLength);
    // One byte of the room is kept for the line feed.
    int length = CopyWholeChars(text + prefixLength, kStartFailureTextBytes - prefixLength - 1,
                                commandLine, static_cast<int>(std::strlen(commandLine)));
    text[prefixLength + length] = '\n';
    text[prefixLength + length + 1] = '\0';
}
