// The engine writing as fast as it can for 10 s, on standard output (plain text, or status
// blocks back to back) or on standard error: the window keeps answering within a second,
// sprout.exe's memory stays bounded, and the labels show the last block once the flood ends.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "res/resource.h"
#include "tests/reliability/process_census.h"
#include "tests/reliability/sprout_session.h"
#include "status/status_texts.h"

using namespace reliability;
using namespace texts;

namespace {

// Far above what a bounded window needs, far below what ten seconds of flood would take if
// it were kept.
const SIZE_T kPeakGrowthLimit = 24 * 1024 * 1024;

int ProgressPosition(SproutSession& session)
{
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutA(session.Sprout().Control(IDC_PROGRESS), PBM_GETPOS, 0, 0,
                             SMTO_NORMAL, 1000, &position))
        return -1;
    return static_cast<int>(position);
}

// What the seeding engine's blocks show once the 256 kB payload is complete.
bool ShowsCompleteDownload(SproutSession& session)
{
    driver::SproutProcess& sprout = session.Sprout();
    return sprout.ControlText(IDC_FILE_SIZE) == std::string(SPROUT_TEXT_FILE_SIZE) + "256.0 kB"
           && sprout.ControlText(IDC_DOWNLOADED) == std::string(SPROUT_TEXT_DOWNLOADED) + "256.0 kB"
           && sprout.ControlText(IDC_TIME_LEFT) == std::string(SPROUT_TEXT_TIME_LEFT) + "完成"
           && sprout.ControlText(IDC_SPEED) == std::string(SPROUT_TEXT_SPEED) + "0.0 kB/s"
           && ProgressPosition(session) == 100;
}

void Flood(const char* mode)
{
    SproutSession session(mode);
    session.Knobs()
        .Set("SPROUT_BT_RATE", "4194304")
        .Set("SPROUT_BT_FLOOD", "10")
        .Set("SPROUT_BT_FLOOD_MODE", mode);
    ASSERT_TRUE(session.Open());
    ASSERT_TRUE(session.SetSaveFolderField(session.SaveFolder()));
    ProcessFigures idle, now;
    ASSERT_TRUE(MeasureProcess(session.Sprout().Process(), session.Sprout().ProcessId(), &idle));

    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    DWORD started = GetTickCount();
    DWORD slowest = 0;
    int answers = 0;
    SIZE_T highestPrivate = 0;
    bool complete = false;
    // Through the flood and until the first blocks after it have been shown.
    while (GetTickCount() - started < 25000 && !complete) {
        DWORD ms = session.AnswerTime();
        slowest = std::max(slowest, ms);
        ++answers;
        if (MeasureProcess(session.Sprout().Process(), session.Sprout().ProcessId(), &now))
            highestPrivate = std::max(highestPrivate, now.privateBytes);
        complete = GetTickCount() - started > 10000 && ShowsCompleteDownload(session);
        Sleep(50);
    }
    DWORD took = GetTickCount() - started;
    ASSERT_TRUE(MeasureProcess(session.Sprout().Process(), session.Sprout().ProcessId(), &now));
    std::printf("  %s flood: slowest of %d answers %lu ms; labels final after %lu ms\n", mode,
                answers, slowest, took);
    std::printf("  before: %s\n  after:  %s\n  highest private bytes %lu KB\n",
                Describe(idle).c_str(), Describe(now).c_str(),
                static_cast<unsigned long>(highestPrivate / 1024));
    EXPECT_LT(slowest, 1000u) << "the window did not answer within a second during the flood";
    EXPECT_TRUE(complete) << session.Sprout().ControlText(IDC_FILE_SIZE) << " | "
                          << session.Sprout().ControlText(IDC_DOWNLOADED) << " | "
                          << session.Sprout().ControlText(IDC_TIME_LEFT) << " | "
                          << session.Sprout().ControlText(IDC_SPEED) << " | "
                          << ProgressPosition(session);
    EXPECT_LT(now.peakWorkingSet, idle.peakWorkingSet + kPeakGrowthLimit);
    EXPECT_EQ(session.EngineCount(), 1u);

    ASSERT_NE(session.Click(IDC_START_STOP), kNoAnswer);
    EXPECT_EQ(session.Sprout().ControlText(IDC_STATUS_GROUP), kStatusStopped);
    EXPECT_EQ(session.EngineCount(), 0u);
    ASSERT_TRUE(session.Exit());
}

}  // namespace

TEST(Flood, PlainTextOnStandardOutput) { Flood("text"); }

TEST(Flood, StatusBlocksOnStandardOutput) { Flood("blocks"); }

TEST(Flood, TextOnStandardError) { Flood("stderr"); }
