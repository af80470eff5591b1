// The simulated engine's blocks read back through the front-end's StatusParser, chunk by chunk,
// into the label texts.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "status/status_parser.h"
#include "status/status_texts.h"
#include "tests/btsim/memory_store.h"
#include "tests/gbk.h"
#include "tests/status/recording_sink.h"
#include "tests/status/test_parser.h"
#include "tools/btsim/session.h"

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

    TestParser parser;
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
        // The last megabyte arrived in the tenth second.
        EXPECT_EQ(sink.labels[IDC_SPEED],
                  std::string(SPROUT_TEXT_SPEED) + (second == 10 ? "1024.0 kB/s" : "0.0 kB/s"));
        EXPECT_EQ(sink.labels[IDC_DOWNLOADED], SPROUT_TEXT_DOWNLOADED "10.0 MB");
    }
    EXPECT_EQ(sink.labels[IDC_FILE_SIZE], SPROUT_TEXT_FILE_SIZE "10.0 MB");
    EXPECT_EQ(store.files[name].size(), size_t(10) * 1024 * 1024);
}
