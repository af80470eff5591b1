// 50 Start/Stop presses in a row with the engine running: exactly one engine whenever the
// window says downloading, none once it says stopped, and handles, threads and memory back at
// their starting level afterwards.
#include <gtest/gtest.h>

#include <cstdio>

#include "res/resource.h"
#include "tests/reliability/process_census.h"
#include "tests/reliability/sprout_session.h"
#include "status/status_texts.h"

using namespace reliability;
using namespace texts;

namespace {

// Presses of the one Start/Stop button: every other one starts, every other one stops.
const int kPresses = 50;
const int kRounds = kPresses / 2;

bool Measure(SproutSession& session, ProcessFigures* figures)
{
    return MeasureProcess(session.Sprout().Process(), session.Sprout().ProcessId(), figures);
}

bool StartAndStop(SproutSession& session, int round)
{
    if (session.Click(IDC_START_STOP) == kNoAnswer)
        return false;
    bool downloading = session.Sprout().ControlText(IDC_STATUS_GROUP) == kStatusDownloading;
    EXPECT_TRUE(downloading) << "round " << round;
    EXPECT_EQ(session.EngineCount(), 1u) << "engines while downloading, round " << round;
    EXPECT_LT(session.AnswerTime(), 1000u) << "round " << round;
    if (session.Click(IDC_START_STOP) == kNoAnswer)
        return false;
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusStopped) << "round " << round;
    EXPECT_EQ(session.Sprout().ControlText(IDC_START_STOP), kStartDownload) << "round " << round;
    EXPECT_EQ(session.EngineCount(), 0u) << "engines once stopped, round " << round;
    return downloading;
}

}  // namespace

TEST(Churn, FiftyStartStopPressesLeaveNothingBehind)
{
    SproutSession session("churn");
    ASSERT_TRUE(session.Open());

    ProcessFigures idle, start, end;
    ASSERT_TRUE(Measure(session, &idle));
    std::printf("  idle window:       %s\n", Describe(idle).c_str());
    // The first run loads what every later run reuses; the level to return to is after it.
    ASSERT_TRUE(StartAndStop(session, 0));
    ASSERT_TRUE(Measure(session, &start));
    std::printf("  after one run:     %s\n", Describe(start).c_str());

    DWORD began = GetTickCount();
    for (int round = 1; round <= kRounds; ++round)
        ASSERT_TRUE(StartAndStop(session, round)) << "round " << round;
    DWORD took = GetTickCount() - began;

    // A reader still finishing its last read may hold a thread for a moment.
    driver::WaitUntil([&] { return Measure(session, &end) && end.threads <= start.threads; },
                      3000);
    std::printf("  after %d more:     %s\n", kRounds, Describe(end).c_str());
    std::printf("  %d presses (%d runs) took %lu ms\n", kPresses, kRounds, took);
    EXPECT_LE(end.handles, start.handles + 2);
    EXPECT_LE(end.threads, start.threads);
    EXPECT_LE(end.workingSet, start.workingSet + 1024 * 1024);
    EXPECT_LE(end.privateBytes, start.privateBytes + 256 * 1024);

    ASSERT_TRUE(session.Exit());
    EXPECT_EQ(session.EngineCount(), 0u);
}
