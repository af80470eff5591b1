// StatusParser after a burst of whole status blocks: the blocks one call cannot take are not
// kept waiting, so the labels catch up with the engine at the next block.
#include "status/status_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "status/status_texts.h"
#include "tests/status/recording_sink.h"
#include "tests/status/test_parser.h"

namespace {
std::string Block(int n)
{
    std::string figure = std::to_string(n);
    return "\r\nsaving: movie.iso (1.0 MB)\r\npercent done: " + figure + ".0\r\ntime left: " + figure
           + " sec\r\ndownload rate: " + figure + ".0 kB/s\r\n(0 B up / " + figure
           + " kB down)\r\nseed status: " + figure + " seen\r\n";
}
}

TEST(StatusParserBacklog, BurstKeepsOnlyTheNewestBlockWaiting)
{
    TestParser parser;
    RecordingSink sink;
    std::string burst;
    for (int n = 1; n <= 10; ++n)
        burst += Block(n);
    parser.OnStdout(burst.c_str(), sink);
    // The call takes the oldest block, as ever; what it cannot take goes but for the newest.
    EXPECT_EQ(sink.bar, 1);
    EXPECT_EQ(std::string(parser.PendingOutput().c_str()), "\r\n" + Block(10));

    parser.OnStdout(Block(11).c_str(), sink);
    EXPECT_EQ(sink.bar, 10);
    EXPECT_EQ(sink.labels[IDC_DOWNLOADED], SPROUT_TEXT_DOWNLOADED "10 kB");
    parser.OnStdout(Block(12).c_str(), sink);
    EXPECT_EQ(sink.bar, 11);
    EXPECT_EQ(sink.labels[IDC_TIME_LEFT], SPROUT_TEXT_TIME_LEFT "11 sec");
}

TEST(StatusParserBacklog, TwoBlocksInOneCallStillTakeTheOlderAndKeepTheNewer)
{
    TestParser parser;
    RecordingSink sink;
    parser.OnStdout((Block(1) + Block(2)).c_str(), sink);
    EXPECT_EQ(sink.bar, 1);
    EXPECT_EQ(std::string(parser.PendingOutput().c_str()), "down)\r\nseed status: 1 seen\r\n" + Block(2));
    // With the gate key a block left behind, still two blocks wait: nothing goes.
    parser.OnStdout(Block(3).c_str(), sink);
    EXPECT_EQ(sink.bar, 2);
    EXPECT_EQ(std::string(parser.PendingOutput().c_str()), "down)\r\nseed status: 2 seen\r\n" + Block(3));
}
