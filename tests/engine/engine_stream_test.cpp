// What the readers deliver and what the child sees: chunk sizes, NUL bytes, the startup
// record's show flag, a standard input that stays open until Stop, and runs one after another.
#include "engine/engine_process.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/driver/driver.h"
#include "tests/engine/recording_runner.h"

TEST(EngineStreams, ABigWriteArrivesInNulTerminatedChunksOfAtMost256Bytes)
{
    RecordingRunner runner;
    ASSERT_EQ(1, runner.Start(ChildCommand("bytes 1000 ticks").c_str(), 0));
    std::string expected(1000, 'a');
    for (size_t n = 0; n < expected.size(); ++n)
        expected[n] = char('a' + n % 26);
    ASSERT_TRUE(driver::WaitUntil([&] { return runner.Out().size() >= 1001; }, 5000));
    runner.Stop();

    // The letters come first, then the dots; strlen of each chunk is what the hook got.
    std::string out = runner.Out();
    EXPECT_EQ(expected, out.substr(0, 1000));
    EXPECT_EQ(std::string::npos, out.find_first_not_of('.', 1000));
    bool several = false;
    for (const std::string& chunk : runner.OutChunks()) {
        EXPECT_LE(chunk.size(), 256u);
        EXPECT_FALSE(chunk.empty());
        several = several || chunk.size() > 1;
    }
    EXPECT_GE(runner.OutChunks().size(), 4u);
    EXPECT_TRUE(several);
}

TEST(EngineStreams, ANulByteCutsItsChunkShort)
{
    RecordingRunner runner;
    ASSERT_EQ(1, runner.Start(ChildCommand("nul sleep 200 out end ticks").c_str(), 0));
    ASSERT_TRUE(runner.WaitForOut("end\n"));
    runner.Stop();
    std::string out = runner.Out();
    EXPECT_EQ("abend\n", out.substr(0, 6));
    EXPECT_EQ(std::string::npos, out.find_first_not_of('.', 6));
}

TEST(EngineStreams, TheShowFlagSelectsShownOrHiddenThroughTheStartupRecord)
{
    struct Case {
        int showFlag;
        const char* expected;
    };
    RecordingRunner runner;
    size_t seen = 0;
    for (Case c : {Case{0, "show=0 flags=0x101\n"}, Case{1, "show=5 flags=0x101\n"},
                   Case{7, "show=5 flags=0x101\n"}}) {
        ASSERT_EQ(1, runner.Start(ChildCommand("startup ticks").c_str(), c.showFlag));
        // Each run's line comes after everything the runs before it printed.
        EXPECT_TRUE(driver::WaitUntil(
            [&] { return runner.Out().find(c.expected, seen) != std::string::npos; }, 5000))
            << c.showFlag << ": " << runner.Out();
        runner.Stop();
        seen = runner.Out().size();
    }
}

TEST(EngineStreams, StandardInputGivesNeitherDataNorEndOfFileUntilStop)
{
    RecordingRunner runner;
    ASSERT_EQ(1, runner.Start(ChildCommand("pid out reading stdin exit 5").c_str(), 0));
    HANDLE child = runner.OpenChild();
    ASSERT_NE(nullptr, child);
    ASSERT_TRUE(runner.WaitForOut("reading\n"));
    // Blocked in its read: a short look shows the child neither reporting nor ending.
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(child, 300));
    EXPECT_EQ(std::string::npos, runner.Out().find("stdin"));

    // Stop closes the runner's write end before it looks at the child: the child sees end of
    // file, reports it while the reader still runs, and ends with its own code.
    runner.Stop();
    EXPECT_NE(std::string::npos, runner.Out().find("reading\nstdin eof\n")) << runner.Out();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 0));
    EXPECT_EQ(5u, ExitCodeOf(child, true));
    CloseHandle(child);
}

TEST(EngineStreams, ARunnerStartsAgainAfterStop)
{
    RecordingRunner runner;
    size_t seen = 0;
    for (int run = 1; run <= 3; ++run) {
        std::string word = "run" + std::to_string(run);
        ASSERT_EQ(1, runner.Start(ChildCommand("out " + word + " ticks").c_str(), 0));
        EXPECT_TRUE(driver::WaitUntil(
            [&] { return runner.Out().find(word + "\n", seen) != std::string::npos; }, 5000))
            << word;
        runner.Stop();
        seen = runner.Out().size();
        EXPECT_EQ(run, runner.Started());
        EXPECT_EQ(run, runner.Terminated());
    }
    std::string out = runner.Out();
    EXPECT_LT(out.find("run1\n"), out.find("run2\n"));
    EXPECT_LT(out.find("run2\n"), out.find("run3\n"));
    EXPECT_EQ(std::string::npos, out.find_first_not_of(".run123\n"));
    // Each run had readers and a watcher of its own.
    EXPECT_EQ(3u, runner.StdoutThreads().size());
    EXPECT_EQ(3u, runner.TerminatedThreads().size());
}
