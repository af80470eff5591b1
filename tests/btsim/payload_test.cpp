// Payload and Session: files laid out under the name, resume from what is on disk, the rate
// kept over the whole run, and store failures passed on.
#include "tools/btsim/payload.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/btsim/memory_store.h"
#include "tools/btsim/session.h"

namespace {

Torrent MultiFile()
{
    Torrent torrent;
    torrent.name = "album";
    torrent.multiFile = true;
    torrent.files.push_back({{"cd1", "01.flac"}, 300});
    torrent.files.push_back({{"empty.txt"}, 0});
    torrent.files.push_back({{"cd2", "art", "cover.jpg"}, 200});
    return torrent;
}

std::string Expected(int64_t offset, size_t size)
{
    std::string bytes(size, '\0');
    FillPayloadBytes(offset, &bytes[0], size);
    return bytes;
}

}  // namespace

TEST(Payload, WritesTheFilesInOrderUnderTheName)
{
    MemoryStore store;
    Torrent torrent = MultiFile();
    Payload payload(torrent, store);
    std::string error;
    ASSERT_TRUE(payload.Resume(&error)) << error;
    EXPECT_EQ(store.directories,
              (std::set<std::string>{"album", "album\\cd1", "album\\cd2", "album\\cd2\\art"}));
    EXPECT_EQ(store.files.size(), 3u);  // all there, empty, from the start
    EXPECT_EQ(payload.Total(), 500);
    ASSERT_TRUE(payload.Advance(350, &error));
    EXPECT_EQ(payload.Have(), 350);
    EXPECT_EQ(store.files["album\\cd1\\01.flac"], Expected(0, 300));
    EXPECT_EQ(store.files["album\\empty.txt"], "");
    EXPECT_EQ(store.files["album\\cd2\\art\\cover.jpg"], Expected(300, 50));
    ASSERT_TRUE(payload.Advance(1000, &error));
    EXPECT_TRUE(payload.Complete());
    EXPECT_EQ(store.files["album\\cd2\\art\\cover.jpg"], Expected(300, 200));
    int writes = store.writes;
    ASSERT_TRUE(payload.Advance(1000, &error));
    EXPECT_EQ(store.writes, writes);
}

TEST(Payload, ResumesFromWhatIsOnDisk)
{
    MemoryStore store;
    store.files["album\\cd1\\01.flac"] = std::string(1000, 'x');  // longer: counts as complete
    store.files["album\\cd2\\art\\cover.jpg"] = Expected(300, 120);
    Torrent torrent = MultiFile();
    Payload payload(torrent, store);
    std::string error;
    ASSERT_TRUE(payload.Resume(&error));
    EXPECT_EQ(payload.Have(), 420);
    ASSERT_TRUE(payload.Advance(30, &error));
    EXPECT_EQ(store.files["album\\cd1\\01.flac"], std::string(1000, 'x'));
    EXPECT_EQ(store.files["album\\cd2\\art\\cover.jpg"], Expected(300, 150));

    Torrent single;
    single.name = "one.iso";
    single.files.push_back({{}, 10});
    MemoryStore done;
    done.files["one.iso"] = std::string(10, 'y');
    Payload complete(single, done);
    ASSERT_TRUE(complete.Resume(&error));
    EXPECT_TRUE(complete.Complete());
    EXPECT_TRUE(done.directories.empty());
}

TEST(Payload, StoreFailuresComeBackWithThePath)
{
    Torrent torrent = MultiFile();
    MemoryStore noDirectories;
    noDirectories.failDirectories = true;
    std::string error;
    EXPECT_FALSE(Payload(torrent, noDirectories).Resume(&error));
    EXPECT_EQ(error, "cannot create directory album");

    MemoryStore noWrites;
    noWrites.failWrites = true;
    EXPECT_FALSE(Payload(torrent, noWrites).Resume(&error));
    EXPECT_EQ(error, "cannot create album\\cd1\\01.flac");

    MemoryStore later;
    Payload payload(torrent, later);
    ASSERT_TRUE(payload.Resume(&error));
    later.failWrites = true;
    EXPECT_FALSE(payload.Advance(10, &error));
    EXPECT_EQ(error, "cannot write album\\cd1\\01.flac");
}

TEST(Session, KeepsTheRateOverTheWholeRun)
{
    Torrent torrent;
    torrent.name = "big.bin";
    torrent.files.push_back({{}, 100000});
    MemoryStore store;
    store.files["big.bin"] = Expected(0, 1000);
    Session session(torrent, store, 3000);
    std::string block, error;
    ASSERT_TRUE(session.Start(&error));
    ASSERT_TRUE(session.Tick(0, &block, &error));
    EXPECT_EQ(session.Files().Have(), 1000);
    // Uneven intervals: what is on disk follows the time gone by, not the number of ticks.
    const int64_t times[] = {333, 334, 1001, 1999, 2000, 5000};
    for (int64_t ms : times) {
        ASSERT_TRUE(session.Tick(ms, &block, &error));
        EXPECT_EQ(session.Files().Have(), 1000 + 3000 * ms / 1000) << ms;
    }
    EXPECT_NE(block.find("download rate: 2.9 kB/s\r\n"), std::string::npos) << block;
    EXPECT_NE(block.find("(3.7 kB up / 15.6 kB down)\r\n"), std::string::npos) << block;
    EXPECT_NE(block.find("time left: 28 sec\r\n"), std::string::npos) << block;

    Session stalled(torrent, store, 0);
    ASSERT_TRUE(stalled.Start(&error));
    ASSERT_TRUE(stalled.Tick(60000, &block, &error));
    EXPECT_NE(block.find("time left: unknown\r\n"), std::string::npos) << block;
    EXPECT_NE(block.find("percent done: 16.0\r\n"), std::string::npos) << block;
}
