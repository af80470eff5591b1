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
    ASSERT_EQ(1, runner.Start(ChildCommand("nul sleep 200 out end exit 0").c_str(), 0));
    ASSERT_TRUE(runner.WaitForOut("end\n"));
    runner.Stop();
    EXPECT_EQ("abend\n", runner.Out());
}

TEST(EngineStreams, TheShowFlagSelectsShownOrHiddenThroughTheStartupRecord)
{
    struct Case {
        int showFlag;
        const char* expected;
    };
    RecordingRunner runner;
    std::string expected;
    for (Case c : {Case{0, "show=0 flags=0x101\n"}, Case{1, "show=5 flags=0x101\n"},
                   Case{7, "show=5 flags=0x101\n"}}) {
        ASSERT_EQ(1, runner.Start(ChildCommand("startup exit 0").c_str(), c.showFlag));
        expected += c.expected;
        EXPECT_TRUE(runner.WaitForOut(expected)) << c.showFlag << ": " << runner.Out();
        runner.Stop();
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
    std::string expected;
    for (int run = 1; run <= 3; ++run) {
        std::string word = "run" + std::to_string(run);
        ASSERT_EQ(1, runner.Start(ChildCommand("out " + word + " exit 0").c_str(), 0));
        ASSERT_TRUE(runner.WaitForOut(word + "\n")) << word;
        ASSERT_TRUE(driver::WaitUntil([&] { return runner.Terminated() == run; }, 5000)) << word;
        runner.Stop();
        expected += word + "\n";
        EXPECT_EQ(expected, runner.Out());
        EXPECT_EQ(run, runner.Started());
        EXPECT_EQ(run, runner.Terminated());
    }
    // Each run had readers and a watcher of its own.
    EXPECT_EQ(3u, runner.StdoutThreads().size());
    EXPECT_EQ(3u, runner.TerminatedThreads().size());
}
