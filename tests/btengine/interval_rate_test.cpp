// The rate on a status block: bytes received over the time the download ran in its interval.
#include "btengine/interval_rate.h"

#include <gtest/gtest.h>

TEST(IntervalRate, BytesOverTheTimeTheDownloadRan)
{
    const int64_t kSecond = 1000000;
    IntervalRate rate(5 * kSecond);
    EXPECT_EQ(rate.Take(0, 6 * kSecond), 0);
    // A late block covers a longer interval, a short one a shorter one.
    EXPECT_EQ(rate.Take(3000000, 7 * kSecond + kSecond / 2), 2000000);
    EXPECT_EQ(rate.Take(3100000, 7 * kSecond + kSecond / 2 + kSecond / 20), 2000000);
    // Complete a quarter of the way into the next interval: the quarter counts, not the rest.
    rate.Complete(7 * kSecond + kSecond / 2 + kSecond / 20 + kSecond / 4);
    EXPECT_EQ(rate.Take(3600000, 8 * kSecond + kSecond / 2 + kSecond / 20), 2000000);
    rate.Complete(20 * kSecond);
    EXPECT_EQ(rate.Take(3600000, 9 * kSecond), 0);
    EXPECT_EQ(rate.Take(3600000, 9 * kSecond), 0) << "no time passed";
}

TEST(IntervalRate, ADownloadDoneWithinTheFirstIntervalShowsItsAverage)
{
    IntervalRate rate(0);
    rate.Complete(300000);
    EXPECT_EQ(rate.Take(64 * 1024 * 1024, 1000000), int64_t(64) * 1024 * 1024 * 10 / 3);
    EXPECT_EQ(rate.Take(64 * 1024 * 1024, 2000000), 0);
}
