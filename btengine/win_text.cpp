// Text conversions between the code pages the engine meets.
#include "btengine/win_text.h"

namespace {

std::wstring ToWide(UINT codePage, const std::string& text)
{
    if (text.empty())
        return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0], length);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int length = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string narrow(size_t(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &narrow[0], length,
                            nullptr, nullptr);
    return narrow;
}

}  // namespace

std::string Utf8FromWide(const std::wstring& text) { return FromWide(CP_UTF8, text); }
std::wstring WideFromUtf8(const std::string& text) { return ToWide(CP_UTF8, text); }
std::string AnsiFromUtf8(const std::string& text) { return FromWide(CP_ACP, WideFromUtf8(text)); }

std::string SystemMessage(DWORD error)
{
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof(text), nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'
                          || text[length - 1] == ' ' || text[length - 1] == '.'))
        text[--length] = '\0';
    if (length == 0)
        return "error " + std::to_string(error);
    return text;
}
