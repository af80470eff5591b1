// bt.exe's side jobs beside the front-end's line, and what is refused.
#include "tools/btsim/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> arguments, CommandLine* line, std::string* error)
{
    arguments.insert(arguments.begin(), "bt.exe");
    return ParseCommandLine(int(arguments.size()), arguments.data(), line, error);
}

}  // namespace

TEST(BtCommandLine, TheFrontEndsLineAndTheSideJobs)
{
    CommandLine line;
    std::string error;
    ASSERT_TRUE(Parse({"--minport", "8888", "--maxport", "9000", "--display_interval", "0.25",
                       "a"}, &line, &error)) << error;
    EXPECT_EQ(line.mode, CommandLine::Mode::Engine);
    EXPECT_EQ(line.engine.displayIntervalMs, 250);
    EXPECT_EQ(line.engine.torrentPath, "a");
    ASSERT_TRUE(Parse({"--help"}, &line, &error));
    EXPECT_EQ(line.mode, CommandLine::Mode::Help);
    ASSERT_TRUE(Parse({"--make-torrent", "payload", "out.torrent"}, &line, &error));
    EXPECT_EQ(line.mode, CommandLine::Mode::MakeTorrent);
    EXPECT_EQ(line.payloadPath, "payload");
    EXPECT_EQ(line.outputPath, "out.torrent");
    EXPECT_EQ(line.announce, kDefaultAnnounce);
    ASSERT_TRUE(Parse({"--make-torrent", "p", "o", "http://t/announce"}, &line, &error));
    EXPECT_EQ(line.announce, "http://t/announce");
    ASSERT_TRUE(Parse({"--linger", "2.5"}, &line, &error));
    EXPECT_EQ(line.mode, CommandLine::Mode::Linger);
    EXPECT_EQ(line.lingerMs, 2500);
    EXPECT_NE(UsageText().find("--make-torrent"), std::string::npos);

    const std::vector<std::vector<const char*>> wrong = {
        {"--display_interval", "0.25", "--maxport", "10", "--minport", "10", "a"},
        {"--make-torrent", "p"},
        {"--linger"},
        {"--linger", "x"},
        {"--help", "x"},
    };
    for (const auto& arguments : wrong) {
        EXPECT_FALSE(Parse(arguments, &line, &error)) << arguments.size() << " arguments";
        EXPECT_FALSE(error.empty());
    }
}
