// The real engine takes the front-end's one command line and nothing else.
#include "btengine/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(std::vector<const char*> arguments, EngineCommandLine* line, std::string* error)
{
    arguments.insert(arguments.begin(), "bt.exe");
    return ParseEngineCommandLine(int(arguments.size()), arguments.data(), line, error);
}

}  // namespace

TEST(EngineCommandLine, TakesTheFrontEndsLineAndRefusesEverythingElse)
{
    EngineCommandLine line;
    std::string error;
    ASSERT_TRUE(Parse({"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0",
                       "C:\\App\\movie (1).torrent"}, &line, &error)) << error;
    EXPECT_EQ(line.minPort, 8888);
    EXPECT_EQ(line.maxPort, 9000);
    EXPECT_EQ(line.displayIntervalMs, 1000);
    EXPECT_EQ(line.torrentPath, "C:\\App\\movie (1).torrent");
    ASSERT_TRUE(Parse({"--minport", "7000", "--maxport", "7000", "--display_interval", "0.25", "a"},
                      &line, &error));
    EXPECT_EQ(line.displayIntervalMs, 250);

    const std::vector<std::vector<const char*>> wrong = {
        {},
        {"x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "x.torrent"},
        {"--maxport", "9000", "--minport", "8888", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0", "a", "b"},
        {"--minport", "9000", "--maxport", "8888", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "0", "--maxport", "9000", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "8888", "--maxport", "65536", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "88a", "--maxport", "9000", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "fast", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "0", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0", ""},
    };
    for (const auto& arguments : wrong) {
        error.clear();
        EXPECT_FALSE(Parse(arguments, &line, &error)) << arguments.size();
        EXPECT_FALSE(error.empty());
    }
}
