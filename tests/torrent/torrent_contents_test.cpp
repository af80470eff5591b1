// The torrent's file list as the window shows it: single and multi-file torrents, names in
// UTF-8 or a declared code page, a hundred thousand files, paths too long for their line,
// and what cannot be read; each read again through windows of a few bytes, which cut its
// strings, keys, numbers and characters everywhere, and must show the same. (The shared
// reader's syntax checks are tested through the simulated engine's tree and fuzzed.)
#include <gtest/gtest.h>

#include <string>

#include "tests/gbk.h"
#include "torrent/torrent_contents.h"

namespace {

std::string S(const std::string& text) { return std::to_string(text.size()) + ":" + text; }
std::string I(long long value) { return "i" + std::to_string(value) + "e"; }

std::string FileEntry(const std::string& pathList, long long length, const char* key = "path")
{
    return "d" + S("length") + I(length) + S(key) + "l" + pathList + "ee";
}

std::string Torrent(const std::string& infoEntries, const std::string& rootExtra = "")
{
    return "d" + S("announce") + S("http://t/") + rootExtra + S("info") + "d" + infoEntries
         + S("piece length") + I(16384) + S("pieces") + S("") + "ee";
}

const char kMark[] = "\xE2\x80\xA6";  // the ellipsis in UTF-8

std::string ShownPath(const TorrentContents& contents, int index, size_t room)
{
    std::string out(room + 1, '*');
    size_t length = contents.ShownPath(index, kMark, &out[0], room);
    EXPECT_EQ(out[length], '\0');
    return out.substr(0, length);
}

std::string PathOf(const TorrentContents& contents, int index)
{
    return ShownPath(contents, index, 4096);
}

// A torrent's bytes and the contents read from them through the usual window, which holds
// all of a small torrent; read again through windows of a few bytes, they must show the same.
class Reading {
public:
    bool Read(const std::string& bytes)
    {
        m_bytes = bytes;
        m_source = MemorySource(m_bytes.data(), m_bytes.size());
        bool read = contents.Read(m_source);
        for (size_t window : {size_t(16), size_t(17), size_t(29)}) {
            SCOPED_TRACE(window);
            ExpectSameThrough(window, read);
        }
        return read;
    }
    TorrentContents contents;

private:
    void ExpectSameThrough(size_t window, bool read)
    {
        TorrentContents small;
        ASSERT_EQ(small.Read(m_source, window), read);
        ASSERT_EQ(small.FileCount(), contents.FileCount());
        EXPECT_EQ(small.TotalLength(), contents.TotalLength());
        for (int i = 0; i < contents.FileCount(); ++i) {
            ASSERT_EQ(small.Length(i), contents.Length(i)) << i;
            ASSERT_EQ(small.PathIsUtf8(i), contents.PathIsUtf8(i)) << i;
            for (size_t room : {size_t(41), size_t(4096)})
                ASSERT_EQ(ShownPath(small, i, room), ShownPath(contents, i, room)) << i;
        }
    }

    std::string m_bytes;
    MemorySource m_source{nullptr, 0};
};

}  // namespace

TEST(TorrentContents, SingleAndMultiFile)
{
    Reading reading;
    const TorrentContents& contents = reading.contents;
    std::string single = Torrent(S("length") + I(5000) + S("name") + S("movie.iso"));
    ASSERT_TRUE(reading.Read(single));
    ASSERT_EQ(contents.FileCount(), 1);
    EXPECT_EQ(PathOf(contents, 0), "movie.iso");
    EXPECT_EQ(contents.Length(0), 5000);
    EXPECT_EQ(contents.TotalLength(), 5000);

    std::string multi = Torrent(S("files") + "l" + FileEntry(S("a.txt"), 10)
                                + FileEntry(S("sub") + S("b.bin"), 1LL << 40) + "e"
                                + S("name") + S("album"));
    ASSERT_TRUE(reading.Read(multi));
    ASSERT_EQ(contents.FileCount(), 2);
    EXPECT_EQ(PathOf(contents, 0), "album\\a.txt");
    EXPECT_EQ(PathOf(contents, 1), "album\\sub\\b.bin");
    EXPECT_EQ(contents.TotalLength(), 10 + (1LL << 40));
}

