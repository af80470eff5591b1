// The torrent's files in the window's upper frame, read from sprout.exe's list as a black
// box: single and multi-file torrents, GBK and UTF-8 names, a hundred thousand files, names
// too long for a line, the size cap, and the one line for a torrent that cannot be read.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "res/resource.h"
#include "status/status_texts.h"
#include "tests/driver/driver.h"
#include "tests/driver/program_folder.h"
#include "tests/driver/remote_list.h"

using driver::SproutProcess;
using driver::ProgramFolder;
using driver::RemoteList;

namespace {


std::string S(const std::string& text) { return std::to_string(text.size()) + ":" + text; }
std::string I(long long value) { return "i" + std::to_string(value) + "e"; }
std::string FileEntry(const std::string& pathList, long long length)
{
    return "d" + S("length") + I(length) + S("path") + "l" + pathList + "ee";
}
std::string MultiFile(const std::string& name, const std::string& files,
                      const std::string& rootExtra = "")
{
    return "d" + rootExtra + S("info") + "d" + S("files") + "l" + files + "e" + S("name")
         + S(name) + S("piece length") + I(262144) + "ee";
}

// Starts sprout.exe on `torrentName` (written with `bytes` unless null) and checks its window.
void Open(ProgramFolder& folder, SproutProcess& sprout, const char* bytes, size_t size,
          DWORD* openMs = nullptr)
{
    if (bytes) {
        ASSERT_TRUE(driver::WriteFile(folder.File("files.torrent"), std::string(bytes, size)));
    }
    DWORD start = GetTickCount();
    ASSERT_TRUE(sprout.Launch(folder.Exe(), "files.torrent", folder.Path()));
    ASSERT_NE(sprout.WaitForDialog(), nullptr);
    if (openMs)
        *openMs = GetTickCount() - start;
    EXPECT_EQ(sprout.ControlText(IDC_STATUS_GROUP), "下载状态：停止");
    EXPECT_EQ(sprout.ControlText(IDC_START_STOP), "开始(&S)");
}

void Exit(SproutProcess& sprout)
{
    sprout.Press(IDC_EXIT);
    DWORD code = 0;
    ASSERT_TRUE(sprout.WaitForExit(15000, &code));
    EXPECT_EQ(code, 1005u);
}

}  // namespace

TEST(FileList, SingleAndMultiFileWithGbkAndUtf8Names)
{
    ProgramFolder folder("files-names");
    {
        SproutProcess sprout;
        std::string single = "d4:infod6:lengthi262144e4:name8:data.bin12:piece lengthi262144eee";
        Open(folder, sprout, single.data(), single.size());
        RemoteList list(sprout);
        ASSERT_NE(list.Window(), nullptr);
        // The list comes after every control of the template: last in tab order.
        EXPECT_EQ(GetWindow(list.Window(), GW_HWNDNEXT), nullptr);
        ASSERT_EQ(list.Rows(), 2);
        EXPECT_EQ(list.Text(0, 0), "data.bin");
        EXPECT_EQ(list.Text(0, 1), "256.0 kB");
        EXPECT_EQ(list.Text(1, 0), std::string(texts::kTotalPrefix) + "1" + texts::kTotalSuffix);
        EXPECT_EQ(list.Text(1, 1), "256.0 kB");
        Exit(sprout);
    }
    {
        // UTF-8 names become GBK; a character GBK lacks (a check mark, an emoji) becomes one '?'.
        SproutProcess sprout;
        std::string utf8 = MultiFile("\xE7\x94\xB5\xE5\xBD\xB1",
                                     FileEntry(S("\xE7\xAC\xAC\xE4\xB8\x80.mkv"), 1536)
                                         + FileEntry(S("sub") + S("ok\xE2\x9C\x93\xF0\x9F\x98\x80.txt"), 10));
        Open(folder, sprout, utf8.data(), utf8.size());
        RemoteList list(sprout);
        ASSERT_EQ(list.Rows(), 3);
        EXPECT_EQ(list.Text(0, 0), "电影\\第一.mkv");
        EXPECT_EQ(list.Text(0, 1), "1.5 kB");
        EXPECT_EQ(list.Text(1, 0), "电影\\sub\\ok??.txt");
        EXPECT_EQ(list.Text(2, 0), std::string(texts::kTotalPrefix) + "2" + texts::kTotalSuffix);
        EXPECT_EQ(list.Text(2, 1), "1.5 kB");
        Exit(sprout);
    }
    {
        // A torrent written in GBK, as it says.
        SproutProcess sprout;
        std::string gbk = MultiFile("电影", FileEntry(S("第一.mkv"), 5), S("encoding") + S("GBK"));
        Open(folder, sprout, gbk.data(), gbk.size());
        RemoteList list(sprout);
        ASSERT_EQ(list.Rows(), 2);
        EXPECT_EQ(list.Text(0, 0), "电影\\第一.mkv");
        EXPECT_EQ(list.Text(0, 1), "5 B");
        Exit(sprout);
    }
}

