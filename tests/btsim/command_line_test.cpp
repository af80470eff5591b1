// bt.exe's command line: the front-end's own line, the side jobs, and what is refused.
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

TEST(BtCommandLine, TakesTheFrontEndsLine)
{
    CommandLine line;
    std::string error;
    ASSERT_TRUE(Parse({"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0",
                       "C:\\App\\disc (1).torrent"},
                      &line, &error))
        << error;
    EXPECT_EQ(line.mode, CommandLine::Mode::Engine);
    EXPECT_EQ(line.minPort, 8888);
    EXPECT_EQ(line.maxPort, 9000);
    EXPECT_EQ(line.displayIntervalMs, 1000);
    EXPECT_EQ(line.torrentPath, "C:\\App\\disc (1).torrent");

    ASSERT_TRUE(Parse({"--display_interval", "0.25", "--maxport", "10", "--minport", "10", "a"},
                      &line, &error));
    EXPECT_EQ(line.displayIntervalMs, 250);
}

TEST(BtCommandLine, SideJobs)
{
    CommandLine line;
    std::string error;
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
    EXPECT_NE(std::string(UsageText()).find("--display_interval"), std::string::npos);
}

TEST(BtCommandLine, RefusesEverythingElse)
{
    const std::vector<std::vector<const char*>> wrong = {
        {},
        {"a.torrent"},
        {"--minport", "8888", "--maxport", "9000", "a.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0", "a", "b"},
        {"--minport", "8888", "--minport", "8888", "--maxport", "9000", "--display_interval", "1", "a"},
        {"--minport", "x", "--maxport", "9000", "--display_interval", "1.0", "a"},
        {"--minport", "0", "--maxport", "9000", "--display_interval", "1.0", "a"},
        {"--minport", "8888", "--maxport", "65536", "--display_interval", "1.0", "a"},
        {"--minport", "9001", "--maxport", "9000", "--display_interval", "1.0", "a"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "0", "a"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "-1", "a"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1s", "a"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0", "--verbose", "a"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0", ""},
        {"--make-torrent", "p"},
        {"--linger"},
        {"--help", "x"},
    };
    for (const auto& arguments : wrong) {
        CommandLine line;
        std::string error;
        EXPECT_FALSE(Parse(arguments, &line, &error)) << arguments.size() << " arguments";
        EXPECT_FALSE(error.empty());
    }
}