TEST(TorrentContents, NamesInUtf8OrTheDeclaredCodePage)
{
    Reading reading;
    const TorrentContents& contents = reading.contents;
    const std::string utf8Name = "\xE7\x94\xB5\xE5\xBD\xB1";  // two characters in UTF-8
    const std::string gbkName = "\xB5\xE7\xD3\xB0";           // the same two in GBK
    std::string plain = Torrent(S("length") + I(1) + S("name") + S(utf8Name));
    ASSERT_TRUE(reading.Read(plain));
    EXPECT_TRUE(contents.PathIsUtf8(0));

    // Not UTF-8 and no encoding declared: bytes in the system code page.
    std::string old = Torrent(S("length") + I(1) + S("name") + S(gbkName));
    ASSERT_TRUE(reading.Read(old));
    EXPECT_FALSE(contents.PathIsUtf8(0));
    EXPECT_EQ(PathOf(contents, 0), gbkName);

    // A declared code page, with UTF-8 copies of the names that win.
    std::string both = Torrent(S("files") + "l"
                                   + FileEntry(S(gbkName), 2)
                                   + "d" + S("length") + I(3) + S("path") + "l" + S(gbkName) + "e"
                                   + S("path.utf-8") + "l" + S(utf8Name) + "ee" + "e"
                                   + S("name") + S(gbkName) + S("name.utf-8") + S(utf8Name),
                               S("encoding") + S("GBK"));
    ASSERT_TRUE(reading.Read(both));
    ASSERT_EQ(contents.FileCount(), 2);
    EXPECT_FALSE(contents.PathIsUtf8(0));  // the name.utf-8 with a GBK path: not all UTF-8
    EXPECT_TRUE(contents.PathIsUtf8(1));
    EXPECT_EQ(PathOf(contents, 1), utf8Name + "\\" + utf8Name);

    // Control characters never reach the list.
    std::string control = Torrent(S("length") + I(1) + S("name") + S("a\r\nb"));
    ASSERT_TRUE(reading.Read(control));
    EXPECT_EQ(PathOf(contents, 0), "a??b");
}

TEST(TorrentContents, AHundredThousandFiles)
{
    std::string files = "l";
    for (int i = 0; i < 100000; ++i)
        files += FileEntry(S("dir" + std::to_string(i % 100)) + S("file" + std::to_string(i)), i);
    files += "e";
    std::string torrent = Torrent(S("files") + files + S("name") + S("big"));
    Reading reading;
    const TorrentContents& contents = reading.contents;
    ASSERT_TRUE(reading.Read(torrent));
    ASSERT_EQ(contents.FileCount(), 100000);
    EXPECT_EQ(PathOf(contents, 99999), "big\\dir99\\file99999");
    EXPECT_EQ(contents.TotalLength(), 99999LL * 100000 / 2);
}

