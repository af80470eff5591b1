// Status blocks: the figures' formats and the exact block.
#include "engine_interface/status_block.h"

#include <gtest/gtest.h>

#include <string>

#include "engine_interface/size_text.h"

TEST(StatusBlock, FormatsTheFigures)
{
    const struct {
        long long bytes;
        const char* text;
    } sizes[] = {
        {0, "0 B"},           {1023, "1023 B"},       {1024, "1.0 kB"},
        {1536, "1.5 kB"},     {1048575, "1.0 MB"},    {734003200, "700.0 MB"},
        {4700000000LL, "4.4 GB"}, {1LL << 40, "1.0 TB"}, {0x7FFFFFFFFFFFFFFFLL, "8.0 EB"},
    };
    for (const auto& c : sizes)
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
    char cut[5];
    FormatSize(10752, cut, sizeof(cut));
    EXPECT_STREQ(cut, "10.5");
    EXPECT_EQ(FormatRate(0), "0.0 kB/s");
    EXPECT_EQ(FormatRate(36045), "35.2 kB/s");
    EXPECT_EQ(FormatPercent(0, 100), "0.0");
    EXPECT_EQ(FormatPercent(123, 1000), "12.3");
    EXPECT_EQ(FormatPercent(9999, 10000), "99.9");
    EXPECT_EQ(FormatPercent(99999, 100000), "99.9");
    EXPECT_EQ(FormatPercent(100, 100), "100.0");
    EXPECT_EQ(FormatPercent(0, 0), "100.0");
    EXPECT_EQ(FormatTimeLeft(0, 320, 1), "320 sec");
    EXPECT_EQ(FormatTimeLeft(0, 321, 2), "161 sec");
    EXPECT_EQ(FormatTimeLeft(0, 100, 0), "unknown");
    EXPECT_EQ(FormatTimeLeft(100, 100, 0), "Download Succeeded!");
}

TEST(StatusBlock, HasTheSevenLinesEachEndingInCrLf)
{
    StatusFigures figures;
    figures.name = "disc (1).iso";
    figures.total = int64_t(700) * 1024 * 1024;
    figures.have = figures.total / 10;
    figures.uploaded = 11010048;
    figures.bytesPerSecond = 36045;
    figures.seeds = 1;
    figures.peers = 2;
    EXPECT_EQ(FormatStatusBlock(figures),
              "\r\n"
              "saving: disc (1).iso (700.0 MB)\r\n"
              "percent done: 10.0\r\n"
              "time left: 18328 sec\r\n"
              "download rate: 35.2 kB/s\r\n"
              "(10.5 MB up / 70.0 MB down)\r\n"
              "seed status: 1 seed, 2 peers connected\r\n");
    // The block that completes the download still shows what arrived in its interval.
    figures.have = figures.total;
    figures.seeds = 0;
    figures.peers = 1;
    EXPECT_EQ(FormatStatusBlock(figures),
              "\r\n"
              "saving: disc (1).iso (700.0 MB)\r\n"
              "percent done: 100.0\r\n"
              "time left: Download Succeeded!\r\n"
              "download rate: 35.2 kB/s\r\n"
              "(10.5 MB up / 700.0 MB down)\r\n"
              "seed status: seeding, 0 seeds, 1 peer connected\r\n");
}
