// The engine command line: the one Sprout builds, and the engines taking that one form only.
#include "engine_interface/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/gbk.h"

namespace {

bool Parse(std::vector<const char*> arguments, EngineOptions* options, std::string* error)
{
    arguments.insert(arguments.begin(), "bt.exe");
    return ParseEngineCommandLine(int(arguments.size()), arguments.data(), options, error);
}

}  // namespace

TEST(EngineCommandLine, SproutsLineIsTheFixedConcatenation)
{
    UseGbk gbk;
    const struct {
        const char* dir;
        const char* torrent;
        const char* line;
    } cases[] = {
        {"C:\\App\\", "movie.torrent",
         "\"C:\\App\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\App\\movie.torrent\""},
        {"C:\\My App\\", "my movie.torrent",
         "\"C:\\My App\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\My App\\my movie.torrent\""},
        {"C:\\App\\", "\"q.torrent\"",
         "\"C:\\App\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\App\\\"q.torrent\"\""},
        {"C:\\App\\", "D:\\full\\path.torrent",
         "\"C:\\App\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\App\\D:\\full\\path.torrent\""},
        {"", "ab.TORRENT",
         "\"bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 \"ab.TORRENT\""},
        {"C:\\\xB5\xE7\xD3\xB0\\", "\xB5\xE7\xD3\xB0.torrent",
         "\"C:\\\xB5\xE7\xD3\xB0\\bt.exe\" --minport 8888 --maxport 9000 --display_interval 1.0 "
         "\"C:\\\xB5\xE7\xD3\xB0\\\xB5\xE7\xD3\xB0.torrent\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EngineCommandLine(c.dir, c.torrent), c.line) << c.torrent;
}

TEST(EngineCommandLine, EnginesTakeThatLineAndRefuseEverythingElse)
{
    EngineOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0",
                       "C:\\App\\movie (1).torrent"}, &options, &error)) << error;
    EXPECT_EQ(options.minPort, 8888);
    EXPECT_EQ(options.maxPort, 9000);
    EXPECT_EQ(options.displayIntervalMs, 1000);
    EXPECT_EQ(options.torrentPath, "C:\\App\\movie (1).torrent");
    ASSERT_TRUE(Parse({"--minport", "7000", "--maxport", "7000", "--display_interval", "0.05", "a"},
                      &options, &error));
    EXPECT_EQ(options.displayIntervalMs, 50);
    EXPECT_NE(std::string(kEngineUsage).find("--display_interval"), std::string::npos);

    const std::vector<std::vector<const char*>> wrong = {
        {},
        {"x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "x.torrent"},
        {"--maxport", "9000", "--minport", "8888", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0", "a", "b"},
        {"--minport", "8888", "--minport", "8888", "--maxport", "9000", "--display_interval", "1", "a"},
        {"--minport", "9000", "--maxport", "8888", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "0", "--maxport", "9000", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "8888", "--maxport", "65536", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "88a", "--maxport", "9000", "--display_interval", "1.0", "x.torrent"},
        {"--minport", " 88", "--maxport", "9000", "--display_interval", "1.0", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "fast", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "0.01", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "-1", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1s", "x.torrent"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0", "--verbose", "a"},
        {"--minport", "8888", "--maxport", "9000", "--display_interval", "1.0", ""},
    };
    for (const auto& arguments : wrong) {
        error.clear();
        EXPECT_FALSE(Parse(arguments, &options, &error)) << arguments.size();
        EXPECT_FALSE(error.empty());
    }
}
