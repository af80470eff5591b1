// Status blocks: the figures' formats, the exact block, and a whole simulated run read back
// through the front-end's StatusParser, chunk by chunk, into the label texts.
#include "tools/btsim/status_block.h"

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "status/status_parser.h"
#include "status/status_texts.h"
#include "tests/btsim/memory_store.h"
#include "tests/gbk.h"
#include "tests/status/recording_sink.h"
#include "tools/btsim/session.h"

TEST(StatusBlock, FormatsTheFigures)
{
    EXPECT_EQ(FormatSize(0), "0 B");
    EXPECT_EQ(FormatSize(1023), "1023 B");
    EXPECT_EQ(FormatSize(1024), "1.0 kB");
    EXPECT_EQ(FormatSize(10752), "10.5 kB");
    EXPECT_EQ(FormatSize(int64_t(700) * 1024 * 1024), "700.0 MB");
    EXPECT_EQ(FormatSize(int64_t(4700) * 1024 * 1024), "4.59 GB");
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
    EXPECT_EQ(FormatStatusBlock(figures),
              "\r\n"
              "saving: disc (1).iso (700.0 MB)\r\n"
              "percent done: 10.0\r\n"
              "time left: 18328 sec\r\n"
              "download rate: 35.2 kB/s\r\n"
              "(10.5 MB up / 70.0 MB down)\r\n"
              "seed status: 1 seen now\r\n");
    figures.have = figures.total;
    EXPECT_EQ(FormatStatusBlock(figures),
              "\r\n"
              "saving: disc (1).iso (700.0 MB)\r\n"
              "percent done: 100.0\r\n"
              "time left: Download Succeeded!\r\n"
              "download rate: 0.0 kB/s\r\n"
              "(10.5 MB up / 700.0 MB down)\r\n"
              "seed status: seeding\r\n");
}

// A run of a 10 MB torrent with a GBK name at 1 MB/s, one block a second, each block handed to
// the parser in 7-byte chunks (so keys, line ends and the GBK name are cut): the labels follow
// the download to its end and then show it finished.
TEST(StatusBlock, ASimulatedRunGivesTheLabelsThroughTheParser)
{
    UseGbk gbk;
    const std::string name = "\xB5\xE7\xD3\xB0 (2024).iso";  // 电影 (2024).iso
    Torrent torrent;
    torrent.name = name;
    torrent.files.push_back({{}, int64_t(10) * 1024 * 1024});
    MemoryStore store;
    Session session(torrent, store, 1024 * 1024);
    std::string error;
    ASSERT_TRUE(session.Start(&error)) << error;

    StatusParser parser;
    RecordingSink sink;
    auto feed = [&](const std::string& block) {
        for (size_t at = 0; at < block.size(); at += 7)
            parser.OnStdout(block.substr(at, 7).c_str(), sink);
    };
    std::string block;
    ASSERT_TRUE(session.Tick(0, &block, &error));
    feed(block);
    EXPECT_EQ(sink.labels[IDC_FILE_SIZE], SPROUT_TEXT_FILE_SIZE "10.0 MB");
    EXPECT_EQ(sink.labels[IDC_TIME_LEFT], SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_UNKNOWN);
    EXPECT_EQ(sink.labels[IDC_SPEED], SPROUT_TEXT_SPEED "0.0 kB/s");
    EXPECT_EQ(sink.labels[IDC_DOWNLOADED], SPROUT_TEXT_DOWNLOADED "0 B");
    EXPECT_EQ(sink.bar, 0);

    for (int second = 1; second <= 9; ++second) {
        ASSERT_TRUE(session.Tick(second * 1000, &block, &error));
        feed(block);
        SCOPED_TRACE(second);
        EXPECT_EQ(sink.bar, second * 10);
        EXPECT_EQ(sink.labels[IDC_TIME_LEFT],
                  SPROUT_TEXT_TIME_LEFT + std::to_string(10 - second) + " sec");
        EXPECT_EQ(sink.labels[IDC_SPEED], SPROUT_TEXT_SPEED "1024.0 kB/s");
        EXPECT_EQ(sink.labels[IDC_DOWNLOADED],
                  SPROUT_TEXT_DOWNLOADED + std::to_string(second) + ".0 MB");
    }
    for (int second = 10; second <= 12; ++second) {
        ASSERT_TRUE(session.Tick(second * 1000, &block, &error));
        feed(block);
        EXPECT_EQ(sink.bar, 100);
        EXPECT_EQ(sink.labels[IDC_TIME_LEFT], SPROUT_TEXT_TIME_LEFT SPROUT_TEXT_FINISHED);
        EXPECT_EQ(sink.labels[IDC_SPEED], SPROUT_TEXT_SPEED "0.0 kB/s");
        EXPECT_EQ(sink.labels[IDC_DOWNLOADED], SPROUT_TEXT_DOWNLOADED "10.0 MB");
    }
    EXPECT_EQ(sink.labels[IDC_FILE_SIZE], SPROUT_TEXT_FILE_SIZE "10.0 MB");
    EXPECT_EQ(store.files[name].size(), size_t(10) * 1024 * 1024);
}
