// Text: the code-page-aware search and cutting, clamping, deletion, trimming and number rules.
#include "framework/text.h"

#include <gtest/gtest.h>

#include "tests/gbk.h"

TEST(TextFind, ReturnsIndexFromStartOfStringAndHonoursStart)
{
    Text text("abcabc");
    EXPECT_EQ(text.Find("abc"), 0);
    EXPECT_EQ(text.Find("abc", 1), 3);
    EXPECT_EQ(text.Find("abc", 4), -1);
    EXPECT_EQ(text.Find("c", 6), -1);
    EXPECT_EQ(text.Find("", 6), 6);
    EXPECT_EQ(text.Find("", 7), -1);  // start past the end
    EXPECT_EQ(text.Find("x"), -1);
    EXPECT_EQ(text.Find("abc", -5), 0);
    EXPECT_EQ(Text().Find("a"), -1);
}

TEST(TextFind, NeverMatchesOnATrailByte)
{
    UseGbk gbk;
    // 0xB5 0x61 is one character whose trail byte is 'a'.
    Text text("\xB5" "a" "a");
    EXPECT_EQ(text.Find("a"), 2);
    // A lead byte at the very end stands alone.
    Text tail("x\xB5");
    EXPECT_EQ(tail.Find("\xB5"), 1);
    // The same bytes in a single-byte code page are searched plainly.
    SetLeadByteTest(nullptr);
    EXPECT_EQ(text.Find("a"), 1);
}

TEST(WholeChars, CutOnlyBetweenCharacters)
{
    UseGbk gbk;
    const char text[] = "ab\xD6\xD0" "c";  // a, b, one double-byte character, c
    EXPECT_EQ(FitWholeChars(text, 5, 3), 2);
    EXPECT_EQ(FitWholeChars(text, 5, 4), 4);
    EXPECT_EQ(FitWholeChars(text, 3, 9), 3);  // a lead byte at the end stands alone
    EXPECT_EQ(DropWholeChars(text, 5, 3), 2);
    EXPECT_EQ(DropWholeChars(text, 5, 2), 4);
    EXPECT_EQ(DropWholeChars(text, 5, 0), 5);
    char out[4] = "xyz";
    EXPECT_EQ(CopyWholeChars(out, sizeof(out), text, 5), 2);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(CopyWholeChars(out, 1, text, 5), 0);
    EXPECT_STREQ(out, "");
}

TEST(TextMid, ClampsStartAndCount)
{
    Text text("hello");
    EXPECT_EQ(text.Mid(1, 3), "ell");
    EXPECT_EQ(text.Mid(-2, 2), "he");
    EXPECT_EQ(text.Mid(3, 100), "lo");
    EXPECT_EQ(text.Mid(2, -1), "");
    EXPECT_EQ(text.Mid(5, 1), "");
    EXPECT_EQ(text.Mid(9, 1), "");
    EXPECT_EQ(text.Left(2), "he");
}

TEST(TextDelete, RemovesFromTheFrontAndKeepsTheTerminator)
{
    Text text("saving: x)\r\nrest");
    text.DeleteFront(9);
    EXPECT_EQ(text, ")\r\nrest");
    EXPECT_EQ(text.Length(), 7);
    text.Delete(1, 100);
    EXPECT_EQ(text, ")");
    text.DeleteFront(0);
    EXPECT_EQ(text, ")");
}

TEST(TextTrim, OnlyAsciiWhiteSpaceGoes)
{
    UseGbk gbk;
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"  movie.torrent  ", "movie.torrent"},
        {"\t\r\nname\v\f ", "name"},
        {"   ", ""},
        {"", ""},
        {"\xA1\xA1x\xA1\xA1", "\xA1\xA1x\xA1\xA1"},  // a full-width blank is no white space
        {" \xB5\xC4 ", "\xB5\xC4"},
        {"\xA0name\x85", "\xA0name\x85"},  // nor are the high bytes on their own
        {"\"quoted name\" ", "\"quoted name\""},
    };
    for (const auto& c : cases) {
        Text text(c.in);
        text.Trim();
        EXPECT_EQ(text, c.out) << '[' << c.in << ']';
    }
}

TEST(TextAppend, GrowsAndAcceptsNull)
{
    Text text;
    EXPECT_TRUE(text.Append(nullptr));
    EXPECT_TRUE(text.IsEmpty());
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(text.Append("0123456789"));
    EXPECT_EQ(text.Length(), 10000);
    EXPECT_EQ(text.Find("90123", 9990), -1);
    EXPECT_EQ(text.Find("90123", 9980), 9989);
    Text copy = text;
    copy.DeleteFront(9990);
    EXPECT_EQ(copy, "0123456789");
    EXPECT_EQ(text.Length(), 10000);
}

TEST(TextToInt, BehavesLikeAtoi)
{
    const struct {
        const char* in;
        int out;
    } cases[] = {
        {"12.3", 12}, {"  42", 42}, {"-7", -7}, {"+8x", 8}, {"", 0}, {"   ", 0},
        {"abc", 0},   {"\t\n 5", 5}, {"- 5", 0}, {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToInt(c.in), c.out) << c.in;
    ToInt("99999999999999999999");  // wraps without undefined behaviour
}
