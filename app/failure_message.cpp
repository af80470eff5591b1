#include "app/failure_message.h"

#include <cstring>

#include "framework/number_text.h"
#include "framework/text.h"
#include "status/status_texts.h"

namespace {

// Appends as much of `text` as fits in whole characters; out stays terminated.
void Append(char* out, int size, const char* text)
{
    int used = static_cast<int>(std::strlen(out));
    CopyWholeChars(out + used, size - used, text, static_cast<int>(std::strlen(text)));
}

// The system's messages end in a line break (and some in a full stop after it).
void AppendTrimmed(char* out, int size, const char* text)
{
    Text trimmed(text);
    trimmed.Trim();
    Append(out, size, trimmed.c_str());
}

}  // namespace

void FormatStartFailureText(const char* systemMessage, const char* enginePath, char* out,
                            int size)
{
    if (size <= 0)
        return;
    out[0] = '\0';
    Append(out, size, texts::kCannotStart);
    Append(out, size, enginePath);
    Append(out, size, "\r\n");
    AppendTrimmed(out, size, systemMessage);
}

void FormatEngineStoppedText(unsigned long exitCode, const char* lastLine, char* out, int size)
{
    if (size <= 0)
        return;
    char code[24];
    if (exitCode > 0xFFFF)
        FormatHex32(static_cast<uint32_t>(exitCode), code);
    else
        FormatDecimal(exitCode, code);
    out[0] = '\0';
    Append(out, size, texts::kEngineEnded);
    Append(out, size, code);
    if (*lastLine) {
        Append(out, size, "\r\n");
        AppendTrimmed(out, size, lastLine);
    }
}
