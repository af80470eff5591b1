// Bencode: what parses, what is refused with a reason, and that writing gives the bytes back.
#include "tools/btsim/bencode.h"

#include <gtest/gtest.h>

#include <string>

TEST(Bencode, ParsesEveryKindAndWritesItBack)
{
    const char* valid[] = {
        "i0e", "i-42e", "i9223372036854775807e", "0:", "4:spam", "le", "de",
        "l4:spami42ee", "d3:bar4:spam3:fooi42ee", "d4:infod6:lengthi3e4:name1:aee",
        "lllleeee",
    };
    for (const char* text : valid) {
        Bencode value;
        std::string error;
        EXPECT_TRUE(ParseBencode(text, &value, &error)) << text << ": " << error;
        EXPECT_EQ(EncodeBencode(value), text);
    }
    Bencode value;
    std::string error;
    ASSERT_TRUE(ParseBencode("d3:cow3:moo4:spaml1:a1:bee", &value, &error));
    ASSERT_NE(value.Find("spam"), nullptr);
    EXPECT_EQ(value.Find("spam")->list.size(), 2u);
    EXPECT_EQ(value.Find("cow")->string, "moo");
    EXPECT_EQ(value.Find("none"), nullptr);
    EXPECT_EQ(value.Find("cow")->Find("x"), nullptr);
}

TEST(Bencode, RefusesMalformedInputWithAReason)
{
    const std::string nested(100, 'l');
    const std::string invalid[] = {
        "", "i", "ie", "i-0e", "i03e", "i1x", "i99999999999999999999e", "5:abc", "-1:a", "01:a",
        "l", "li1e", "d", "d1:ae", "di1ei2ee", "x", "i1ei2e", "4:spamx", nested + std::string(100, 'e'),
        std::string("3:a\0", 4),
    };
    for (const std::string& text : invalid) {
        Bencode value;
        std::string error;
        EXPECT_FALSE(ParseBencode(text, &value, &error)) << text;
        EXPECT_NE(error.find("at byte"), std::string::npos) << text << ": " << error;
    }
}
