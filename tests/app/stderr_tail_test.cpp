// The engine's last words for the failure balloon: the bounded tail of standard error and its
// last line, always cut on whole GBK characters. (The balloon's texts themselves are checked
// on the running program.)
#include <gtest/gtest.h>

#include <string>

#include "app/stderr_tail.h"
#include "tests/gbk.h"

namespace {

std::string LastLine(const StderrTail& tail, int size = 600)
{
    char line[600];
    tail.LastLine(line, size);
    return line;
}

}  // namespace

TEST(StderrTail, KeepsTheLastNonBlankLine)
{
    UseGbk gbk;
    StderrTail tail;
    EXPECT_EQ(LastLine(tail), "");
    tail.Append("first line\r\nsecond ");
    tail.Append("line\r\n \r\n\r\n");
    EXPECT_EQ(LastLine(tail), "second line");
    tail.Append("  third\r\n");
    EXPECT_EQ(LastLine(tail), "third");
    tail.Append("no end yet");
    EXPECT_EQ(LastLine(tail), "no end yet");
    tail.Clear();
    EXPECT_EQ(LastLine(tail), "");
    // A line longer than the room is cut before a character that would not fit whole.
    tail.Append("ab\xD6\xD6\xD7\xD3");
    EXPECT_EQ(LastLine(tail, 4), "ab");
    EXPECT_EQ(LastLine(tail, 5), "ab\xD6\xD6");
}

TEST(StderrTail, StaysBoundedAndDropsWholeCharacters)
{
    UseGbk gbk;
    // Chunks of 255 bytes: an odd size, so that characters straddle chunks.
    const std::string gbkPair = "\xD6\xD6";  // one character, as the reader may split it
    std::string stream;
    for (int i = 0; i < 300; ++i)
        stream += gbkPair;
    stream += "\r\nend \xD7\xD3";
    StderrTail tail;
    for (size_t at = 0; at < stream.size(); at += 255)
        tail.Append(stream.substr(at, 255).c_str());
    EXPECT_EQ(LastLine(tail), "end \xD7\xD3");

    // With no line break the whole kept tail is the line: at most 512 bytes, whole characters
    // only (an even count of the pair), the stream's end.
    StderrTail pairs;
    std::string only(2000, '\0');
    for (size_t i = 0; i < only.size(); ++i)
        only[i] = gbkPair[i % 2];
    for (size_t at = 0; at < only.size(); at += 255)
        pairs.Append(only.substr(at, 255).c_str());
    std::string line = LastLine(pairs);
    EXPECT_LE(line.size(), size_t(StderrTail::kCapacity));
    EXPECT_GE(line.size(), size_t(StderrTail::kCapacity - 2));
    EXPECT_EQ(line.size() % 2, 0u);
    EXPECT_EQ(line.substr(0, 2), gbkPair);
}
