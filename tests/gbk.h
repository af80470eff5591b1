// Host tests run the code-page rules with GBK (code page 936): lead bytes 0x81 to 0xFE.
#pragma once

#include "framework/text.h"
#include "tests/text_compare.h"

inline bool GbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

struct UseGbk {
    UseGbk() { SetLeadByteTest(GbkLeadByte); }
    ~UseGbk() { SetLeadByteTest(nullptr); }
};
