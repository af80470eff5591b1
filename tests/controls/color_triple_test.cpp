// The link colour strings as the browser stores them: "red,green,blue".
#include "controls/color_triple.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/gbk.h"

namespace {

uint32_t Parse(std::string text) { return ParseColorTriple(&text[0]); }

uint32_t Rgb(unsigned red, unsigned green, unsigned blue)
{
    return blue << 16 | green << 8 | red;
}

struct Case {
    const char* text;
    uint32_t expected;
};

}  // namespace

TEST(ColorTriple, ReadsRedGreenBlueInThatOrder)
{
    const Case cases[] = {
        {"0,0,255", 0x00FF0000u},
        {"255,0,0", 0x000000FFu},
        {"128,0,128", 0x00800080u},
        {" 7, 8, 9", Rgb(7, 8, 9)},       // blanks before each number are skipped
        {"1,2,3,4", Rgb(1, 2, 3)},        // a further comma ends blue
        {"0,0,-1", Rgb(0, 0, 255)},       // blue is not checked for -1
        {"300,0,0", Rgb(44, 0, 0)},       // low 8 bits
        {"a,b,c", 0u},                    // no digits: black
        {"+5,-2,7x", Rgb(5, 254, 7)},     // a sign, and digits up to the first other byte
        {",,0", 0u},                      // empty red and green convert to 0
        {"0,0, ", 0u},                    // a blank rest is not an empty one
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ColorTriple, RejectsMissingPiecesAndMinusOneInRedOrGreen)
{
    for (const char* text : {"", "1", "1,2", "1,2,", "-1,0,0", "0,-1,0", " -1,0,0", "255,255"})
        EXPECT_EQ(Parse(text), kColorTripleFailure) << '"' << text << '"';
}

TEST(ColorTriple, OverwritesTheCommasItCutsAt)
{
    std::string text = "1,2,3,4";
    ParseColorTriple(&text[0]);
    EXPECT_EQ(text, std::string("1\0" "2\0" "3,4", 7));
}

// A lead byte takes the next byte with it, so a comma there is not a separator. No real
// code page has a comma as trail byte; a made-up one shows the stepping.
TEST(ColorTriple, StepsByCharactersOfTheCodePage)
{
    EXPECT_EQ(Parse("1\x81,2,3,4"), Rgb(1, 2, 3));
    EXPECT_EQ(Parse("1\x81,2,3"), Rgb(1, 2, 3));
    SetLeadByteTest([](unsigned char byte) { return byte == 0x81; });
    EXPECT_EQ(Parse("1\x81,2,3,4"), Rgb(1, 3, 4));
    EXPECT_EQ(Parse("1\x81,2,3"), kColorTripleFailure);
    SetLeadByteTest(nullptr);

    UseGbk gbk;
    EXPECT_EQ(Parse("\xC0\xB6,8,9"), Rgb(0, 8, 9));  // a GBK character instead of a number
}
