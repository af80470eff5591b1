// Text conversions and messages for the real engine (Windows).
#pragma once

#include <windows.h>

#include <string>

// libtorrent speaks UTF-8; the front-end shows the engine's bytes in the ANSI code page.
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);
std::string AnsiFromUtf8(const std::string& text);

// The system's text for an error code, on one line.
std::string SystemMessage(DWORD error);
