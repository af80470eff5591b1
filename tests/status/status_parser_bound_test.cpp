// StatusParser's bound on the text it keeps: output that never completes a field stays
// bounded, and what is kept parses by the same rules as if it were all there was.
#include "status/status_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "status/status_texts.h"
#include "tests/gbk.h"
#include "tests/status/recording_sink.h"
#include "tests/status/test_parser.h"

namespace {
const char kBlock[] =
    "\r\n"
    "saving: disc (1).iso (700.0 MB)\r\n"
    "percent done: 12.3\r\n"
    "time left: 320 sec\r\n"
    "download rate: 35.2 kB/s\r\n"
    "(10.5 MB up / 86.1 MB down)\r\n"
    "seed status: 1 distributed copies\r\n";

const std::vector<std::string> kBlockFields = {
    Label(IDC_FILE_SIZE, SPROUT_TEXT_FILE_SIZE "700.0 MB"),
    Bar(12),
    Label(IDC_TIME_LEFT, SPROUT_TEXT_TIME_LEFT "320 sec"),
    Label(IDC_SPEED, SPROUT_TEXT_SPEED "35.2 kB/s"),
    Label(IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED "86.1 MB"),
};

// A 256-byte chunk of engine complaints: no key, no terminator but line ends.
std::string Noise(int n)
{
    std::string line = "tracker error " + std::to_string(n) + ": connection refused, retrying\r\n";
    std::string chunk;
    while (chunk.size() < 256)
        chunk += line;
    chunk.resize(256);
    return chunk;
}

bool EndsWith(const Text& text, const std::string& tail)
{
    std::string all = text.c_str();
    return all.size() >= tail.size() && all.compare(all.size() - tail.size(), tail.size(), tail) == 0;
}
}

TEST(StatusParserBound, FloodWithoutFieldsStaysBoundedAndLaterBlocksParseAsUsual)
{
    TestParser parser;
    RecordingSink sink;
    int longest = 0;
    bool trimmed = false;
    for (int i = 0; i < 1000; ++i) {
        int before = parser.PendingOutput().Length();
        std::string chunk = Noise(i);
        parser.OnStdout(chunk.c_str(), sink);
        int length = parser.PendingOutput().Length();
        longest = std::max(longest, length);
        ASSERT_TRUE(EndsWith(parser.PendingOutput(), chunk));
        if (length < before + 256) {
            trimmed = true;
            ASSERT_GE(length, kPendingBound.kept - 1);
            ASSERT_LE(length, kPendingBound.kept + 1);
        }
    }
    EXPECT_TRUE(trimmed);
    EXPECT_LE(longest, kPendingBound.limit);
    EXPECT_TRUE(sink.log.empty());

    parser.OnStdout(kBlock, sink);
    EXPECT_EQ(sink.log, kBlockFields);
    EXPECT_EQ(parser.PendingOutput(), "down)\r\nseed status: 1 distributed copies\r\n");
}

TEST(StatusParserBound, GateShutAtIndexZeroStaysShut)
{
    TestParser parser;
    RecordingSink sink;
    parser.OnStdout("seed status: 0 distributed copies\r\n", sink);
    for (int i = 0; i < 1000; ++i) {
        parser.OnStdout(kBlock, sink);
        ASSERT_LE(parser.PendingOutput().Length(), kPendingBound.limit);
        ASSERT_EQ(parser.PendingOutput().Find("seed status:"), 0);
        ASSERT_TRUE(EndsWith(parser.PendingOutput(), kBlock));
    }
    EXPECT_TRUE(sink.log.empty());
}

TEST(StatusParserBound, KeyAtTheCutKeepsACharacterInFront)
{
    TestParser parser;
    RecordingSink sink;
    int total = kPendingBound.limit + 100;
    std::string text(static_cast<size_t>(total - kPendingBound.kept), 'x');
    text += "seed status:";
    text.append(static_cast<size_t>(total) - text.size(), 'y');
    parser.OnStdout(text.c_str(), sink);
    EXPECT_EQ(parser.PendingOutput().Length(), kPendingBound.kept + 1);
    EXPECT_EQ(parser.PendingOutput().Find("seed status:"), 1);
    // The gate key kept at index 1 still opens the gate.
    parser.OnStdout("\r\npercent done: 9\r\n", sink);
    EXPECT_EQ(sink.log, std::vector<std::string>{Bar(9)});
}

TEST(StatusParserBound, CutFallsOnACharacterBoundary)
{
    UseGbk gbk;
    TestParser parser;
    RecordingSink sink;
    // The cut would fall between 0x81 and its trail byte 's'; a cut there would leave a gate
    // key at index 0 and shut the gate for good.
    int total = kPendingBound.limit + 100;
    int cut = total - kPendingBound.kept;
    std::string text(static_cast<size_t>(cut - 1), 'x');
    text += "\x81" "seed status: x\r\n";
    text.append(static_cast<size_t>(total) - text.size(), 'y');
    parser.OnStdout(text.c_str(), sink);
    EXPECT_EQ(parser.PendingOutput().Length(), kPendingBound.kept - 1);
    EXPECT_EQ(std::string(parser.PendingOutput().c_str(), 12), "eed status: ");
    parser.OnStdout(kBlock, sink);
    EXPECT_EQ(sink.log, kBlockFields);
}

TEST(StatusParserBound, BlockInProgressSurvivesTheCut)
{
    TestParser parser;
    RecordingSink sink;
    int n = 0;
    while (parser.PendingOutput().Length() < kPendingBound.limit - 1024)
        parser.OnStdout(Noise(n++).c_str(), sink);
    std::string block = kBlock;
    size_t half = block.find("download rate:");
    parser.OnStdout(block.substr(0, half).c_str(), sink);
    // More complaints until the cut has come, well within the text it keeps.
    int before;
    do {
        before = parser.PendingOutput().Length();
        parser.OnStdout(Noise(n++).c_str(), sink);
    } while (parser.PendingOutput().Length() > before);
    parser.OnStdout(block.substr(half).c_str(), sink);
    EXPECT_EQ(sink.log, kBlockFields);
}
