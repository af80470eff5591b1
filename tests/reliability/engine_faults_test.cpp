// sprout.exe against an engine that is missing, crashes, exits at once, never ends, or leaves
// a grandchild holding its output pipe; and an exit in the middle of a download. After each,
// the window answers, its button and status texts are right, a missing or crashed engine's
// balloon tells why until the next press, and no engine is left behind.
#include <gtest/gtest.h>

#include <cstdio>

#include "res/resource.h"
#include "tests/reliability/sprout_session.h"
#include "status/status_texts.h"

using namespace reliability;
using namespace texts;

namespace {

// Stop pauses 0.8 s and adds at most four waits of 1 s; the rest is slack for a busy machine.
const DWORD kStopAtLeastMs = 780;
const DWORD kStopAtMostMs = 4800 + 1500;

void ExpectAnswers(SproutSession& session, const char* when)
{
    DWORD ms = session.AnswerTime();
    EXPECT_LT(ms, 1000u) << "the window did not answer within a second " << when;
}

void ExpectStoppedTexts(SproutSession& session, const char* button, const char* when)
{
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusStopped) << when;
    EXPECT_EQ(session.Sprout().ControlText(IDC_START_STOP), button) << when;
}

// The press that follows an engine's end (or a failed start) runs Stop and shows the
// stopped texts; the engine does not come back.
void StopAfterEnd(SproutSession& session, const char* when)
{
    DWORD ms = session.Click(IDC_START_STOP);
    EXPECT_GE(ms, kStopAtLeastMs) << when;
    EXPECT_LE(ms, kStopAtMostMs) << when;
    std::printf("  Stop %s: %lu ms\n", when, ms);
    ExpectStoppedTexts(session, kStartDownload, when);
    EXPECT_EQ(session.Sprout().ControlText(IDC_SPEED), kSpeedReset) << when;
    EXPECT_EQ(session.Sprout().ControlText(IDC_TIME_LEFT), kTimeLeftReset) << when;
    EXPECT_EQ(session.EngineCount(), 0u) << when;
    ExpectAnswers(session, when);
}

// The label shows its prefix followed by some figure from the engine.
bool WaitForFigure(SproutSession& session, int controlId, const std::string& prefix)
{
    return driver::WaitUntil(
        [&] {
            std::string text = session.Sprout().ControlText(controlId);
            return text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
        },
        5000);
}

void StartDownloading(SproutSession& session, const char* when)
{
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer) << when;
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusDownloading) << when;
    EXPECT_EQ(session.Sprout().ControlText(IDC_START_STOP), kStopDownload) << when;
}

void ExitLeavingNoEngine(SproutSession& session)
{
    DWORD sprout = session.Sprout().ProcessId();
    ASSERT_TRUE(session.Exit()) << "no exit with code 1005";
    EXPECT_EQ(session.EngineCount(), 0u) << "an engine of process " << sprout << " outlived it";
}

}  // namespace

TEST(EngineFaults, MissingEngineLeavesTheWindowWorkingAndStartsNothing)
{
    SproutSession session("noengine", SproutSession::kWithoutEngine);
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(session.Balloon(), "");
    for (int round = 0; round < 2; ++round) {
        // Start fails: the texts stay as they were; the balloon names the path, then the
        // system's own message for a missing file.
        ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
        ExpectStoppedTexts(session, round == 0 ? kStartShort : kStartDownload,
                           "after the failed start");
        std::string balloon = session.WaitForBalloon();
        const std::string first =
            std::string(kCannotStart) + session.Folder().File("bt.exe") + "\r\n";
        EXPECT_EQ(balloon.rfind(first, 0), 0u) << balloon;
        EXPECT_GT(balloon.size(), first.size()) << balloon;
        EXPECT_EQ(session.EngineCount(), 0u);
        ExpectAnswers(session, "after the failed start");
        StopAfterEnd(session, "after the failed start");
        EXPECT_EQ(session.Balloon(), "");
    }
    // Exit with a failed start not yet cleared by a press.
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    ExitLeavingNoEngine(session);
}

TEST(EngineFaults, EngineCrashingMidDownload)
{
    SproutSession session("crash");
    session.Knobs().Set("SPROUT_BT_CRASH_AFTER", "2");
    ASSERT_TRUE(session.Open());
    for (int round = 0; round < 2; ++round) {
        StartDownloading(session, "after start");
        EXPECT_EQ(session.EngineCount(), 1u);
        // The first block's figures arrive before the crash.
        EXPECT_TRUE(WaitForFigure(session, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED))
            << session.Sprout().ControlText(IDC_DOWNLOADED);
        ASSERT_TRUE(session.Sprout().WaitForText(IDC_START_STOP, kStartDownload, 15000))
            << "the engine's crash went unnoticed";
        std::string balloon = session.WaitForBalloon();
        EXPECT_EQ(balloon.rfind(std::string(kEngineEnded) + "0xC0000005", 0), 0u) << balloon;
        ExpectStoppedTexts(session, kStartDownload, "after the crash");
        EXPECT_TRUE(session.WaitForEngineCount(0, 2000));
        ExpectAnswers(session, "after the crash");
        StopAfterEnd(session, "after the crash");
    }
    ExitLeavingNoEngine(session);
}