TEST(TorrentContents, ALongPathIsShownWithinItsRoomCutInWholeCharactersAndMarked)
{
    // A thousand one-byte files under a name of a million bytes, in UTF-8 and in GBK.
    UseGbk gbk;
    std::string files = "l";
    for (int i = 0; i < 1000; ++i)
        files += FileEntry(S("sub") + S("file" + std::to_string(i) + ".bin"), 1);
    files += "e";
    std::string utf8Name;
    std::string gbkName;
    for (int i = 0; i < 333333; ++i) {
        utf8Name += "\xE9\x95\xBF";  // one character in UTF-8
        gbkName += "\xB3\xA4";        // the same in GBK
    }
    for (bool utf8 : {true, false}) {
        SCOPED_TRACE(utf8 ? "UTF-8" : "GBK");
        const std::string& name = utf8 ? utf8Name : gbkName;
        const std::string character = name.substr(0, utf8 ? 3 : 2);
        std::string torrent = Torrent(S("files") + files + S("name") + S(name),
                                      utf8 ? "" : S("encoding") + S("GBK"));
        Reading reading;
        const TorrentContents& contents = reading.contents;
        ASSERT_TRUE(reading.Read(torrent));
        ASSERT_EQ(contents.FileCount(), 1000);
        EXPECT_EQ(contents.PathIsUtf8(999), utf8);
        for (size_t room : {size_t(259), size_t(100), size_t(64)}) {
            std::string shown = ShownPath(contents, 999, room);
            EXPECT_LE(shown.size(), room);
            EXPECT_GT(shown.size(), room - character.size() - 1);
            // The name's beginning in whole characters, the mark, the file's own parts whole.
            const std::string tail = kMark + std::string("\\sub\\file999.bin");
            ASSERT_GE(shown.size(), tail.size());
            EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
            std::string head = shown.substr(0, shown.size() - tail.size());
            EXPECT_EQ(head.size() % character.size(), 0u) << room;
            EXPECT_EQ(head, name.substr(0, head.size()));
        }
    }

    // A file whose own part is long keeps the part's end; both long, the room is shared.
    const std::string longPart(5000, 'p');
    std::string torrent = Torrent(S("files") + "l" + FileEntry(S("dir") + S(longPart + ".bin"), 1)
                                  + "e" + S("name") + S("album"));
    Reading reading;
    const TorrentContents& contents = reading.contents;
    ASSERT_TRUE(reading.Read(torrent));
    EXPECT_EQ(ShownPath(contents, 0, 40), "album" + std::string(kMark) + longPart.substr(0, 28) + ".bin");
    torrent = Torrent(S("files") + "l" + FileEntry(S(longPart + ".bin"), 1) + "e" + S("name")
                      + S(std::string(5000, 'n')));
    ASSERT_TRUE(reading.Read(torrent));
    EXPECT_EQ(ShownPath(contents, 0, 40), std::string(17, 'n') + kMark + kMark
                                              + longPart.substr(0, 13) + ".bin");
    // A part in the code page, many windows long, whose end begins on a character found from
    // the part's start: counted from the end, the cut would fall on a trail byte that looks
    // like a lead byte.
    std::string gbkPart = "x";
    for (int i = 0; i < 2500; ++i)
        gbkPart += "\xB3\xA4";
    torrent = Torrent(S("files") + "l" + FileEntry(S(gbkPart + ".bin"), 1) + "e" + S("name")
                          + S("album"),
                      S("encoding") + S("GBK"));
    ASSERT_TRUE(reading.Read(torrent));
    EXPECT_EQ(ShownPath(contents, 0, 41),
              "album" + std::string(kMark) + gbkPart.substr(gbkPart.size() - 28) + ".bin");
    // A single file with a long name: its beginning and the mark.
    torrent = Torrent(S("length") + I(1) + S("name") + S(std::string(5000, 'n')));
    ASSERT_TRUE(reading.Read(torrent));
    EXPECT_EQ(ShownPath(contents, 0, 40), std::string(37, 'n') + kMark);
    EXPECT_EQ(ShownPath(contents, 0, 5000), std::string(5000, 'n'));
}

TEST(TorrentContents, RefusesWhatIsNoTorrent)
{
    const std::string cases[] = {
        "",
        "garbage",
        "i3e",
        Torrent(S("name") + S("x")),                                    // no length, no files
        Torrent(S("length") + I(-1) + S("name") + S("x")),              // negative length
        Torrent(S("length") + I(1)),                                    // no name
        Torrent(S("length") + I(1) + S("name") + S("")),                // empty name
        Torrent(S("files") + "le" + S("name") + S("x")),                // no files
        Torrent(S("files") + "l" + FileEntry("", 1) + "e" + S("name") + S("x")),  // empty path
        Torrent(S("files") + "l" + FileEntry(S(""), 1) + "e" + S("name") + S("x")),
        Torrent(S("files") + "l" + FileEntry(I(1), 1) + "e" + S("name") + S("x")),
        Torrent(S("files") + "l" + FileEntry(S("a"), 1LL << 62) + FileEntry(S("b"), 1LL << 62)
                + FileEntry(S("c"), 1LL << 62) + "e" + S("name") + S("x")),  // total overflows
        Torrent(S("length") + I(1) + S("name") + S("x")) + "junk",
        Torrent(S("length") + I(1) + S("name") + S("x")).substr(0, 40),  // cut short
        "d" + S("info") + std::string(100, 'l') + std::string(100, 'e') + "e",  // too deep
    };
    for (const std::string& bytes : cases) {
        Reading reading;
        const TorrentContents& contents = reading.contents;
        EXPECT_FALSE(reading.Read(bytes)) << bytes;
        EXPECT_EQ(contents.FileCount(), 0) << bytes;
    }
}
