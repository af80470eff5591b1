// Torrent files: single and multi-file layouts, refusal of unsafe or broken ones, and the
// writer's output read back with real piece hashes.
#include "tools/btsim/torrent.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/btsim/sha1.h"

namespace {

std::string Str(const std::string& s) { return std::to_string(s.size()) + ":" + s; }

std::string WithInfo(const std::string& info) { return "d8:announce4:http4:info" + info + "e"; }

}  // namespace

TEST(Torrent, ReadsSingleAndMultiFileLayouts)
{
    Torrent single;
    std::string error;
    ASSERT_TRUE(ParseTorrent(WithInfo("d6:lengthi700e4:name" + Str("disc (1).iso")
                                          + "12:piece lengthi16384e6:pieces20:"
                                          + std::string(20, 'x') + "e"),
                             &single, &error))
        << error;
    EXPECT_EQ(single.name, "disc (1).iso");
    EXPECT_FALSE(single.multiFile);
    ASSERT_EQ(single.files.size(), 1u);
    EXPECT_TRUE(single.files[0].path.empty());
    EXPECT_EQ(single.TotalLength(), 700);
    EXPECT_EQ(single.pieceLength, 16384);
    EXPECT_EQ(single.pieces, std::string(20, 'x'));

    Torrent multi;
    ASSERT_TRUE(ParseTorrent(WithInfo("d5:filesld6:lengthi5e4:pathl1:a5:b.txteed6:lengthi0e4:pathl"
                                      "5:c.binee" "e4:name" + Str("\xB5\xE7\xD3\xB0") + "e"),
                             &multi, &error))
        << error;
    EXPECT_TRUE(multi.multiFile);
    EXPECT_EQ(multi.name, "\xB5\xE7\xD3\xB0");
    ASSERT_EQ(multi.files.size(), 2u);
    EXPECT_EQ(multi.files[0].path, (std::vector<std::string>{"a", "b.txt"}));
    EXPECT_EQ(multi.files[1].length, 0);
    EXPECT_EQ(multi.TotalLength(), 5);
    EXPECT_EQ(multi.pieceLength, 0);
}

TEST(Torrent, RefusesBrokenAndUnsafeFilesWithAReason)
{
    struct Case {
        std::string bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"", "bencode"},
        {"d4:infod4:name1:a6:lengthi3ee", "bencode"},  // truncated
        {"d8:announce4:httpe", "'info'"},
        {"d4:info4:spame", "'info'"},
        {WithInfo("d6:lengthi3ee"), "'name'"},
        {WithInfo("d6:lengthi3e4:name0:e"), "'name'"},
        {WithInfo("d6:lengthi3e4:name2:..e"), "'name'"},
        {WithInfo("d6:lengthi3e4:name5:a\\b.ce"), "'name'"},
        {WithInfo("d4:name1:ae"), "'length'"},
        {WithInfo("d6:lengthi-1e4:name1:ae"), "'length'"},
        {WithInfo("d6:length1:34:name1:ae"), "'length'"},
        {WithInfo("d5:filesle4:name1:ae"), "'files'"},
        {WithInfo("d5:filesld4:pathl1:aeee4:name1:ae"), "'length'"},
        {WithInfo("d5:filesld6:lengthi1e4:pathleee4:name1:ae"), "'path'"},
        {WithInfo("d5:filesld6:lengthi1e4:pathl2:..eee4:name1:ae"), "path part"},
        {WithInfo("d5:filesld6:lengthi1e4:pathl3:a/beee4:name1:ae"), "path part"},
        {WithInfo("d6:lengthi3e4:name1:a12:piece lengthi0ee"), "'piece length'"},
        {WithInfo("d6:lengthi3e4:name1:a6:pieces3:abce"), "'pieces'"},
    };
    for (const Case& c : cases) {
        Torrent torrent;
        std::string error;
        EXPECT_FALSE(ParseTorrent(c.bytes, &torrent, &error)) << c.bytes;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.bytes << ": " << error;
    }
}

TEST(Torrent, PieceLengthKeepsThePieceCountSmall)
{
    EXPECT_EQ(ChoosePieceLength(0), 16 * 1024);
    EXPECT_EQ(ChoosePieceLength(1000), 16 * 1024);
    EXPECT_EQ(ChoosePieceLength(int64_t(700) * 1024 * 1024), 512 * 1024);
    EXPECT_LE(int64_t(4) * 1024 * 1024 * 1024 / ChoosePieceLength(int64_t(4) * 1024 * 1024 * 1024),
              1500);
}

TEST(Torrent, MakerWritesWhatTheReaderReadsWithPieceHashes)
{
    std::string first(40000, 'a'), second = "tail";
    TorrentMaker maker("folder", true, 16384);
    maker.AddFile({"sub", "first.bin"}, int64_t(first.size()));
    maker.AddFile({"second.txt"}, int64_t(second.size()));
    maker.Feed(first.data(), 10);
    maker.Feed(first.data() + 10, first.size() - 10);
    maker.Feed(second.data(), second.size());
    std::string bytes, error;
    ASSERT_TRUE(maker.Finish("http://tracker/announce", &bytes, &error)) << error;

    Torrent torrent;
    ASSERT_TRUE(ParseTorrent(bytes, &torrent, &error)) << error;
    EXPECT_EQ(torrent.name, "folder");
    ASSERT_EQ(torrent.files.size(), 2u);
    EXPECT_EQ(torrent.files[0].path, (std::vector<std::string>{"sub", "first.bin"}));
    EXPECT_EQ(torrent.files[1].length, 4);
    EXPECT_EQ(torrent.pieceLength, 16384);
    std::string all = first + second;
    std::string expected = Sha1Digest(all.substr(0, 16384)) + Sha1Digest(all.substr(16384, 16384))
                         + Sha1Digest(all.substr(32768));
    EXPECT_EQ(ToHex(torrent.pieces), ToHex(expected));
    EXPECT_NE(bytes.find("8:announce23:http://tracker/announce"), std::string::npos);

    TorrentMaker single("one.bin", false, 16384);
    single.AddFile({}, 3);
    single.Feed("abc", 3);
    ASSERT_TRUE(single.Finish("http://t/a", &bytes, &error));
    ASSERT_TRUE(ParseTorrent(bytes, &torrent, &error)) << error;
    EXPECT_FALSE(torrent.multiFile);
    EXPECT_EQ(torrent.TotalLength(), 3);
    EXPECT_EQ(torrent.pieces, Sha1Digest("abc"));

    TorrentMaker shortFed("x", false, 16384);
    shortFed.AddFile({}, 3);
    shortFed.Feed("ab", 2);
    EXPECT_FALSE(shortFed.Finish("http://t/a", &bytes, &error));
}
