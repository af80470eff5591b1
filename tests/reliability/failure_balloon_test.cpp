// The balloon on the Start/Stop button: it shows when the engine ends by itself with a
// non-zero exit code, with the reason; never after a normal end or the user's Stop; about ten
// seconds take it away. The labels read what they always read. (A missing engine and a crash
// are the engine faults' cases.)
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/reliability/sprout_session.h"
#include "status/status_texts.h"

using namespace reliability;
using namespace texts;

namespace {

// How long a case waits for a balloon that must not come: the engine's end is reported
// within milliseconds of the labels' change.
const DWORD kNoBalloonMs = 1500;

void ExpectLabels(SproutSession& session, const char* status, const char* button)
{
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), status);
    EXPECT_EQ(session.Sprout().ControlText(IDC_START_STOP), button);
}

// Starts a run whose engine ends by itself, and returns once the labels show its end.
void RunToEngineEnd(SproutSession& session)
{
    ASSERT_TRUE(session.Open());
    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    ASSERT_TRUE(session.Sprout().WaitForText(IDC_START_STOP, kStartDownload));
    ExpectLabels(session, kStatusStopped, kStartDownload);
}

}  // namespace

TEST(FailureBalloon, EngineExitCodeAndLastStderrLine)
{
    SproutSession session("balloon-exit3");
    session.Knobs()
        .Set("SPROUT_BT_EXIT_AFTER", "0")
        .Set("SPROUT_BT_EXIT_CODE", "3")
        .Set("SPROUT_BT_STDERR", "种子无效：piece 7");
    RunToEngineEnd(session);
    EXPECT_EQ(session.WaitForBalloon(), std::string(kEngineEnded) + "3\r\n种子无效：piece 7");
    // Left alone, it goes after about ten seconds.
    DWORD shown = GetTickCount();
    EXPECT_TRUE(driver::WaitUntil([&] { return session.Balloon().empty(); }, 20000));
    EXPECT_GE(GetTickCount() - shown, 5000u);
    ExpectLabels(session, kStatusStopped, kStartDownload);
    EXPECT_TRUE(session.Exit());
}

TEST(FailureBalloon, NoneAfterANormalEndOrTheUsersStop)
{
    {
        SproutSession session("balloon-normal");
        session.Knobs().Set("SPROUT_BT_EXIT_AFTER", "1").Set("SPROUT_BT_STDERR", "note");
        RunToEngineEnd(session);
        EXPECT_EQ(session.WaitForBalloon(kNoBalloonMs), "");
        EXPECT_TRUE(session.Exit());
    }
    {
        SproutSession session("balloon-stop");
        session.Knobs().Set("SPROUT_BT_EXIT_CODE", "3");
        ASSERT_TRUE(session.Open());
        ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
        ExpectLabels(session, kStatusDownloading, kStopDownload);
        ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
        ExpectLabels(session, kStatusStopped, kStartDownload);
        EXPECT_EQ(session.WaitForBalloon(kNoBalloonMs), "");
        EXPECT_TRUE(session.Exit());
    }
}
