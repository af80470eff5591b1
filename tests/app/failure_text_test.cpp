// The failure balloon's texts: the bounded tail of standard error and its last line, and the
// two messages, always cut on whole GBK characters.
#include <gtest/gtest.h>

#include <string>

#include "app/failure_message.h"
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

TEST(FailureMessage, StartFailureAndEngineEnd)
{
    UseGbk gbk;
    char text[200];
    FormatStartFailureText("The system cannot find the file specified.\r\n", "C:\\App\\bt.exe",
                           text, sizeof(text));
    EXPECT_STREQ(text, "无法启动下载程序：C:\\App\\bt.exe\r\nThe system cannot find the file specified.");
    FormatEngineStoppedText(3, "disk full", text, sizeof(text));
    EXPECT_STREQ(text, "下载程序意外停止，退出代码：3\r\ndisk full");
    FormatEngineStoppedText(0xC0000005UL, "", text, sizeof(text));
    EXPECT_STREQ(text, "下载程序意外停止，退出代码：0xC0000005");
    // Cut to the room on a character boundary (the host build's texts are UTF-8, three bytes
    // a character, which the GBK rule treats as one- and two-byte pieces: bytes still bound).
    char small[12];
    FormatEngineStoppedText(3, "x", small, sizeof(small));
    EXPECT_LT(std::string(small).size(), sizeof(small));
}
