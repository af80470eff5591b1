// Knobs from the environment: defaults, every knob read, bad values named; and how a block
// is cut into writes.
#include "tools/btsim/knobs.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::map<std::string, std::string> g_environment;

const char* Lookup(const char* name)
{
    auto it = g_environment.find(name);
    return it == g_environment.end() ? nullptr : it->second.c_str();
}

bool Read(const std::map<std::string, std::string>& environment, Knobs* knobs, std::string* error)
{
    g_environment = environment;
    return ReadKnobs(Lookup, knobs, error);
}

}  // namespace

TEST(Knobs, DefaultsAndEveryKnob)
{
    Knobs knobs;
    std::string error;
    ASSERT_TRUE(Read({}, &knobs, &error));
    EXPECT_EQ(knobs.bytesPerSecond, 4 * 1024 * 1024);
    EXPECT_EQ(knobs.exitAfter, -1);
    EXPECT_EQ(knobs.crashAfter, -1);
    EXPECT_FALSE(knobs.hang);
    EXPECT_EQ(knobs.floodMs, 0);
    EXPECT_EQ(knobs.nulAt, -1);

    ASSERT_TRUE(Read({{"SPROUT_BT_RATE", "0"}, {"SPROUT_BT_EXIT_AFTER", "3"},
                      {"SPROUT_BT_EXIT_CODE", "-7"}, {"SPROUT_BT_CRASH_AFTER", "0"},
                      {"SPROUT_BT_HANG", "1"}, {"SPROUT_BT_FLOOD", "1.5"},
                      {"SPROUT_BT_FLOOD_MODE", "stderr"}, {"SPROUT_BT_GRANDCHILD", "20"},
                      {"SPROUT_BT_RECORD", "C:\\t\\record.txt"}, {"SPROUT_BT_STDIN", "1"},
                      {"SPROUT_BT_STDERR", "warning: disk"}, {"SPROUT_BT_SPLIT", "1"},
                      {"SPROUT_BT_SPLIT_AT", "5,17,40"}, {"SPROUT_BT_SPLIT_PAUSE", "2"},
                      {"SPROUT_BT_NUL", "12"}},
                     &knobs, &error))
        << error;
    EXPECT_EQ(knobs.bytesPerSecond, 0);
    EXPECT_EQ(knobs.exitAfter, 3);
    EXPECT_EQ(knobs.exitCode, -7);
    EXPECT_EQ(knobs.crashAfter, 0);
    EXPECT_TRUE(knobs.hang);
    EXPECT_EQ(knobs.floodMs, 1500);
    EXPECT_EQ(knobs.floodMode, FloodMode::Stderr);
    EXPECT_EQ(knobs.grandchildMs, 20000);
    EXPECT_EQ(knobs.recordPath, "C:\\t\\record.txt");
    EXPECT_TRUE(knobs.readStdin);
    EXPECT_EQ(knobs.stderrText, "warning: disk");
    EXPECT_EQ(knobs.splitSize, 1);
    EXPECT_EQ(knobs.splitAt, (std::vector<int>{5, 17, 40}));
    EXPECT_EQ(knobs.splitPauseMs, 2);
    EXPECT_EQ(knobs.nulAt, 12);
}

TEST(Knobs, BadValuesAreNamed)
{
    const std::pair<const char*, const char*> bad[] = {
        {"SPROUT_BT_RATE", "-1"},       {"SPROUT_BT_RATE", "fast"},     {"SPROUT_BT_RATE", ""},
        {"SPROUT_BT_EXIT_AFTER", "1x"}, {"SPROUT_BT_EXIT_AFTER", "-1"}, {"SPROUT_BT_HANG", "yes"},
        {"SPROUT_BT_FLOOD", "-1"},      {"SPROUT_BT_FLOOD", "1s"},      {"SPROUT_BT_FLOOD_MODE", "x"},
        {"SPROUT_BT_SPLIT_AT", "5,,6"}, {"SPROUT_BT_SPLIT_AT", "0"},    {"SPROUT_BT_NUL", "a"},
        {"SPROUT_BT_EXIT_CODE", "99999999999"},
    };
    for (const auto& knob : bad) {
        Knobs knobs;
        std::string error;
        EXPECT_FALSE(Read({{knob.first, knob.second}}, &knobs, &error)) << knob.first;
        EXPECT_NE(error.find(knob.first), std::string::npos) << error;
    }
}

TEST(Knobs, BlocksAreCutAsAsked)
{
    Knobs knobs;
    EXPECT_EQ(SplitForWriting("abcdef", knobs), (std::vector<std::string>{"abcdef"}));
    knobs.splitSize = 1;
    EXPECT_EQ(SplitForWriting("abc", knobs), (std::vector<std::string>{"a", "b", "c"}));
    knobs.splitSize = 4;
    EXPECT_EQ(SplitForWriting("abcdefghij", knobs),
              (std::vector<std::string>{"abcd", "efgh", "ij"}));
    knobs.splitSize = 0;
    knobs.splitAt = {7, 2, 100};
    EXPECT_EQ(SplitForWriting("abcdefghij", knobs),
              (std::vector<std::string>{"ab", "cdefg", "hij"}));
    knobs.splitSize = 3;
    EXPECT_EQ(SplitForWriting("abcdefghij", knobs),
              (std::vector<std::string>{"ab", "c", "def", "g", "hi", "j"}));
    Knobs nul;
    nul.nulAt = 2;
    EXPECT_EQ(SplitForWriting("abcd", nul), (std::vector<std::string>{std::string("ab\0cd", 5)}));
    nul.nulAt = 50;
    EXPECT_EQ(SplitForWriting("ab", nul), (std::vector<std::string>{std::string("ab\0", 3)}));
    EXPECT_NE(std::string(KnobsHelp()).find("SPROUT_BT_CRASH_AFTER"), std::string::npos);
}
