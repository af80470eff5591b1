// Lets a test compare a Text with a literal, as EXPECT_EQ does; the program itself never needs to.
#pragma once

#include <cstring>

#include "framework/text.h"

inline bool operator==(const Text& text, const char* other)
{
    return std::strcmp(text.c_str(), other ? other : "") == 0;
}