TEST(EngineFaults, EngineExitingRightAfterStart)
{
    SproutSession session("quickexit");
    session.Knobs().Set("SPROUT_BT_EXIT_AFTER", "0").Set("SPROUT_BT_EXIT_CODE", "7");
    ASSERT_TRUE(session.Open());
    for (int round = 0; round < 3; ++round) {
        ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
        // Whether the end is seen before or after the press's own texts, the end wins.
        EXPECT_TRUE(session.Sprout().WaitForText(IDC_STATUS_GROUP, kStatusStopped, 5000));
        EXPECT_TRUE(session.Sprout().WaitForText(IDC_START_STOP, kStartDownload, 5000));
        EXPECT_TRUE(session.WaitForEngineCount(0, 2000));
        ExpectAnswers(session, "after the engine's exit");
        StopAfterEnd(session, "after the engine's exit");
    }
    // Exit with the ended engine's run not yet cleared by a press.
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_TRUE(session.Sprout().WaitForText(IDC_START_STOP, kStartDownload, 5000));
    ExitLeavingNoEngine(session);
}

TEST(EngineFaults, EngineThatNeverEndsAndIgnoresItsInputIsTerminatedByStop)
{
    SproutSession session("hang");
    session.Knobs().Set("SPROUT_BT_HANG", "1");
    ASSERT_TRUE(session.Open());
    for (int round = 0; round < 2; ++round) {
        StartDownloading(session, "after start");
        EXPECT_EQ(session.EngineCount(), 1u);
        ExpectAnswers(session, "while the engine hangs");
        StopAfterEnd(session, "of a hanging engine");
    }
    // Exit while it hangs: the teardown's Stop ends it.
    StartDownloading(session, "before exit");
    ExitLeavingNoEngine(session);
}

TEST(EngineFaults, GrandchildHoldingTheOutputPipeAfterTheEngineHasGone)
{
    SproutSession session("grandchild");
    // The engine starts a silent copy of itself that lives 30 s with its standard handles,
    // then exits.
    session.Knobs().Set("SPROUT_BT_GRANDCHILD", "30");
    ASSERT_TRUE(session.Open());
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_TRUE(session.Sprout().WaitForText(IDC_START_STOP, kStartDownload, 5000))
        << "the engine's exit went unnoticed while its pipe stays open";
    EXPECT_TRUE(session.WaitForEngineCount(0, 2000));
    ExpectAnswers(session, "after the engine's exit");
    StopAfterEnd(session, "with the pipe held");

    // A second run while the first run's pipes are still held elsewhere.
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_TRUE(session.Sprout().WaitForText(IDC_START_STOP, kStartDownload, 5000));
    ExpectAnswers(session, "after the second engine's exit");

    // Exit does not wait for the grandchildren, and nothing crashes on the way out.
    DWORD sprout = session.Sprout().ProcessId();
    DWORD start = GetTickCount();
    ASSERT_TRUE(session.Exit(15000)) << "no exit with code 1005 while the pipe is held";
    std::printf("  exit with the pipe held: %lu ms\n", GetTickCount() - start);
    EXPECT_EQ(session.EngineCount(), 0u) << "an engine of process " << sprout << " outlived it";
}

TEST(EngineFaults, ExitWhileDownloadingEndsTheEngineAndKeepsTheLastFolder)
{
    SproutSession session("exitdownload");
    std::string record = session.Folder().File("record.txt");
    session.Knobs().Set("SPROUT_BT_RECORD", record);
    std::string first = session.Folder().File("first");
    std::string last = session.Folder().File("last");
    ASSERT_TRUE(session.Open());

    ASSERT_TRUE(session.SetSaveFolderField(first));
    StartDownloading(session, "in the first folder");
    EXPECT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    ASSERT_TRUE(session.SetSaveFolderField(last));
    StartDownloading(session, "in the last folder");
    EXPECT_EQ(session.EngineCount(), 1u);
    EXPECT_TRUE(WaitForFigure(session, IDC_DOWNLOADED, SPROUT_TEXT_DOWNLOADED));

    ExitLeavingNoEngine(session);
    char stored[MAX_PATH] = {};
    GetPrivateProfileStringA("movie.torrent", "Path", "", stored, sizeof(stored),
                             session.SettingsPath().c_str());
    EXPECT_EQ(std::string(stored), last);

    // Both engines ran in the folder of their press, with the fixed engine command line.
    std::string recorded;
    ASSERT_TRUE(driver::ReadFile(record, &recorded));
    std::string commandLine = "command line: \"" + session.Folder().File("bt.exe")
                              + "\" --minport 8888 --maxport 9000 --display_interval 1.0 \""
                              + session.Folder().File("movie.torrent") + "\"\r\n";
    EXPECT_EQ(recorded, commandLine + "working directory: " + first + "\r\n" + commandLine
                            + "working directory: " + last + "\r\n");
    EXPECT_TRUE(driver::FileExists(last + "\\movie.iso"));
}