TEST(FileList, AHundredThousandFiles)
{
    ProgramFolder folder("files-many");
    std::string files;
    for (int i = 0; i < 100000; ++i)
        files += FileEntry(S("part" + std::to_string(i / 1000)) + S(std::to_string(i) + ".bin"),
                           1024);
    std::string torrent = MultiFile("many", files);
    // The time to the window, beside that of a one-file torrent, for the record.
    DWORD oneFileMs = 0;
    {
        SproutProcess sprout;
        std::string one = MultiFile("one", FileEntry(S("a.bin"), 1));
        Open(folder, sprout, one.data(), one.size(), &oneFileMs);
        Exit(sprout);
    }
    SproutProcess sprout;
    DWORD openMs = 0;
    Open(folder, sprout, torrent.data(), torrent.size(), &openMs);
    std::printf("  window up after %lu ms with a %u-byte torrent of 100,000 files, %lu ms with "
                "one file\n", openMs, unsigned(torrent.size()), oneFileMs);
    RemoteList list(sprout);
    ASSERT_EQ(list.Rows(), 100001);
    EXPECT_EQ(list.Text(99999, 0), "many\\part99\\99999.bin");
    EXPECT_EQ(list.Text(100000, 0), std::string(texts::kTotalPrefix) + "100000" + texts::kTotalSuffix);
    EXPECT_EQ(list.Text(100000, 1), "97.7 MB");
    Exit(sprout);
}

TEST(FileList, LongNamesAreShortenedWithAnEllipsisAndTheSizeCapHolds)
{
    ProgramFolder folder("files-long");
    {
        // A thousand one-byte files under a name of a million bytes: each row keeps the
        // name's beginning and its own file, with the ellipsis between.
        std::string utf8Name;
        for (int i = 0; i < 333333; ++i)
            utf8Name += "\xE9\x95\xBF";
        std::string files;
        for (int i = 0; i < 1000; ++i)
            files += FileEntry(S("sub") + S("file" + std::to_string(i) + ".bin"), 1);
        std::string torrent = MultiFile(utf8Name, files);
        SproutProcess sprout;
        Open(folder, sprout, torrent.data(), torrent.size());
        RemoteList list(sprout);
        ASSERT_EQ(list.Rows(), 1001);
        std::string row = list.Text(999, 0);
        const std::string tail = "…\\sub\\file999.bin";
        ASSERT_GT(row.size(), tail.size());
        EXPECT_LT(row.size(), 1024u);
        EXPECT_EQ(row.substr(row.size() - tail.size()), tail);
        EXPECT_EQ(row.substr(0, 6), "长长长");
        EXPECT_EQ(list.Text(1000, 0), std::string(texts::kTotalPrefix) + "1000" + texts::kTotalSuffix);
        Exit(sprout);
    }
    // The engine's cap: a torrent of 64 MiB is read, one byte more is not.
    const size_t cap = 64 * 1024 * 1024;
    for (size_t size : {cap, cap + 1}) {
        std::string tail = S("piece length") + I(262144) + "ee";
        std::string head = "d4:infod6:length" + I(1) + "4:name";
        size_t nameLength = size - head.size() - tail.size() - 9;  // its prefix: "67108xxx:"
        std::string torrent = head + S(std::string(nameLength, 'n')) + tail;
        ASSERT_EQ(torrent.size(), size);
        SproutProcess sprout;
        Open(folder, sprout, torrent.data(), torrent.size());
        RemoteList list(sprout);
        ASSERT_EQ(list.Rows(), size == cap ? 2 : 1) << size;
        if (size == cap) {
            EXPECT_EQ(list.Text(0, 0).substr(0, 4), "nnnn");
            EXPECT_EQ(list.Text(0, 0).substr(list.Text(0, 0).size() - 2), "…");
        } else {
            EXPECT_EQ(list.Text(0, 0), texts::kTorrentUnreadable);
        }
        Exit(sprout);
    }
}

TEST(FileList, MissingEmptyOrMalformedTorrentShowsOneLineAndTheRestWorks)
{
    ProgramFolder folder("files-bad");
    ASSERT_TRUE(folder.AddEngine());
    const std::string cases[] = {"<missing>", "", "d4:infod4:name1:xee", "not bencode at all"};
    for (const std::string& bytes : cases) {
        SproutProcess sprout;
        if (bytes == "<missing>")
            DeleteFileA(folder.File("files.torrent").c_str());
        Open(folder, sprout, bytes == "<missing>" ? nullptr : bytes.data(), bytes.size());
        RemoteList list(sprout);
        ASSERT_EQ(list.Rows(), 1) << bytes;
        EXPECT_EQ(list.Text(0, 0), texts::kTorrentUnreadable) << bytes;
        EXPECT_EQ(list.Text(0, 1), "") << bytes;
        Exit(sprout);
    }
}
